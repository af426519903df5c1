#include "progress/ClassSettings.h"

#include "platform/TextFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

QString ClassSettings::fileIn(const QString &setFolder)
{
    const QString path = resolvePath(QDir(setFolder).filePath(QStringLiteral("Class.ini")));
    return QFileInfo(path).isFile() ? path : QString();
}

namespace {

// QSettings splits an unquoted value at its commas; a password may well hold one.
QString text(const QSettings &ini, const char *key)
{
    const QVariant v = ini.value(QString::fromLatin1(key));
    return v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char(','))
                                                : v.toString();
}

} // namespace

std::optional<ClassSettings> ClassSettings::read(const QString &path, QString *why)
{
    auto refuse = [&](const QString &reason) -> std::optional<ClassSettings> {
        if (why) *why = reason;
        return std::nullopt;
    };
    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return refuse(tr("全班的设置文件 %1 读不懂。").arg(QDir::toNativeSeparators(path)));
    ClassSettings s;
    s.host = text(ini, "Server/Host").trimmed();
    bool portOk = true;
    if (ini.contains(QStringLiteral("Server/Port")))
        s.port = text(ini, "Server/Port").trimmed().toInt(&portOk);
    s.database = text(ini, "Server/Database").trimmed();
    s.user = text(ini, "Server/User").trimmed();
    s.password = text(ini, "Server/Password");
    s.sslMode = ini.contains(QStringLiteral("Server/SslMode"))
                    ? text(ini, "Server/SslMode").trimmed()
                    : s.sslMode;
    s.className = text(ini, "Class/Name").trimmed();
    s.seat = text(ini, "Class/Seat").trimmed();

    QStringList missing;
    const std::pair<const QString *, const char *> required[] = {{&s.database, "[Server] Database"},
                                                                 {&s.user, "[Server] User"},
                                                                 {&s.className, "[Class] Name"},
                                                                 {&s.seat, "[Class] Seat"}};
    for (const auto &[value, key] : required)
        if (value->isEmpty()) missing << QString::fromLatin1(key);
    if (!missing.isEmpty())
        return refuse(tr("全班的设置文件 %1 缺少：%2。")
                          .arg(QDir::toNativeSeparators(path), missing.join(QStringLiteral("、"))));
    if (!portOk || s.port <= 0 || s.port > 65535)
        return refuse(
            tr("全班的设置文件 %1 里的端口（Port）不对。").arg(QDir::toNativeSeparators(path)));
    const QStringList modes = {QStringLiteral("disable"), QStringLiteral("prefer"),
                               QStringLiteral("require"), QStringLiteral("verify-full")};
    if (!modes.contains(s.sslMode))
        return refuse(tr("全班的设置文件 %1 里的 SslMode 只能是 %2。")
                          .arg(QDir::toNativeSeparators(path), modes.join(QStringLiteral("、"))));
    return s;
}

bool ClassSettings::readableByOthers(const QString &path)
{
    return QFileInfo(path).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

QString ClassSettings::connectOptions() const
{
    // The seat's label names the connection in the teacher's pg_stat_activity; libpq's option
    // string takes no spaces or quotes unescaped, so only plain characters go in.
    QString name = seat;
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    return QStringLiteral("sslmode=%1;connect_timeout=3;application_name=sumsprout-%2;"
                          "keepalives=1;keepalives_idle=10;keepalives_interval=3;"
                          "keepalives_count=3;tcp_user_timeout=10000")
        .arg(sslMode, name);
}

QString ClassSettings::target() const
{
    return QStringLiteral("%1:%2/%3|%4|%5").arg(host).arg(port).arg(database, className, seat);
}
