#pragma once
#include "DvmTypes.h"

#include <QString>
#include <QStringList>
#include <cstdint>

/// The user interface's copy of one multicast stream learnt from SAP.
struct McastEntry
{
    QString name;
    QString sdp;
    QStringList chNames; ///< "out1".."outN", one per stream channel
    uint32_t dstIp = 0;  ///< host order; identifies the stream

    bool isEmpty() const { return dstIp == 0; }

    /// Built from a stream record.
    static McastEntry fromRecord(const McastRecord& rec);
    /// The registry's stream with that destination address, copied under the registry lock;
    /// empty when the registry holds none.
    static McastEntry fromRegistry(uint32_t dstIp);
};
