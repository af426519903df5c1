#include "settings/uSet.h"

#include "support/TestSupport.h"
#include "platform/TextFiles.h"
#include "settings/SetFiles.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

const char *const NineFiles[9] = {"AddItem.Dat", "AddSet.Dat",  "DecItem.Dat",
                                  "DecSet.Dat",  "MulItem.Dat", "MulSet.Dat",
                                  "DivItem.Dat", "DivSet.Dat",  "Basic.dat"};

QString set(const char *name)
{
    return QStringLiteral("Set/") + QString::fromLatin1(name);
}

QMap<QString, QByteArray> snapshot(const TempDataDir &dir)
{
    QMap<QString, QByteArray> files;
    for (const char *name : NineFiles)
        files[QString::fromLatin1(name)] = dir.readBytes(set(name));
    return files;
}

QStringList texts(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void select(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(found.size() == 1, qPrintable(text));
    found.first()->setSelected(true);
}

QCheckBox *opBox(TSetForm &form, int op)
{
    QCheckBox *boxes[4] = {form.CheckBox1, form.CheckBox2, form.CheckBox3, form.CheckBox4};
    return boxes[op];
}

int checkedOps(TSetForm &form)
{
    int mask = 0;
    for (int op = 0; op < 4; ++op)
        mask |= opBox(form, op)->isChecked() ? 1 << op : 0;
    return mask;
}

QByteArray crlf(const QStringList &lines)
{
    QByteArray out;
    for (const QString &l : lines)
        out += l.toLatin1() + "\r\n";
    return out;
}

} // namespace

class tst_uSet : public QObject
{
    Q_OBJECT
private slots:
    void layout();
    void showReadsAllFiles();
    void loadBasic_data();
    void loadBasic();
    void readFailure_data();
    void readFailure();
    void okWritesBasic_data();
    void okWritesBasic();
    void movesLandSortedAndAreWritten();
    void lastChosenLineStays_data();
    void lastChosenLineStays();
    void arrowsWithoutSelection();
    void cancelWritesNothing_data();
    void cancelWritesNothing();
    void writeFailureChangesNothing_data();
    void writeFailureChangesNothing();
    void unreadListsAreNotOverwritten();
};

void tst_uSet::layout()
{
    TempDataDir dir;
    CapturingReporter reporter;
    TSetForm form(dir.setFolder(), reporter);
    QCOMPARE(form.size(), QSize(847, 561));
    QVERIFY(!form.SpeedButton1->icon().isNull());
    QVERIFY(!form.SpeedButton8->icon().isNull());
    // Controls on one row must not overlap each other.
    const QList<QWidget *> rows[2] = {
        {form.Label3, form.RadioButton1, form.RadioButton2},
        {form.Label6, form.CheckBox1, form.CheckBox2, form.CheckBox3, form.CheckBox4}};
    for (const auto &row : rows) {
        for (int i = 1; i < row.size(); ++i)
            QVERIFY2(row[i - 1]->geometry().right() < row[i]->x(),
                     qPrintable(row[i - 1]->metaObject()->className()));
    }
    // The review box stands under the hint box, inside the dialog, clear of the buttons.
    QCOMPARE(form.ReviewCheck->x(), form.HintCheck->x());
    QVERIFY(form.ReviewCheck->y() > form.HintCheck->geometry().bottom());
    QVERIFY(form.rect().contains(form.ReviewCheck->geometry()));
    QVERIFY(!form.ReviewCheck->geometry().intersects(form.Button2->geometry()));
    // Before any file is read: the first set of data.
    QCOMPARE(texts(form.ListBox7), SetFiles::DefaultItems(3));
    QCOMPARE(form.ListBox2->count(), 0);
    QCOMPARE(checkedOps(form), 0b0111);
}

