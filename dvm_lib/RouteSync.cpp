// Channel and route tables: the paged synchronisation requests and the storing of their replies.

#include "DvmJson.h"
#include "DvmLog.h"
#include "DvmState.h"
#include "UntrustedJson.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <cstdio>
#include <cstring>

using namespace dvm;

namespace {

const char* const kTableOps[DVM_T_COUNT] = {"getAllRxCh",          "getAllRtpCh",        "getAllUcastRx",
                                            "getAllUcastTx",       "getAllMcastRx",      "getAllMcastTx",
                                            "getAllActiveUcastId", "getAllActiveMcastId"};

int tableOfOps(const QString& ops)
{
    for (int t = 0; t < DVM_T_COUNT; ++t) {
        if (ops == QLatin1String(kTableOps[t]))
            return t;
    }
    return -1;
}

/// Entry id of a reply, or -1 when it is not a number inside the table.
int readId(const QJsonValue& value)
{
    int64_t id = 0;
    if (!readInt64(value, &id) || id < 0 || id >= DVM_TABLE_SIZE)
        return -1;
    return static_cast<int>(id);
}

inline void raiseHighWater(DevTables& t, int table, int id)
{
    if (t.highWater[table] <= id)
        t.highWater[table] = id + 1;
}

/// Returns entries [lo, hi) of a storage table to their empty state. Entries at or above the high
/// water mark were never written and are already empty, so their pages stay untouched.
void clearEntries(DevTables& t, int table, int lo, int hi)
{
    if (hi > t.highWater[table])
        hi = t.highWater[table];
    if (lo >= hi)
        return;
    const size_t n = static_cast<size_t>(hi - lo);
    switch (table) {
    case DVM_T_RXCH:
        std::memset(&t.rxChMapBiased[lo], 0, n * sizeof t.rxChMapBiased[0]);
        break;
    case DVM_T_RTPCH:
        std::memset(&t.rtpCh[lo], 0, n * sizeof t.rtpCh[0]);
        break;
    case DVM_T_UCAST_RX:
        std::memset(&t.ucastRx[lo], 0, n * sizeof t.ucastRx[0]);
        break;
    case DVM_T_UCAST_TX:
        std::memset(&t.ucastTx[lo], 0, n * sizeof t.ucastTx[0]);
        break;
    case DVM_T_MCAST_RX:
        std::memset(&t.mcastRx[lo], 0, n * sizeof t.mcastRx[0]);
        break;
    case DVM_T_MCAST_TX:
        std::memset(&t.mcastTx[lo], 0, n * sizeof t.mcastTx[0]);
        break;
    default:
        break;
    }
}

void clearActive(DevTables& t, RxStreamEntry* rx, int rxTable, int lo, int hi)
{
    if (hi > t.highWater[rxTable])
        hi = t.highWater[rxTable];
    for (int id = lo; id < hi; ++id)
        rx[id].active = 0;
}

bool readActiveFlag(const QJsonValue& value)
{
    if (value.isString()) {
        const QString text = value.toString();
        return !text.isEmpty() && text != QLatin1String("0");
    }
    if (value.isBool())
        return value.toBool();
    if (value.isDouble())
        return value.toDouble() != 0.0;
    return false;
}

void storeRxStream(DevTables& t, RxStreamEntry* rx, int table, const QJsonObject& el)
{
    const int id = readId(el.value(QLatin1String("id")));
    if (id < 0)
        return;
    RxStreamEntry& e = rx[id];
    std::memset(&e, 0, sizeof e);
    parseStreamJson(el.value(QLatin1String("sdp")).toObject(), &e.stream);
    const QJsonArray chans = el.value(QLatin1String("rtpChIdArr")).toArray();
    const int n = chans.size() < DVM_STREAM_CH ? chans.size() : DVM_STREAM_CH;
    for (int i = 0; i < n; ++i)
        e.setRtpChId(i, readInt32(chans.at(i)));
    e.active = readActiveFlag(el.value(QLatin1String("active"))) ? 1 : 0;
    raiseHighWater(t, table, id);
}

void storeTxStream(DevTables& t, TxStreamEntry* tx, int table, const QJsonObject& el)
{
    const int id = readId(el.value(QLatin1String("id")));
    if (id < 0)
        return;
    TxStreamEntry& e = tx[id];
    std::memset(&e, 0, sizeof e);
    parseStreamJson(el.value(QLatin1String("sdp")).toObject(), &e.stream);
    const QJsonArray chans = el.value(QLatin1String("srcChIdArr")).toArray();
    const int n = chans.size() < DVM_STREAM_CH ? chans.size() : DVM_STREAM_CH;
    for (int i = 0; i < n; ++i)
        e.setSrcChId(i, readInt32(chans.at(i)));
    readText(el.value(QLatin1String("name")), e.name, DVM_NAME_LEN);
    raiseHighWater(t, table, id);
}

void storeElement(DevTables& t, int table, const QJsonValue& value)
{
    if (table == DVM_T_ACTIVE_UCAST || table == DVM_T_ACTIVE_MCAST) {
        const int id = readId(value);
        if (id < 0)
            return;
        const int rxTable = table == DVM_T_ACTIVE_UCAST ? DVM_T_UCAST_RX : DVM_T_MCAST_RX;
        (table == DVM_T_ACTIVE_UCAST ? t.ucastRx : t.mcastRx)[id].active = 1;
        raiseHighWater(t, rxTable, id);
        return;
    }
    if (!value.isObject())
        return;
    const QJsonObject el = value.toObject();
    switch (table) {
    case DVM_T_RXCH: {
        const int id = readId(el.value(QLatin1String("id")));
        if (id < 0)
            return;
        t.setRxChMap(id, readInt32(el.value(QLatin1String("rtpChId"))));
        raiseHighWater(t, table, id);
        break;
    }
    case DVM_T_RTPCH: {
        const int id = readId(el.value(QLatin1String("id")));
        if (id < 0)
            return;
        RtpChEntry& e = t.rtpCh[id];
        std::memset(&e, 0, sizeof e);
        readText(el.value(QLatin1String("srcDevId")), e.srcDevId, DVM_NAME_LEN);
        e.setSrcChId(readInt32(el.value(QLatin1String("srcChId"))));
        raiseHighWater(t, table, id);
        break;
    }
    case DVM_T_UCAST_RX:
        storeRxStream(t, t.ucastRx, table, el);
        break;
    case DVM_T_MCAST_RX:
        storeRxStream(t, t.mcastRx, table, el);
        break;
    case DVM_T_UCAST_TX:
        storeTxStream(t, t.ucastTx, table, el);
        break;
    case DVM_T_MCAST_TX:
        storeTxStream(t, t.mcastTx, table, el);
        break;
    default:
        break;
    }
}

} // namespace

