#include "platform/GameLock.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSysInfo>
#include <QtTest>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

Q_DECLARE_METATYPE(LockProblem::Kind)

namespace {

// The real game beside a data tree of its own: it reads Set/ beside its executable.
QString placeGame(const TempDataDir &data)
{
    const QString game = data.path(QStringLiteral("sumsprout"));
    const QByteArray from = QFile::encodeName(QStringLiteral(SUMSPROUT_GAME_BINARY));
    // A hard link keeps the path the game sees as its own; a symbolic one would not.
    if (::link(from.constData(), QFile::encodeName(game).constData()) != 0)
        QFile::copy(QStringLiteral(SUMSPROUT_GAME_BINARY), game);
    return game;
}

void startGame(QProcess &process, const QString &game)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(game, {});
    QVERIFY(process.waitForStarted(10000));
}

qint64 lockHolder(const TempDataDir &data)
{
    qint64 pid = 0;
    QString host, app;
    QLockFile file(data.path(QStringLiteral("Set/Sumsprout.lock")));
    return file.getLockInfo(&pid, &host, &app) ? pid : 0;
}

} // namespace

class tst_GameLock : public QObject
{
    Q_OBJECT
private slots:
    void oneHolderPerFolder();
    void laterStartShowsTheRunningGame();
    void twoRealGamesOnOneFolder();
    void locksTheGameCannotClear_data();
    void locksTheGameCannotClear();
    void socketInTheUsersOwnFolder_data();
    void socketInTheUsersOwnFolder();
    void anotherUserCannotBringItToFront();
};

void tst_GameLock::oneHolderPerFolder()
{
    TempDataDir a, b;
    GameLock first(a.path(QStringLiteral("Set/Sumsprout.lock")));
    GameLock second(a.path(QStringLiteral("Set/Sumsprout.lock")));
    GameLock other(b.path(QStringLiteral("Set/Sumsprout.lock")));
    GameLock nowhere(a.path(QStringLiteral("NoSuchFolder/Sumsprout.lock")));
    QCOMPARE(first.take(), GameLock::Result::Taken);
    QCOMPARE(second.take(), GameLock::Result::HeldElsewhere);
    QCOMPARE(other.take(), GameLock::Result::Taken);
    // A folder that cannot hold a lock is played unlocked.
    QCOMPARE(nowhere.take(), GameLock::Result::Unavailable);
}

void tst_GameLock::laterStartShowsTheRunningGame()
{
    TempDataDir data;
    const QString game = placeGame(data);
    const QByteArray money = data.readBytes(QStringLiteral("Set/Money.dat"));
    GameLock running(data.path(QStringLiteral("Set/Sumsprout.lock")));
    QCOMPARE(running.take(), GameLock::Result::Taken);
    QSignalSpy shown(&running, &GameLock::showRequested);

    QProcess later;
    startGame(later, game);
    QVERIFY(later.waitForFinished(20000));
    QCOMPARE(later.exitStatus(), QProcess::NormalExit);
    QCOMPARE(later.exitCode(), 0);
    QVERIFY(shown.wait(5000));
    QCOMPARE(data.readBytes(QStringLiteral("Set/Money.dat")), money);
}

void tst_GameLock::twoRealGamesOnOneFolder()
{
    TempDataDir data;
    const QString game = placeGame(data);
    const QByteArray money = data.readBytes(QStringLiteral("Set/Money.dat"));
    // What a save killed long ago left behind.
    data.writeBytes(QStringLiteral("Set/.Money.dat.Zq81Lm"), "half=");

    QProcess first;
    startGame(first, game);
    QTRY_COMPARE_WITH_TIMEOUT(lockHolder(data), first.processId(), 20000);
    // Swept right after the lock is taken.
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(data.path(QStringLiteral("Set/.Money.dat.Zq81Lm"))),
                             10000);

    QProcess second;
    startGame(second, game);
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);
    QCOMPARE(lockHolder(data), first.processId());
    QCOMPARE(data.readBytes(QStringLiteral("Set/Money.dat")), money);

    // A game that was killed leaves its lock behind; the next start takes it over.
    first.kill();
    QVERIFY(first.waitForFinished(10000));
    QVERIFY(QFile::exists(data.path(QStringLiteral("Set/Sumsprout.lock"))));
    QProcess third;
    startGame(third, game);
    QTRY_COMPARE_WITH_TIMEOUT(lockHolder(data), third.processId(), 20000);
    QCOMPARE(third.state(), QProcess::Running);
    third.kill();
    QVERIFY(third.waitForFinished(10000));
}

void tst_GameLock::locksTheGameCannotClear_data()
{
    QTest::addColumn<QString>("lock"); // what stands where the lock goes
    QTest::addColumn<LockProblem::Kind>("kind");
    QTest::newRow("a folder") << "folder" << LockProblem::Kind::NotAFile;
    QTest::newRow("garbage") << "garbage" << LockProblem::Kind::Unreadable;
    QTest::newRow("another computer's") << "host" << LockProblem::Kind::OtherHost;
    QTest::newRow("another user's") << "user" << LockProblem::Kind::OtherUser;
}

