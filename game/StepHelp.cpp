#include "game/StepHelp.h"

StepHelp::WrongOutcome StepHelp::Wrong(int32_t value, const QString &words, uint32_t now)
{
    WrongOutcome out;
    out.TakesCoin = WrongTakesCoin();
    ++m_wrong;
    out.HintNow = m_wrong == HintAt;
    out.WorkedNow = m_wrong == WorkAt;
    m_struck = true;
    m_struckValue = value;
    m_struckAt = now;
    m_words = words;
    m_praised = false;
    return out;
}

bool StepHelp::Right(uint32_t now)
{
    m_struck = false;
    m_words.clear();
    if (m_wrong == 0) return false;
    m_praised = true;
    m_praisedAt = now;
    return true;
}

void StepHelp::Typed()
{
    m_struck = false;
    m_words.clear();
}

void StepHelp::NextStep()
{
    m_wrong = 0;
    m_struck = false;
    m_words.clear();
}

void StepHelp::NewProblem()
{
    NextStep();
    m_praised = false;
}

Mending StepHelp::BoardAt(uint32_t now) const
{
    Mending m;
    m.Struck = m_struck && now - m_struckAt < StruckMs;
    m.StruckValue = m.Struck ? m_struckValue : 0;
    m.Worked = Worked();
    m.Praised = m_praised && now - m_praisedAt < PraiseMs;
    return m;
}
