#pragma once
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>
#include <functional>

/// The rules a new multicast transmit stream passes before "setMcastTx" leaves, and the request itself.
/// Widget-free: the stream view shows the texts, this class decides.
class McastCreateChecks
{
public:
    static constexpr int kMaxChannels = 8;
    static constexpr int kMinPort = 1024;
    static constexpr int kMaxPort = 65534;

    /// Why a creation was refused, in the order the checks run.
    enum Failure
    {
        None,
        EmptyName,       ///< "组播流名称不能为空"
        NoChannel,       ///< "至少选中一个通道加入组播流"
        TooManyChannels, ///< the 8-channel information
        WrongIp,         ///< the address range text
        WrongPort,       ///< the port range text
        IpNotFilled,     ///< "请输入正确的ip"
        PortNotFilled,   ///< "请输入端口号"
        NoFreeAddress    ///< every automatic address of the prefix is in use
    };

    /// What the creation page holds.
    struct Input
    {
        QString name;
        QVector<int> channels; ///< checked transmit channels
        bool automatic = true;
        QString ip[4];
        QString port;
        QString rtpOffsetMs;
    };

    /// The device the stream is created on.
    struct Device
    {
        QString devId;
        uint32_t ip = 0; ///< host order
        int sampleRate = 0;
        int sampleByteNum = 0;
    };

    struct Outcome
    {
        Failure failure = None;
        QJsonObject request; ///< the "setMcastTx" command message when failure is None
    };

    /// Runs every check in order and builds the request. `inUse` holds the destination addresses already on
    /// the network; `random` is drawn for automatic addresses.
    static Outcome evaluate(const Input& in, const Device& dev, const QSet<uint32_t>& inUse,
                            const std::function<uint32_t()>& random);

    /// Name, channel and channel-count checks (the ones that come before any address check).
    static Failure checkNameAndChannels(const QString& name, const QVector<int>& channels);
    /// Custom address and port checks in their order: range of the address, range of the port, filled address
    /// fields, filled port.
    static Failure checkCustom(const QString (&ip)[4], const QString& port);

    /// An address `first`.`second`.x.y with x and y in 2..253 that is not in `inUse`. Draws from `random` a
    /// bounded number of times, then searches in order so it ends even on a crowded network. Empty when every
    /// address of the prefix is taken.
    static QString autoAddress(int first, int second, const QSet<uint32_t>& inUse,
                               const std::function<uint32_t()>& random);

    /// Channel numbers from check box names "channel_cb:N"; names without a number are skipped.
    static QVector<int> channelsFromNames(const QStringList& names);
    /// True when the firmware lets a new stream choose its port (plain text comparison with "3.1.4.6").
    static bool portEditable(const QString& firmwareVersion);
    /// The RTP time-stamp offset in samples: milliseconds times (rate / 1000, whole-number division).
    static uint32_t rtpTsOffset(int ms, int sampleRate);

    /// The "setMcastTx" command message; every value as text.
    static QJsonObject request(const Device& dev, const QString& name, const QVector<int>& channels,
                               const QString& dstIp, const QString& dstPort, uint32_t rtpTsOffset);
    /// Destination addresses of every multicast stream in the registry and every multicast transmit stream of
    /// the registry's devices.
    static QSet<uint32_t> addressesInUse();
};
