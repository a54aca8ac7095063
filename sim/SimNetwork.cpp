#include "SimNetwork.h"

#include "SapAnnouncer.h"
#include "SimBroadcastListener.h"
#include "SimDeviceNode.h"
#include "SimLog.h"
#include "SimProbeResponder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>

namespace {

QByteArray compact(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

template <typename Stream> int firstUnused(const std::vector<Stream>& table)
{
    for (int i = 0; i < int(table.size()); ++i)
        if (!table[i].used)
            return i;
    return -1;
}

bool allEmpty(const std::array<int, kSimStreamSlots>& ids)
{
    for (int v : ids)
        if (v >= 0)
            return false;
    return true;
}

SimChange failure(const QString& error)
{
    SimChange c;
    c.error = error;
    return c;
}

} // namespace

void SimChange::markRoute(int index)
{
    if (!routeChanged.contains(index))
        routeChanged.append(index);
}

void SimChange::markActive(int index)
{
    if (!activeChanged.contains(index))
        activeChanged.append(index);
}

SimNetwork::SimNetwork(const Options& options, QObject* parent) : QObject(parent), m_options(options)
{
    m_addressIsLocal = [](quint32 ip) {
        QUdpSocket probe;
        return probe.bind(QHostAddress(ip), 0);
    };
    m_options.pageSize = std::max(1, m_options.pageSize);
    connect(&m_announce.timer, &QTimer::timeout, this, [this]() {
        const auto [first, last] = nextSlice(m_announce);
        announceRange(first, last);
    });
    connect(&m_sap.timer, &QTimer::timeout, this, [this]() {
        const auto [first, last] = nextSlice(m_sap);
        sapRange(first, last);
    });
    connect(&m_clockRound.timer, &QTimer::timeout, this, [this]() {
        const auto [first, last] = nextSlice(m_clockRound);
        clockRange(first, last);
    });
    m_elapsed.start();
}

SimNetwork::~SimNetwork() = default;

QVector<SimDevice> SimNetwork::snapshot() const
{
    QVector<SimDevice> copy = m_devices;
    copy.detach();
    return copy;
}

void SimNetwork::restore(const QVector<SimDevice>& saved)
{
    for (int i = 0; i < m_devices.size() && i < saved.size(); ++i)
        m_devices[i] = saved[i];
}

int SimNetwork::indexOfDevId(const QString& devId) const
{
    for (int i = 0; i < m_devices.size(); ++i)
        if (m_devices[i].devId() == devId)
            return i;
    return -1;
}

int SimNetwork::indexOfIp(quint32 ip) const
{
    for (int i = 0; i < m_devices.size(); ++i)
        if (m_devices[i].ip() == ip)
            return i;
    return -1;
}

bool SimNetwork::build(const QVector<SimDeviceConfig>& configs, QString* error)
{
    m_devices.clear();
    for (const SimDeviceConfig& c : configs) {
        if (indexOfDevId(c.devId) >= 0 || indexOfIp(c.ip) >= 0) {
            *error = QStringLiteral("%1: address or devId used twice").arg(c.devId);
            return false;
        }
        m_devices.append(SimDevice(c, m_options.port));
        m_devices.last().setUptime(c.uptime, nowMs());
        m_devices.last().state().upSinceMs = nowMs();
    }
    if (!m_devices.isEmpty()) {
        const QString gm = m_devices.first().config().myClkId;
        for (SimDevice& d : m_devices)
            d.setGmClkId(gm);
    }
    auto check = [error](const SimDeviceConfig& c, const SimChange& change) {
        if (change.ok())
            return true;
        *error = QStringLiteral("%1: %2").arg(c.devId, change.error);
        return false;
    };
    for (const SimDeviceConfig& c : configs)
        for (const SimMcastTxConfig& s : c.mcastTx)
            if (!check(c, addMcastTx(c.devId, s)))
                return false;
    for (const SimDeviceConfig& c : configs)
        for (const SimRouteConfig& r : c.routes)
            if (!check(c, route(c.devId, r.rxCh, r.srcDevId, r.srcCh)))
                return false;
    for (const SimDeviceConfig& c : configs)
        for (const SimMcastRxConfig& s : c.mcastRx)
            if (!check(c, subscribeMcast(c.devId, s.dstIp, s.rxChannels)))
                return false;
    return true;
}

quint32 SimNetwork::tsOffsetFor(quint32 a, quint32 b, quint32 c)
{
    // Any fixed value works; mixing the stream's addresses makes streams differ from each other.
    quint32 h = 2166136261u;
    for (quint32 v : {a, b, c}) {
        h ^= v;
        h *= 16777619u;
    }
    return h;
}

void SimNetwork::updateUnicastChNum(SimSdp& sdp, const std::array<int, kSimStreamSlots>& ids)
{
    int n = 0;
    for (int k = 0; k < kSimStreamSlots; ++k)
        if (ids[k] >= 0)
            n = k + 1;
    sdp.chNum = static_cast<quint8>(n);
}

SimChange SimNetwork::route(const QString& devId, int rxCh, const QString& srcDevId, int srcCh)
{
    const int ri = indexOfDevId(devId);
    const int si = indexOfDevId(srcDevId);
    if (ri < 0)
        return failure(QStringLiteral("unknown devId %1").arg(devId));
    if (si < 0)
        return failure(QStringLiteral("unknown srcDevId %1").arg(srcDevId));
    if (ri == si)
        return failure(QStringLiteral("a device cannot route to itself"));
    if (rxCh < 0 || rxCh >= m_devices[ri].config().chNumRx)
        return failure(QStringLiteral("rxCh %1 out of range").arg(rxCh));
    if (srcCh < 0 || srcCh >= m_devices[si].config().chNumTx)
        return failure(QStringLiteral("srcCh %1 out of range").arg(srcCh));
    if (m_devices[ri].config().sampleRate != m_devices[si].config().sampleRate)
        return failure(QStringLiteral("sample rates differ"));

    const quint32 srcIp = m_devices[si].ip();
    {
        const SimDevice& r = m_devices[ri];
        const int cur = r.rxChMap()[rxCh];
        if (cur >= 0 && r.rtpChannels()[cur].srcDevId == srcDevId && r.rtpChannels()[cur].srcChId == srcCh) {
            for (const SimRxStream& s : r.ucastRx())
                if (s.used && s.sdp.srcIp == srcIp &&
                    std::find(s.rtpChIds.begin(), s.rtpChIds.end(), cur) != s.rtpChIds.end())
                    return {}; // already routed this way
        }
    }

    const QVector<SimDevice> backup = snapshot();
    SimChange change;
    unrouteInternal(ri, rxCh, change);
    SimDevice& r = m_devices[ri];
    SimDevice& s = m_devices[si];

    // A sender channel already in a stream to this receiver is shared, not sent twice.
    int rtpId = -1;
    for (const SimRxStream& st : r.ucastRx()) {
        if (!st.used || st.sdp.srcIp != srcIp)
            continue;
        for (int id : st.rtpChIds)
            if (id >= 0 && r.rtpChannels()[id].srcChId == srcCh)
                rtpId = id;
    }
    if (rtpId < 0) {
        int rxId = -1;
        int slot = -1;
        for (int i = 0; i < int(r.ucastRx().size()) && rxId < 0; ++i) {
            const SimRxStream& st = r.ucastRx()[i];
            if (!st.used || st.sdp.srcIp != srcIp)
                continue;
            for (int k = 0; k < kSimStreamSlots; ++k)
                if (st.rtpChIds[k] < 0) {
                    rxId = i;
                    slot = k;
                    break;
                }
        }
        int txId = -1;
        if (rxId < 0) {
            rxId = firstUnused(r.ucastRx());
            txId = firstUnused(s.ucastTx());
            if (rxId < 0 || txId < 0) {
                restore(backup);
                return failure(QStringLiteral("no free sdpId"));
            }
            SimSdp sdp;
            sdp.srcIp = srcIp;
            sdp.dstIp = r.ip();
            sdp.dstPort = static_cast<quint16>(5004 + 2 * rxId);
            sdp.sampleByteNum = static_cast<quint8>(s.config().sampleByteNum);
            sdp.rtpTsOffset = tsOffsetFor(sdp.srcIp, sdp.dstIp, sdp.dstPort);
            SimRxStream rx;
            rx.used = true;
            rx.sdp = sdp;
            rx.active = true;
            r.ucastRx()[rxId] = rx;
            SimTxStream tx;
            tx.used = true;
            tx.sdp = sdp;
            tx.name = r.config().name;
            s.ucastTx()[txId] = tx;
            slot = 0;
            change.markActive(ri);
        } else {
            for (int i = 0; i < int(s.ucastTx().size()); ++i)
                if (s.ucastTx()[i].used && s.ucastTx()[i].sdp.sameFlow(r.ucastRx()[rxId].sdp))
                    txId = i;
        }
        rtpId = r.freeRtpChannel();
        if (rtpId < 0 || txId < 0) {
            // Cannot happen while every RTP channel feeds a receive channel; refuse rather than corrupt.
            restore(backup);
            return failure(QStringLiteral("no free RTP channel"));
        }
        r.rtpChannels()[rtpId] = {s.devId(), srcCh};
        SimRxStream& rx = r.ucastRx()[rxId];
        SimTxStream& tx = s.ucastTx()[txId];
        rx.rtpChIds[slot] = rtpId;
        tx.srcChIds[slot] = srcCh;
        updateUnicastChNum(rx.sdp, rx.rtpChIds);
        tx.sdp.chNum = rx.sdp.chNum;
        ++tx.version;
    }
    r.rxChMap()[rxCh] = rtpId;
    change.markRoute(ri);
    change.markRoute(si);
    return change;
}

void SimNetwork::unrouteInternal(int index, int rxCh, SimChange& change)
{
    SimDevice& r = m_devices[index];
    const int rtpId = r.rxChMap()[rxCh];
    if (rtpId < 0)
        return;
    r.rxChMap()[rxCh] = -1;
    change.markRoute(index);
    if (r.rxChannelsUsing(rtpId) > 0)
        return;
    r.rtpChannels()[rtpId] = SimRtpChannel();

    for (SimRxStream& st : r.ucastRx()) {
        if (!st.used)
            continue;
        for (int k = 0; k < kSimStreamSlots; ++k) {
            if (st.rtpChIds[k] != rtpId)
                continue;
            st.rtpChIds[k] = -1;
            const int si = indexOfIp(st.sdp.srcIp);
            SimTxStream* tx = nullptr;
            if (si >= 0) {
                for (SimTxStream& t : m_devices[si].ucastTx())
                    if (t.used && t.sdp.sameFlow(st.sdp))
                        tx = &t;
                change.markRoute(si);
            }
            if (allEmpty(st.rtpChIds)) {
                st = SimRxStream();
                if (tx)
                    *tx = SimTxStream();
                change.markActive(index);
            } else {
                updateUnicastChNum(st.sdp, st.rtpChIds);
                if (tx) {
                    tx->srcChIds[k] = -1;
                    tx->sdp.chNum = st.sdp.chNum;
                    ++tx->version;
                }
            }
            return;
        }
    }
    for (SimRxStream& st : r.mcastRx()) {
        if (!st.used)
            continue;
        for (int k = 0; k < kSimStreamSlots; ++k) {
            if (st.rtpChIds[k] != rtpId)
                continue;
            st.rtpChIds[k] = -1;
            if (allEmpty(st.rtpChIds)) {
                st = SimRxStream();
                change.markActive(index);
            }
            return;
        }
    }
}

SimChange SimNetwork::unroute(const QString& devId, int rxCh)
{
    const int ri = indexOfDevId(devId);
    if (ri < 0)
        return failure(QStringLiteral("unknown devId %1").arg(devId));
    if (rxCh < 0 || rxCh >= m_devices[ri].config().chNumRx)
        return failure(QStringLiteral("rxCh %1 out of range").arg(rxCh));
    SimChange change;
    unrouteInternal(ri, rxCh, change);
    return change;
}

SimChange SimNetwork::addMcastTx(const QString& devId, const SimMcastTxConfig& stream,
                                 std::optional<quint32> rtpTsOffset)
{
    const int di = indexOfDevId(devId);
    if (di < 0)
        return failure(QStringLiteral("unknown devId %1").arg(devId));
    SimDevice& d = m_devices[di];
    if ((stream.dstIp >> 28) != 0xE)
        return failure(QStringLiteral("%1 is not a multicast group").arg(SimDeviceConfig::ipText(stream.dstIp)));
    if (stream.channels.isEmpty() || stream.channels.size() > kSimStreamSlots)
        return failure(QStringLiteral("a stream carries 1 to %1 channels").arg(kSimStreamSlots));
    for (int ch : stream.channels)
        if (ch < 0 || ch >= d.config().chNumTx)
            return failure(QStringLiteral("channel %1 out of range").arg(ch));
    for (const SimDevice& other : m_devices)
        for (const SimTxStream& t : other.mcastTx())
            if (t.used && t.sdp.dstIp == stream.dstIp)
                return failure(QStringLiteral("group %1 is already sent by %2")
                                   .arg(SimDeviceConfig::ipText(stream.dstIp), other.devId()));
    const int id = firstUnused(d.mcastTx());
    if (id < 0)
        return failure(QStringLiteral("no free sdpId"));
    SimTxStream tx;
    tx.used = true;
    tx.name = stream.name;
    tx.sdp.srcIp = d.ip();
    tx.sdp.dstIp = stream.dstIp;
    tx.sdp.dstPort = stream.dstPort;
    tx.sdp.chNum = static_cast<quint8>(stream.channels.size());
    tx.sdp.sampleByteNum = static_cast<quint8>(d.config().sampleByteNum);
    tx.sdp.rtpTsOffset = rtpTsOffset ? *rtpTsOffset : tsOffsetFor(tx.sdp.srcIp, tx.sdp.dstIp, tx.sdp.dstPort);
    for (int k = 0; k < stream.channels.size(); ++k)
        tx.srcChIds[k] = stream.channels[k];
    d.mcastTx()[id] = tx;
    SimChange change;
    change.streamId = id;
    change.markRoute(di);
    // Announced at once rather than at the next round, so controllers learn the stream soon.
    change.sap.append({di, SapAnnouncer::packet(d.ip(), SapAnnouncer::sdpText(d, tx))});
    for (int i = 0; i < m_devices.size(); ++i)
        for (SimRxStream& st : m_devices[i].mcastRx())
            if (st.used && !st.active && st.sdp.dstIp == stream.dstIp) {
                st.active = true;
                change.markActive(i);
            }
    return change;
}

SimChange SimNetwork::removeMcastTx(const QString& devId, quint32 group)
{
    const int di = indexOfDevId(devId);
    if (di < 0)
        return failure(QStringLiteral("unknown devId %1").arg(devId));
    SimDevice& d = m_devices[di];
    for (SimTxStream& tx : d.mcastTx()) {
        if (!tx.used || tx.sdp.dstIp != group)
            continue;
        SimChange change;
        change.sap.append({di, SapAnnouncer::deletionPacket(d.ip(), SapAnnouncer::sdpText(d, tx)), true, group});
        tx = SimTxStream();
        change.markRoute(di);
        // Receivers keep their subscription; no packets arrive any more.
        for (int i = 0; i < m_devices.size(); ++i)
            for (SimRxStream& st : m_devices[i].mcastRx())
                if (st.used && st.active && st.sdp.dstIp == group) {
                    st.active = false;
                    change.markActive(i);
                }
        return change;
    }
    return failure(QStringLiteral("unknown dstIp %1").arg(SimDeviceConfig::ipText(group)));
}

SimChange SimNetwork::joinMcast(const QString& devId, const SimSdp& sdp, int streamCh, int rxCh)
{
    const int ri = indexOfDevId(devId);
    if (ri < 0)
        return failure(QStringLiteral("unknown devId %1").arg(devId));
    if (rxCh < 0 || rxCh >= m_devices[ri].config().chNumRx)
        return failure(QStringLiteral("rxCh %1 out of range").arg(rxCh));
    if ((sdp.dstIp >> 28) != 0xE || sdp.dstPort == 0 || sdp.chNum < 1 || sdp.chNum > kSimStreamSlots)
        return failure(QStringLiteral("invalid sdp"));
    if (streamCh < 0 || streamCh >= sdp.chNum)
        return failure(QStringLiteral("the stream carries %1 channels").arg(sdp.chNum));
    int si = -1;
    const SimTxStream* source = nullptr;
    for (int i = 0; i < m_devices.size(); ++i)
        for (const SimTxStream& t : m_devices[i].mcastTx())
            if (t.used && t.sdp.dstIp == sdp.dstIp) {
                si = i;
                source = &t;
            }
    if (si == ri)
        return failure(QStringLiteral("a device cannot receive its own stream"));
    if (source && streamCh >= source->sdp.chNum)
        return failure(QStringLiteral("the stream carries %1 channels").arg(source->sdp.chNum));
    // Where the channel comes from: the sender when it is one of ours, else the stream's source address.
    const QString srcDevId = source ? m_devices[si].devId() : SimDeviceConfig::ipText(sdp.srcIp);
    const int srcChId = source ? source->srcChIds[size_t(streamCh)] : streamCh;

    auto entryFor = [&sdp](const SimDevice& r) {
        for (int i = 0; i < int(r.mcastRx().size()); ++i)
            if (r.mcastRx()[size_t(i)].used && r.mcastRx()[size_t(i)].sdp.dstIp == sdp.dstIp)
                return i;
        return -1;
    };
    {
        const SimDevice& r = m_devices[ri];
        const int id = entryFor(r);
        if (id >= 0 && r.rxChMap()[rxCh] >= 0 &&
            r.mcastRx()[size_t(id)].rtpChIds[size_t(streamCh)] == r.rxChMap()[rxCh])
            return {}; // already routed this way
    }

    const QVector<SimDevice> backup = snapshot();
    SimChange change;
    unrouteInternal(ri, rxCh, change);
    SimDevice& r = m_devices[ri];
    int id = entryFor(r);
    if (id < 0) {
        id = firstUnused(r.mcastRx());
        if (id < 0) {
            restore(backup);
            return failure(QStringLiteral("no free sdpId"));
        }
        SimRxStream rx;
        rx.used = true;
        rx.sdp = sdp;
        rx.active = source != nullptr;
        r.mcastRx()[size_t(id)] = rx;
        change.markActive(ri);
    }
    SimRxStream& rx = r.mcastRx()[size_t(id)];
    int rtpId = rx.rtpChIds[size_t(streamCh)];
    if (rtpId < 0) {
        rtpId = r.freeRtpChannel();
        if (rtpId < 0) {
            restore(backup);
            return failure(QStringLiteral("no free RTP channel"));
        }
        r.rtpChannels()[rtpId] = {srcDevId, srcChId, true};
        rx.rtpChIds[size_t(streamCh)] = rtpId;
    }
    r.rxChMap()[rxCh] = rtpId;
    change.streamId = id;
    change.markRoute(ri);
    return change;
}

SimChange SimNetwork::subscribeMcast(const QString& devId, quint32 group, const QVector<int>& rxChannels)
{
    const int ri = indexOfDevId(devId);
    if (ri < 0)
        return failure(QStringLiteral("unknown devId %1").arg(devId));
    const SimTxStream* source = nullptr;
    const SimDevice* sender = nullptr;
    for (const SimDevice& d : m_devices)
        for (const SimTxStream& t : d.mcastTx())
            if (t.used && t.sdp.dstIp == group) {
                source = &t;
                sender = &d;
            }
    if (!source)
        return failure(QStringLiteral("no device sends %1").arg(SimDeviceConfig::ipText(group)));
    if (sender == &m_devices[ri])
        return failure(QStringLiteral("a device cannot receive its own stream"));
    if (rxChannels.isEmpty() || rxChannels.size() > source->sdp.chNum)
        return failure(QStringLiteral("the stream carries %1 channels").arg(source->sdp.chNum));
    QVector<int> seen;
    for (int ch : rxChannels) {
        if (ch < 0 || ch >= m_devices[ri].config().chNumRx || seen.contains(ch))
            return failure(QStringLiteral("rxChannels invalid at %1").arg(ch));
        seen.append(ch);
    }
    for (const SimRxStream& st : m_devices[ri].mcastRx())
        if (st.used && st.sdp.dstIp == group)
            return failure(QStringLiteral("already receiving %1").arg(SimDeviceConfig::ipText(group)));
    const SimTxStream src = *source;
    const QString senderId = sender->devId();

    const QVector<SimDevice> backup = snapshot();
    SimChange change;
    for (int ch : rxChannels)
        unrouteInternal(ri, ch, change);
    SimDevice& r = m_devices[ri];
    const int id = firstUnused(r.mcastRx());
    if (id < 0) {
        restore(backup);
        return failure(QStringLiteral("no free sdpId"));
    }
    SimRxStream rx;
    rx.used = true;
    rx.sdp = src.sdp;
    rx.active = true;
    for (int k = 0; k < rxChannels.size(); ++k) {
        const int rtpId = r.freeRtpChannel();
        if (rtpId < 0) {
            restore(backup);
            return failure(QStringLiteral("no free RTP channel"));
        }
        r.rtpChannels()[rtpId] = {senderId, src.srcChIds[k], true};
        rx.rtpChIds[k] = rtpId;
        r.rxChMap()[rxChannels[k]] = rtpId;
    }
    r.mcastRx()[id] = rx;
    change.markRoute(ri);
    change.markActive(ri);
    return change;
}

QJsonObject SimNetwork::dump() const
{
    QJsonArray arr;
    for (const SimDevice& d : m_devices)
        arr.append(d.dumpJson());
    return QJsonObject{{QStringLiteral("devices"), arr}};
}

bool SimNetwork::start(QString* error)
{
    for (int i = 0; i < m_devices.size(); ++i) {
        auto node = std::make_unique<SimDeviceNode>(*this, i);
        if (!node->open(error)) {
            m_nodes.clear();
            return false;
        }
        m_nodes.push_back(std::move(node));
    }
    bool anySecondary = false;
    for (const SimDevice& d : m_devices)
        anySecondary = anySecondary || !d.secondaryHostName().isEmpty();
    if (anySecondary) {
        auto probe = std::make_unique<SimProbeResponder>(*this);
        QString probeError;
        if (probe->open(m_options.probePort, &probeError))
            m_probe = std::move(probe);
        else
            qCWarning(lcSim) << "secondary units will not answer probes:" << probeError;
    }
    auto broadcast = std::make_unique<SimBroadcastListener>(*this);
    QString broadcastError;
    if (broadcast->open(m_options.broadcastPort, &broadcastError))
        m_broadcast = std::move(broadcast);
    else
        qCWarning(lcSim) << "broadcast settings requests will not be heard:" << broadcastError;
    // Heard at once when that is one burst; a larger network is heard over its first round.
    if (m_nodes.size() <= size_t(kMaxBurst)) {
        announceAll();
        sapAll();
    }
    startRound(m_announce, m_options.announceMs, 1);
    startRound(m_sap, m_options.sapMs, 1);
    // Two servo events per device and round.
    startRound(m_clockRound, m_options.clockMs, 2);
    return true;
}

int SimNetwork::sliceCount(int datagrams, int periodMs, int maxBurst)
{
    const int wanted = (std::max(0, datagrams) + std::max(1, maxBurst) - 1) / std::max(1, maxBurst);
    // No slice closer than 10 ms to the next: coarser timers would bunch them up again.
    return std::max(1, std::min(wanted, periodMs / 10));
}

void SimNetwork::startRound(Round& round, int periodMs, int datagramsPerDevice)
{
    const int period = std::max(10, periodMs);
    round.slices = sliceCount(int(m_nodes.size()) * datagramsPerDevice, period, kMaxBurst);
    round.next = 0;
    round.timer.start(period / round.slices);
}

std::pair<size_t, size_t> SimNetwork::nextSlice(Round& round)
{
    const size_t n = m_nodes.size();
    const size_t k = size_t(round.next);
    round.next = (round.next + 1) % round.slices;
    return {n * k / size_t(round.slices), n * (k + 1) / size_t(round.slices)};
}

void SimNetwork::publish(const SimChange& change)
{
    if (!isStarted())
        return;
    for (int i : change.routeChanged)
        if (isAnswering(i))
            m_nodes[i]->sendMulticast(compact({{QStringLiteral("ops"), QStringLiteral("updateRoute")}}), kDeviceGroup,
                                      kDevicePort);
    for (int i : change.activeChanged)
        if (isAnswering(i))
            m_nodes[i]->sendMulticast(compact({{QStringLiteral("ops"), QStringLiteral("updateActive")}}), kDeviceGroup,
                                      kDevicePort);
    for (const SimSapPacket& p : change.sap) {
        if (p.device < 0 || p.device >= m_devices.size() || !isAnswering(p.device))
            continue;
        m_nodes[size_t(p.device)]->sendMulticast(p.packet, kSapGroup, kSapPort);
        if (!p.deletion)
            continue;
        for (int delayMs : {500, 1500}) {
            QTimer::singleShot(delayMs, this, [this, p] {
                if (!isStarted() || !isAnswering(p.device))
                    return;
                for (const SimTxStream& tx : m_devices[p.device].mcastTx())
                    if (tx.used && tx.sdp.dstIp == p.group)
                        return;
                m_nodes[size_t(p.device)]->sendMulticast(p.packet, kSapGroup, kSapPort);
            });
        }
    }
}

int SimNetwork::answerProbe(const QHostAddress& asker, quint16 port)
{
    int answered = 0;
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        const SimDevice& d = m_devices[int(i)];
        const QByteArray answer = d.probeAnswer();
        if (answer.isEmpty() || !isAnswering(int(i)))
            continue;
        m_nodes[i]->sendProbeAnswer(answer, asker, port);
        ++answered;
    }
    return answered;
}

