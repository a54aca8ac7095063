#pragma once

#include "SimDeviceConfig.h"
#include "SimDeviceState.h"
#include "SimTypes.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>
#include <vector>

/// The eight tables a controller reads page by page.
enum class SimTable
{
    RxCh,
    RtpCh,
    UcastRx,
    UcastTx,
    McastRx,
    McastTx,
    ActiveUcast,
    ActiveMcast
};

/// The four channel-name lists a controller reads page by page, in the order it reads them.
enum class SimNameList
{
    Rx,
    Tx,
    PhyTx,
    PhyRx
};

/// The state of one simulated device: what it announces, its channel map, RTP channels, the four stream
/// tables and its clock identities. Pure data plus the answers built from it; no sockets.
/// Cross-device consistency (a unicast route shows on both ends) is kept by SimNetwork.
class SimDevice
{
public:
    SimDevice(const SimDeviceConfig& config, quint16 defaultPort);

    const SimDeviceConfig& config() const { return m_config; }
    /// The device as described at start: what a factory reset returns to.
    const SimDeviceConfig& factoryConfig() const { return m_factory; }
    /// A factory reset: the device name, the four channel-name lists, the OEM data, the GPIO entries (and their
    /// test levels) and the configuration text return to the factory ones. Addresses, routes, streams, levels,
    /// gains, locks and the processor stay.
    void resetToFactory();
    /// The announced values that commands change (name, delay, DSCP, PTP values, address, ...).
    SimDeviceConfig& editConfig() { return m_config; }
    SimDeviceState& state() { return m_state; }
    const SimDeviceState& state() const { return m_state; }
    const QString& devId() const { return m_config.devId; }
    quint32 ip() const { return m_config.ip; }
    quint16 port() const { return m_port; }
    const QString& gmClkId() const { return m_gmClkId; }
    void setGmClkId(const QString& id) { m_gmClkId = id; }
    bool isSilenced() const { return m_silenced; }
    void setSilenced(bool silenced) { m_silenced = silenced; }
    /// A silenced device that still announces: listed by controllers, but it answers nothing.
    bool keepsAnnouncing() const { return m_keepsAnnouncing; }
    void setKeepsAnnouncing(bool on) { m_keepsAnnouncing = on; }
    /// Arms a silence that begins (still announcing) with the first request of `ops` heard; that request goes
    /// unanswered. An empty text disarms.
    void silenceOn(const QString& ops) { m_silenceOnOps = ops; }
    /// Counts a heard request, and silences the device when it is the armed one.
    void hear(const QString& ops)
    {
        if (ops.isEmpty())
            return;
        ++m_state.requests[ops];
        if (!m_silenceOnOps.isEmpty() && ops == m_silenceOnOps) {
            m_silenceOnOps.clear();
            m_silenced = true;
            m_keepsAnnouncing = true;
        }
    }

    /// The "ops" name of a table's request and back; nullopt for any other name.
    static std::optional<SimTable> tableForOps(const QString& ops);
    static QString opsForTable(SimTable table);
    /// Number of ids of a table (its announced capacity).
    int tableCount(SimTable table) const;

    /// One page answering {"ops":<table>,"idStart":N}: ids [N, M) with M = min(N + pageSize, count), cut
    /// short (M lowered to the first id left out) when the datagram would exceed `maxBytes`.
    /// Requires 0 <= idStart <= tableCount(table) and pageSize >= 1.
    QJsonObject pageReply(SimTable table, int idStart, int pageSize, int maxBytes = kSimMaxDatagramBytes) const;

    /// The "ops" name of a channel-name list's request and back; nullopt for any other name.
    static std::optional<SimNameList> nameListForOps(const QString& ops);
    static QString opsForNameList(SimNameList list);
    const QStringList& names(SimNameList list) const { return m_names[static_cast<int>(list)]; }
    /// Renames channel `id` of a list; false when the id is out of range.
    bool setName(SimNameList list, int id, const QString& name);
    /// One page of names answering {"ops":<list>,"idStart":N}, paged and cut like pageReply.
    /// Requires 0 <= idStart <= names(list).size() and pageSize >= 1.
    QJsonObject namePageReply(SimNameList list, int idStart, int pageSize, int maxBytes = kSimMaxDatagramBytes) const;

