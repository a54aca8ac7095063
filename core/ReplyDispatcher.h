#pragma once
#include <QHash>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <functional>

class DevDetailStore;
class PendingRequests;

/// The reply dispatcher of the command protocol: attributes each reply on the unicast socket to
/// a device, updates the device detail store, continues the channel-name read-out, and hands
/// the reply, rewritten into the windows' vocabulary, to the windows. Runs on the network thread.
///
/// Attribution trusts the datagram's source only: its address (a device's, or an entry of the
/// reply-address map) and its port (the device's command port or a service port). A "devId" in
/// the reply that names another device is replaced by the attributed one, whatever the kind of
/// reply. Replies that change the registry ("setIp", "reboot", "clrMcastTx") take effect only
/// when they answer a request noted in PendingRequests.
class ReplyDispatcher
{
public:
    /// Where dispatched messages go (each is emitted as a queued signal by the owner).
    struct Sink
    {
        std::function<void(const QString&)> recvMessage;
        std::function<void(const QString&)> refreshDevAndChName;
        std::function<void(int)> updateChName;
        std::function<void(const QString&)> showTips;
        std::function<void()> refreshRoute;
        /// A device confirmed "reboot": hold its registry life at 0 for a while.
        std::function<void(const QString&)> rebootConfirmed;
    };

    ReplyDispatcher(DevDetailStore& store, Sink sink);
    ReplyDispatcher(DevDetailStore& store, Sink sink, PendingRequests& pending);

    /// Dispatches one datagram (NUL-terminated behind `length`) from `srcIp`:`srcPort`.
    void dispatch(const char* data, int length, uint32_t srcIp, uint16_t srcPort);

    /// True for the ports a device answers from: its command port and the fixed service ports.
    static bool isReplyPort(uint16_t srcPort, int commandPort);

private:
    struct Reply
    {
        QJsonObject obj;
        QString ops;
        QString devId;       ///< attributed device
        QString interfaceId; ///< "devId:n" when the reply names one of that device's further interfaces
        uint32_t devIp = 0;
        int devPort = 0;
    };
    using Handler = std::function<void(ReplyDispatcher*, Reply&)>;

    bool attribute(Reply& r, uint32_t srcIp, uint16_t srcPort);
    /// True when the reply answers a noted request of its kind (consumed); logs when not.
    bool solicited(const Reply& r);
    void logUnsolicited(const Reply& r);
    void emitMessage(const QJsonObject& obj);
    void emitRefresh(const QJsonObject& obj);
    void setDevId(Reply& r);
    void handleDspTagged(Reply& r);
    void handleChannelNamePage(Reply& r);
    void handleSetChName(Reply& r, bool physical);
    static const QHash<QString, Handler>& handlers();

    DevDetailStore& m_store;
    Sink m_sink;
    PendingRequests& m_pending;
    quint64 m_forgedCount = 0; ///< replies naming another device; logged sparsely
    quint64 m_unsolicitedCount = 0;
    quint64 m_refusedCount = 0; ///< texts repeating a member with an object or array value
};
