#pragma once
// OfflineExportFlags.h uses size_t without including its header.
#include <cstddef>

#include "OfflineExportFlags.h"

#include <QString>
#include <QStringList>

#include <array>

/// The fourteen parameter categories an export writes and a load sends, in the order the dialogs list them.
enum class ArchiveCategory
{
    DeviceInfo,    ///< "设备信息": GPIO entries
    DeviceName,    ///< "设备名称"
    ChannelNames,  ///< "通道名称"
    ChannelGains,  ///< "通道增益": physical gains and mutes
    DeviceParams,  ///< "设备参数": sample rate, packet time, processor configuration
    SampleDepth,   ///< "采样深度"
    NetworkDelay,  ///< "网络延迟"
    PtpPriority,   ///< "PTP 时钟优先级"
    PtpDscp,       ///< "PTP Dscp 优先级"
    StreamDscp,    ///< "流 Dscp 优先级"
    NetworkConfig, ///< "网络配置"
    IpAddress,     ///< "IP 地址配置"
    RouteConfig,   ///< "路由配置": unicast routes and transmit streams
    DeviceRoutes,  ///< "设备路由": multicast receive routes
    Count
};

/// A set of categories, with their names in both languages and on the command line, and the export flags
/// they choose.
class ArchiveCategories
{
public:
    static constexpr int Count = int(ArchiveCategory::Count);

    static ArchiveCategories all();
    static ArchiveCategories none() { return ArchiveCategories(); }

    bool has(ArchiveCategory c) const;
    void set(ArchiveCategory c, bool on);
    bool isEmpty() const;
    bool isAll() const;
    QList<ArchiveCategory> list() const;

    /// "设备名称" and so on, as the dialogs show them.
    static QString chineseName(ArchiveCategory c);
    /// "Device name" and so on.
    static QString englishName(ArchiveCategory c);
    /// The name in the interface's language.
    static QString displayName(ArchiveCategory c, bool chinese);
    /// "name", "channel-names", ...: the command line's keys.
    static QString key(ArchiveCategory c);

    /// A comma-separated list of keys (or "all"); false with `error` naming the unknown key. An empty list is
    /// an error too: a load or export of nothing is a mistake.
    static bool parse(const QString& list, ArchiveCategories* out, QString* error);
    /// The keys of the set, comma-separated ("all" when every category is on).
    QString keys() const;

    /// The export flags: a group is written when any category that chooses it is on. Network and IP address
    /// both choose the network group; the processor configuration is written whatever is chosen.
    OfflineExportFlags exportFlags() const;

    bool operator==(const ArchiveCategories& o) const { return m_on == o.m_on; }

private:
    std::array<bool, Count> m_on{};
};
