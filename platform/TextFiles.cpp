#include "platform/TextFiles.h"

#include "platform/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <iconv.h>
#include <unistd.h>

namespace {

// Opening a converter loads its tables, which costs more than converting a whole file: one
// per direction is kept for the thread's life and reset before each use.
class Converter
{
public:
    Converter(const char *to, const char *from) : to(to), from(from), m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok()) iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t reset()
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return m_cd;
    }
    const char *to;
    const char *from;

private:
    iconv_t m_cd;
};

Converter &gbkToUtf8()
{
    thread_local Converter c("UTF-8", "GBK");
    return c;
}

Converter &utf8ToGbk()
{
    thread_local Converter c("GBK", "UTF-8");
    return c;
}

QByteArray convert(Converter &converter, const QByteArray &in, const char *badOut, int badOutLen)
{
    if (!converter.ok())
        throw RuntimeError(
            QCoreApplication::translate("RuntimeError", "No converter from %1 to %2").arg(converter.from, converter.to));
    iconv_t cd = converter.reset();
    // Straight into the result, grown when full: one allocation for most files.
    QByteArray out(in.size() * 2 + 16, Qt::Uninitialized);
    char *src = const_cast<char *>(in.constData());
    size_t srcLeft = static_cast<size_t>(in.size());
    qsizetype used = 0;
    while (srcLeft > 0) {
        char *dst = out.data() + used;
        size_t dstLeft = static_cast<size_t>(out.size() - used);
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        used = dst - out.data();
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // An invalid or cut-off sequence: mark it and go on with the next byte.
            if (out.size() - used < badOutLen) out.resize(out.size() * 2);
            std::memcpy(out.data() + used, badOut, static_cast<size_t>(badOutLen));
            used += badOutLen;
            ++src;
            --srcLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    out.truncate(used);
    return out;
}

bool tryConvert(Converter &converter, const QByteArray &in, QByteArray &out)
{
    if (!converter.ok()) return false;
    iconv_t cd = converter.reset();
    out.clear();
    char buffer[4096];
    char *src = const_cast<char *>(in.constData());
    size_t srcLeft = static_cast<size_t>(in.size());
    while (srcLeft > 0) {
        char *dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<qsizetype>(dst - buffer));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) return false;
    }
    return true;
}

QString systemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

QString notRegularReason(bool folder)
{
    return folder ? systemReason(EISDIR) : QCoreApplication::translate("RuntimeError", "Not a regular file");
}

} // namespace

QString gbkDecode(const QByteArray &bytes)
{
    static const char replacement[] = "\xEF\xBF\xBD";
    return QString::fromUtf8(convert(gbkToUtf8(), bytes, replacement, 3));
}

QByteArray gbkEncode(const QString &text)
{
    QByteArray out;
    if (tryConvert(utf8ToGbk(), text.toUtf8(), out)) return out;
    // Some character has no GBK code: write "?" for it and keep the rest.
    out.clear();
    const QList<uint> codes = text.toUcs4();
    for (uint code : codes) {
        char32_t c = code;
        QByteArray one;
        if (!tryConvert(utf8ToGbk(), QString::fromUcs4(&c, 1).toUtf8(), one)) one = "?";
        out += one;
    }
    return out;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << text.mid(start, i - start);
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ++i;
            start = i + 1;
        }
    }
    if (start < n) lines << text.mid(start);
    return lines;
}

QList<QByteArray> splitByteLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            lines << bytes.mid(start, i - start);
            if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < n) lines << bytes.mid(start);
    return lines;
}

QString resolvePath(const QString &path)
{
    if (path.isEmpty() || QFileInfo::exists(path)) return path;
    QFileInfo info(path);
    QString parent = info.path();
    QString name = info.fileName();
    if (name.isEmpty() || parent == path) return path;
    QString realParent = resolvePath(parent);
    QDir dir(realParent);
    // Read with readdir: the engines look their lists up on every reload, and QDir's listing
    // costs ten times as much. Of several matches the first in name order counts.
    QString found;
    if (DIR *d = ::opendir(QFile::encodeName(realParent).constData())) {
        while (const dirent *e = ::readdir(d)) {
            const QString entry = QFile::decodeName(e->d_name);
            if (entry.compare(name, Qt::CaseInsensitive) == 0 && (found.isEmpty() || entry < found))
                found = entry;
        }
        ::closedir(d);
    }
    return dir.filePath(found.isEmpty() ? name : found);
}

