#include "CtlDspFetch.h"

#include "CtlExit.h"
#include "CtlNetwork.h"
#include "CtlOptions.h"
#include "CtlOutput.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "DspBlockingExchange.h"
#include "DspEnvelope.h"
#include "ModelTable.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const quint16 kDspPort = 8999;

CtlDspFetch::Target failed(int code, const QString& error)
{
    CtlDspFetch::Target t;
    t.exitCode = code;
    t.error = error;
    return t;
}

/// The single device whose name is `text`, exactly first, then ignoring case.
CtlDspFetch::Target byName(const QVector<DevDetail_t>& devices, const QString& text)
{
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        QVector<const DevDetail_t*> hits;
        for (const DevDetail_t& d : devices)
            if (QString::compare(d.name, text, cs) == 0)
                hits.append(&d);
        if (hits.size() > 1) {
            QStringList names;
            for (const DevDetail_t* d : hits)
                names << QStringLiteral("%1 (%2)").arg(d->name, d->devId);
            return failed(CtlExit::kUnknown, QStringLiteral("\"%1\" names several devices: %2; name it by its devId")
                                                 .arg(text, names.join(QStringLiteral(", "))));
        }
        if (hits.size() == 1) {
            CtlDspFetch::Target t;
            t.detail = *hits.first();
            return t;
        }
    }
    return failed(CtlExit::kUnknown, QStringLiteral("no device \"%1\" on the network").arg(text));
}

} // namespace

CtlDspFetch::Target CtlDspFetch::resolve(const QVector<DevDetail_t>& devices, const QString& text)
{
    Target t;
    QHostAddress address;
    const bool isAddress = address.setAddress(text) && address.protocol() == QAbstractSocket::IPv4Protocol;
    bool found = false;
    for (const DevDetail_t& d : devices) {
        if (d.devId == text || (isAddress && d.ip == address.toIPv4Address())) {
            t.detail = d;
            found = true;
            break;
        }
    }
    if (!found) {
        t = byName(devices, text);
        if (t.exitCode != 0)
            return t;
    }
    const ModelTable& models = ModelTable::instance();
    const QString who = QStringLiteral("%1 (%2, model %3)").arg(t.detail.name, t.detail.devId, t.detail.model);
    if (!models.hasDsp(t.detail.model))
        return failed(CtlExit::kRefused, QStringLiteral("%1 is not a processor model").arg(who));
    if (models.isVirtualMixer(t.detail.model))
        return failed(CtlExit::kRefused, QStringLiteral("%1 has no processor service to read").arg(who));
    t.dspIp = t.detail.ip;
    // A separate processor whose address is not known yet is reached through the device, as the dialog does.
    if (models.hasSeparateDspAddress(t.detail.model)) {
        const uint32_t own = DevDetailStore::instance().dspAddress(t.detail.devId);
        if (own != 0)
            t.dspIp = own;
    }
    return t;
}

bool CtlDspFetch::configOf(const QString& reply, QByteArray* config, QString* error, int* exitCode)
{
    *exitCode = CtlExit::kNoReply;
    for (const QString& broken :
         {DspBlockingExchange::connectFailedText(), DspBlockingExchange::timeoutText(),
          DspBlockingExchange::readLengthErrorText(), DspBlockingExchange::parseLengthErrorText()}) {
        if (reply == broken) {
            *error = QStringLiteral("no answer from the processor: %1").arg(reply);
            return false;
        }
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(reply.toUtf8(), &parseError);
    if (!doc.isObject()) {
        *error = QStringLiteral("the processor's answer is not a JSON object");
        return false;
    }
    const QJsonObject o = doc.object();
    const QString ops = o.value(QLatin1String("ops")).toString();
    if (!ops.isEmpty() && ops != QLatin1String("getConfig")) {
        *error = QStringLiteral("the processor answered \"%1\" instead of the configuration").arg(ops);
        return false;
    }
    if (o.value(QLatin1String("result")).toString() != QLatin1String("succ")) {
        *exitCode = CtlExit::kRefused;
        const QString reason = o.value(QLatin1String("reason")).toString();
        *error = QStringLiteral("the processor refused: %1")
                     .arg(reason.isEmpty() ? QStringLiteral("no reason given") : reason);
        return false;
    }
    if (!o.value(QLatin1String("config")).isObject()) {
        *error = QStringLiteral("the processor's answer carries no configuration");
        return false;
    }
    *config = QJsonDocument(o.value(QLatin1String("config")).toObject()).toJson(QJsonDocument::Compact);
    *exitCode = CtlExit::kOk;
    return true;
}

int CtlDspFetch::fetch(const QString& text, QByteArray* config, Target* target)
{
    m_net.waitFor([&]() { return resolve(m_net.store().devDetails(), text).exitCode != CtlExit::kUnknown; },
                  m_options.discoveryMs());
    *target = resolve(m_net.store().devDetails(), text);
    if (target->exitCode != 0) {
        CtlOutput::fail(target->error);
        return target->exitCode;
    }
    QJsonObject request{{QStringLiteral("ops"), QStringLiteral("getConfig")},
                        {QStringLiteral("uiTag"), QStringLiteral("dspUiTag")}};
    const QString body = DspEnvelope::tcp(target->detail.devId, DspEnvelope::udp(request));
    const QString where = QStringLiteral("%1:%2").arg(dvm_ipToString(target->dspIp)).arg(kDspPort);
    if (m_options.dryRun) {
        CtlOutput::write((QStringLiteral("TCP %1 %2\n").arg(where, body)).toUtf8());
        return CtlExit::kOk;
    }
    const QString reply =
        DspBlockingExchange::request(target->dspIp, body, m_options.timeoutMs, m_options.timeoutMs, kDspPort);
    QString error;
    int code = CtlExit::kOk;
    if (!configOf(reply, config, &error, &code)) {
        CtlOutput::fail(QStringLiteral("%1 at %2: %3").arg(target->detail.name, where, error));
        return code;
    }
    return CtlExit::kOk;
}
