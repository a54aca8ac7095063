#include "DeviceRequests.h"

#include "DevManager.h"

#include <QJsonDocument>

namespace {

QJsonObject ops(const char* name)
{
    QJsonObject o;
    o.insert(QStringLiteral("ops"), QLatin1String(name));
    return o;
}

} // namespace

QJsonValue DeviceRequests::asText(const QJsonValue& v)
{
    switch (v.type()) {
    case QJsonValue::Double: {
        const double d = v.toDouble();
        const qint64 whole = qint64(d);
        return double(whole) == d ? QString::number(whole) : QString::number(d, 'g', 17);
    }
    case QJsonValue::Bool:
        return QLatin1String(v.toBool() ? "1" : "0");
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return QString();
    default:
        return v;
    }
}

QByteArray DeviceRequests::compose(const QJsonObject& request)
{
    QJsonObject out;
    for (auto it = request.begin(); it != request.end(); ++it)
        out.insert(it.key(), asText(it.value()));
    // QJsonObject keeps its keys sorted, so the compact text lists them in ascending order.
    return QJsonDocument(out).toJson(QJsonDocument::Compact);
}

QVector<DeviceRequests::Request> DeviceRequests::firstRequests(uint32_t ip, int commandPort)
{
    QJsonObject dspLock = ops("getLock");
    dspLock.insert(QStringLiteral("uiTag"), QStringLiteral("dspUiTag"));
    QJsonObject password = ops("setPassword");
    password.insert(QStringLiteral("isByself"), QStringLiteral("isByself"));
    password.insert(QStringLiteral("old"), QString());
    password.insert(QStringLiteral("new"), QString());
    QJsonObject names = ops("getAllChNameRx");
    names.insert(QStringLiteral("idStart"), QStringLiteral("0"));
    QJsonObject oem = ops("getOemData");
    oem.insert(QStringLiteral("name"), QStringLiteral("customOemType"));

    // A port the registry would refuse to ask is not asked here either.
    const bool portOk = commandPort > 0 && commandPort <= 65535;
    const auto cmdPort = uint16_t(commandPort);
    QVector<Request> out;
    out.push_back({compose(ops("getLock")), ip, kLockPort});
    out.push_back({compose(dspLock), ip, kDspPort});
    out.push_back({compose(password), ip, kServicePort});
    if (portOk)
        out.push_back({compose(names), ip, cmdPort});
    out.push_back({compose(ops("getVersion")), ip, kServicePort});
    out.push_back({compose(ops("getDebugInfo")), ip, kServicePort});
    out.push_back({compose(oem), ip, kServicePort});
    out.push_back({compose(ops("getIp")), ip, kServicePort});
    if (portOk)
        out.push_back({compose(ops("getCustomStr")), ip, cmdPort});
    return out;
}

int DeviceRequests::sendAll(const QVector<Request>& requests)
{
    int sent = 0;
    for (const Request& r : requests) {
        if (libCallUser_sendUdp(r.bytes.constData(), r.bytes.size(), r.ip, r.port) == r.bytes.size())
            ++sent;
    }
    return sent;
}
