#include "DspTcpFramer.h"

#include "UntrustedJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

void DspTcpFramer::setMaxMessage(int bytes)
{
    m_maxMessage = qMax(1, bytes);
}

void DspTcpFramer::setMaxLargeMessage(int bytes)
{
    m_maxLargeMessage = qMax(1, bytes);
}

bool DspTcpFramer::isConfigRequest(const QByteArray& payload)
{
    const QJsonValue ops = QJsonDocument::fromJson(payload).object().value(QStringLiteral("ops"));
    return ops == QLatin1String("getConfig") || ops == QLatin1String("getConfigByName");
}

void DspTcpFramer::expectReplyTo(const QByteArray& payload)
{
    if (isConfigRequest(payload))
        m_largeGrants = qMin(m_largeGrants + 1, int(kMaxLargeGrants));
}

QByteArray DspTcpFramer::frame(const QByteArray& payload)
{
    QByteArray out(kHeaderSize, Qt::Uninitialized);
    qToLittleEndian<quint32>(static_cast<quint32>(payload.size()), out.data());
    out.append(payload);
    return out;
}

QList<QByteArray> DspTcpFramer::feed(const QByteArray& bytes)
{
    QList<QByteArray> out;
    if (m_broken) {
        return out;
    }
    const int size = bytes.size();
    int pos = 0;
    while (pos < size) {
        if (m_awaitingHeader) {
            const int take = qMin(kHeaderSize - m_header.size(), size - pos);
            m_header.append(bytes.constData() + pos, take);
            pos += take;
            if (m_header.size() < kHeaderSize) {
                break;
            }
            const quint32 length = qFromLittleEndian<quint32>(m_header.constData());
            m_header.clear();
            if (length == 0) {
                // An empty frame: nothing to deliver, and the next byte starts the next header.
                m_errors << QStringLiteral("tcp 读取数据，解析长度错误 0");
                continue;
            }
            const bool large = length > static_cast<quint32>(m_maxMessage);
            const int limit = large && m_largeGrants > 0 ? maxLargeMessage() : m_maxMessage;
            if (length > static_cast<quint32>(limit)) {
                // Holding it would let one bad header claim gigabytes; the stream cannot be trusted after it.
                m_errors << QStringLiteral("tcp 读取数据，解析长度错误 %1 (limit %2%3)")
                                .arg(length)
                                .arg(limit)
                                .arg(limit == m_maxMessage ? QStringLiteral(", no configuration asked for")
                                                           : QString());
                m_payload.clear();
                m_remaining = 0;
                m_broken = true;
                return out;
            }
            if (large)
                --m_largeGrants; // the configuration asked for has come
            m_remaining = length;
            m_awaitingHeader = false;
            continue;
        }
        const int take = static_cast<int>(qMin<qint64>(m_remaining, size - pos));
        if (m_payload.isEmpty() && take == m_remaining) {
            complete(out, bytes.mid(pos, take));
        } else {
            m_payload.append(bytes.constData() + pos, take);
        }
        pos += take;
        m_remaining -= take;
        if (m_remaining == 0) {
            if (!m_payload.isEmpty()) {
                complete(out, m_payload);
                m_payload.clear();
            }
            m_awaitingHeader = true;
        }
    }
    return out;
}

void DspTcpFramer::complete(QList<QByteArray>& out, const QByteArray& message)
{
    const int at = dvm::repeatedContainerMember(message.constData(), message.size());
    if (at >= 0) {
        m_errors << QStringLiteral("tcp message of %1 bytes dropped: a member repeated with an object or array "
                                   "value at byte %2")
                        .arg(message.size())
                        .arg(at);
        return;
    }
    out.append(message);
}

QStringList DspTcpFramer::errors()
{
    QStringList out;
    out.swap(m_errors);
    return out;
}

void DspTcpFramer::reset()
{
    m_largeGrants = 0; // requests of an earlier connection get no answer on this one
    m_awaitingHeader = true;
    m_broken = false;
    m_remaining = 0;
    m_header.clear();
    m_payload.clear();
}
