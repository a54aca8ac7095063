#include "CtlStreams.h"

#include "CommandTranslator.h"
#include "CtlExit.h"
#include "CtlNetwork.h"
#include "CtlOutput.h"
#include "CtlReply.h"
#include "CtlRoutes.h"
#include "CtlSend.h"
#include "CtlTargets.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "McastCreateChecks.h"
#include "McastCreateTexts.h"
#include "McastTxFacts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>

namespace {

const int kMinListenMs = 1200;
const char* const kDefaultPort = "5004";
const int kMaxRtpOffsetMs = 10000;

/// Whether the device's stream to `dstIp` is announced on the network. The registry learns a device's transmit
/// streams from their SAP announcements; its transmit tables are fetched once and not again on a change.
bool announced(const QString& dstIp, uint32_t sourceIp)
{
    McastRecord rec;
    if (dvm_copyMcast(findMcastByDstIp(dvm_parseIp(dstIp)), &rec) != 1)
        return false;
    return rec.lifeMs > 0 && rec.stream.srcIp == sourceIp;
}

bool allTablesComplete()
{
    for (const DevRecord* rec : getAllDevs()) {
        if (!dvm_tablesComplete(rec))
            return false;
    }
    return true;
}

} // namespace

void CtlStreams::addressFields(const QString& address, QString (&ip)[4])
{
    if (address.isEmpty()) {
        ip[0] = QStringLiteral("239");
        ip[1] = QStringLiteral("69");
        ip[2].clear();
        ip[3].clear();
        return;
    }
    const QStringList parts = address.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i)
        ip[i] = parts.value(i);
    if (parts.size() > 4)
        ip[0] = QStringLiteral("256"); // no multicast group: refused with the address range
}

QString CtlStreams::settle(const QString& device, bool wantVersion)
{
    const int minListen = qMin(kMinListenMs, m_options.discoveryMs());
    m_net.waitFor(
        [&]() {
            if (m_net.elapsedMs() < minListen || m_net.nameReadOutsEnded() < m_net.listedDevices() ||
                !allTablesComplete())
                return false;
            const CtlRoutes::Snapshot s = CtlRoutes::snapshot();
            const CtlTargets::Result r = CtlTargets::header(s.rows, device, true);
            // The version reply carries the firmware that decides whether the port may be chosen.
            return r.ok() && (!wantVersion || !m_net.store().getDevDetail(s.rows.at(r.position).id).oemCode.isEmpty());
        },
        m_options.discoveryMs());
    const CtlRoutes::Snapshot s = CtlRoutes::snapshot();
    const CtlTargets::Result r = CtlTargets::header(s.rows, device, true);
    if (!r.ok()) {
        CtlOutput::fail(r.error);
        return QString();
    }
    return s.rows.at(r.position).id;
}