void tst_uSet::showReadsAllFiles()
{
    TempDataDir dir;
    dir.writeLines(set("MulItem.Dat"), {"3位数×3位数", "2位数×2位数", "3位数×1位数"});
    dir.writeBytes(set("DivSet.Dat"), QByteArray());
    CapturingReporter reporter;
    TSetForm form(dir.setFolder(), reporter);
    form.show();
    for (int i = 0; i < 8; ++i) {
        const QStringList file = dir.readLines(QStringLiteral("Set/") + TSetForm::ListFile(i));
        QCOMPARE(texts(form.List(i)), SetFiles::Sorted(file));
    }
    QCOMPARE(texts(form.ListBox5), QStringList({"2位数×2位数", "3位数×1位数", "3位数×3位数"}));
    QCOMPARE(form.ListBox8->count(), 0);
    QCOMPARE(checkedOps(form), 0b1111);
}

void tst_uSet::loadBasic_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("girl");
    QTest::addColumn<int>("ops");
    QTest::addColumn<bool>("hint");
    QTest::addColumn<bool>("step");
    QTest::addColumn<bool>("review");

    QTest::newRow("girl") << QStringList{"Children=1", "Alg=0,", "Hint=1", "AddDecMultiStep=1"}
                          << true << 0b0001 << true << true << true;
    QTest::newRow("boy") << QStringList{"Children=0", "Alg=3,1,", "Hint=0", "AddDecMultiStep=0"}
                         << false << 0b1010 << false << false << true;
    QTest::newRow("any 0 is the boy")
        << QStringList{"Children=10", "Alg=2,", "Hint=x", "AddDecMultiStep=20"} << false << 0b0100
        << true << false << true;
    QTest::newRow("blanks and signs")
        << QStringList{"Children=1", "Alg= 2,+3,", "Hint=1", "AddDecMultiStep=1"} << true << 0b1100
        << true << true << true;
    QTest::newRow("codes beyond 0..3 ignored")
        << QStringList{"Children=1", "Alg=7,2,-1,4,", "Hint=1", "AddDecMultiStep=1"} << true
        << 0b0100 << true << true << true;
    QTest::newRow("no codes") << QStringList{"Children=1", "Alg=", "Hint=1", "AddDecMultiStep=1"}
                              << true << 0 << true << true << true;
    QTest::newRow("review off") << QStringList{"Children=1", "Alg=1,", "Hint=1",
                                               "AddDecMultiStep=1", "Review=0"}
                                << true << 0b0010 << true << true << false;
    QTest::newRow("review: any 0 is off")
        << QStringList{"Children=1", "Alg=1,", "Hint=1", "AddDecMultiStep=1", "Review=10"} << true
        << 0b0010 << true << true << false;
    QTest::newRow("further lines ignored")
        << QStringList{"Children=1", "Alg=1,", "Hint=0", "AddDecMultiStep=1", "Hint=1", "Hint=0"}
        << true << 0b0010 << false << true << true;
}

void tst_uSet::loadBasic()
{
    QFETCH(bool, girl);
    QFETCH(int, ops);
    QFETCH(bool, hint);
    QFETCH(bool, step);
    QFETCH(bool, review);
    QFETCH(QStringList, lines);
    TempDataDir dir;
    CapturingReporter reporter;
    dir.writeLines(set("Basic.dat"), lines);
    TSetForm form(dir.setFolder(), reporter);
    form.show();
    QCOMPARE(reporter.errors, QStringList());
    QCOMPARE(form.RadioButton2->isChecked(), girl);
    QCOMPARE(form.RadioButton1->isChecked(), !form.RadioButton2->isChecked());
    QCOMPARE(checkedOps(form), ops);
    QCOMPARE(form.HintCheck->isChecked(), hint);
    QCOMPARE(form.AddDecMultiStepCheck->isChecked(), step);
    QCOMPARE(form.ReviewCheck->isChecked(), review);
}

