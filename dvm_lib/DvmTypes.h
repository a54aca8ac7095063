#pragma once
// Records of the device registry. Plain structs in fixed, preallocated tables.
//
// The channel and route tables are stored so that all-zero bytes are their empty state
// (ids are kept biased by one). The registry preallocates the tables of all 1024 devices
// once; pages that no device ever fills are then never touched and cost no memory.
// Read and write channel ids through the accessors, never through the biased fields.

#include "TablePacer.h"

#include <cstdint>

enum
{
    DVM_MAX_DEVS = 1024,   ///< device records
    DVM_MAX_MCASTS = 1024, ///< multicast stream records
    DVM_TABLE_SIZE = 4096, ///< entries of each per-device table; ids 0..4095
    DVM_STREAM_CH = 8,     ///< channels of one stream
    DVM_NAME_LEN = 64,
    DVM_CLKID_LEN = 32,
    DVM_MCAST_CLKID_LEN = 24,
    DVM_SDP_LEN = 1472,
    DVM_LIFE_MS = 120000 ///< life given by each announcement
};

/// The eight fetched tables of a device, in the order of the synchronisation requests.
enum DvmTable
{
    DVM_T_RXCH = 0,         ///< receive-channel map ("getAllRxCh")
    DVM_T_RTPCH = 1,        ///< RTP-channel table ("getAllRtpCh")
    DVM_T_UCAST_RX = 2,     ///< unicast receive streams ("getAllUcastRx")
    DVM_T_UCAST_TX = 3,     ///< unicast transmit streams ("getAllUcastTx")
    DVM_T_MCAST_RX = 4,     ///< multicast receive streams ("getAllMcastRx")
    DVM_T_MCAST_TX = 5,     ///< multicast transmit streams ("getAllMcastTx")
    DVM_T_ACTIVE_UCAST = 6, ///< active flags of unicast receive streams ("getAllActiveUcastId")
    DVM_T_ACTIVE_MCAST = 7, ///< active flags of multicast receive streams ("getAllActiveMcastId")
    DVM_T_COUNT = 8
};

namespace dvm {
/// Biased storage: 0 is the empty value -1. Unsigned arithmetic so that any int32 round-trips.
inline uint32_t biasId(int32_t id)
{
    return static_cast<uint32_t>(id) + 1u;
}
inline int32_t unbiasId(uint32_t stored)
{
    return static_cast<int32_t>(stored - 1u);
}
} // namespace dvm

/// One stream: 16 bytes, also the head of a multicast stream record.
struct StreamDesc
{
    uint32_t srcIp; ///< host order
    uint32_t dstIp; ///< host order; unicast receiver or multicast group
    uint16_t dstPort;
    uint8_t chNum;
    uint8_t sampleByteNum;
    uint32_t rtpTsOffset;
};
static_assert(sizeof(StreamDesc) == 16, "StreamDesc is 16 bytes");

struct RtpChEntry
{
    char srcDevId[DVM_NAME_LEN]; ///< devId of the sender of this RTP channel
    uint32_t srcChIdBiased;

    int32_t srcChId() const { return dvm::unbiasId(srcChIdBiased); } ///< -1 when none
    void setSrcChId(int32_t id) { srcChIdBiased = dvm::biasId(id); }
};

struct RxStreamEntry
{
    StreamDesc stream;
    uint32_t rtpChIdBiased[DVM_STREAM_CH];
    uint8_t active; ///< 0 or 1

    int32_t rtpChId(int i) const { return dvm::unbiasId(rtpChIdBiased[i]); } ///< -1 when none
    void setRtpChId(int i, int32_t id) { rtpChIdBiased[i] = dvm::biasId(id); }
};

struct TxStreamEntry
{
    StreamDesc stream;
    uint32_t srcChIdBiased[DVM_STREAM_CH];
    char name[DVM_NAME_LEN]; ///< UTF-8, NUL-terminated

    int32_t srcChId(int i) const { return dvm::unbiasId(srcChIdBiased[i]); } ///< -1 when none
    void setSrcChId(int i, int32_t id) { srcChIdBiased[i] = dvm::biasId(id); }
};

/// The announcement fields of a device. Text fields are NUL-terminated UTF-8, cut to size - 1.
struct DevHeader
{
    char devId[DVM_NAME_LEN];
    char name[DVM_NAME_LEN];
    uint32_t ip; ///< host order
    int32_t port;
    int32_t chNumRx;
    int32_t chNumTx;
    int32_t ucastNumRx;
    int32_t ucastNumTx;
    int32_t mcastNumRx;
    int32_t mcastNumTx;
    int32_t sampleRate;
    int32_t sampleByteNum;
    int32_t pFrameNum;
    int32_t dscp;
    int32_t delayUs;
    char myClkId[DVM_CLKID_LEN];
    char gmClkId[DVM_CLKID_LEN];
    char model[DVM_NAME_LEN];
    int32_t phyChNumRx;
    int32_t phyChNumTx;
    int32_t canWork;
    int32_t lifeMs; ///< remaining life; DVM_LIFE_MS at each announcement
};

/// The channel and route tables of one device, fetched page by page.
struct DevTables
{
    uint32_t rxChMapBiased[DVM_TABLE_SIZE]; ///< receive channel id -> feeding RTP channel id (biased)
    RtpChEntry rtpCh[DVM_TABLE_SIZE];
    RxStreamEntry ucastRx[DVM_TABLE_SIZE];
    TxStreamEntry ucastTx[DVM_TABLE_SIZE];
    RxStreamEntry mcastRx[DVM_TABLE_SIZE];
    TxStreamEntry mcastTx[DVM_TABLE_SIZE];
    int32_t fetched[DVM_T_COUNT]; ///< next id to fetch, per DvmTable
    /// One past the highest id ever written per table (first six tables): re-initialising a
    /// slot clears only this much, so untouched pages stay untouched.
    int32_t highWater[DVM_T_COUNT];
    /// Nonzero after the device announced a route change: its refetch ends with "updateRoute" even when an
    /// active-flag reply completes it.
    int32_t routesChanged;
    TablePace pace[DVM_T_COUNT]; ///< outstanding request and repeat delay, per DvmTable

    int32_t rxChMap(int id) const { return dvm::unbiasId(rxChMapBiased[id]); } ///< -1 when none
    void setRxChMap(int id, int32_t rtpChId) { rxChMapBiased[id] = dvm::biasId(rtpChId); }
};

/// One device: announcement, tables, clock state.
struct DevRecord
{
    DevHeader hdr;
    DevTables tables;
    int32_t ptpState; ///< "state" of the last "masterOffset" event; 2 is locked
    int32_t ppm;      ///< "ppm" of the last "adjustFreq" event
};

/// One multicast stream learnt from SAP; keyed by stream.dstIp.
struct McastRecord
{
    StreamDesc stream;
    char name[DVM_NAME_LEN];              ///< the "s=" line, cut to 63 bytes
    int32_t sampleRate;                   ///< Hz
    int32_t frames;                       ///< samples per packet
    char ptpClockId[DVM_MCAST_CLKID_LEN]; ///< 23 characters of the grandmaster identity
    char sdp[DVM_SDP_LEN];                ///< SDP text of the last announcement, cut to 1471 bytes
    int32_t lifeMs;
};
