#include "platform/ErrorText.h"

#include "platform/Errors.h"

#include <QCoreApplication>
#include <QDir>

#include <cerrno>
#include <cstring>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ErrorText", text);
}

QString reason(const RuntimeError &e)
{
    using Kind = RuntimeError::Kind;
    switch (e.kind()) {
    case Kind::File:
        if (e.code() == 0) {
            // The runtime's reason, after the file's name.
            const QString m = e.message();
            const qsizetype at = m.indexOf(QLatin1String("\". "));
            return at >= 0 ? m.mid(at + 3) : m;
        }
        return SystemReason(static_cast<int>(e.code()));
    case Kind::Conversion:
        return tr("“%1”应该是一个整数，但它不是。").arg(e.subject());
    case Kind::ListIndex:
        return tr("文件在这一行之前就完了，少了这一行。");
    case Kind::TooLarge:
        return tr("文件太大了：这种文件游戏最多只读 %1 MB，这个文件更大，所以没有读它。")
            .arg(e.limit() >> 20);
    case Kind::BadPicture:
        return tr("这不是一张能用的 BMP 图片。");
    case Kind::BadCell:
        return tr("一格的大小 %1×%2 太大了，不能是一帧画。").arg(e.code()).arg(e.limit());
    case Kind::OutOfMemory:
        return tr("内存不够，读不下这个文件。");
    case Kind::Other:
        break;
    }
    return e.message();
}

} // namespace

QString SystemReason(int code)
{
    switch (code) {
    case ENOENT:
        return tr("文件不存在。");
    case EACCES:
    case EPERM:
        return tr("没有读写这个文件的权限。");
    case ENOSPC:
    case EDQUOT:
        return tr("磁盘满了。");
    case EROFS:
        return tr("磁盘只能读，不能写。");
    case EISDIR:
        return tr("这是一个文件夹，不是文件。");
    case NotRegularFile:
        return tr("这不是一个普通的文件。");
    case ELOOP:
        return tr("文件的链接绕成了圈。");
    case ENOMEM:
        return tr("内存不够。");
    case EIO:
        return tr("磁盘读写出错了。");
    case ENAMETOOLONG:
        return tr("路径太长了。");
    case ENOTDIR:
        return tr("路径里有一段不是文件夹。");
    default:
        break;
    }
    return QString::fromLocal8Bit(std::strerror(code));
}

QString ErrorText(const RuntimeError &e)
{
    using Kind = RuntimeError::Kind;
    // An error about a file names it itself; the others where they were met.
    const bool aboutAFile = e.kind() == Kind::File || e.kind() == Kind::TooLarge ||
                            e.kind() == Kind::BadPicture || e.kind() == Kind::BadCell;
    QString file = aboutAFile ? e.subject() : e.file();
    // A missing line is the one after the last.
    const int line = e.line() > 0 ? e.line() : e.kind() == Kind::ListIndex ? int(e.code()) + 1 : 0;
    if (file.isEmpty()) {
        if (line > 0) return tr("第%1行：%2").arg(line).arg(reason(e));
        return reason(e);
    }
    file = QDir::toNativeSeparators(file);
    if (line > 0) return tr("文件：%1\n第%2行：%3").arg(file).arg(line).arg(reason(e));
    return tr("文件：%1\n原因：%2").arg(file, reason(e));
}
