#include "WatchPrinter.h"

#include "CtlOutput.h"
#include "DevManager.h"
#include "LogRedaction.h"

#include <QJsonDocument>
#include <cstring>

void WatchPrinter::print(const QJsonObject& line)
{
    CtlOutput::write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
}

QJsonObject WatchPrinter::devEvent(const char* event, const QString& devId)
{
    const QByteArray id = devId.toUtf8();
    if (const DevRecord* rec = findDevById(id.constData())) {
        DevHeader h;
        dvm_copyDevHeader(rec, &h);
        m_known.insert(devId, qMakePair(QString::fromUtf8(h.name, static_cast<int>(strnlen(h.name, sizeof h.name))),
                                        dvm_ipToString(h.ip)));
    }
    const auto known = m_known.value(devId);
    return QJsonObject{{"event", event}, {"devId", devId}, {"name", known.first}, {"ip", known.second}};
}

void WatchPrinter::recvAddDev(const QString& devId)
{
    print(devEvent("addDev", devId));
}

void WatchPrinter::recvUpdateDev(const QString& devId)
{
    print(devEvent("updateDev", devId));
}

void WatchPrinter::recvDelDev(const QString& devId)
{
    const auto known = m_known.take(devId);
    print(QJsonObject{{"event", "delDev"}, {"devId", devId}, {"name", known.first}, {"ip", known.second}});
}

void WatchPrinter::recvAddMcast(const QString& dstIp)
{
    print(QJsonObject{{"event", "addMcast"}, {"dstIp", dstIp}});
}

void WatchPrinter::recvDelMcast(uint32_t dstIp)
{
    print(QJsonObject{{"event", "delMcast"}, {"dstIp", dvm_ipToString(dstIp)}});
}

void WatchPrinter::recvRefreshRoute()
{
    print(QJsonObject{{"event", "updateRoute"}});
}

void WatchPrinter::recvBackData(const QString& msg)
{
    print(QJsonObject{{"event", "backData"}, {"msg", QString::fromUtf8(LogRedaction::redacted(msg.toUtf8()))}});
}

void WatchPrinter::recvMessage(const QString& msg)
{
    // Forwarded datagrams come from anyone on the network; a password echoed in one is not printed.
    const QJsonDocument doc = QJsonDocument::fromJson(msg.toUtf8());
    print(QJsonObject{{"event", "message"},
                      {"msg", doc.isObject() ? QJsonValue(LogRedaction::redacted(doc.object()))
                                             : QJsonValue(QString::fromUtf8(LogRedaction::redacted(msg.toUtf8())))}});
}

void WatchPrinter::recvBlinkingDev(const QString& devId)
{
    print(QJsonObject{{"event", "blinkingDev"}, {"devId", devId}});
}

void WatchPrinter::recvUnBlinkingDev(const QString& devId)
{
    print(QJsonObject{{"event", "unBlinkingDev"}, {"devId", devId}});
}
