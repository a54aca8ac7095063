#include "SimAudioPath.h"

#include "SimDevice.h"
#include "SimDspConfig.h"
#include "SimNetwork.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kSilence = -std::numeric_limits<double>::infinity();

double amplitude(double db)
{
    return std::isinf(db) && db < 0 ? 0.0 : std::pow(10.0, db / 20.0);
}

/// Microseconds of `samples` at the device's rate.
double samplesToUs(const SimDevice& dev, double samples)
{
    return samples * 1e6 / std::max(1, dev.config().sampleRate);
}

/// What the output stage of physical output `id` does to a level: gain, mute, amplifier power, a fault.
double outputStage(const SimDevice& dev, int id, double db)
{
    const SimDeviceState& st = dev.state();
    if (st.isPhyMuted(SimSide::Tx, id) || (id < st.ampPower.size() && !st.ampPower[id]))
        return kSilence;
    db += st.phyGain[int(SimSide::Tx)].value(id, 0.0);
    const auto fault = st.audio.faults.constFind(id);
    if (fault != st.audio.faults.constEnd())
        db = fault.value() == SimDeviceState::Audio::Fault::Silent ? kSilence : db - 6.0;
    return db;
}

} // namespace

bool SimAudioPath::anyGenerator() const
{
    for (int i = 0; i < m_network.deviceCount(); ++i)
        if (m_network.device(i).state().audio.isSource())
            return true;
    return false;
}

double SimAudioPath::residual(double a, double b, double differenceSamples)
{
    const double share = std::min(1.0, std::fabs(differenceSamples) / kCancelSpanSamples);
    return std::sqrt(std::max(0.0, (a - b) * (a - b) + 2.0 * a * b * share));
}

int SimAudioPath::outputBlockDelay(SimDevice& device, int output)
{
    if (!device.config().hasDsp() || output < 0)
        return 0;
    const QJsonObject& config = SimDspConfig::current(device);
    // The output node comes last.
    const int node = config.value(QLatin1String("nodeArr")).toArray().size() - 1;
    long long samples = 0;
    for (int proc = 0; proc < 256; ++proc) {
        const std::optional<QJsonObject> block = SimDspConfig::block(config, node, output, proc);
        if (!block)
            break;
        if (block->value(QLatin1String("type")).toString() != QLatin1String("1") ||
            block->value(QLatin1String("bypass")).toString() == QLatin1String("1"))
            continue;
        bool ok = false;
        const int n =
            block->value(QLatin1String("obj")).toObject().value(QLatin1String("delayNum")).toString().toInt(&ok);
        if (ok && n > 0)
            samples += n;
    }
    return int(std::min<long long>(samples, std::numeric_limits<int>::max()));
}

std::optional<SimAudioPath::Signal> SimAudioPath::signal(int index, SimMeter meter, int id, double tMs)
{
    if (index < 0 || index >= m_network.deviceCount() || id < 0)
        return std::nullopt;
    switch (meter) {
    case SimMeter::PhyRx:
        return phyRx(index, id, tMs, 0);
    case SimMeter::NetTx:
        return netTx(index, id, tMs, 0);
    case SimMeter::NetRx:
        return netRx(index, id, tMs, 0);
    case SimMeter::PhyTx:
        return phyTx(index, id, tMs, 0);
    }
    return std::nullopt;
}

std::optional<SimAudioPath::Signal> SimAudioPath::phyRx(int index, int id, double tMs, int hops)
{
    SimDevice& dev = m_network.device(index);
    const SimDeviceState& st = dev.state();
    if (hops > kMaxHops || id < 0 || id >= dev.config().phyChNumRx)
        return std::nullopt;
    std::optional<Signal> s;
    const auto gen = st.audio.generatorSinceMs.constFind(id);
    // A cabled generator takes the input's place; the fixture feeds the inputs it leaves free.
    if (gen != st.audio.generatorSinceMs.constEnd()) {
        if (tMs >= double(gen.value()))
            s = Signal{st.audio.generatorDb, index, 0.0};
    } else if (st.audio.loopback) {
        s = phyTx(index, id, tMs, hops + 1);
    }
    if (!s)
        return std::nullopt;
    if (st.isPhyMuted(SimSide::Rx, id))
        s->db = kSilence;
    else
        s->db += st.phyGain[int(SimSide::Rx)].value(id, 0.0);
    return s;
}

std::optional<SimAudioPath::Signal> SimAudioPath::netTx(int index, int id, double tMs, int hops)
{
    const SimDevice& dev = m_network.device(index);
    const SimDeviceConfig& c = dev.config();
    // A rebooting device sends no audio.
    if (hops > kMaxHops || id < 0 || id >= c.chNumTx || dev.state().isRebooting(m_network.nowMs()))
        return std::nullopt;
    // Transmit channels carry the physical inputs first, then the network inputs in order.
    if (id < c.phyChNumRx)
        return phyRx(index, id, tMs, hops + 1);
    return netRx(index, id - c.phyChNumRx, tMs, hops + 1);
}

