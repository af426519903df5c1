#include "platform/GameLock.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <unistd.h>

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

QTEST_MAIN(tst_GameLock)
#include "tst_GameLock.moc"
