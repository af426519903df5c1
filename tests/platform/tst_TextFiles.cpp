#include "platform/TextFiles.h"
#include "platform/Errors.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

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
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
    void saveGoesThroughLinks_data();
    void saveGoesThroughLinks();
    void writeTogetherIsAllOrNothing_data();
    void writeTogetherIsAllOrNothing();
    void staleTemporariesRemoved();
};

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void putFile(const QString &path, const QByteArray &bytes, QFile::Permissions mode = {})
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();
    if (mode) QVERIFY(f.setPermissions(mode));
}

int modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// Hidden files a save left behind.
QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
}

QString errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const RuntimeError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

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
    QList<QByteArray> bytes;
    for (const QString &line : lines)
        bytes << line.toLatin1();
    QCOMPARE(splitByteLines(text.toLatin1()), bytes);
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

void tst_TextFiles::onlyRegularFilesAreRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("FIFO") << "fifo"
                          << "Not a regular file";
    QTest::newRow("folder") << "folder"
                            << "Is a directory";
    QTest::newRow("link to an endless device") << "/dev/zero"
                                               << "Not a regular file";
    QTest::newRow("link to the null device") << "/dev/null"
                                             << "Not a regular file";
}

void tst_TextFiles::onlyRegularFilesAreRead()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Basic.dat"));
    if (kind == QLatin1String("fifo"))
        QVERIFY(makeFifo(path));
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Basic.dat")));
    else
        QVERIFY(QFile::link(kind, path));
    // A FIFO without a writer, or /dev/zero, would never let this return.
    const QString error = errorOf([&] { readTextLines(path); });
    QVERIFY2(error.contains(path) && error.contains(reason), qPrintable(error));
}

void tst_TextFiles::saveGoesThroughLinks_data()
{
    QTest::addColumn<QString>("link");   // where Set/Money.dat points; empty: a plain file
    QTest::addColumn<QString>("hop");    // a second link on the way, in elsewhere/
    QTest::addColumn<QString>("target"); // the file that must receive the save
    QTest::addColumn<int>("mode");       // of the target before; 0: it does not exist
    QTest::addColumn<int>("modeAfter");
    QTest::newRow("relative link") << "../elsewhere/Money.dat"
                                   << ""
                                   << "elsewhere/Money.dat" << 0600 << 0600;
    QTest::newRow("absolute link") << "@/elsewhere/Money.dat"
                                   << ""
                                   << "elsewhere/Money.dat" << 0640 << 0640;
    QTest::newRow("chain of two links") << "../elsewhere/hop"
                                        << "Money.dat"
                                        << "elsewhere/Money.dat" << 0604 << 0604;
    QTest::newRow("dangling link") << "../elsewhere/New.dat"
                                   << ""
                                   << "elsewhere/New.dat" << 0 << 0644;
    QTest::newRow("plain file keeps its mode") << ""
                                               << ""
                                               << "Set/Money.dat" << 0600 << 0600;
}

void tst_TextFiles::saveGoesThroughLinks()
{
    QFETCH(QString, link);
    QFETCH(QString, hop);
    QFETCH(QString, target);
    QFETCH(int, mode);
    QFETCH(int, modeAfter);
    QTemporaryDir dir;
    QDir root(dir.path());
    root.mkpath(QStringLiteral("Set"));
    root.mkpath(QStringLiteral("elsewhere"));
    const QString saved = dir.filePath(QStringLiteral("Set/Money.dat"));
    const QString real = dir.filePath(target);
    if (mode) {
        putFile(real, "old=1,1\r\n");
        QVERIFY(::chmod(QFile::encodeName(real).constData(), mode_t(mode)) == 0);
    }
    if (!hop.isEmpty()) QVERIFY(QFile::link(hop, dir.filePath(QStringLiteral("elsewhere/hop"))));
    if (!link.isEmpty()) {
        link.replace(QLatin1Char('@'), dir.path());
        QVERIFY(::symlink(QFile::encodeName(link).constData(),
                          QFile::encodeName(saved).constData()) == 0);
    }

    writeTextLines(saved, {QStringLiteral("小明=2,3")});

    QCOMPARE(fileBytes(real), gbkEncode(QStringLiteral("小明=2,3")) + "\r\n");
    QCOMPARE(QFileInfo(saved).isSymLink(), !link.isEmpty());
    QCOMPARE(modeOf(real), modeAfter);
    QCOMPARE(leftovers(dir.filePath(QStringLiteral("Set"))), QStringList());
    QCOMPARE(leftovers(dir.filePath(QStringLiteral("elsewhere"))), QStringList());
}

