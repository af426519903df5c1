#include "platform/Errors.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

void raiseFileOpen(const QString &path, const QString &reason)
{
    throw RuntimeError(QCoreApplication::translate("RuntimeError", "Cannot open file \"%1\". %2").arg(path, reason));
}

void raiseConversion(const QString &text)
{
    throw RuntimeError(QCoreApplication::translate("RuntimeError", "'%1' is not a valid integer value").arg(text));
}

void raiseListIndex(int index)
{
    throw RuntimeError(QCoreApplication::translate("RuntimeError", "List index out of bounds (%1)").arg(index));
}

void MessageBoxReporter::showError(const QString &message)
{
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
}

bool MessageBoxReporter::askYesNo(const QString &text, const QString &caption)
{
    return QMessageBox::question(QApplication::activeWindow(), caption, text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