bool SimNetwork::answersFromSecondary(int index) const
{
    return index >= 0 && size_t(index) < m_nodes.size() && m_nodes[size_t(index)]->hasSecondarySocket();
}

void SimNetwork::announceAll()
{
    announceRange(0, m_nodes.size());
}

void SimNetwork::announceRange(size_t first, size_t last)
{
    settleReboots();
    for (size_t i = first; i < last && i < m_nodes.size(); ++i)
        if (isAnnouncing(int(i)))
            m_nodes[i]->sendMulticast(compact(m_devices[int(i)].announcement()), kDeviceGroup, kDevicePort);
}

void SimNetwork::sapAll()
{
    sapRange(0, m_nodes.size());
}

void SimNetwork::sapRange(size_t first, size_t last)
{
    for (size_t i = first; i < last && i < m_nodes.size(); ++i)
        if (isAnswering(int(i)))
            for (const QByteArray& p : SapAnnouncer::packetsFor(m_devices[int(i)]))
                m_nodes[i]->sendMulticast(p, kSapGroup, kSapPort);
}

QVector<QJsonObject> SimNetwork::clockEvents(QRandomGenerator& rng)
{
    const int offset = rng.bounded(-150, 151);
    const int ppm = rng.bounded(-3, 4);
    return {{{QStringLiteral("event"), QStringLiteral("masterOffset")},
             {QStringLiteral("state"), QStringLiteral("2")},
             {QStringLiteral("offset"), QString::number(offset)}},
            {{QStringLiteral("event"), QStringLiteral("adjustFreq")}, {QStringLiteral("ppm"), QString::number(ppm)}}};
}

