#pragma once

#include "core/EngineHost.h"
#include "core/ProblemView.h"
#include "game/CoinBank.h"
#include "game/uMainClass.h"
#include "platform/Bitmap.h"
#include "JournalProbe.h"
#include "RightAnswer.h"
#include "TestSupport.h"

#include <QDir>
#include <QTest>
#include <memory>
#include <utility>
#include <vector>

// A problem as the engine posed it, and whether it came from the review.
struct Posed
{
    int Operation = -1;
    int Operand1 = 0;
    int Operand2 = 0;
    QString Type;
    bool StepMode = true;
    bool Review = false;
    bool operator==(const Posed &o) const
    {
        return Operation == o.Operation && Operand1 == o.Operand1 && Operand2 == o.Operand2 &&
               Type == o.Type && StepMode == o.StepMode && Review == o.Review;
    }
    bool sameProblem(const Posed &o) const
    {
        return Operation == o.Operation && Operand1 == o.Operand1 && Operand2 == o.Operand2 &&
               Type == o.Type && StepMode == o.StepMode;
    }
};

inline QString describe(const Posed &p)
{
    return QStringLiteral("op %1: %2,%3 %4 %5%6")
        .arg(p.Operation)
        .arg(p.Operand1)
        .arg(p.Operand2)
        .arg(p.Type, p.StepMode ? QStringLiteral("steps") : QStringLiteral("whole"),
             p.Review ? QStringLiteral(" review") : QString());
}

// The game controller in a data folder of its own, driven the way a game drives it: a new
// operation and problem once the last is finished, answers with the board painted and the
// slots counted down while an engine's last answer settles.
class Practice
{
public:
    // More files of Set/ are written as given before the game starts.
    explicit Practice(const QStringList &basicLines, bool usableJournal = true,
                      const std::vector<std::pair<QString, QStringList>> &more = {})
    {
        data.writeLines(QStringLiteral("Set/Basic.dat"), basicLines);
        for (const auto &f : more)
            data.writeLines(QStringLiteral("Set/") + f.first, f.second);
        // The clock reseeds every draw of a problem; the first operation is picked before.
        host.random().seed(7);
        // A folder where the database should be: the journal cannot open it.
        if (!usableJournal)
            QDir(data.path(QStringLiteral("Set"))).mkdir(QStringLiteral("Progress.db"));
        start();
    }

    void start()
    {
        bank.LoadMoney();
        game = std::make_unique<TMainClass>(host, board, hint, bank, reporter);
    }
    // Closes the game, and with it the journal, and starts it again.
    void restart()
    {
        game.reset();
        start();
    }
    // What the settings dialog's OK does with new settings.
    void applySettings(const QStringList &basicLines)
    {
        data.writeLines(QStringLiteral("Set/Basic.dat"), basicLines);
        game->LoadOptions();
        game->ReloadEngines();
        game->PickOperation();
        game->NewProblem();
    }
    // The next step once the last answer has settled on the board.
    void nextStep()
    {
        for (int waited = 0; game->Engine().Settling(); waited += 50) {
            QVERIFY(waited < 10000);
            clock.advance(50);
            host.tickSlots().CountDownSlots(50);
            game->Engine().PaintBoard();
        }
        game->NextStep();
    }

    void next(bool bare = false)
    {
        game->PickOperation();
        if (bare) {
            // Posing as the game did before missed problems came back.
            game->DrawProblem();
        } else {
            game->NewProblem();
        }
    }
    // Answers the problem on the board to its end; with one mistake first when miss.
    void solve(bool miss)
    {
        for (int steps = 0; !game->Engine().IsFinished(); ++steps) {
            QVERIFY(steps < 40);
            const int32_t right = RightAnswer(&game->Engine());
            clock.advance(900);
            if (miss) {
                QVERIFY(!game->CheckAnswer(right + 1));
                clock.advance(600);
                miss = false;
            }
            QVERIFY(game->CheckAnswer(right));
            if (!game->Engine().IsFinished()) nextStep();
        }
        clock.advance(1500);
    }
    // Plays one problem per character: x with a mistake, o without.
    void play(const QString &answers, bool bare = false)
    {
        for (QChar c : answers) {
            next(bare);
            solve(c == QLatin1Char('x'));
            seen << current();
        }
    }

    // The problem on the board, flagged as the journal recorded it.
    Posed current() const
    {
        const ProblemSnapshot s = dynamic_cast<ProblemView &>(game->Engine()).Snapshot();
        Posed p;
        p.Operation = OpCode(game->Operation());
        p.Operand1 = s.Operand1;
        p.Operand2 = s.Operand2;
        p.Type = s.TypeLine;
        p.StepMode = s.StepMode;
        p.Review = probe()
                       .value(QStringLiteral("SELECT review FROM problems ORDER BY id DESC "
                                             "LIMIT 1"))
                       .toInt() == 1;
        return p;
    }
    JournalProbe probe() const
    {
        return JournalProbe(data.path(QStringLiteral("Set/Progress.db")));
    }

    TempDataDir data;
    FakeClock clock;
    CapturingReporter reporter;
    EngineHost host{clock, data.folders()};
    Bitmap board{180, 240};
    Bitmap hint{100, 100};
    CoinBank bank{data.path(QStringLiteral("Set/Money.dat"))};
    std::unique_ptr<TMainClass> game;
    QList<Posed> seen;
};
