#include "McastForwarder.h"

#include "CoreLog.h"
#include "DevManager.h"
#include "LogRedaction.h"
#include "UntrustedJson.h"

#include <QJsonDocument>
#include <QJsonObject>

McastForward forwardMcastDatagram(const char* data, int length, uint32_t srcIp)
{
    McastForward out;
    const QByteArray bytes = QByteArray::fromRawData(data, length);
    // Announcements from every device every second have been read by the registry already; only
    // clock events and identify requests need a second look, so the rest is not parsed again.
    if (!bytes.contains("\"event\"") && !bytes.contains("devReqGuiBlink"))
        return out;
    QJsonDocument doc;
    const dvm::JsonVerdict verdict = dvm::parseUntrustedJson(bytes, &doc);
    if (verdict == dvm::JsonVerdict::Refused)
        return out;
    QJsonObject obj;
    if (verdict != dvm::JsonVerdict::Parsed)
        MERIDANE_NET_LOG("mainwindow", "MyThread::handleUdpMcast");
    else
        obj = doc.object();

    const QString ops = obj.value(QStringLiteral("ops")).toString();
    const QString event = obj.value(QStringLiteral("event")).toString();
    if (!event.isEmpty()) {
        obj.insert(QStringLiteral("ops"), QStringLiteral("clockEvent"));
        obj.insert(QStringLiteral("remoteIp"), dvm_ipToString(srcIp));
        out.kind = McastForward::ClockEvent;
        out.event = event;
        out.text = QString::fromUtf8(QJsonDocument(obj).toJson(QJsonDocument::Compact));
    } else if (ops == QLatin1String("devReqGuiBlink")) {
        qCDebug(lcNet) << "MainWindow"
                       << "handleUdpMcast => ops:" << ops << LogRedaction::redacted(obj);
        out.kind = McastForward::Blink;
        out.text = obj.value(QStringLiteral("devId")).toString();
    }
    return out;
}
