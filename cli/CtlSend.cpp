#include "CtlSend.h"

#include "CommandCatalogue.h"
#include "CommandTranslator.h"
#include "CtlExit.h"
#include "CtlNetwork.h"
#include "CtlOutput.h"
#include "CtlReply.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "DeviceRequests.h"
#include "LockRequests.h"
#include "LogRedaction.h"
#include "NameRules.h"

#include <QJsonDocument>
#include <QSocketNotifier>
#include <unistd.h>

namespace {

/// The route requests a window sends: a refusal comes back as a tip, not as a message.
bool isRouteRequest(const QString& ops)
{
    return ops == QLatin1String("setUcastRx") || ops == QLatin1String("setMcastRx");
}

/// The windows refuse these names before anything is sent; a script through the same command layer is held to the
/// same rules. Empty when the message names nothing or the name passes.
QString nameRefusal(const QJsonObject& msg)
{
    static const QStringList naming = {QStringLiteral("setDevName"), QStringLiteral("setChName"),
                                       QStringLiteral("setPhyChNameRx"), QStringLiteral("setPhyChNameTx")};
    if (!naming.contains(msg.value(QStringLiteral("ops")).toString()) || !msg.contains(QStringLiteral("name")))
        return QString();
    const QString name = msg.value(QStringLiteral("name")).toString();
    NameRules::Result r = NameRules::check(name, QString());
    if (r.name.isEmpty())
        r.verdict = NameRules::Empty; // "unchanged" only against a name the device already has
    if (r.verdict == NameRules::Accepted || r.verdict == NameRules::Unchanged)
        return QString();
    return QStringLiteral("name \"%1\" refused: %2").arg(name, NameRules::tipFor(r.verdict));
}

} // namespace

CtlSend::CtlSend(CtlNetwork& net, const CtlOptions& options)
    : CtlSend(net, options, CtlSecrets::forProcess(options.args == QStringList{QStringLiteral("-")}))
{
}

CtlSend::CtlSend(CtlNetwork& net, const CtlOptions& options, CtlSecrets secrets)
    : m_net(net), m_options(options), m_secrets(std::move(secrets))
{
}

int CtlSend::findReply(const QVector<QJsonObject>& messages, int from, const QString& ops, const QString& devId)
{
    for (int i = qMax(0, from); i < messages.size(); ++i) {
        const QJsonObject& m = messages.at(i);
        if (m.value(QStringLiteral("ops")).toString() != ops)
            continue;
        const QString id = DeviceRequests::asText(m.value(QStringLiteral("devId"))).toString();
        if (id.isEmpty() || id == devId)
            return i;
    }
    return -1;
}

int CtlSend::one(const QString& message)
{
    QString error;
    const int code = handle(message, &error);
    if (!error.isEmpty()) {
        CtlOutput::fail(error);
        // One line per message, so that a script reading replies stays in step.
        if (m_options.json) {
            const QJsonObject msg = QJsonDocument::fromJson(message.toUtf8()).object();
            CtlOutput::result(true,
                              QJsonObject{{"ops", msg.value(QStringLiteral("ops"))},
                                          {"devId", DeviceRequests::asText(msg.value(QStringLiteral("devId")))},
                                          {"error", error},
                                          {"exit", code}},
                              QString());
        }
    }
    return code;
}

