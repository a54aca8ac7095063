#include "CtlReply.h"

#include "CtlExit.h"
#include "LogRedaction.h"
#include "ReasonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace {

QString fieldText(const QJsonValue& v)
{
    if (v.isObject())
        return QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
    if (v.isArray())
        return QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
    if (v.isDouble())
        return QString::number(v.toDouble(), 'g', 15);
    if (v.isBool())
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return v.toString();
}

} // namespace

int CtlReply::exitCode(const QJsonObject& reply)
{
    if (!reply.contains(QStringLiteral("result")))
        return CtlExit::kOk;
    return fieldText(reply.value(QStringLiteral("result"))) == QLatin1String("succ") ? CtlExit::kOk : CtlExit::kRefused;
}

QString CtlReply::refusalText(const QJsonObject& reply, bool chinese)
{
    const QString reason = fieldText(reply.value(QStringLiteral("reason")));
    if (!reason.isEmpty())
        return ReasonText::forReason(reason, chinese);
    return QStringLiteral("%1: %2").arg(fieldText(reply.value(QStringLiteral("ops"))),
                                        fieldText(reply.value(QStringLiteral("result"))));
}

QString CtlReply::describe(const QJsonObject& shown)
{
    const QJsonObject reply = LogRedaction::redacted(shown);
    static const QStringList kHead = {QStringLiteral("ops"), QStringLiteral("devId"), QStringLiteral("result")};
    QString line = fieldText(reply.value(QStringLiteral("ops")));
    const QString devId = fieldText(reply.value(QStringLiteral("devId")));
    if (!devId.isEmpty())
        line += QLatin1Char(' ') + devId;
    if (reply.contains(QStringLiteral("result")))
        line += QStringLiteral(": ") + fieldText(reply.value(QStringLiteral("result")));
    for (auto it = reply.constBegin(); it != reply.constEnd(); ++it) {
        if (kHead.contains(it.key()))
            continue;
        line += QLatin1Char(' ') + it.key() + QLatin1Char('=') + fieldText(it.value());
    }
    return line;
}
