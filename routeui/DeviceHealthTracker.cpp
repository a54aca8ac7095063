#include "DeviceHealthTracker.h"

#include <QCoreApplication>

namespace {

const char* const kContext = "NetStateForm";

} // namespace

void DeviceHealthTracker::setChinese(bool chinese)
{
    m_chinese = chinese;
    for (Health& h : m_health)
        h.message = messageFor(h.warning, h.name);
}

bool DeviceHealthTracker::countPoll(const QString& devId, const QString& name)
{
    Health& h = m_health[devId];
    h.name = name;
    // Saturate: a device silent for days must not wrap the count back to "answering".
    if (h.unanswered < kUnansweredLimit)
        ++h.unanswered;
    if (h.unanswered < kUnansweredLimit)
        return false;
    return setWarning(h, CommunicationLost);
}

bool DeviceHealthTracker::takeReply(const DebugInfoReply& reply, const QString& fallbackName)
{
    if (!reply.valid)
        return false;
    Health& h = m_health[reply.devId];
    h.name = reply.devName.isEmpty() ? fallbackName : reply.devName;
    h.unanswered = 0;
    h.temperatureText = DebugInfoReply::temperatureText(reply.temperature);
    h.uptimeText = DebugInfoReply::uptimeText(reply.uptimeSeconds);
    return setWarning(h, warningForTemperature(reply.temperature));
}

bool DeviceHealthTracker::remove(const QString& devId)
{
    return m_health.remove(devId) > 0;
}

QString DeviceHealthTracker::globalWarningDevId(const QStringList& order) const
{
    QString best;
    Warning bestWarning = NoWarning;
    auto consider = [&](const QString& devId) {
        const auto it = m_health.constFind(devId);
        if (it != m_health.constEnd() && it->warning > bestWarning) {
            bestWarning = it->warning;
            best = devId;
        }
    };
    for (const QString& devId : order)
        consider(devId);
    // Devices not shown (yet) still count; sorted so that the choice does not depend on hashing.
    QStringList rest;
    for (auto it = m_health.constBegin(); it != m_health.constEnd(); ++it) {
        if (!order.contains(it.key()))
            rest.append(it.key());
    }
    rest.sort();
    for (const QString& devId : rest)
        consider(devId);
    return best;
}

DeviceHealthTracker::Warning DeviceHealthTracker::warningForTemperature(double celsius)
{
    if (celsius > 85.0)
        return TemperatureAbnormal;
    if (celsius > 80.0)
        return TemperatureHigh;
    return NoWarning;
}

QString DeviceHealthTracker::messageFor(Warning warning, const QString& name) const
{
    switch (warning) {
    case CommunicationLost:
        return m_chinese ? name + QCoreApplication::translate(kContext, "通信异常，请检查网络连接")
                         : name + QStringLiteral(" communication is abnormal, please check the network connection");
    case TemperatureHigh:
        return m_chinese
                   ? QCoreApplication::translate(kContext, "%1 温度过高，请注意散热").arg(name)
                   : QStringLiteral("%1 temperature is too high, please pay attention to heat dissipation").arg(name);
    case TemperatureAbnormal:
        return m_chinese ? QCoreApplication::translate(kContext, "%1 温度异常，请检查设备").arg(name)
                         : QStringLiteral("%1 temperature is abnormal, please check the equipment").arg(name);
    case NoWarning:
        break;
    }
    return QString();
}

bool DeviceHealthTracker::setWarning(Health& h, Warning w)
{
    const QString message = messageFor(w, h.name);
    if (h.warning == w && h.message == message)
        return false;
    h.warning = w;
    h.message = message;
    return true;
}
