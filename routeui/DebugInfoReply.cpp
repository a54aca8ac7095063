#include "DebugInfoReply.h"

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

// Values are text on the wire; a number sent as a JSON number is read the same way.
QString text(const QJsonObject& o, const char* key)
{
    return o.value(QLatin1String(key)).toVariant().toString();
}

} // namespace

DebugInfoReply DebugInfoReply::parse(const QString& msg)
{
    DebugInfoReply r;
    if (isProcessorReply(msg))
        return r;
    const QJsonObject o = QJsonDocument::fromJson(msg.toUtf8()).object();
    if (o.value(QLatin1String("ops")).toString() != QLatin1String("getDebugInfo") ||
        o.value(QLatin1String("result")).toString() != QLatin1String("succ"))
        return r;
    r.devId = text(o, "devId");
    if (r.devId.isEmpty())
        return r;
    r.devName = text(o, "devName");
    // Every value is text on the wire; an empty or unreadable number counts as 0.
    r.temperature = text(o, "temp").trimmed().toDouble() / 1000.0;
    r.uptimeSeconds = text(o, "uptime").trimmed().toLongLong();
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
