#include "OnlineDeviceFacts.h"

#include "DevDetailStore.h"
#include "DevManager.h"
#include "McastEntry.h"
#include "McastTxFacts.h"
#include "ModelTable.h"
#include "OfflineDevice.h"
#include "RegistryJson.h"
#include "StreamName.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>

#include <cstring>

namespace {

int count(const QJsonObject& o, const char* key)
{
    return qBound(0, o.value(QLatin1String(key)).toInt(), int(OfflineDevice::MaxChannels));
}

/// The registry's view of one device's tables, copied once.
struct Tables
{
    QHash<int, int> rxChToRtp;     ///< receive channel -> feeding RTP channel
    QHash<int, QJsonObject> rtpCh; ///< RTP channel -> {"srcDevId","srcChId"}
    QJsonArray mcastRx;            ///< receive stream entries with "sdp" and "rtpChIdArr"
};

Tables tablesOf(const QJsonObject& dev)
{
    Tables t;
    const QJsonObject tables = dev.value(QStringLiteral("tables")).toObject();
    for (const QJsonValue& v : tables.value(QStringLiteral("rxCh")).toArray()) {
        const QJsonObject o = v.toObject();
        t.rxChToRtp.insert(o.value(QStringLiteral("id")).toInt(), o.value(QStringLiteral("rtpChId")).toInt(-1));
    }
    for (const QJsonValue& v : tables.value(QStringLiteral("rtpCh")).toArray()) {
        const QJsonObject o = v.toObject();
        t.rtpCh.insert(o.value(QStringLiteral("id")).toInt(), o);
    }
    t.mcastRx = tables.value(QStringLiteral("mcastRx")).toArray();
    return t;
}

QString senderOfStream(uint32_t srcIp, const DevDetailStore& store)
{
    if (srcIp == 0)
        return QString();
    const DevDetail_t d = store.getDevDetailByIp(srcIp);
    if (!d.isEmpty())
        return d.devId;
    DevHeader hdr;
    const DevRecord* rec = findDevByIp(srcIp);
    if (rec == nullptr || dvm_copyDevHeader(rec, &hdr) != 1)
        return QString();
    return QString::fromUtf8(hdr.devId, int(strnlen(hdr.devId, sizeof hdr.devId)));
}

/// The routes the device receives now: a receive channel fed by an RTP channel that names a sender is a unicast
/// route; one fed by a channel of a multicast receive stream is a multicast route.
void readRoutes(const QJsonObject& dev, int rxCount, const DevDetailStore& store, OnlineDeviceFacts* f)
{
    const Tables t = tablesOf(dev);
    // RTP channel -> (index into mcastRx, channel within the stream)
    QHash<int, QPair<int, int>> mcastByRtp;
    for (int i = 0; i < t.mcastRx.size(); ++i) {
        const QJsonArray chans = t.mcastRx.at(i).toObject().value(QStringLiteral("rtpChIdArr")).toArray();
        for (int k = 0; k < chans.size(); ++k) {
            const int id = chans.at(k).toInt(-1);
            if (id >= 0 && !mcastByRtp.contains(id))
                mcastByRtp.insert(id, qMakePair(i, k));
        }
    }
    QHash<QString, QVector<McastTxFacts::TxStream>> senderStreams;
    for (int ch = 0; ch < rxCount; ++ch) {
        const int rtp = t.rxChToRtp.value(ch, -1);
        if (rtp < 0)
            continue;
        const QJsonObject entry = t.rtpCh.value(rtp);
        const QString srcDevId = entry.value(QStringLiteral("srcDevId")).toString().trimmed();
        const int srcCh = entry.value(QStringLiteral("srcChId")).toInt(-1);
        if (!srcDevId.isEmpty()) {
            if (srcCh >= 0 && f->ucastRoutes.size() < OfflineDevice::MaxRoutes)
                f->ucastRoutes.append(OfflineUcastRoute{srcDevId, srcCh, ch});
            continue;
        }
        const auto it = mcastByRtp.constFind(rtp);
        if (it == mcastByRtp.constEnd() || f->mcastRoutes.size() >= OfflineDevice::MaxRoutes)
            continue;
        const QJsonObject sdp = t.mcastRx.at(it.value().first).toObject().value(QStringLiteral("sdp")).toObject();
        const uint32_t dstIp = dvm_parseIp(sdp.value(QStringLiteral("dstIp")).toString());
        if (dstIp == 0)
            continue; // a cleared slot names no stream
        OfflineMcastRoute r;
        r.srcIp = sdp.value(QStringLiteral("srcIp")).toString();
        r.dstIp = sdp.value(QStringLiteral("dstIp")).toString();
        r.dstPort = sdp.value(QStringLiteral("dstPort")).toInt();
        r.chNum = sdp.value(QStringLiteral("chNum")).toInt();
        r.sampleByteNum = sdp.value(QStringLiteral("sampleByteNum")).toInt();
        r.rtpTsOffset = qint64(sdp.value(QStringLiteral("rtpTsOffset")).toDouble());
        r.dstChId = ch;
        r.srcDevId = senderOfStream(dvm_parseIp(r.srcIp), store);
        // The SAP name keeps its line's CR; the sender's stream is stored without it, and routes find it by name.
        r.mcastName = StreamName::shown(McastEntry::fromRegistry(dstIp).name);
        // The sender's own table says which of its channels the stream carries.
        const int streamCh = it.value().second;
        r.srcChId = srcCh >= 0 ? srcCh : streamCh;
        if (!r.srcDevId.isEmpty()) {
            if (!senderStreams.contains(r.srcDevId))
                senderStreams.insert(r.srcDevId, McastTxFacts::txStreams(r.srcDevId));
            for (const McastTxFacts::TxStream& s : senderStreams.value(r.srcDevId)) {
                if (s.dstIp != r.dstIp)
                    continue;
                if (r.mcastName.isEmpty())
                    r.mcastName = s.name;
                r.srcChId = s.channels.value(streamCh, r.srcChId);
                break;
            }
        }
        f->mcastRoutes.append(r);
    }
}

void readTxStreams(const OnlineDeviceFacts& dev, OnlineDeviceFacts* f)
{
    for (const McastTxFacts::TxStream& s : McastTxFacts::txStreams(dev.devId)) {
        if (f->txStreams.size() >= OfflineDevice::MaxStreams)
            break;
        if (s.name.isEmpty() || dvm_parseIp(s.dstIp) == 0)
            continue;
        OfflineMcast m;
        m.name = s.name;
        m.dstIp = s.dstIp;
        m.dstPort = s.dstPort;
        m.sampleRate = dev.sampleRate;
        m.srcDevId = dev.devId;
        m.srcChannels = s.channels.mid(0, OfflineDevice::MaxChannels);
        m.chNum = m.srcChannels.size();
        // The address is in use on the network: a load brings the same address back.
        m.customAddress = true;
        f->txStreams.append(m);
    }
}

OnlineDeviceFacts factsOf(const DevDetail_t& d, const DevDetailStore& store)
{
    OnlineDeviceFacts f;
    f.devId = d.devId;
    f.name = d.name;
    f.model = d.model;
    f.ip = d.ip;
    f.port = d.port;
    f.sampleRate = d.sampleRate;
    f.sampleByteNum = d.sampleByteNum;
    f.dscp = d.dscp;
    f.firmwareVersion = d.firmwareVersion;
    f.firmwareBuild = d.firmwareBuild;
    f.oemCode = d.oemCode;
    f.sampleRates = d.sampleRates.mid(0, OfflineDevice::MaxListEntries);
    f.packetTimeDivs = d.packetTimeDivs.mid(0, OfflineDevice::MaxListEntries);
    f.rxChNames = d.rxChNames;
    f.txChNames = d.txChNames;
    f.phyRxChNames = d.phyRxChNames;
    f.phyTxChNames = d.phyTxChNames;
    f.phyRxGains = d.phyRxGains;
    f.phyTxGains = d.phyTxGains;
    f.phyRxMutes = d.phyRxMutes;
    f.phyTxMutes = d.phyTxMutes;
    f.ptpPriority = d.ptpPriority;
    f.ptpDscp = d.ptpDscp;
    f.isFixedIp = d.isFixedIp;
    f.fixedIp = d.fixedIp;
    f.gateway = d.gateway;
    f.dns = d.dns;

    const ModelTable& models = ModelTable::instance();
    f.hasDsp = models.hasDsp(d.model) && !models.isVirtualSoundCard(d.model) && !models.isVirtualMixer(d.model);
    const QJsonObject row = models.modelRow(d.model);
    f.usbInNum = qBound(0, row.value(QStringLiteral("usbInNum")).toInt(), int(OfflineDevice::MaxChannels));
    f.usbOutNum = qBound(0, row.value(QStringLiteral("usbOutNum")).toInt(), int(OfflineDevice::MaxChannels));
    const uint32_t own = models.hasSeparateDspAddress(d.model) ? store.dspAddress(d.devId) : 0;
    f.dspIp = own != 0 ? own : d.ip;

    const QByteArray id = d.devId.toUtf8();
    const DevRecord* rec = findDevById(id.constData());
    if (rec == nullptr)
        return f;
    const QJsonObject dev = RegistryJson::device(rec);
    f.chNumRx = count(dev, "chNumRx");
    f.chNumTx = count(dev, "chNumTx");
    f.phyChNumRx = count(dev, "phyChNumRx");
    f.phyChNumTx = count(dev, "phyChNumTx");
    if (dev.value(QStringLiteral("sampleRate")).toInt() > 0)
        f.sampleRate = dev.value(QStringLiteral("sampleRate")).toInt();
    if (dev.value(QStringLiteral("sampleByteNum")).toInt() > 0)
        f.sampleByteNum = dev.value(QStringLiteral("sampleByteNum")).toInt();
    f.pFrameNum = dev.value(QStringLiteral("pFrameNum")).toInt();
    f.dscp = dev.value(QStringLiteral("dscp")).toInt(f.dscp);
    f.delayUs = dev.value(QStringLiteral("delayUs")).toInt();
    if (f.model.isEmpty())
        f.model = dev.value(QStringLiteral("model")).toString();
    readRoutes(dev, f.chNumRx, store, &f);
    readTxStreams(f, &f);
    return f;
}

} // namespace

QVector<OnlineDeviceFacts> OnlineDeviceFacts::collect(const DevDetailStore& store, const QStringList& devIds)
{
    QVector<OnlineDeviceFacts> out;
    if (devIds.isEmpty()) {
        for (const DevDetail_t& d : store.devDetails())
            out.append(factsOf(d, store));
        return out;
    }
    for (const QString& id : devIds) {
        const DevDetail_t d = store.getDevDetail(id);
        if (!d.isEmpty())
            out.append(factsOf(d, store));
    }
    return out;
}