namespace dvm {

void initDevTables(DevRecord* rec)
{
    DevTables& t = rec->tables;
    for (int table = DVM_T_RXCH; table <= DVM_T_MCAST_TX; ++table)
        clearEntries(t, table, 0, DVM_TABLE_SIZE);
    std::memset(t.fetched, 0, sizeof t.fetched);
    std::memset(t.highWater, 0, sizeof t.highWater);
    std::memset(t.pace, 0, sizeof t.pace);
}

int invalidateTables(uint32_t srcIp, bool activeOnly)
{
    DevRecord* rec = findDevByIp(srcIp);
    if (!rec)
        return 0;
    int32_t* fetched = rec->tables.fetched;
    if (activeOnly) {
        fetched[DVM_T_ACTIVE_UCAST] = 0;
    } else {
        fetched[DVM_T_RXCH] = 0;
        // A new route also takes a new RTP channel: without it the new route would show no source.
        fetched[DVM_T_RTPCH] = 0;
        fetched[DVM_T_UCAST_RX] = 0;
        fetched[DVM_T_MCAST_RX] = 0;
        rec->tables.routesChanged = 1;
    }
    return 1;
}

void resetPacing(DvmState& s)
{
    s.pacer.reset();
    s.syncCursor = 0;
}

void syncStep(DvmState& s, int elapsedMs)
{
    int count;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        count = s.devCount;
        std::memcpy(s.syncSnapshot, s.devActive, static_cast<size_t>(count) * sizeof s.devActive[0]);
    }
    TablePacer& pacer = s.pacer;
    pacer.advance(elapsedMs);
    if (count == 0)
        return;
    // Headers and counts are written by this thread only, so they are read here without the lock.
    char request[64];
    const int first = s.syncCursor < count ? s.syncCursor : 0;
    for (int k = 0; k < count; ++k) {
        const int i = (first + k) % count;
        DevRecord& rec = s.devs[s.syncSnapshot[i]];
        if (rec.hdr.port <= 0 || rec.hdr.port > 65535)
            continue; // no port to ask on
        for (int t = 0; t < DVM_T_COUNT; ++t) {
            const int fetched = rec.tables.fetched[t];
            TablePace& pace = rec.tables.pace[t];
            if (!pacer.due(pace, fetched, fetched < dvm_expectedCount(&rec, static_cast<DvmTable>(t))))
                continue;
            if (!pacer.take()) {
                s.syncCursor = i; // the budget is spent: this device goes first at the next step
                return;
            }
            // Same bytes as the compact QJsonDocument form of {"idStart": text, "ops": name}.
            const int n =
                std::snprintf(request, sizeof request, "{\"idStart\":\"%d\",\"ops\":\"%s\"}", fetched, kTableOps[t]);
            libCallUser_sendUdp(request, n, rec.hdr.ip, static_cast<uint16_t>(rec.hdr.port));
            pacer.asked(pace, fetched);
        }
    }
    s.syncCursor = 0;
}

} // namespace dvm