void tst_uSet::readFailure_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("lines"); // empty: the file is missing
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("listsRead"); // lists loaded before the failure
    QTest::addColumn<int>("ops");

    QTest::newRow("short Basic.dat")
        << "Basic.dat" << QStringList{"Children=1", "Alg=1,3,", "Hint=0"}
        << "List index out of bounds (3)" << 0 << 0b1010;
    QTest::newRow("code not an integer")
        << "Basic.dat" << QStringList{"Children=1", "Alg=1,x,3,", "Hint=0", "AddDecMultiStep=0"}
        << "'x' is not a valid integer value" << 0 << 0b0010;
    QTest::newRow("last code without comma")
        << "Basic.dat" << QStringList{"Children=1", "Alg=1,2", "Hint=0", "AddDecMultiStep=0"}
        << "'' is not a valid integer value" << 0 << 0b0010;
    QTest::newRow("missing Basic.dat") << "Basic.dat" << QStringList() << "Basic.dat" << 0 << 0;
    QTest::newRow("missing DecSet.Dat")
        << "DecSet.Dat" << QStringList() << "DecSet.Dat" << 3 << 0b1111;
}

void tst_uSet::readFailure()
{
    QFETCH(QString, error);
    QFETCH(int, ops);
    QFETCH(QString, file);
    QFETCH(QStringList, lines);
    QFETCH(int, listsRead);
    TempDataDir dir;
    CapturingReporter reporter;
    const QString path = QStringLiteral("Set/") + file;
    if (lines.isEmpty())
        dir.remove(path);
    else
        dir.writeLines(path, lines);
    TSetForm form(dir.setFolder(), reporter);
    // What the lists showed before this show: the first set of data.
    QStringList before[8];
    for (int i = 0; i < 8; ++i)
        before[i] = texts(form.List(i));
    form.show();

    QVERIFY(form.isVisible());
    QCOMPARE(reporter.errors.size(), 1);
    QVERIFY2(reporter.errors.first().contains(error), qPrintable(reporter.errors.first()));
    QCOMPARE(checkedOps(form), ops);
    for (int i = 0; i < 8; ++i) {
        const QStringList shown = texts(form.List(i));
        if (i < listsRead)
            QCOMPARE(shown, SetFiles::Sorted(dir.readLines("Set/" + TSetForm::ListFile(i))));
        else
            QCOMPARE(shown, before[i]);
    }
}

void tst_uSet::okWritesBasic_data()
{
    QTest::addColumn<bool>("girl");
    QTest::addColumn<int>("ops");
    QTest::addColumn<bool>("hint");
    QTest::addColumn<bool>("step");
    QTest::addColumn<bool>("review");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<int>("shownNext");

    QTest::newRow("none chosen") << false << 0 << true << true << true
                                 << crlf({"Children=0", "Alg=0,", "Hint=1", "AddDecMultiStep=1",
                                          "Review=1"})
                                 << 0b0001;
    QTest::newRow("all chosen") << true << 0b1111 << false << false << false
                                << crlf({"Children=1", "Alg=0,1,2,3,", "Hint=0",
                                         "AddDecMultiStep=0", "Review=0"})
                                << 0b1111;
    QTest::newRow("some chosen") << true << 0b1010 << true << false << true
                                 << crlf({"Children=1", "Alg=1,3,", "Hint=1", "AddDecMultiStep=0",
                                          "Review=1"})
                                 << 0b1010;
}

void tst_uSet::okWritesBasic()
{
    QFETCH(bool, girl);
    QFETCH(bool, hint);
    QFETCH(bool, step);
    QFETCH(bool, review);
    QFETCH(QByteArray, written);
    QFETCH(int, shownNext);
    QFETCH(int, ops);
    TempDataDir dir;
    CapturingReporter reporter;
    TSetForm form(dir.setFolder(), reporter);
    form.show();
    if (girl)
        QTest::mouseClick(form.RadioButton2, Qt::LeftButton);
    else
        QTest::mouseClick(form.RadioButton1, Qt::LeftButton);
    for (int op = 0; op < 4; ++op)
        opBox(form, op)->setChecked(ops & (1 << op));
    form.HintCheck->setChecked(hint);
    form.AddDecMultiStepCheck->setChecked(step);
    form.ReviewCheck->setChecked(review);
    QTest::mouseClick(form.Button1, Qt::LeftButton);

    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(reporter.errors, QStringList());
    QCOMPARE(dir.readBytes("Set/Basic.dat"), written);
    form.show();
    QCOMPARE(checkedOps(form), shownNext);
    QCOMPARE(form.ReviewCheck->isChecked(), review);
}

