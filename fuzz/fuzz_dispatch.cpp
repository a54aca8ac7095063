// Replies on the unicast socket as the network thread hands them to ReplyDispatcher, with the detail store and
// the pending requests. Three devices are announced (a host with an expansion module, a second listed device, and
// one the store does not list); the input is split at '\n' into datagrams whose first byte chooses the sender
// (address and port), a request noted beforehand, a clock jump and re-announcement, and the rest is the reply.
// After every datagram: only the device the sender's address belongs to may change its details, channel lists
// keep their size, module addresses stay unique, every message names the sender's device, no value sent under a
// secret key reaches a message, and requests sent in answer go to that device.

#include "DevDetailStore.h"
#include "DevManager.h"
#include "ModelTable.h"
#include "PendingRequests.h"
#include "ReplyDispatcher.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QVector>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kMaxDatagram = 1499;
constexpr int kMaxReplies = 32;
constexpr uint16_t kCommandPort = 9990;

struct Device
{
    const char* devId;
    uint32_t ip;
    bool listed; ///< in the detail store
};
// A host of an expansion-module family, its module (its replies come from the module's address), a listed
// device and a device only the registry knows.
const Device kDevices[] = {
    {"MRH1-0001", 0x0A4D000B, true},
    {"MREA-0001", 0x0A4D0015, false},
    {"MD0B0002", 0x0A4D000C, true},
    {"MD0C0003", 0x0A4D000D, false},
};
constexpr uint32_t kStrangerIp = 0x0A4D0063;
const uint16_t kPorts[] = {kCommandPort, 8999, 9995, 40000};

[[noreturn]] void fail(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.toUtf8().constData());
    __builtin_trap();
}

void check(bool ok, const char* what, const QString& detail = QString())
{
    if (!ok)
        fail(what, detail);
}

struct Sent
{
    uint32_t ip;
    uint16_t port;
    int length;
};

struct Harness
{
    qint64 nowMs = 0;
    PendingRequests pending{[this] { return nowMs; }};
    DevDetailStore store{ModelTable::instance()};
    std::vector<QString> messages;
    std::vector<QString> reboots;
    std::vector<Sent> sent;
    ReplyDispatcher dispatcher{store,
                               ReplyDispatcher::Sink{
                                   [this](const QString& m) { messages.push_back(m); },
                                   [this](const QString& m) { messages.push_back(m); },
                                   [](int) {},
                                   [](const QString&) {},
                                   [] {},
                                   [this](const QString& d) { reboots.push_back(d); },
                               },
                               pending};

    Harness()
    {
        dvm_setSendHook(&Harness::capture, this);
        dvm_setNotifyHook(nullptr, nullptr);
    }

    static int capture(void* ctx, const char* /*data*/, int length, uint32_t ip, uint16_t port)
    {
        static_cast<Harness*>(ctx)->sent.push_back({ip, port, length});
        return length;
    }

    static void announce(const Device& d)
    {
        const QByteArray a = QByteArray(R"({"ops":"iAmVeranto","devId":")") + d.devId + R"(","name":")" + d.devId +
                             R"(","ip":")" + dvm_ipToString(d.ip).toUtf8() +
                             R"(","port":"9990","chNumRx":"4","chNumTx":"4","phyChNumRx":"2","phyChNumTx":"2",)"
                             R"("ucastNumRx":"2","ucastNumTx":"2","mcastNumRx":"2","mcastNumTx":"2",)"
                             R"("sampleRate":"48000","sampleByteNum":"3","pFrameNum":"48","model":"MRD-A16"})";
        userCallLib_handleUdp_mcast(a.constData(), a.size(), d.ip, 9996);
    }

    void announceAll()
    {
        for (const Device& d : kDevices)
            announce(d);
        for (const Device& d : kDevices)
            if (d.listed && !store.containsDevId(QLatin1String(d.devId)))
                store.addFromRegistry(QLatin1String(d.devId));
        store.rebuildModuleMaps();
    }

    void reset()
    {
        dvm_resetForTest();
        dvm_setSendHook(&Harness::capture, this);
        store.clear();
        pending.clear();
        nowMs = 0;
        announceAll();
        check(store.devCount() == 2, "both listed devices in the store");
    }
};

