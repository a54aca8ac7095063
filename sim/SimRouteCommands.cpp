#include "SimRouteCommands.h"

#include "SimDelayStats.h"
#include "SimNetwork.h"
#include "SimReply.h"
#include "SimSettingsCommands.h"

#include <QJsonArray>

#include <cmath>

namespace {

using Replies = QVector<QJsonObject>;

/// Bit 0 of the device mask makes its routes read-only.
bool routesLocked(const SimRequest& req)
{
    return (req.network.device(req.deviceIndex).lockMask() & 0x1u) != 0;
}

QJsonObject lockedReply(const SimRequest& req)
{
    return SimReply::fail(req, QStringLiteral("LOCK_UCAST_MCAST"));
}

/// The answer of a route change, which is also told to the network when it changed something.
QJsonObject applied(const SimRequest& req, const SimChange& change)
{
    if (!change.ok())
        return SimReply::fail(req, change.error);
    req.network.publish(change);
    return SimReply::succ(req);
}

Replies setUcastRx(const SimRequest& req)
{
    const std::initializer_list<const char*> fields{"srcDevId", "srcChId", "dstChId"};
    if (routesLocked(req))
        return {SimReply::echo(req, lockedReply(req), fields)};
    const std::optional<int> src = SimCommandHandlers::readInt(req.message, "srcChId");
    const std::optional<int> dst = SimCommandHandlers::readInt(req.message, "dstChId");
    if (!src || !dst)
        return {SimReply::echo(req, SimReply::fail(req, QStringLiteral("invalid channel")), fields)};
    SimDevice& dev = req.network.device(req.deviceIndex);
    const SimChange change = req.network.route(dev.devId(), *dst, SimReply::text(req, "srcDevId"), *src);
    return {SimReply::echo(req, applied(req, change), fields)};
}

/// An unsigned whole number up to `max`, as decimal text or a JSON number; nullopt otherwise.
std::optional<quint32> readUnsigned(const QJsonObject& o, const char* key, quint32 max)
{
    const QJsonValue v = o.value(QLatin1String(key));
    qint64 n = -1;
    if (v.isString()) {
        bool ok = false;
        const qulonglong u = v.toString().trimmed().toULongLong(&ok, 10);
        if (!ok || u > max)
            return std::nullopt;
        n = qint64(u);
    } else if (v.isDouble()) {
        const double d = v.toDouble();
        if (std::floor(d) != d || d < 0 || d > double(max))
            return std::nullopt;
        n = qint64(d);
    } else {
        return std::nullopt;
    }
    return quint32(n);
}

std::optional<quint32> readIp(const QJsonObject& o, const char* key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    return v.isString() ? SimDeviceConfig::parseIp(v.toString()) : std::nullopt;
}

bool isMulticast(quint32 ip)
{
    return (ip >> 28) == 0xE;
}

/// The stream a receiver is told to join: every member present and in range, the group a multicast one.
std::optional<SimSdp> readJoinSdp(const QJsonObject& o)
{
    const std::optional<quint32> srcIp = readIp(o, "srcIp");
    const std::optional<quint32> dstIp = readIp(o, "dstIp");
    const std::optional<quint32> port = readUnsigned(o, "dstPort", 65535);
    const std::optional<quint32> offset = readUnsigned(o, "rtpTsOffset", 0xFFFFFFFFu);
    const std::optional<quint32> chNum = readUnsigned(o, "chNum", kSimStreamSlots);
    const std::optional<quint32> bytes = readUnsigned(o, "sampleByteNum", 4);
    if (!srcIp || !dstIp || !isMulticast(*dstIp) || !port || *port == 0 || !offset || !chNum || *chNum == 0 || !bytes ||
        *bytes == 0)
        return std::nullopt;
    SimSdp sdp;
    sdp.srcIp = *srcIp;
    sdp.dstIp = *dstIp;
    sdp.dstPort = quint16(*port);
    sdp.rtpTsOffset = *offset;
    sdp.chNum = quint8(*chNum);
    sdp.sampleByteNum = quint8(*bytes);
    return sdp;
}

Replies setMcastRx(const SimRequest& req)
{
    const std::initializer_list<const char*> fields{"srcChId", "dstChId"};
    if (routesLocked(req))
        return {SimReply::echo(req, lockedReply(req), fields)};
    const std::optional<int> src = SimCommandHandlers::readInt(req.message, "srcChId");
    const std::optional<int> dst = SimCommandHandlers::readInt(req.message, "dstChId");
    if (!src || !dst)
        return {SimReply::echo(req, SimReply::fail(req, QStringLiteral("invalid channel")), fields)};
    const QJsonValue sdpValue = req.message.value(QLatin1String("sdp"));
    const std::optional<SimSdp> sdp = sdpValue.isObject() ? readJoinSdp(sdpValue.toObject()) : std::nullopt;
    if (!sdp)
        return {SimReply::echo(req, SimReply::fail(req, QStringLiteral("invalid sdp")), fields)};
    const SimChange change = req.network.joinMcast(req.network.device(req.deviceIndex).devId(), *sdp, *src, *dst);
    return {SimReply::echo(req, applied(req, change), fields)};
}

/// Why a stream name cannot be announced; empty when it can. Line breaks would end the SDP name line early.
QString streamNameProblem(const QString& name)
{
    if (name.trimmed().isEmpty() || name.toUtf8().size() > SimSettingsCommands::kMaxNameBytes)
        return QStringLiteral("invalid name");
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("invalid name");
    return QString();
}

Replies setMcastTx(const SimRequest& req)
{
    const std::initializer_list<const char*> fields{"name"};
    auto refuse = [&req, &fields](const QString& reason) {
        return Replies{SimReply::echo(req, SimReply::fail(req, reason), fields)};
    };
    SimMcastTxConfig stream;
    stream.name = SimReply::text(req, "name");
    const QString problem = streamNameProblem(stream.name);
    if (!problem.isEmpty())
        return refuse(problem);
    const SimDevice& dev = req.network.device(req.deviceIndex);
    const QJsonValue channels = req.message.value(QLatin1String("srcChIdArr"));
    if (!channels.isArray())
        return refuse(QStringLiteral("invalid srcChIdArr"));
    for (const QJsonValue& v : channels.toArray()) {
        const std::optional<int> ch = SimCommandHandlers::readInt(QJsonObject{{QStringLiteral("v"), v}}, "v");
        if (!ch || *ch < 0 || *ch >= dev.config().chNumTx)
            return refuse(QStringLiteral("invalid srcChIdArr"));
        stream.channels.append(*ch);
    }
    if (stream.channels.isEmpty() || stream.channels.size() > kSimStreamSlots)
        return refuse(QStringLiteral("invalid srcChIdArr"));
    const QJsonObject sdp = req.message.value(QLatin1String("sdp")).toObject();
    const std::optional<quint32> dstIp = readIp(sdp, "dstIp");
    const std::optional<quint32> port = readUnsigned(sdp, "dstPort", 65535);
    if (!dstIp || !isMulticast(*dstIp) || !port || *port == 0)
        return refuse(QStringLiteral("invalid sdp"));
    stream.dstIp = *dstIp;
    stream.dstPort = quint16(*port);
    // The device sends from its own address with its own format; only the offset is the asker's choice.
    std::optional<quint32> offset;
    if (sdp.contains(QLatin1String("rtpTsOffset"))) {
        offset = readUnsigned(sdp, "rtpTsOffset", 0xFFFFFFFFu);
        if (!offset)
            return refuse(QStringLiteral("invalid sdp"));
    }
    const SimChange change = req.network.addMcastTx(dev.devId(), stream, offset);
    QJsonObject reply = SimReply::echo(req, applied(req, change), fields);
    if (change.ok()) {
        reply.insert(QStringLiteral("sdpId"), QString::number(change.streamId));
        reply.insert(QStringLiteral("dstIp"), QString::number(stream.dstIp));
    }
    return {reply};
}

Replies clrMcastTx(const SimRequest& req)
{
    const std::initializer_list<const char*> fields{"dstIp", "name"};
    // The controller names the stream by its group as an unsigned 32-bit number; dotted text is taken too.
    const QString text = SimReply::text(req, "dstIp");
    std::optional<quint32> group = text.contains(QLatin1Char('.')) ? SimDeviceConfig::parseIp(text)
                                                                   : readUnsigned(req.message, "dstIp", 0xFFFFFFFFu);
    if (!group)
        return {SimReply::echo(req, SimReply::fail(req, QStringLiteral("invalid dstIp")), fields)};
    const SimChange change = req.network.removeMcastTx(req.network.device(req.deviceIndex).devId(), *group);
    return {SimReply::echo(req, applied(req, change), fields)};
}

Replies clrRxCh(const SimRequest& req)
{
    if (routesLocked(req))
        return {SimReply::echo(req, lockedReply(req), {"dstChId"})};
    const std::optional<int> dst = SimCommandHandlers::readInt(req.message, "dstChId");
    if (!dst)
        return {SimReply::echo(req, SimReply::fail(req, QStringLiteral("invalid channel")), {"dstChId"})};
    const SimChange change = req.network.unroute(req.network.device(req.deviceIndex).devId(), *dst);
    return {SimReply::echo(req, applied(req, change), {"dstChId"})};
}

/// The active receive stream sdpId of one kind, or nullptr.
const SimRxStream* activeStream(const SimDevice& dev, bool mcast, int sdpId)
{
    const std::vector<SimRxStream>& table = mcast ? dev.mcastRx() : dev.ucastRx();
    if (sdpId < 0 || sdpId >= int(table.size()) || !table[size_t(sdpId)].used || !table[size_t(sdpId)].active)
        return nullptr;
    return &table[size_t(sdpId)];
}

SimHandler statsReader(bool mcast, bool clear)
{
    return [mcast, clear](const SimRequest& req) -> Replies {
        SimDevice& dev = req.network.device(req.deviceIndex);
        const std::optional<int> sdpId = SimCommandHandlers::readInt(req.message, "sdpId");
        const SimRxStream* stream = sdpId ? activeStream(dev, mcast, *sdpId) : nullptr;
        if (!stream)
            return {SimReply::echo(req, SimReply::fail(req, QStringLiteral("invalid sdpId")), {"sdpId"})};
        const qint64 now = req.network.nowMs();
        if (clear)
            dev.state().clearStats(mcast, *sdpId, stream->sdp, now);
        const qint64 since = dev.state().statsSince(mcast, *sdpId, stream->sdp, now);
        QJsonObject r = SimDelayStats::counters(now - since, stream->sdp.rtpTsOffset);
        const QJsonObject frame = SimReply::succ(req);
        for (auto it = frame.begin(); it != frame.end(); ++it)
            r.insert(it.key(), it.value());
        r.insert(QStringLiteral("sdpId"), QString::number(*sdpId));
        return {r};
    };
}

} // namespace

void SimRouteCommands::addTo(SimCommandHandlers& h)
{
    h.add(QStringLiteral("setUcastRx"), setUcastRx);
    h.add(QStringLiteral("setMcastRx"), setMcastRx);
    h.add(QStringLiteral("clrRxCh"), clrRxCh);
    h.add(QStringLiteral("setMcastTx"), setMcastTx);
    h.add(QStringLiteral("clrMcastTx"), clrMcastTx);
    h.add(QStringLiteral("getUcastStats"), statsReader(false, false));
    h.add(QStringLiteral("getMcastStats"), statsReader(true, false));
    h.add(QStringLiteral("clrUcastStats"), statsReader(false, true));
    h.add(QStringLiteral("clrMcastStats"), statsReader(true, true));
}
