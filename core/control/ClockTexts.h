#pragma once
#include <QString>

/// Texts of one row of the clock view: PTP role, sync state and clock priority, in either language.
class ClockTexts
{
public:
    /// What a device's clock is doing, as far as the controller can tell.
    struct Status
    {
        bool master = false;
        bool locked = false;
    };

    /// A device is master when its own clock identity is its grandmaster's; a master is always locked,
    /// a slave when its servo state is 2. The virtual sound card follows the host clock: always a locked slave.
    /// An empty own identity is never a master (a device that announced no clock is not our grandmaster).
    static Status status(const QString& myClkId, const QString& gmClkId, int ptpState, bool virtualSoundCard);

    /// "Master"/"Slave" ("主"/"从"), followed by " (domain)" when the PTP domain is above 0.
    static QString roleText(const Status& status, int ptpDomain, bool chinese);
    /// "locked"/"unlock" ("已同步"/"未同步").
    static QString syncText(const Status& status, bool chinese);
    /// The priority as decimal text; "NA" for a model that cannot set it, "—" outside 0..255.
    static QString priorityText(int priority, bool supported);
};
