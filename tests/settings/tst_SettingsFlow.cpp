#include "app/Main.h"

#include "support/TestGame.h"
#include "engines/AddAlgo.h"
#include "settings/uSet.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

namespace {

// In the open dialog: addition alone, drawn only from "3位数+3位数(3硬币)", solved as a whole; the
// girl plays.
void chooseThreeDigitSums(TSetForm *form)
{
    form->CheckBox1->setChecked(true);
    for (QCheckBox *other : {form->CheckBox2, form->CheckBox3, form->CheckBox4})
        other->setChecked(false);
    form->ListBox1->findItems("3位数+3位数(3硬币)", Qt::MatchExactly).first()->setSelected(true);
    form->SpeedButton1Click();
    while (form->ListBox2->count() > 1) {
        form->ListBox2->item(0)->setSelected(true);
        form->SpeedButton2Click();
    }
    form->AddDecMultiStepCheck->setChecked(false);
    form->RadioButton2->setChecked(true);
}

bool isThreeDigits(int32_t n)
{
    return n >= 100 && n <= 999;
}

} // namespace

class tst_SettingsFlow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void okStartsANewProblemWithTheNewSettings();
    void cancelChangesNothing();
    void okDuringACarryDropsTheOldStep();

private:
    std::unique_ptr<TestGame> m_game;
    TempDataDir *m_dir = nullptr;
    CapturingReporter *m_reporter = nullptr;
    std::unique_ptr<TMainForm> m_form;
    std::unique_ptr<GameDriver> m_driver;
    TAdd *m_add = nullptr;
};

void tst_SettingsFlow::init()
{
    m_game = std::make_unique<TestGame>();
    m_dir = &m_game->data;
    m_reporter = &m_game->reporter;
    m_form = std::make_unique<TMainForm>(m_game->services());
    m_form->resize(1024, 768);
    m_form->show();
    QVERIFY(m_form->Game());
    QCOMPARE(m_reporter->errors, QStringList());
    m_driver = std::make_unique<GameDriver>(m_game->clock, *m_form);
    TMainClass &c = m_form->Game()->controller();
    c.UseEngine(Op::Add);
    m_add = &static_cast<TAdd &>(c.Engine());
}

void tst_SettingsFlow::cleanup()
{
    m_driver.reset();
    m_form.reset();
    m_game.reset();
}

void tst_SettingsFlow::okStartsANewProblemWithTheNewSettings()
{
    // Half solved: the units column is answered.
    m_add->SetProblem(21, 34);
    QTest::keyClick(m_form.get(), Qt::Key_5);
    QTest::keyClick(m_form.get(), Qt::Key_Return);
    QCOMPARE(m_add->Step, 1);

    QTimer::singleShot(0, m_form->SetForm, [this] {
        chooseThreeDigitSums(m_form->SetForm);
        QTest::mouseClick(m_form->SetForm->Button1, Qt::LeftButton);
    });
    QTest::mouseClick(m_form->SpeedButton1, Qt::LeftButton);

    QCOMPARE(m_reporter->errors, QStringList());
    QVERIFY(!m_form->SetForm->isVisible());
    QVERIFY(!m_add->IsFinished());
    QVERIFY(!m_add->StepMode);
    QVERIFY(isThreeDigits(m_add->Operand1));
    QVERIFY(isThreeDigits(m_add->Operand2));
    QCOMPARE(m_form->Game()->controller().ChildPicture(), 1);
    QCOMPARE(m_dir->readLines("Set/AddSet.Dat"), QStringList{"3位数+3位数(3硬币)"});
}

void tst_SettingsFlow::cancelChangesNothing()
{
    m_add->SetProblem(21, 34);
    QTest::keyClick(m_form.get(), Qt::Key_5);
    QTest::keyClick(m_form.get(), Qt::Key_Return);
    const QByteArray basic = m_dir->readBytes("Set/Basic.dat");

    QTimer::singleShot(0, m_form->SetForm, [this] {
        chooseThreeDigitSums(m_form->SetForm);
        QTest::keyClick(m_form->SetForm->ListBox2, Qt::Key_Escape);
    });
    QTest::mouseClick(m_form->SpeedButton1, Qt::LeftButton);

    QVERIFY(!m_form->SetForm->isVisible());
    QCOMPARE(m_add->Operand1, 21);
    QCOMPARE(m_add->Step, 1);
    QVERIFY(m_add->StepMode);
    QCOMPARE(m_form->Game()->controller().ChildPicture(), 0);
    QCOMPARE(m_dir->readBytes("Set/Basic.dat"), basic);
}

void tst_SettingsFlow::okDuringACarryDropsTheOldStep()
{
    // 5 + 7 carries: the next step waits for the flying carry, and the settings are
    // accepted meanwhile.
    m_add->SetProblem(15, 7);
    QTest::keyClicks(m_form.get(), QStringLiteral("12"));
    QTest::keyClick(m_form.get(), Qt::Key_Return);
    m_driver->pass(150);
    QVERIFY(m_add->Settling());
    QTimer::singleShot(0, m_form->SetForm, [this] {
        chooseThreeDigitSums(m_form->SetForm);
        m_form->SetForm->AddDecMultiStepCheck->setChecked(true);
        QTest::mouseClick(m_form->SetForm->Button1, Qt::LeftButton);
    });
    m_form->SpeedButton1->click();
    QVERIFY(m_driver->passWhile([this] { return m_form->Game()->Busy(); }));

    QCOMPARE(m_reporter->errors, QStringList());
    QVERIFY(isThreeDigits(m_add->Operand1));
    // The new problem starts at its first column; the old carry's step is not taken.
    QCOMPARE(m_add->Step, 0);
    QCOMPARE(m_add->CarryState, -1);
    QVERIFY(!m_add->IsFinished());
}

QTEST_MAIN(tst_SettingsFlow)
#include "tst_SettingsFlow.moc"
