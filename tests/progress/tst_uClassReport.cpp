// The teacher's view, from the class's problems to the window and its export.
#include "progress/uClassReport.h"
#include "TestSupport.h"
#include "progress/MasteryGrid.h"
#include "progress/uReport.h"

#include <QLabel>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTableWidget>
#include <QtTest>

namespace {

const QDateTime Now(QDate(2026, 12, 10), QTime(12, 0), Qt::UTC);

// seat, player, name, fact, minutes before Now, seconds to finish (-1: abandoned), wrong
// answers before the right one.
struct Played
{
    const char *seat;
    int32_t player;
    const char *name;
    int32_t op, a, b;
    int minutesAgo, seconds, wrong;
};

// Two seats, three children; A01's first child was renamed, and left two problems.
ClassFigures classOfThree()
{
    std::vector<ClassProblem> problems;
    for (const Played &p : std::initializer_list<Played>{
             {"A02", 0, "小红", 2, 7, 8, 50, 12, 2},
             {"A01", 0, "小明", 2, 7, 8, 40, 4, 0},
             {"A01", 0, "小明", 0, 3, 4, 39, 10, 1},
             {"A01", 0, "明明", 1, 9, 3, 38, -1, 1}, // abandoned after a wrong answer
             {"A01", 0, "明明", 1, 9, 4, 37, -1, 0}, // abandoned untouched
             {"A01", 2, "妹妹", 0, 3, 4, 30, 6, 1},
             {"A02", 0, "小红", 2, 6, 7, 20, 8, 0},
             {"A02", 0, "小红", 2, 7, 8, 10, 20, 1},
         }) {
        ClassProblem c;
        c.seat = QString::fromUtf8(p.seat);
        c.row = {0,  p.player, QString::fromUtf8(p.name),      p.op, p.a, p.b,
                 {}, true,     Now.addSecs(-60 * p.minutesAgo)};
        if (p.seconds >= 0) c.row.FinishedAt = c.row.PosedAt.addSecs(p.seconds);
        c.row.Wrong = p.wrong;
        c.row.Answers = p.wrong + (p.seconds >= 0 ? 1 : 0);
        c.row.RightAnswers = p.seconds >= 0 ? 1 : 0;
        problems.push_back(c);
    }
    return computeClassFigures(problems, ReportPeriod::Last7Days, Now);
}

} // namespace

class tst_uClassReport : public QObject
{
    Q_OBJECT
private slots:
    void showsAndExportsEachChildOfTheClass();
};

void tst_uClassReport::showsAndExportsEachChildOfTheClass()
{
    QTemporaryDir dir;
    FakeClock clock;
    ClassSettings nowhere;
    nowhere.host = dir.filePath(QStringLiteral("no-server"));
    nowhere.password = QStringLiteral("teacher-secret");
    TClassReportForm form(nowhere, clock);
    // The server is nowhere: the window says so, and never waited for it.
    QTRY_VERIFY(form.StatusLabel->text().contains(QStringLiteral("读不到")));
    QVERIFY(!form.StatusLabel->text().contains(QStringLiteral("teacher-secret")));

    form.setFigures(classOfThree());
    QCOMPARE(form.Pages->currentWidget(), form.ClassArea);
    QStringList rows;
    for (int r = 0; r < form.Children->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < form.Children->columnCount(); ++c)
            cells << form.Children->item(r, c)->text();
        rows << cells.join(QLatin1Char('|'));
    }
    // Solved, finished without a wrong answer of those answered, median time to finish.
    QCOMPARE(rows, QStringList({QStringLiteral("A01|明明|2道|33%|7.0秒"),
                                QStringLiteral("A01|妹妹|1道|0%|6.0秒"),
                                QStringLiteral("A02|小红|3道|33%|12.0秒")}));
    // The class's most missed facts, counted over every seat.
    QStringList missed;
    for (const QLabel *l : form.ClassArea->findChildren<QLabel *>())
        missed << l->text();
    QVERIFY(missed.join(QLatin1Char(' '))
                .contains(QStringLiteral("7×8 错了3次 3+4 错了2次 9−3 错了1次")));

    // Picking a child shows that child's own grids.
    form.Children->setCurrentCell(2, 0);
    QCOMPARE(form.ChildTitle->text(), QStringLiteral("小红（座位 A02）"));
    const auto grids = form.ClassArea->findChildren<MasteryGrid *>();
    QCOMPARE(grids[0]->cells()[6 * 9 + 7].State, Mastery::MostlyWrong);
    QCOMPARE(grids[0]->cells()[1 * 9 + 1].State, Mastery::NeverTried);

    // A PDF of the class, then a page of grids for each child, and the raw rows beside it.
    const QString pdf = dir.filePath(QStringLiteral("全班.pdf"));
    const QList<QStringList> raw = {classRawHeader(), classRawHeader()};
    QString error;
    QVERIFY2(form.exportTo(pdf, raw, &error), qPrintable(error));
    QFile file(pdf), csv(TReportForm::csvPathFor(pdf));
    QVERIFY(file.open(QIODevice::ReadOnly) && csv.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(file.readAll())
                 .count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))),
             1 + 3);
    QCOMPARE(csv.readAll(), CsvText(classRawHeader(), raw));
    QVERIFY(!form.exportTo(dir.filePath(QStringLiteral("missing/全班.pdf")), raw, &error));
    QVERIFY(error.contains(QStringLiteral("missing")));
}

QTEST_MAIN(tst_uClassReport)
#include "tst_uClassReport.moc"
