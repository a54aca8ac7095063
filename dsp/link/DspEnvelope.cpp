#include "DspEnvelope.h"

#include <QJsonDocument>

namespace DspEnvelope {

QString tcp(const QString& devId, const QString& request)
{
    QJsonObject head;
    head.insert(QStringLiteral("devId"), devId);
    QString text = QString::fromUtf8(QJsonDocument(head).toJson(QJsonDocument::Compact));
    text.chop(1); // the closing brace

    QString rest = request.trimmed();
    if (rest.startsWith(QLatin1Char('{'))) {
        rest.remove(0, 1);
    }
    // "{}" would otherwise leave as {"devId":"A1", } which no JSON reader accepts.
    if (rest.trimmed() == QLatin1String("}")) {
        return text + QLatin1Char('}');
    }
    return text + QStringLiteral(", ") + rest;
}

QString udp(const QJsonObject& request)
{
    return QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact));
}

bool isPolledQuiet(const QString& text)
{
    return text.contains(QLatin1String("getAutomixActive")) || text.contains(QLatin1String("getAutomixVolumeDbPost")) ||
           text.contains(QLatin1String("getBorderProcStatus"));
}

} // namespace DspEnvelope
