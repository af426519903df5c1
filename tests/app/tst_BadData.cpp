#include "app/Main.h"
#include "game/CoinBank.h"
#include "platform/PulseSound.h"
#include "platform/TextFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QToolButton>
#include <QtTest>

namespace {

QByteArray bmpHeader(int32_t width, int32_t height)
{
    QByteArray b(54, '\0');
    auto put32 = [&](int at, int32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, 54);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    b[26] = 1;
    b[28] = 24;
    return b;
}

} // namespace

// Bad data files never crash or hang the game: the error box shows the error's text, or
// the reader's silent behaviour applies, and the window stays usable.
class tst_BadData : public QObject
{
    Q_OBJECT
private slots:
    void badFile_data();
    void badFile();
    void hugeCountsSaturate();
    void specialFiles_data();
    void specialFiles();
    void oversizedFilesRefused_data();
    void oversizedFilesRefused();
};

void tst_BadData::badFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes"); // empty with remove = true deletes the file
    QTest::addColumn<bool>("remove");
    QTest::addColumn<bool>("gameStarts");
    QTest::addColumn<QString>("error"); // part of the reported text; empty: nothing reported

    const QByteArray longLine = "1\xCE\xBB\xCA\xFD+1\xCE\xBB\xCA\xFD" + QByteArray(100000, 'x');
    QTest::newRow("Basic.dat missing")
        << "Set/Basic.dat" << QByteArray() << true << false << "Basic.dat";
    QTest::newRow("Basic.dat empty")
        << "Set/Basic.dat" << QByteArray() << false << false << "Basic.dat\n第1行";
    QTest::newRow("Basic.dat short") << "Set/Basic.dat" << QByteArray("Children=0\r\nAlg=0,\r\n")
                                     << false << false << "Basic.dat\n第3行";
    QTest::newRow("Basic.dat not GBK")
        << "Set/Basic.dat" << QByteArray("\xFF\xFE\x80\r\nAlg=\xFF,0,\r\nHint=1\r\nA\r\n") << false
        << true << "";
    QTest::newRow("Basic.dat huge codes")
        << "Set/Basic.dat"
        << QByteArray("Children=1\r\nAlg=99999999999999999999,\r\nHint=1\r\nA\r\n") << false << true
        << "";
    QTest::newRow("Money.dat missing")
        << "Set/Money.dat" << QByteArray() << true << false << "Money.dat";
    QTest::newRow("Money.dat empty") << "Set/Money.dat" << QByteArray() << false << true << "";
    QTest::newRow("Money.dat not GBK")
        << "Set/Money.dat" << QByteArray("\xFF\xFE\x81=1,2\r\n") << false << true << "";
    QTest::newRow("Money.dat long line")
        << "Set/Money.dat" << QByteArray(100000, 'z') << false << true << "";
    QTest::newRow("AddSet long line") << "Set/AddSet.Dat" << longLine << false << true << "";
    QTest::newRow("AddSet empty") << "Set/AddSet.Dat" << QByteArray() << false << true << "";
    QTest::newRow("AddSet bad digit")
        << "Set/AddSet.Dat" << QByteArray("1位数+1位数(1硬币)\r\nx+1\r\n") << false << false
        << "AddSet.Dat\n第2行：“x”";
    QTest::newRow("AddSet missing")
        << "Set/AddSet.Dat" << QByteArray() << true << false << "AddSet.dat";
    QTest::newRow("Back.bmp missing")
        << "Pictures/Back.bmp" << QByteArray() << true << false << "Back.bmp";
    QTest::newRow("Back.bmp empty")
        << "Pictures/Back.bmp" << QByteArray() << false << false << "Back.bmp\n原因：这不是";
    QTest::newRow("TreeLeft.bmp 0x0") << "Pictures/TreeLeft.bmp" << bmpHeader(0, 0) << false
                                      << false << "TreeLeft.bmp\n原因：这不是";
    QTest::newRow("Hint.bmp huge") << "Pictures/Hint.bmp" << bmpHeader(200000, 200000) << false
                                   << false << "Hint.bmp\n原因：这不是";
    QTest::newRow("Animation.txt empty")
        << "Pictures/Animation.txt" << QByteArray() << false << true << "";
    QTest::newRow("Animation.txt long line")
        << "Pictures/Animation.txt" << QByteArray("begin ") + QByteArray(100000, 'q') << false
        << true << "";
    QTest::newRow("Animation.txt huge cells")
        << "Pictures/Animation.txt"
        << QByteArray("begin\nname=anWolf\npic=wolf.bmp\ncell=99999999,99999999\npos=1,1,3\n"
                      "action=0,8,akThink,100\nend\n")
        << false << true << "99999999×99999999";
    QTest::newRow("a sprite sheet missing")
        << "Pictures/wolf.bmp" << QByteArray() << true << true << "wolf.bmp";
    QTest::newRow("a sprite sheet not a bitmap")
        << "Pictures/woolly.bmp" << QByteArray("BM") << false << true << "woolly.bmp";
    QTest::newRow("sound missing") << "Sound/WoollyThink.wav" << QByteArray() << true << true << "";
    QTest::newRow("sound not a wave")
        << "Sound/WolfYes.wav" << QByteArray("RIFF\x01") << false << true << "";
}

