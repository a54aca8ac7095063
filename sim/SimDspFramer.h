#pragma once

#include <QByteArray>
#include <QList>

/// The DSP service's stream framing: each message is a 4-byte little-endian byte count followed by that many
/// bytes of compact UTF-8 JSON. Reassembles messages split over reads and splits reads holding several.
class SimDspFramer
{
public:
    /// Longest message accepted; a larger count means the peer is broken or hostile.
    static constexpr int kDefaultMaxBytes = 16 * 1024 * 1024;

    explicit SimDspFramer(int maxBytes = kDefaultMaxBytes) : m_maxBytes(maxBytes) {}

    /// Adds received bytes and appends every completed message to `messages`. Returns false once a count of 0
    /// or above the limit arrives: the stream can no longer be trusted and the connection should be dropped
    /// (later calls keep returning false).
    bool feed(const QByteArray& bytes, QList<QByteArray>* messages);
    /// Bytes held for an incomplete message (count included).
    int pendingBytes() const { return m_buffer.size(); }

    static QByteArray frame(const QByteArray& payload);

private:
    int m_maxBytes;
    QByteArray m_buffer;
    bool m_broken = false;
};
