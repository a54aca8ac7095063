#pragma once

#include "SimCommandHandlers.h"
#include "SimDevice.h"
#include "SimDeviceConfig.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QJsonObject>
#include <QObject>
#include <QTimer>
#include <QVector>

#include <functional>
#include <memory>
#include <utility>

class SimDeviceNode;
class SimProbeResponder;
class SimBroadcastListener;
class QRandomGenerator;

/// A SAP datagram a device sends because one of its multicast streams appeared or went away.
struct SimSapPacket
{
    int device = -1;
    QByteArray packet;
    bool deletion = false; ///< repeated a little later: one lost datagram would leave the stream listed
    quint32 group = 0;     ///< of a deletion: not repeated once the group is sent again
};

/// What a state change touched: the devices whose routes and whose active flags changed (indices), and the
/// SAP announcements or deletions it causes.
struct SimChange
{
    QString error;
    QVector<int> routeChanged;
    QVector<int> activeChanged;
    QVector<SimSapPacket> sap;
    /// The stream slot a creation or join took; -1 otherwise.
    int streamId = -1;

    bool ok() const { return error.isEmpty(); }
    bool changed() const { return !routeChanged.isEmpty() || !activeChanged.isEmpty() || !sap.isEmpty(); }
    void markRoute(int index);
    void markActive(int index);
};

/// All simulated devices of one process: their state, the routes between them and, once started, their
/// sockets and the timers that make them announce themselves, their streams and their clock state.
class SimNetwork : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        quint16 port = 9990;
        int pageSize = 8;
        int announceMs = 1000;
        int sapMs = 1000;
        int clockMs = 1000;
        /// Where the "AreYouMeridane?" probe is heard; tests pick a free port.
        quint16 probePort = 9999;
        /// How long a "reboot" keeps a device silent.
        int rebootMs = 4000;
        /// Where broadcast settings requests ("setIp") are heard on any address; tests pick a free port.
        quint16 broadcastPort = kSettingsPort;
    };

    static constexpr quint32 kDeviceGroup = 0xEF0000BCu; // 239.0.0.188
    static constexpr quint16 kDevicePort = 9996;
    static constexpr quint32 kSapGroup = 0xEFFFFFFFu; // 239.255.255.255
    static constexpr quint16 kSapPort = 9875;
    static constexpr quint16 kSettingsPort = 9994;
    static constexpr quint16 kLockPort = 9995;
    static constexpr quint16 kDspPort = 8999;
    static constexpr quint16 kAmpPort = 9992;
    static constexpr quint16 kCfgPort = 9993;
    static constexpr quint16 kAmpModulePort = 12001;
    static constexpr quint16 kFactoryPort = 12000;
    static constexpr quint16 kAmpModule2Port = 12002;
    static constexpr quint16 kTunnelPort = 7999;

    explicit SimNetwork(const Options& options, QObject* parent = nullptr);
    ~SimNetwork() override;

    /// Creates the devices and applies their multicast streams, routes and subscriptions, in that order.
    /// The first device is the clock grandmaster. Returns false with `error` on any conflict.
    bool build(const QVector<SimDeviceConfig>& configs, QString* error);

    const Options& options() const { return m_options; }
    int deviceCount() const { return m_devices.size(); }
    SimDevice& device(int index) { return m_devices[index]; }
    const SimDevice& device(int index) const { return m_devices[index]; }
    int indexOfDevId(const QString& devId) const;
    int indexOfIp(quint32 ip) const;
    /// Handlers for datagrams on the command sockets; add one to teach the devices a new command.
    SimCommandHandlers& handlers() { return m_handlers; }
    const SimCommandHandlers& handlers() const { return m_handlers; }

    /// Receive channel rxCh of devId takes channel srcCh of srcDevId by unicast. An existing route of
    /// rxCh is replaced. On failure nothing changes.
    SimChange route(const QString& devId, int rxCh, const QString& srcDevId, int srcCh);
    /// Removes the route of one receive channel; no change when it has none.
    SimChange unroute(const QString& devId, int rxCh);
    /// Device devId starts sending a multicast stream in its lowest free slot and announces it by SAP;
    /// devices already joined to the group become active. The media clock offset (in samples) is derived
    /// from the stream's addresses unless given.
    SimChange addMcastTx(const QString& devId, const SimMcastTxConfig& stream,
                         std::optional<quint32> rtpTsOffset = std::nullopt);
    /// Device devId stops sending its multicast stream to `group` and sends a SAP deletion; its receivers
    /// stay joined but inactive.
    SimChange removeMcastTx(const QString& devId, quint32 group);
    /// Receive channel rxCh of devId takes channel streamCh of the multicast stream `sdp` describes; the
    /// device joins the group in a free multicast receive slot unless it already receives it. The stream
    /// is active when a simulated device sends it. On failure nothing changes.
    SimChange joinMcast(const QString& devId, const SimSdp& sdp, int streamCh, int rxCh);
    /// Device devId receives the multicast stream sent to `group`: stream channel k feeds rxChannels[k].
    SimChange subscribeMcast(const QString& devId, quint32 group, const QVector<int>& rxChannels);

    /// Monotonic milliseconds; the uptimes count from it.
    qint64 nowMs() const { return m_clock ? m_clock() : m_elapsed.elapsed(); }
    /// Replaces the clock (tests). Call before build(): uptimes start at the clock's time of build().
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

    /// False while device `index` is silenced or rebooting; ends a reboot whose time is up first.
    bool isAnswering(int index);
    /// Answering, or silenced but still announcing itself.
    bool isAnnouncing(int index);
    /// Ends every reboot whose time is up: the pending settings apply and the device announces at once.
    void settleReboots();
    /// Device `index` goes quiet for the reboot time; its pending settings apply when it comes back.
    void startReboot(int index);

    /// Answers of the serial tunnel: the microphone processor's for its commands, else the datagram followed by
    /// "\r\nOK\r\n", cut to one frame; empty while the device does not answer.
    QByteArray tunnelEcho(int index, const QByteArray& datagram);

    /// Whether an address exists on an interface of the host (default: a socket can be bound to it).
    void setAddressCheck(std::function<bool(quint32)> check) { m_addressIsLocal = std::move(check); }
    /// Device `index` takes address `ip` when the host has it and no other device uses it: every stream
    /// description naming the old address follows, and a started device re-binds its sockets there (after
    /// the current datagram's answers are out). Returns whether it will move.
    bool requestMove(int index, quint32 ip);
    /// Sends a datagram from the socket of device `index` that serves `services` (for answers to requests
    /// that arrived elsewhere, such as broadcasts).
    void sendFromDevice(int index, SimServices services, const QByteArray& payload, const QHostAddress& to,
                        quint16 port);

    /// Every started, unsilenced device with a secondary unit answers a probe from `asker`:`port`.
    /// Returns the number of answers sent.
    int answerProbe(const QHostAddress& asker, quint16 port);
    /// True when device `index` answers probes from its secondary unit's own address.
    bool answersFromSecondary(int index) const;

    /// {"devices":[...]} in the controller's dump shape.
    QJsonObject dump() const;

    /// Binds every device's sockets and starts the timers; false with `error` when a bind fails. The probe
    /// listener is optional: when its port cannot be shared the devices run without it (logged).
    bool start(QString* error);
    bool isStarted() const { return !m_nodes.empty(); }
    /// Multicasts "updateRoute"/"updateActive" from the devices that a change touched and sends its SAP
    /// packets (only once started).
    void publish(const SimChange& change);

    /// One whole round of each periodic transmission at once (start-up, a device back from a reboot).
    void announceAll();
    void sapAll();
    void clockAll();
    /// The timers send each round in slices spread over its period, at most `maxBurst` datagrams at a time:
    /// a thousand devices sending in the same millisecond overflow receive buffers and queues that devices
    /// keeping their own moments never fill. A network of up to `maxBurst` devices still sends in one go.
    static int sliceCount(int datagrams, int periodMs, int maxBurst);
    static constexpr int kMaxBurst = 32;
    /// The two servo events a slave sends each round: "masterOffset" (locked, a small offset in ns) and
    /// "adjustFreq" (a small correction in ppm), both varying from round to round.
    static QVector<QJsonObject> clockEvents(QRandomGenerator& rng);

