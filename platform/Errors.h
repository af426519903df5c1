#pragma once

#include <QString>
#include <QByteArray>
#include <exception>
#include <utility>

// The runtime errors the game reports with their own text: a file that cannot be opened,
// a number that cannot be converted, a line index past the end of a list.
class RuntimeError : public std::exception
{
public:
    explicit RuntimeError(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8())
    {
    }
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

[[noreturn]] void raiseFileOpen(const QString &path, const QString &reason);
[[noreturn]] void raiseConversion(const QString &text);
[[noreturn]] void raiseListIndex(int index);

// Where error boxes and the exit question go; tests give one that records them.
class Reporter
{
public:
    virtual ~Reporter() = default;
    virtual void showError(const QString &message) = 0;
    virtual bool askYesNo(const QString &text, const QString &caption) = 0;
};

// The toolkit's message boxes, over the active window.
class MessageBoxReporter : public Reporter
{
public:
    void showError(const QString &message) override;
    bool askYesNo(const QString &text, const QString &caption) override;
};

// Runs one event handler: an error leaves the handler, is shown with its own text, and the
// game goes on. Nothing may cross the Qt event loop. False when an error was shown; its text
// goes to shown when given.
template <class F> bool guarded(Reporter &reporter, F &&handler, QString *shown = nullptr)
{
    QString message;
    try {
        handler();
        return true;
    } catch (const RuntimeError &e) {
        message = e.message();
    } catch (const std::exception &e) {
        message = QString::fromUtf8(e.what());
    }
    reporter.showError(message);
    if (shown) *shown = message;
    return false;
}
