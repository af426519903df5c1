// The answer flow through the real main window: the characters react in order, and a
// finished problem stays on the board until Woolly's reaction is over.
#include "app/Main.h"
#include "characters/uAnimation.h"
#include "characters/uSound.h"
#include "core/uMainClass.h"
#include "engines/AddAlgo.h"
#include "support/EngineRig.h"
#include "platform/SoundService.h"
#include "support/SilentSound.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

class tst_Reactions : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempDataDir> m_dir;
    std::unique_ptr<FakeClock> m_clock;
    std::unique_ptr<CapturingReporter> m_reporter;
    std::unique_ptr<SilentSoundService> m_sound;
    std::unique_ptr<TMainForm> m_form;

    TMainClass &game() { return *m_form->Game(); }
    TAdd &engine() { return *dynamic_cast<TAdd *>(game().Engine); }
    const rAnimation *sprite(uint8_t character)
    {
        for (const auto &s : game().Animation->Sprites)
            if (s->Character == character) return s.get();
        return nullptr;
    }

    // Addition only, whole answers unless told: one right answer finishes a problem.
    void start(bool steps = false)
    {
        m_dir->writeLines("Set/Basic.dat", {"Children=0", "Alg=0,", "Hint=1",
                                            steps ? "AddDecMultiStep=1" : "AddDecMultiStep=0"});
        m_form = std::make_unique<TMainForm>();
        m_form->show();
        QCoreApplication::processEvents();
        QVERIFY(m_form->Game());
        // The test is the clock: the window's timers are driven by hand.
        for (QTimer *t : {m_form->Timer1, m_form->Timer2, m_form->WaitTimer, m_form->HowMuchTimer})
            t->stop();
        m_clock->onIdle = [this](int ms) {
            m_clock->now -= uint32_t(ms);
            for (int t = 0; t < ms; t += 100) {
                m_clock->advance(uint32_t(std::min(100, ms - t)));
                m_form->Timer1Timer();
            }
        };
        tick(3);
    }
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            m_clock->advance(100);
            m_form->Timer1Timer();
        }
    }
    void answer(int value)
    {
        m_form->AnswerLabel->setText(QString::number(value));
        m_form->SpeedButton12Click();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<TempDataDir>(true);
        m_clock = std::make_unique<FakeClock>();
        m_reporter = std::make_unique<CapturingReporter>();
        m_sound = std::make_unique<SilentSoundService>();
        setSoundService(m_sound.get());
    }
    void cleanup()
    {
        m_form.reset();
        setSoundService(nullptr);
        m_sound.reset();
        m_reporter.reset();
        m_clock.reset();
        m_dir.reset();
    }

    void rightAnswerWaitsForWoolly()
    {
        start();
        QVERIFY(m_reporter->errors.isEmpty());
        QCOMPARE(game().Animation->Sprites.size(), size_t(4));
        QCOMPARE(m_sound->plays, QStringList{"WoollyThink.wav"});
        const int a = engine().Operand1, b = engine().Operand2;
        answer(a + b);
        QVERIFY(engine().IsFinished());
        QCOMPARE(m_sound->plays, (QStringList{"WoollyThink.wav", "OldSheepYes.wav", "WoollyYes.wav",
                                              "WolfYes.wav"}));
        const rAnimation *woolly = sprite(anWoolly);
        QVERIFY(woolly);
        QCOMPARE(woolly->CurAct, akYes);
        int ticks = 0;
        while (engine().IsFinished() && ticks < 50) {
            // The problem is still there only while Woolly is still cheering.
            QCOMPARE(woolly->CurAct, akYes);
            QCOMPARE(engine().Operand1 * 1000 + engine().Operand2, a * 1000 + b);
            tick();
            ++ticks;
        }
        QVERIFY2(!engine().IsFinished(), "a new problem after Woolly's reaction");
        QCOMPARE(woolly->CurAct, akThink);
        QVERIFY(ticks > 1);
        QVERIFY(m_reporter->errors.isEmpty());
    }

    void quickLastStepKeepsTheResult()
    {
        m_dir->writeLines("Set/AddSet.Dat", {"2位数+2位数=198(1硬币)"});
        start(true);
        QCOMPARE(engine().Operand1 * 1000 + engine().Operand2, 99099);
        answer(18);
        QVERIFY(!engine().IsFinished());
        // The child answers the tens while Woolly still cheers the units, so that cheer ends
        // in the first pause of the reactions to the last answer.
        tick(4);
        QCOMPARE(sprite(anWoolly)->CurAct, akYes);
        const uint32_t lastAnswer = m_clock->now;
        answer(19);
        QVERIFY(m_clock->now - lastAnswer >= 1000);
        game().BoardPicture.setRecording(true);
        m_form->Timer1Timer();
        QVERIFY(engine().IsFinished());
        QCOMPARE(EngineRig<TAdd>::row(game().BoardPicture, 160, Yellow), QStringLiteral("198"));
        QCOMPARE(sprite(anWoolly)->CurAct, akYes);
        int ticks = 0;
        while (engine().IsFinished() && ticks < 50) {
            QCOMPARE(sprite(anWoolly)->CurAct, akYes);
            tick();
            ++ticks;
        }
        QVERIFY(!engine().IsFinished());
        QCOMPARE(sprite(anWoolly)->CurAct, akThink);
        QCOMPARE(game().PlayerSilver(), 1);
    }

    void wrongAnswerReactsInOrder()
    {
        start();
        const int a = engine().Operand1, b = engine().Operand2;
        const int32_t silver = game().PlayerSilver();
        answer(a + b + 1);
        QVERIFY(!engine().IsFinished());
        QCOMPARE(m_sound->plays,
                 (QStringList{"WoollyThink.wav", "OldSheepNo.wav", "WolfNo.wav", "WoollyNo.wav"}));
        QCOMPARE(sprite(anWoolly)->CurAct, akNo);
        // The wolf began half a second before Woolly and waits, looping, until Woolly is done.
        tick(5);
        QCOMPARE(sprite(anWolf)->CurAct, akNo);
        tick(20);
        QCOMPARE(sprite(anWoolly)->CurAct, akThink);
        QCOMPARE(sprite(anWolf)->CurAct, akThink);
        QCOMPARE(sprite(anOldSheep)->CurAct, akThink);
        QCOMPARE(engine().Operand1 * 1000 + engine().Operand2, a * 1000 + b);
        QCOMPARE(game().PlayerSilver(), silver); // a child with fewer than 5 gold keeps it
    }

    void thinkCueReturnsWhenQuiet()
    {
        start();
        m_sound->finish("WoollyThink.wav");
        answer(engine().Operand1 + engine().Operand2 + 1);
        const int before = int(m_sound->plays.size());
        m_form->Timer2Timer();
        QCOMPARE(int(m_sound->plays.size()), before);
        m_sound->finish("OldSheepNo.wav");
        m_sound->finish("WolfNo.wav");
        m_form->Timer2Timer();
        QCOMPARE(int(m_sound->plays.size()), before);
        m_sound->finish("WoollyNo.wav");
        m_form->Timer2Timer();
        QCOMPARE(m_sound->plays.last(), QStringLiteral("WoollyThink.wav"));
    }

    void withoutScriptTheGameGoesOn()
    {
        m_dir->remove("Pictures/Animation.txt");
        start();
        QVERIFY(game().Animation->Sprites.empty());
        answer(engine().Operand1 + engine().Operand2);
        QVERIFY(engine().IsFinished());
        // The reactions count as over a fixed time after the last one started, when the flow
        // returned.
        int ticks = 0;
        while (engine().IsFinished() && ticks < 50) {
            tick();
            ++ticks;
        }
        QVERIFY(!engine().IsFinished());
        QCOMPARE(ticks, int(TAnimation::StandInReactionMs / 100));
    }
};

QTEST_MAIN(tst_Reactions)
#include "tst_Reactions.moc"