namespace {

// The bytes of the regular file at native; name is the file as the error text names it.
QByteArray readRegularFile(const QString &name, const QByteArray &native)
{
    // Without O_NONBLOCK, opening a FIFO waits for a writer that never comes.
    int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) raiseFileOpen(name, systemReason(errno));
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        raiseFileOpen(name, notRegularReason(folder));
    }
    QByteArray data;
    data.reserve(static_cast<qsizetype>(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            raiseFileOpen(name, systemReason(err));
        }
        if (got == 0) break;
        data.append(buffer, got);
    }
    ::close(fd);
    return data;
}

} // namespace

QByteArray readFileBytes(const QString &path)
{
    return readRegularFile(path, QFile::encodeName(resolvePath(path)));
}

QStringList readTextLines(const QString &path)
{
    return splitLines(gbkDecode(readFileBytes(path)));
}

bool isGbk(const QByteArray &bytes)
{
    QByteArray out;
    return tryConvert(gbkToUtf8(), bytes, out);
}

namespace {

struct PendingWrite
{
    QString name; // as the caller gave it, for the error text
    QByteArray target;
    QByteArray temp;
    bool existed = false;
    struct stat old = {};
    QByteArray oldBytes;
};

// Where a save of path lands: path itself (letter case resolved), or the end of its chain
// of symbolic links, so a link stays a link. old gets the file there now, when there is one.
QByteArray saveTarget(const QString &path, struct stat &old, bool &existed)
{
    QString current = resolvePath(path);
    // As many hops as the kernel follows before it gives up with ELOOP.
    for (int hop = 0; hop < 40; ++hop) {
        const QByteArray native = QFile::encodeName(current);
        existed = ::lstat(native.constData(), &old) == 0;
        if (!existed || !S_ISLNK(old.st_mode)) return native;
        QByteArray link(PATH_MAX, '\0');
        const ssize_t n =
            ::readlink(native.constData(), link.data(), static_cast<size_t>(link.size()));
        if (n < 0) {
            existed = ::stat(native.constData(), &old) == 0;
            return native;
        }
        link.truncate(n);
        const QString to = QFile::decodeName(link);
        // Not cleaned: ".." after a link must stay relative to where the link points.
        current = to.startsWith(QLatin1Char('/'))
                      ? to
                      : QFileInfo(current).path() + QLatin1Char('/') + to;
    }
    raiseFileOpen(path, systemReason(ELOOP));
}

// A temporary file beside target holding bytes, with the old file's mode and owner.
QByteArray writeTemporary(const QString &name, const QByteArray &target, const QByteArray &bytes,
                          const struct stat *old)
{
    const QFileInfo info(QFile::decodeName(target));
    QByteArray tmpl =
        QFile::encodeName(info.path() + QStringLiteral("/.%1.XXXXXX").arg(info.fileName()));
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0) raiseFileOpen(name, systemReason(errno));
    auto abandon = [&](int err) {
        ::close(fd);
        ::unlink(tmpl.constData());
        raiseFileOpen(name, systemReason(err));
    };
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        ssize_t put = ::write(fd, p, static_cast<size_t>(left));
        if (put < 0) {
            if (errno == EINTR) continue;
            abandon(errno);
        }
        p += put;
        left -= put;
    }
    if (old) {
        // Run as root, a save must not hand the player's file to root; for anyone else this
        // is a no-op or refused, and either is fine.
        [[maybe_unused]] const int owned = ::fchown(fd, old->st_uid, old->st_gid);
        ::fchmod(fd, old->st_mode & 07777);
    } else {
        ::fchmod(fd, 0644);
    }
    if (::fsync(fd) != 0) abandon(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmpl.constData());
        raiseFileOpen(name, systemReason(err));
    }
    return tmpl;
}

