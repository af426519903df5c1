#include "platform/TextFiles.h"

#include "platform/Errors.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <iconv.h>
#include <unistd.h>

namespace {

QByteArray convert(const char *to, const char *from, const QByteArray &in, const char *badOut,
                   int badOutLen)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw RuntimeError(QStringLiteral("No converter from %1 to %2").arg(from, to));
    QByteArray out;
    out.reserve(in.size() * 2 + 16);
    char buffer[4096];
    char *src = const_cast<char *>(in.constData());
    size_t srcLeft = static_cast<size_t>(in.size());
    while (srcLeft > 0) {
        char *dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<qsizetype>(dst - buffer));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // An invalid or cut-off sequence: mark it and go on with the next byte.
            out.append(badOut, badOutLen);
            ++src;
            --srcLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

bool tryConvert(const char *to, const char *from, const QByteArray &in, QByteArray &out)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.clear();
    char buffer[4096];
    char *src = const_cast<char *>(in.constData());
    size_t srcLeft = static_cast<size_t>(in.size());
    bool ok = true;
    while (srcLeft > 0) {
        char *dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<qsizetype>(dst - buffer));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    return ok;
}

QString systemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace

QString gbkDecode(const QByteArray &bytes)
{
    static const char replacement[] = "\xEF\xBF\xBD";
    return QString::fromUtf8(convert("UTF-8", "GBK", bytes, replacement, 3));
}

QByteArray gbkEncode(const QString &text)
{
    QByteArray out;
    if (tryConvert("GBK", "UTF-8", text.toUtf8(), out)) return out;
    // Some character has no GBK code: write "?" for it and keep the rest.
    out.clear();
    const QList<uint> codes = text.toUcs4();
    for (uint code : codes) {
        char32_t c = code;
        QByteArray one;
        if (!tryConvert("GBK", "UTF-8", QString::fromUcs4(&c, 1).toUtf8(), one)) one = "?";
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

QString resolvePath(const QString &path)
{
    if (path.isEmpty() || QFileInfo::exists(path)) return path;
    QFileInfo info(path);
    QString parent = info.path();
    QString name = info.fileName();
    if (name.isEmpty() || parent == path) return path;
    QString realParent = resolvePath(parent);
    QDir dir(realParent);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    }
    return dir.filePath(name);
}

QByteArray readFileBytes(const QString &path)
{
    const QString real = resolvePath(path);
    QByteArray native = QFile::encodeName(real);
    int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) raiseFileOpen(path, systemReason(errno));
    QByteArray data;
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            raiseFileOpen(path, systemReason(err));
        }
        if (got == 0) break;
        data.append(buffer, got);
    }
    ::close(fd);
    return data;
}

QStringList readTextLines(const QString &path)
{
    return splitLines(gbkDecode(readFileBytes(path)));
}

void writeFileSafely(const QString &path, const QByteArray &bytes)
{
    const QString target = resolvePath(path);
    QFileInfo info(target);
    QByteArray tmpl =
        QFile::encodeName(info.dir().filePath(QStringLiteral(".%1.XXXXXX").arg(info.fileName())));
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) raiseFileOpen(path, systemReason(errno));
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        ssize_t put = ::write(fd, p, static_cast<size_t>(left));
        if (put < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            ::unlink(tmpl.constData());
            raiseFileOpen(path, systemReason(err));
        }
        p += put;
        left -= put;
    }
    ::fchmod(fd, 0644);
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        int err = errno;
        ::unlink(tmpl.constData());
        raiseFileOpen(path, systemReason(err));
    }
    if (::rename(tmpl.constData(), QFile::encodeName(target).constData()) != 0) {
        int err = errno;
        ::unlink(tmpl.constData());
        raiseFileOpen(path, systemReason(err));
    }
    int dirFd = ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

void writeTextLines(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += gbkEncode(line);
        bytes += "\r\n";
    }
    writeFileSafely(path, bytes);
}

QString cutGbk(const QString &text, int maxBytes)
{
    const QByteArray bytes = gbkEncode(text);
    if (bytes.size() <= maxBytes) return text;
    int i = 0;
    while (i < maxBytes) {
        auto b = static_cast<unsigned char>(bytes.at(i));
        int len = (b >= 0x81 && b <= 0xFE && i + 1 < bytes.size()) ? 2 : 1;
        if (i + len > maxBytes) break;
        i += len;
    }
    return gbkDecode(bytes.left(i));
}
