#pragma once

#include "SimLevels.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

class SimNetwork;
class SimDevice;

/// The audio path of the simulated network: what a test signal does on its way through devices. A generator
/// cabled to a device's physical inputs feeds its transmit channels; routes carry transmit channels to network
/// inputs after the receiver's delay; a physical output carries its network input through the processor's delay
/// block and the output stage (gain, mute, power, fault); the test fixture cables outputs back to inputs; on a
/// signal source each physical output mixes its return with a phase-inverted copy of the generator's signal.
///
/// Pure computation over the devices' settings: nothing here changes a device, except that a processor's
/// configuration is generated on first use as everywhere else. Where no test signal flows, the idle level
/// (SimLevels) is reported unchanged. Routes take effect at once; a signal that starts at t reaches a point at t
/// plus the delays on its way. A stopped generator is silent everywhere at once.
class SimAudioPath
{
public:
    /// Hops a signal is followed through before the path counts as a loop: routes can form cycles.
    static constexpr int kMaxHops = 64;
    /// Lowest level a cancelled output reads.
    static constexpr double kFloorDb = -96.0;
    /// Difference in samples from which the copy no longer cancels the return at all.
    static constexpr double kCancelSpanSamples = 16.0;
    /// Limits of the cancellation stage ("maxNum" at most this; "delayNum" 0..maxNum).
    static constexpr int kMaxCancelSamples = 48000;
    /// Generator levels accepted by the control line.
    static constexpr double kMinGeneratorDb = -120.0;
    static constexpr double kMaxGeneratorDb = 0.0;
    static constexpr double kDefaultGeneratorDb = -20.0;

    /// A test signal at one point: its level, the device whose generator it comes from and the time it took to
    /// get there (microseconds).
    struct Signal
    {
        double db = 0.0;
        int origin = -1;
        double latencyUs = 0.0;
    };

    explicit SimAudioPath(SimNetwork& network) : m_network(network) {}

    /// The test signal at channel `id` of a meter of device `index` at time `tMs`; nullopt where none flows
    /// (not started, not yet arrived, no generator upstream).
    std::optional<Signal> signal(int index, SimMeter meter, int id, double tMs);
    /// The level the device reports: the test signal's where one flows, else the idle level; a faulty output
    /// stage acts on either.
    double level(int index, SimMeter meter, int id, qint64 nowMs);
    /// Every channel of a meter as the device writes it ("-20.0", "-inf").
    QStringList texts(int index, SimMeter meter, qint64 nowMs);

    /// The residual amplitude of a return of amplitude a mixed with a phase-inverted copy of amplitude b, the two
    /// `differenceSamples` apart.
    static double residual(double a, double b, double differenceSamples);
    /// Delay of the processor's delay blocks in output chain `output` (samples; 0 for models without a processor
    /// and bypassed blocks).
    static int outputBlockDelay(SimDevice& device, int output);

    /// Whether any device plays a test signal (when none does, every level is the idle one).
    bool anyGenerator() const;

private:
    /// The level without a test signal: the idle sound, through a broken output stage where there is one.
    double idleLevel(int index, SimMeter meter, int id, qint64 nowMs) const;
    std::optional<Signal> phyRx(int index, int id, double tMs, int hops);
    std::optional<Signal> netTx(int index, int id, double tMs, int hops);
    std::optional<Signal> netRx(int index, int id, double tMs, int hops);
    std::optional<Signal> phyTx(int index, int id, double tMs, int hops);

    SimNetwork& m_network;
};