std::optional<SimAudioPath::Signal> SimAudioPath::netRx(int index, int id, double tMs, int hops)
{
    const SimDevice& dev = m_network.device(index);
    if (hops > kMaxHops || id < 0 || id >= dev.config().chNumRx || id >= dev.rxChMap().size())
        return std::nullopt;
    const int rtp = dev.rxChMap()[id];
    if (rtp < 0 || rtp >= dev.rtpChannels().size() || !dev.rtpChannels()[rtp].isUsed())
        return std::nullopt;
    const SimRtpChannel& from = dev.rtpChannels()[rtp];
    const int source = m_network.indexOfDevId(from.srcDevId);
    if (source < 0)
        return std::nullopt; // a stream from outside the simulated network carries no test signal
    const double delayUs = std::max(0, dev.config().delayUs);
    std::optional<Signal> s = netTx(source, from.srcChId, tMs - delayUs / 1000.0, hops + 1);
    if (s)
        s->latencyUs += delayUs;
    return s;
}

std::optional<SimAudioPath::Signal> SimAudioPath::phyTx(int index, int id, double tMs, int hops)
{
    SimDevice& dev = m_network.device(index);
    if (hops > kMaxHops || id < 0 || id >= dev.config().phyChNumTx)
        return std::nullopt;
    // An output with nothing routed to it on a device without a generator carries no test signal: its processor's
    // configuration need not be made for that.
    if (!dev.state().audio.isSource() && (id >= dev.rxChMap().size() || dev.rxChMap()[id] < 0))
        return std::nullopt;
    const double blockUs = samplesToUs(dev, outputBlockDelay(dev, id));
    // Before the delay block: the return, on a signal source mixed with the inverted copy of its generator.
    const double tIn = tMs - blockUs / 1000.0;
    std::optional<Signal> s = netRx(index, id, tIn, hops + 1);
    const SimDeviceState::Audio& audio = dev.state().audio;
    if (audio.isSource()) {
        qint64 started = std::numeric_limits<qint64>::max();
        for (qint64 since : audio.generatorSinceMs)
            started = std::min(started, since);
        const double stageUs = samplesToUs(dev, audio.cancelOf(id).delayNum);
        if (tIn - stageUs / 1000.0 >= double(started)) {
            const double b = amplitude(audio.generatorDb);
            double mixed = b;
            if (s && s->origin == index) {
                const double difference = (s->latencyUs - stageUs) * dev.config().sampleRate / 1e6;
                mixed = residual(amplitude(s->db), b, difference);
            } else if (s) {
                // Another source's signal does not cancel: the two add as unrelated noise.
                mixed = std::hypot(amplitude(s->db), b);
            }
            const double db = mixed > 0 ? std::max(kFloorDb, 20.0 * std::log10(mixed)) : kFloorDb;
            s = Signal{db, index, s ? s->latencyUs : stageUs};
        }
    }
    if (!s)
        return std::nullopt;
    s->latencyUs += blockUs;
    s->db = outputStage(dev, id, s->db);
    return s;
}

double SimAudioPath::level(int index, SimMeter meter, int id, qint64 nowMs)
{
    if (anyGenerator()) {
        const std::optional<Signal> s = signal(index, meter, id, double(nowMs));
        if (s)
            return s->db;
    }
    return idleLevel(index, meter, id, nowMs);
}

double SimAudioPath::idleLevel(int index, SimMeter meter, int id, qint64 nowMs) const
{
    const SimDevice& dev = m_network.device(index);
    const double idle = SimLevels::level(dev, meter, id, nowMs);
    // A broken output stage breaks whatever passes it, the idle sound too.
    if (meter == SimMeter::PhyTx && !std::isinf(idle)) {
        const auto fault = dev.state().audio.faults.constFind(id);
        if (fault != dev.state().audio.faults.constEnd())
            return fault.value() == SimDeviceState::Audio::Fault::Silent ? kSilence : idle - 6.0;
    }
    return idle;
}

QStringList SimAudioPath::texts(int index, SimMeter meter, qint64 nowMs)
{
    const SimDevice& dev = m_network.device(index);
    const int n = SimLevels::count(dev, meter);
    QStringList out;
    out.reserve(n);
    // One look for a generator per meter: a network without a test signal reads exactly its idle levels.
    const bool flowing = anyGenerator();
    for (int id = 0; id < n; ++id) {
        const std::optional<Signal> s = flowing ? signal(index, meter, id, double(nowMs)) : std::nullopt;
        out.append(SimLevels::text(s ? s->db : idleLevel(index, meter, id, nowMs)));
    }
    return out;
}
