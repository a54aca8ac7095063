#pragma once
#include "DvmTypes.h"

#include <QString>
#include <QVector>

/// The receiving streams of a device that are active now, read from the registry's tables: unicast first,
/// then multicast, each in ascending stream id. Widget-free; callable from any thread.
class ActiveStreamList
{
public:
    struct Entry
    {
        bool multicast = false;
        int sdpId = -1; ///< the stream id in the device's receive table
        StreamDesc stream{};
        QString label; ///< the stream's name where the registry knows one, else its id
        QString text;  ///< the stream-choice text ("ucast:..." / "mcast:...")

        bool operator==(const Entry& o) const { return multicast == o.multicast && sdpId == o.sdpId && text == o.text; }
    };

    /// Empty when the registry does not hold the device.
    static QVector<Entry> forDevice(const QString& devId);
};
