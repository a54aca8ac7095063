#include "ReplyDispatcher.h"

#include "CoreLog.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "DeviceRequests.h"
#include "LogRedaction.h"
#include "PendingRequests.h"
#include "ReplyDecoders.h"
#include "ReplyFields.h"
#include "UntrustedJson.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <iterator>

namespace {

const QString kOps = QStringLiteral("ops");
const QString kDevId = QStringLiteral("devId");

/// The four channel-name lists, in the order they are read out.
struct NameList
{
    const char* ops;
    int32_t DevHeader::*count;
    QStringList s_dev_detail::*names;
};
const NameList kNameLists[] = {
    {"getAllChNameRx", &DevHeader::chNumRx, &s_dev_detail::rxChNames},
    {"getAllChNameTx", &DevHeader::chNumTx, &s_dev_detail::txChNames},
    {"getAllPhyChNameTx", &DevHeader::phyChNumTx, &s_dev_detail::phyTxChNames},
    {"getAllPhyChNameRx", &DevHeader::phyChNumRx, &s_dev_detail::phyRxChNames},
};
const int kNameListCount = 4;

int nameListIndex(const QString& ops)
{
    for (int i = 0; i < kNameListCount; ++i) {
        if (ops == QLatin1String(kNameLists[i].ops))
            return i;
    }
    return -1;
}

void setEntry(QStringList& list, int id, const QString& name)
{
    if (id >= 0 && id < list.size())
        list[id] = name;
}

/// Replies whose "ops" the dispatcher renames to the window's command.
struct Rename
{
    const char* deviceOps;
    const char* windowOps;
    const char* inOrOut; ///< nullptr when the command has one side
};
const Rename kRenames[] = {
    {"getAllPhyVolumeDbTx", "getAllPhyLevel", "1"},
    {"getAllPhyVolumeDbRx", "getAllPhyLevel", "0"},
    {"getAllPhyGainDbTx", "getAllPhyGain", "1"},
    {"getAllPhyGainDbRx", "getAllPhyGain", "0"},
    {"setPhyGainDbTx", "setPhyGain", "1"},
    {"setPhyGainDbRx", "setPhyGain", "0"},
    {"getAllPhyMuteTx", "getAllPhyMute", "1"},
    {"getAllPhyMuteRx", "getAllPhyMute", "0"},
    {"setPhyMuteTx", "setPhyMute", "1"},
    {"setPhyMuteRx", "setPhyMute", "0"},
    {"getAllVolumeDbTx", "getAllNetLevel", "1"},
    {"getAllVolumeDbRx", "getAllNetLevel", "0"},
    {"getUcastStats", "getDelayStatUcast", nullptr},
    {"getMcastStats", "getDelayStatMcast", nullptr},
    {"clrUcastStats", "clrDelayStatUcast", nullptr},
    {"clrMcastStats", "clrDelayStatMcast", nullptr},
};

/// Logs the 1st, 2nd, 4th, 8th... occurrence: a flood of forged replies must not flood the log.
bool sparse(quint64 count)
{
    return (count & (count - 1)) == 0;
}

/// "devId:n" (one or two digits): the name of one of the device's further network interfaces.
bool isOwnInterface(const QString& claimed, const QString& devId)
{
    const int tail = claimed.size() - devId.size() - 1;
    if (tail < 1 || tail > 2 || !claimed.startsWith(devId) || claimed.at(devId.size()) != QLatin1Char(':'))
        return false;
    for (int i = devId.size() + 1; i < claimed.size(); ++i)
        if (!claimed.at(i).isDigit())
            return false;
    return true;
}

} // namespace

ReplyDispatcher::ReplyDispatcher(DevDetailStore& store, Sink sink)
    : ReplyDispatcher(store, std::move(sink), PendingRequests::instance())
{
}

ReplyDispatcher::ReplyDispatcher(DevDetailStore& store, Sink sink, PendingRequests& pending)
    : m_store(store), m_sink(std::move(sink)), m_pending(pending)
{
}

bool ReplyDispatcher::isReplyPort(uint16_t srcPort, int commandPort)
{
    static const uint16_t kServicePorts[] = {7999, 8999, 9992, 9993, 9994, 9995, 12000, 12001, 12002};
    if (srcPort != 0 && srcPort == commandPort)
        return true;
    return std::find(std::begin(kServicePorts), std::end(kServicePorts), srcPort) != std::end(kServicePorts);
}

