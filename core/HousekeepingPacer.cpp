#include "HousekeepingPacer.h"

HousekeepingPacer::HousekeepingPacer(int64_t periodMs, int maxBacklog)
    : m_periodMs(periodMs > 0 ? periodMs : 1), m_maxBacklog(maxBacklog > 0 ? maxBacklog : 1)
{
}

void HousekeepingPacer::start(int64_t nowMs)
{
    m_nextDueMs = nowMs + m_periodMs;
}

bool HousekeepingPacer::due(int64_t nowMs)
{
    if (nowMs < m_nextDueMs)
        return false;
    // A long stall would otherwise be replayed as a burst of steps that all report 20 ms.
    if (nowMs - m_nextDueMs >= m_periodMs * m_maxBacklog)
        m_nextDueMs = nowMs;
    m_nextDueMs += m_periodMs;
    return true;
}
