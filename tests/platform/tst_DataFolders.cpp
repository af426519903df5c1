#include "platform/DataFolders.h"
#include "app/Main.h"
#include "characters/uAnimation.h"
#include "engines/AddAlgo.h"
#include "platform/TextFiles.h"
#include "settings/uAbout.h"
#include "SilentSound.h"
#include "TestSupport.h"

#include <QDirIterator>
#include <QtTest>

#include <unistd.h>

namespace {

void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(file));
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(file, target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser);
    }
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A temporary machine: usr/games for the executable, usr/share/sumsprout for the installed
// data, home for the user.
struct Machine
{
    QString path(const QString &relative) const { return root.filePath(relative); }
    void install() const
    {
        copyTree(QStringLiteral(SUMSPROUT_DATA_DIR), path("usr/share/sumsprout"));
    }
    DataFolders find() const
    {
        QDir().mkpath(path("usr/games"));
        return findDataFolders(path("usr/games"), path("home/.local/share/Sumsprout"));
    }

    QTemporaryDir root;
};

} // namespace

class tst_DataFolders : public QObject
{
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void userSetKeptAndCompleted();
    void gamePlaysFromSplitFolders();
};

void tst_DataFolders::layout_data()
{
    QTest::addColumn<QString>("beside"); // a Set/ folder beside the executable, or none
    QTest::addColumn<bool>("besideWritable");
    QTest::addColumn<bool>("installed");   // usr/share/sumsprout present
    QTest::addColumn<bool>("userBlocked"); // the user's data folder cannot be made
    QTest::addColumn<QString>("appDir");   // expected, relative to the machine
    QTest::addColumn<QString>("shareDir");
    QTest::addColumn<bool>("portable");
    QTest::addColumn<bool>("error");
    const QString games = QStringLiteral("usr/games/");
    const QString share = QStringLiteral("usr/share/sumsprout/");
    const QString user = QStringLiteral("home/.local/share/Sumsprout/");
    QTest::newRow("writable Set beside wins")
        << "Set" << true << true << false << games << games << true << false;
    QTest::newRow("letter case of Set ignored")
        << "set" << true << false << false << games << games << true << false;
    QTest::newRow("installed") << "" << false << true << false << user << share << false << false;
    QTest::newRow("read-only Set beside, installed")
        << "Set" << false << true << false << user << share << false << false;
    QTest::newRow("read-only Set beside only")
        << "Set" << false << false << false << user << games << false << false;
    QTest::newRow("nothing anywhere")
        << "" << false << false << false << games << games << true << false;
    QTest::newRow("user folder blocked")
        << "" << false << true << true << share << share << false << true;
}

void tst_DataFolders::layout()
{
    QFETCH(QString, beside);
    QFETCH(bool, besideWritable);
    QFETCH(bool, installed);
    QFETCH(bool, userBlocked);
    QFETCH(QString, appDir);
    QFETCH(QString, shareDir);
    QFETCH(bool, portable);
    QFETCH(bool, error);
    if (!besideWritable && !beside.isEmpty() && ::geteuid() == 0)
        QSKIP("root may write into any folder");
    Machine m;
    if (installed) m.install();
    if (!beside.isEmpty()) {
        copyTree(QStringLiteral(SUMSPROUT_DATA_DIR "/Set"), m.path("usr/games/" + beside));
        if (!besideWritable)
            QFile::setPermissions(m.path("usr/games/" + beside),
                                  QFile::ReadOwner | QFile::ExeOwner | QFile::ReadUser);
    }
    if (userBlocked) {
        QDir().mkpath(m.path("home/.local/share"));
        QFile blocker(m.path("home/.local/share/Sumsprout"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }

    const DataFolders f = m.find();
    if (!besideWritable && !beside.isEmpty())
        QFile::setPermissions(m.path("usr/games/" + beside),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(f.appDir, m.path(appDir));
    QCOMPARE(f.shareDir, m.path(shareDir));
    QCOMPARE(f.portable, portable);
    QCOMPARE(!f.error.isEmpty(), error);
    if (appDir == QLatin1String("home/.local/share/Sumsprout/")) {
        // The first start copies every shipped Set/ file, byte for byte.
        const QString from =
            m.path(installed ? QStringLiteral("usr/share/sumsprout/Set") : "usr/games/" + beside);
        const QStringList files = QDir(from).entryList(QDir::Files);
        QVERIFY(!files.isEmpty());
        for (const QString &name : files)
            QCOMPARE(bytesOf(m.path(appDir + "Set/" + name)), bytesOf(from + "/" + name));
    }
}

void tst_DataFolders::userSetKeptAndCompleted()
{
    Machine m;
    m.install();
    m.find();
    const QString userSet = m.path("home/.local/share/Sumsprout/Set/");
    writeTextLines(userSet + "Money.dat", {QStringLiteral("小明=7,3")});
    // A file renamed by hand in another letter case is still the same file.
    QVERIFY(QFile::rename(userSet + "AddSet.Dat", userSet + "addset.dat"));
    QVERIFY(QFile::remove(userSet + "Basic.dat"));

    const DataFolders again = m.find();
    QVERIFY(again.error.isEmpty());
    QCOMPARE(readTextLines(userSet + "Money.dat"), QStringList{QStringLiteral("小明=7,3")});
    QVERIFY(!QFile::exists(userSet + "AddSet.Dat"));
    QCOMPARE(bytesOf(userSet + "Basic.dat"), bytesOf(m.path("usr/share/sumsprout/Set/Basic.dat")));
    QCOMPARE(QDir(userSet).entryList(QDir::Files | QDir::Hidden).size(),
             QDir(m.path("usr/share/sumsprout/Set")).entryList(QDir::Files).size());
}

// The controller, the characters, the cues and the guide read the installed folder; coins go
// to the user's Set/ and nothing is written beside the installed data.
void tst_DataFolders::gamePlaysFromSplitFolders()
{
    Machine m;
    m.install();
    const QString shippedMoney = m.path("usr/share/sumsprout/Set/Money.dat");
    const QByteArray before = bytesOf(shippedMoney);
    FakeClock clock;
    SilentSoundService sound;
    CapturingReporter errors;
    const GameServices services{m.find(), clock, sound, errors};
    {
        Session game(services, sceneGeometry());
        game.Start();
        QVERIFY(!game.animation().Sprites.empty());
        game.controller().UseEngine(Op::Add);
        auto &add = static_cast<TAdd &>(game.controller().Engine());
        add.SetProblem(9, 5, false);
        add.RewardCoins = 250;
        QCOMPARE(game.Submit(14).CoinsPaid, 250);
    }
    QCOMPARE(errors.errors, QStringList());
    QCOMPARE(sound.opened.size(), 7);
    QCOMPARE(bytesOf(shippedMoney), before);
    QVERIFY(bytesOf(m.path("home/.local/share/Sumsprout/Set/Money.dat")) != before);
    QVERIFY(!QFile::exists(m.path("usr/share/sumsprout/Set/Progress.db")));
    TMainForm window(services);
    QCOMPARE(window.AboutForm->HelpUrl().toLocalFile(),
             m.path("usr/share/sumsprout/Help/index.html"));
}

QTEST_MAIN(tst_DataFolders)
#include "tst_DataFolders.moc"
