#include "ArchiveDiff.h"

#include "CDeviceDspData.h"
#include "LevelConversion.h"
#include "OfflineDevice.h"

#include <QMap>

#include <cmath>

namespace {

// Gains are shown and sent with a tenth of a dB at most; closer values are the same setting.
constexpr double kGainEpsilon = 0.05;
constexpr double kTimeEpsilon = 1e-6;

class Collector
{
public:
    Collector(const ArchiveCategories& categories, bool all) : m_categories(categories), m_all(all) {}

    bool wants(ArchiveCategory c) const { return m_categories.has(c); }
    bool all() const { return m_all; }

    /// Adds a change when the values differ or nothing is known of the device.
    void add(ArchiveCategory c, const QString& key, int index, const QString& online, const QString& archive,
             bool differs, const QString& name = QString())
    {
        if (!m_all && !differs)
            return;
        ArchiveChange ch;
        ch.category = c;
        ch.key = key;
        ch.index = index;
        ch.name = name;
        ch.online = online;
        ch.archive = archive;
        ch.what = !name.isEmpty() ? key + QLatin1Char(' ') + name
                  : index >= 0    ? key + QLatin1Char(' ') + QString::number(index + 1)
                                  : key;
        m_out.append(ch);
    }
    void addText(ArchiveCategory c, const QString& key, int index, const QString& online, const QString& archive)
    {
        add(c, key, index, online, archive, online != archive);
    }

