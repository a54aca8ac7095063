#pragma once
#include <QByteArray>
#include <QList>
#include <QStringList>

/// Splits the processor's TCP byte stream into messages: each message is a 4-byte little-endian byte count
/// followed by that many bytes of UTF-8 JSON. Pure: no sockets, no logging; one instance per connection.
///
/// Reads may cut the stream anywhere: a header split over reads is assembled, and bytes after a complete
/// message begin the next one. A zero count is an empty frame: it is reported in errors() and skipped.
/// A count above maxMessage() cannot be resynchronised: it is reported, the partial state is dropped and
/// every later byte is ignored until reset(); the caller should drop the connection (see isBroken()).
class DspTcpFramer
{
public:
    static constexpr int kDefaultMaxMessage = 16 * 1024 * 1024;
    static constexpr int kHeaderSize = 4;

    /// Largest payload accepted (bytes, at least 1). Takes effect for the next header read.
    void setMaxMessage(int bytes);
    int maxMessage() const { return m_maxMessage; }

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

    /// Bytes held for the message being assembled (partial header or payload); never above maxMessage() + 4.
    int buffered() const { return m_header.size() + m_payload.size(); }

    /// True when the next byte belongs to a header.
    bool isAwaitingHeader() const { return m_awaitingHeader; }

private:
    int m_maxMessage = kDefaultMaxMessage;
    bool m_awaitingHeader = true;
    bool m_broken = false;
    qint64 m_remaining = 0;
    QByteArray m_header;
    QByteArray m_payload;
    QStringList m_errors;
};