    /// Compares without exposing the password: it must never reach a log or a dump.
    bool passwordMatches(const QString& candidate) const { return candidate == m_password; }
    bool hasPassword() const { return !m_password.isEmpty(); }
    void setPassword(const QString& password) { m_password = password; }
    quint32 lockMask() const { return m_lock; }
    void setLockMask(quint32 mask) { m_lock = mask; }
    quint32 dspLockMask() const { return m_dspLock; }
    void setDspLockMask(quint32 mask)
    {
        m_dspLock = mask;
        m_dspLockShown = mask;
    }
    /// What a read of the processor lock answers: normally the lock itself; after lockDspUnseen() the lock as it
    /// was, as when another controller locked the processor a moment ago and this one has not read it yet.
    quint32 dspLockMaskShown() const { return m_dspLockShown; }
    void lockDspUnseen(quint32 mask) { m_dspLock = mask; }

    /// Millidegrees Celsius reported by "getDebugInfo": temp plus a uniform variation of up to jitter.
    int temperatureBase() const { return m_temp; }
    int temperatureJitter() const { return m_tempJitter; }
    void setTemperature(int milliDegrees, int jitter);
    /// Whole seconds the device has been up at monotonic time nowMs.
    qint64 uptimeSeconds(qint64 nowMs) const;
    /// The device reports `seconds` of uptime at nowMs and counts on from there.
    void setUptime(qint64 seconds, qint64 nowMs);

    /// "S" followed by the devId for a device with a secondary unit; empty when it has none.
    QString secondaryHostName() const;
    /// The text the secondary unit answers the probe with; empty when the device has no secondary unit.
    QByteArray probeAnswer() const;

    /// The "iAmVeranto" announcement (every value a string, as on the wire).
    QJsonObject announcement() const;
    /// The device as the controller's dump prints it: numbers as numbers, only non-empty table entries.
    QJsonObject dumpJson() const;

    // Tables, indexed by id. SimNetwork edits them; sizes never change after construction.
    QVector<int>& rxChMap() { return m_rxChMap; }
    const QVector<int>& rxChMap() const { return m_rxChMap; }
    QVector<SimRtpChannel>& rtpChannels() { return m_rtpChannels; }
    const QVector<SimRtpChannel>& rtpChannels() const { return m_rtpChannels; }
    std::vector<SimRxStream>& ucastRx() { return m_ucastRx; }
    const std::vector<SimRxStream>& ucastRx() const { return m_ucastRx; }
    std::vector<SimTxStream>& ucastTx() { return m_ucastTx; }
    const std::vector<SimTxStream>& ucastTx() const { return m_ucastTx; }
    std::vector<SimRxStream>& mcastRx() { return m_mcastRx; }
    const std::vector<SimRxStream>& mcastRx() const { return m_mcastRx; }
    std::vector<SimTxStream>& mcastTx() { return m_mcastTx; }
    const std::vector<SimTxStream>& mcastTx() const { return m_mcastTx; }

    /// Number of receive channels fed by RTP channel `rtpId`.
    int rxChannelsUsing(int rtpId) const;
    /// Lowest unused RTP channel id, or -1.
    int freeRtpChannel() const;

    static QJsonObject sdpToWire(const SimSdp& sdp);
    static QJsonObject sdpToDump(const SimSdp& sdp);

private:
    std::optional<QJsonValue> wireEntry(SimTable table, int id) const;

    SimDeviceConfig m_config;
    SimDeviceConfig m_factory;
    SimDeviceState m_state;
    quint16 m_port;
    QString m_gmClkId;
    bool m_silenced = false;
    bool m_keepsAnnouncing = false;
    QString m_silenceOnOps;
    QVector<int> m_rxChMap;
    QVector<SimRtpChannel> m_rtpChannels;
    std::vector<SimRxStream> m_ucastRx;
    std::vector<SimTxStream> m_ucastTx;
    std::vector<SimRxStream> m_mcastRx;
    std::vector<SimTxStream> m_mcastTx;
    QStringList m_names[4];
    QString m_password;
    quint32 m_lock = 0;
    quint32 m_dspLock = 0;
    quint32 m_dspLockShown = 0;
    int m_temp = 45000;
    int m_tempJitter = 0;
    qint64 m_uptimeBase = 0;
    qint64 m_uptimeSinceMs = 0;
};
