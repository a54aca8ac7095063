// The readers of the registry's tables, on tables holding whatever a device (or a record rewritten meanwhile) can
// leave there: counts near INT_MIN and INT_MAX, channel and stream ids out of range, sources that name unknown or
// other devices, streams of absurd rates and sizes. Four devices are announced (a host with an expansion module,
// a listed device and one only the registry knows) with two multicast streams; the input is a list of 8-byte
// writes into their headers and tables, then every reader runs: the matrix's route source (axes and routes), the
// bandwidth figures, the active-stream list, the transmit-stream facts, the route facts, the stream capacity, the
// stream-table texts of the records' JSON, and the levels page on batch meter replies whose "idStart" and
// "idNext" come from the input. UBSan reports any signed overflow in the sums and products.
//
// A write: opcode, device (low 2 bits), index (16 bits big-endian: table id in the low 12 bits, stream channel
// above), value (32-bit big-endian, signed).

#include "ActiveStreamList.h"
#include "BandwidthFigures.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "LevelPaging.h"
#include "MatrixAxis.h"
#include "McastTxFacts.h"
#include "RegistryJson.h"
#include "RegistryRouteSource.h"
#include "RouteFacts.h"
#include "StreamCapacity.h"
#include "StreamTableText.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QString>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct Device
{
    const char* devId;
    uint32_t ip;
    bool listed;
};
const Device kDevices[] = {
    {"MRH1-0001", 0x0A4D000B, true},
    {"MREA-0001", 0x0A4D0015, false},
    {"MD0B0002", 0x0A4D000C, true},
    {"MD0C0003", 0x0A4D000D, false},
};
constexpr int kDeviceCount = 4;
const uint32_t kGroups[] = {0xEF010101, 0xEF010102};
constexpr int kMaxWrites = 512;
constexpr int64_t kMaxFigure = INT64_MAX / 1000;

[[noreturn]] void fail(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.toUtf8().constData());
    __builtin_trap();
}

void check(bool ok, const char* what, const QString& detail = QString())
{
    if (!ok)
        fail(what, detail);
}

void announce(const Device& d)
{
    const QByteArray a = QByteArray(R"({"ops":"iAmVeranto","devId":")") + d.devId + R"(","name":")" + d.devId +
                         R"(","ip":")" + dvm_ipToString(d.ip).toUtf8() +
                         R"(","port":"9990","chNumRx":"8","chNumTx":"8","phyChNumRx":"2","phyChNumTx":"2",)"
                         R"("ucastNumRx":"4","ucastNumTx":"4","mcastNumRx":"4","mcastNumTx":"4",)"
                         R"("sampleRate":"48000","sampleByteNum":"3","pFrameNum":"48","model":"MRD-A16"})";
    userCallLib_handleUdp_mcast(a.constData(), a.size(), d.ip, 9996);
}

void announceStream(uint32_t group, int n)
{
    const uint32_t from = kDevices[2].ip;
    QByteArray p("\x20\x00\x12\x34", 4);
    for (int shift = 24; shift >= 0; shift -= 8)
        p.append(char((from >> shift) & 0xFF));
    p.append("application/sdp", 16);
    p += QStringLiteral("v=0\r\no=- %1 1 IN IP4 %2\r\ns=Stream %1\r\nc=IN IP4 %3/32\r\nt=0 0\r\nm=audio 5004 RTP/AVP "
                        "96\r\na=rtpmap:96 L24/48000/8\r\na=ptime:1\r\n"
                        "a=ts-refclk:ptp=IEEE1588-2008:00-1D-C1-FF-FE-12-34-56:0\r\na=mediaclk:direct=0\r\n")
             .arg(n)
             .arg(dvm_ipToString(from), dvm_ipToString(group))
             .toUtf8();
    userCallLib_handleUdp_sap(p.constData(), p.size(), from, 9875);
}

int32_t value32(const uint8_t* p)
{
    return static_cast<int32_t>((uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]);
}

