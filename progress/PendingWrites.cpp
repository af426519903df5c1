#include "progress/PendingWrites.h"

#include <algorithm>

void PendingWrites::clear()
{
    m_writes.clear();
    cleared();
}

void PendingWrites::blocked(uint32_t now)
{
    if (!m_blocked) {
        m_blocked = true;
        m_since = now;
        m_wait = FirstWaitMs;
    } else {
        m_wait = std::min(m_wait * 2, LongestWaitMs);
    }
    m_nextTry = now + m_wait;
}

void PendingWrites::cleared()
{
    m_blocked = false;
    m_told = false;
    m_wait = 0;
}

bool PendingWrites::due(uint32_t now) const
{
    // Ticks wrap: compared by their difference.
    return !m_blocked || static_cast<int32_t>(now - m_nextTry) >= 0;
}

bool PendingWrites::takeTellable(uint32_t now)
{
    if (!m_blocked || m_told || now - m_since < TellAfterMs) return false;
    m_told = true;
    return true;
}
