#include "app/Main.h"
#include "core/uMainClass.h"
#include "engines/AddAlgo.h"
#include "progress/uReport.h"
#include "JournalProbe.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

struct Game
{
    Game()
    {
        form.show();
        add = static_cast<TAdd *>(form.Game()->Engines[0].get());
        form.Game()->Engine = add;
    }
    void type(const QString &keys)
    {
        for (QChar c : keys)
            QTest::keyClick(&form, static_cast<Qt::Key>(Qt::Key_0 + (c.unicode() - '0')));
    }
    TempDataDir data;
    FakeClock clock;
    CapturingReporter reporter;
    TMainForm form;
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
    void solvedProblemPaysAndSaves();
    void wrongAnswerCostsFromFiveGold();
    void secondEnterDuringPausesIgnored();
    void finishedProblemIsReplacedOnTick();
    void playerButtonCycles();
    void missingDataStartsNoGame();
    void answersAreRecorded();
    void unwritableJournalLeavesGamePlaying_data();
    void unwritableJournalLeavesGamePlaying();
    void resultsButtonOpensTheReport();
    // Last: closing the window ends every pause for good.
    void escapeYesDuringPausesCloses();
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

void tst_Main::solvedProblemPaysAndSaves()
{
    Game g;
    g.data.writeLines(QStringLiteral("Set/Money.dat"),
                      {QStringLiteral("小明=0,98"), QStringLiteral("b=0,0"),
                       QStringLiteral("c=0,0"), QStringLiteral("d=0,0")});
    g.form.ShowPlayer();
    g.add->SetProblem(38, 45);
    g.add->RewardCoins = 3;
    g.type(QStringLiteral("13"));
    QTest::keyClick(&g.form, Qt::Key_Return);
    // A step that does not finish brings no coins.
    QCOMPARE(g.form.Game()->SolvedCount, 0);
    QCOMPARE(g.form.MoneyLabel2->text(), QStringLiteral("98个"));
    g.type(QStringLiteral("8"));
    QTest::keyClick(&g.form, Qt::Key_Enter);
    QVERIFY(g.add->IsFinished());
    QCOMPARE(g.form.Game()->SolvedCount, 1);
    QCOMPARE(g.form.MoneyLabel1->text(), QStringLiteral("1个"));
    QCOMPARE(g.form.MoneyLabel2->text(), QStringLiteral("1个"));
    QCOMPARE(g.data.readLines(QStringLiteral("Set/Money.dat")).first(), QStringLiteral("小明=1,1"));
    QVERIFY(!g.form.Busy);
}

void tst_Main::wrongAnswerCostsFromFiveGold()
{
    Game g;
    g.data.writeLines(QStringLiteral("Set/Money.dat"),
                      {QStringLiteral("a=0,0"), QStringLiteral("b=5,0"), QStringLiteral("c=0,0"),
                       QStringLiteral("d=0,0")});
    g.form.WhoClick(); // player 2, account 1
    g.add->SetProblem(38, 45);
    g.type(QStringLiteral("12"));
    QTest::keyClick(&g.form, Qt::Key_Return);
    QCOMPARE(g.add->Step, 0);
    QCOMPARE(g.data.readLines(QStringLiteral("Set/Money.dat")).at(1), QStringLiteral("b=4,99"));
    QCOMPARE(g.form.MoneyLabel1->text(), QStringLiteral("4个"));
}

void tst_Main::secondEnterDuringPausesIgnored()
{
    Game g;
    g.add->SetProblem(38, 45);
    bool pressed = false;
    int readyDuringPauses = 0;
    g.clock.onIdle = [&](int) {
        g.add->PaintBoard();
        if (g.form.SpeedButton12->isEnabled()) ++readyDuringPauses;
        if (!pressed && g.add->Step == 1) {
            pressed = true;
            g.type(QStringLiteral("8"));
            QTest::keyClick(&g.form, Qt::Key_Return);
        }
    };
    g.type(QStringLiteral("13"));
    QTest::keyClick(&g.form, Qt::Key_Return);
    QVERIFY(pressed);
    // The submit button showed not ready all the while, and is ready again.
    QCOMPARE(readyDuringPauses, 0);
    QVERIFY(g.form.SpeedButton12->isEnabled());
    QCOMPARE(g.form.AnswerLabel->text(), QStringLiteral("8"));
    QVERIFY(!g.add->IsFinished());
    QCOMPARE(g.add->Step, 1);
    QTest::keyClick(&g.form, Qt::Key_Return);
    QVERIFY(g.add->IsFinished());
}

void tst_Main::finishedProblemIsReplacedOnTick()
{
    Game g;
    g.add->SetProblem(9, 5);
    g.type(QStringLiteral("14"));
    QTest::keyClick(&g.form, Qt::Key_Return);
    QVERIFY(g.add->IsFinished());
    // The solved problem stays while the characters react, then the next one comes.
    g.form.Timer1Timer();
    QVERIFY(g.form.Game()->Engine->IsFinished());
    for (int tick = 0; tick < 50 && g.form.Game()->Engine->IsFinished(); ++tick) {
        g.clock.advance(100);
        g.form.Timer1Timer();
    }
    QVERIFY(!g.form.Game()->Engine->IsFinished());
}

void tst_Main::playerButtonCycles()
{
    Game g;
    QList<int> seen;
    for (int i = 0; i < 5; ++i) {
        g.form.Who->click();
        seen << g.form.Game()->GetPlayer();
    }
    QCOMPARE(seen, (QList<int>{2, 3, 4, 0, 2}));
    g.form.WhoClick();
    QCOMPARE(g.form.Who->text(), g.form.Game()->PlayerName() + QStringLiteral("做题"));
}

void tst_Main::missingDataStartsNoGame()
{
    TempDataDir data;
    data.remove(QStringLiteral("Set/Money.dat"));
    CapturingReporter reporter;
    TMainForm form;
    form.show();
    QCOMPARE(form.Game(), nullptr);
    QCOMPARE(reporter.errors.size(), 1);
    QVERIFY(reporter.errors.first().contains(QLatin1String("Money.dat")));
    QVERIFY(!form.Timer1->isActive());
    // The window stays usable: keys and buttons do nothing harmful.
    QTest::keyClick(&form, Qt::Key_5);
    QTest::keyClick(&form, Qt::Key_Return);
    form.NumberButton[1]->click();
    form.Who->click();
    form.Timer2Timer();
    QCOMPARE(reporter.errors.size(), 1);
}

void tst_Main::answersAreRecorded()
{
    Game g;
    g.add->SetProblem(38, 45);
    g.form.Game()->ProblemPosed();
    for (const char *answer : {"12", "13", "8"}) {
        g.type(QString::fromLatin1(answer));
        QTest::keyClick(&g.form, Qt::Key_Return);
    }
    QVERIFY(g.add->IsFinished());
    // The next problem comes on the scene tick after the reactions, and is recorded too.
    for (int tick = 0; tick < 50 && g.form.Game()->Engine->IsFinished(); ++tick) {
        g.clock.advance(100);
        g.form.Timer1Timer();
    }
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
    TempDataDir data;
    data.writeLines(QStringLiteral("Set/Money.dat"),
                    {QStringLiteral("小明=0,0"), QStringLiteral("b=0,0"), QStringLiteral("c=0,0"),
                     QStringLiteral("d=0,0")});
    const QString db = data.path(QStringLiteral("Set/Progress.db"));
    if (kind == QLatin1String("corrupt"))
        data.writeBytes(QStringLiteral("Set/Progress.db"),
                        QByteArray("not a database").repeated(300));
    if (kind == QLatin1String("folder")) QVERIFY(QDir().mkpath(db));
    FakeClock clock;
    CapturingReporter reporter;
    TMainForm form;
    form.show();
    QVERIFY(form.Game());
    std::unique_ptr<JournalProbe> other;
    if (kind == QLatin1String("locked")) {
        QVERIFY(reporter.errors.isEmpty());
        other = std::make_unique<JournalProbe>(db);
        QVERIFY(other->exec(QStringLiteral("BEGIN EXCLUSIVE")));
    }
    auto *add = static_cast<TAdd *>(form.Game()->Engines[0].get());
    form.Game()->Engine = add;
    add->SetProblem(38, 45);
    add->RewardCoins = 3;
    form.Game()->ProblemPosed();
    for (const char *answer : {"12", "13", "8"}) {
        for (const char *c = answer; *c; ++c)
            QTest::keyClick(&form, static_cast<Qt::Key>(Qt::Key_0 + (*c - '0')));
        QTest::keyClick(&form, Qt::Key_Return);
    }
    // One box naming the file, and the game went on: solved, paid and saved.
    QCOMPARE(reporter.errors.size(), 1);
    QVERIFY2(reporter.errors.first().contains(QDir::toNativeSeparators(db)),
             qPrintable(reporter.errors.first()));
    QVERIFY(add->IsFinished());
    QCOMPARE(form.Game()->SolvedCount, 1);
    QCOMPARE(data.readLines(QStringLiteral("Set/Money.dat")).first(), QStringLiteral("小明=0,3"));
    QVERIFY(!form.Busy);
    // The next problems come and go without another box.
    form.Game()->NewProblem();
    QCOMPARE(reporter.errors.size(), 1);
}

void tst_Main::resultsButtonOpensTheReport()
{
    Game g;
    g.data.writeLines(QStringLiteral("Set/Money.dat"),
                      {QStringLiteral("小明=0,0"), QStringLiteral("b=0,0"), QStringLiteral("c=0,0"),
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
    g.clock.onIdle = [&](int) {
        g.add->PaintBoard();
        // The step is taken: the flow is inside its reaction pauses.
        if (!asked && g.add->Step == 1) {
            asked = true;
            QTest::keyClick(&g.form, Qt::Key_Escape);
        }
    };
    g.type(QStringLiteral("13"));
    QTest::keyClick(&g.form, Qt::Key_Return);
    QCOMPARE(g.reporter.questions.size(), 1);
    QVERIFY(!g.form.isVisible());
    QVERIFY(!g.form.Busy);
}

QTEST_MAIN(tst_Main)
#include "tst_Main.moc"