/// Entries written, so that the next input starts from clean tables (a reset clears only up to the high-water
/// marks the registry itself keeps).
struct Touched
{
    DevRecord* rec;
    int table; ///< 0 rxChMap, 1 rtpCh, 2 ucastRx, 3 ucastTx, 4 mcastRx, 5 mcastTx
    int id;
};
std::vector<Touched> g_touched;

void clearTouched()
{
    for (const Touched& t : g_touched) {
        DevTables& tb = t.rec->tables;
        switch (t.table) {
        case 0:
            tb.rxChMapBiased[t.id] = 0;
            break;
        case 1:
            std::memset(&tb.rtpCh[t.id], 0, sizeof tb.rtpCh[t.id]);
            break;
        case 2:
            std::memset(&tb.ucastRx[t.id], 0, sizeof tb.ucastRx[t.id]);
            break;
        case 3:
            std::memset(&tb.ucastTx[t.id], 0, sizeof tb.ucastTx[t.id]);
            break;
        case 4:
            std::memset(&tb.mcastRx[t.id], 0, sizeof tb.mcastRx[t.id]);
            break;
        default:
            std::memset(&tb.mcastTx[t.id], 0, sizeof tb.mcastTx[t.id]);
            break;
        }
    }
    g_touched.clear();
}

uint32_t chosenIp(int32_t v)
{
    return v & 4 ? static_cast<uint32_t>(v) : kDevices[v & 3].ip;
}

void write(DevRecord* rec, int op, int index, int32_t v)
{
    const int id = index & (DVM_TABLE_SIZE - 1);
    const int k = (index >> 12) & (DVM_STREAM_CH - 1);
    DevHeader& h = rec->hdr;
    DevTables& t = rec->tables;
    int32_t* const fields[] = {&h.chNumRx,    &h.chNumTx,    &h.ucastNumRx, &h.ucastNumTx,
                               &h.mcastNumRx, &h.mcastNumTx, &h.sampleRate, &h.sampleByteNum,
                               &h.pFrameNum,  &h.phyChNumRx, &h.phyChNumTx, &h.port};
    switch (op) {
    case 0:
        *fields[index % 12] = v;
        return;
    case 1:
        t.setRxChMap(id, v);
        g_touched.push_back({rec, 0, id});
        return;
    case 2:
        t.rtpCh[id].setSrcChId(v);
        g_touched.push_back({rec, 1, id});
        return;
    case 3: {
        // A source named as devices name themselves, padded, unknown or empty.
        QByteArray name = v & 8 ? "nosuchdev" : kDevices[v & 3].devId;
        if (v & 16)
            name = " " + name + " ";
        if (v & 32)
            name.clear();
        std::memset(t.rtpCh[id].srcDevId, 0, DVM_NAME_LEN);
        std::memcpy(t.rtpCh[id].srcDevId, name.constData(), static_cast<size_t>(name.size()));
        g_touched.push_back({rec, 1, id});
        return;
    }
    case 4:
        t.ucastRx[id].stream.srcIp = chosenIp(v);
        t.ucastRx[id].stream.chNum = static_cast<uint8_t>(v >> 8);
        t.ucastRx[id].stream.sampleByteNum = static_cast<uint8_t>(v >> 16);
        t.ucastRx[id].active = static_cast<uint8_t>((v >> 24) & 1);
        g_touched.push_back({rec, 2, id});
        return;
    case 5:
        t.ucastRx[id].setRtpChId(k, v);
        g_touched.push_back({rec, 2, id});
        return;
    case 6:
        t.mcastRx[id].stream.dstIp = v & 4 ? static_cast<uint32_t>(v) : kGroups[v & 1];
        t.mcastRx[id].stream.srcIp = chosenIp(v >> 3);
        t.mcastRx[id].stream.chNum = static_cast<uint8_t>(v >> 8);
        t.mcastRx[id].stream.sampleByteNum = static_cast<uint8_t>(v >> 16);
        t.mcastRx[id].active = static_cast<uint8_t>((v >> 24) & 1);
        g_touched.push_back({rec, 4, id});
        return;
    case 7:
        t.mcastRx[id].setRtpChId(k, v);
        g_touched.push_back({rec, 4, id});
        return;
    case 8:
        t.ucastTx[id].setSrcChId(k, v);
        t.ucastTx[id].stream.dstIp = chosenIp(v >> 8);
        g_touched.push_back({rec, 3, id});
        return;
    case 9:
        t.mcastTx[id].setSrcChId(k, v);
        t.mcastTx[id].stream.dstIp = v & 4 ? static_cast<uint32_t>(v) : kGroups[v & 1];
        t.mcastTx[id].stream.chNum = static_cast<uint8_t>(v >> 8);
        t.mcastTx[id].stream.sampleByteNum = static_cast<uint8_t>(v >> 16);
        std::snprintf(t.mcastTx[id].name, DVM_NAME_LEN, "tx%d", v);
        g_touched.push_back({rec, 5, id});
        return;
    case 10: {
        McastRecord* m = findMcastByDstIp(kGroups[index & 1]);
        if (!m)
            return;
        switch ((index >> 1) & 3) {
        case 0:
            m->sampleRate = v;
            break;
        case 1:
            m->frames = v;
            break;
        case 2:
            m->stream.chNum = static_cast<uint8_t>(v);
            break;
        default:
            m->stream.sampleByteNum = static_cast<uint8_t>(v);
            break;
        }
        return;
    }
    default:
        return;
    }
}

