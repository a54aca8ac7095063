#pragma once

#include "SimDeviceConfig.h"
#include "SimMicProcessor.h"
#include "SimTypes.h"

#include <QJsonObject>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QString>
#include <QVector>

#include <vector>

/// The two sides of a device's channels: receive/input (Rx) and transmit/output (Tx).
enum class SimSide
{
    Rx,
    Tx
};

/// The settings a controller changes on a device besides what it announces, and the bookkeeping that lets
/// tests see what the device received. Plain data: the command families and SimNetwork edit it.
struct SimDeviceState
{
    explicit SimDeviceState(const SimDeviceConfig& config);

    /// Values that take effect at the next reboot (equal to the running ones when nothing is pending).
    int pendingSampleRate = 48000;
    int packetTimeDiv = 1;
    int pendingPacketTimeDiv = 1;

    /// Address settings as stored by "setIp" and reported by "getIp".
    int fixedIp = 0;
    quint32 ip = 0;
    int prefixLength = 24;
    quint32 gateway = 0;
    quint32 dns = 0;

    /// Physical gains in dB and mutes, by side and channel id.
    QVector<double> phyGain[2];
    QVector<bool> phyMute[2];
    /// Physical inputs that carry no signal.
    QSet<int> silentPhyRx;

    /// Microphone gain in dB and phantom power of each physical input ("getInfo" on 9992).
    QVector<double> micGain;
    QVector<bool> phantom;

    /// The GPIO entries of "setGpioInfo"/"getGpioInfo", by index; each holds every member as text.
    static constexpr int kGpioCount = 16;
    QVector<QJsonObject> gpio;

    /// Amplifier channels (the physical outputs of an amplifier): gain step index and power.
    QVector<int> ampGainLevel;
    QVector<bool> ampPower;

    /// "key=value" lines of "getCfg"/"setCfg", by key.
    QMap<QString, QString> cfg;

    /// Monotonic time the running reboot ends; -1 when not rebooting.
    qint64 rebootUntilMs = -1;
    int rebootCount = 0;
    /// Monotonic time the device came up (start or end of its last reboot).
    qint64 upSinceMs = 0;

    /// The signal processor of a DSP model. The configuration is generated on first use (SimDspConfig), so a
    /// large network does not build hundreds of them up front; a stored "setConfig" replaces it whole.
    struct Dsp
    {
        QJsonObject config;
        /// A factory configuration waiting for the next reboot (one after reboot number factoryStoredAt); empty
        /// when none.
        QJsonObject factoryConfig;
        int factoryStoredAt = 0;
        /// Whether the TCP service listens (the `dspService` control line switches it).
        bool serviceOn = true;
        /// Configurations stored by "setConfig" since start, so tests can see a save arrive.
        int savedCount = 0;
        /// Program 0, the system default: the factory configuration once one took over; empty while the
        /// generated configuration is the factory one.
        QJsonObject factory;
        /// Stored programs after program 0, in list order: name and configuration.
        QVector<QPair<QString, QJsonObject>> programs;
        /// The name of the program loaded last ("getDefaultFile").
        QString lastLoaded = QStringLiteral("default");
        /// Channel programs: one channel's settings and chain ({"side","comm","port"}) under a name.
        QVector<QPair<QString, QJsonObject>> channelPrograms;
    } dsp;

    /// The simulated audio path's settings (SimAudioPath): the generator cabled to physical inputs, the test
    /// fixture, broken output stages and the cancellation stages of the physical outputs.
    struct Audio
    {
        enum class Fault
        {
            Low,
            Silent
        };
        /// Physical inputs (0-based) the generator plays on, each with the monotonic time it started there.
        QMap<int, qint64> generatorSinceMs;
        double generatorDb = -20.0;
        bool loopback = false;
        /// Broken output stages by physical output (0-based); a repaired output is removed.
        QMap<int, Fault> faults;
        /// Cancellation stage of each physical output (0-based): delay and its limit in samples.
        struct Cancel
        {
            int delayNum = 0;
            int maxNum = 48000;
        };
        QMap<int, Cancel> cancel;

        bool isSource() const { return !generatorSinceMs.isEmpty(); }
        Cancel cancelOf(int output) const { return cancel.value(output); }
    } audio;

    /// What the factory service did: SSH starts, resets taken, and the level each GPIO test left on an entry.
    struct Factory
    {
        int sshStarts = 0;
        int resets = 0;
        QMap<int, bool> testGpio;
    } factory;

    /// Requests received by "ops" (answered or not), and raw datagrams of the serial tunnel.
    QMap<QString, int> requests;
    /// `requests` as the last "heard" control line saw them, so a test can ask what arrived since.
    QMap<QString, int> requestsMark;
    int tunnelDatagrams = 0;
    /// The microphone processor behind the serial tunnel.
    SimMicProcessor mic;

    bool isRebooting(qint64 nowMs) const { return rebootUntilMs >= 0 && nowMs < rebootUntilMs; }
    bool isPhyMuted(SimSide side, int id) const;

    /// Start of the delay statistics of receive stream sdpId carrying `flow`: a stream seen for the first
    /// time counts from when the device came up, a new stream in the same slot from now.
    qint64 statsSince(bool mcast, int sdpId, const SimSdp& flow, qint64 nowMs);
    void clearStats(bool mcast, int sdpId, const SimSdp& flow, qint64 nowMs);

    /// The divisor that gives `pFrameNum` frames per packet at `sampleRate` (1 ms packets are divisor 1).
    static int packetTimeDivFor(int sampleRate, int pFrameNum);
    /// Frames per packet for a divisor, at least 1.
    static int frameNumFor(int sampleRate, int packetTimeDiv);
    static quint32 maskForPrefix(int prefixLength);

private:
    struct StatsClock
    {
        SimSdp flow;
        qint64 sinceMs = 0;
        bool seen = false;
    };
    StatsClock& statsClock(bool mcast, int sdpId);
    std::vector<StatsClock> m_stats[2];
};
