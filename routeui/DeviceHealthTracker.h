#pragma once
#include "DebugInfoReply.h"

#include <QHash>
#include <QString>
#include <QStringList>

/// The per-device polling state of the network state page: unanswered polls, the last reported
/// temperature and running time, and the warning with its message in the chosen language.
class DeviceHealthTracker
{
public:
    enum Warning
    {
        NoWarning = 0,
        CommunicationLost = 1,  ///< three polls in a row without an answer
        TemperatureHigh = 2,    ///< above 80.0 up to 85.0 ℃
        TemperatureAbnormal = 3 ///< above 85.0 ℃
    };

    /// Polls without an answer after which a device counts as unreachable.
    static constexpr int kUnansweredLimit = 3;

    struct Health
    {
        int unanswered = 0;
        QString name;
        QString temperatureText; ///< empty until the first answer
        QString uptimeText;      ///< empty until the first answer
        Warning warning = NoWarning;
        QString message; ///< the warning text; empty without a warning
    };

    /// Chooses the language; the stored warning texts are rewritten in it.
    void setChinese(bool chinese);
    bool isChinese() const { return m_chinese; }

    /// Counts one poll without an answer yet. Returns true when the device's warning changed.
    bool countPoll(const QString& devId, const QString& name);
    /// Takes a successful reply: the count is reset and the temperature decides the warning. Returns
    /// true when the warning changed. Unknown devices are tracked from now on.
    bool takeReply(const DebugInfoReply& reply, const QString& fallbackName);
    /// Forgets a device.
    bool remove(const QString& devId);
    void clear() { m_health.clear(); }

    Health health(const QString& devId) const { return m_health.value(devId); }
    bool contains(const QString& devId) const { return m_health.contains(devId); }
    QStringList devIds() const { return m_health.keys(); }

    /// The warning to show in the main window: a device with the highest warning (the first such
    /// devId in `order`, then any); devId empty when no device has one.
    QString globalWarningDevId(const QStringList& order) const;

    /// The warning state the temperature gives.
    static Warning warningForTemperature(double celsius);
    /// The text of a warning for a device name, in the chosen language; empty for NoWarning.
    QString messageFor(Warning warning, const QString& name) const;

private:
    bool setWarning(Health& h, Warning w);

    QHash<QString, Health> m_health;
    bool m_chinese = true;
};
