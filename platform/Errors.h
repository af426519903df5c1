#pragma once

#include <QString>
#include <QByteArray>
#include <cstdint>
#include <exception>
#include <new>
#include <utility>

// The runtime errors the game reports: a file that cannot be opened, a number that cannot be
// converted, a line index past the end of a list. message() is the runtime's own text; what
// a person reads is ErrorText (platform/ErrorText.h), in Chinese, naming the file and line.
class RuntimeError : public std::exception
{
public:
    enum class Kind {
        Other,       // message() says it all
        File,        // subject: the file; code: errno, NotRegularFile, or 0 (message() says)
        Conversion,  // subject: the text that is no integer
        ListIndex,   // code: the index of the missing line
        TooLarge,    // subject: the file; code: its size; limit: the largest read
        BadPicture,  // subject: the picture
        BadCell,     // subject: the sheet; code, limit: the cell's width and height
        OutOfMemory, // reading the file took more memory than there is
    };

    explicit RuntimeError(QString message, Kind kind = Kind::Other, QString subject = {},
                          int64_t code = 0, int64_t limit = 0)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8()), m_kind(kind),
          m_subject(std::move(subject)), m_code(code), m_limit(limit)
    {
    }
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }
    Kind kind() const { return m_kind; }
    const QString &subject() const { return m_subject; }
    int64_t code() const { return m_code; }
    int64_t limit() const { return m_limit; }
    // Where it was met: the file, and its line from 1 (0: the file as a whole).
    const QString &file() const { return m_file; }
    int line() const { return m_line; }
    // Names where it was met, unless a reader closer to it already did.
    void place(const QString &file, int line)
    {
        if (m_file.isEmpty()) m_file = file;
        if (m_line == 0) m_line = line;
    }

private:
    QString m_message;
    QByteArray m_utf8;
    Kind m_kind;
    QString m_subject;
    int64_t m_code;
    int64_t m_limit;
    QString m_file;
    int m_line = 0;
};

// The code of a file that is there but no regular file (a FIFO, a device).
inline constexpr int NotRegularFile = -1;

// code is the errno behind reason, when there is one.
[[noreturn]] void raiseFileOpen(const QString &path, const QString &reason, int code = 0);
[[noreturn]] void raiseConversion(const QString &text);
[[noreturn]] void raiseListIndex(int index);

// Runs read, which reads line (from 1; 0 for the whole) of file: an error it raises is raised
// again naming them, and running out of memory becomes an error that names the file.
template <class F> decltype(auto) inFile(const QString &file, int line, F &&read)
{
    try {
        return read();
    } catch (RuntimeError &e) {
        e.place(file, line);
        throw;
    } catch (const std::bad_alloc &) {
        RuntimeError e(QStringLiteral("Out of memory"), RuntimeError::Kind::OutOfMemory);
        e.place(file, line);
        throw e;
    }
}

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

// The text a person reads for an error that left a handler.
QString shownText(const std::exception &e);

// Runs one event handler: an error leaves the handler, is shown in words a person can act on,
// and the game goes on. Nothing may cross the Qt event loop. False when an error was shown;
// its text goes to shown when given.
template <class F> bool guarded(Reporter &reporter, F &&handler, QString *shown = nullptr)
{
    QString message;
    try {
        handler();
        return true;
    } catch (const std::exception &e) {
        message = shownText(e);
    }
    reporter.showError(message);
    if (shown) *shown = message;
    return false;
}
