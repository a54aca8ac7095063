#pragma once
#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>

/// Requests this controller sent whose replies change the registry ("setIp", "reboot",
/// "clrMcastTx"). A reply of those kinds is honoured only when it answers one of them: any host
/// can send the unicast socket a datagram, and an unsolicited one must not remove a device.
///
/// Bounded: one entry per device and kind (a few outstanding requests counted in it), at most
/// kMaxEntries entries (the oldest goes first), each forgotten kLifeMs after its last request.
/// Thread-safe: requests leave from any thread, replies are checked on the network thread.
class PendingRequests
{
public:
    enum Kind
    {
        SetIp,
        Reboot,
        ClrMcastTx
    };
    static constexpr int kLifeMs = 10000;
    static constexpr int kMaxEntries = 256;
    static constexpr int kMaxPerEntry = 8;

    /// Milliseconds of a steady clock; tests pass their own.
    using Clock = std::function<qint64()>;
    explicit PendingRequests(Clock now = Clock());

    static PendingRequests& instance();

    /// The kind of a request or reply named `ops`; false for every other command.
    static bool kindOf(const QString& ops, Kind* kind);

    /// Notes a request body leaving for `ip`. Bodies of other kinds, or not JSON, are ignored.
    /// "setIp" is broadcast and names its device by "devId"; the others are known by address.
    void noteSent(const QByteArray& body, uint32_t ip);
    void note(Kind kind, const QString& devId, uint32_t ip);
    /// Consumes one outstanding request of `kind` sent to this device (by devId or address).
    /// False when there is none within its time limit.
    bool take(Kind kind, const QString& devId, uint32_t ip);

    int entryCount() const;
    void clear();

private:
    struct Entry
    {
        Kind kind;
        QString devId; ///< empty when sent by address
        uint32_t ip;   ///< 0 when sent by devId
        int count;
        qint64 expiresMs;
    };
    void purgeLocked(qint64 now);

    Clock m_now;
    mutable QMutex m_mutex;
    QVector<Entry> m_entries;
};
