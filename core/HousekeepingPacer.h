#pragma once
#include <cstdint>

/// Decides when the network thread runs its 20 ms housekeeping step.
///
/// The step is due whenever a whole period of real time has passed, whether or not the pass
/// received datagrams: under continuous traffic devices must still age and tables still be
/// fetched. Each due step stands for one period; when the thread falls far behind (a stall),
/// the missed periods are dropped rather than replayed in a burst.
class HousekeepingPacer
{
public:
    explicit HousekeepingPacer(int64_t periodMs = 20, int maxBacklog = 5);

    /// Restarts the schedule at `nowMs`; the first step is due one period later.
    void start(int64_t nowMs);
    /// True when a step is due at `nowMs`; consumes that one period.
    bool due(int64_t nowMs);
    int64_t periodMs() const { return m_periodMs; }

private:
    int64_t m_periodMs;
    int m_maxBacklog;
    int64_t m_nextDueMs = 0;
};
