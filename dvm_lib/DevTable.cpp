// Device table: announcements, ageing, look-ups and the multicast-socket entry point.

#include "DvmLog.h"
#include "DvmState.h"

#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace dvm {

namespace {

void* zeroPages(size_t bytes)
{
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

} // namespace

DvmState::DvmState()
{
    // Fresh anonymous pages: untouched tables cost no memory, and all-zero bytes are the empty state of
    // every table. Mapped rather than allocated, because the records hold no pointers and a leak checker
    // scanning 1.7 GB of heap at every exit made each sanitized test process take seconds.
    devs = static_cast<DevRecord*>(zeroPages(DVM_MAX_DEVS * sizeof(DevRecord)));
    mcasts = static_cast<McastRecord*>(zeroPages(DVM_MAX_MCASTS * sizeof(McastRecord)));
    if (!devs || !mcasts) {
        DVM_LOG();
        std::abort(); // the registry cannot work without its tables
    }
    devIndex.clear();
}

DvmState& state()
{
    static DvmState* s = new DvmState(); // never destroyed: records outlive every reader
    return *s;
}

void notifyDev(const char* op, const DevRecord& rec)
{
    QJsonObject msg;
    msg.insert(QLatin1String("ops"), QLatin1String(op));
    msg.insert(QLatin1String("name"), QString::fromUtf8(rec.hdr.name));
    msg.insert(QLatin1String("devId"), QString::fromUtf8(rec.hdr.devId));
    msg.insert(QLatin1String("ip"), dvm_ipToString(rec.hdr.ip));
    libCallUser_notify(msg);
}

} // namespace dvm

using namespace dvm;

namespace {

/// Set means: one of the first 23 characters is neither '0' nor '-'.
bool clockIdSet(const char* id)
{
    for (int i = 0; i < 23 && id[i]; ++i) {
        if (id[i] != '0' && id[i] != '-')
            return true;
    }
    return false;
}

const char* const kMcastMembers[M_COUNT] = {"ops",           "event",      "state",      "ppm",        "devId",
                                            "name",          "ip",         "port",       "chNumRx",    "chNumTx",
                                            "ucastNumRx",    "ucastNumTx", "mcastNumRx", "mcastNumTx", "sampleRate",
                                            "sampleByteNum", "pFrameNum",  "dscp",       "delayUs",    "myClkId",
                                            "gmClkId",       "model",      "phyChNumRx", "phyChNumTx", "canWork"};

void readHeader(const JsonSlice m[M_COUNT], DevHeader* h)
{
    FlatJson::readText(m[M_DEVID], h->devId, DVM_NAME_LEN);
    FlatJson::readText(m[M_NAME], h->name, DVM_NAME_LEN);
    h->ip = FlatJson::readIp(m[M_IP]);
    h->port = FlatJson::readInt32(m[M_PORT]);
    h->chNumRx = FlatJson::readInt32(m[M_CHNUMRX]);
    h->chNumTx = FlatJson::readInt32(m[M_CHNUMTX]);
    h->ucastNumRx = FlatJson::readInt32(m[M_UCASTNUMRX]);
    h->ucastNumTx = FlatJson::readInt32(m[M_UCASTNUMTX]);
    h->mcastNumRx = FlatJson::readInt32(m[M_MCASTNUMRX]);
    h->mcastNumTx = FlatJson::readInt32(m[M_MCASTNUMTX]);
    h->sampleRate = FlatJson::readInt32(m[M_SAMPLERATE]);
    h->sampleByteNum = FlatJson::readInt32(m[M_SAMPLEBYTENUM]);
    h->pFrameNum = FlatJson::readInt32(m[M_PFRAMENUM]);
    h->dscp = FlatJson::readInt32(m[M_DSCP]);
    h->delayUs = FlatJson::readInt32(m[M_DELAYUS]);
    FlatJson::readText(m[M_MYCLKID], h->myClkId, DVM_CLKID_LEN);
    FlatJson::readText(m[M_GMCLKID], h->gmClkId, DVM_CLKID_LEN);
    FlatJson::readText(m[M_MODEL], h->model, DVM_NAME_LEN);
    h->phyChNumRx = FlatJson::readInt32(m[M_PHYCHNUMRX]);
    h->phyChNumTx = FlatJson::readInt32(m[M_PHYCHNUMTX]);
    h->canWork = FlatJson::readInt32(m[M_CANWORK]);
}

/// A live device other than `exceptSlot` that holds `ip`; the caller holds the lock.
bool addressHeldLocked(const DvmState& s, uint32_t ip, int exceptSlot)
{
    for (int i = 0; i < s.devCount; ++i) {
        const int slot = s.devActive[i];
        if (slot != exceptSlot && s.devs[slot].hdr.ip == ip && s.devs[slot].hdr.lifeMs > 0)
            return true;
    }
    return false;
}

/// Refused takeovers are logged on the 1st, 2nd, 4th, 8th... time: a peer repeating one every
/// datagram must not flood standard output.
void logTakeover()
{
    static uint64_t count = 0; // network thread only
    ++count;
    if ((count & (count - 1)) == 0)
        DVM_LOG();
}

// One address, one device; one identifier, one address. The first owner keeps both until it
// stops announcing and ages out: an announcement that claims a live device's identifier from
// another address, or a live device's address under another identifier, is dropped. A device
// that really moved is listed at its new address once its old record has aged out (or at once
// after the controller's own "setIp" or "reboot" dropped the old record).
int handleAnnouncement(const JsonSlice m[M_COUNT])
{
    DevHeader h;
    std::memset(&h, 0, sizeof h);
    readHeader(m, &h);
    if (h.ip == 0)
        return 0;
    DvmState& s = state();
    h.lifeMs = s.announceLifeMs.load();

    int slot = s.devIndex.find(h.devId, s.devs);
    if (slot >= 0) {
        DevRecord& rec = s.devs[slot];
        bool notify;
        {
            std::lock_guard<std::mutex> guard(s.lock);
            if (rec.hdr.ip != h.ip && (rec.hdr.lifeMs > 0 || addressHeldLocked(s, h.ip, slot))) {
                logTakeover();
                return 0;
            }
            const bool canWorkChanged = rec.hdr.canWork != h.canWork;
            const bool clockChanged = clockIdSet(rec.hdr.myClkId) != clockIdSet(h.myClkId);
            notify = canWorkChanged || clockChanged;
            rec.hdr = h;
        }
        if (notify)
            notifyDev("updateDev", rec);
        return 1;
    }

    // Only this thread frees or takes slots, so the free slot can be prepared outside the lock.
    for (slot = s.devFreeHint; slot < DVM_MAX_DEVS && s.devLive[slot]; ++slot) {
    }
    s.devFreeHint = slot;
    if (slot == DVM_MAX_DEVS)
        return 0; // table full: dropped until a slot frees
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (addressHeldLocked(s, h.ip, -1)) {
            logTakeover();
            return 0;
        }
    }
    DevRecord& rec = s.devs[slot];
    initDevTables(&rec);
    rec.ptpState = 0;
    rec.ppm = 0;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        rec.hdr = h;
        s.devLive[slot] = 1;
        s.devActive[s.devCount++] = static_cast<int16_t>(slot);
        s.devIndex.insert(slot, s.devs);
    }
    notifyDev("addDev", rec);
    return 1;
}

} // namespace

