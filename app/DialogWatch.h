#pragma once

#include <QObject>
#include <QSet>

class QEvent;

// Watches the application's dialogs (the report, the settings, the About box, a message box,
// a file dialog): tells when the first one opens over the game and when the last one closes.
class DialogWatch : public QObject
{
    Q_OBJECT

public:
    explicit DialogWatch(QObject *parent = nullptr);
    ~DialogWatch() override;
    bool covered() const { return !m_open.isEmpty(); }

signals:
    void coveredChanged(bool covered);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setOpen(QObject *dialog, bool open);
    QSet<QObject *> m_open;
};