    QVector<ArchiveChange> take() { return std::move(m_out); }

private:
    const ArchiveCategories& m_categories;
    bool m_all;
    QVector<ArchiveChange> m_out;
};

double boundedGain(double g)
{
    return std::isfinite(g) ? qBound(LevelConversion::kGainMin, g, LevelConversion::kGainMax) : 0.0;
}

QString gpioText(const OfflineGpio& g)
{
    return QStringLiteral("dir=%1 type=%2 enable=%3 trigger=%4 ch=%5/%6 program=%7 in=%8 out=%9 step=%10 cmd=%11")
        .arg(g.direction)
        .arg(g.type)
        .arg(g.enable)
        .arg(g.triggerType)
        .arg(g.channelDirection)
        .arg(g.channelId)
        .arg(g.programId)
        .arg(g.inputChId)
        .arg(g.outputChId)
        .arg(g.gainStepIndex)
        .arg(g.customCmd);
}

void compareGpio(Collector& c, const OfflineDevice& a, const OfflineDevice& o)
{
    const QVector<OfflineGpio>& mine = a.detail().gpioInfoList;
    const QVector<OfflineGpio>& now = o.detail().gpioInfoList;
    for (int i = 0; i < mine.size() && i < OfflineDevice::MaxGpio; ++i) {
        const bool known = i < now.size();
        c.add(ArchiveCategory::DeviceInfo, QStringLiteral("gpio"), i, known ? gpioText(now[i]) : QString(),
              gpioText(mine[i]), !known || !(now[i] == mine[i]));
    }
}

void compareNames(Collector& c, const OfflineDevice& a, const OfflineDevice& o)
{
    const OfflineDevDetail& d = a.detail();
    const OfflineChannelData& mine = d.channelData;
    const OfflineChannelData& now = o.detail().channelData;
    struct List
    {
        const char* key;
        const QStringList& mine;
        const QStringList& now;
        int count;
    };
    const List lists[] = {{"rxChName", mine.rxChNameList, now.rxChNameList, d.chNumRx},
                          {"txChName", mine.txChNameList, now.txChNameList, d.chNumTx},
                          {"phyRxChName", mine.phyRxChNameList, now.phyRxChNameList, d.phyChNumRx},
                          {"phyTxChName", mine.phyTxChNameList, now.phyTxChNameList, d.phyChNumTx}};
    for (const List& l : lists) {
        const int n = qMin(l.mine.size(), l.count);
        for (int i = 0; i < n; ++i)
            c.addText(ArchiveCategory::ChannelNames, QLatin1String(l.key), i, l.now.value(i), l.mine[i]);
    }
}

void compareGains(Collector& c, const OfflineDevice& a, const OfflineDevice& o)
{
    const OfflineDevDetail& d = a.detail();
    const OfflineChannelData& mine = d.channelData;
    const OfflineChannelData& now = o.detail().channelData;
    auto gains = [&](const char* key, const QVector<double>& m, const QVector<double>& n, int count) {
        for (int i = 0; i < qMin(m.size(), count); ++i) {
            const double want = boundedGain(m[i]);
            const bool known = i < n.size();
            c.add(ArchiveCategory::ChannelGains, QLatin1String(key), i,
                  known ? LevelConversion::valueText(n[i]) : QString(), LevelConversion::valueText(want),
                  !known || std::fabs(n[i] - want) >= kGainEpsilon);
        }
    };
    auto mutes = [&](const char* key, const QVector<int>& m, const QVector<int>& n, int count) {
        for (int i = 0; i < qMin(m.size(), count); ++i) {
            const int want = m[i] != 0 ? 1 : 0;
            const bool known = i < n.size();
            c.add(ArchiveCategory::ChannelGains, QLatin1String(key), i, known ? QString::number(n[i]) : QString(),
                  QString::number(want), !known || (n[i] != 0) != (want != 0));
        }
    };
    gains("phyGainRx", mine.rxPhyGainList, now.rxPhyGainList, d.phyChNumRx);
    gains("phyGainTx", mine.txPhyGainList, now.txPhyGainList, d.phyChNumTx);
    mutes("phyMuteRx", mine.rxPhyMuteArray, now.rxPhyMuteArray, d.phyChNumRx);
    mutes("phyMuteTx", mine.txPhyMuteArray, now.txPhyMuteArray, d.phyChNumTx);
}

QByteArray configText(const OfflineDevice& dev, int index)
{
    if (index < 0 || index >= int(dev.dspConfigs().size()) || !dev.dspConfigs()[size_t(index)].data)
        return QByteArray();
    return dev.dspConfigs()[size_t(index)].data->writeConfigText(QString(), true);
}

QString configLabel(const QByteArray& text)
{
    return text.isEmpty() ? QString()
                          : QStringLiteral("config %1")
                                .arg(qChecksum(text.constData(), uint(text.size())), 4, 16, QLatin1Char('0'));
}

void compareParams(Collector& c, const OfflineDevice& a, const OfflineDevice& o)
{
    const OfflineDevDetail& d = a.detail();
    const OfflineDevDetail& n = o.detail();
    const ArchiveCategory cat = ArchiveCategory::DeviceParams;
    c.add(cat, QStringLiteral("sampleRate"), -1, QString::number(n.sampleRate), QString::number(d.sampleRate),
          n.sampleRate != d.sampleRate);
    if (d.packetTime > 0)
        c.add(cat, QStringLiteral("packetTime"), -1, QString::number(n.packetTime), QString::number(d.packetTime),
              std::fabs(n.packetTime - d.packetTime) > kTimeEpsilon);

    const int current = ArchiveDiff::currentConfigIndex(a);
    if (current < 0)
        return;
    const QByteArray mine = configText(a, current);
    const QByteArray now = configText(o, ArchiveDiff::currentConfigIndex(o));
    c.add(cat, QStringLiteral("dsp"), -1, configLabel(now), configLabel(mine), mine != now,
          QStringLiteral("curConfig"));
    // Stored programs: the read-out of a device holds only what runs now, so a program is new unless the
    // read-out carries one of that name with the same text.
    const auto& configs = a.dspConfigs();
    for (int i = 0; i < int(configs.size()); ++i) {
        if (i == current || configs[size_t(i)].name == QLatin1String("curConfig"))
            continue;
        const QByteArray text = configText(a, i);
        QByteArray there;
        for (int j = 0; j < int(o.dspConfigs().size()); ++j)
            if (o.dspConfigs()[size_t(j)].name == configs[size_t(i)].name)
                there = configText(o, j);
        c.add(cat, QStringLiteral("dspProgram"), i, configLabel(there), configLabel(text), there != text,
              configs[size_t(i)].name);
    }
}

void compareSettings(Collector& c, const OfflineDevice& a, const OfflineDevice& o)
{
    const OfflineDevDetail& d = a.detail();
    const OfflineDevDetail& n = o.detail();
    auto number = [&](ArchiveCategory cat, const char* key, int now, int mine) {
        if (c.wants(cat))
            c.add(cat, QLatin1String(key), -1, QString::number(now), QString::number(mine), now != mine);
    };
    number(ArchiveCategory::SampleDepth, "sampleByteNum", n.sampleByteNum, d.sampleByteNum);
    if (c.wants(ArchiveCategory::NetworkDelay)) {
        const qint64 mine = std::llround(d.delayMs * 1000.0);
        const qint64 now = std::llround(n.delayMs * 1000.0);
        c.add(ArchiveCategory::NetworkDelay, QStringLiteral("delayUs"), -1, QString::number(now), QString::number(mine),
              now != mine);
    }
    number(ArchiveCategory::PtpPriority, "ptpPriority", n.ptpPriority, d.ptpPriority);
    number(ArchiveCategory::PtpDscp, "ptpDscp", n.ptpDscp, d.ptpDscp);
    number(ArchiveCategory::StreamDscp, "dscp", n.dscp, d.dscp);
}

void compareAddress(Collector& c, const OfflineDevice& a, const OfflineDevice& o)
{
    const OfflineDevDetail& d = a.detail();
    const OfflineDevDetail& n = o.detail();
    const ArchiveCategory cat = ArchiveCategory::IpAddress;
    c.add(cat, QStringLiteral("fixedIp"), -1, QString::number(n.isFixIp), QString::number(d.isFixIp),
          n.isFixIp != d.isFixIp);
    // An automatic address carries nothing else worth sending.
    if (d.isFixIp == 0)
        return;
    c.addText(cat, QStringLiteral("ip"), -1, n.ipAndMask, d.ipAndMask);
    c.addText(cat, QStringLiteral("gateway"), -1, n.gateway, d.gateway);
    c.addText(cat, QStringLiteral("dns"), -1, n.dns, d.dns);
}

QString sourceText(const QString& devId, int ch)
{
    return devId + QLatin1Char(':') + QString::number(ch + 1);
}

void compareUcast(Collector& c, const OfflineDevice& a, const OfflineDevice& o, const QHash<QString, QString>& map)
{
    const int channels = a.detail().chNumRx;
    QMap<int, QString> mine;
    QMap<int, QString> now;
    for (const OfflineUcastRoute& r : a.ucastRoutes())
        if (r.dstChId >= 0 && r.dstChId < channels)
            mine.insert(r.dstChId, sourceText(map.value(r.srcDevId, r.srcDevId), r.srcChId));
    for (const OfflineUcastRoute& r : o.ucastRoutes())
        if (r.dstChId >= 0 && r.dstChId < channels)
            now.insert(r.dstChId, sourceText(r.srcDevId, r.srcChId));
    QMap<int, bool> keys;
    for (auto it = mine.cbegin(); it != mine.cend(); ++it)
        keys.insert(it.key(), true);
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        keys.insert(it.key(), true);
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        const QString m = mine.value(it.key());
        const QString n = now.value(it.key());
        // Without a read-out only the archive's routes are sent: nothing is known to clear.
        if (c.all() && m.isEmpty())
            continue;
        c.addText(ArchiveCategory::RouteConfig, QStringLiteral("ucastRoute"), it.key(), n, m);
    }
}