void tst_GameLock::locksTheGameCannotClear()
{
    QFETCH(QString, lock);
    QFETCH(LockProblem::Kind, kind);
    TempDataDir data;
    const QString path = data.path(QStringLiteral("Set/Sumsprout.lock"));
    QLockFile ours(path);
    if (lock == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else if (lock == QLatin1String("garbage")) {
        data.writeBytes(QStringLiteral("Set/Sumsprout.lock"), "\x01\x02");
    } else if (lock == QLatin1String("host")) {
        // Left by a power cut on a computer that shares the folder.
        data.writeBytes(QStringLiteral("Set/Sumsprout.lock"),
                        "4242\nsumsprout\nclassroom-7\n" +
                            QByteArray(QSysInfo::machineUniqueId()).replace('0', '1') + "1\n");
    } else {
        const passwd *other = ::getpwnam("nobody");
        if (::geteuid() != 0 || !other) QSKIP("a lock of another user needs root and 'nobody'");
        // A live game's lock, handed to the other user.
        QVERIFY(ours.tryLock(0));
        QVERIFY(::chown(QFile::encodeName(path).constData(), other->pw_uid, other->pw_gid) == 0);
    }
    GameLock game(path);
    QCOMPARE(game.take(), GameLock::Result::Blocked);
    QCOMPARE(game.problem().What, kind);
    QCOMPARE(game.problem().File, path);
    // Only another computer's lock may be taken over, once a person has said so (the window's
    // test); nothing else can be.
    const bool otherHost = kind == LockProblem::Kind::OtherHost;
    QCOMPARE(game.problem().Host, otherHost ? QStringLiteral("classroom-7") : QString());
    QCOMPARE(game.takeOver(), otherHost ? GameLock::Result::Taken : GameLock::Result::Blocked);
}

void tst_GameLock::socketInTheUsersOwnFolder_data()
{
    QTest::addColumn<QString>("runtime"); // XDG_RUNTIME_DIR: private or shared
    QTest::addColumn<bool>("inTheWay");   // a folder where the socket goes
    QTest::newRow("the user's runtime folder") << "private" << false;
    QTest::newRow("a runtime folder others can enter") << "shared" << false;
    QTest::newRow("something in the way") << "private" << true;
}

void tst_GameLock::socketInTheUsersOwnFolder()
{
    QFETCH(QString, runtime);
    QFETCH(bool, inTheWay);
    QTemporaryDir folder;
    ::chmod(QFile::encodeName(folder.path()).constData(), runtime == "shared" ? 0755 : 0700);
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const auto restore = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", saved); });
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder.path()));

    TempDataDir data;
    const QString lockFile = data.path(QStringLiteral("Set/Sumsprout.lock"));
    GameLock running(lockFile);
    const QString socket = running.serverPath();
    QVERIFY(!socket.isEmpty());
    QCOMPARE(socket.startsWith(folder.path()), runtime == QLatin1String("private"));
    // Whatever the folder, only this user can enter it.
    struct stat st;
    QVERIFY(::stat(QFile::encodeName(QFileInfo(socket).path()).constData(), &st) == 0 &&
            st.st_uid == ::geteuid() && (st.st_mode & 077) == 0);
    if (inTheWay) QVERIFY(QDir().mkpath(socket + QStringLiteral("/x")));

    // The game starts whatever is in the way; a later start brings it to the front.
    QCOMPARE(running.take(), GameLock::Result::Taken);
    QSignalSpy shown(&running, &GameLock::showRequested);
    GameLock later(lockFile);
    QCOMPARE(later.take(), GameLock::Result::HeldElsewhere);
    QCOMPARE(later.askHolderToShow(500), !inTheWay);
    if (inTheWay)
        QCOMPARE(later.problem().What, LockProblem::Kind::NoAnswer);
    else
        QVERIFY(shown.wait(5000));
}

void tst_GameLock::anotherUserCannotBringItToFront()
{
    const passwd *other = ::getpwnam("nobody");
    if (::geteuid() != 0 || !other) QSKIP("a second user needs root and 'nobody'");
    // A socket the other user can reach, as the old one in /tmp was.
    QTemporaryDir shared;
    ::chmod(QFile::encodeName(shared.path()).constData(), 0777);
    QLocalServer server;
    server.setSocketOptions(QLocalServer::WorldAccessOption);
    QVERIFY(server.listen(shared.filePath(QStringLiteral("game"))));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(server.fullServerName()).constData(),
             sizeof address.sun_path);
    for (const bool asOther : {true, false}) {
        // A child that only connects, as that user: nothing but system calls after the fork.
        const pid_t child = ::fork();
        if (child == 0) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            ::_exit((asOther && ::setuid(other->pw_uid) != 0) ||
                    ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0);
        }
        QVERIFY(server.waitForNewConnection(10000));
        QLocalSocket *peer = server.nextPendingConnection();
        QCOMPARE(GameLock::samePeerUser(peer->socketDescriptor()), !asOther);
        ::waitpid(child, nullptr, 0);
        delete peer;
    }
}

QTEST_MAIN(tst_GameLock)
#include "tst_GameLock.moc"