void tst_uSet::movesLandSortedAndAreWritten()
{
    TempDataDir dir;
    CapturingReporter reporter;
    TSetForm form(dir.setFolder(), reporter);
    form.show();
    // Shipped: offered 3+1, 3+2, 3+3; chosen 1+1>10, 2+1, 2+2; each with its coins.
    select(form.ListBox1, "3位数+2位数(3硬币)");
    QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
    QCOMPARE(texts(form.ListBox2), QStringList({"1位数+1位数>10(1硬币)", "2位数+1位数(1硬币)",
                                                "2位数+2位数(2硬币)", "3位数+2位数(3硬币)"}));
    QCOMPARE(texts(form.ListBox1), QStringList({"3位数+1位数(2硬币)", "3位数+3位数(3硬币)"}));
    // Nothing stays selected, so a second click moves nothing.
    QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
    QCOMPARE(form.ListBox1->count(), 2);

    select(form.ListBox2, "2位数+1位数(1硬币)");
    QTest::mouseClick(form.SpeedButton2, Qt::LeftButton);
    QCOMPARE(texts(form.ListBox1),
             QStringList({"2位数+1位数(1硬币)", "3位数+1位数(2硬币)", "3位数+3位数(3硬币)"}));

    // A double click moves the line it lands on.
    QListWidget *div = form.ListBox7;
    QListWidgetItem *item = div->item(1);
    const QString moved = item->text();
    const QPoint at = div->visualItemRect(item).center();
    QTest::mouseClick(div->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(div->viewport(), Qt::LeftButton, {}, at);
    QVERIFY(texts(form.ListBox8).contains(moved));
    QCOMPARE(texts(form.ListBox8), SetFiles::Sorted(texts(form.ListBox8)));

    QTest::mouseClick(form.Button1, Qt::LeftButton);
    QCOMPARE(reporter.errors, QStringList());
    QCOMPARE(dir.readBytes("Set/AddSet.Dat"),
             gbkEncode(QStringLiteral(
                 "1位数+1位数>10(1硬币)\r\n2位数+2位数(2硬币)\r\n3位数+2位数(3硬币)\r\n")));
    QCOMPARE(dir.readBytes("Set/AddItem.Dat"),
             gbkEncode(QStringLiteral(
                 "2位数+1位数(1硬币)\r\n3位数+1位数(2硬币)\r\n3位数+3位数(3硬币)\r\n")));
    QCOMPARE(dir.readLines("Set/DivSet.Dat"), texts(form.ListBox8));
}

void tst_uSet::lastChosenLineStays_data()
{
    QTest::addColumn<int>("op");
    for (int op = 0; op < 4; ++op)
        QTest::addRow("operation %d", op) << op;
}

void tst_uSet::lastChosenLineStays()
{
    QFETCH(int, op);
    TempDataDir dir;
    const QString only = SetFiles::DefaultItems(op).first();
    QStringList offered = SetFiles::DefaultItems(op);
    offered.removeFirst();
    dir.writeLines("Set/" + SetFiles::SetList(op), {only});
    dir.writeLines("Set/" + SetFiles::ItemList(op), offered);
    CapturingReporter reporter;
    TSetForm form(dir.setFolder(), reporter);
    form.show();
    QListWidget *chosen = form.List(2 * op + 1);
    QListWidget *offer = form.List(2 * op);
    QToolButton *left[4] = {form.SpeedButton2, form.SpeedButton4, form.SpeedButton6,
                            form.SpeedButton8};
    QToolButton *right[4] = {form.SpeedButton1, form.SpeedButton3, form.SpeedButton5,
                             form.SpeedButton7};

    chosen->item(0)->setSelected(true);
    QTest::mouseClick(left[op], Qt::LeftButton);
    const QPoint at = chosen->visualItemRect(chosen->item(0)).center();
    QTest::mouseDClick(chosen->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(texts(chosen), QStringList{only});

    // The offered list can be emptied completely.
    while (offer->count() > 0) {
        offer->item(0)->setSelected(true);
        QTest::mouseClick(right[op], Qt::LeftButton);
    }
    QCOMPARE(texts(chosen), SetFiles::Sorted(SetFiles::DefaultItems(op)));

    // With two lines again one may go, but never the last.
    for (int i = 0; i < 10; ++i) {
        chosen->item(0)->setSelected(true);
        QTest::mouseClick(left[op], Qt::LeftButton);
    }
    QCOMPARE(chosen->count(), 1);
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    QCOMPARE(dir.readLines("Set/" + SetFiles::SetList(op)), texts(chosen));
    QCOMPARE(dir.readLines("Set/" + SetFiles::ItemList(op)).size(), offered.size());
}

void tst_uSet::arrowsWithoutSelection()
{
    TempDataDir dir;
    CapturingReporter reporter;
    TSetForm form(dir.setFolder(), reporter);
    form.show();
    QStringList before[8];
    for (int i = 0; i < 8; ++i)
        before[i] = texts(form.List(i));
    for (QToolButton *b :
         {form.SpeedButton1, form.SpeedButton2, form.SpeedButton3, form.SpeedButton4,
          form.SpeedButton5, form.SpeedButton6, form.SpeedButton7, form.SpeedButton8})
        QTest::mouseClick(b, Qt::LeftButton);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(texts(form.List(i)), before[i]);
}

void tst_uSet::cancelWritesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Escape in a list") << "list";
    QTest::newRow("Escape on a check box") << "check";
    QTest::newRow("Escape on OK") << "ok";
    QTest::newRow("Cancel button") << "cancel";
}

void tst_uSet::cancelWritesNothing()
{
    QFETCH(QString, how);
    TempDataDir dir;
    const QMap<QString, QByteArray> before = snapshot(dir);
    CapturingReporter reporter;
    TSetForm form(dir.setFolder(), reporter);
    form.show();
    select(form.ListBox5, "3位数×3位数(5硬币)");
    QTest::mouseClick(form.SpeedButton5, Qt::LeftButton);
    QTest::mouseClick(form.RadioButton2, Qt::LeftButton);
    form.CheckBox1->setChecked(false);
    form.HintCheck->setChecked(false);

    if (how == "cancel") {
        QTest::mouseClick(form.Button2, Qt::LeftButton);
    } else {
        QWidget *focus = how == "list"    ? static_cast<QWidget *>(form.ListBox5)
                         : how == "check" ? static_cast<QWidget *>(form.HintCheck)
                                          : static_cast<QWidget *>(form.Button1);
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Escape);
    }
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QCOMPARE(snapshot(dir), before);

    form.show();
    QVERIFY(!texts(form.ListBox6).contains("3位数×3位数(5硬币)"));
    QVERIFY(texts(form.ListBox5).contains("3位数×3位数(5硬币)"));
    QVERIFY(form.RadioButton1->isChecked());
    QVERIFY(form.CheckBox1->isChecked());
    QVERIFY(form.HintCheck->isChecked());
}