QString streamText(const OfflineMcast& s)
{
    QStringList chans;
    for (int ch : s.srcChannels)
        chans << QString::number(ch + 1);
    return QStringLiteral("%1:%2 [%3]").arg(s.dstIp).arg(s.dstPort).arg(chans.join(QLatin1Char(',')));
}

void compareStreams(Collector& c, const OfflineDevice& a, const OfflineDevice& o)
{
    const QVector<OfflineMcast>& mine = a.detail().mcastList;
    const QVector<OfflineMcast>& now = o.detail().mcastList;
    auto find = [](const QVector<OfflineMcast>& list, const QString& name) -> const OfflineMcast* {
        for (const OfflineMcast& s : list)
            if (s.name == name)
                return &s;
        return nullptr;
    };
    for (const OfflineMcast& s : mine) {
        const OfflineMcast* there = find(now, s.name);
        const bool same =
            there && there->dstIp == s.dstIp && there->dstPort == s.dstPort && there->srcChannels == s.srcChannels;
        c.add(ArchiveCategory::RouteConfig, QStringLiteral("stream"), -1, there ? streamText(*there) : QString(),
              streamText(s), !same, s.name);
    }
    if (c.all())
        return;
    for (const OfflineMcast& s : now)
        if (!find(mine, s.name))
            c.add(ArchiveCategory::RouteConfig, QStringLiteral("stream"), -1, streamText(s), QString(), true, s.name);
}

