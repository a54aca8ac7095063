#include "DspLinkFlow.h"

#include <QMutexLocker>

void DspLinkFlow::handled()
{
    int now = m_pending.load(std::memory_order_acquire);
    while (now > 0 && !m_pending.compare_exchange_weak(now, now - 1, std::memory_order_acq_rel)) {
    }
    if (now - 1 <= resumeMark() && m_paused.exchange(false)) {
        QMutexLocker lock(&m_wakeMutex);
        if (m_wake)
            m_wake();
    }
}

bool DspLinkFlow::pause()
{
    m_paused.store(true);
    // The receiver may have drained between the link's last look and the flag: then nobody would wake it.
    return mayResume() && m_paused.exchange(false);
}

void DspLinkFlow::setWake(std::function<void()> wake)
{
    QMutexLocker lock(&m_wakeMutex);
    m_wake = std::move(wake);
}