int CtlSend::handle(const QString& message, QString* error)
{
    const QJsonDocument doc = QJsonDocument::fromJson(message.toUtf8());
    if (!doc.isObject()) {
        *error =
            QStringLiteral("not a JSON object: %1").arg(QString::fromUtf8(LogRedaction::redacted(message.toUtf8())));
        return CtlExit::kUsage;
    }
    QJsonObject msg = doc.object();
    const QString ops = msg.value(QStringLiteral("ops")).toString();
    const bool lockRequest = LockRequests::handles(ops);
    if (CommandCatalogue::instance().find(ops) == nullptr && !lockRequest) {
        *error = QStringLiteral("no command message \"%1\" in the command catalogue").arg(ops);
        return CtlExit::kUsage;
    }
    if (!m_secrets.complete(&msg, error))
        return CtlExit::kUsage;
    *error = nameRefusal(msg);
    if (!error->isEmpty())
        return CtlExit::kRefused;
    const QString devId = DeviceRequests::asText(msg.value(QStringLiteral("devId"))).toString();
    DevDetailStore& store = m_net.store();
    const bool needsDevice = ops != QLatin1String("setIp");
    if (needsDevice && !m_net.waitFor([&]() { return store.containsDevId(devId); }, m_options.discoveryMs())) {
        *error = QStringLiteral("unknown device \"%1\"").arg(devId);
        return CtlExit::kUnknown;
    }

    const CommandTranslator translator([&store](const QString& id) { return store.getDevDetail(id); });
    const DeviceRequest request =
        lockRequest ? LockRequests::forMessage(msg, store.getDevDetail(devId)) : translator.translate(message);
    if (!request.isValid()) {
        *error = QStringLiteral("the device \"%1\" has no usable command port").arg(devId);
        return CtlExit::kUsage;
    }
    const QString address = dvm_ipToString(request.ip);
    if (m_options.dryRun) {
        const QByteArray shown = LogRedaction::redacted(request.body);
        const QJsonDocument body = QJsonDocument::fromJson(shown);
        const QJsonValue bodyValue = body.isObject() ? QJsonValue(body.object()) : QJsonValue(QString::fromUtf8(shown));
        CtlOutput::result(
            m_options.json,
            QJsonObject{{"dryRun", true}, {"ip", address}, {"port", request.port}, {"request", bodyValue}},
            QStringLiteral("would send to %1:%2: %3").arg(address).arg(request.port).arg(QString::fromUtf8(shown)));
        return CtlExit::kOk;
    }

    const int fromMessage = m_net.messages().size();
    const int fromTip = m_net.tips().size();
    if (!m_net.send(request)) {
        *error = QStringLiteral("the network thread did not take the request");
        return CtlExit::kUsage;
    }
    int reply = -1;
    const bool answered = m_net.waitFor(
        [&]() {
            reply = findReply(m_net.messages(), fromMessage, ops, devId);
            return reply >= 0 || (isRouteRequest(ops) && m_net.tips().size() > fromTip);
        },
        m_options.timeoutMs);
    if (!answered) {
        *error = QStringLiteral("no reply from %1 (%2:%3) within %4 s")
                     .arg(devId.isEmpty() ? QStringLiteral("the device") : devId, address)
                     .arg(request.port)
                     .arg(m_options.timeoutMs / 1000.0);
        return CtlExit::kNoReply;
    }
    if (reply < 0) {
        // A refused route request reaches the windows only as a tip.
        const QString tip = m_net.tips().at(fromTip);
        CtlOutput::result(m_options.json, QJsonObject{{"ops", ops}, {"devId", devId}, {"tip", tip}}, QString());
        CtlOutput::fail(QStringLiteral("%1 %2: %3").arg(ops, devId, tip));
        return CtlExit::kRefused;
    }
    const QJsonObject& answer = m_net.messages().at(reply);
    CtlOutput::result(m_options.json, answer, CtlReply::describe(answer));
    const int code = CtlReply::exitCode(answer);
    if (code != CtlExit::kOk)
        CtlOutput::fail(CtlReply::refusalText(answer, m_options.chinese));
    return code;
}

int CtlSend::run()
{
    int result = CtlExit::kOk;
    auto take = [&result](int code) {
        if (result == CtlExit::kOk)
            result = code;
    };
    if (m_options.args != QStringList{QStringLiteral("-")}) {
        for (const QString& m : m_options.args)
            take(one(m));
        return result;
    }

    // One message per line from standard input, each handled before the next is read.
    QByteArray pending;
    bool eof = false;
    QSocketNotifier notifier(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&]() {
        char buf[4096];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            eof = true;
            notifier.setEnabled(false);
        } else {
            pending.append(buf, static_cast<int>(n));
        }
    });
    for (;;) {
        m_net.waitFor([&]() { return eof || pending.contains('\n'); }, 3600 * 1000);
        const int nl = pending.indexOf('\n');
        if (nl < 0 && !eof)
            continue;
        const QByteArray line = (nl >= 0 ? pending.left(nl) : pending).trimmed();
        pending = nl >= 0 ? pending.mid(nl + 1) : QByteArray();
        if (!line.isEmpty())
            take(one(QString::fromUtf8(line)));
        if (eof && pending.trimmed().isEmpty())
            return result;
    }
}
