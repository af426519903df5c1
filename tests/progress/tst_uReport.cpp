#include "progress/uReport.h"
#include "progress/MasteryGrid.h"
#include "HandMadeJournal.h"
#include "JournalProbe.h"

#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>
#include <QtTest>

namespace {

const std::vector<ReportPlayer> Players = {{0, QStringLiteral("小明")},
                                           {2, QStringLiteral("妹妹")},
                                           {3, QStringLiteral("爸爸")},
                                           {4, QStringLiteral("妈妈")}};

// The game's clock standing at the report's "now".
struct ReportClock : FakeClock
{
    ReportClock() { utcStart = ReportNow.toMSecsSinceEpoch() - now; }
};

// Page objects of a PDF, not the page tree ("/Type /Pages").
int pdfPages(const QByteArray &pdf)
{
    int n = 0;
    auto it = QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))
                  .globalMatch(QString::fromLatin1(pdf));
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    return n;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class tst_uReport : public QObject
{
    Q_OBJECT
private slots:
    void showsThePlayersReport();
    void emptyStates_data();
    void emptyStates();
    void renameShowsAtOnce();
    void exportWritesPdfAndCsv_data();
    void exportWritesPdfAndCsv();
    void exportToAMissingFolderFails();
};

void tst_uReport::showsThePlayersReport()
{
    ReportClock clock;
    HandMadeJournal j;
    fill(j);
    TReportForm form(&j.journal, clock);
    form.setPlayers(Players, 0);
    form.setPeriod(ReportPeriod::Everything);
    QCOMPARE(form.windowTitle(), QStringLiteral("成绩"));
    QCOMPARE(form.PlayerBox->currentText(), QStringLiteral("小明"));
    QCOMPARE(form.Pages->currentWidget(), form.ReportArea);
    QCOMPARE(form.ReportArea->findChildren<QChartView *>().size(), 3);
    const auto grids = form.ReportArea->findChildren<MasteryGrid *>();
    QCOMPARE(grids.size(), 3);
    QCOMPARE(grids[0]->cells()[6 * 9 + 7].State, Mastery::MostlyWrong); // 7×8
    // The ten most missed, written as the child writes them.
    bool found = false;
    for (QLabel *l : form.ReportArea->findChildren<QLabel *>())
        found = found || l->text() == QStringLiteral("13−6");
    QVERIFY(found);
    const int solved = form.figures().Solved;

    // Another player: their own figures.
    form.PlayerBox->setCurrentIndex(1);
    QCOMPARE(form.Title->text(), QStringLiteral("妹妹的成绩（全部）"));
    QCOMPARE(form.figures().Solved, 1);
    QVERIFY(solved > 1);
}

void tst_uReport::emptyStates_data()
{
    QTest::addColumn<QString>("journal"); // "none", "empty", "corrupt"
    QTest::addColumn<QString>("says");
    QTest::newRow("nothing recorded yet") << "empty"
                                          << "还没有做题记录";
    QTest::newRow("journal cannot be opened") << "corrupt"
                                              << "打不开";
    QTest::newRow("no journal") << "none"
                                << "没有做题记录";
}

void tst_uReport::emptyStates()
{
    QFETCH(QString, journal);
    QFETCH(QString, says);
    ReportClock clock;
    TempDataDir dir(false);
    CapturingReporter reporter;
    const QString path = dir.path(QStringLiteral("Set/Progress.db"));
    if (journal == QLatin1String("corrupt"))
        dir.writeBytes(QStringLiteral("Set/Progress.db"), QByteArray(4096, 'x'));
    std::unique_ptr<Journal> j;
    if (journal != QLatin1String("none")) j = std::make_unique<Journal>(path, reporter);
    TReportForm form(j.get(), clock);
    form.setPlayers(Players, 2);
    QCOMPARE(form.PlayerBox->currentText(), QStringLiteral("妹妹"));
    QCOMPARE(form.Pages->currentWidget(), form.EmptyLabel);
    QVERIFY2(form.EmptyLabel->text().contains(says), qPrintable(form.EmptyLabel->text()));
    // No empty axes anywhere.
    QCOMPARE(form.findChildren<QChartView *>().size(), 0);
    // The empty report still exports, as one page.
    QVERIFY(form.exportTo(dir.path(QStringLiteral("empty.pdf"))));
    QCOMPARE(pdfPages(fileBytes(dir.path(QStringLiteral("empty.pdf")))), 1);
}