void tst_BadData::badFile()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, remove);
    QFETCH(bool, gameStarts);
    QFETCH(QString, error);
    TempDataDir data;
    if (remove)
        data.remove(file);
    else
        data.writeBytes(file, bytes);
    FakeClock clock;
    CapturingReporter reporter;
    // The machine's own sound output reads the cues, as in the game.
    PulseSoundService sound;
    TMainForm form(GameServices{data.folders(), clock, sound, reporter});
    form.show();
    QCOMPARE(form.Game() != nullptr, gameStarts);
    if (error.isEmpty()) {
        QVERIFY2(reporter.errors.isEmpty(), qPrintable(reporter.errors.join('|')));
    } else {
        QVERIFY(!reporter.errors.isEmpty());
        QVERIFY2(reporter.errors.first().contains(error), qPrintable(reporter.errors.first()));
    }
    // Play on a little: ticks, digits, an answer, a player change.
    for (int tick = 0; tick < 30; ++tick) {
        clock.advance(100);
        form.Timer1Timer();
        form.Timer2Timer();
    }
    QTest::keyClick(&form, Qt::Key_1);
    QTest::keyClick(&form, Qt::Key_Return);
    form.Who->click();
    form.Timer1Timer();
}

void tst_BadData::hugeCountsSaturate()
{
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Money.dat"),
                    {QStringLiteral("a=99999999999,2147483647"), QStringLiteral("b=0,0"),
                     QStringLiteral("c=0,0"), QStringLiteral("d=0,0")});
    CoinBank bank(data.path(QStringLiteral("Set/Money.dat")));
    bank.LoadMoney();
    QCOMPARE(bank.GoldOf(0), 2147483647);
    bank.AddCoins(0, 50);
    QCOMPARE(bank.GoldOf(0), 2147483647);
    QVERIFY(bank.SilverOf(0) >= 0);
    bank.TakeCoins(0, 1);
    QVERIFY(bank.SilverOf(0) >= 0);
}

void tst_BadData::specialFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("kind"); // fifo, folder, or the device a link points to
    QTest::addColumn<bool>("gameStarts");
    QTest::newRow("Basic.dat a FIFO") << "Set/Basic.dat"
                                      << "fifo" << false;
    QTest::newRow("Money.dat a FIFO") << "Set/Money.dat"
                                      << "fifo" << false;
    QTest::newRow("Money.dat a link to /dev/zero") << "Set/Money.dat"
                                                   << "/dev/zero" << false;
    QTest::newRow("AddSet.Dat a FIFO") << "Set/AddSet.Dat"
                                       << "fifo" << false;
    QTest::newRow("Basic.dat a folder") << "Set/Basic.dat"
                                        << "folder" << false;
    QTest::newRow("Back.bmp a FIFO") << "Pictures/Back.bmp"
                                     << "fifo" << false;
    QTest::newRow("Animation.txt a FIFO") << "Pictures/Animation.txt"
                                          << "fifo" << true;
    QTest::newRow("a sheet a link to /dev/zero") << "Pictures/wolf.bmp"
                                                 << "/dev/zero" << true;
    QTest::newRow("a sound a FIFO") << "Sound/WolfYes.wav"
                                    << "fifo" << true;
}

void tst_BadData::specialFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, kind);
    QFETCH(bool, gameStarts);
    TempDataDir data;
    data.remove(file);
    if (kind == QLatin1String("fifo"))
        QVERIFY(makeFifo(data.path(file)));
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(data.path(file)));
    else
        QVERIFY(QFile::link(kind, data.path(file)));
    FakeClock clock;
    CapturingReporter reporter;
    // The machine's own sound output reads the cues, as in the game.
    PulseSoundService sound;
    TMainForm form(GameServices{data.folders(), clock, sound, reporter});
    // Reading any of these would never return, without a window or a box.
    form.show();
    QCOMPARE(form.Game() != nullptr, gameStarts);
    if (file.startsWith(QLatin1String("Sound/"))) {
        // A cue that cannot be opened stays silent, as a missing one does.
        QVERIFY2(reporter.errors.isEmpty(), qPrintable(reporter.errors.join('|')));
        return;
    }
    QCOMPARE(reporter.errors.size(), 1);
    QVERIFY2(reporter.errors.first().contains(data.path(file), Qt::CaseInsensitive),
             qPrintable(reporter.errors.first()));
}

void tst_BadData::oversizedFilesRefused_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("gameStarts");
    QTest::newRow("Money.dat") << "Set/Money.dat" << TextFileLimit + 1 << false;
    QTest::newRow("Animation.txt") << "Pictures/Animation.txt" << TextFileLimit + 1 << true;
    QTest::newRow("Back.bmp") << "Pictures/Back.bmp" << MediaFileLimit + 1 << false;
}

void tst_BadData::oversizedFilesRefused()
{
    QFETCH(QString, file);
    QFETCH(qint64, size);
    QFETCH(bool, gameStarts);
    TempDataDir data;
    // Sparse: it costs the disk nothing, and a game that read it would take it all in.
    QVERIFY(QFile::resize(data.path(file), size));
    FakeClock clock;
    CapturingReporter reporter;
    PulseSoundService sound;
    TMainForm form(GameServices{data.folders(), clock, sound, reporter});
    form.show();
    QCOMPARE(form.Game() != nullptr, gameStarts);
    QCOMPARE(reporter.errors.size(), 1);
    QVERIFY2(reporter.errors.first().contains(data.path(file), Qt::CaseInsensitive) &&
                 reporter.errors.first().contains(QStringLiteral("太大")),
             qPrintable(reporter.errors.first()));
}

QTEST_MAIN(tst_BadData)
#include "tst_BadData.moc"
