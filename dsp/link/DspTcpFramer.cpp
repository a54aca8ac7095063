#include "DspTcpFramer.h"

#include <QtEndian>

void DspTcpFramer::setMaxMessage(int bytes)
{
    m_maxMessage = qMax(1, bytes);
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
            if (length > static_cast<quint32>(m_maxMessage)) {
                // Holding it would let one bad header claim gigabytes; the stream cannot be trusted after it.
                m_errors << QStringLiteral("tcp 读取数据，解析长度错误 %1 (limit %2)").arg(length).arg(m_maxMessage);
                m_payload.clear();
                m_remaining = 0;
                m_broken = true;
                return out;
            }
            m_remaining = length;
            m_awaitingHeader = false;
            continue;
        }
        const int take = static_cast<int>(qMin<qint64>(m_remaining, size - pos));
        if (m_payload.isEmpty() && take == m_remaining) {
            out.append(bytes.mid(pos, take));
        } else {
            m_payload.append(bytes.constData() + pos, take);
        }
        pos += take;
        m_remaining -= take;
        if (m_remaining == 0) {
            if (!m_payload.isEmpty()) {
                out.append(m_payload);
                m_payload.clear();
            }
            m_awaitingHeader = true;
        }
    }
    return out;
}

QStringList DspTcpFramer::errors()
{
    QStringList out;
    out.swap(m_errors);
    return out;
}

void DspTcpFramer::reset()
{
    m_awaitingHeader = true;
    m_broken = false;
    m_remaining = 0;
    m_header.clear();
    m_payload.clear();
}
