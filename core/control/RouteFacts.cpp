#include "RouteFacts.h"

#include "DevDetailStore.h"
#include "DevManager.h"
#include "ModelTable.h"
#include "RouteRequests.h"
#include "StreamCapacity.h"

#include <cstring>

bool RouteFacts::activeSource(const DevRecord* rec, int dstCh, const DevDetailStore& store, QString* label)
{
    if (rec == nullptr || dstCh < 0 || dstCh >= DVM_TABLE_SIZE)
        return false;
    const int32_t rtp = rec->tables.rxChMap(dstCh);
    if (rtp < 0 || rtp >= DVM_TABLE_SIZE)
        return false;
    const RtpChEntry& e = rec->tables.rtpCh[rtp];
    const QString srcId = QString::fromUtf8(e.srcDevId, static_cast<int>(strnlen(e.srcDevId, DVM_NAME_LEN))).trimmed();
    if (srcId.isEmpty()) {
        label->clear();
        return true;
    }
    const DevDetail_t src = store.getDevDetail(srcId);
    const QByteArray id = srcId.toUtf8();
    const bool known = !src.isEmpty() || findDevById(id.constData()) != nullptr;
    QString name = src.name;
    if (src.isEmpty() && known) {
        DevHeader hdr;
        if (dvm_copyDevHeader(findDevById(id.constData()), &hdr) == 1)
            name = QString::fromUtf8(hdr.name, static_cast<int>(strnlen(hdr.name, sizeof hdr.name)));
    }
    *label = RouteClickChecks::sourceLabel(srcId, known, name, src.txChNames.value(e.srcChId()), e.srcChId());
    return true;
}

RouteFacts::Gathered RouteFacts::gather(const Cell& cell, bool chinese, const DevDetailStore& store)
{
    Gathered g;
    RouteClickChecks::Facts& f = g.facts;
    f.chinese = chinese;
    f.multicast = cell.multicast;
    f.routed = cell.routed;
    const QByteArray recvId = cell.recvId.toUtf8();
    const DevRecord* recvRec = findDevById(recvId.constData());
    const DevDetail_t receiver = store.getDevDetail(cell.recvId);

    if (!cell.multicast) {
        const DevDetail_t sender = store.getDevDetail(cell.sendId);
        f.senderKnown = !sender.isEmpty();
        f.receiverKnown = !receiver.isEmpty();
        f.senderSampleRate = sender.sampleRate;
        f.receiverSampleRate = receiver.sampleRate;
        f.senderIp = sender.ip;
        f.receiverIp = receiver.ip;
        const QByteArray sendId = cell.sendId.toUtf8();
        f.streamSlotFree = StreamCapacity::canTake(findDevById(sendId.constData()), receiver.ip, cell.sendChannel - 1);
        f.rxChannelActive = activeSource(recvRec, cell.recvChannel - 1, store, &f.existingSourceLabel);
        return g;
    }

    McastRecord stream;
    f.senderKnown = dvm_copyMcast(findMcastByDstIp(dvm_parseIp(cell.sendId)), &stream) == 1;
    DevHeader hdr;
    f.receiverKnown = !receiver.isEmpty() && dvm_copyDevHeader(recvRec, &hdr) == 1;
    if (!f.senderKnown || !f.receiverKnown)
        return g;
    g.stream = stream.stream;
    f.senderSampleRate = stream.sampleRate;
    f.receiverSampleRate = receiver.sampleRate;
    f.senderIp = stream.stream.srcIp;
    f.receiverIp = receiver.ip;
    f.streamFrames = stream.frames;
    f.receiverDelayUs = hdr.delayUs;
    f.receiverFirmware = receiver.firmwareVersion;
    f.streamPort = stream.stream.dstPort;
    f.receiverIsVirtualCard = ModelTable::instance().isVirtualSoundCard(receiver.model);
    f.rxChannelActive = activeSource(recvRec, cell.recvChannel - 1, store, &f.existingSourceLabel);
    return g;
}

QString RouteFacts::request(const Cell& cell, const Gathered& gathered, RouteClickChecks::Request request)
{
    switch (request) {
    case RouteClickChecks::Request::ClrRxCh:
        return RouteRequests::clrRxCh(cell.recvChannel - 1);
    case RouteClickChecks::Request::SetUcastRx:
        return RouteRequests::setUcastRx(cell.sendId, cell.sendChannel - 1, cell.recvChannel - 1);
    case RouteClickChecks::Request::SetMcastRx:
        return RouteRequests::setMcastRx(gathered.stream, cell.sendChannel - 1, cell.recvChannel - 1);
    default:
        return QString();
    }
}
