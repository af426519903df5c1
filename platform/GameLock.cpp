#include "platform/GameLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSysInfo>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder only this user can enter: no one else can put a socket there before the game, nor
// reach the game's.
bool privateFolder(const QString &path)
{
    struct stat st;
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &st) == 0 &&
           S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

QString userName(uid_t uid)
{
    const passwd *pw = ::getpwuid(uid);
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(uid);
}

} // namespace

GameLock::GameLock(const QString &lockFile, QObject *parent)
    : QObject(parent), m_lock(lockFile), m_path(lockFile)
{
    // Held for the whole run: never stale by age, only when its process is gone.
    m_lock.setStaleLockTime(0);
}

GameLock::~GameLock()
{
    if (m_server) m_server->close();
    m_lock.unlock();
}

QString GameLock::serverPath() const
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!privateFolder(folder)) {
        folder = QDir::tempPath() + QStringLiteral("/sumsprout-%1").arg(::geteuid());
        ::mkdir(QFile::encodeName(folder).constData(), 0700);
        if (!privateFolder(folder)) return {};
    }
    // One name per data folder.
    const QString data = QFileInfo(QFileInfo(m_path).absolutePath()).canonicalFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(data.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return folder + QStringLiteral("/sumsprout-") + QString::fromLatin1(hash);
}

bool GameLock::samePeerUser(qintptr socketDescriptor)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer,
                        &size) == 0 &&
           peer.uid == ::geteuid();
}

GameLock::Result GameLock::take()
{
    m_problem = {};
    if (!m_lock.tryLock(0)) {
        if (m_lock.error() != QLockFile::LockFailedError) return Result::Unavailable;
        m_problem = blockedBy();
        return m_problem.What == LockProblem::Kind::None ? Result::HeldElsewhere : Result::Blocked;
    }
    listen();
    return Result::Taken;
}

GameLock::Result GameLock::takeOver()
{
    if (m_problem.What != LockProblem::Kind::OtherHost) return Result::Blocked;
    m_lock.removeStaleLockFile();
    return take();
}

LockProblem GameLock::blockedBy() const
{
    LockProblem p;
    p.File = m_path;
    struct stat st;
    const QByteArray native = QFile::encodeName(m_path);
    if (::lstat(native.constData(), &st) != 0) return p;
    if (!S_ISREG(st.st_mode)) {
        p.What = LockProblem::Kind::NotAFile;
        return p;
    }
    // Another user's game cannot be asked, and its lock is not ours to clear.
    if (st.st_uid != ::geteuid()) {
        p.What = LockProblem::Kind::OtherUser;
        p.Owner = userName(st.st_uid);
        return p;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        p.What = LockProblem::Kind::Unreadable;
        return p;
    }
    // pid, program, host name, host id: what QLockFile writes.
    const QList<QByteArray> lines = file.read(4096).split('\n');
    if (lines.size() < 3 || lines[0].toLongLong() <= 0) {
        p.What = LockProblem::Kind::Unreadable;
        return p;
    }
    p.Pid = lines[0].toLongLong();
    p.Host = QString::fromUtf8(lines[2]);
    const QByteArray hostId = lines.size() > 3 ? lines[3] : QByteArray();
    const QByteArray ourId = QSysInfo::machineUniqueId();
    const bool otherHost = !hostId.isEmpty() && !ourId.isEmpty()
                               ? hostId != ourId
                               : !p.Host.isEmpty() && p.Host != QSysInfo::machineHostName();
    if (otherHost) p.What = LockProblem::Kind::OtherHost;
    return p;
}

void GameLock::listen()
{
    const QString path = serverPath();
    // Without a private folder there is no safe place for the socket: the game plays on, and
    // a later start on this folder is told that the folder is in use.
    if (path.isEmpty()) return;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a game that was killed would refuse the name; holding the lock, it is
    // certainly not in use.
    QLocalServer::removeServer(path);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            // Only a start of this user may bring the game to the front.
            const bool ours = samePeerUser(socket->socketDescriptor());
            socket->disconnectFromServer();
            socket->deleteLater();
            if (ours) emit showRequested();
        }
    });
    // Whatever is in the way, the game plays; only the bringing to the front is lost.
    m_server->listen(path);
}

bool GameLock::askHolderToShow(int timeoutMs)
{
    const QString path = serverPath();
    QLocalSocket socket;
    if (!path.isEmpty()) {
        socket.connectToServer(path);
        if (socket.waitForConnected(timeoutMs)) {
            socket.disconnectFromServer();
            return true;
        }
    }
    m_problem = blockedBy();
    m_problem.What = LockProblem::Kind::NoAnswer;
    return false;
}
