#pragma once
#include "DvmTypes.h"
#include "RouteClickChecks.h"

#include <QString>

class DevDetailStore;

/// Gathers what RouteClickChecks decides on for one matrix cell, from the detail store and the live registry,
/// and builds the request a passed plan sends. The routing matrix and the command line share it, so a click and
/// a scripted route are judged on the same facts.
class RouteFacts
{
public:
    /// One connectable cell: a channel of a sending device or stream and a channel of a receiving device.
    struct Cell
    {
        bool multicast = false; ///< the sender is a multicast stream
        QString sendId;         ///< devId, or the stream's destination address as dotted text
        int sendChannel = 0;    ///< 1-based
        QString recvId;         ///< devId of the receiver
        int recvChannel = 0;    ///< 1-based
        bool routed = false;    ///< the cell holds a route now
    };

    struct Gathered
    {
        RouteClickChecks::Facts facts;
        StreamDesc stream{}; ///< the stream's description (multicast cells whose stream is known)
    };

    /// The facts of a click on `cell`; texts in Chinese when `chinese`. A sender or receiver missing from the
    /// store or registry leaves the matching "known" flag false (the plan then sends nothing).
    static Gathered gather(const Cell& cell, bool chinese, const DevDetailStore& store);

    /// The request text for `request`, sent to the receiving device; empty for Request::None.
    static QString request(const Cell& cell, const Gathered& gathered, RouteClickChecks::Request request);

    /// True when receive channel `dstCh` (0-based) of `rec` is fed now; `label` gets its unicast source as
    /// "name:channel name" (empty for a multicast source). Reads the registry's tables as they stand.
    static bool activeSource(const DevRecord* rec, int dstCh, const DevDetailStore& store, QString* label);
};
