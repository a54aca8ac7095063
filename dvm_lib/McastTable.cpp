// Multicast stream table: SAP announcements stored by destination address, ageing, look-ups.

#include "DvmState.h"

#include <cstring>

namespace dvm {

void notifyMcast(const char* op, const McastRecord& rec)
{
    QJsonObject msg;
    msg.insert(QLatin1String("ops"), QLatin1String(op));
    msg.insert(QLatin1String("name"), QString::fromUtf8(rec.name));
    msg.insert(QLatin1String("sdp"), streamToJson(rec.stream));
    libCallUser_notify(msg);
}

void ageMcastsLocked(DvmState& s, int elapsedMs)
{
    int kept = 0;
    for (int i = 0; i < s.mcastCount; ++i) {
        const int slot = s.mcastActive[i];
        McastRecord& rec = s.mcasts[slot];
        rec.lifeMs = ageLife(rec.lifeMs, elapsedMs);
        if (rec.lifeMs > 0) {
            s.mcastActive[kept++] = static_cast<int16_t>(slot);
            continue;
        }
        notifyMcast("delMcast", rec);
        s.mcastLive[slot] = 0;
    }
    s.mcastCount = kept;
}

} // namespace dvm

using namespace dvm;

int userCallLib_handleUdp_sap(const char* data, int length, uint32_t srcIp, uint16_t srcPort)
{
    (void)srcIp;
    (void)srcPort;
    McastRecord parsed;
    if (!parseSapAnnounce(data, length, &parsed))
        return 0;
    DvmState& s = state();
    parsed.lifeMs = s.announceLifeMs.load();
    int slot = -1;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        for (int i = 0; i < s.mcastCount; ++i) {
            McastRecord& rec = s.mcasts[s.mcastActive[i]];
            if (rec.stream.dstIp == parsed.stream.dstIp) {
                rec = parsed; // a changed name or format is stored silently
                return 1;
            }
        }
        for (slot = 0; slot < DVM_MAX_MCASTS && s.mcastLive[slot]; ++slot) {
        }
        if (slot == DVM_MAX_MCASTS)
            return 0; // table full
        s.mcasts[slot] = parsed;
        s.mcastLive[slot] = 1;
        s.mcastActive[s.mcastCount++] = static_cast<int16_t>(slot);
    }
    notifyMcast("addMcast", s.mcasts[slot]);
    return 1;
}

McastRecord* findMcastByDstIp(uint32_t dstIp)
{
    DvmState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    for (int i = 0; i < s.mcastCount; ++i) {
        McastRecord* rec = &s.mcasts[s.mcastActive[i]];
        if (rec->stream.dstIp == dstIp)
            return rec;
    }
    return nullptr;
}

std::vector<McastRecord*> getAllMcasts()
{
    DvmState& s = state();
    std::vector<McastRecord*> out;
    out.reserve(DVM_MAX_MCASTS);
    std::lock_guard<std::mutex> guard(s.lock);
    for (int i = 0; i < s.mcastCount; ++i)
        out.push_back(&s.mcasts[s.mcastActive[i]]);
    return out;
}

int dvm_copyMcast(const McastRecord* rec, McastRecord* out)
{
    if (!rec || !out)
        return 0;
    DvmState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    std::memcpy(out, rec, sizeof *out);
    return 1;
}