void SimNetwork::clockAll()
{
    clockRange(0, m_nodes.size());
}

void SimNetwork::clockRange(size_t first, size_t last)
{
    // The first device is the grandmaster and reports no servo state of its own.
    for (size_t i = std::max<size_t>(first, 1); i < last && i < m_nodes.size(); ++i) {
        if (!isAnswering(int(i)))
            continue;
        for (const QJsonObject& e : clockEvents(*QRandomGenerator::global()))
            m_nodes[i]->sendMulticast(compact(e), kDeviceGroup, kDevicePort);
    }
}

bool SimNetwork::isAnswering(int index)
{
    SimDevice& d = m_devices[index];
    if (d.state().rebootUntilMs >= 0 && !d.state().isRebooting(nowMs()))
        settleReboots();
    return !d.isSilenced() && !d.state().isRebooting(nowMs());
}

bool SimNetwork::isAnnouncing(int index)
{
    if (isAnswering(index))
        return true;
    const SimDevice& d = m_devices[index];
    return d.isSilenced() && d.keepsAnnouncing() && !d.state().isRebooting(nowMs());
}

void SimNetwork::settleReboots()
{
    const qint64 now = nowMs();
    bool anyBack = false;
    for (SimDevice& d : m_devices) {
        SimDeviceState& st = d.state();
        if (st.rebootUntilMs < 0 || st.isRebooting(now))
            continue;
        st.rebootUntilMs = -1;
        st.upSinceMs = now;
        st.packetTimeDiv = st.pendingPacketTimeDiv;
        SimDeviceConfig& c = d.editConfig();
        c.sampleRate = st.pendingSampleRate;
        c.pFrameNum = SimDeviceState::frameNumFor(c.sampleRate, st.packetTimeDiv);
        d.setUptime(0, now);
        st.mic.restart();
        anyBack = true;
        qCInfo(lcSim) << d.devId() << "is back from its reboot";
    }
    // Announced at once, as a device does when it comes up, so controllers see the new values soon.
    if (anyBack && isStarted())
        QTimer::singleShot(0, this, &SimNetwork::announceAll);
}

