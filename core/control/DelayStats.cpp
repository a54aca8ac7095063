#include "DelayStats.h"

#include "DevManager.h"

#include <QJsonDocument>
#include <cmath>

namespace {

const char* const kKeys[DelayStats::FieldCount] = {"total", "in125",  "in250", "in500", "in1ms",       "in2ms",
                                                   "in4ms", "out4ms", "avgUs", "maxUs", "notContinue", "exceedDelay"};

QString message(const char* ops, const QString& devId, int sdpId)
{
    const QJsonObject o{{QStringLiteral("ops"), QLatin1String(ops)},
                        {QStringLiteral("devId"), devId},
                        {QStringLiteral("sdpId"), QString::number(sdpId)}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

double readValue(const QJsonValue& v)
{
    bool ok = v.isDouble();
    const double d = ok ? v.toDouble() : v.toString().trimmed().toDouble(&ok);
    return ok && std::isfinite(d) && d > 0 ? d : 0.0;
}

} // namespace

QString DelayStats::key(Field field)
{
    return field >= 0 && field < FieldCount ? QLatin1String(kKeys[field]) : QString();
}

DelayStats DelayStats::fromReply(const QJsonObject& reply)
{
    DelayStats s;
    for (int f = 0; f < FieldCount; ++f)
        s.m_values[size_t(f)] = readValue(reply.value(QLatin1String(kKeys[f])));
    return s;
}

QString DelayStats::text(Field field) const
{
    const double v = value(field);
    if (v == std::floor(v) && v < 9.0e15)
        return QString::number(static_cast<qint64>(v));
    QString t = QString::number(v, 'f', 2);
    while (t.endsWith(QLatin1Char('0')))
        t.chop(1);
    if (t.endsWith(QLatin1Char('.')))
        t.chop(1);
    return t;
}

double DelayStats::share(int index) const
{
    const double total = value(Total);
    if (index < 0 || index >= kBucketCount || total <= 0)
        return 0.0;
    return qBound(0.0, value(Field(In125 + index)) / total, 1.0);
}

QString DelayStats::getRequest(const QString& devId, bool multicast, int sdpId)
{
    return message(multicast ? "getDelayStatMcast" : "getDelayStatUcast", devId, sdpId);
}

QString DelayStats::clearRequest(const QString& devId, bool multicast, int sdpId)
{
    return message(multicast ? "clrDelayStatMcast" : "clrDelayStatUcast", devId, sdpId);
}

bool DelayStats::isStatsOps(const QString& ops, bool* multicast, bool* clear)
{
    static const char* const kOps[4] = {"getDelayStatUcast", "getDelayStatMcast", "clrDelayStatUcast",
                                        "clrDelayStatMcast"};
    for (int i = 0; i < 4; ++i) {
        if (ops == QLatin1String(kOps[i])) {
            *multicast = (i % 2) == 1;
            *clear = i >= 2;
            return true;
        }
    }
    return false;
}

QString DelayStats::unicastEntryText(const QString& label, uint32_t srcIp, uint32_t dstIp)
{
    return QStringLiteral("ucast:") + label + QLatin1Char(' ') + dvm_ipToString(srcIp) + QStringLiteral("->") +
           dvm_ipToString(dstIp);
}

QString DelayStats::multicastEntryText(const QString& label, uint32_t groupIp)
{
    return QStringLiteral("mcast:") + label + QLatin1Char(' ') + dvm_ipToString(groupIp);
}
