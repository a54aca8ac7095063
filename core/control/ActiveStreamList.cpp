#include "ActiveStreamList.h"

#include "DelayStats.h"
#include "DevManager.h"

#include <cstring>

namespace {

QString fixedText(const char* field, size_t size)
{
    return QString::fromUtf8(field, static_cast<int>(strnlen(field, size)));
}

/// The name the sender gives the transmit stream that reaches this destination.
QString senderStreamName(const StreamDesc& rx, bool multicast)
{
    DevRecord* sender = findDevByIp(rx.srcIp);
    if (sender == nullptr)
        return QString();
    const DvmTable table = multicast ? DVM_T_MCAST_TX : DVM_T_UCAST_TX;
    const TxStreamEntry* entries = multicast ? sender->tables.mcastTx : sender->tables.ucastTx;
    const int count = dvm_expectedCount(sender, table);
    for (int id = 0; id < count; ++id) {
        TxStreamEntry e;
        // The network thread may rewrite the page meanwhile; a copy keeps the name and its address together.
        memcpy(&e, &entries[id], sizeof e);
        if (e.stream.dstIp == rx.dstIp && e.stream.dstPort == rx.dstPort && e.name[0] != '\0')
            return fixedText(e.name, sizeof e.name);
    }
    return QString();
}

QString multicastName(const StreamDesc& rx)
{
    McastRecord m;
    if (dvm_copyMcast(findMcastByDstIp(rx.dstIp), &m) == 1 && m.name[0] != '\0')
        return fixedText(m.name, sizeof m.name);
    return senderStreamName(rx, true);
}

void collect(const DevRecord* rec, bool multicast, QVector<ActiveStreamList::Entry>* out)
{
    const RxStreamEntry* entries = multicast ? rec->tables.mcastRx : rec->tables.ucastRx;
    const int count = dvm_expectedCount(rec, multicast ? DVM_T_MCAST_RX : DVM_T_UCAST_RX);
    for (int id = 0; id < count; ++id) {
        RxStreamEntry e;
        memcpy(&e, &entries[id], sizeof e);
        if (!e.active)
            continue;
        ActiveStreamList::Entry entry;
        entry.multicast = multicast;
        entry.sdpId = id;
        entry.stream = e.stream;
        entry.label = multicast ? multicastName(e.stream) : senderStreamName(e.stream, false);
        if (entry.label.isEmpty())
            entry.label = QString::number(id);
        entry.text = multicast ? DelayStats::multicastEntryText(entry.label, e.stream.dstIp)
                               : DelayStats::unicastEntryText(entry.label, e.stream.srcIp, e.stream.dstIp);
        out->append(entry);
    }
}

} // namespace

QVector<ActiveStreamList::Entry> ActiveStreamList::forDevice(const QString& devId)
{
    QVector<Entry> out;
    const QByteArray id = devId.toUtf8();
    const DevRecord* rec = findDevById(id.constData());
    if (rec == nullptr)
        return out;
    collect(rec, false, &out);
    collect(rec, true, &out);
    // The slot may have been given to another device while the tables were read.
    DevHeader hdr;
    if (dvm_copyDevHeader(rec, &hdr) != 1 || fixedText(hdr.devId, sizeof hdr.devId) != devId)
        out.clear();
    return out;
}
