#include "RegistryJson.h"

#include "DevManager.h"

#include <QJsonArray>
#include <cstring>

namespace {

QString text(const char* field, size_t size)
{
    return QString::fromUtf8(field, static_cast<int>(strnlen(field, size)));
}

bool isZero(const StreamDesc& s)
{
    return s.srcIp == 0 && s.dstIp == 0 && s.dstPort == 0 && s.chNum == 0 && s.sampleByteNum == 0 && s.rtpTsOffset == 0;
}

template <typename Entry, typename Getter> QJsonArray channelArray(const Entry& e, Getter get, bool* any)
{
    QJsonArray arr;
    for (int i = 0; i < DVM_STREAM_CH; ++i) {
        const int32_t id = (e.*get)(i);
        *any |= id != -1;
        arr.append(id);
    }
    return arr;
}

int limit(const DevRecord* rec, DvmTable table)
{
    return qBound(0, rec->tables.fetched[table], static_cast<int>(DVM_TABLE_SIZE));
}

QJsonArray rxStreams(const RxStreamEntry* entries, int count)
{
    QJsonArray out;
    for (int id = 0; id < count; ++id) {
        const RxStreamEntry& e = entries[id];
        bool any = false;
        const QJsonArray chans = channelArray(e, &RxStreamEntry::rtpChId, &any);
        if (!any && isZero(e.stream) && !e.active)
            continue;
        out.append(QJsonObject{
            {"id", id}, {"sdp", RegistryJson::stream(e.stream)}, {"rtpChIdArr", chans}, {"active", e.active != 0}});
    }
    return out;
}

QJsonArray txStreams(const TxStreamEntry* entries, int count)
{
    QJsonArray out;
    for (int id = 0; id < count; ++id) {
        const TxStreamEntry& e = entries[id];
        bool any = false;
        const QJsonArray chans = channelArray(e, &TxStreamEntry::srcChId, &any);
        if (!any && isZero(e.stream) && e.name[0] == '\0')
            continue;
        out.append(QJsonObject{{"id", id},
                               {"sdp", RegistryJson::stream(e.stream)},
                               {"srcChIdArr", chans},
                               {"name", text(e.name, sizeof e.name)}});
    }
    return out;
}

} // namespace

namespace RegistryJson {

QJsonObject stream(const StreamDesc& s)
{
    return QJsonObject{{"srcIp", dvm_ipToString(s.srcIp)},
                       {"dstIp", dvm_ipToString(s.dstIp)},
                       {"dstPort", s.dstPort},
                       {"chNum", s.chNum},
                       {"sampleByteNum", s.sampleByteNum},
                       {"rtpTsOffset", static_cast<qint64>(s.rtpTsOffset)}};
}

QJsonObject device(const DevRecord* rec)
{
    DevHeader h;
    dvm_copyDevHeader(rec, &h);
    QJsonObject o{{"devId", text(h.devId, sizeof h.devId)},
                  {"name", text(h.name, sizeof h.name)},
                  {"ip", dvm_ipToString(h.ip)},
                  {"port", h.port},
                  {"chNumRx", h.chNumRx},
                  {"chNumTx", h.chNumTx},
                  {"ucastNumRx", h.ucastNumRx},
                  {"ucastNumTx", h.ucastNumTx},
                  {"mcastNumRx", h.mcastNumRx},
                  {"mcastNumTx", h.mcastNumTx},
                  {"sampleRate", h.sampleRate},
                  {"sampleByteNum", h.sampleByteNum},
                  {"pFrameNum", h.pFrameNum},
                  {"dscp", h.dscp},
                  {"delayUs", h.delayUs},
                  {"myClkId", text(h.myClkId, sizeof h.myClkId)},
                  {"gmClkId", text(h.gmClkId, sizeof h.gmClkId)},
                  {"model", text(h.model, sizeof h.model)},
                  {"phyChNumRx", h.phyChNumRx},
                  {"phyChNumTx", h.phyChNumTx},
                  {"canWork", h.canWork},
                  {"lifeMs", h.lifeMs},
                  {"ptpState", rec->ptpState},
                  {"ppm", rec->ppm},
                  {"complete", dvm_tablesComplete(rec)}};

    const DevTables& t = rec->tables;
    static const char* const kFetchedKeys[DVM_T_COUNT] = {"rxCh",    "rtpCh",   "ucastRx",     "ucastTx",
                                                          "mcastRx", "mcastTx", "activeUcast", "activeMcast"};
    QJsonObject fetched;
    for (int i = 0; i < DVM_T_COUNT; ++i)
        fetched.insert(QLatin1String(kFetchedKeys[i]), t.fetched[i]);
    o.insert("fetched", fetched);

    QJsonArray rxCh;
    for (int id = 0; id < limit(rec, DVM_T_RXCH); ++id) {
        if (t.rxChMap(id) != -1)
            rxCh.append(QJsonObject{{"id", id}, {"rtpChId", t.rxChMap(id)}});
    }
    QJsonArray rtpCh;
    for (int id = 0; id < limit(rec, DVM_T_RTPCH); ++id) {
        const RtpChEntry& e = t.rtpCh[id];
        if (e.srcDevId[0] != '\0' || e.srcChId() != -1)
            rtpCh.append(
                QJsonObject{{"id", id}, {"srcDevId", text(e.srcDevId, sizeof e.srcDevId)}, {"srcChId", e.srcChId()}});
    }
    o.insert("tables", QJsonObject{{"rxCh", rxCh},
                                   {"rtpCh", rtpCh},
                                   {"ucastRx", rxStreams(t.ucastRx, limit(rec, DVM_T_UCAST_RX))},
                                   {"ucastTx", txStreams(t.ucastTx, limit(rec, DVM_T_UCAST_TX))},
                                   {"mcastRx", rxStreams(t.mcastRx, limit(rec, DVM_T_MCAST_RX))},
                                   {"mcastTx", txStreams(t.mcastTx, limit(rec, DVM_T_MCAST_TX))}});
    return o;
}

QJsonObject mcast(const McastRecord& rec)
{
    return QJsonObject{{"name", text(rec.name, sizeof rec.name)},
                       {"srcIp", dvm_ipToString(rec.stream.srcIp)},
                       {"dstIp", dvm_ipToString(rec.stream.dstIp)},
                       {"dstPort", rec.stream.dstPort},
                       {"chNum", rec.stream.chNum},
                       {"sampleByteNum", rec.stream.sampleByteNum},
                       {"sampleRate", rec.sampleRate},
                       {"frames", rec.frames},
                       {"ptpClockId", text(rec.ptpClockId, sizeof rec.ptpClockId)},
                       {"rtpTsOffset", static_cast<qint64>(rec.stream.rtpTsOffset)}};
}

} // namespace RegistryJson
