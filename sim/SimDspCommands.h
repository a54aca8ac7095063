#pragma once
#include "SimCommandHandlers.h"

#include <QByteArray>
#include <QVector>

class SimCommandHandlers;
class SimNetwork;

/// The signal processor's commands on port 8999 of the DSP models: version, meters, CPU load, block and
/// channel changes over UDP; the configuration itself (getConfig, setConfig, group links, factory
/// configuration) over the TCP service. Block and band changes are checked against the parameters the block's kind
/// knows and their ranges (SimDspParams) and refused whole; the status poll reports the gain a dynamics block
/// applies to its channel's simulated level (SimDspGain). Every reply carries the request's "uiTag" and "cookie". While
/// bit 0 of the DSP lock mask is set every change is refused with "LOCK_UCAST_MCAST", the reason locks give elsewhere.
/// Other models do not answer.
class SimDspCommands
{
public:
    static void addTo(SimCommandHandlers& handlers);

    /// Only the DSP models have a processor behind port 8999: others do not answer.
    static SimHandler dspOnly(SimHandler handler);
    /// A change refused as a whole while the DSP lock is on (the refusal echoes the request's position keys).
    static SimHandler change(SimHandler handler);
    /// The device's processor configuration as it stands (made on first use).
    static QJsonObject& config(const SimRequest& req);

    /// Answers one message of the TCP service of device `index`: the compact replies to frame. A request for
    /// another "devId" gets "fail" "devId mismatch"; one that is not a JSON object "fail" "invalid request"; an
    /// unknown "ops" "fail" "unknown ops". Nothing while the device is silenced or rebooting.
    static QVector<QByteArray> handleTcp(SimNetwork& network, int index, const QByteArray& message);
};
