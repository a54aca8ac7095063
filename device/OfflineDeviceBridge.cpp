#include "OfflineDeviceBridge.h"

#include "AppState.h"
#include "CDeviceDspData.h"
#include "DspDefaultConfig.h"
#include "NameRules.h"
#include "OfflineData.h"

#include <cmath>
#include <memory>

namespace {

// What a real device accepts; the design keeps to the same bounds.
constexpr int kMaxSampleRate = 768000;
constexpr int kMaxDelayUs = 1000000;
constexpr int kMaxDscp = 63;

} // namespace

OfflineDeviceBridge::OfflineDeviceBridge(OfflineData& design, const QString& devId, QObject* parent)
    : QObject(parent), m_design(design), m_devId(devId), m_last(settings())
{
    connect(&m_design, &OfflineData::changed, this, &OfflineDeviceBridge::onDesignChanged);
}

std::optional<OfflineDevDetail> OfflineDeviceBridge::settings() const
{
    std::optional<OfflineDevDetail> out;
    // Only the settings are copied: a device's processor configurations can be large.
    m_design.withLock([&](const OfflineData::DeviceList& devices, const QVector<OfflineMcast>&) {
        for (const auto& d : devices) {
            if (d->devId() == m_devId) {
                out = d->detail();
                return;
            }
        }
    });
    return out;
}

DevDetail_t OfflineDeviceBridge::detail() const
{
    const std::optional<OfflineDevDetail> s = settings();
    return s ? toDetail(*s) : DevDetail_t();
}

QString OfflineDeviceBridge::divisorOf(double packetMs)
{
    if (!(packetMs > 0) || packetMs > 1000)
        return QString();
    const double div = 1000.0 / packetMs;
    const long rounded = std::lround(div);
    return rounded > 0 && std::fabs(div - rounded) < 1e-6 * div ? QString::number(rounded) : QString();
}

DevDetail_t OfflineDeviceBridge::toDetail(const OfflineDevDetail& d)
{
    DevDetail_t out;
    out.devId = d.devId;
    out.name = d.devName;
    out.model = d.model;
    out.type = d.model;
    out.firmwareVersion = d.version.section(QLatin1Char('-'), 0, 0);
    out.firmwareBuild = d.version.section(QLatin1Char('-'), 1);
    out.rxChNames = d.channelData.rxChNameList;
    out.txChNames = d.channelData.txChNameList;
    out.phyRxChNames = d.channelData.phyRxChNameList;
    out.phyTxChNames = d.channelData.phyTxChNameList;
    out.phyRxGains = d.channelData.rxPhyGainList;
    out.phyTxGains = d.channelData.txPhyGainList;
    out.phyRxMutes = d.channelData.rxPhyMuteArray;
    out.phyTxMutes = d.channelData.txPhyMuteArray;
    out.sampleRate = d.sampleRate;
    out.sampleByteNum = d.sampleByteNum;
    out.dscp = d.dscp;
    out.ptpDscp = d.ptpDscp;
    out.ptpPriority = d.ptpPriority;
    out.sampleRates = d.devListInfo.sampleRateList;
    for (const QString& ms : d.devListInfo.packetTimeList) {
        const QString div = divisorOf(ms.toDouble());
        if (!div.isEmpty() && !out.packetTimeDivs.contains(div))
            out.packetTimeDivs.append(div);
    }
    out.isFixedIp = d.isFixIp;
    out.fixedIp = d.ipAndMask;
    out.gateway = d.gateway;
    out.dns = d.dns;
    out.canWork = true;
    return out;
}

bool OfflineDeviceBridge::edit(const std::function<void(OfflineDevice&)>& fn)
{
    return m_design.updateDevice(m_devId, fn);
}

bool OfflineDeviceBridge::setName(const QString& name)
{
    if (NameRules::check(name, QString()).verdict != NameRules::Accepted)
        return false;
    return edit([&](OfflineDevice& d) { d.detail().devName = name.trimmed(); });
}

bool OfflineDeviceBridge::setChannelName(int inOrOut, int ch, const QString& name)
{
    if (ch < 0 || NameRules::check(name, QString()).verdict != NameRules::Accepted)
        return false;
    bool inRange = false;
    const bool found = edit([&](OfflineDevice& d) {
        OfflineChannelData& c = d.detail().channelData;
        QStringList& names = inOrOut == 0 ? c.rxChNameList : c.txChNameList;
        if (ch < names.size()) {
            names[ch] = name.trimmed();
            inRange = true;
        }
    });
    return found && inRange;
}

bool OfflineDeviceBridge::setSampleRate(int rate)
{
    if (rate <= 0 || rate > kMaxSampleRate)
        return false;
    return edit([rate](OfflineDevice& d) {
        OfflineDevDetail& s = d.detail();
        s.sampleRate = rate;
        // The packet time stays; the frames per packet follow the rate.
        s.pFrameNum = qMax(1, int(std::lround(rate * s.packetTime / 1000.0)));
        if (!d.hasDsp())
            return;
        auto data = std::make_unique<CDeviceDspData>();
        data->parse(DspDefaultConfig::reply(s.phyChNumRx + s.chNumRx, s.phyChNumTx + s.chNumTx, rate), QString(), true);
        d.dspConfigs().clear();
        d.setDspCurrentId(0);
        d.addDspConfig(AppState::pick(QStringLiteral("默认配置"), QStringLiteral("Default")), std::move(data));
    });
}

bool OfflineDeviceBridge::setPacketTimeDiv(int divisor)
{
    if (divisor <= 0 || divisor > 1000000)
        return false;
    return edit([divisor](OfflineDevice& d) {
        OfflineDevDetail& s = d.detail();
        s.packetTime = 1000.0 / divisor;
        s.pFrameNum = qMax(1, int(std::lround(double(s.sampleRate) / divisor)));
    });
}

bool OfflineDeviceBridge::setDelayUs(int us)
{
    if (us <= 0 || us > kMaxDelayUs)
        return false;
    return edit([us](OfflineDevice& d) { d.detail().delayMs = us / 1000.0; });
}

bool OfflineDeviceBridge::setSampleByteNum(int byteNum)
{
    if (byteNum < 2 || byteNum > 4)
        return false;
    return edit([byteNum](OfflineDevice& d) {
        d.detail().sampleByteNum = byteNum;
        d.detail().sampleBitDepth = byteNum * 8;
    });
}

bool OfflineDeviceBridge::setPtpDscp(int value)
{
    if (value < 0 || value > kMaxDscp)
        return false;
    return edit([value](OfflineDevice& d) { d.detail().ptpDscp = value; });
}

bool OfflineDeviceBridge::setDscp(int value)
{
    if (value < 0 || value > kMaxDscp)
        return false;
    return edit([value](OfflineDevice& d) { d.detail().dscp = value; });
}

void OfflineDeviceBridge::onDesignChanged()
{
    // The design says only that something changed; the window hears of it when this device's settings did.
    std::optional<OfflineDevDetail> now = settings();
    if (now == m_last)
        return;
    m_last = std::move(now);
    emit deviceChanged();
}
