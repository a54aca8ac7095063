#include "FuzzRegistry.h"

#include "DevManager.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace {

bool terminated(const char* field, size_t size)
{
    return std::memchr(field, '\0', size) != nullptr;
}

} // namespace

FuzzRegistry& FuzzRegistry::instance()
{
    static FuzzRegistry reg;
    return reg;
}

FuzzRegistry::FuzzRegistry()
{
    dvm_setSendHook(&FuzzRegistry::sendHook, this);
    dvm_setNotifyHook(&FuzzRegistry::notifyHook, this);
}

void FuzzRegistry::reset()
{
    dvm_resetForTest();
    m_devs.clear();
    m_mcasts.clear();
}

int FuzzRegistry::copyDatagram(const uint8_t* data, size_t size, char* buf)
{
    const int len = static_cast<int>(std::min<size_t>(size, kMaxDatagram));
    if (len > 0) {
        std::memcpy(buf, data, static_cast<size_t>(len));
    }
    buf[len] = '\0';
    return len;
}

int FuzzRegistry::mcast(const uint8_t* data, size_t size, uint32_t srcIp)
{
    // A heap buffer of the exact size lets ASan see any read past the NUL.
    std::vector<char> buf(std::min<size_t>(size, kMaxDatagram) + 1);
    const int len = copyDatagram(data, size, buf.data());
    return userCallLib_handleUdp_mcast(buf.data(), len, srcIp, 9996);
}

int FuzzRegistry::ucast(const uint8_t* data, size_t size, uint32_t srcIp)
{
    std::vector<char> buf(std::min<size_t>(size, kMaxDatagram) + 1);
    const int len = copyDatagram(data, size, buf.data());
    return userCallLib_handleUdp_ucast(buf.data(), len, srcIp, 9990);
}

int FuzzRegistry::sap(const uint8_t* data, size_t size, uint32_t srcIp)
{
    std::vector<char> buf(std::min<size_t>(size, kMaxDatagram) + 1);
    const int len = copyDatagram(data, size, buf.data());
    return userCallLib_handleUdp_sap(buf.data(), len, srcIp, 9875);
}

void FuzzRegistry::timer(int elapsedMs)
{
    userCallLib_timer(elapsedMs);
}

std::vector<QByteArray> FuzzRegistry::split(const uint8_t* data, size_t size, int maxParts)
{
    std::vector<QByteArray> parts;
    size_t start = 0;
    while (start <= size && static_cast<int>(parts.size()) < maxParts) {
        const void* nl = size > start ? std::memchr(data + start, '\n', size - start) : nullptr;
        const size_t end = nl ? static_cast<size_t>(static_cast<const uint8_t*>(nl) - data) : size;
        const size_t len = std::min<size_t>(end - start, kMaxDatagram);
        parts.emplace_back(reinterpret_cast<const char*>(data + start), static_cast<int>(len));
        start = end + 1;
    }
    return parts;
}

void FuzzRegistry::check() const
{
    const std::vector<DevRecord*> devs = getAllDevs();
    if (devs.size() > DVM_MAX_DEVS) {
        fail("more live devices than slots");
    }
    std::map<QString, int> listed;
    std::set<QByteArray> ids;
    std::set<const DevRecord*> seen;
    for (const DevRecord* rec : devs) {
        if (!seen.insert(rec).second) {
            fail("a record is listed twice");
        }
        const DevHeader& h = rec->hdr;
        if (!terminated(h.devId, sizeof h.devId) || !terminated(h.name, sizeof h.name) ||
            !terminated(h.myClkId, sizeof h.myClkId) || !terminated(h.gmClkId, sizeof h.gmClkId) ||
            !terminated(h.model, sizeof h.model)) {
            fail("a text field of a device is not NUL-terminated");
        }
        if (h.ip == 0) {
            fail("a device with address 0 is listed");
        }
        if (!ids.insert(QByteArray(h.devId)).second) {
            fail("two live devices share a devId", h.devId);
        }
        ++listed[QString::fromUtf8(h.devId)];
    }
    std::map<QString, int> notified;
    for (const auto& kv : m_devs) {
        if (kv.second != 0) {
            notified.insert(kv);
        }
    }
    if (listed != notified) {
        fail("live devices differ from addDev/delDev notifications");
    }

    const std::vector<McastRecord*> streams = getAllMcasts();
    if (streams.size() > DVM_MAX_MCASTS) {
        fail("more live streams than slots");
    }
    std::map<uint32_t, int> listedStreams;
    for (const McastRecord* rec : streams) {
        if (!terminated(rec->name, sizeof rec->name) || !terminated(rec->ptpClockId, sizeof rec->ptpClockId) ||
            !terminated(rec->sdp, sizeof rec->sdp)) {
            fail("a text field of a stream is not NUL-terminated");
        }
        const StreamDesc& s = rec->stream;
        if (s.chNum < 1 || s.chNum > 8 || s.sampleByteNum < 1 || s.sampleByteNum > 4 || s.srcIp == 0 || s.dstIp == 0 ||
            s.dstPort == 0) {
            fail("a stored stream breaks the validation rules");
        }
        if (++listedStreams[s.dstIp] > 1) {
            fail("two live streams share a destination address");
        }
    }
    std::map<uint32_t, int> notifiedStreams;
    for (const auto& kv : m_mcasts) {
        if (kv.second != 0) {
            notifiedStreams.insert(kv);
        }
    }
    if (listedStreams != notifiedStreams) {
        fail("live streams differ from addMcast/delMcast notifications");
    }
}

int FuzzRegistry::sendHook(void* /*ctx*/, const char* data, int length, uint32_t ip, uint16_t /*port*/)
{
    if (length <= 0 || length > kMaxDatagram || ip == 0) {
        fail("a request with a bad length or address");
    }
    // Every request of the synchronisation step is one of the table requests.
    const QJsonObject req = QJsonDocument::fromJson(QByteArray(data, length)).object();
    if (!req.value(QStringLiteral("ops")).toString().startsWith(QLatin1String("getAll")) ||
        !req.contains(QStringLiteral("idStart"))) {
        fail("a request that is no table request", QByteArray(data, length));
    }
    return length;
}

void FuzzRegistry::notifyHook(void* ctx, const QJsonObject& msg)
{
    // Called with the registry lock sometimes held: only record.
    auto* self = static_cast<FuzzRegistry*>(ctx);
    const QString op = msg.value(QStringLiteral("ops")).toString();
    const QString devId = msg.value(QStringLiteral("devId")).toString();
    // Counted, not asserted here: devIds cut inside a UTF-8 sequence may read as equal texts.
    if (op == QLatin1String("addDev")) {
        ++self->m_devs[devId];
    } else if (op == QLatin1String("delDev")) {
        --self->m_devs[devId];
    } else if (op == QLatin1String("addMcast") || op == QLatin1String("delMcast")) {
        const QJsonObject sdp = msg.value(QStringLiteral("sdp")).toObject();
        const uint32_t dst = dvm_parseIp(sdp.value(QStringLiteral("dstIp")).toString());
        int& n = self->m_mcasts[dst];
        n += op == QLatin1String("addMcast") ? 1 : -1;
        if (n != 0 && n != 1) {
            fail("unbalanced addMcast/delMcast");
        }
    }
}

void FuzzRegistry::fail(const char* what, const QByteArray& detail)
{
    std::fprintf(stderr, "registry invariant broken: %s %s\n", what, detail.constData());
    std::abort();
}