int CtlStreams::create(const QString& device)
{
    const QString devId = settle(device, true);
    if (devId.isEmpty())
        return CtlExit::kUnknown;
    const CtlRoutes::Snapshot s = CtlRoutes::snapshot();
    const int header = s.rows.headerOf(devId);
    QVector<int> channels;
    for (const QString& part : m_options.channels.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const CtlTargets::Result r = CtlTargets::channelOf(s.rows, header, part.trimmed());
        if (!r.ok()) {
            CtlOutput::fail(r.error);
            return CtlExit::kUnknown;
        }
        const int protocolChannel = s.rows.at(r.position).channel - 1;
        if (!channels.contains(protocolChannel))
            channels.append(protocolChannel);
    }
    bool offsetOk = m_options.rtpOffsetMs.isEmpty();
    const int offset = offsetOk ? 0 : m_options.rtpOffsetMs.toInt(&offsetOk);
    if (!offsetOk || offset < 0 || offset > kMaxRtpOffsetMs) {
        CtlOutput::fail(QStringLiteral("--rtp-offset needs milliseconds from 0 to %1").arg(kMaxRtpOffsetMs));
        return CtlExit::kUsage;
    }

    const McastCreateChecks::Failure early = McastCreateChecks::checkNameAndChannels(m_options.streamName, channels);
    if (early != McastCreateChecks::None) {
        const QString text = McastCreateTexts::failure(early, m_options.chinese);
        CtlOutput::result(m_options.json, QJsonObject{{"ops", "stream create"}, {"refused", text}}, QString());
        CtlOutput::fail(text);
        return CtlExit::kRefused;
    }
    const DevDetail_t detail = m_net.store().getDevDetail(devId);
    const QString port = m_options.port.isEmpty() ? QString::fromLatin1(kDefaultPort) : m_options.port;
    // Older firmware keeps the view's port field hidden at 5004: another port cannot be asked for.
    if (!McastCreateChecks::portEditable(detail.firmwareVersion) && port.trimmed() != QLatin1String(kDefaultPort)) {
        const QString text = QStringLiteral("%1 (firmware %2) takes multicast streams on port 5004 only")
                                 .arg(detail.name, detail.firmwareVersion.isEmpty() ? QStringLiteral("unknown")
                                                                                    : detail.firmwareVersion);
        CtlOutput::result(m_options.json, QJsonObject{{"ops", "stream create"}, {"refused", text}}, QString());
        CtlOutput::fail(text);
        return CtlExit::kRefused;
    }
    McastCreateChecks::Input in;
    in.name = m_options.streamName;
    in.channels = channels;
    in.automatic = m_options.address.isEmpty();
    addressFields(m_options.address, in.ip);
    in.port = port;
    in.rtpOffsetMs = QString::number(offset);
    McastCreateChecks::Device dev;
    if (!McastTxFacts::device(devId, m_net.store(), &dev)) {
        CtlOutput::fail(QStringLiteral("no device \"%1\" on the network").arg(device));
        return CtlExit::kUnknown;
    }
    const McastCreateChecks::Outcome out = McastCreateChecks::evaluate(
        in, dev, McastCreateChecks::addressesInUse(), [] { return QRandomGenerator::global()->generate(); });
    if (out.failure != McastCreateChecks::None) {
        const QString text = McastCreateTexts::failure(out.failure, m_options.chinese);
        CtlOutput::result(m_options.json, QJsonObject{{"ops", "stream create"}, {"refused", text}}, QString());
        CtlOutput::fail(text);
        return CtlExit::kRefused;
    }
    const QString dstIp = out.request.value(QStringLiteral("sdp")).toObject().value(QStringLiteral("dstIp")).toString();
    return sendAndConfirm(out.request, devId, dstIp, true);
}

int CtlStreams::remove(const QString& device, const QString& name)
{
    const QString devId = settle(device, false);
    if (devId.isEmpty())
        return CtlExit::kUnknown;
    const QVector<McastTxFacts::TxStream> streams = McastTxFacts::txStreams(devId);
    QVector<McastTxFacts::TxStream> hits;
    for (const McastTxFacts::TxStream& st : streams) {
        if (st.name == name)
            hits.append(st);
    }
    if (hits.isEmpty()) {
        for (const McastTxFacts::TxStream& st : streams) {
            if (st.dstIp == name)
                hits.append(st);
        }
    }
    if (hits.size() != 1) {
        QStringList addresses;
        for (const McastTxFacts::TxStream& st : hits)
            addresses << st.dstIp;
        CtlOutput::fail(hits.isEmpty()
                            ? QStringLiteral("%1 sends no multicast stream \"%2\"").arg(device, name)
                            : QStringLiteral("%1 sends several streams named \"%2\" (%3); name one by its address")
                                  .arg(device, name, addresses.join(QStringLiteral(", "))));
        return CtlExit::kUnknown;
    }
    if (!m_options.yes && !m_options.dryRun) {
        const QString question = McastCreateTexts::deleteQuestion();
        CtlOutput::result(m_options.json, QJsonObject{{"ops", "stream delete"}, {"question", question}}, QString());
        CtlOutput::fail(QStringLiteral("%1: %2 (give --yes to answer yes)").arg(name, question));
        return CtlExit::kRefused;
    }
    return sendAndConfirm(McastTxFacts::deleteRequest(devId, hits.first()), devId, hits.first().dstIp, false);
}

