#include "app/Main.h"
#include "engines/AddAlgo.h"
#include "progress/uReport.h"
#include "JournalProbe.h"
#include "TestGame.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

// The window on a game of its own, its timers driven on the stepped clock; the addition
// engine current. moneyLines, when given, replace Money.dat before the game starts.
struct Game
{
    explicit Game(const QStringList &moneyLines = {})
    {
        if (!moneyLines.isEmpty()) t.data.writeLines(QStringLiteral("Set/Money.dat"), moneyLines);
        form.show();
        driver = std::make_unique<GameDriver>(t.clock, form);
        TMainClass &c = form.Game()->controller();
        c.UseEngine(Op::Add);
        add = &static_cast<TAdd &>(c.Engine());
    }
    void type(const QString &keys)
    {
        for (QChar c : keys)
            QTest::keyClick(&form, static_cast<Qt::Key>(Qt::Key_0 + (c.unicode() - '0')));
    }
    bool busy() const { return form.Game()->Busy(); }
    TestGame t;
    CapturingReporter &reporter = t.reporter;
    TempDataDir &data = t.data;
    TMainForm form{t.services()};
    std::unique_ptr<GameDriver> driver;
    TAdd *add = nullptr;
};

} // namespace

class tst_Main : public QObject
{
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void clockLine();
    void keyboardDigitsStopAtFour();
    void digitKeys_data();
    void digitKeys();
    void buttonDigitsHaveNoLimit();
    void finishedProblemRefusesButtonsNotKeys();
    void escapeClearsThenAsks();
    void backspaceAndInvalidAnswers();
    void coinLabelsFollowTheBank_data();
    void coinLabelsFollowTheBank();
    void submitGreyedWhileTheCourseRuns();
    void playerButtonShowsThePlayer();
    void answersAreRecorded();
    void unwritableJournalLeavesGamePlaying_data();
    void unwritableJournalLeavesGamePlaying();
    void resultsButtonOpensTheReport();
    // From here on windows are closed, which ends every pause for good.
    void escapeYesDuringPausesCloses();
    void failedStartExplains_data();
    void failedStartExplains();
    void exitButtonWorksAfterFailedStart();
};

void tst_Main::layout_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("answerPanel");
    QTest::addColumn<QRect>("hintPanel");
    QTest::addColumn<QPoint>("exitButton");
    QTest::addColumn<QPoint>("aboutButton");
    QTest::newRow("1024x768") << QSize(1024, 768) << QRect(293, 663, 665, 105)
                              << QRect(293, 629, 417, 33) << QPoint(957, 62) << QPoint(957, 150);
    QTest::newRow("1280x1024") << QSize(1280, 1024) << QRect(307, 919, 665, 105)
                               << QRect(0, 0, 1280, 33) << QPoint(1213, 62) << QPoint(1213, 150);
    QTest::newRow("1024x769") << QSize(1024, 769) << QRect(293, 664, 665, 105)
                              << QRect(0, 0, 1024, 33) << QPoint(957, 62) << QPoint(957, 150);
}

void tst_Main::layout()
{
    QFETCH(QSize, screen);
    QFETCH(QRect, answerPanel);
    QFETCH(QRect, hintPanel);
    QFETCH(QPoint, exitButton);
    QFETCH(QPoint, aboutButton);
    const MainLayout l = ComputeLayout(screen.width(), screen.height());
    QCOMPARE(l.AnswerPanel, answerPanel);
    QCOMPARE(l.HintPanel, hintPanel);
    QCOMPARE(l.SpeedButton0.topLeft(), exitButton);
    QCOMPARE(l.SpeedButton2.topLeft(), aboutButton);
    QCOMPARE(l.SpeedButton3, l.SpeedButton2.translated(0, 2 * l.SpeedButton2.height()));
    QCOMPARE(l.Who, QRect(10, 53, 129, 195));
    QCOMPARE(l.MoneyImage, QRect(0, screen.height() - 163, 219, 163));
    QCOMPARE(l.MoneyLabel1.topLeft(), QPoint(229, screen.height() - 133));
    QCOMPARE(l.MoneyLabel2.topLeft(), QPoint(229, screen.height() - 43));
}

void tst_Main::clockLine()
{
    Game g;
    QCOMPARE(ClockLine(0, 0, 0, 0), QStringLiteral("做题耗时00:00:00      做题总数0道"));
    for (int i = 0; i < 3600; ++i)
        g.form.HowMuchTimerTimer();
    QCOMPARE(g.form.HintPanel->text(), QStringLiteral("做题耗时01:00:00      做题总数0道"));
    for (int i = 3600; i < 360000; ++i)
        g.form.HowMuchTimerTimer();
    QCOMPARE(g.form.HintPanel->text(), QStringLiteral("做题耗时100:00:00      做题总数0道"));
}

