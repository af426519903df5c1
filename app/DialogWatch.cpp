#include "app/DialogWatch.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>

DialogWatch::DialogWatch(QObject *parent) : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

DialogWatch::~DialogWatch()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool DialogWatch::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::Hide) && watched->isWidgetType()) {
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (dialog && dialog->isWindow()) setOpen(dialog, type == QEvent::Show);
    }
    return false;
}

void DialogWatch::setOpen(QObject *dialog, bool open)
{
    const bool before = covered();
    if (open && !m_open.contains(dialog)) {
        m_open.insert(dialog);
        // One destroyed while shown closes too.
        connect(dialog, &QObject::destroyed, this, [this, dialog] { setOpen(dialog, false); });
    } else if (!open && m_open.remove(dialog)) {
        disconnect(dialog, &QObject::destroyed, this, nullptr);
    }
    if (covered() != before) emit coveredChanged(covered());
}
