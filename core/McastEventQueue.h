#pragma once
#include <QHash>
#include <QMutex>
#include <QPair>
#include <QString>
#include <QStringList>
#include <cstdint>

/// Clock events on their way from the network thread to the windows. Any host can send them as fast as it
/// likes, so only the newest event of each kind and sender waits, and only for a bounded number of such pairs;
/// the rest is counted and dropped. The windows then hear at most one event per kind and sender per hand-over,
/// and never lose the last state, offset or frequency a device reported.
///
/// Thread-safe.
class McastEventQueue
{
public:
    static constexpr int kMaxPending = 1024; ///< kinds and senders waiting at once

    explicit McastEventQueue(int maxPending = kMaxPending);

    /// Keeps `text` as the sender's pending event of `kind`, replacing an older one. False when the queue
    /// already holds `maxPending` other pairs: the event is dropped.
    bool push(uint32_t srcIp, const QString& kind, const QString& text);
    /// The pending events, in the order their kind and sender first arrived, and empties the queue.
    QStringList take();

    int size() const;
    /// Events replaced by a newer one of their sender before the windows took them.
    int64_t superseded() const;
    /// Events dropped because the queue was full.
    int64_t refused() const;

private:
    const int m_maxPending;
    mutable QMutex m_lock;
    QHash<QPair<uint32_t, QString>, int> m_slot; // sender and kind -> index in m_texts
    QStringList m_texts;
    int64_t m_superseded = 0;
    int64_t m_refused = 0;
};