bool ReplyDispatcher::solicited(const Reply& r)
{
    PendingRequests::Kind kind;
    if (!PendingRequests::kindOf(r.ops, &kind) || m_pending.take(kind, r.devId, r.devIp))
        return true;
    logUnsolicited(r);
    return false;
}

void ReplyDispatcher::logUnsolicited(const Reply& r)
{
    if (sparse(++m_unsolicitedCount))
        qCWarning(lcNet) << "unsolicited" << r.ops << "reply from" << r.devId << "ignored (" << m_unsolicitedCount
                         << "so far)";
}

void ReplyDispatcher::emitMessage(const QJsonObject& obj)
{
    // Devices may echo a password back; no window or log downstream is to see it.
    if (m_sink.recvMessage)
        m_sink.recvMessage(
            QString::fromUtf8(QJsonDocument(LogRedaction::redacted(obj)).toJson(QJsonDocument::Compact)));
}

void ReplyDispatcher::emitRefresh(const QJsonObject& obj)
{
    // The name refresh carries the whole reply, and a device may echo a password in it too.
    if (m_sink.refreshDevAndChName)
        m_sink.refreshDevAndChName(
            QString::fromUtf8(QJsonDocument(LogRedaction::redacted(obj)).toJson(QJsonDocument::Compact)));
}

void ReplyDispatcher::setDevId(Reply& r)
{
    r.obj.insert(kDevId, r.devId);
}

