#include "platform/Errors.h"

#include "platform/ErrorText.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

void raiseFileOpen(const QString &path, const QString &reason, int code)
{
    throw RuntimeError(QCoreApplication::translate("RuntimeError", "Cannot open file \"%1\". %2")
                           .arg(path, reason),
                       RuntimeError::Kind::File, path, code);
}

void raiseConversion(const QString &text)
{
    throw RuntimeError(
        QCoreApplication::translate("RuntimeError", "'%1' is not a valid integer value").arg(text),
        RuntimeError::Kind::Conversion, text);
}

void raiseListIndex(int index)
{
    throw RuntimeError(
        QCoreApplication::translate("RuntimeError", "List index out of bounds (%1)").arg(index),
        RuntimeError::Kind::ListIndex, QString(), index);
}

QString shownText(const std::exception &e)
{
    if (const auto *error = dynamic_cast<const RuntimeError *>(&e)) return ErrorText(*error);
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return ErrorText(
            RuntimeError(QString::fromUtf8(e.what()), RuntimeError::Kind::OutOfMemory));
    return QString::fromUtf8(e.what());
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
