#include "PgCluster.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <atomic>
#include <csignal>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

QString binDir()
{
    const QByteArray env = qgetenv("SUMSPROUT_PG_BIN");
    return env.isEmpty() ? QStringLiteral("/usr/lib/postgresql/15/bin")
                         : QString::fromLocal8Bit(env);
}

QString bin(const char *tool)
{
    return QDir(binDir()).filePath(QString::fromLatin1(tool));
}

const passwd *serverUser()
{
    return geteuid() == 0 ? getpwnam("postgres") : nullptr;
}

// One connection per call, on the calling thread, gone when the call returns.
class Admin
{
public:
    Admin(const PgCluster &c, const QString &database)
    {
        static std::atomic<int> serial{0};
        m_name = QStringLiteral("pgcluster-%1").arg(++serial);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        db.setHostName(c.host());
        db.setPort(c.port());
        db.setDatabaseName(database);
        db.setUserName(QStringLiteral("admin"));
        db.setPassword(QStringLiteral("admin"));
        db.setConnectOptions(QStringLiteral("connect_timeout=3"));
        db.open();
    }
    ~Admin()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};

} // namespace

PgCluster::PgCluster() = default;

PgCluster::~PgCluster()
{
    stop();
}

QString PgCluster::host() const
{
    return m_dir.filePath(QStringLiteral("sock"));
}

QStringList PgCluster::asServerUser(const QString &program, const QStringList &args) const
{
    if (!serverUser()) return QStringList{program} + args;
    return QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("postgres"),
                       QStringLiteral("--"), program} +
           args;
}

QString PgCluster::start()
{
    if (!QFileInfo(bin("postgres")).isExecutable() || !QFileInfo(bin("initdb")).isExecutable())
        return QStringLiteral("the PostgreSQL 15 server is not installed in %1 "
                              "(tools/install-deps.sh --test installs postgresql-15)")
            .arg(binDir());
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return QStringLiteral("Qt's PostgreSQL driver is missing (libqt6sql6-psql)");
    if (geteuid() == 0 && !serverUser())
        return QStringLiteral("running as root, but there is no user \"postgres\" to run the "
                              "server as");
    if (!m_dir.isValid()) return QStringLiteral("no temporary folder");
    const QString data = m_dir.filePath(QStringLiteral("data"));
    if (!m_made) {
        QDir(m_dir.path()).mkpath(QStringLiteral("sock"));
        QFile pw(m_dir.filePath(QStringLiteral("pw")));
        if (!pw.open(QIODevice::WriteOnly) || pw.write("admin\n") < 0)
            return QStringLiteral("cannot write the password file");
        pw.close();
        if (const passwd *u = serverUser()) {
            for (const QString &path : {m_dir.path(), host(), pw.fileName()})
                if (::chown(QFile::encodeName(path).constData(), u->pw_uid, u->pw_gid) != 0)
                    return QStringLiteral("cannot hand %1 to the postgres user").arg(path);
        }
        const QStringList cmd =
            asServerUser(bin("initdb"),
                         {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("admin"),
                          QStringLiteral("-A"), QStringLiteral("scram-sha-256"),
                          QStringLiteral("--pwfile=") + pw.fileName(), QStringLiteral("-E"),
                          QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                          QStringLiteral("--no-sync"), QStringLiteral("--no-instructions")});
        QProcess initdb;
        initdb.setProcessChannelMode(QProcess::MergedChannels);
        initdb.start(cmd.first(), cmd.mid(1));
        if (!initdb.waitForFinished(60000) || initdb.exitCode() != 0)
            return QStringLiteral("initdb failed: ") +
                   QString::fromLocal8Bit(initdb.readAll()).trimmed().right(600);
        m_made = true;
    }
    const QStringList cmd = asServerUser(
        bin("postgres"),
        {QStringLiteral("-D"), data, QStringLiteral("-k"), host(), QStringLiteral("-p"),
         QString::number(port()), QStringLiteral("-c"), QStringLiteral("listen_addresses="),
         QStringLiteral("-c"), QStringLiteral("fsync=off"), QStringLiteral("-c"),
         QStringLiteral("max_connections=120")});
    QFile::remove(data + QStringLiteral("/postmaster.pid"));
    m_server = std::make_unique<QProcess>();
    // The server must not outlive a test that is killed; runuser passes the signal on.
    m_server->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_server->setProcessChannelMode(QProcess::MergedChannels);
    m_server->setStandardOutputFile(m_dir.filePath(QStringLiteral("server.log")),
                                    QIODevice::Append);
    m_server->start(cmd.first(), cmd.mid(1));
    if (!m_server->waitForStarted(5000)) return QStringLiteral("the server did not start");
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && m_server->state() == QProcess::Running) {
        QFile pid(data + QStringLiteral("/postmaster.pid"));
        if (pid.open(QIODevice::ReadOnly) && pid.readAll().contains("\nready")) return QString();
        QThread::msleep(20);
    }
    QFile log(m_dir.filePath(QStringLiteral("server.log")));
    log.open(QIODevice::ReadOnly);
    stop();
    return QStringLiteral("the server did not come up: ") +
           QString::fromLocal8Bit(log.readAll()).trimmed().right(600);
}

bool PgCluster::running() const
{
    return m_server && m_server->state() == QProcess::Running;
}

void PgCluster::stop()
{
    if (!m_server) return;
    QFile pidFile(m_dir.filePath(QStringLiteral("data/postmaster.pid")));
    const qint64 pid =
        pidFile.open(QIODevice::ReadOnly) ? pidFile.readLine().trimmed().toLongLong() : 0;
    if (pid > 0 && running()) {
        ::kill(pid_t(pid), SIGINT);
        if (!m_server->waitForFinished(15000)) {
            ::kill(pid_t(pid), SIGQUIT);
            m_server->waitForFinished(5000);
        }
    }
    if (running()) {
        m_server->kill();
        m_server->waitForFinished(2000);
    }
    m_server.reset();
}

QString PgCluster::exec(const QString &sql, const QString &database) const
{
    Admin admin(*this, database);
    if (!admin.db().isOpen()) return admin.db().lastError().text();
    QSqlQuery q(admin.db());
    return q.exec(sql) ? QString() : q.lastError().text();
}

QList<QVariantList> PgCluster::rows(const QString &sql, const QString &database) const
{
    QList<QVariantList> out;
    Admin admin(*this, database);
    QSqlQuery q(admin.db());
    if (!q.exec(sql)) return out;
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << (q.isNull(i) ? QVariant() : QVariant(q.value(i).toString()));
        out << row;
    }
    return out;
}

QString PgCluster::psql(const QString &scriptPath, const QString &database,
                        const QStringList &variables) const
{
    QStringList args = {QStringLiteral("-X"), QStringLiteral("-q"),
                        QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                        QStringLiteral("-h"), host(),
                        QStringLiteral("-p"), QString::number(port()),
                        QStringLiteral("-U"), QStringLiteral("admin"),
                        QStringLiteral("-d"), database,
                        QStringLiteral("-f"), scriptPath};
    for (const QString &v : variables)
        args << QStringLiteral("-v") << v;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), QStringLiteral("admin"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(bin("psql"), args);
    if (!p.waitForFinished(30000)) return QStringLiteral("psql did not finish");
    const QString out = QString::fromLocal8Bit(p.readAll()).trimmed();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return out.isEmpty() ? QStringLiteral("psql failed") : out;
    return QString();
}
