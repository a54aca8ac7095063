#pragma once
#include "McastCreateChecks.h"

#include <QJsonObject>
#include <QString>
#include <QVector>

class DevDetailStore;

/// What creating or deleting a device's multicast transmit stream is judged on, gathered from the detail store
/// and the live registry, and the deletion request. The stream view and the command line share it.
class McastTxFacts
{
public:
    /// One multicast transmit stream of a device, as its tables show it.
    struct TxStream
    {
        QString name;
        QString dstIp; ///< dotted
        int dstPort = 0;
        QVector<int> channels; ///< source channels, protocol numbers (0-based)
    };

    /// The device a new stream is created on; false (and `out` untouched) when the device is not listed.
    static bool device(const QString& devId, const DevDetailStore& store, McastCreateChecks::Device* out);
    /// The device's multicast transmit streams in slot order; empty when the device is not in the registry.
    static QVector<TxStream> txStreams(const QString& devId);
    /// The "clrMcastTx" command message for `stream` of the device; "dstIp" as unsigned decimal text.
    static QJsonObject deleteRequest(const QString& devId, const TxStream& stream);
};
