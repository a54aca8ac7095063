#pragma once
#include <QString>

class OfflineData;

/// What a click on a crosspoint of the routing matrix does to the offline design: the route is removed when it
/// is there, otherwise made (replacing whatever fed that receive channel before). Nothing is sent anywhere.
namespace OfflineRouteEdit {

enum class Result
{
    Added,
    Removed,
    Refused ///< a device, stream or channel the design does not have
};

/// `sendId` is a devId, or a stream's destination address for a multicast row; channels count from 1 as the
/// matrix counts them.
Result toggle(OfflineData& design, bool multicast, const QString& sendId, int sendChannel, const QString& recvId,
              int recvChannel);

} // namespace OfflineRouteEdit
