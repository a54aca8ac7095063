#include "PeriodicTicker.h"

#include "DevManager.h"

PeriodicTicker::BlinkStart PeriodicTicker::startBlink(const QString& devId, int ticks)
{
    const QByteArray id = devId.toUtf8();
    if (devId.isEmpty() || findDevById(id.constData()) == nullptr)
        return BlinkRefused;
    QMutexLocker locker(&m_lock);
    auto it = m_blinkMap.find(devId);
    if (it != m_blinkMap.end()) {
        it.value() = ticks;
        return BlinkRestarted;
    }
    m_blinkMap.insert(devId, ticks);
    return BlinkStarted;
}

int PeriodicTicker::blinkCount() const
{
    QMutexLocker locker(&m_lock);
    return m_blinkMap.size();
}

void PeriodicTicker::startReboot(const QString& devId, int ticks)
{
    QMutexLocker locker(&m_lock);
    m_rebootingDevs.insert(devId, ticks);
}

bool PeriodicTicker::isBlinking(const QString& devId) const
{
    QMutexLocker locker(&m_lock);
    return m_blinkMap.contains(devId);
}

TickResult PeriodicTicker::tick()
{
    TickResult result;
    if (++m_refreshTicks > 50) {
        m_refreshTicks = 0;
        result.refreshUi = m_uiRefreshPending.exchange(false);
    }
    if (++m_devInfoTicks > 150) {
        m_devInfoTicks = 0;
        result.refreshDevInfoUi = true;
    }
    if (++m_canWorkTicks > 250) {
        m_canWorkTicks = 0;
        result.syncCanWork = true;
    }

    if (++m_eventTicks >= kEventTicks) {
        m_eventTicks = 0;
        result.forwardEvents = true;
    }

    QMutexLocker locker(&m_lock);
    for (auto it = m_blinkMap.begin(); it != m_blinkMap.end();) {
        if (--it.value() <= 0) {
            result.unblinked.append(it.key());
            it = m_blinkMap.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = m_rebootingDevs.begin(); it != m_rebootingDevs.end();) {
        const QByteArray devId = it.key().toUtf8();
        if (DevRecord* rec = findDevById(devId.constData()))
            dvm_setDevLife(rec, 0);
        if (--it.value() <= 0)
            it = m_rebootingDevs.erase(it);
        else
            ++it;
    }
    return result;
}
