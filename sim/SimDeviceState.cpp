#include "SimDeviceState.h"

#include <algorithm>

SimDeviceState::SimDeviceState(const SimDeviceConfig& config)
    : pendingSampleRate(config.sampleRate), packetTimeDiv(packetTimeDivFor(config.sampleRate, config.pFrameNum)),
      pendingPacketTimeDiv(packetTimeDiv), fixedIp(config.fixedIp), ip(config.ip),
      gateway(config.gateway != 0 ? config.gateway : ((config.ip & 0xFFFFFF00u) | 1u)),
      dns(config.dns != 0 ? config.dns : gateway)
{
    phyGain[int(SimSide::Rx)] = QVector<double>(config.phyChNumRx, 0.0);
    phyGain[int(SimSide::Tx)] = QVector<double>(config.phyChNumTx, 0.0);
    phyMute[int(SimSide::Rx)] = QVector<bool>(config.phyChNumRx, false);
    phyMute[int(SimSide::Tx)] = QVector<bool>(config.phyChNumTx, false);
    micGain = QVector<double>(config.phyChNumRx, 0.0);
    phantom = QVector<bool>(config.phyChNumRx, false);
    gpio = QVector<QJsonObject>(kGpioCount);
    for (int id : config.silentPhyRx)
        silentPhyRx.insert(id);
    if (config.isAmplifier()) {
        ampGainLevel = QVector<int>(config.phyChNumTx, 0);
        ampPower = QVector<bool>(config.phyChNumTx, true);
    }
    cfg.insert(QStringLiteral("chNum_dspFromNet"), QString::number(config.chNumRx));
    cfg.insert(QStringLiteral("chNum_dspToNet"), QString::number(config.chNumTx));
    cfg.insert(QStringLiteral("model"), config.model);
    m_stats[0].resize(size_t(std::max(0, config.ucastNumRx)));
    m_stats[1].resize(size_t(std::max(0, config.mcastNumRx)));
}

bool SimDeviceState::isPhyMuted(SimSide side, int id) const
{
    const QVector<bool>& m = phyMute[int(side)];
    return id >= 0 && id < m.size() && m[id];
}

SimDeviceState::StatsClock& SimDeviceState::statsClock(bool mcast, int sdpId)
{
    return m_stats[mcast ? 1 : 0].at(size_t(sdpId));
}

qint64 SimDeviceState::statsSince(bool mcast, int sdpId, const SimSdp& flow, qint64 nowMs)
{
    StatsClock& c = statsClock(mcast, sdpId);
    if (!c.seen) {
        c = {flow, upSinceMs, true};
    } else if (!c.flow.sameFlow(flow)) {
        c = {flow, nowMs, true};
    }
    // A reboot restarts the counters like a clear.
    c.sinceMs = std::max(c.sinceMs, upSinceMs);
    return c.sinceMs;
}

void SimDeviceState::clearStats(bool mcast, int sdpId, const SimSdp& flow, qint64 nowMs)
{
    statsClock(mcast, sdpId) = {flow, nowMs, true};
}

int SimDeviceState::packetTimeDivFor(int sampleRate, int pFrameNum)
{
    const int perMs = sampleRate / 1000;
    if (pFrameNum <= 0 || perMs <= 0 || perMs % pFrameNum != 0)
        return 1;
    return perMs / pFrameNum;
}

int SimDeviceState::frameNumFor(int sampleRate, int packetTimeDiv)
{
    return std::max(1, sampleRate / 1000 / std::max(1, packetTimeDiv));
}

quint32 SimDeviceState::maskForPrefix(int prefixLength)
{
    if (prefixLength <= 0)
        return 0;
    if (prefixLength >= 32)
        return 0xFFFFFFFFu;
    return ~((1u << (32 - prefixLength)) - 1u);
}