const QHash<QString, ReplyDispatcher::Handler>& ReplyDispatcher::handlers()
{
    static const QHash<QString, Handler> table = [] {
        QHash<QString, Handler> h;
        auto setDevIdAndEmit = [](ReplyDispatcher* d, Reply& r) {
            d->setDevId(r);
            d->emitMessage(r.obj);
        };
        for (const char* ops :
             {"setSampleRate", "setPacketTimeDiv", "setDelayUs", "setPtpPriority", "setPtpDomain", "setPtpDscp",
              "setDscp", "clrRxCh", "getInfo", "setGain", "setPower", "getCfg", "setCfg"})
            h.insert(QLatin1String(ops), setDevIdAndEmit);
        for (const char* ops : {"getGpioInfo", "setGpioInfo", "testGpio", "setLock"})
            h.insert(QLatin1String(ops), [](ReplyDispatcher* d, Reply& r) { d->emitMessage(r.obj); });
        for (const Rename& rn : kRenames) {
            h.insert(QLatin1String(rn.deviceOps), [rn](ReplyDispatcher* d, Reply& r) {
                r.obj.insert(kOps, QLatin1String(rn.windowOps));
                if (rn.inOrOut)
                    r.obj.insert(QStringLiteral("inOrOut"), QLatin1String(rn.inOrOut));
                d->setDevId(r);
                d->emitMessage(r.obj);
            });
        }
        for (int i = 0; i < kNameListCount; ++i)
            h.insert(QLatin1String(kNameLists[i].ops),
                     [](ReplyDispatcher* d, Reply& r) { d->handleChannelNamePage(r); });
        h.insert(QStringLiteral("setChNameTx"), [](ReplyDispatcher* d, Reply& r) { d->handleSetChName(r, false); });
        h.insert(QStringLiteral("setChNameRx"), [](ReplyDispatcher* d, Reply& r) { d->handleSetChName(r, false); });
        h.insert(QStringLiteral("setPhyChNameTx"), [](ReplyDispatcher* d, Reply& r) { d->handleSetChName(r, true); });
        h.insert(QStringLiteral("setPhyChNameRx"), [](ReplyDispatcher* d, Reply& r) { d->handleSetChName(r, true); });
        h.insert(QStringLiteral("setDevName"), [](ReplyDispatcher* d, Reply& r) {
            d->setDevId(r);
            const QString name = ReplyFields::text(r.obj, "name");
            d->m_store.updateDevDetail(r.devId, [&](DevDetail_t& det) { det.name = name; });
            d->emitMessage(r.obj);
            d->emitRefresh(r.obj);
        });
        h.insert(QStringLiteral("setSampleByteNum"), [](ReplyDispatcher* d, Reply& r) {
            d->setDevId(r);
            if (ReplyFields::succeeded(r.obj)) {
                const int bytes = ReplyFields::number(r.obj, "sampleByteNum");
                d->m_store.updateDevDetail(r.devId, [&](DevDetail_t& det) { det.sampleByteNum = bytes; });
            }
            d->emitMessage(r.obj);
        });
        // The stream views list the registry's transmit tables, which no device notice refreshes.
        h.insert(QStringLiteral("setMcastTx"), [](ReplyDispatcher* d, Reply& r) {
            d->setDevId(r);
            if (ReplyFields::succeeded(r.obj))
                dvm_refetchTransmitTables(r.devIp);
            d->emitMessage(r.obj);
        });
        h.insert(QStringLiteral("clrMcastTx"), [](ReplyDispatcher* d, Reply& r) {
            d->setDevId(r);
            if (!d->solicited(r))
                return;
            if (ReplyFields::succeeded(r.obj)) {
                const uint32_t dstIp = static_cast<uint32_t>(ReplyFields::text(r.obj, "dstIp").toULongLong());
                // Only a stream this device sends may be ended by its reply.
                McastRecord* m = findMcastByDstIp(dstIp);
                if (m && m->stream.srcIp == r.devIp)
                    dvm_setMcastLife(m, 0);
                dvm_refetchTransmitTables(r.devIp);
            }
            d->emitMessage(r.obj);
        });
        h.insert(QStringLiteral("setUcastRx"), [](ReplyDispatcher* d, Reply& r) {
            if (ReplyFields::succeeded(r.obj)) {
                d->emitMessage(r.obj);
                return;
            }
            const bool locked = ReplyFields::text(r.obj, "reason") == QLatin1String("LOCK_UCAST_MCAST");
            if (d->m_sink.showTips)
                d->m_sink.showTips(locked ? QCoreApplication::translate("MyThread", "设备已加锁")
                                          : QStringLiteral("setRx fail"));
            if (locked && d->m_sink.refreshRoute)
                d->m_sink.refreshRoute();
        });
        h.insert(QStringLiteral("setMcastRx"), h.value(QStringLiteral("setUcastRx")));
        // Answered before the device moves, from its old address: the device is dropped and found
        // again at its new one.
        // A device with further interfaces is asked once per interface ("devId:2", "devId:3"); those
        // replies answer their own request, keep their name (no window takes them) and move no record.
        h.insert(QStringLiteral("setIp"), [](ReplyDispatcher* d, Reply& r) {
            const QString named = r.interfaceId.isEmpty() ? r.devId : r.interfaceId;
            if (!d->m_pending.take(PendingRequests::SetIp, named, 0)) {
                d->logUnsolicited(r);
                return;
            }
            if (!r.interfaceId.isEmpty())
                r.obj.insert(kDevId, r.interfaceId);
            else if (DevRecord* rec = findDevById(r.devId.toUtf8().constData()))
                dvm_setDevLife(rec, 0);
            d->emitMessage(r.obj);
        });
        h.insert(QStringLiteral("getIp"), [](ReplyDispatcher* d, Reply& r) {
            const int fixed = ReplyFields::number(r.obj, "fixedIp");
            const QString ip = ReplyFields::text(r.obj, "ip"), gw = ReplyFields::text(r.obj, "gw"),
                          dns = ReplyFields::text(r.obj, "dns");
            d->m_store.updateDevDetail(r.devId, [&](DevDetail_t& det) {
                det.isFixedIp = fixed;
                if (fixed == 1) {
                    det.fixedIp = ip;
                    det.gateway = gw;
                    det.dns = dns;
                }
            });
            d->setDevId(r);
            d->emitMessage(r.obj);
        });
        h.insert(QStringLiteral("getDebugInfo"), [](ReplyDispatcher* d, Reply& r) {
            const QString model = ReplyFields::text(r.obj, "model").trimmed();
            const QString temp = ReplyFields::text(r.obj, "temp");
            d->m_store.updateDevDetail(r.devId, [&](DevDetail_t& det) {
                det.model = model;
                det.temperature = temp;
            });
            d->setDevId(r);
            d->emitMessage(r.obj);
        });
        h.insert(QStringLiteral("getVersion"), [](ReplyDispatcher* d, Reply& r) {
            int rate = 0;
            DevHeader hdr;
            if (dvm_copyDevHeader(findDevById(r.devId.toUtf8().constData()), &hdr))
                rate = hdr.sampleRate;
            d->m_store.updateDevDetail(r.devId,
                                       [&](DevDetail_t& det) { ReplyDecoders::applyVersion(r.obj, rate, det); });
            d->setDevId(r);
            d->emitMessage(r.obj);
        });
        h.insert(QStringLiteral("reboot"), [](ReplyDispatcher* d, Reply& r) {
            d->setDevId(r);
            if (!d->solicited(r))
                return;
            if (ReplyFields::succeeded(r.obj) && d->m_sink.rebootConfirmed)
                d->m_sink.rebootConfirmed(r.devId);
            d->emitMessage(r.obj);
        });
        h.insert(QStringLiteral("getLock"), [](ReplyDispatcher* d, Reply& r) {
            const ReplyDecoders::DeviceLock lock = ReplyDecoders::deviceLock(ReplyFields::text(r.obj, "val"));
            d->m_store.updateDevDetail(r.devId, [&](DevDetail_t& det) {
                det.routeLock = lock.routeLock;
                det.detailLock = lock.detailLock;
            });
        });
        h.insert(QStringLiteral("setPassword"), [](ReplyDispatcher* d, Reply& r) {
            const int flag = ReplyDecoders::passwordSetFlag(r.obj);
            d->m_store.updateDevDetail(r.devId, [&](DevDetail_t& det) { det.passwordSet = flag; });
            d->emitMessage(r.obj);
        });
        h.insert(QStringLiteral("getCustomStr"), [](ReplyDispatcher* d, Reply& r) {
            const QString str = ReplyFields::text(r.obj, "str");
            d->m_store.updateDevDetail(r.devId, [&](DevDetail_t& det) { det.customStr = str; });
        });
        h.insert(QStringLiteral("getOemData"), [](ReplyDispatcher* d, Reply& r) {
            if (ReplyFields::text(r.obj, "name").trimmed() == QLatin1String("customOemType")) {
                const QString val = ReplyFields::text(r.obj, "val").trimmed();
                d->m_store.updateDevDetail(r.devId, [&](DevDetail_t& det) { det.customOemType = val; });
            }
            d->emitMessage(r.obj);
        });
        return h;
    }();
    return table;
}