/// The devIds a reply from `ip` may speak for: the device with that address and the host whose module it is.
QSet<QString> ownersOf(const DevDetailStore& store, uint32_t ip)
{
    QSet<QString> owners;
    DevHeader hdr;
    if (dvm_copyDevHeader(findDevByIp(ip), &hdr))
        owners.insert(QString::fromUtf8(hdr.devId));
    const QString mapped = store.devIdForReplyAddress(ip);
    if (!mapped.isEmpty())
        owners.insert(mapped);
    return owners;
}

/// True when `text` holds `marker` only as values of "new", "old" or "password".
bool markerOnlySecret(const QByteArray& text, const QByteArray& marker)
{
    int from = 0;
    bool any = false;
    for (int at = text.indexOf(marker); at >= 0; at = text.indexOf(marker, from)) {
        any = true;
        const QByteArray before = text.left(at);
        if (!before.endsWith(R"("new":")") && !before.endsWith(R"("old":")") && !before.endsWith(R"("password":")"))
            return false;
        from = at + marker.size();
    }
    return any;
}

void checkNoSecretKeys(const QJsonValue& v, const QString& message)
{
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (it.key() == QLatin1String("new") || it.key() == QLatin1String("old") ||
                it.key() == QLatin1String("password"))
                check(it.value() == QJsonValue(QStringLiteral("********")) || it.value() == QJsonValue(QString()),
                      "a secret value reached a message:", message);
            checkNoSecretKeys(it.value(), message);
        }
    } else if (v.isArray()) {
        for (const QJsonValue& e : v.toArray())
            checkNoSecretKeys(e, message);
    }
}

void checkModuleMaps(const DevDetailStore& store)
{
    QSet<uint32_t> listedIps;
    for (const DevDetail_t& d : store.devDetails())
        listedIps.insert(d.ip);
    QSet<uint32_t> seen;
    for (int f = 0; f < ModelTable::instance().moduleFamilies().size(); ++f) {
        const QMap<QString, DevDetailStore::ModuleInfo> map = store.moduleMap(f);
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const uint32_t ip = it.value().ip;
            check(ip != 0, "module entry without an address", it.key());
            check(!seen.contains(ip), "module address held twice", it.key());
            check(!listedIps.contains(ip), "module address of a listed device", it.key());
            seen.insert(ip);
        }
    }
}

QString stripInterface(const QString& devId)
{
    const int colon = devId.lastIndexOf(QLatin1Char(':'));
    return colon > 0 ? devId.left(colon) : devId;
}

