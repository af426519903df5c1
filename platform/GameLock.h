#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;

// One game per data folder: a second game beside the same files would save a stale coin bank
// over the first one's. The first start holds a lock file in the folder for its whole run
// and listens for later starts, which ask it to come to the front and then end.
class GameLock : public QObject
{
    Q_OBJECT

public:
    enum class Result {
        Taken,         // this game runs on the folder
        HeldElsewhere, // a running game holds the folder
        Unavailable,   // no lock can be made there (read-only or missing folder): play unlocked
    };

    explicit GameLock(const QString &lockFile, QObject *parent = nullptr);
    ~GameLock() override;

    Result take();
    // For a start that found the lock held: asks the holder to show itself. False when it
    // cannot be reached.
    bool askHolderToShow(int timeoutMs = 2000);

signals:
    // A later start asked this game to come to the front.
    void showRequested();

private:
    QString serverName() const;

    QLockFile m_lock;
    QString m_path;
    QLocalServer *m_server = nullptr;
};
