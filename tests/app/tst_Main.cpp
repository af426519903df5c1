#include "app/Main.h"
#include "core/uMainClass.h"
#include "engines/AddAlgo.h"
#include "TestSupport.h"

#include <QLabel>
#include <QTextDocumentFragment>
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
    void keyboardDigitsStopAtThree();
    void buttonDigitsHaveNoLimit();
    void finishedProblemRefusesButtonsNotKeys();
    void escapeClearsThenAsks();
    void backspaceAndInvalidAnswers();
    void solvedProblemPaysAndSaves();
    void wrongAnswerCostsFromFiveGold();
    void secondEnterDuringPausesIgnored();
    void finishedProblemIsReplacedOnTick();
    void playerButtonCycles();
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

void tst_Main::keyboardDigitsStopAtThree()
{
    Game g;
    g.type(QStringLiteral("1234"));
    QCOMPARE(g.form.AnswerLabel->text(), QStringLiteral("123"));
    g.form.AnswerLabel->clear();
    QTest::keyClick(&g.form, Qt::Key_7, Qt::KeypadModifier);
    QCOMPARE(g.form.AnswerLabel->text(), QStringLiteral("7"));
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
    g.clock.onIdle = [&](int) {
        g.add->PaintBoard();
        if (!pressed && g.add->Step == 1) {
            pressed = true;
            g.type(QStringLiteral("8"));
            QTest::keyClick(&g.form, Qt::Key_Return);
        }
    };
    g.type(QStringLiteral("13"));
    QTest::keyClick(&g.form, Qt::Key_Return);
    QVERIFY(pressed);
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
    TempDataDir data;
    if (bytes.isEmpty())
        data.remove(file);
    else
        data.writeBytes(file, bytes);
    CapturingReporter reporter;
    TMainForm form;
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
    TempDataDir data;
    data.remove(QStringLiteral("Set/Basic.dat"));
    CapturingReporter reporter;
    TMainForm form;
    form.show();
    QVERIFY(form.FailureLabel);
    form.SpeedButton0->click();
    QVERIFY(!form.isVisible());
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
