#pragma once
#include "ArchiveCategory.h"
#include "ArchiveLoadStep.h"
#include "OfflineMcast.h"
#include "OnlineDeviceFacts.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QVector>

class OfflineDevice;

/// The requests that load one archive device onto one online device, in the order of the load: GPIO, name,
/// channel names, gains and mutes, sample depth, delay, packet time, PTP priority, PTP DSCP, stream DSCP,
/// routes and streams, processor, multicast receive routes, and the IP address last (it moves the device).
/// Only chosen categories, and with a read-out of the device only the values that differ from it.
class ArchiveLoadPlan
{
public:
    struct Input
    {
        const OfflineDevice* archive = nullptr; ///< required
        const OfflineDevice* online = nullptr;  ///< the device's read-out; null when unknown (all is sent)
        OnlineDeviceFacts facts;                ///< the online device: address, port, counts, sample rate
        ArchiveCategories categories;
        QHash<QString, QString> onlineIdOf;     ///< archive devId -> online devId of the whole assignment
        QHash<QString, uint32_t> onlineIpOf;    ///< online devId -> address, for the senders of routes
        QHash<QString, QString> mcastAddressOf; ///< stream name -> the address it is loaded with
    };

    struct Plan
    {
        QVector<ArchiveLoadStep> steps;
        QStringList notes; ///< "采样率为:48000 请先手动修改设备" when the sample rates differ
    };

    static Plan build(const Input& input);

    /// The address each archived stream is loaded with: its own when the user chose it or it already lies in
    /// 239.69.0.0/16, otherwise a free one in 239.69.0.0/16 not in `used` (which grows with each choice).
    static QHash<QString, QString> mcastAddresses(const QVector<OfflineMcast>& streams, QSet<uint32_t> used);
};
