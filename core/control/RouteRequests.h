#pragma once
#include "DvmTypes.h"

#include <QString>

/// The route requests a receiving device takes: compact JSON objects whose values are all text.
/// Channel numbers are protocol numbers (0-based).
class RouteRequests
{
public:
    /// Feeds receive channel `dstCh` from transmit channel `srcCh` of device `srcDevId`.
    static QString setUcastRx(const QString& srcDevId, int srcCh, int dstCh);
    /// Feeds receive channel `dstCh` from channel `srcCh` of the multicast stream `stream`.
    static QString setMcastRx(const StreamDesc& stream, int srcCh, int dstCh);
    /// Disconnects receive channel `dstCh`.
    static QString clrRxCh(int dstCh);
};