int userCallLib_handleUdp_mcast(const char* data, int length, uint32_t srcIp, uint16_t srcPort)
{
    (void)srcPort;
    if (!data || length <= 0)
        return 0;
    JsonSlice m[M_COUNT];
    if (!FlatJson::parse(data, length, kMcastMembers, M_COUNT, m))
        DVM_LOG(); // goes on as an object without members
    if (FlatJson::equals(m[M_OPS], "iAmVeranto"))
        return handleAnnouncement(m);
    if (FlatJson::equals(m[M_OPS], "updateRoute"))
        return invalidateTables(srcIp, false);
    if (FlatJson::equals(m[M_OPS], "updateActive"))
        return invalidateTables(srcIp, true);
    return handleClockEvent(m, srcIp);
}

void userCallLib_timer(int elapsedMs)
{
    DvmState& s = state();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        int kept = 0;
        for (int i = 0; i < s.devCount; ++i) {
            const int slot = s.devActive[i];
            DevRecord& rec = s.devs[slot];
            rec.hdr.lifeMs = ageLife(rec.hdr.lifeMs, elapsedMs);
            if (rec.hdr.lifeMs > 0) {
                s.devActive[kept++] = static_cast<int16_t>(slot);
                continue;
            }
            notifyDev("delDev", rec); // under the lock: the hook only queues signals
            s.devLive[slot] = 0;
            if (slot < s.devFreeHint)
                s.devFreeHint = slot;
            s.devIndex.remove(slot);
        }
        s.devCount = kept;
        ageMcastsLocked(s, elapsedMs);
    }
    syncStep(s, elapsedMs);
}

void expireAll()
{
    DvmState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    for (int i = 0; i < s.devCount; ++i)
        s.devs[s.devActive[i]].hdr.lifeMs = 0;
    for (int i = 0; i < s.mcastCount; ++i)
        s.mcasts[s.mcastActive[i]].lifeMs = 0;
}

DevRecord* findDevByIp(uint32_t ip)
{
    DvmState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    for (int i = 0; i < s.devCount; ++i) {
        DevRecord* rec = &s.devs[s.devActive[i]];
        if (rec->hdr.ip == ip)
            return rec;
    }
    return nullptr;
}

DevRecord* findDevById(const char* devId)
{
    if (!devId)
        return nullptr;
    DvmState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    for (int i = 0; i < s.devCount; ++i) {
        DevRecord* rec = &s.devs[s.devActive[i]];
        if (std::strcmp(rec->hdr.devId, devId) == 0)
            return rec;
    }
    return nullptr;
}

std::vector<DevRecord*> getAllDevs()
{
    DvmState& s = state();
    std::vector<DevRecord*> out;
    out.reserve(DVM_MAX_DEVS);
    std::lock_guard<std::mutex> guard(s.lock);
    for (int i = 0; i < s.devCount; ++i)
        out.push_back(&s.devs[s.devActive[i]]);
    return out;
}

int dvm_copyDevHeader(const DevRecord* rec, DevHeader* out)
{
    if (!rec || !out)
        return 0;
    DvmState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    *out = rec->hdr;
    return 1;
}

void dvm_setMcastLife(McastRecord* rec, int lifeMs)
{
    if (!rec)
        return;
    DvmState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    rec->lifeMs = lifeMs;
}

void dvm_setDevLife(DevRecord* rec, int lifeMs)
{
    if (!rec)
        return;
    DvmState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    rec->hdr.lifeMs = lifeMs;
}

void dvm_setAnnounceLifeMs(int lifeMs)
{
    state().announceLifeMs.store(lifeMs > 0 ? lifeMs : DVM_LIFE_MS);
}

void dvm_resetForTest()
{
    DvmState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.devCount = 0;
    s.mcastCount = 0;
    std::memset(s.devLive, 0, sizeof s.devLive);
    s.devFreeHint = 0;
    std::memset(s.mcastLive, 0, sizeof s.mcastLive);
    s.devIndex.clear();
    s.announceLifeMs.store(DVM_LIFE_MS);
    resetPacing(s);
}
