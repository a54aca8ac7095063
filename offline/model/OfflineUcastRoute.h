#pragma once
#include <QString>

/// A unicast route, stored on the receiving device: sender's transmit channel to one of our receive channels.
struct OfflineUcastRoute
{
    QString srcDevId;
    int srcChId = 0; ///< 0-based
    int dstChId = 0; ///< 0-based

    bool operator==(const OfflineUcastRoute& o) const
    {
        return srcDevId == o.srcDevId && srcChId == o.srcChId && dstChId == o.dstChId;
    }
};