int CtlStreams::sendAndConfirm(const QJsonObject& message, const QString& devId, const QString& dstIp, bool creating)
{
    DevDetailStore& store = m_net.store();
    const CommandTranslator translator([&store](const QString& id) { return store.getDevDetail(id); });
    const QByteArray text = QJsonDocument(message).toJson(QJsonDocument::Compact);
    const DeviceRequest request = translator.translate(QString::fromUtf8(text));
    const QString command = creating ? QStringLiteral("stream create") : QStringLiteral("stream delete");
    if (!request.isValid()) {
        CtlOutput::fail(QStringLiteral("%1 has no usable command port").arg(devId));
        return CtlExit::kUsage;
    }
    const QString address = dvm_ipToString(request.ip);
    if (m_options.dryRun) {
        CtlOutput::result(m_options.json,
                          QJsonObject{{"dryRun", true},
                                      {"ip", address},
                                      {"port", request.port},
                                      {"request", QJsonDocument::fromJson(request.body).object()}},
                          QStringLiteral("would send to %1:%2: %3")
                              .arg(address)
                              .arg(request.port)
                              .arg(QString::fromUtf8(request.body)));
        return CtlExit::kOk;
    }
    const QString ops = message.value(QStringLiteral("ops")).toString();
    const int from = m_net.messages().size();
    if (!m_net.send(request)) {
        CtlOutput::fail(QStringLiteral("the network thread did not take the request"));
        return CtlExit::kUsage;
    }
    int reply = -1;
    if (!m_net.waitFor(
            [&]() {
                reply = CtlSend::findReply(m_net.messages(), from, ops, devId);
                return reply >= 0;
            },
            m_options.timeoutMs)) {
        CtlOutput::fail(QStringLiteral("no reply from %1 within %2 s").arg(devId).arg(m_options.timeoutMs / 1000.0));
        return CtlExit::kNoReply;
    }
    const QJsonObject answer = m_net.messages().at(reply);
    if (CtlReply::exitCode(answer) != CtlExit::kOk) {
        const QString why = CtlReply::refusalText(answer, m_options.chinese);
        CtlOutput::result(m_options.json, answer, QString());
        CtlOutput::fail(QStringLiteral("%1 refused: %2").arg(command, why));
        return CtlExit::kRefused;
    }
    const uint32_t sourceIp = m_net.store().getDevDetail(devId).ip;
    const bool shown = m_net.waitFor([&]() { return announced(dstIp, sourceIp) == creating; }, m_options.timeoutMs);
    const QString name = message.value(QStringLiteral("name")).toString();
    CtlOutput::result(m_options.json,
                      QJsonObject{{"ops", command},
                                  {"changed", true},
                                  {"confirmed", shown},
                                  {"devId", devId},
                                  {"name", name},
                                  {"dstIp", dstIp},
                                  {"reply", answer}},
                      QStringLiteral("%1 %2 (%3) on %4; %5")
                          .arg(creating ? QStringLiteral("created") : QStringLiteral("deleted"), name, dstIp, devId,
                               creating ? (shown ? QStringLiteral("the network announces it")
                                                 : QStringLiteral("the network does not announce it yet"))
                                        : (shown ? QStringLiteral("the network no longer announces it")
                                                 : QStringLiteral("the network still announces it"))));
    if (!shown) {
        CtlOutput::fail(QStringLiteral("%1 answered, but the network did not show the change within %2 s")
                            .arg(devId)
                            .arg(m_options.timeoutMs / 1000.0));
        return CtlExit::kNoReply;
    }
    return CtlExit::kOk;
}