void checkAxesAndRoutes()
{
    RegistryRouteSource source;
    MatrixAxis rows, cols;
    source.buildAxes(&rows, &cols);
    check(rows.size() <= 2 * (DVM_STREAM_CH + 1) + kDeviceCount * (DVM_TABLE_SIZE + 1), "row axis bounded");
    check(cols.size() <= kDeviceCount * (DVM_TABLE_SIZE + 1), "column axis bounded");
    std::vector<RouteEntry> routes;
    QSet<QPair<QString, QString>> pairs;
    source.collectRoutes(&routes, &pairs);
    check(routes.size() <= size_t(kDeviceCount) * DVM_TABLE_SIZE, "routes bounded");
    for (const RouteEntry& r : routes) {
        const int header = cols.headerOf(r.recvId);
        check(header >= 0, "a route to a device without a column", r.recvId);
        check(r.recvChannel >= 1 && r.recvChannel <= cols.channelCount(header), "receive channel inside its group",
              r.recvId);
        check(r.sendChannel >= 0 && r.sendChannel <= DVM_TABLE_SIZE, "send channel a table can hold", r.sendId);
        check(pairs.contains(qMakePair(r.sendId, r.recvId)), "a route without its pair", r.sendId);
    }
}

void checkDevice(const Device& d, const uint8_t* extra)
{
    DevRecord* rec = findDevById(d.devId);
    if (!rec)
        return;
    const BandwidthFigures f = BandwidthFigures::fromRecord(rec);
    check(f.rx >= 0 && f.rx <= kMaxFigure && f.tx >= 0 && f.tx <= kMaxFigure, "bandwidth figures in range",
          QString::number(f.rx) + QLatin1Char('/') + QString::number(f.tx));
    check(!f.text().isEmpty(), "bandwidth text");

    const QVector<ActiveStreamList::Entry> active = ActiveStreamList::forDevice(QLatin1String(d.devId));
    check(active.size() <= 2 * DVM_TABLE_SIZE, "active streams bounded");
    for (const ActiveStreamList::Entry& e : active)
        check(e.sdpId >= 0 && e.sdpId < DVM_TABLE_SIZE, "active stream id inside its table");

    for (const McastTxFacts::TxStream& s : McastTxFacts::txStreams(QLatin1String(d.devId)))
        check(s.channels.size() <= DVM_STREAM_CH, "transmit stream channels bounded", s.name);

    const DevDetailStore& store = DevDetailStore::instance();
    const int32_t hostile[] = {value32(extra), -1, 0, 1, INT_MAX, INT_MIN, DVM_TABLE_SIZE, DVM_TABLE_SIZE - 1};
    for (const int32_t ch : hostile) {
        QString label;
        RouteFacts::activeSource(rec, ch, store, &label);
        StreamCapacity::canTake(rec, kDevices[2].ip, ch);
        StreamTableText::rxChText(ch, value32(extra));
    }
    const QJsonObject json = RegistryJson::device(rec);
    for (int s = 0; s < StreamTableText::SectionCount; ++s) {
        const auto entries = StreamTableText::entries(json, static_cast<StreamTableText::Section>(s));
        check(entries.size() <= DVM_TABLE_SIZE, "stream table text bounded");
        for (const StreamTableText::Entry& e : entries)
            check(e.id >= 0 && e.id < DVM_TABLE_SIZE && e.text.size() <= 4 * DVM_SDP_LEN, "stream table entry");
    }

    // The levels page sizes its sides from the announced counts and pages batch meters by "idStart".
    LevelPaging paging(QLatin1String(d.devId));
    paging.setBatch(true);
    const int counts[LevelPaging::SideCount] = {rec->hdr.phyChNumRx, rec->hdr.phyChNumTx, rec->hdr.chNumRx,
                                                rec->hdr.chNumTx};
    paging.setCounts(counts);
    for (int s = 0; s < LevelPaging::SideCount; ++s)
        check(paging.count(LevelPaging::Side(s)) >= 0 &&
                  paging.count(LevelPaging::Side(s)) <= LevelPaging::kMaxChannels,
              "level side bounded");
    QJsonArray arr;
    for (int i = 0; i < (extra[8] & 63); ++i)
        arr.append(QStringLiteral("-%1").arg(i));
    for (const char* ops : {"getVolumeDbBatchIn", "getVolumeDbBatchOut", "getAllPhyLevel", "getAllNetLevel"}) {
        const QJsonObject reply{{QStringLiteral("ops"), QLatin1String(ops)},
                                {QStringLiteral("devId"), QLatin1String(d.devId)},
                                {QStringLiteral("idStart"), QString::number(value32(extra))},
                                {QStringLiteral("idNext"), QString::number(value32(extra + 4))},
                                {QStringLiteral("inOrOut"), QString::number(extra[8] >> 7)},
                                {QStringLiteral("arr"), arr}};
        const LevelPaging::Outcome out = paging.handle(reply);
        for (const LevelPaging::Outcome::Range& r : out.changed)
            check(r.first >= 0 && r.count > 0 && r.first + r.count <= paging.count(r.side), "changed rows inside");
        check(out.requests.size() <= 1, "one request for the next page");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 9)
        return -1;
    dvm_setSendHook([](void*, const char*, int length, uint32_t, uint16_t) { return length; }, nullptr);
    dvm_setNotifyHook(nullptr, nullptr);
    dvm_resetForTest();
    for (const Device& d : kDevices)
        announce(d);
    announceStream(kGroups[0], 1);
    announceStream(kGroups[1], 2);

    const uint8_t* extra = data;
    data += 9;
    size -= 9;
    for (int n = 0; n < kMaxWrites && size >= 8; ++n, data += 8, size -= 8) {
        DevRecord* rec = findDevById(kDevices[data[1] & 3].devId);
        if (rec)
            write(rec, data[0] & 15, (data[2] << 8) | data[3], value32(data + 4));
    }

    // The store lists its devices from the hostile headers; module counts come off the module's header.
    DevDetailStore& store = DevDetailStore::instance();
    store.clear();
    for (const Device& d : kDevices)
        if (d.listed)
            store.addFromRegistry(QLatin1String(d.devId));
    store.rebuildModuleMaps();

    checkAxesAndRoutes();
    for (const Device& d : kDevices)
        checkDevice(d, extra);
    clearTouched();
    return 0;
}
