#include "SimRouteCommands.h"

#include "SimDelayStats.h"
#include "SimNetwork.h"
#include "SimReply.h"

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

Replies setMcastRx(const SimRequest& req)
{
    const std::initializer_list<const char*> fields{"srcChId", "dstChId"};
    if (routesLocked(req))
        return {SimReply::echo(req, lockedReply(req), fields)};
    return {SimReply::echo(req, SimReply::fail(req, QStringLiteral("unsupported")), fields)};
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
    h.add(QStringLiteral("getUcastStats"), statsReader(false, false));
    h.add(QStringLiteral("getMcastStats"), statsReader(true, false));
    h.add(QStringLiteral("clrUcastStats"), statsReader(false, true));
    h.add(QStringLiteral("clrMcastStats"), statsReader(true, true));
}
