#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;

// Why the folder's lock could not be taken, for the person who must put it right.
struct LockProblem
{
    enum class Kind {
        None,
        NotAFile,   // something else (a folder) stands where the lock file goes
        Unreadable, // a lock file that cannot be read
        OtherUser,  // held by a game of another user
        OtherHost,  // written by a game on another computer, which cannot be asked
        NoAnswer,   // a game of this user holds it but does not answer
    };
    Kind What = Kind::None;
    QString File;
    // The user who owns the lock, the computer that wrote it, the process named in it.
    QString Owner;
    QString Host;
    qint64 Pid = 0;
};

// One game per data folder: a second game beside the same files would save a stale coin bank
// over the first one's. The first start holds a lock file in the folder for its whole run
// and listens, in the user's own runtime folder, for later starts of the same user, which
// ask it to come to the front and then end.
class GameLock : public QObject
{
    Q_OBJECT

public:
    enum class Result {
        Taken,         // this game runs on the folder
        HeldElsewhere, // a running game of this user on this computer holds the folder
        Unavailable,   // no lock can be made there (read-only or missing folder): play unlocked
        Blocked,       // a lock the game cannot clear: problem() says why
    };

    explicit GameLock(const QString &lockFile, QObject *parent = nullptr);
    ~GameLock() override;

    Result take();
    bool isHeld() const { return m_lock.isLocked(); }
    const LockProblem &problem() const { return m_problem; }
    // For a lock written on another computer, once a person has said that no game runs there
    // any more: the lock is cleared and taken.
    Result takeOver();
    // For a start that found the lock held: asks the holder to show itself. False when it
    // cannot be reached; problem() then says so.
    bool askHolderToShow(int timeoutMs = 2000);

    // Where the socket of this folder's game lives: in the user's runtime folder
    // (XDG_RUNTIME_DIR), or a folder of the user's own under the temporary folder; empty when
    // neither is private to the user.
    QString serverPath() const;
    // Whether the peer of a connected local socket runs as this user.
    static bool samePeerUser(qintptr socketDescriptor);

signals:
    // A later start asked this game to come to the front.
    void showRequested();

private:
    void listen();
    // Why a lock held elsewhere cannot be asked to give way; None when it can be asked.
    LockProblem blockedBy() const;

    QLockFile m_lock;
    QString m_path;
    QLocalServer *m_server = nullptr;
    LockProblem m_problem;
};
