#pragma once
#include <QMutex>

#include <atomic>
#include <functional>

/// Counts the messages a link has handed to its receiver and the receiver has not handled yet, so that the link
/// stops reading while the receiver lags. Shared by the link thread (handedOver, pause) and the receiver (handled);
/// every member is safe from any thread.
///
/// Reading pauses when pending() reaches bound() and resumes once it has drained to resumeMark(), so a burst does
/// not toggle reading on every message. The receiver's handled() that reaches the mark calls the wake function
/// once per pause; the link sets it and clears it before it goes away.
class DspLinkFlow
{
public:
    static constexpr int kDefaultBound = 64;

    explicit DspLinkFlow(int bound = kDefaultBound) : m_bound(bound < 1 ? 1 : bound) {}

    int bound() const { return m_bound; }
    int resumeMark() const { return m_bound / 2; }
    int pending() const { return m_pending.load(std::memory_order_acquire); }

    bool mayDeliver() const { return pending() < m_bound; }
    bool mayResume() const { return pending() <= resumeMark(); }

    void handedOver() { m_pending.fetch_add(1, std::memory_order_acq_rel); }
    /// Never below zero: a receiver may also be fed by others (a locally made reply), which it need not tell apart.
    void handled();

    /// Called by the link when it stops reading; `true` when the receiver drained meanwhile (resume at once).
    bool pause();
    void setWake(std::function<void()> wake);

private:
    const int m_bound;
    std::atomic<int> m_pending{0};
    std::atomic<bool> m_paused{false};
    QMutex m_wakeMutex;
    std::function<void()> m_wake;
};