void step(Harness& h, uint8_t control, const QByteArray& reply)
{
    const int source = control & 3;
    const uint32_t srcIp =
        source == 3 ? (control & 0x80 ? kStrangerIp : kDevices[1].ip) : kDevices[source == 0 ? 0 : source + 1].ip;
    const uint16_t srcPort = kPorts[(control >> 2) & 3];
    const QSet<QString> owners = ownersOf(h.store, srcIp);
    const QString owner = owners.isEmpty() ? QString() : *owners.begin();
    switch ((control >> 4) & 3) {
    case 1:
        h.pending.note(PendingRequests::SetIp, control & 0x80 ? owner + QStringLiteral(":2") : owner, 0);
        break;
    case 2:
        h.pending.note(PendingRequests::Reboot, QString(), srcIp);
        break;
    case 3:
        h.pending.note(PendingRequests::ClrMcastTx, QString(), srcIp);
        break;
    default:
        break;
    }
    const bool rebootNoted = ((control >> 4) & 3) == 2;

    QVector<DevDetail_t> before = h.store.devDetails();
    h.messages.clear();
    h.reboots.clear();
    h.sent.clear();
    // A NUL follows the datagram, as the network thread hands it on.
    std::vector<char> buf(static_cast<size_t>(reply.size()) + 1);
    std::copy(reply.begin(), reply.end(), buf.begin());
    h.dispatcher.dispatch(buf.data(), reply.size(), srcIp, srcPort);

    const QVector<DevDetail_t> after = h.store.devDetails();
    check(after.size() == before.size(), "a reply listed or dropped a device");
    for (const DevDetail_t& was : before) {
        const DevDetail_t now = h.store.getDevDetail(was.devId);
        check(!now.isEmpty(), "a listed device vanished", was.devId);
        check(now.rxChNames.size() == was.rxChNames.size() && now.txChNames.size() == was.txChNames.size() &&
                  now.phyRxChNames.size() == was.phyRxChNames.size() &&
                  now.phyTxChNames.size() == was.phyTxChNames.size(),
              "channel name lists changed size", was.devId);
        if (!owners.contains(was.devId))
            check(now.toJson() == was.toJson(), "a reply changed another device's details", was.devId);
        for (const QString& s : {now.name, now.model, now.customStr, now.customOemType, now.temperature, now.fixedIp})
            check(s.size() <= kMaxDatagram, "a stored text longer than a datagram", was.devId);
    }
    const bool replyPort = ReplyDispatcher::isReplyPort(srcPort, kCommandPort);
    if (owners.isEmpty() || !replyPort) {
        check(h.messages.empty() && h.sent.empty() && h.reboots.empty(), "a reply nobody sent was dispatched");
        for (int i = 0; i < before.size(); ++i)
            check(before[i].toJson() == after[i].toJson(), "a dropped reply changed details", before[i].devId);
    }

    const bool secretOnly = markerOnlySecret(reply, QByteArrayLiteral("SECRET"));
    for (const QString& m : h.messages) {
        check(m.size() <= 64 * kMaxDatagram, "message size bounded");
        const QJsonDocument doc = QJsonDocument::fromJson(m.toUtf8());
        check(doc.isObject(), "a message that is not a JSON object", m);
        const QString named = doc.object().value(QStringLiteral("devId")).toString();
        check(owners.contains(named) || owners.contains(stripInterface(named)), "a message names another device", m);
        checkNoSecretKeys(doc.object(), m);
        if (secretOnly)
            check(!m.contains(QLatin1String("SECRET")), "a secret value reached a message", m);
    }
    check(h.sent.size() <= 1, "at most one request in answer to a reply");
    for (const Sent& s : h.sent) {
        DevHeader hdr;
        check(dvm_copyDevHeader(findDevByIp(s.ip), &hdr) && owners.contains(QString::fromUtf8(hdr.devId)),
              "a request in answer went to another device");
        check(s.port == kCommandPort && s.length > 0 && s.length <= kMaxDatagram, "request port and size");
    }
    for (const QString& r : h.reboots)
        check(rebootNoted && owners.contains(r), "an unrequested or misattributed reboot confirmation", r);
    check(h.pending.entryCount() <= PendingRequests::kMaxEntries, "pending requests bounded");
    checkModuleMaps(h.store);

    if (control & 0x40) {
        // Time passes: requests expire, and a device whose life a reply ended ages out and announces again.
        h.nowMs += PendingRequests::kLifeMs + 1;
        userCallLib_timer(20);
        h.sent.clear();
        h.announceAll();
        checkModuleMaps(h.store);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Harness* harness = new Harness; // lives as long as the process, as the network thread's store does
    Harness& h = *harness;
    h.reset();
    size_t pos = 0;
    for (int n = 0; n < kMaxReplies && pos < size; ++n) {
        size_t end = pos;
        while (end < size && data[end] != '\n')
            ++end;
        if (end > pos) {
            const uint8_t control = data[pos];
            const int length = static_cast<int>(std::min<size_t>(end - pos - 1, kMaxDatagram));
            step(h, control, QByteArray(reinterpret_cast<const char*>(data + pos + 1), length));
        }
        pos = end + 1;
    }
    return 0;
}
