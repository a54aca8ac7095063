#pragma once
#include <QHash>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <functional>

class DevDetailStore;

/// The reply dispatcher of the command protocol: attributes each reply on the unicast socket to
/// a device, updates the device detail store, continues the channel-name read-out, and hands
/// the reply, rewritten into the windows' vocabulary, to the windows. Runs on the network thread.
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

    /// Dispatches one datagram (NUL-terminated behind `length`) from `srcIp`.
    void dispatch(const char* data, int length, uint32_t srcIp);

private:
    struct Reply
    {
        QJsonObject obj;
        QString ops;
        QString devId; ///< attributed device
        uint32_t devIp = 0;
        int devPort = 0;
    };
    using Handler = std::function<void(ReplyDispatcher*, Reply&)>;

    void emitMessage(const QJsonObject& obj);
    void setDevId(Reply& r);
    void handleDspTagged(Reply& r);
    void handleChannelNamePage(Reply& r);
    void handleSetChName(Reply& r, bool physical);
    static const QHash<QString, Handler>& handlers();

    DevDetailStore& m_store;
    Sink m_sink;
};