void compareMcastRoutes(Collector& c, const OfflineDevice& a, const OfflineDevice& o)
{
    const int channels = a.detail().chNumRx;
    QMap<int, QString> mine;
    QMap<int, QString> now;
    for (const OfflineMcastRoute& r : a.mcastRoutes())
        if (r.dstChId >= 0 && r.dstChId < channels)
            mine.insert(r.dstChId, sourceText(r.mcastName, r.srcChId));
    for (const OfflineMcastRoute& r : o.mcastRoutes())
        if (r.dstChId >= 0 && r.dstChId < channels)
            now.insert(r.dstChId, sourceText(r.mcastName, r.srcChId));
    QMap<int, bool> keys;
    for (auto it = mine.cbegin(); it != mine.cend(); ++it)
        keys.insert(it.key(), true);
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        keys.insert(it.key(), true);
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        const QString m = mine.value(it.key());
        if (c.all() && m.isEmpty())
            continue;
        c.addText(ArchiveCategory::DeviceRoutes, QStringLiteral("mcastRoute"), it.key(), now.value(it.key()), m);
    }
}

} // namespace

QVector<ArchiveChange> ArchiveDiff::compare(const OfflineDevice& archive, const OfflineDevice& online,
                                            const ArchiveCategories& categories,
                                            const QHash<QString, QString>& onlineIdOf)
{
    return compare(archive, &online, categories, onlineIdOf);
}

QVector<ArchiveChange> ArchiveDiff::compare(const OfflineDevice& archive, const OfflineDevice* online,
                                            const ArchiveCategories& categories,
                                            const QHash<QString, QString>& onlineIdOf)
{
    const OfflineDevice blank;
    const OfflineDevice& o = online ? *online : blank;
    Collector c(categories, online == nullptr);
    if (c.wants(ArchiveCategory::DeviceInfo))
        compareGpio(c, archive, o);
    if (c.wants(ArchiveCategory::DeviceName))
        c.addText(ArchiveCategory::DeviceName, QStringLiteral("devName"), -1, o.name(), archive.name());
    if (c.wants(ArchiveCategory::ChannelNames))
        compareNames(c, archive, o);
    if (c.wants(ArchiveCategory::ChannelGains))
        compareGains(c, archive, o);
    if (c.wants(ArchiveCategory::DeviceParams))
        compareParams(c, archive, o);
    compareSettings(c, archive, o);
    if (c.wants(ArchiveCategory::IpAddress))
        compareAddress(c, archive, o);
    if (c.wants(ArchiveCategory::RouteConfig)) {
        compareUcast(c, archive, o, onlineIdOf);
        compareStreams(c, archive, o);
    }
    if (c.wants(ArchiveCategory::DeviceRoutes))
        compareMcastRoutes(c, archive, o);
    return c.take();
}