void tst_uSet::writeFailureChangesNothing_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("file");
    QTest::newRow("a folder where DecItem.Dat was") << "folder"
                                                    << "DecItem.Dat";
    QTest::newRow("AddSet.Dat immutable") << "immutable"
                                          << "AddSet.Dat";
    QTest::newRow("Basic.dat immutable, written last") << "immutable"
                                                       << "Basic.dat";
}

void tst_uSet::writeFailureChangesNothing()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, file);
    TempDataDir dir;
    CapturingReporter reporter;
    TSetForm form(dir.setFolder(), reporter);
    form.show();
    select(form.ListBox1, "3位数+3位数(3硬币)");
    QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
    form.CheckBox4->setChecked(false);
    std::unique_ptr<ImmutableGuard> guard;
    if (obstacle == QLatin1String("folder")) {
        dir.remove("Set/" + file);
        QVERIFY(QDir(dir.path("Set")).mkdir(file));
    } else {
        guard = std::make_unique<ImmutableGuard>(dir.path("Set/" + file));
        if (!guard->ok())
            QSKIP("chattr +i is refused here (needs CAP_LINUX_IMMUTABLE on ext2/3/4, btrfs or "
                  "xfs)");
    }
    const QMap<QString, QByteArray> before = snapshot(dir);
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    guard.reset();

    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(reporter.errors.size(), 1);
    QVERIFY2(reporter.errors.first().contains(file), qPrintable(reporter.errors.first()));
    // The line moved out of the offered list is in neither file only if one was written.
    QCOMPARE(snapshot(dir), before);
    QVERIFY(dir.readLines("Set/AddItem.Dat").contains("3位数+3位数(3硬币)"));
    QCOMPARE(QDir(dir.path("Set")).entryList({".*"}, QDir::Files | QDir::Hidden), QStringList());
}

