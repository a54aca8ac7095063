#pragma once
// Shared state of the registry's translation units. Private to dvm_lib.

#include "DevIndex.h"
#include "DevManager.h"
#include "FlatJson.h"
#include "TablePacer.h"

#include <QJsonObject>
#include <atomic>
#include <mutex>

namespace dvm {

struct DvmState
{
    DvmState();

    /// Guards both active lists, header copies and multicast record copies. Non-recursive.
    std::mutex lock;
    DevRecord* devs = nullptr;     ///< DVM_MAX_DEVS records, allocated once, never freed
    McastRecord* mcasts = nullptr; ///< DVM_MAX_MCASTS records, allocated once, never freed

    int16_t devActive[DVM_MAX_DEVS] = {}; ///< slots of live devices in arrival order
    int devCount = 0;
    uint8_t devLive[DVM_MAX_DEVS] = {}; ///< 1 while the slot is in devActive
    int devFreeHint = 0;                ///< every slot below it is live: the free-slot search starts here
    int16_t mcastActive[DVM_MAX_MCASTS] = {};
    int mcastCount = 0;
    uint8_t mcastLive[DVM_MAX_MCASTS] = {};

    DevIndex devIndex; ///< network thread only
    std::atomic<int> announceLifeMs{DVM_LIFE_MS};
    int16_t syncSnapshot[DVM_MAX_DEVS] = {}; ///< network thread only; reused by every step
    TablePacer pacer;                        ///< network thread only: time, repeat rule and global budget
    int syncCursor = 0; ///< network thread only: the list position a step starts at, so a spent budget is shared fairly
};

/// The one registry, created with its tables on first use.
DvmState& state();

/// {"ops": op, "name", "devId", "ip" dotted} to libCallUser_notify.
void notifyDev(const char* op, const DevRecord& rec);
/// {"ops": op, "name", "sdp": streamToJson(stream)} to libCallUser_notify.
void notifyMcast(const char* op, const McastRecord& rec);

/// Ageing of the streams; the caller holds the lock.
void ageMcastsLocked(DvmState& s, int elapsedMs);
/// One synchronisation step over the live devices, elapsedMs after the previous one; the caller must not hold the lock.
void syncStep(DvmState& s, int elapsedMs);
/// Pacing back to time 0 with a full budget and the default limits (network thread or tests).
void resetPacing(DvmState& s);
/// Empty tables for a slot about to take a new device (clears only what was ever written).
void initDevTables(DevRecord* rec);
/// "updateRoute" (rx tables) or "updateActive" (unicast active flags) from a device.
int invalidateTables(uint32_t srcIp, bool activeOnly);
/// Members read from a device multicast datagram, indices into its JsonSlice array.
enum McastMember
{
    M_OPS,
    M_EVENT,
    M_STATE,
    M_PPM,
    M_DEVID,
    M_NAME,
    M_IP,
    M_PORT,
    M_CHNUMRX,
    M_CHNUMTX,
    M_UCASTNUMRX,
    M_UCASTNUMTX,
    M_MCASTNUMRX,
    M_MCASTNUMTX,
    M_SAMPLERATE,
    M_SAMPLEBYTENUM,
    M_PFRAMENUM,
    M_DSCP,
    M_DELAYUS,
    M_MYCLKID,
    M_GMCLKID,
    M_MODEL,
    M_PHYCHNUMRX,
    M_PHYCHNUMTX,
    M_CANWORK,
    M_COUNT
};
/// Stores a clock event of the device at srcIp. 1 stored, else 0.
int handleClockEvent(const JsonSlice members[M_COUNT], uint32_t srcIp);

/// Remaining life after elapsedMs, without overflow.
inline int32_t ageLife(int32_t lifeMs, int elapsedMs)
{
    const int64_t left = static_cast<int64_t>(lifeMs) - elapsedMs;
    return left < INT32_MIN ? INT32_MIN : (left > INT32_MAX ? INT32_MAX : static_cast<int32_t>(left));
}

} // namespace dvm