void ReplyDispatcher::handleSetChName(Reply& r, bool physical)
{
    const bool tx = r.ops.endsWith(QLatin1String("Tx"));
    const int id = ReplyFields::number(r.obj, "id");
    const QString name = ReplyFields::text(r.obj, "name");
    if (!physical)
        r.obj.insert(kOps, QStringLiteral("setChName"));
    setDevId(r);
    r.obj.insert(QStringLiteral("inOrOut"), tx ? QStringLiteral("1") : QStringLiteral("0"));
    r.obj.insert(QStringLiteral("ch"), r.obj.value(QStringLiteral("id")));
    m_store.updateDevDetail(r.devId, [&](DevDetail_t& det) {
        QStringList& list =
            physical ? (tx ? det.phyTxChNames : det.phyRxChNames) : (tx ? det.txChNames : det.rxChNames);
        setEntry(list, id, name);
    });
    emitMessage(r.obj);
    emitRefresh(r.obj);
}

void ReplyDispatcher::handleChannelNamePage(Reply& r)
{
    const int list = nameListIndex(r.ops);
    const NameList& nl = kNameLists[list];
    const QJsonArray arr = r.obj.value(QStringLiteral("arr")).toArray();
    m_store.updateDevDetail(r.devId, [&](DevDetail_t& det) {
        for (const QJsonValue& v : arr) {
            const QJsonObject el = v.toObject();
            setEntry(det.*(nl.names), ReplyFields::number(el, "id"), ReplyFields::text(el, "name"));
        }
    });

    DevHeader hdr;
    if (!dvm_copyDevHeader(findDevById(r.devId.toUtf8().constData()), &hdr))
        return;
    const int length = dvm_clampCount(hdr.*(nl.count));
    const int idStart = ReplyFields::number(r.obj, "idStart");
    const int idNext = ReplyFields::number(r.obj, "idNext");
    // Ask for the rest only while pages make progress inside the list: a device that repeats or
    // overshoots a page would otherwise keep the chain asking at network speed.
    int next = list;
    int from = idNext;
    if (!(idNext > idStart && idNext < length)) {
        next = list + 1;
        from = 0;
    }
    if (next >= kNameListCount) {
        if (m_sink.updateChName)
            m_sink.updateChName(0);
        return;
    }
    QJsonObject req{{kOps, QLatin1String(kNameLists[next].ops)}, {QStringLiteral("idStart"), QString::number(from)}};
    const QByteArray body = DeviceRequests::compose(req);
    if (r.devPort > 0 && r.devPort <= 65535)
        libCallUser_sendUdp(body.constData(), body.size(), r.devIp, static_cast<uint16_t>(r.devPort));
}

