#include "McastEventQueue.h"

#include "CoreLog.h"

McastEventQueue::McastEventQueue(int maxPending) : m_maxPending(maxPending < 1 ? 1 : maxPending) {}

bool McastEventQueue::push(uint32_t srcIp, const QString& kind, const QString& text)
{
    const QPair<uint32_t, QString> key(srcIp, kind);
    QMutexLocker locker(&m_lock);
    const auto it = m_slot.constFind(key);
    if (it != m_slot.constEnd()) {
        m_texts[it.value()] = text;
        ++m_superseded;
        return true;
    }
    if (m_texts.size() >= m_maxPending) {
        // The first drop and every 10000th are logged, not every datagram of a flood.
        if (m_refused++ == 0 || m_refused % 10000 == 0)
            qCWarning(lcNet) << "clock events dropped, too many senders and kinds at once:" << m_refused;
        return false;
    }
    m_slot.insert(key, m_texts.size());
    m_texts.append(text);
    return true;
}

QStringList McastEventQueue::take()
{
    QMutexLocker locker(&m_lock);
    QStringList out;
    out.swap(m_texts);
    m_slot.clear();
    return out;
}

int McastEventQueue::size() const
{
    QMutexLocker locker(&m_lock);
    return m_texts.size();
}

int64_t McastEventQueue::superseded() const
{
    QMutexLocker locker(&m_lock);
    return m_superseded;
}

int64_t McastEventQueue::refused() const
{
    QMutexLocker locker(&m_lock);
    return m_refused;
}
