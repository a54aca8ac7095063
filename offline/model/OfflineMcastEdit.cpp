#include "OfflineMcastEdit.h"

#include "DevManager.h"
#include "OfflineData.h"

#include <QJsonObject>
#include <QMutexLocker>

int OfflineMcastEdit::channelCapacity(int sampleByteNum, int pFrameNum)
{
    if (sampleByteNum <= 0 || pFrameNum <= 0)
        return 1;
    return kPacketBytes / (sampleByteNum * pFrameNum);
}

QSet<uint32_t> OfflineMcastEdit::addressesInUse(const OfflineData& design)
{
    QSet<uint32_t> out;
    for (const OfflineMcast& m : design.mcasts())
        out.insert(dvm_parseIp(m.dstIp));
    return out;
}

OfflineMcastEdit::Outcome OfflineMcastEdit::create(OfflineData& design, const QString& devId,
                                                   const McastCreateChecks::Input& in,
                                                   const std::function<uint32_t()>& random)
{
    Outcome out;
    QMutexLocker lock(&design.mutex());
    const std::optional<OfflineDevice> dev = design.device(devId);
    if (!dev) {
        out.failure = NoDevice;
        return out;
    }
    const OfflineDevDetail& d = dev->detail();
    const QSet<uint32_t> inUse = addressesInUse(design);

    McastCreateChecks::Device facts;
    facts.devId = devId;
    facts.sampleRate = d.sampleRate;
    facts.sampleByteNum = d.sampleByteNum;
    const McastCreateChecks::Outcome shared = McastCreateChecks::evaluate(in, facts, inUse, random);
    if (shared.failure != McastCreateChecks::None) {
        out.failure = Checks;
        out.check = shared.failure;
        return out;
    }
    const QJsonObject sdp = shared.request.value(QStringLiteral("sdp")).toObject();
    const QString dstIp = sdp.value(QStringLiteral("dstIp")).toString();
    const QString name = in.name.trimmed();

    // Routes name the stream they receive, so a name must be unique in the whole design, not just on the device.
    for (const OfflineMcast& m : design.mcasts()) {
        if (m.name.trimmed() == name) {
            out.failure = NameTaken;
            return out;
        }
    }
    if (!in.automatic && inUse.contains(dvm_parseIp(dstIp))) {
        out.failure = AddressConflict;
        return out;
    }
    // The device's own limits hold whoever chose the address: a design it cannot carry would fail when loaded.
    if (in.channels.size() > channelCapacity(d.sampleByteNum, d.pFrameNum)) {
        out.failure = ChannelLimit;
        return out;
    }
    if (d.mcastList.size() >= kMaxStreamsPerDevice) {
        out.failure = StreamLimit;
        return out;
    }
    for (int ch : in.channels) {
        if (ch < 0 || ch >= d.chNumTx) {
            out.failure = Refused;
            return out;
        }
    }

    OfflineMcast m;
    m.name = name;
    m.dstIp = dstIp;
    m.dstPort = sdp.value(QStringLiteral("dstPort")).toString().toInt();
    m.sampleRate = d.sampleRate;
    m.chNum = in.channels.size();
    m.srcDevId = devId;
    m.srcChannels = in.channels;
    m.customAddress = !in.automatic;
    if (!design.addMcast(m)) {
        out.failure = Refused;
        return out;
    }
    out.mcast = m;
    return out;
}

int OfflineMcastEdit::remove(OfflineData& design, const QString& devId, const QStringList& dstIps)
{
    QMutexLocker lock(&design.mutex());
    const std::optional<OfflineDevice> dev = design.device(devId);
    if (!dev)
        return 0;
    QStringList names;
    for (const OfflineMcast& m : dev->detail().mcastList) {
        if (dstIps.contains(m.dstIp))
            names << m.name;
    }
    int removed = 0;
    for (const QString& name : names)
        removed += design.removeMcast(name) ? 1 : 0;
    return removed;
}
