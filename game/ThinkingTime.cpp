#include "game/ThinkingTime.h"

void ThinkingTime::restart(uint32_t now)
{
    m_counted = 0;
    m_since = now;
}

void ThinkingTime::hold(Hold why, bool on, uint32_t now)
{
    const bool wasRunning = running();
    m_holds = on ? (m_holds | why) : (m_holds & ~why);
    if (wasRunning && !running()) m_counted += now - m_since;
    if (!wasRunning && running()) m_since = now;
}

uint32_t ThinkingTime::elapsed(uint32_t now) const
{
    return running() ? m_counted + (now - m_since) : m_counted;
}
