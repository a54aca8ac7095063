#include "PendingRequests.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>

namespace {

qint64 steadyMs()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

bool isBroadcast(uint32_t ip)
{
    return ip == 0xFFFFFFFFu;
}

} // namespace

PendingRequests::PendingRequests(Clock now) : m_now(now ? std::move(now) : Clock(&steadyMs)) {}

PendingRequests& PendingRequests::instance()
{
    static PendingRequests pending;
    return pending;
}

bool PendingRequests::kindOf(const QString& ops, Kind* kind)
{
    static const struct
    {
        const char* ops;
        Kind kind;
    } kKinds[] = {{"setIp", SetIp}, {"reboot", Reboot}, {"clrMcastTx", ClrMcastTx}};
    for (const auto& k : kKinds)
        if (ops == QLatin1String(k.ops)) {
            *kind = k.kind;
            return true;
        }
    return false;
}

void PendingRequests::noteSent(const QByteArray& body, uint32_t ip)
{
    // Level polls leave many times a second: parse only bodies that can be one of the kinds.
    if (!body.contains("setIp") && !body.contains("reboot") && !body.contains("clrMcastTx"))
        return;
    const QJsonObject obj = QJsonDocument::fromJson(body).object();
    Kind kind;
    if (!kindOf(obj.value(QStringLiteral("ops")).toString(), &kind))
        return;
    if (kind == SetIp)
        note(kind, obj.value(QStringLiteral("devId")).toString(), 0);
    else
        note(kind, QString(), ip);
}

void PendingRequests::purgeLocked(qint64 now)
{
    for (int i = m_entries.size() - 1; i >= 0; --i)
        if (m_entries[i].expiresMs <= now)
            m_entries.remove(i);
}

void PendingRequests::note(Kind kind, const QString& devId, uint32_t ip)
{
    if (isBroadcast(ip))
        ip = 0;
    if (devId.isEmpty() && ip == 0)
        return;
    const qint64 now = m_now();
    QMutexLocker lock(&m_mutex);
    purgeLocked(now);
    for (Entry& e : m_entries)
        if (e.kind == kind && e.devId == devId && e.ip == ip) {
            e.count = qMin(e.count + 1, kMaxPerEntry);
            e.expiresMs = now + kLifeMs;
            return;
        }
    if (m_entries.size() >= kMaxEntries) {
        int oldest = 0;
        for (int i = 1; i < m_entries.size(); ++i)
            if (m_entries[i].expiresMs < m_entries[oldest].expiresMs)
                oldest = i;
        m_entries.remove(oldest);
    }
    m_entries.append(Entry{kind, devId, ip, 1, now + kLifeMs});
}

bool PendingRequests::take(Kind kind, const QString& devId, uint32_t ip)
{
    const qint64 now = m_now();
    QMutexLocker lock(&m_mutex);
    purgeLocked(now);
    for (int i = 0; i < m_entries.size(); ++i) {
        Entry& e = m_entries[i];
        const bool sameDevice = (!e.devId.isEmpty() && e.devId == devId) || (e.ip != 0 && e.ip == ip);
        if (e.kind != kind || !sameDevice)
            continue;
        if (--e.count <= 0)
            m_entries.remove(i);
        return true;
    }
    return false;
}

int PendingRequests::entryCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_entries.size();
}

void PendingRequests::clear()
{
    QMutexLocker lock(&m_mutex);
    m_entries.clear();
}