void tst_TextFiles::writeTogetherIsAllOrNothing_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("nothing in the way") << "";
    QTest::newRow("a folder where a file goes") << "folder";
    QTest::newRow("an immutable file") << "immutable file";
    QTest::newRow("a link into an immutable folder") << "immutable folder";
}

void tst_TextFiles::writeTogetherIsAllOrNothing()
{
    QFETCH(QString, obstacle);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("locked"));
    const QStringList names = {QStringLiteral("AddItem.Dat"), QStringLiteral("AddSet.Dat"),
                               QStringLiteral("Basic.dat")};
    std::vector<FileWrite> writes;
    for (const QString &name : names) {
        putFile(dir.filePath(name), name.toLatin1() + " old\r\n",
                QFile::ReadOwner | QFile::WriteOwner);
        writes.push_back({dir.filePath(name), name.toLatin1() + " new\r\n"});
    }
    // The middle file is the one that cannot be written.
    const QString blocked = dir.filePath(names.at(1));
    std::unique_ptr<ImmutableGuard> guard;
    if (obstacle == QLatin1String("folder")) {
        QVERIFY(QFile::remove(blocked));
        QVERIFY(QDir(dir.path()).mkdir(names.at(1)));
    } else if (obstacle == QLatin1String("immutable file")) {
        guard = std::make_unique<ImmutableGuard>(blocked);
    } else if (obstacle == QLatin1String("immutable folder")) {
        QVERIFY(QFile::remove(blocked));
        putFile(dir.filePath(QStringLiteral("locked/AddSet.Dat")), "AddSet.Dat old\r\n");
        QVERIFY(QFile::link(QStringLiteral("locked/AddSet.Dat"), blocked));
        guard = std::make_unique<ImmutableGuard>(dir.filePath(QStringLiteral("locked")));
    }
    if (guard && !guard->ok())
        QSKIP("chattr +i is refused here (needs CAP_LINUX_IMMUTABLE on ext2/3/4, btrfs or xfs)");

    const QString error = errorOf([&] { writeFilesTogether(writes); });
    guard.reset();

    if (obstacle.isEmpty()) {
        QCOMPARE(error, QString());
        for (const QString &name : names)
            QCOMPARE(fileBytes(dir.filePath(name)), name.toLatin1() + " new\r\n");
    } else {
        QVERIFY2(error.contains(blocked), qPrintable(error));
        for (const QString &name : {names.at(0), names.at(2)})
            QCOMPARE(fileBytes(dir.filePath(name)), name.toLatin1() + " old\r\n");
        if (obstacle != QLatin1String("folder"))
            QCOMPARE(fileBytes(blocked), QByteArray("AddSet.Dat old\r\n"));
        // The file put back keeps its mode.
        QCOMPARE(modeOf(dir.filePath(names.at(0))), 0600);
    }
    QCOMPARE(leftovers(dir.path()), QStringList());
    QCOMPARE(leftovers(dir.filePath(QStringLiteral("locked"))), QStringList());
}

void tst_TextFiles::staleTemporariesRemoved()
{
    QTemporaryDir dir;
    const QStringList stale = {QStringLiteral(".Money.dat.Ab3xZ9"),
                               QStringLiteral(".addset.dat.q1W2e3"),
                               QStringLiteral(".Basic.dat.000000")};
    const QStringList kept = {
        QStringLiteral("Money.dat"),           QStringLiteral(".Money.dat.Ab3xZ"), // five
        QStringLiteral(".Money.dat.Ab3xZ9.x"), QStringLiteral(".Other.dat.Ab3xZ9"),
        QStringLiteral("Money.dat.Ab3xZ9"),    QStringLiteral(".Money.dat.Ab-xZ9")};
    for (const QString &name : stale + kept)
        putFile(dir.filePath(name), "x");
    // A folder of our naming is not a temporary of ours.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral(".DivSet.Dat.Zz9Zz9")));

    QCOMPARE(removeStaleTemporaries(dir.path(),
                                    {QStringLiteral("Money.dat"), QStringLiteral("AddSet.Dat"),
                                     QStringLiteral("Basic.dat"), QStringLiteral("DivSet.Dat")}),
             int(stale.size()));
    QStringList left =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QStringList expected = kept + QStringList{QStringLiteral(".DivSet.Dat.Zz9Zz9")};
    left.sort();
    expected.sort();
    QCOMPARE(left, expected);
}

QTEST_MAIN(tst_TextFiles)
#include "tst_TextFiles.moc"
