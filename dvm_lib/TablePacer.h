#pragma once
// Pacing of the table requests. A device gets at most one outstanding request per table; one left unanswered
// (its table's fetched position did not move) is repeated after a delay that doubles up to a ceiling, and an
// answer resets the delay. A token bucket caps the requests of all devices together, so neither one silent
// device nor a thousand announced ones can make the controller flood the network.

#include <cstdint>

/// Pace of one table of one device. All-zero bytes are "nothing asked yet".
struct TablePace
{
    int64_t dueMs;       ///< pacer time from which the outstanding request may be repeated
    int32_t askedAt;     ///< fetched position the outstanding request asked for
    int32_t delayMs;     ///< wait that the outstanding request was given
    uint8_t outstanding; ///< 1 while a request waits for its answer
};

class TablePacer
{
public:
    static constexpr int kFirstDelayMs = 200;   ///< first wait for an answer
    static constexpr int kMaxDelayMs = 5000;    ///< ceiling of the doubling wait
    static constexpr int kRatePerSecond = 4096; ///< global budget refill
    static constexpr int kBurst = 2048;         ///< global budget capacity (also its start)

    /// Back to time 0 with a full budget. ratePerSecond <= 0 turns pacing off: every incomplete table is asked at
    /// every step, without a budget (the unpaced rule, kept for comparison in benchmarks).
    void reset(int ratePerSecond = kRatePerSecond, int burst = kBurst);
    /// Moves time on and refills the budget. Negative or huge steps are clamped.
    void advance(int elapsedMs);
    int64_t nowMs() const { return m_nowMs; }
    bool paced() const { return m_rate > 0; }

    /// Whether the table should be asked now. `wanted` is "fetched below the expected count". Settles the pace
    /// first: a table no longer wanted forgets its request, and a moved fetched position counts as the answer.
    bool due(TablePace& pace, int32_t fetched, bool wanted) const;
    /// Takes one request from the global budget; false when it is spent for now.
    bool take();
    /// Records a request just sent for `fetched`: a repeat waits twice as long as the previous one.
    void asked(TablePace& pace, int32_t fetched) const;

private:
    int64_t m_nowMs = 0;
    int64_t m_milliTokens = int64_t(kBurst) * 1000; ///< budget in thousandths of a request
    int64_t m_rate = kRatePerSecond;
    int64_t m_burst = kBurst;
};