int dvm_clampCount(int32_t count)
{
    return count < 0 ? 0 : (count > DVM_TABLE_SIZE ? DVM_TABLE_SIZE : count);
}

int dvm_expectedCount(const DevRecord* rec, DvmTable table)
{
    const DevHeader& h = rec->hdr;
    switch (table) {
    case DVM_T_RXCH:
    case DVM_T_RTPCH:
        return dvm_clampCount(h.chNumRx);
    case DVM_T_UCAST_RX:
    case DVM_T_ACTIVE_UCAST:
        return dvm_clampCount(h.ucastNumRx);
    case DVM_T_UCAST_TX:
        return dvm_clampCount(h.ucastNumTx);
    case DVM_T_MCAST_RX:
    case DVM_T_ACTIVE_MCAST:
        return dvm_clampCount(h.mcastNumRx);
    case DVM_T_MCAST_TX:
        return dvm_clampCount(h.mcastNumTx);
    default:
        return 0;
    }
}

bool dvm_tablesComplete(const DevRecord* rec)
{
    for (int t = 0; t < DVM_T_COUNT; ++t) {
        if (rec->tables.fetched[t] != dvm_expectedCount(rec, static_cast<DvmTable>(t)))
            return false;
    }
    return true;
}

const char* dvm_tableOps(DvmTable table)
{
    return (table >= 0 && table < DVM_T_COUNT) ? kTableOps[table] : "";
}

