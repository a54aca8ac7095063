#include "ArchiveCategory.h"

namespace {

struct CategoryNames
{
    const char* chinese;
    const char* english;
    const char* key;
};

// In the order of ArchiveCategory.
const CategoryNames kNames[ArchiveCategories::Count] = {
    {"设备信息", "Device information", "info"},
    {"设备名称", "Device name", "name"},
    {"通道名称", "Channel names", "channel-names"},
    {"通道增益", "Channel gains", "gains"},
    {"设备参数", "Device parameters", "params"},
    {"采样深度", "Sample depth", "depth"},
    {"网络延迟", "Network delay", "delay"},
    {"PTP 时钟优先级", "PTP clock priority", "ptp-priority"},
    {"PTP Dscp 优先级", "PTP DSCP priority", "ptp-dscp"},
    {"流 Dscp 优先级", "Stream DSCP priority", "dscp"},
    {"网络配置", "Network configuration", "network"},
    {"IP 地址配置", "IP address configuration", "ip"},
    {"路由配置", "Route configuration", "routes"},
    {"设备路由", "Device routes", "mcast-routes"},
};

// The export group each category chooses.
const OfflineExportFlags::Group kGroups[ArchiveCategories::Count] = {
    OfflineExportFlags::DeviceInfo,   OfflineExportFlags::DeviceName,  OfflineExportFlags::ChannelNames,
    OfflineExportFlags::ChannelGains, OfflineExportFlags::AudioParams, OfflineExportFlags::SampleDepth,
    OfflineExportFlags::NetworkDelay, OfflineExportFlags::PtpPriority, OfflineExportFlags::PtpDscp,
    OfflineExportFlags::StreamDscp,   OfflineExportFlags::Network,     OfflineExportFlags::Network,
    OfflineExportFlags::Routes,       OfflineExportFlags::McastRoutes,
};

bool valid(ArchiveCategory c)
{
    return int(c) >= 0 && int(c) < ArchiveCategories::Count;
}

} // namespace

ArchiveCategories ArchiveCategories::all()
{
    ArchiveCategories s;
    s.m_on.fill(true);
    return s;
}

bool ArchiveCategories::has(ArchiveCategory c) const
{
    return valid(c) && m_on[size_t(c)];
}

void ArchiveCategories::set(ArchiveCategory c, bool on)
{
    if (valid(c))
        m_on[size_t(c)] = on;
}

bool ArchiveCategories::isEmpty() const
{
    for (bool b : m_on)
        if (b)
            return false;
    return true;
}

bool ArchiveCategories::isAll() const
{
    for (bool b : m_on)
        if (!b)
            return false;
    return true;
}

QList<ArchiveCategory> ArchiveCategories::list() const
{
    QList<ArchiveCategory> out;
    for (int i = 0; i < Count; ++i)
        if (m_on[size_t(i)])
            out << ArchiveCategory(i);
    return out;
}

QString ArchiveCategories::chineseName(ArchiveCategory c)
{
    return valid(c) ? QString::fromUtf8(kNames[int(c)].chinese) : QString();
}

QString ArchiveCategories::englishName(ArchiveCategory c)
{
    return valid(c) ? QString::fromLatin1(kNames[int(c)].english) : QString();
}

QString ArchiveCategories::displayName(ArchiveCategory c, bool chinese)
{
    return chinese ? chineseName(c) : englishName(c);
}

QString ArchiveCategories::key(ArchiveCategory c)
{
    return valid(c) ? QString::fromLatin1(kNames[int(c)].key) : QString();
}

bool ArchiveCategories::parse(const QString& list, ArchiveCategories* out, QString* error)
{
    ArchiveCategories result;
    const QStringList parts = list.split(QLatin1Char(','));
    for (const QString& raw : parts) {
        const QString word = raw.trimmed();
        if (word.isEmpty())
            continue;
        if (word == QLatin1String("all")) {
            result = all();
            continue;
        }
        int found = -1;
        for (int i = 0; i < Count && found < 0; ++i)
            if (word == QLatin1String(kNames[i].key))
                found = i;
        if (found < 0) {
            if (error) {
                QStringList keys;
                for (int i = 0; i < Count; ++i)
                    keys << QLatin1String(kNames[i].key);
                *error = QStringLiteral("unknown category \"%1\" (known: all, %2)").arg(word, keys.join(", "));
            }
            return false;
        }
        result.m_on[size_t(found)] = true;
    }
    if (result.isEmpty()) {
        if (error)
            *error = QStringLiteral("no category given");
        return false;
    }
    if (out)
        *out = result;
    return true;
}

QString ArchiveCategories::keys() const
{
    if (isAll())
        return QStringLiteral("all");
    QStringList out;
    for (ArchiveCategory c : list())
        out << key(c);
    return out.join(QLatin1Char(','));
}

OfflineExportFlags ArchiveCategories::exportFlags() const
{
    OfflineExportFlags flags;
    for (int g = 0; g < OfflineExportFlags::GroupCount; ++g)
        flags.set(OfflineExportFlags::Group(g), false);
    for (int i = 0; i < Count; ++i)
        if (m_on[size_t(i)])
            flags.set(kGroups[i], true);
    return flags;
}