void syncFolder(const QByteArray &folder)
{
    int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

// Puts back what the first count writes replaced; the names of files that could not be.
QStringList undoWrites(const std::vector<PendingWrite> &writes, size_t count)
{
    QStringList failed;
    for (size_t i = 0; i < count; ++i) {
        const PendingWrite &w = writes[i];
        try {
            if (!w.existed) {
                if (::unlink(w.target.constData()) != 0) failed << w.name;
                continue;
            }
            const QByteArray temp = writeTemporary(w.name, w.target, w.oldBytes, &w.old);
            if (::rename(temp.constData(), w.target.constData()) != 0) {
                ::unlink(temp.constData());
                failed << w.name;
            }
        } catch (const RuntimeError &) {
            failed << w.name;
        }
    }
    return failed;
}

} // namespace

void writeFilesTogether(const std::vector<FileWrite> &files)
{
    std::vector<PendingWrite> writes;
    writes.reserve(files.size());
    auto dropTemporaries = [&writes](size_t from) {
        for (size_t i = from; i < writes.size(); ++i)
            ::unlink(writes[i].temp.constData());
    };
    try {
        for (const FileWrite &f : files) {
            PendingWrite w;
            w.name = f.path;
            w.target = saveTarget(f.path, w.old, w.existed);
            if (w.existed && !S_ISREG(w.old.st_mode))
                raiseFileOpen(f.path, notRegularReason(S_ISDIR(w.old.st_mode)));
            // A single file needs no undo: when its rename fails, nothing has changed.
            if (w.existed && files.size() > 1)
                w.oldBytes = readRegularFile(QFile::decodeName(w.target), w.target);
            w.temp = writeTemporary(f.path, w.target, f.bytes, w.existed ? &w.old : nullptr);
            writes.push_back(std::move(w));
        }
    } catch (...) {
        dropTemporaries(0);
        throw;
    }
    for (size_t i = 0; i < writes.size(); ++i) {
        if (::rename(writes[i].temp.constData(), writes[i].target.constData()) == 0) continue;
        const int err = errno;
        dropTemporaries(i);
        const QStringList lost = undoWrites(writes, i);
        QString reason = systemReason(err);
        if (!lost.isEmpty())
            reason +=
                QStringLiteral(" Could not restore: %1.").arg(lost.join(QStringLiteral(", ")));
        raiseFileOpen(writes[i].name, reason);
    }
    QList<QByteArray> synced;
    for (const PendingWrite &w : writes) {
        const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(w.target)).path());
        if (synced.contains(folder)) continue;
        synced << folder;
        syncFolder(folder);
    }
}

void writeFileSafely(const QString &path, const QByteArray &bytes)
{
    writeFilesTogether({FileWrite{path, bytes}});
}

QByteArray encodeLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += gbkEncode(line);
        bytes += "\r\n";
    }
    return bytes;
}

void writeTextLines(const QString &path, const QStringList &lines)
{
    writeFileSafely(path, encodeLines(lines));
}

QByteArray cutGbkBytes(const QByteArray &bytes, int maxBytes)
{
    int i = 0;
    while (i < maxBytes && i < bytes.size()) {
        auto b = static_cast<unsigned char>(bytes.at(i));
        int len = (b >= 0x81 && b <= 0xFE && i + 1 < bytes.size()) ? 2 : 1;
        if (i + len > maxBytes) break;
        i += len;
    }
    return bytes.left(i);
}

QString cutGbk(const QString &text, int maxBytes)
{
    const QByteArray bytes = gbkEncode(text);
    if (bytes.size() <= maxBytes) return text;
    return gbkDecode(cutGbkBytes(bytes, maxBytes));
}

int removeStaleTemporaries(const QString &folder, const QStringList &names)
{
    // mkostemp fills the six X with letters and digits.
    static const QRegularExpression pattern(QStringLiteral("^\\.(.+)\\.[A-Za-z0-9]{6}$"));
    const QDir dir(folder);
    int removed = 0;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        const QRegularExpressionMatch m = pattern.match(entry);
        if (!m.hasMatch() || !names.contains(m.captured(1), Qt::CaseInsensitive)) continue;
        const QByteArray native = QFile::encodeName(dir.filePath(entry));
        struct stat st;
        if (::lstat(native.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::unlink(native.constData()) == 0)
            ++removed;
    }
    return removed;
}
