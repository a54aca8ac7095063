#include "CommandTranslator.h"

#include "CommandCatalogue.h"
#include "DeviceRequests.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const uint32_t kBroadcast = 0xFFFFFFFFu;

QString scalarText(const QJsonValue& v)
{
    return DeviceRequests::asText(v).toString();
}

bool isTxSide(const QJsonObject& msg)
{
    return scalarText(msg.value(QStringLiteral("inOrOut"))).toInt() != 0;
}

} // namespace

CommandTranslator::CommandTranslator(DetailLookup lookup) : m_lookup(std::move(lookup)) {}

DeviceRequest CommandTranslator::translate(const QString& message) const
{
    DeviceRequest out;
    const QJsonDocument doc = QJsonDocument::fromJson(message.toUtf8());
    if (!doc.isObject())
        return out;
    const QJsonObject msg = doc.object();
    const QString ops = msg.value(QStringLiteral("ops")).toString();
    const CommandRow* row = CommandCatalogue::instance().find(ops);
    if (!row)
        return out;
    const DevDetail_t dev = m_lookup(scalarText(msg.value(QStringLiteral("devId"))));
    if (row->portKind != CommandRow::Broadcast && dev.isEmpty())
        return out;

    switch (row->body) {
    case CommandRow::Unchanged:
        out.body = QJsonDocument(msg).toJson(QJsonDocument::Compact);
        break;
    case CommandRow::RawCmd:
        out.body = scalarText(msg.value(QStringLiteral("cmd"))).toUtf8();
        break;
    case CommandRow::Fields: {
        QJsonObject req; // QJsonObject keeps its keys sorted, as the devices expect
        req.insert(QStringLiteral("ops"), row->rxOps.isEmpty() || isTxSide(msg) ? row->txOps : row->rxOps);
        for (const CommandRow::Field& f : row->fields) {
            const QJsonValue v = msg.value(f.from);
            switch (f.kind) {
            case CommandRow::Field::Integer:
                req.insert(f.to, QString::number(scalarText(v).toLongLong()));
                break;
            case CommandRow::Field::Object:
                req.insert(f.to, v.toObject());
                break;
            case CommandRow::Field::Array:
                req.insert(f.to, v.toArray());
                break;
            default:
                req.insert(f.to, scalarText(v));
                break;
            }
        }
        out.body = QJsonDocument(req).toJson(QJsonDocument::Compact);
        break;
    }
    }

    switch (row->portKind) {
    case CommandRow::Broadcast:
        out.ip = kBroadcast;
        out.port = row->port;
        break;
    case CommandRow::FixedPort:
        out.ip = dev.ip;
        out.port = row->port;
        break;
    default:
        out.ip = dev.ip;
        out.port = static_cast<uint16_t>(dev.port > 0 && dev.port <= 65535 ? dev.port : 0);
        break;
    }
    return out;
}
