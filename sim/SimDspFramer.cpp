#include "SimDspFramer.h"

#include <QtEndian>

bool SimDspFramer::feed(const QByteArray& bytes, QList<QByteArray>* messages)
{
    if (m_broken)
        return false;
    m_buffer.append(bytes);
    int at = 0;
    while (m_buffer.size() - at >= 4) {
        const quint32 length = qFromLittleEndian<quint32>(m_buffer.constData() + at);
        if (length == 0 || length > quint32(m_maxBytes)) {
            m_broken = true;
            m_buffer.clear();
            return false;
        }
        if (quint32(m_buffer.size() - at - 4) < length)
            break;
        messages->append(m_buffer.mid(at + 4, int(length)));
        at += 4 + int(length);
    }
    m_buffer.remove(0, at);
    return true;
}

QByteArray SimDspFramer::frame(const QByteArray& payload)
{
    QByteArray out(4, '\0');
    qToLittleEndian<quint32>(quint32(payload.size()), out.data());
    out.append(payload);
    return out;
}