void SimNetwork::startReboot(int index)
{
    SimDeviceState& st = m_devices[index].state();
    st.rebootUntilMs = nowMs() + std::max(0, m_options.rebootMs);
    ++st.rebootCount;
    qCInfo(lcSim) << m_devices[index].devId() << "reboots for" << m_options.rebootMs << "ms";
    if (isStarted())
        // Precise: a coarse timer may fire early and leave the device down until the next announcement.
        QTimer::singleShot(std::max(0, m_options.rebootMs) + 1, Qt::PreciseTimer, this, &SimNetwork::settleReboots);
}

QByteArray SimNetwork::tunnelEcho(int index, const QByteArray& datagram)
{
    ++m_devices[index].state().tunnelDatagrams;
    if (!isAnswering(index))
        return QByteArray();
    if (SimMicProcessor::isForProcessor(datagram))
        return m_devices[index].state().mic.handle(datagram);
    static const QByteArray kOk("\r\nOK\r\n");
    return datagram.left(kSimMaxDatagramBytes - kOk.size()) + kOk;
}

bool SimNetwork::requestMove(int index, quint32 ip)
{
    if (ip == m_devices[index].ip())
        return false;
    if (indexOfIp(ip) >= 0 || !m_addressIsLocal || !m_addressIsLocal(ip)) {
        qCInfo(lcSim) << m_devices[index].devId() << "stores" << SimDeviceConfig::ipText(ip)
                      << "but stays: the address is not free on this host";
        return false;
    }
    if (!isStarted()) {
        moveDevice(index, ip);
        return true;
    }
    // Queued: the answer to "setIp" still has to leave from the old address.
    QTimer::singleShot(0, this, [this, index, ip] { moveDevice(index, ip); });
    return true;
}