void tst_Main::keyboardDigitsStopAtFour()
{
    Game g;
    g.add->StepMode = false;
    g.add->SetProblem(999, 999);
    g.add->RewardCoins = 3;
    g.type(QStringLiteral("19987"));
    QCOMPARE(g.form.AnswerLabel->text(), QStringLiteral("1998"));
    // The longest whole answer goes in from the keyboard alone and is paid.
    QTest::keyClick(&g.form, Qt::Key_Return);
    QVERIFY(g.add->IsFinished());
    QCOMPARE(g.form.MoneyLabel2->text(), QStringLiteral("3个"));
}

void tst_Main::digitKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("keycode"); // XKB; 0 where the platform gives none
    QTest::addColumn<QString>("typed");
    QTest::newRow("digit") << int(Qt::Key_7) << 0 << 16 << "7";
    QTest::newRow("keypad") << int(Qt::Key_7) << int(Qt::KeypadModifier) << 79 << "7";
    QTest::newRow("no keycode") << int(Qt::Key_0) << 0 << 0 << "0";
    QTest::newRow("French 1 key") << int(Qt::Key_Ampersand) << 0 << 10 << "1";
    QTest::newRow("French 2 key") << int(Qt::Key_Eacute) << 0 << 11 << "2";
    QTest::newRow("Shift+0") << int(Qt::Key_ParenRight) << int(Qt::ShiftModifier) << 19 << "0";
    QTest::newRow("Shift+9") << int(Qt::Key_ParenLeft) << int(Qt::ShiftModifier) << 18 << "9";
    QTest::newRow("letter") << int(Qt::Key_A) << 0 << 38 << "";
    QTest::newRow("keypad without NumLock") << int(Qt::Key_End) << 0 << 87 << "";
    QTest::newRow("Shift+1 without keycode") << int(Qt::Key_Exclam) << 0 << 0 << "";
}

void tst_Main::digitKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, keycode);
    QFETCH(QString, typed);
    Game g;
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), quint32(keycode), 0,
                    0);
    QApplication::sendEvent(&g.form, &press);
    QCOMPARE(g.form.AnswerLabel->text(), typed);
}

void tst_Main::buttonDigitsHaveNoLimit()
{
    Game g;
    g.add->SetProblem(38, 45);
    for (int d : {1, 2, 3, 4, 0})
        g.form.NumberButton[d]->click();
    QCOMPARE(g.form.AnswerLabel->text(), QStringLiteral("12340"));
}

void tst_Main::finishedProblemRefusesButtonsNotKeys()
{
    Game g;
    g.add->SetProblem(9, 5);
    QVERIFY(g.add->CheckAnswer(14));
    g.form.NumberButton[3]->click();
    QCOMPARE(g.form.AnswerLabel->text(), QString());
    g.type(QStringLiteral("3"));
    QCOMPARE(g.form.AnswerLabel->text(), QStringLiteral("3"));
    QTest::keyClick(&g.form, Qt::Key_Return);
    QCOMPARE(g.form.AnswerLabel->text(), QStringLiteral("3"));
}

void tst_Main::escapeClearsThenAsks()
{
    Game g;
    g.type(QStringLiteral("42"));
    QTest::keyClick(&g.form, Qt::Key_Escape);
    QCOMPARE(g.form.AnswerLabel->text(), QString());
    QVERIFY(g.reporter.questions.isEmpty());
    g.reporter.answer = false;
    QTest::keyClick(&g.form, Qt::Key_Escape);
    QCOMPARE(g.reporter.questions, QStringList{QStringLiteral("询问|结束游戏吗？")});
    QVERIFY(g.form.isVisible());
}

void tst_Main::backspaceAndInvalidAnswers()
{
    Game g;
    g.add->SetProblem(38, 45);
    g.type(QStringLiteral("13"));
    QTest::keyClick(&g.form, Qt::Key_Backspace);
    QCOMPARE(g.form.AnswerLabel->text(), QStringLiteral("1"));
    g.form.BackNumberButton->click();
    QTest::keyClick(&g.form, Qt::Key_Backspace);
    QCOMPARE(g.form.AnswerLabel->text(), QString());
    // Empty: nothing happens.
    QTest::keyClick(&g.form, Qt::Key_Return);
    QCOMPARE(g.add->Step, 0);
    // Too long for 32 bits: ignored and kept.
    g.form.AnswerLabel->setText(QStringLiteral("99999999999"));
    QTest::keyClick(&g.form, Qt::Key_Space);
    QCOMPARE(g.form.AnswerLabel->text(), QStringLiteral("99999999999"));
    QVERIFY(g.reporter.errors.isEmpty());
}

