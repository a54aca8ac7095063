#pragma once
#include "McastCreateChecks.h"
#include "OfflineMcast.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class OfflineData;

/// Creating and deleting a device's multicast transmit streams in the offline design. Addresses and ports pass
/// the same rules as a stream made on a live device, with the design's streams standing in for the network.
/// Nothing is sent anywhere.
class OfflineMcastEdit
{
public:
    /// Transmit streams one device carries.
    static constexpr int kMaxStreamsPerDevice = 4;
    /// Payload bytes of one packet: a stream carries as many channels as fit.
    static constexpr int kPacketBytes = 1400;

    /// Why a creation was refused, in the order the checks run.
    enum Failure
    {
        None,
        Checks,          ///< a shared rule refused it: see Outcome::check
        NoDevice,        ///< the design has no such device
        NameTaken,       ///< "名字不能重复"
        AddressConflict, ///< the custom address is already used in the design
        ChannelLimit,    ///< more channels than one packet carries: "达到流上限"
        StreamLimit,     ///< the device already has kMaxStreamsPerDevice streams: "达到组播上限"
        Refused          ///< a channel the device does not have, or the design is full
    };

    struct Outcome
    {
        Failure failure = None;
        McastCreateChecks::Failure check = McastCreateChecks::None; ///< set when failure is Checks
        OfflineMcast mcast;                                         ///< the stream added when failure is None
    };

    /// Checks `in` for device `devId` and, when it passes, adds the stream to the device and the design's list.
    /// The whole decision is made under the design's lock, so two views cannot take one address or name.
    static Outcome create(OfflineData& design, const QString& devId, const McastCreateChecks::Input& in,
                          const std::function<uint32_t()>& random);
    /// Removes the device's streams whose destination is one of `dstIps` (with the routes that receive them);
    /// returns how many went.
    static int remove(OfflineData& design, const QString& devId, const QStringList& dstIps);

    /// Destination addresses of every stream of the design.
    static QSet<uint32_t> addressesInUse(const OfflineData& design);
    /// Channels one packet carries: kPacketBytes / (bytes per sample x frames per packet), 1 when either is 0.
    static int channelCapacity(int sampleByteNum, int pFrameNum);
};