void tst_uSet::unreadListsAreNotOverwritten()
{
    TempDataDir dir;
    CapturingReporter reporter;
    dir.writeLines("Set/AddSet.Dat", {"2位数+1位数", "2位数+2位数", "3位数+1位数"});
    dir.writeLines("Set/AddItem.Dat", {"3位数+3位数"});
    dir.writeLines("Set/Basic.dat", {"Children=1", "Alg=2,"});
    const QMap<QString, QByteArray> before = snapshot(dir);
    TSetForm form(dir.setFolder(), reporter);
    form.show();
    QCOMPARE(reporter.errors.size(), 1);
    // The lists still show the first set of data, with every chosen list empty: no list can
    // be changed, and none is written.
    QVERIFY(!form.GroupBox1->isEnabled());
    select(form.ListBox1, "3位数+3位数");
    form.SpeedButton1Click();
    QVERIFY(texts(form.ListBox2).isEmpty());
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    for (int i = 0; i < 8; ++i) {
        const QString name = TSetForm::ListFile(i);
        QCOMPARE(dir.readBytes("Set/" + name), before[name]);
    }
    QCOMPARE(dir.readBytes("Set/Basic.dat"),
             crlf({"Children=1", "Alg=2,", "Hint=1", "AddDecMultiStep=1", "Review=1"}));

    // A list whose partner could not be read takes no moves either: a line moved out of the
    // one that is written would be in neither file.
    dir.remove("Set/AddSet.Dat");
    form.show();
    QCOMPARE(reporter.errors.size(), 2);
    QVERIFY(!form.GroupBox1->isEnabled());
    select(form.ListBox1, "3位数+3位数");
    form.SpeedButton1Click();
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    QCOMPARE(dir.readBytes("Set/AddItem.Dat"), before["AddItem.Dat"]);

    // Read again whole, the lists take moves and are written.
    dir.writeLines("Set/AddSet.Dat", {"2位数+1位数"});
    form.show();
    QVERIFY(form.GroupBox1->isEnabled());
    select(form.ListBox1, "3位数+3位数");
    QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    QCOMPARE(dir.readLines("Set/AddSet.Dat"), (QStringList{"2位数+1位数", "3位数+3位数"}));
    QCOMPARE(dir.readLines("Set/AddItem.Dat"), QStringList());
}

QTEST_MAIN(tst_uSet)
#include "tst_uSet.moc"