void tst_Main::coinLabelsFollowTheBank_data()
{
    QTest::addColumn<QStringList>("money");
    QTest::addColumn<bool>("nextPlayer");
    QTest::addColumn<QStringList>("answers"); // to 38+45 by columns, paying 3
    QTest::addColumn<QString>("gold");
    QTest::addColumn<QString>("silver");
    const QStringList child = {"小明=0,98", "b=0,0", "c=0,0", "d=0,0"};
    QTest::newRow("a step brings nothing") << child << false << QStringList{"13"} << "0个"
                                           << "98个";
    QTest::newRow("the finished problem pays") << child << false << QStringList{"13", "8"} << "1个"
                                               << "1个";
    QTest::newRow("wrong from five gold")
        << QStringList{"a=0,0", "b=5,0", "c=0,0", "d=0,0"} << true << QStringList{"12"} << "4个"
        << "99个";
}

void tst_Main::coinLabelsFollowTheBank()
{
    QFETCH(QStringList, money);
    QFETCH(bool, nextPlayer);
    QFETCH(QStringList, answers);
    QFETCH(QString, gold);
    QFETCH(QString, silver);
    Game g(money);
    if (nextPlayer) g.form.WhoClick();
    g.add->SetProblem(38, 45);
    g.add->RewardCoins = 3;
    for (const QString &answer : answers) {
        QVERIFY(g.driver->passWhile([&] { return g.busy(); }));
        g.type(answer);
        // Return or the keypad's Enter.
        QTest::keyClick(&g.form, answer == answers.first() ? Qt::Key_Return : Qt::Key_Enter);
        // The window handed the answer on.
        QCOMPARE(g.form.AnswerLabel->text(), QString());
    }
    QCOMPARE(g.form.MoneyLabel1->text(), gold);
    QCOMPARE(g.form.MoneyLabel2->text(), silver);
}

void tst_Main::submitGreyedWhileTheCourseRuns()
{
    Game g;
    g.add->SetProblem(38, 45);
    int readyWhileBusy = 0, busyTicks = 0;
    bool pressed = false;
    g.driver->afterEach = [&] {
        if (!g.busy()) return;
        ++busyTicks;
        if (g.form.SpeedButton12->isEnabled()) ++readyWhileBusy;
        // Keys stay live in the pauses; Enter is not taken.
        if (!pressed && g.add->Step == 1) {
            pressed = true;
            g.type(QStringLiteral("8"));
            QTest::keyClick(&g.form, Qt::Key_Return);
        }
    };
    g.type(QStringLiteral("13"));
    QTest::keyClick(&g.form, Qt::Key_Return);
    QVERIFY(!g.form.SpeedButton12->isEnabled());
    QVERIFY(g.driver->passWhile([&] { return g.busy(); }));
    QVERIFY(pressed);
    QVERIFY(busyTicks > 10);
    // The submit button showed not ready all the while, and is ready again.
    QCOMPARE(readyWhileBusy, 0);
    QVERIFY(g.form.SpeedButton12->isEnabled());
    QCOMPARE(g.form.AnswerLabel->text(), QStringLiteral("8"));
    QVERIFY(!g.add->IsFinished());
    QCOMPARE(g.add->Step, 1);
    QTest::keyClick(&g.form, Qt::Key_Return);
    QVERIFY(g.add->IsFinished());
}

void tst_Main::playerButtonShowsThePlayer()
{
    Game g({"a=1,0", "b=2,0", "c=3,0", "d=4,0"});
    g.form.Who->click();
    QCOMPARE(g.form.Game()->Player(), 2);
    QCOMPARE(g.form.Who->text(), QStringLiteral("b做题"));
    QCOMPARE(g.form.MoneyLabel1->text(), QStringLiteral("2个"));
}

void tst_Main::failedStartExplains_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes"); // empty: the file is missing
    QTest::addColumn<QString>("why");
    QTest::newRow("Money.dat missing")
        << "Set/Money.dat" << QByteArray() << "No such file or directory";
    QTest::newRow("Basic.dat missing")
        << "Set/Basic.dat" << QByteArray() << "No such file or directory";
    QTest::newRow("scene picture missing")
        << "Pictures/Back.bmp" << QByteArray() << "No such file or directory";
    QTest::newRow("scene picture broken")
        << "Pictures/TreeLeft.bmp" << QByteArray("BM\x01") << "Bitmap image is not valid";
}

