#include "DebugInfoReply.h"

#include "ReplyFields.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The processor windows' replies share the bus; they are recognised by their text alone.
bool isProcessorReply(const QString& msg)
{
    if (msg.contains(QLatin1String("superMatrixUiTag")) || msg.contains(QLatin1String("dspUiTag")))
        return true;
    return msg.contains(QLatin1String("\"cookie\":\"0\""));
}

} // namespace

DebugInfoReply DebugInfoReply::parse(const QString& msg)
{
    DebugInfoReply r;
    if (isProcessorReply(msg))
        return r;
    const QJsonObject o = QJsonDocument::fromJson(msg.toUtf8()).object();
    if (ReplyFields::text(o, "ops") != QLatin1String("getDebugInfo") || !ReplyFields::succeeded(o))
        return r;
    r.devId = ReplyFields::text(o, "devId");
    if (r.devId.isEmpty())
        return r;
    r.devName = ReplyFields::text(o, "devName");
    // An empty or unreadable number counts as 0.
    r.temperature = ReplyFields::real(o, "temp") / 1000.0;
    r.uptimeSeconds = ReplyFields::text(o, "uptime").trimmed().toLongLong();
    r.valid = true;
    return r;
}

QString DebugInfoReply::temperatureText(double celsius)
{
    return QString::asprintf("%.1f", celsius) + QStringLiteral("℃");
}

QString DebugInfoReply::uptimeText(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3").arg(seconds / 3600).arg(seconds / 60 % 60).arg(seconds % 60);
}

qint64 DebugInfoReply::uptimeSecondsOf(const QString& text)
{
    if (!text.contains(QLatin1Char(':')))
        return -1;
    const QStringList parts = text.split(QLatin1Char(':'));
    qint64 total = 0;
    // Read from the right: seconds, minutes, hours.
    static const qint64 weights[] = {1, 60, 3600};
    for (int i = 0; i < parts.size() && i < 3; ++i)
        total += parts.at(parts.size() - 1 - i).trimmed().toLongLong() * weights[i];
    return total;
}
