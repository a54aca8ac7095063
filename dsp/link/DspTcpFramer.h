#pragma once
#include <QByteArray>
#include <QList>
#include <QStringList>

/// Splits the processor's TCP byte stream into messages: each message is a 4-byte little-endian byte count
/// followed by that many bytes of UTF-8 JSON. Pure: no sockets, no logging; one instance per connection.
///
/// Reads may cut the stream anywhere: a header split over reads is assembled, and bytes after a complete
/// message begin the next one. A zero count is an empty frame: it is reported in errors() and skipped.
/// The cap depends on what was asked: a configuration reply may be large, every other message is small. Each
/// configuration request the caller sends (expectReplyTo()) grants one frame up to maxLargeMessage(); a frame
/// above maxMessage() without such a grant, or above maxLargeMessage() in any case, is never held.
/// A count above its cap cannot be resynchronised: it is reported, the partial state is dropped and every later
/// byte is ignored until reset(); the caller should drop the connection (see isBroken()).
/// A message whose JSON repeats a member name with an object or array value is dropped and reported: the windows
/// read messages with Qt's parser, which leaks what such a member replaces.
class DspTcpFramer
{
public:
    /// Every reply but a configuration.
    static constexpr int kDefaultMaxMessage = 256 * 1024;
    /// A configuration reply ("getConfig", "getConfigByName").
    static constexpr int kDefaultMaxLargeMessage = 8 * 1024 * 1024;
    /// Grants held at once: more configuration requests in flight than this gain nothing.
    static constexpr int kMaxLargeGrants = 4;
    static constexpr int kHeaderSize = 4;

    /// Largest payload accepted without a grant (bytes, at least 1). Takes effect for the next header read.
    void setMaxMessage(int bytes);
    int maxMessage() const { return m_maxMessage; }
    /// Largest payload accepted with a grant (bytes, never below maxMessage()).
    void setMaxLargeMessage(int bytes);
    int maxLargeMessage() const { return qMax(m_maxLargeMessage, m_maxMessage); }

    /// True when `payload` (a request as sent, JSON) asks for a configuration.
    static bool isConfigRequest(const QByteArray& payload);
    /// Call with each request sent: a configuration request grants one large frame (at most kMaxLargeGrants held).
    void expectReplyTo(const QByteArray& payload);
    int largeGrants() const { return m_largeGrants; }

    /// The 4-byte little-endian byte count of `payload`, then `payload`.
    static QByteArray frame(const QByteArray& payload);

    /// Consumes one read; returns the messages completed by it, in order (payloads without headers).
    QList<QByteArray> feed(const QByteArray& bytes);

    /// Error texts met since the previous call; the list is cleared by the call.
    QStringList errors();

    /// True after a count above the cap: the stream is out of step until reset().
    bool isBroken() const { return m_broken; }

    /// Forgets any partial message and a broken state; call on every new connection.
    void reset();

    /// Bytes held for the message being assembled (partial header or payload); never above maxLargeMessage() + 4.
    int buffered() const { return m_header.size() + m_payload.size(); }

    /// True when the next byte belongs to a header.
    bool isAwaitingHeader() const { return m_awaitingHeader; }

private:
    void complete(QList<QByteArray>& out, const QByteArray& message);

    int m_maxMessage = kDefaultMaxMessage;
    int m_maxLargeMessage = kDefaultMaxLargeMessage;
    int m_largeGrants = 0;
    bool m_awaitingHeader = true;
    bool m_broken = false;
    qint64 m_remaining = 0;
    QByteArray m_header;
    QByteArray m_payload;
    QStringList m_errors;
};
