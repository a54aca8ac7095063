#include "BenchRegistry.h"

#include "DevManager.h"

#include <QJsonObject>

BenchRegistry::BenchRegistry()
{
    dvm_setSendHook(&BenchRegistry::sendHook, this);
    dvm_setNotifyHook(&BenchRegistry::notifyHook, this);
}

BenchRegistry::~BenchRegistry()
{
    dvm_setSendHook(nullptr, nullptr);
    dvm_setNotifyHook(nullptr, nullptr);
}

void BenchRegistry::reset()
{
    dvm_resetForTest();
    m_requests.clear();
    clearCounters();
}

void BenchRegistry::clearCounters()
{
    m_sent = 0;
    m_notified = 0;
}

void BenchRegistry::announce(int first, int count, const BenchMessages::Shape& shape)
{
    for (int i = first; i < first + count; ++i) {
        const QByteArray msg = BenchMessages::announcement(i, shape);
        userCallLib_handleUdp_mcast(msg.constData(), msg.size(), BenchMessages::deviceIp(i), 9996);
    }
}

int BenchRegistry::completeTables(const BenchMessages::Shape& shape, int maxSteps)
{
    m_keepRequests = true;
    int steps = 0;
    while (completeCount() < static_cast<int>(getAllDevs().size())) {
        if (steps == maxSteps) {
            m_keepRequests = false;
            return -1;
        }
        ++steps;
        m_requests.clear();
        userCallLib_timer(20);
        for (const Request& req : m_requests) {
            const int index = BenchMessages::deviceIndex(req.ip);
            const QByteArray reply = index < 0 ? QByteArray() : BenchMessages::tableReply(index, shape, req.data);
            if (!reply.isEmpty()) {
                userCallLib_handleUdp_ucast(reply.constData(), reply.size(), req.ip, 9990);
            }
        }
    }
    m_requests.clear();
    m_keepRequests = false;
    return steps;
}

int BenchRegistry::completeCount() const
{
    int n = 0;
    for (const DevRecord* rec : getAllDevs()) {
        n += dvm_tablesComplete(rec) ? 1 : 0;
    }
    return n;
}

int BenchRegistry::sendHook(void* ctx, const char* data, int length, uint32_t ip, uint16_t /*port*/)
{
    auto* self = static_cast<BenchRegistry*>(ctx);
    ++self->m_sent;
    if (self->m_keepRequests) {
        self->m_requests.push_back(Request{ip, QByteArray(data, length)});
    }
    return length;
}

void BenchRegistry::notifyHook(void* ctx, const QJsonObject& /*msg*/)
{
    ++static_cast<BenchRegistry*>(ctx)->m_notified;
}
