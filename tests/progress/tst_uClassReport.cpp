#include "progress/uClassReport.h"
#include "ClassRig.h"
#include "progress/MasteryGrid.h"
#include "progress/uReport.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTableWidget>
#include <QtTest>

namespace {

const QDateTime Now(QDate(2026, 12, 10), QTime(12, 0), Qt::UTC);

// Two seats, three children: A01's child missed 7×8 twice, A02's once, and A01's second
// player only added.
ClassFigures classOfThree()
{
    std::vector<ClassProblem> problems;
    auto add = [&](const char *seat, int32_t player, const char *name, int32_t op, int32_t a,
                   int32_t b, int wrong) {
        ClassProblem p;
        p.seat = QString::fromUtf8(seat);
        p.row.Player = player;
        p.row.PlayerName = QString::fromUtf8(name);
        p.row.Operation = op;
        p.row.Operand1 = a;
        p.row.Operand2 = b;
        p.row.PosedAt = Now.addSecs(-3600 + 60 * int(problems.size()));
        p.row.FinishedAt = p.row.PosedAt.addSecs(5);
        p.row.Wrong = wrong;
        p.row.Answers = wrong + 1;
        p.row.RightAnswers = 1;
        problems.push_back(p);
    };
    add("A01", 0, "小明", 2, 7, 8, 2);
    add("A01", 0, "小明", 2, 6, 7, 0);
    add("A01", 2, "妹妹", 0, 3, 4, 0);
    add("A02", 0, "小红", 2, 7, 8, 1);
    return computeClassFigures(problems, ReportPeriod::Last7Days, Now);
}

ClassSettings nowhere(const QTemporaryDir &dir)
{
    ClassSettings s;
    s.host = dir.filePath(QStringLiteral("no-server"));
    s.database = QStringLiteral("d");
    s.user = QStringLiteral("teacher");
    s.password = QStringLiteral("teacher-secret");
    s.className = QStringLiteral("三年级二班");
    s.seat = QStringLiteral("T");
    return s;
}

QStringList texts(const QWidget *w)
{
    QStringList out;
    for (const QLabel *l : w->findChildren<QLabel *>())
        out << l->text();
    return out;
}

} // namespace

class tst_uClassReport : public QObject
{
    Q_OBJECT
private slots:
    void showsEachChildOfTheClass();
    void exportWritesAPageForEachChild();
};

void tst_uClassReport::showsEachChildOfTheClass()
{
    QTemporaryDir dir;
    ShiftedClock clock;
    TClassReportForm form(nowhere(dir), clock);
    QCOMPARE(form.windowTitle(), QStringLiteral("全班"));
    // The server is nowhere: the window says so, and never waited for it.
    QTRY_VERIFY(form.StatusLabel->text().contains(QStringLiteral("读不到")));
    QVERIFY(!form.StatusLabel->text().contains(QStringLiteral("teacher-secret")));

    form.setFigures(classOfThree());
    QCOMPARE(form.Pages->currentWidget(), form.ClassArea);
    QCOMPARE(form.Children->rowCount(), 3);
    QStringList rows;
    for (int r = 0; r < form.Children->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < form.Children->columnCount(); ++c)
            cells << form.Children->item(r, c)->text();
        rows << cells.join(QLatin1Char('|'));
    }
    QCOMPARE(rows, QStringList({QStringLiteral("A01|小明|2道|50%|5.0秒"),
                                QStringLiteral("A01|妹妹|1道|100%|5.0秒"),
                                QStringLiteral("A02|小红|1道|0%|5.0秒")}));
    QVERIFY(texts(form.ClassArea).contains(QStringLiteral("7×8")));
    QVERIFY(texts(form.ClassArea).contains(QStringLiteral("错了3次")));

    // Picking a child shows that child's grids.
    form.Children->setCurrentCell(2, 0);
    QCOMPARE(form.ChildTitle->text(), QStringLiteral("小红（座位 A02）"));
    const auto grids = form.ClassArea->findChildren<MasteryGrid *>();
    QCOMPARE(grids.size(), 3);
    QCOMPARE(grids[0]->cells()[6 * 9 + 7].State, Mastery::MostlyWrong);
    QCOMPARE(grids[0]->cells()[5 * 9 + 6].State, Mastery::NeverTried);
}

void tst_uClassReport::exportWritesAPageForEachChild()
{
    QTemporaryDir dir;
    ShiftedClock clock;
    TClassReportForm form(nowhere(dir), clock);
    form.setFigures(classOfThree());
    const QString pdf = dir.filePath(QStringLiteral("全班.pdf"));
    const QList<QStringList> rows = {classRawHeader(), classRawHeader()};
    QString error;
    QVERIFY2(form.exportTo(pdf, rows, &error), qPrintable(error));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto pages = QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))
                           .globalMatch(QString::fromLatin1(file.readAll()));
    int n = 0;
    for (auto it = pages; it.hasNext(); it.next())
        ++n;
    QCOMPARE(n, 1 + 3);
    QFile csv(TReportForm::csvPathFor(pdf));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll(), CsvText(classRawHeader(), rows));

    QVERIFY(!form.exportTo(dir.filePath(QStringLiteral("missing/全班.pdf")), rows, &error));
    QVERIFY(error.contains(QStringLiteral("missing")));
}

QTEST_MAIN(tst_uClassReport)
#include "tst_uClassReport.moc"
