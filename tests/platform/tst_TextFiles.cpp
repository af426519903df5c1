#include "platform/TextFiles.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_TextFiles : public QObject
{
    Q_OBJECT
private slots:
    void split_data();
    void split();
    void gbk_data();
    void gbk();
    void invalidGbkDoesNotStopReading();
    void cut_data();
    void cut();
    void lettersCaseDoesNotMatter();
    void missingFileNamesTheFile();
    void safeWriteReplacesWholeFile();
};

void tst_TextFiles::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("crlf") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("cr and lf") << "a\rb\nc" << QStringList{"a", "b", "c"};
    QTest::newRow("last line unbroken") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("empty line kept") << "a\r\n\r\nb\r\n" << QStringList{"a", "", "b"};
    QTest::newRow("lf cr is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
    QTest::newRow("empty") << "" << QStringList{};
}

void tst_TextFiles::split()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(splitLines(text), lines);
}

void tst_TextFiles::gbk_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("times") << "×" << QByteArray("\xA1\xC1");
    QTest::newRow("divide") << "÷" << QByteArray("\xA1\xC2");
    QTest::newRow("coins") << "硬币" << QByteArray("\xD3\xB2\xB1\xD2");
    QTest::newRow("ascii") << "Alg=0," << QByteArray("Alg=0,");
}

void tst_TextFiles::gbk()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(gbkEncode(text), bytes);
    QCOMPARE(gbkDecode(bytes), text);
    QCOMPARE(gbkEncode(QStringLiteral("1位数+1位数>10(1硬币)")).size(), 21);
}

void tst_TextFiles::invalidGbkDoesNotStopReading()
{
    const QString text = gbkDecode(QByteArray("ab\xFF\xFF"
                                              "cd\x81"));
    QVERIFY(text.startsWith(QLatin1String("ab")));
    QVERIFY(text.contains(QLatin1String("cd")));
    QCOMPARE(gbkEncode(QStringLiteral("a😀b")), QByteArray("a?b"));
}

void tst_TextFiles::cut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cut");
    QTest::newRow("short") << "小明"
                           << "小明";
    QTest::newRow("twelve ascii") << "abcdefghijkl"
                                  << "abcdefghij";
    QTest::newRow("six chinese") << "一二三四五六"
                                 << "一二三四五";
    // A cut at byte 10 would split the sixth character.
    QTest::newRow("odd start") << "a一二三四五"
                               << "a一二三四";
}

void tst_TextFiles::cut()
{
    QFETCH(QString, name);
    QFETCH(QString, cut);
    QCOMPARE(cutGbk(name, 10), cut);
}

void tst_TextFiles::lettersCaseDoesNotMatter()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("Set"));
    QFile f(dir.filePath(QStringLiteral("Set/AddSet.Dat")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(gbkEncode(QStringLiteral("1位数+1位数")) + "\r\n");
    f.close();
    QCOMPARE(readTextLines(dir.filePath(QStringLiteral("SET/addset.dat"))),
             QStringList{QStringLiteral("1位数+1位数")});
    // A new file keeps its writer's spelling.
    writeTextLines(dir.filePath(QStringLiteral("Set/Money.dat")), {QStringLiteral("x=1,2")});
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Set/Money.dat"))));
}

void tst_TextFiles::missingFileNamesTheFile()
{
    try {
        readTextLines(QStringLiteral("/nonexistent/Set/Basic.dat"));
        QFAIL("no error raised");
    } catch (const RuntimeError &e) {
        QVERIFY(e.message().contains(QLatin1String("Basic.dat")));
        QVERIFY(e.message().startsWith(QLatin1String("Cannot open file")));
    }
}

void tst_TextFiles::safeWriteReplacesWholeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Money.dat"));
    writeTextLines(path,
                   {QStringLiteral("一=1,2"), QStringLiteral("b=3,4"), QStringLiteral("c=5,6")});
    writeTextLines(path, {QStringLiteral("d=7,8")});
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("d=7,8\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_MAIN(tst_TextFiles)
#include "tst_TextFiles.moc"