private:
    /// A deep copy of the devices that leaves their storage in place: references callers hold to a device
    /// stay valid across a change (a shared copy would move the live devices on the next write).
    QVector<SimDevice> snapshot() const;
    /// Undoes a failed change in place, for the same reason.
    void restore(const QVector<SimDevice>& saved);
    void moveDevice(int index, quint32 ip);
    void unrouteInternal(int index, int rxCh, SimChange& change);
    static void updateUnicastChNum(SimSdp& sdp, const std::array<int, kSimStreamSlots>& ids);
    static quint32 tsOffsetFor(quint32 a, quint32 b, quint32 c);

    Options m_options;
    QVector<SimDevice> m_devices;
    SimCommandHandlers m_handlers;
    std::vector<std::unique_ptr<SimDeviceNode>> m_nodes;
    std::unique_ptr<SimProbeResponder> m_probe;
    std::unique_ptr<SimBroadcastListener> m_broadcast;
    std::function<bool(quint32)> m_addressIsLocal;
    QElapsedTimer m_elapsed;
    std::function<qint64()> m_clock;
    struct Round
    {
        QTimer timer;
        int slices = 1;
        int next = 0;
    };
    void startRound(Round& round, int periodMs, int datagramsPerDevice);
    /// The device indexes [first, last) of the round's next slice.
    std::pair<size_t, size_t> nextSlice(Round& round);
    void announceRange(size_t first, size_t last);
    void sapRange(size_t first, size_t last);
    void clockRange(size_t first, size_t last);

    Round m_announce;
    Round m_sap;
    Round m_clockRound;
};
