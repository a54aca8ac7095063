#include "SimReply.h"

#include "SimNetwork.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>

QString SimReply::text(const SimRequest& req, const char* key)
{
    return req.message.value(QLatin1String(key)).toString();
}

QJsonObject SimReply::succ(const SimRequest& req)
{
    return QJsonObject{{QStringLiteral("ops"), text(req, "ops")},
                       {QStringLiteral("devId"), req.network.device(req.deviceIndex).devId()},
                       {QStringLiteral("result"), QStringLiteral("succ")}};
}

QJsonObject SimReply::fail(const SimRequest& req, const QString& reason)
{
    QJsonObject o = succ(req);
    o.insert(QStringLiteral("result"), QStringLiteral("fail"));
    o.insert(QStringLiteral("reason"), reason);
    return o;
}

QJsonObject SimReply::withTags(const SimRequest& req, QJsonObject reply)
{
    return echo(req, std::move(reply), {"uiTag", "cookie"});
}

QJsonObject SimReply::echo(const SimRequest& req, QJsonObject reply, std::initializer_list<const char*> keys)
{
    for (const char* key : keys) {
        const QJsonValue v = req.message.value(QLatin1String(key));
        if (!v.isUndefined())
            reply.insert(QLatin1String(key), v);
    }
    return reply;
}

std::optional<double> SimReply::readDouble(const QJsonObject& message, const char* key)
{
    const QJsonValue v = message.value(QLatin1String(key));
    bool ok = v.isDouble();
    double d = v.toDouble();
    if (v.isString())
        d = v.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<int> SimReply::readIntIn(const QJsonObject& message, const char* key, int min, int max)
{
    const std::optional<int> n = SimCommandHandlers::readInt(message, key);
    if (!n || *n < min || *n > max)
        return std::nullopt;
    return n;
}

QJsonObject SimReply::page(QJsonObject reply, const QStringList& values, int idStart, int pageSize, int maxBytes)
{
    const int end = static_cast<int>(std::min<qint64>(qint64(idStart) + std::max(pageSize, 1), values.size()));
    reply.insert(QStringLiteral("idStart"), QString::number(idStart));
    reply.insert(QStringLiteral("idNext"), QString::number(end));
    reply.insert(QStringLiteral("arr"), QJsonArray());
    const int frame = QJsonDocument(reply).toJson(QJsonDocument::Compact).size();
    QJsonArray arr;
    int bytes = frame;
    int next = end;
    for (int id = idStart; id < end; ++id) {
        // Each text costs its quotes and a comma; the idNext text never grows as the page shrinks.
        const int cost = QJsonDocument(QJsonArray{values[id]}).toJson(QJsonDocument::Compact).size() - 1;
        if (!arr.isEmpty() && bytes + cost > maxBytes) {
            next = id;
            break;
        }
        bytes += cost;
        arr.append(values[id]);
    }
    reply.insert(QStringLiteral("arr"), arr);
    reply.insert(QStringLiteral("idNext"), QString::number(next));
    return reply;
}