void ReplyDispatcher::handleDspTagged(Reply& r)
{
    if (r.ops == QLatin1String("getLock")) {
        const int level = ReplyDecoders::dspLockLevel(ReplyFields::text(r.obj, "val"));
        m_store.updateDevDetail(r.devId, [&](DevDetail_t& det) { det.dspLockLevel = level; });
        return;
    }
    static const QStringList kNameCommands = {QStringLiteral("setChNameRx"), QStringLiteral("setChNameTx"),
                                              QStringLiteral("setPhyChNameRx"), QStringLiteral("setPhyChNameTx")};
    if (!kNameCommands.contains(r.ops))
        return;
    const bool tx = r.ops.endsWith(QLatin1String("Tx"));
    const bool physical = r.ops.startsWith(QLatin1String("setPhyChName"));
    const int id = ReplyFields::number(r.obj, "id");
    const QString name = ReplyFields::text(r.obj, "name");
    m_store.updateDevDetail(r.devId, [&](DevDetail_t& det) {
        QStringList& list =
            physical ? (tx ? det.phyTxChNames : det.phyRxChNames) : (tx ? det.txChNames : det.rxChNames);
        setEntry(list, id, name);
    });
    emitRefresh(r.obj);
}

bool ReplyDispatcher::attribute(Reply& r, uint32_t srcIp, uint16_t srcPort)
{
    DevHeader hdr;
    const QString mapped = m_store.devIdForReplyAddress(srcIp);
    const bool found = (!mapped.isEmpty() && dvm_copyDevHeader(findDevById(mapped.toUtf8().constData()), &hdr)) ||
                       dvm_copyDevHeader(findDevByIp(srcIp), &hdr);
    if (!found || !isReplyPort(srcPort, hdr.port))
        return false;
    r.devId = QString::fromUtf8(hdr.devId);
    r.devIp = hdr.ip;
    r.devPort = hdr.port;
    const QString claimed = r.obj.value(kDevId).toString();
    if (isOwnInterface(claimed, r.devId))
        r.interfaceId = claimed;
    else if (!claimed.isEmpty() && claimed != r.devId && sparse(++m_forgedCount))
        qCWarning(lcNet) << "reply from" << r.devId << "named" << claimed << "; kept as" << r.devId << "("
                         << m_forgedCount << "so far)";
    // Every kind of reply, tagged ones included, speaks only for the device it came from.
    setDevId(r);
    return true;
}

void ReplyDispatcher::dispatch(const char* data, int length, uint32_t srcIp, uint16_t srcPort)
{
    const QByteArray bytes(data, length);
    QJsonDocument doc;
    const dvm::JsonVerdict verdict = dvm::parseUntrustedJson(bytes, &doc);
    if (verdict == dvm::JsonVerdict::Refused) {
        // Not a tunnelled text either: no serial device answers in JSON that repeats its members.
        if (sparse(++m_refusedCount))
            qCWarning(lcNet) << "reply repeating a member with an object or array value dropped (" << m_refusedCount
                             << "so far)";
        return;
    }
    Reply r;
    if (verdict != dvm::JsonVerdict::Parsed || doc.isEmpty() || !doc.isObject())
        MERIDANE_NET_LOG("mainwindow", "MyThread::handleUdpUnicast");
    else
        r.obj = doc.object();
    r.ops = r.obj.value(kOps).toString();
    if (!attribute(r, srcIp, srcPort))
        return;

    if (r.ops.isEmpty()) {
        qCInfo(lcNet) << "udp to uart return " << LogRedaction::redacted(bytes);
        r.obj.insert(kOps, QStringLiteral("sendUdpToUart"));
        r.obj.insert(QStringLiteral("back"), QString::fromUtf8(bytes));
        emitMessage(r.obj);
    } else {
        const QString uiTag = ReplyFields::text(r.obj, "uiTag");
        if (uiTag == QLatin1String("dspUiTag"))
            handleDspTagged(r);
        if (uiTag == QLatin1String("dspUiTag") || uiTag == QLatin1String("superMatrixUiTag") ||
            ReplyFields::text(r.obj, "cookie") == QLatin1String("0")) {
            emitMessage(r.obj);
            return;
        }
        const auto it = handlers().constFind(r.ops);
        if (it != handlers().constEnd()) {
            it.value()(this, r);
            return;
        }
    }
    setDevId(r);
    emitMessage(r.obj);
}
