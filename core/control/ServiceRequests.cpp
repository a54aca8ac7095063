#include "ServiceRequests.h"

#include "FirmwareVersion.h"
#include "UntrustedJson.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>

namespace ServiceRequests {

QByteArray sshRequest(const QString& address)
{
    return QByteArrayLiteral("hostname=") + address.toUtf8() + QByteArrayLiteral(" startSsh");
}

bool sshStarted(const QString& answer)
{
    return answer.contains(QLatin1String("startSsh ok"));
}

QString oldResetSpellingBefore()
{
    return QStringLiteral("3.1.0");
}

bool anyLockSet(const DevDetail_t& detail)
{
    return detail.routeLock != 0 || detail.detailLock != 0 || detail.dspLockLevel != 0;
}

QVector<QByteArray> resetRequests(const QString& firmware)
{
    QVector<QByteArray> out{QByteArrayLiteral(R"({"ops":"resetFactory"})")};
    if (FirmwareVersion::before(firmware, oldResetSpellingBefore()))
        out.append(QByteArrayLiteral(R"({"ops":"resetFacotry"})"));
    return out;
}

bool resetSucceeded(const QString& answer)
{
    return answer.contains(QLatin1String("succ"));
}

QStringList cpuChoices()
{
    return {QStringLiteral("Default"), QStringLiteral("408000"),  QStringLiteral("600000"),
            QStringLiteral("816000"),  QStringLiteral("1008000"), QStringLiteral("1200000")};
}

QJsonObject cpuSetMessage(int index, const QString& devId)
{
    const QStringList choices = cpuChoices();
    const QString val = index > 0 && index < choices.size() ? choices.at(index) : QStringLiteral("0");
    return {{QStringLiteral("ops"), QStringLiteral("setOemData")},
            {QStringLiteral("devId"), devId},
            {QStringLiteral("name"), QStringLiteral("cpuKHz")},
            {QStringLiteral("val"), val}};
}

QJsonObject cpuGetMessage(const QString& devId)
{
    return {{QStringLiteral("ops"), QStringLiteral("getOemData")},
            {QStringLiteral("devId"), devId},
            {QStringLiteral("name"), QStringLiteral("cpuKHz")}};
}

int cpuChoiceOf(const QString& val)
{
    const int i = cpuChoices().indexOf(val.trimmed());
    return i > 0 ? i : 0;
}

QString moduleTag()
{
    return QStringLiteral("devtestUiTag");
}

QByteArray moduleRequest()
{
    return QJsonDocument(QJsonObject{{QStringLiteral("ops"), QStringLiteral("getPowerGainInfo")},
                                     {QStringLiteral("uiTag"), moduleTag()}})
        .toJson(QJsonDocument::Compact);
}

QString moduleSummary(const QJsonObject& reply)
{
    constexpr int kMaxModuleChannels = 64;
    if (reply.value(QStringLiteral("ops")).toString() != QLatin1String("getPowerGainInfo") ||
        reply.value(QStringLiteral("uiTag")).toString() != moduleTag() ||
        reply.value(QStringLiteral("result")).toString() != QLatin1String("succ"))
        return QString();
    const QJsonArray power = reply.value(QStringLiteral("powerArr")).toArray();
    const QJsonArray steps = reply.value(QStringLiteral("gainArr")).toArray();
    if (power.isEmpty() || power.size() > kMaxModuleChannels || steps.size() > kMaxModuleChannels)
        return QString();
    int on = 0;
    for (const QJsonValue& p : power)
        on += p.toString() == QLatin1String("1") ? 1 : 0;
    QStringList stepTexts;
    for (const QJsonValue& step : steps) {
        bool ok = false;
        const double db = step.toString().toDouble(&ok);
        if (!ok || db < -200 || db > 200)
            return QString();
        stepTexts.append(QString::number(db));
    }
    QString line = QStringLiteral("%1 ch, power %2/%1").arg(power.size()).arg(on);
    if (!stepTexts.isEmpty())
        line += QStringLiteral(", steps %1 dB").arg(stepTexts.join(QLatin1Char('/')));
    return line;
}

QString uptimeText(const QString& uptime)
{
    bool ok = false;
    const qlonglong s = uptime.trimmed().toLongLong(&ok);
    // Beyond a century of seconds the text is no up-time.
    if (!ok || s < 0 || s > 3155760000LL)
        return QStringLiteral("-");
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString temperatureText(const QString& milli)
{
    bool ok = false;
    const double m = milli.trimmed().toDouble(&ok);
    if (!ok || !(m > -1e6 && m < 1e6))
        return QStringLiteral("-");
    return QString::number(m / 1000.0, 'f', 1) + QStringLiteral(" °C");
}

UdpToolRequest udpToolRequest(const QString& ip, const QString& port, const QString& devId, const QString& text)
{
    UdpToolRequest r;
    QHostAddress address;
    if (!address.setAddress(ip.trimmed()) || address.protocol() != QAbstractSocket::IPv4Protocol) {
        r.error = QStringLiteral("IP?");
        return r;
    }
    bool ok = false;
    const int p = port.trimmed().toInt(&ok);
    if (!ok || p < 1 || p > 65535) {
        r.error = QStringLiteral("Port: 1-65535");
        return r;
    }
    if (text.isEmpty()) {
        r.error = QStringLiteral("No Message");
        return r;
    }
    QByteArray bytes = text.toUtf8();
    QJsonDocument doc;
    if (!devId.trimmed().isEmpty() && dvm::parseUntrustedJson(bytes, &doc) == dvm::JsonVerdict::Parsed &&
        doc.isObject() && !doc.object().contains(QStringLiteral("devId"))) {
        QJsonObject o = doc.object();
        o.insert(QStringLiteral("devId"), devId.trimmed());
        bytes = QJsonDocument(o).toJson(QJsonDocument::Compact);
    }
    if (bytes.size() > kMaxUdpToolBytes) {
        r.error = QStringLiteral("> %1 bytes").arg(kMaxUdpToolBytes);
        return r;
    }
    r.ip = address.toIPv4Address();
    r.port = quint16(p);
    r.bytes = bytes;
    return r;
}

} // namespace ServiceRequests
