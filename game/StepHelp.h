#pragma once

#include "core/Def.h"

#include <QString>
#include <cstdint>

// Help that grows with the wrong answers on one step, as the session gives it:
//   every wrong answer stands struck through on the board for StruckMs (until the child types
//   again), and a recognised mistake is said in the hint bubble until the child types again;
//   the second wrong answer brings the hint at once;
//   the third works the step on the board (its digits and one line of reasoning), and from
//   then on no wrong answer to the step takes a coin;
//   a right answer after a wrong one is praised on the board for PraiseMs.
// Times are the game clock's milliseconds. It draws nothing and knows no engine: the session
// hands what it decides to the engine (Mending) and to the scene (the words).
class StepHelp
{
public:
    static constexpr uint32_t StruckMs = 1500;
    static constexpr uint32_t PraiseMs = 1500;
    // The wrong answers on one step after which the hint comes at once, and the step is worked.
    static constexpr int HintAt = 2;
    static constexpr int WorkAt = 3;

    // What a wrong answer brings.
    struct WrongOutcome
    {
        // The hint is due from now on, without its usual wait.
        bool HintNow = false;
        // The step is worked from now on.
        bool WorkedNow = false;
        // The Overview's coin rule applies to this answer; a worked step takes none.
        bool TakesCoin = true;
    };

    // A wrong answer value at now; words are what its mistake says to the child (empty when
    // it was not recognised).
    WrongOutcome Wrong(int32_t value, const QString &words, uint32_t now);
    // A right answer at now; true when it mends the step, which is then praised.
    bool Right(uint32_t now);
    // The child types again: the struck value and the words go.
    void Typed();
    // The next step is asked: its count starts afresh; the praise of the last one stays its
    // time.
    void NextStep();
    // Another problem: nothing stays.
    void NewProblem();

    // What the board shows at now.
    Mending BoardAt(uint32_t now) const;
    // What the hint bubble says instead of the hint; empty when nothing.
    const QString &Words() const { return m_words; }
    // Wrong answers on the step under way, and whether it stands worked.
    int WrongOnStep() const { return m_wrong; }
    bool Worked() const { return m_wrong >= WorkAt; }
    // A wrong answer now costs a silver coin: none once the step is worked, nor the one that works
    // it.
    bool WrongTakesCoin() const { return m_wrong + 1 < WorkAt; }

private:
    int m_wrong = 0;
    bool m_struck = false;
    int32_t m_struckValue = 0;
    uint32_t m_struckAt = 0;
    bool m_praised = false;
    uint32_t m_praisedAt = 0;
    QString m_words;
};
