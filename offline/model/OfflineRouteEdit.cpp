#include "OfflineRouteEdit.h"

#include "OfflineData.h"
#include "OfflineDevice.h"

#include <algorithm>

namespace OfflineRouteEdit {

namespace {

OfflineDevice* findIn(OfflineData::DeviceList& devices, const QString& devId)
{
    for (auto& d : devices)
        if (d->devId() == devId)
            return d.get();
    return nullptr;
}

/// A receive channel takes one source: whatever fed it goes.
void freeChannel(OfflineDevice& recv, int dstChId)
{
    auto& uc = recv.ucastRoutes();
    uc.erase(std::remove_if(uc.begin(), uc.end(), [&](const OfflineUcastRoute& r) { return r.dstChId == dstChId; }),
             uc.end());
    auto& mc = recv.mcastRoutes();
    mc.erase(std::remove_if(mc.begin(), mc.end(), [&](const OfflineMcastRoute& r) { return r.dstChId == dstChId; }),
             mc.end());
}

Result toggleUnicast(OfflineData::DeviceList& devices, const QString& sendId, int srcChId, OfflineDevice& recv,
                     int dstChId)
{
    const OfflineDevice* send = findIn(devices, sendId);
    if (send == nullptr || srcChId < 0 || srcChId >= send->detail().chNumTx)
        return Result::Refused;
    const OfflineUcastRoute wanted{sendId, srcChId, dstChId};
    const bool present = recv.ucastRoutes().contains(wanted);
    freeChannel(recv, dstChId);
    if (present)
        return Result::Removed;
    recv.ucastRoutes().append(wanted);
    return Result::Added;
}

Result toggleMulticast(OfflineData::DeviceList& devices, const QVector<OfflineMcast>& mcasts, const QString& dstIp,
                       int inStream, OfflineDevice& recv, int dstChId)
{
    const auto s = std::find_if(mcasts.begin(), mcasts.end(), [&](const OfflineMcast& m) { return m.dstIp == dstIp; });
    if (s == mcasts.end() || inStream < 0 || inStream >= s->srcChannels.size())
        return Result::Refused;
    const int srcChId = s->srcChannels.at(inStream);
    const bool present = std::any_of(recv.mcastRoutes().begin(), recv.mcastRoutes().end(), [&](const auto& r) {
        return r.mcastName == s->name && r.srcChId == srcChId && r.dstChId == dstChId;
    });
    freeChannel(recv, dstChId);
    if (present)
        return Result::Removed;
    OfflineMcastRoute r;
    r.mcastName = s->name;
    r.srcDevId = s->srcDevId;
    r.srcChId = srcChId;
    r.dstChId = dstChId;
    r.dstIp = s->dstIp;
    r.dstPort = s->dstPort;
    r.chNum = s->chNum;
    if (const OfflineDevice* send = findIn(devices, s->srcDevId)) {
        r.srcIp = send->detail().ipAndMask.section(QLatin1Char('/'), 0, 0);
        r.sampleByteNum = send->detail().sampleByteNum;
    }
    recv.mcastRoutes().append(r);
    return Result::Added;
}

} // namespace

Result toggle(OfflineData& design, bool multicast, const QString& sendId, int sendChannel, const QString& recvId,
              int recvChannel)
{
    Result result = Result::Refused;
    design.editWithLock([&](OfflineData::DeviceList& devices, QVector<OfflineMcast>& mcasts) {
        OfflineDevice* recv = findIn(devices, recvId);
        const int dstChId = recvChannel - 1;
        if (recv == nullptr || dstChId < 0 || dstChId >= recv->detail().chNumRx)
            return;
        // One source per receive channel keeps the lists within the channel count.
        result = multicast ? toggleMulticast(devices, mcasts, sendId, sendChannel - 1, *recv, dstChId)
                           : toggleUnicast(devices, sendId, sendChannel - 1, *recv, dstChId);
    });
    return result;
}

} // namespace OfflineRouteEdit