void tst_uReport::renameShowsAtOnce()
{
    ReportClock clock;
    HandMadeJournal j;
    TReportForm form(&j.journal, clock);
    form.setPlayers(Players, 3);
    QString asked;
    form.Rename = [&](int32_t player, const QString &name) {
        asked = QString::number(player) + QLatin1Char(':') + name;
        return name.left(2);
    };
    QTimer::singleShot(0, this, [] {
        auto *ask = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        QVERIFY(ask);
        QCOMPARE(ask->windowTitle(), QStringLiteral("改名字"));
        QCOMPARE(ask->textValue(), QStringLiteral("爸爸"));
        ask->setTextValue(QStringLiteral("老爸爸"));
        ask->accept();
    });
    form.RenameButton->click();
    QCOMPARE(asked, QStringLiteral("3:老爸爸"));
    QCOMPARE(form.PlayerBox->currentText(), QStringLiteral("老爸"));
    QCOMPARE(form.Title->text(), QStringLiteral("老爸的成绩（最近7天）"));
}

void tst_uReport::exportWritesPdfAndCsv_data()
{
    QTest::addColumn<ReportPeriod>("period");
    QTest::newRow("last 7 days") << ReportPeriod::Last7Days;
    QTest::newRow("everything") << ReportPeriod::Everything;
}

void tst_uReport::exportWritesPdfAndCsv()
{
    QFETCH(ReportPeriod, period);
    ReportClock clock;
    HandMadeJournal j;
    fill(j);
    TReportForm form(&j.journal, clock);
    form.setPlayers(Players, 0);
    form.setPeriod(period);
    const QString pdfPath = j.dir.path(QStringLiteral("成绩 小明.pdf"));
    QString error;
    QVERIFY2(form.exportTo(pdfPath, &error), qPrintable(error));

    const QByteArray pdf = fileBytes(pdfPath);
    QVERIFY(pdf.startsWith("%PDF-"));
    QVERIFY(pdf.trimmed().endsWith("%%EOF"));
    QCOMPARE(pdfPages(pdf), 3);

    QCOMPARE(TReportForm::csvPathFor(pdfPath), j.dir.path(QStringLiteral("成绩 小明.csv")));
    const QStringList lines = QString::fromUtf8(fileBytes(TReportForm::csvPathFor(pdfPath)))
                                  .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.first(),
             QStringLiteral("problem,player,player_name,operation,operand1,operand2,type,"
                            "step_mode,posed_at,finished_at,wrong,hints,coins,answer,step,"
                            "value,correct,hint_shown,ms,at"));
    // One line per answer, and one for each problem without answers, in the period.
    const QString since = PeriodStart(period, ReportNow).isValid()
                              ? Journal::isoTime(PeriodStart(period, ReportNow))
                              : QStringLiteral("0");
    JournalProbe probe(j.path);
    const int expected =
        probe
            .value(QStringLiteral("SELECT count(*) FROM problems p LEFT JOIN answers a ON "
                                  "a.problem = p.id WHERE p.player = 0 AND p.posed_at >= ?"),
                   {since})
            .toInt();
    QCOMPARE(lines.size() - 1, expected);
    for (const QString &line : lines.mid(1)) {
        const QStringList fields = line.split(QLatin1Char(','));
        QCOMPARE(fields.size(), 20);
        QCOMPARE(fields[2], QStringLiteral("小明"));
        QVERIFY(fields[8] >= since);
    }
}

void tst_uReport::exportToAMissingFolderFails()
{
    ReportClock clock;
    HandMadeJournal j;
    fill(j);
    TReportForm form(&j.journal, clock);
    form.setPlayers(Players, 0);
    const QString pdfPath = j.dir.path(QStringLiteral("no such folder/r.pdf"));
    QString error;
    QVERIFY(!form.exportTo(pdfPath, &error));
    QVERIFY2(error.contains(QStringLiteral("no such folder")), qPrintable(error));
    QVERIFY(!QFile::exists(pdfPath));
}

QTEST_MAIN(tst_uReport)
#include "tst_uReport.moc"
