#include "TablePacer.h"

#include <algorithm>

void TablePacer::reset(int ratePerSecond, int burst)
{
    m_nowMs = 0;
    m_rate = std::max(ratePerSecond, 0);
    m_burst = std::max(burst, 1);
    m_milliTokens = m_burst * 1000;
}

void TablePacer::advance(int elapsedMs)
{
    const int64_t step = std::min(std::max(elapsedMs, 0), 60000);
    m_nowMs += step;
    // rate per second times milliseconds is thousandths of a request
    m_milliTokens = std::min(m_milliTokens + m_rate * step, m_burst * 1000);
}

bool TablePacer::due(TablePace& pace, int32_t fetched, bool wanted) const
{
    if (!wanted) {
        pace = TablePace{};
        return false;
    }
    if (!paced())
        return true;
    if (pace.outstanding && pace.askedAt != fetched)
        pace = TablePace{}; // answered (or restarted by an invalidation): the next page goes at once
    return !pace.outstanding || m_nowMs >= pace.dueMs;
}

bool TablePacer::take()
{
    if (!paced())
        return true;
    if (m_milliTokens < 1000)
        return false;
    m_milliTokens -= 1000;
    return true;
}

void TablePacer::asked(TablePace& pace, int32_t fetched) const
{
    pace.delayMs = pace.outstanding ? std::min(pace.delayMs * 2, kMaxDelayMs) : kFirstDelayMs;
    pace.askedAt = fetched;
    pace.outstanding = 1;
    pace.dueMs = m_nowMs + pace.delayMs;
}