int userCallLib_handleUdp_ucast(const char* data, int length, uint32_t srcIp, uint16_t srcPort)
{
    (void)srcPort;
    if (!data || length <= 0)
        return 0;
    DevRecord* rec = findDevByIp(srcIp);
    if (!rec)
        return 0;
    QJsonDocument doc;
    const dvm::JsonVerdict verdict = dvm::parseUntrustedJson(QByteArray::fromRawData(data, length), &doc);
    if (verdict == dvm::JsonVerdict::Refused) {
        DVM_LOG();
        return 1; // the command layer would refuse it too; nothing to forward
    }
    if (verdict != dvm::JsonVerdict::Parsed || !doc.isObject())
        DVM_LOG(); // goes on as an object without members
    const QJsonObject obj = doc.object();
    const int table = tableOfOps(obj.value(QLatin1String("ops")).toString());
    if (table < 0)
        return 0; // left to the command layer

    int64_t idStart = 0;
    int64_t idNext = 0;
    readInt64(obj.value(QLatin1String("idStart")), &idStart);
    readInt64(obj.value(QLatin1String("idNext")), &idNext);
    // Untrusted page bounds: clear only inside the table, and keep the fetched count within
    // 0..4096 so that requests stop at the (clamped) announced count.
    const int lo = static_cast<int>(clamp64(idStart, 0, DVM_TABLE_SIZE));
    const int hi = static_cast<int>(clamp64(idNext, 0, DVM_TABLE_SIZE));

    DevTables& t = rec->tables;
    const bool wasComplete = dvm_tablesComplete(rec);
    if (table == DVM_T_ACTIVE_UCAST)
        clearActive(t, t.ucastRx, DVM_T_UCAST_RX, lo, hi);
    else if (table == DVM_T_ACTIVE_MCAST)
        clearActive(t, t.mcastRx, DVM_T_MCAST_RX, lo, hi);
    else
        clearEntries(t, table, lo, hi);

    const QJsonArray arr = obj.value(QLatin1String("arr")).toArray();
    for (const QJsonValue& el : arr)
        storeElement(t, table, el);
    t.fetched[table] = hi;

    // Only the reply that completes the tables notifies: repeated last pages stay silent. A route change whose
    // refetch is completed by an active-flag reply is still a route change, or route views would miss it.
    if (!wasComplete && dvm_tablesComplete(rec)) {
        notifyDev(table < DVM_T_ACTIVE_UCAST || t.routesChanged ? "updateRoute" : "updateActive", *rec);
        t.routesChanged = 0;
    }
    return 1;
}

int parseStreamJson(const QJsonObject& sdp, StreamDesc* out)
{
    std::memset(out, 0, sizeof *out);
    const QJsonValue src = sdp.value(QLatin1String("srcIp"));
    const QJsonValue dst = sdp.value(QLatin1String("dstIp"));
    out->srcIp = src.isString() ? dvm_parseIp(src.toString()) : 0;
    out->dstIp = dst.isString() ? dvm_parseIp(dst.toString()) : 0;
    int64_t v = 0;
    readInt64(sdp.value(QLatin1String("dstPort")), &v);
    out->dstPort = static_cast<uint16_t>(clamp64(v, 0, UINT16_MAX));
    readInt64(sdp.value(QLatin1String("chNum")), &v);
    out->chNum = static_cast<uint8_t>(clamp64(v, 0, UINT8_MAX));
    readInt64(sdp.value(QLatin1String("sampleByteNum")), &v);
    out->sampleByteNum = static_cast<uint8_t>(clamp64(v, 0, UINT8_MAX));
    readInt64(sdp.value(QLatin1String("rtpTsOffset")), &v);
    out->rtpTsOffset = static_cast<uint32_t>(clamp64(v, 0, UINT32_MAX));
    return 1;
}

QJsonObject streamToJson(const StreamDesc& stream)
{
    QJsonObject sdp;
    sdp.insert(QLatin1String("srcIp"), dvm_ipToString(stream.srcIp));
    sdp.insert(QLatin1String("dstIp"), dvm_ipToString(stream.dstIp));
    sdp.insert(QLatin1String("dstPort"), QString::number(stream.dstPort));
    sdp.insert(QLatin1String("chNum"), QString::number(stream.chNum));
    sdp.insert(QLatin1String("sampleByteNum"), QString::number(stream.sampleByteNum));
    sdp.insert(QLatin1String("rtpTsOffset"), QString::number(stream.rtpTsOffset));
    return sdp;
}

void dvm_setTablePacing(int ratePerSecond, int burst)
{
    DvmState& s = state();
    s.pacer.reset(ratePerSecond, burst);
    s.syncCursor = 0;
}

int dvm_refetchTransmitTables(uint32_t ip)
{
    DevRecord* rec = findDevByIp(ip);
    if (!rec)
        return 0;
    rec->tables.fetched[DVM_T_UCAST_TX] = 0;
    rec->tables.fetched[DVM_T_MCAST_TX] = 0;
    rec->tables.routesChanged = 1;
    return 1;
}
