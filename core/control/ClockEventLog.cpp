#include "ClockEventLog.h"

#include <QJsonDocument>

ClockEventLog::ClockEventLog(int limit) : m_limit(qMax(1, limit)) {}

QString ClockEventLog::eventLine(const QJsonObject& message, const QString& deviceIp)
{
    if (deviceIp.isEmpty() || message.value(QLatin1String("ops")).toString() != QLatin1String("clockEvent") ||
        message.value(QLatin1String("remoteIp")).toString() != deviceIp)
        return QString();
    QJsonObject rest = message;
    rest.remove(QLatin1String("ops"));
    rest.remove(QLatin1String("remoteIp"));
    return QString::fromUtf8(QJsonDocument(rest).toJson(QJsonDocument::Compact));
}

int ClockEventLog::append(const QString& line)
{
    if (!m_text.isEmpty())
        m_text += QLatin1Char('\n');
    m_text += line;
    const int cut = qMax(0, m_text.size() - m_limit);
    if (cut > 0)
        m_text.remove(0, cut);
    return cut;
}
