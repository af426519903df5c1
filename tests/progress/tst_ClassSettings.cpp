#include "progress/ClassSettings.h"
#include "ClassRig.h"
#include "TestSupport.h"
#include "progress/ClassLink.h"

#include <QtTest>
#include <sys/stat.h>

class tst_ClassSettings : public QObject
{
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
    void startsOnlyWithAUsableFile_data();
    void startsOnlyWithAUsableFile();
};

void tst_ClassSettings::reads_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("expected"); // host|port|database|user|password|ssl|class|seat
    QTest::addColumn<QString>("refusal");  // part of the reason, when the file is refused
    const QByteArray server = "[Server]\nHost=10.0.0.5\nDatabase=class3b\nUser=seat\n";
    QTest::newRow("defaults") << server + "[Class]\nName=三年级二班\nSeat=A07\n"
                              << "10.0.0.5|5432|class3b|seat||prefer|三年级二班|A07"
                              << "";
    QTest::newRow("everything, a password with commas and a semicolon")
        << QByteArray("[Server]\nHost=/run/pg\nPort=6543\nDatabase=d\nUser=u\n"
                      "Password=\"a,b;c\"\nSslMode=verify-full\n[Class]\nName=n\nSeat= B2 \n")
        << "/run/pg|6543|d|u|a,b;c|verify-full|n|B2"
        << "";
    QTest::newRow("no seat") << server + "[Class]\nName=n\n"
                             << ""
                             << "[Class] Seat";
    QTest::newRow("no database or class") << QByteArray("[Server]\nUser=u\n[Class]\nSeat=1\n") << ""
                                          << "[Server] Database、[Class] Name";
    QTest::newRow("port is no number") << server + "Port=fifty\n[Class]\nName=n\nSeat=1\n"
                                       << ""
                                       << "Port";
    QTest::newRow("unknown ssl mode") << server + "SslMode=maybe\n[Class]\nName=n\nSeat=1\n"
                                      << ""
                                      << "verify-full";
}

void tst_ClassSettings::reads()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, expected);
    QFETCH(QString, refusal);
    ClassSeat seat;
    QFile file(QDir(seat.setFolder()).filePath(QStringLiteral("Class.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ini);
    file.close();
    QString why;
    const std::optional<ClassSettings> s = ClassSettings::read(file.fileName(), &why);
    if (!refusal.isEmpty()) {
        QVERIFY(!s);
        QVERIFY2(why.contains(refusal), qPrintable(why));
        return;
    }
    QVERIFY2(s, qPrintable(why));
    QCOMPARE(QStringList({s->host, QString::number(s->port), s->database, s->user, s->password,
                          s->sslMode, s->className, s->seat})
                 .join(QLatin1Char('|')),
             expected);
}

void tst_ClassSettings::startsOnlyWithAUsableFile_data()
{
    QTest::addColumn<QString>("file"); // none, good, refused
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("messages");
    QTest::addColumn<bool>("link");
    QTest::newRow("no Class.ini") << "none" << 0600 << 0 << false;
    QTest::newRow("for the owner only") << "good" << 0600 << 0 << true;
    QTest::newRow("readable by the group") << "good" << 0640 << 1 << true;
    QTest::newRow("readable by everyone") << "good" << 0644 << 1 << true;
    QTest::newRow("missing its seat") << "refused" << 0600 << 1 << false;
    QTest::newRow("missing its seat, readable by everyone") << "refused" << 0644 << 2 << false;
}

void tst_ClassSettings::startsOnlyWithAUsableFile()
{
    QFETCH(QString, file);
    QFETCH(int, mode);
    QFETCH(int, messages);
    QFETCH(bool, link);
    CapturingReporter reporter;
    ShiftedClock clock;
    ClassSeat seat;
    ClassSettings s;
    // A server that is nowhere: the link waits for it without a word.
    s.host = seat.dir.filePath(QStringLiteral("no-server"));
    s.database = QStringLiteral("d");
    s.user = QStringLiteral("u");
    s.password = QStringLiteral("secret-9");
    s.className = QStringLiteral("n");
    s.seat = file == QLatin1String("refused") ? QString() : QStringLiteral("A1");
    if (file != QLatin1String("none")) {
        seat.writeIni(s);
        // The name as a teacher might spell it.
        const QString path = QDir(seat.setFolder()).filePath(QStringLiteral("Class.ini"));
        const QString renamed = QDir(seat.setFolder()).filePath(QStringLiteral("class.INI"));
        QVERIFY(QFile::rename(path, renamed));
        QCOMPARE(::chmod(QFile::encodeName(renamed).constData(), mode_t(mode)), 0);
        QCOMPARE(ClassSettings::readableByOthers(renamed), (mode & 044) != 0);
    }
    std::unique_ptr<ClassLink> started = ClassLink::start(seat.setFolder(), reporter, clock);
    QCOMPARE(bool(started), link);
    if (started) QTRY_VERIFY(started->status().rounds >= 1);
    if (started) QCOMPARE(started->status().outcome, ClassRound::Unreachable);
    QCoreApplication::processEvents();
    QCOMPARE(reporter.errors.size(), messages);
    for (const QString &m : reporter.errors)
        QVERIFY(!m.contains(s.password));
}

QTEST_GUILESS_MAIN(tst_ClassSettings)
#include "tst_ClassSettings.moc"
