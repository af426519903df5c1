#include "platform/GameLock.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

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

QString GameLock::serverName() const
{
    // One name per folder, short enough for a socket path.
    const QString folder = QFileInfo(QFileInfo(m_path).absolutePath()).canonicalFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("sumsprout-") + QString::fromLatin1(hash);
}

GameLock::Result GameLock::take()
{
    if (!m_lock.tryLock(0)) {
        return m_lock.error() == QLockFile::LockFailedError ? Result::HeldElsewhere
                                                            : Result::Unavailable;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = serverName();
    // A socket left by a game that was killed would refuse the name; holding the lock, it is
    // certainly not in use.
    QLocalServer::removeServer(name);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            socket->disconnectFromServer();
            socket->deleteLater();
            emit showRequested();
        }
    });
    // Without the server a later start just ends; the lock alone keeps the data safe.
    m_server->listen(name);
    return Result::Taken;
}

bool GameLock::askHolderToShow(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.disconnectFromServer();
    return true;
}