void tst_Main::failedStartExplains()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, why);
    TestGame t;
    TempDataDir &data = t.data;
    CapturingReporter &reporter = t.reporter;
    if (bytes.isEmpty())
        data.remove(file);
    else
        data.writeBytes(file, bytes);
    TMainForm form(t.services());
    form.show();
    QCOMPARE(form.Game(), nullptr);
    QCOMPARE(reporter.errors.size(), 1);
    QVERIFY(reporter.errors.first().contains(data.path(file)));
    QVERIFY(reporter.errors.first().contains(why));
    QVERIFY(!form.Timer1->isActive());

    // Where the scene would be, the error itself and what helps, instead of a dead window.
    QVERIFY(form.FailureLabel && form.FailureLabel->isVisible());
    const QString said = QTextDocumentFragment::fromHtml(form.FailureLabel->text())
                             .toPlainText()
                             .remove(QChar(0x200B));
    QVERIFY2(said.contains(data.path(file)) && said.contains(why), qPrintable(said));
    QVERIFY(said.contains(QStringLiteral("重新安装")) && said.contains(QStringLiteral("Set")));
    QVERIFY(!form.AnswerPanel->isVisible());
    QVERIFY(form.SpeedButton0->isVisible());
    QVERIFY(!form.FailureLabel->geometry().intersects(form.SpeedButton0->geometry()));
    QVERIFY(form.screen()->geometry().contains(form.FailureLabel->geometry()));

    // Keys and buttons do nothing harmful; Esc still asks, and closes on yes.
    QTest::keyClick(&form, Qt::Key_5);
    QTest::keyClick(&form, Qt::Key_Return);
    form.NumberButton[1]->click();
    form.Who->click();
    form.Timer2Timer();
    QCOMPARE(reporter.errors.size(), 1);
    reporter.answer = true;
    QTest::keyClick(&form, Qt::Key_Escape);
    QCOMPARE(reporter.questions, QStringList{QStringLiteral("询问|结束游戏吗？")});
    QVERIFY(!form.isVisible());
}

void tst_Main::exitButtonWorksAfterFailedStart()
{
    TestGame t;
    t.data.remove(QStringLiteral("Set/Basic.dat"));
    TMainForm form(t.services());
    form.show();
    QVERIFY(form.FailureLabel);
    form.SpeedButton0->click();
    QVERIFY(!form.isVisible());
}

void tst_Main::answersAreRecorded()
{
    Game g;
    g.add->SetProblem(38, 45);
    g.form.Game()->controller().ProblemPosed();
    for (const char *answer : {"12", "13", "8"}) {
        QVERIFY(g.driver->passWhile([&] { return g.busy(); }));
        g.type(QString::fromLatin1(answer));
        QTest::keyClick(&g.form, Qt::Key_Return);
    }
    QVERIFY(g.add->IsFinished());
    // The next problem comes on the scene tick after the reactions, and is recorded too.
    QVERIFY(g.driver->passWhile([&] { return g.form.Game()->ProblemFinished(); }));
    JournalProbe probe(g.data.path(QStringLiteral("Set/Progress.db")));
    QCOMPARE(probe
                 .rows(QStringLiteral("SELECT operand1, operand2, wrong, finished_at IS NOT NULL "
                                      "FROM problems ORDER BY id"))
                 .mid(1, 1),
             (QList<QVariantList>{{38, 45, 1, 1}}));
    QCOMPARE(probe.value(QStringLiteral("SELECT count(*) FROM problems")).toInt(), 3);
    QCOMPARE(probe.rows(QStringLiteral("SELECT step, value, correct FROM answers ORDER BY id")),
             (QList<QVariantList>{{0, 12, 0}, {0, 13, 1}, {1, 8, 1}}));
    QVERIFY(g.reporter.errors.isEmpty());
}

void tst_Main::unwritableJournalLeavesGamePlaying_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("corrupt file") << "corrupt";
    QTest::newRow("folder in the way") << "folder";
    QTest::newRow("locked while playing") << "locked";
}