int ArchiveDiff::currentConfigIndex(const OfflineDevice& device)
{
    const auto& configs = device.dspConfigs();
    if (configs.empty())
        return -1;
    for (size_t i = 0; i < configs.size(); ++i)
        if (configs[i].name == QLatin1String("curConfig"))
            return int(i);
    const int id = device.dspCurrentId();
    return id >= 0 && id < int(configs.size()) ? id : 0;
}

ArchiveCategories ArchiveDiff::changedCategories(const QVector<ArchiveChange>& changes)
{
    ArchiveCategories out;
    for (const ArchiveChange& c : changes)
        out.set(c.category, true);
    return out;
}

QString ArchiveDiff::label(const ArchiveChange& change, bool chinese)
{
    // %1 is the 1-based channel or entry, %2 the stream or program name.
    struct Label
    {
        const char* key;
        const char* zh;
        const char* en;
    };
    static const Label labels[] = {
        {"devName", "设备名", "Name"},
        {"rxChName", "网络输入 %1 名称", "Net in %1 name"},
        {"txChName", "网络输出 %1 名称", "Net out %1 name"},
        {"phyRxChName", "模拟输入 %1 名称", "Analog in %1 name"},
        {"phyTxChName", "模拟输出 %1 名称", "Analog out %1 name"},
        {"phyGainRx", "模拟输入 %1 增益", "Analog in %1 gain"},
        {"phyGainTx", "模拟输出 %1 增益", "Analog out %1 gain"},
        {"phyMuteRx", "模拟输入 %1 静音", "Analog in %1 mute"},
        {"phyMuteTx", "模拟输出 %1 静音", "Analog out %1 mute"},
        {"gpio", "GPIO %1", "GPIO %1"},
        {"sampleRate", "采样率 (不发送)", "Sample rate (not sent)"},
        {"packetTime", "包时间 (ms)", "Packet time (ms)"},
        {"dsp", "当前处理器配置", "Current processor configuration"},
        {"dspProgram", "处理器程式 %2", "Processor program %2"},
        {"sampleByteNum", "采样字节数", "Sample bytes"},
        {"delayUs", "网络延迟 (µs)", "Network delay (µs)"},
        {"ptpPriority", "PTP 优先级", "PTP priority"},
        {"ptpDscp", "PTP DSCP", "PTP DSCP"},
        {"dscp", "流 DSCP", "Stream DSCP"},
        {"fixedIp", "固定 IP", "Fixed address"},
        {"ip", "IP 地址", "Address"},
        {"gateway", "网关", "Gateway"},
        {"dns", "DNS", "DNS"},
        {"ucastRoute", "网络输入 %1 单播路由", "Net in %1 unicast route"},
        {"mcastRoute", "网络输入 %1 组播路由", "Net in %1 multicast route"},
        {"stream", "组播流 %2", "Stream %2"},
    };
    for (const Label& l : labels) {
        if (change.key != QLatin1String(l.key))
            continue;
        QString text = QString::fromUtf8(chinese ? l.zh : l.en);
        if (text.contains(QLatin1String("%1")))
            text.replace(QLatin1String("%1"), QString::number(change.index + 1));
        return text.replace(QLatin1String("%2"), change.name);
    }
    return change.what;
}

QStringList ArchiveDiff::lines(const QVector<ArchiveChange>& changes, bool chinese)
{
    // Values the device has none of show as "-", so "nothing -> something" reads as such.
    auto shown = [](const QString& v) { return v.isEmpty() ? QStringLiteral("-") : v; };
    QStringList out;
    out.reserve(changes.size());
    for (const ArchiveChange& c : changes)
        out << QStringLiteral("  %1: %2: %3 -> %4")
                   .arg(ArchiveCategories::displayName(c.category, chinese), label(c, chinese), shown(c.online),
                        shown(c.archive));
    return out;
}
