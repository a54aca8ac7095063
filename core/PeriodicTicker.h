#pragma once
#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <atomic>

/// What one housekeeping tick asks the user interface to do.
struct TickResult
{
    bool refreshUi = false;        ///< rebuild the device views (at most every 51 ticks)
    bool refreshDevInfoUi = false; ///< about every 3 s
    bool syncCanWork = false;      ///< about every 5 s
    QStringList unblinked;         ///< devices whose identify blink has run out
    bool forwardEvents = false;    ///< hand the coalesced clock events to the windows (every 5 ticks)
};

/// The counters and device lists of the 20 ms housekeeping step.
///
/// Thread-safe: the user-interface thread starts blinks and marks refreshes while the network
/// thread ticks.
class PeriodicTicker
{
public:
    static constexpr int kBlinkTicks = 400;  ///< about 8 s
    static constexpr int kRebootTicks = 100; ///< about 2 s
    static constexpr int kEventTicks = 5;    ///< 100 ms between hand-overs of clock events

    /// What a blink request did.
    enum BlinkStart
    {
        BlinkRefused,   ///< the device is not listed: anyone may send the request, so it is not kept
        BlinkStarted,   ///< a new blink: the windows must hear of it
        BlinkRestarted, ///< already blinking: only its ticks start again
    };

    /// Marks that the device views changed; the next refresh slot emits one refresh.
    void setUiRefreshPending() { m_uiRefreshPending.store(true); }
    /// Starts or restarts the identify blink of a listed device, so the map never holds more than the registry.
    BlinkStart startBlink(const QString& devId, int ticks = kBlinkTicks);
    int blinkCount() const;
    /// Holds a rebooting device's life at 0 for the given ticks, so its announcements can't keep it.
    void startReboot(const QString& devId, int ticks = kRebootTicks);
    bool isBlinking(const QString& devId) const;

    /// One 20 ms step. Rebooting devices still in the registry get a remaining life of 0.
    TickResult tick();

private:
    std::atomic<bool> m_uiRefreshPending{false};
    int m_refreshTicks = 0;
    int m_devInfoTicks = 0;
    int m_canWorkTicks = 0;
    int m_eventTicks = 0;
    mutable QMutex m_lock; // guards the two maps
    QMap<QString, int> m_blinkMap;
    QMap<QString, int> m_rebootingDevs;
};
