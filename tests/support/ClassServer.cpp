#include "ClassServer.h"

#include "progress/ClassSchema.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <csignal>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

const int Port = 55432;

QString bin(const char *tool)
{
    const QByteArray env = qgetenv("SUMSPROUT_PG_BIN");
    return QDir(env.isEmpty() ? QStringLiteral("/usr/lib/postgresql/15/bin")
                              : QString::fromLocal8Bit(env))
        .filePath(QString::fromLatin1(tool));
}

const passwd *serverUser()
{
    return geteuid() == 0 ? getpwnam("postgres") : nullptr;
}

// The server's tools run as the unprivileged user when we are root.
void startAsServerUser(QProcess &p, const QString &tool, const QStringList &args)
{
    if (serverUser())
        p.start(QStringLiteral("runuser"), QStringList{"-u", "postgres", "--", tool} + args);
    else
        p.start(tool, args);
}

// Runs a tool to its end with input on its standard input; empty when it succeeded.
QString run(const QString &tool, const QStringList &args, const QByteArray &input)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), QStringLiteral("admin"));
    p.setProcessEnvironment(env);
    startAsServerUser(p, tool, args);
    p.write(input);
    p.closeWriteChannel();
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return QString();
    return QFileInfo(tool).fileName() + QStringLiteral(" failed: ") +
           QString::fromLocal8Bit(p.readAll()).trimmed().right(600);
}

// The README's set-up script: the sql block that makes the seats' group.
QByteArray readmeSql()
{
    QFile readme(QStringLiteral(SUMSPROUT_TESTS_DIR "/../README.md"));
    readme.open(QIODevice::ReadOnly);
    static const QRegularExpression block(QStringLiteral("```sql\\n(.*?)```"),
                                          QRegularExpression::DotMatchesEverythingOption);
    for (auto it = block.globalMatch(QString::fromUtf8(readme.readAll())); it.hasNext();) {
        const QString sql = it.next().captured(1);
        if (sql.contains(QLatin1String(ClassSchema::seatGroup))) return sql.toUtf8();
    }
    return QByteArray();
}

} // namespace

QString ClassServer::start()
{
    if (!QFileInfo(bin("postgres")).isExecutable())
        return QStringLiteral("the PostgreSQL 15 server is not installed in %1 "
                              "(tools/install-deps.sh --test installs postgresql-15)")
            .arg(QFileInfo(bin("postgres")).path());
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return QStringLiteral("Qt's PostgreSQL driver is missing (libqt6sql6-psql)");
    const QString data = m_dir.filePath(QStringLiteral("data"));
    if (!m_made) {
        const QString pw = m_dir.filePath(QStringLiteral("pw"));
        QDir(m_dir.path()).mkpath(QStringLiteral("sock"));
        QFile file(pw);
        if (!file.open(QIODevice::WriteOnly) || file.write("admin\n") < 0)
            return QStringLiteral("cannot write %1").arg(pw);
        file.close();
        if (const passwd *u = serverUser())
            for (const QString &path : {m_dir.path(), host(), pw})
                if (::chown(QFile::encodeName(path).constData(), u->pw_uid, u->pw_gid) != 0)
                    return QStringLiteral("cannot hand %1 to the postgres user").arg(path);
        const QString why = run(bin("initdb"),
                                {"-D", data, "-U", "admin", "-A", "scram-sha-256", "--pwfile=" + pw,
                                 "-E", "UTF8", "--locale=C", "--no-sync"},
                                {});
        if (!why.isEmpty()) return why;
    }
    m_server = std::make_unique<QProcess>();
    // The server must not outlive a test that is killed; runuser passes the signal on.
    m_server->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_server->setProcessChannelMode(QProcess::MergedChannels);
    m_server->setStandardOutputFile(m_dir.filePath(QStringLiteral("server.log")),
                                    QIODevice::Append);
    startAsServerUser(*m_server, bin("postgres"),
                      {"-D", data, "-k", host(), "-p", QString::number(Port), "-c",
                       "listen_addresses=", "-c", "fsync=off"});
    const QDeadlineTimer deadline(30000);
    QFile pid(data + QStringLiteral("/postmaster.pid"));
    while (!(pid.open(QIODevice::ReadOnly) && pid.readAll().contains("\nready"))) {
        pid.close();
        if (deadline.hasExpired() || !m_server->waitForStarted(5000)) {
            stop();
            QFile log(m_dir.filePath(QStringLiteral("server.log")));
            log.open(QIODevice::ReadOnly);
            return QStringLiteral("the server did not come up: ") +
                   QString::fromLocal8Bit(log.readAll()).trimmed().right(600);
        }
        QThread::msleep(20);
    }
    if (std::exchange(m_made, true)) return QString();
    return run(bin("psql"),
               {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", host(), "-p", QString::number(Port),
                "-U", "admin", "-d", "postgres", "-v", QStringLiteral("class_db=") + database, "-v",
                QStringLiteral("teacher_password=") + teacherPassword, "-v",
                QStringLiteral("seat_password=") + seatPassword},
               readmeSql());
}