void SimNetwork::moveDevice(int index, quint32 ip)
{
    const quint32 old = m_devices[index].ip();
    if (old == ip || indexOfIp(ip) >= 0)
        return;
    auto retarget = [old, ip](SimSdp& sdp) {
        if (sdp.srcIp == old)
            sdp.srcIp = ip;
        if (sdp.dstIp == old)
            sdp.dstIp = ip;
    };
    auto moveAll = [&retarget](SimDevice& d) {
        for (SimRxStream& s : d.ucastRx())
            retarget(s.sdp);
        for (SimRxStream& s : d.mcastRx())
            retarget(s.sdp);
        for (SimTxStream& s : d.ucastTx()) {
            retarget(s.sdp);
            ++s.version;
        }
        for (SimTxStream& s : d.mcastTx()) {
            retarget(s.sdp);
            ++s.version;
        }
    };
    const QVector<SimDevice> backup = snapshot();
    for (SimDevice& d : m_devices)
        moveAll(d);
    m_devices[index].editConfig().ip = ip;
    if (isStarted()) {
        auto node = std::make_unique<SimDeviceNode>(*this, index);
        QString error;
        if (!node->open(&error)) {
            qCWarning(lcSim) << "cannot move:" << error;
            restore(backup);
            return;
        }
        m_nodes[size_t(index)] = std::move(node);
    }
    qCInfo(lcSim) << m_devices[index].devId() << "moved from" << SimDeviceConfig::ipText(old) << "to"
                  << SimDeviceConfig::ipText(ip);
    if (isStarted())
        announceAll();
}

void SimNetwork::sendFromDevice(int index, SimServices services, const QByteArray& payload, const QHostAddress& to,
                                quint16 port)
{
    if (index >= 0 && size_t(index) < m_nodes.size())
        m_nodes[size_t(index)]->sendFrom(services, payload, to, port);
}