void tst_Main::unwritableJournalLeavesGamePlaying()
{
    QFETCH(QString, kind);
    TestGame t;
    TempDataDir &data = t.data;
    CapturingReporter &reporter = t.reporter;
    data.writeLines(QStringLiteral("Set/Money.dat"),
                    {QStringLiteral("小明=0,0"), QStringLiteral("b=0,0"), QStringLiteral("c=0,0"),
                     QStringLiteral("d=0,0")});
    const QString db = data.path(QStringLiteral("Set/Progress.db"));
    if (kind == QLatin1String("corrupt"))
        data.writeBytes(QStringLiteral("Set/Progress.db"),
                        QByteArray("not a database").repeated(300));
    if (kind == QLatin1String("folder")) QVERIFY(QDir().mkpath(db));
    TMainForm form(t.services());
    form.show();
    QVERIFY(form.Game());
    GameDriver driver(t.clock, form);
    std::unique_ptr<JournalProbe> other;
    if (kind == QLatin1String("locked")) {
        QVERIFY(reporter.errors.isEmpty());
        other = std::make_unique<JournalProbe>(db);
        QVERIFY(other->exec(QStringLiteral("BEGIN EXCLUSIVE")));
    }
    TMainClass &c = form.Game()->controller();
    c.UseEngine(Op::Add);
    auto *add = &static_cast<TAdd &>(c.Engine());
    add->SetProblem(38, 45);
    add->RewardCoins = 3;
    c.ProblemPosed();
    for (const char *answer : {"12", "13", "8"}) {
        QVERIFY(driver.passWhile([&] { return form.Game()->Busy(); }));
        for (const char *c = answer; *c; ++c)
            QTest::keyClick(&form, static_cast<Qt::Key>(Qt::Key_0 + (*c - '0')));
        QTest::keyClick(&form, Qt::Key_Return);
    }
    // One box naming the file, and the game went on: solved, paid and saved.
    QCOMPARE(reporter.errors.size(), 1);
    QVERIFY2(reporter.errors.first().contains(QDir::toNativeSeparators(db)),
             qPrintable(reporter.errors.first()));
    QVERIFY(add->IsFinished());
    QCOMPARE(form.Game()->SolvedCount(), 1);
    QCOMPARE(data.readLines(QStringLiteral("Set/Money.dat")).first(), QStringLiteral("小明=0,3"));
    QVERIFY(driver.passWhile([&] { return form.Game()->Busy(); }));
    // The next problems come and go without another box.
    QVERIFY(driver.passWhile([&] { return form.Game()->ProblemFinished(); }));
    c.NewProblem();
    QCOMPARE(reporter.errors.size(), 1);
}

void tst_Main::resultsButtonOpensTheReport()
{
    Game g({QStringLiteral("小明=0,0"), QStringLiteral("b=0,0"), QStringLiteral("c=0,0"),
            QStringLiteral("d=0,0")});
    g.form.Who->click();
    QCOMPARE(g.form.SpeedButton3->text(), QStringLiteral("成绩"));
    QString shownFor;
    QTimer::singleShot(0, this, [&] {
        auto *report = qobject_cast<TReportForm *>(QApplication::activeModalWidget());
        QVERIFY(report);
        QCOMPARE(report->windowTitle(), QStringLiteral("成绩"));
        shownFor = report->PlayerBox->currentText();
        QCOMPARE(report->PlayerBox->count(), 4);
        // A new name is saved and shown on the player button at once.
        QCOMPARE(report->Rename(2, QStringLiteral("姐姐")), QStringLiteral("姐姐"));
        QCOMPARE(g.form.Who->text(), QStringLiteral("姐姐做题"));
        report->CloseButton->click();
    });
    g.form.SpeedButton3->click();
    QCOMPARE(shownFor, QStringLiteral("b"));
    QCOMPARE(g.data.readLines(QStringLiteral("Set/Money.dat"))[1], QStringLiteral("姐姐=0,0"));
}

void tst_Main::escapeYesDuringPausesCloses()
{
    Game g;
    g.add->SetProblem(38, 45);
    g.reporter.answer = true;
    bool asked = false;
    g.driver->afterEach = [&] {
        // The step is taken: the course is in its reaction pauses.
        if (!asked && g.add->Step == 1 && g.busy()) {
            asked = true;
            QTest::keyClick(&g.form, Qt::Key_Escape);
        }
    };
    g.type(QStringLiteral("13"));
    QTest::keyClick(&g.form, Qt::Key_Return);
    QVERIFY(g.driver->passWhile([&] { return !asked; }));
    QCOMPARE(g.reporter.questions.size(), 1);
    QVERIFY(!g.form.isVisible());
    // Nothing is left waiting: the course runs out on its own.
    QVERIFY(g.driver->passWhile([&] { return g.busy(); }));
}

QTEST_MAIN(tst_Main)
#include "tst_Main.moc"