void ClassServer::stop()
{
    if (!m_server) return;
    QFile pid(m_dir.filePath(QStringLiteral("data/postmaster.pid")));
    // SIGINT is the fast shutdown; under runuser the postmaster is not our child.
    if (pid.open(QIODevice::ReadOnly) && running())
        ::kill(pid_t(pid.readLine().trimmed().toLongLong()), SIGINT);
    if (!m_server->waitForFinished(15000)) m_server->kill();
    m_server->waitForFinished(2000);
    m_server.reset();
}

ClassSettings ClassServer::settings(const QString &className, const QString &seat,
                                    bool teacher) const
{
    return {.host = host(),
            .port = Port,
            .database = QLatin1String(database),
            .user = teacher ? QStringLiteral("teacher") : QStringLiteral("seat"),
            .password = QLatin1String(teacher ? teacherPassword : seatPassword),
            .sslMode = QStringLiteral("disable"),
            .className = className,
            .seat = seat};
}

void ClassServer::writeIni(const QString &setFolder, const ClassSettings &s)
{
    QFile ini(QDir(setFolder).filePath(QStringLiteral("Class.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write(QStringLiteral("[Server]\nHost=%1\nPort=%2\nDatabase=%3\nUser=%4\nPassword=\"%5\"\n"
                             "SslMode=%6\n[Class]\nName=%7\nSeat=%8\n")
                  .arg(s.host, QString::number(s.port), s.database, s.user, s.password, s.sslMode,
                       s.className, s.seat)
                  .toUtf8());
    ini.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

QList<QVariantList> ClassServer::rows(const QString &sql, QString *error) const
{
    const QString name = QStringLiteral("class-server-admin");
    QList<QVariantList> out;
    // Afresh each time: the server may have been restarted since.
    QSqlDatabase db = QSqlDatabase::contains(name)
                          ? QSqlDatabase::database(name, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.close();
    const ClassSettings s = settings({}, {});
    db.setHostName(s.host);
    db.setPort(s.port);
    db.setDatabaseName(s.database);
    db.setUserName(QStringLiteral("admin"));
    db.setPassword(QStringLiteral("admin"));
    const bool open = db.open();
    QSqlQuery q(db);
    if (!open || !q.exec(sql)) {
        if (error) *error = (open ? q.lastError() : db.lastError()).text();
        return out;
    }
    while (q.next()) {
        out << QVariantList();
        for (int i = 0; i < q.record().count(); ++i)
            out.last() << (q.isNull(i) ? QVariant() : QVariant(q.value(i).toString()));
    }
    return out;
}

QString ClassServer::exec(const QString &sql) const
{
    QString error;
    rows(sql, &error);
    return error;
}

QList<QVariantList> ClassServer::rows(const ClassTable &table, const QString &className,
                                      const QString &seat) const
{
    QStringList columns;
    for (const ClassColumn &c : table.columns)
        columns << QString::fromLatin1(c.name);
    return rows(
        QStringLiteral("SELECT local_id, %1 FROM %2 WHERE class = '%3' AND seat = '%4' "
                       "ORDER BY local_id")
            .arg(columns.join(QStringLiteral(", ")), QLatin1String(table.name), className, seat));
}
