#include "SapAnnouncer.h"

QString SapAnnouncer::ptimeText(int frames, int sampleRate)
{
    return QString::number(1000.0 * frames / sampleRate, 'g', 6);
}

QByteArray SapAnnouncer::sdpText(const SimDevice& device, const SimTxStream& stream)
{
    const SimDeviceConfig& c = device.config();
    const QString devIp = SimDeviceConfig::ipText(device.ip());
    const QString group = SimDeviceConfig::ipText(stream.sdp.dstIp);
    // The session id only has to be stable per stream and sender.
    const quint32 sessionId = (stream.sdp.dstIp ^ (device.ip() << 7)) & 0x7FFFFFFF;
    QString s;
    s += QStringLiteral("v=0\r\n");
    s += QStringLiteral("o=- %1 %2 IN IP4 %3\r\n").arg(sessionId).arg(stream.version).arg(devIp);
    s += QStringLiteral("s=%1\r\n").arg(stream.name);
    s += QStringLiteral("c=IN IP4 %1/32\r\n").arg(group);
    s += QStringLiteral("t=0 0\r\n");
    s += QStringLiteral("a=clock-domain:PTPv2 0\r\n");
    s += QStringLiteral("m=audio %1 RTP/AVP 96\r\n").arg(stream.sdp.dstPort);
    s += QStringLiteral("a=rtpmap:96 L%1/%2/%3\r\n")
             .arg(8 * stream.sdp.sampleByteNum)
             .arg(c.sampleRate)
             .arg(stream.sdp.chNum);
    s += QStringLiteral("a=sendonly\r\n");
    s += QStringLiteral("a=ptime:%1\r\n").arg(ptimeText(c.pFrameNum, c.sampleRate));
    s += QStringLiteral("a=ts-refclk:ptp=IEEE1588-2008:%1:0\r\n").arg(device.gmClkId());
    s += QStringLiteral("a=mediaclk:direct=%1\r\n").arg(stream.sdp.rtpTsOffset);
    s += QStringLiteral("a=source-filter: incl IN IP4 %1 %2\r\n").arg(group, devIp);
    return s.toUtf8();
}

QByteArray SapAnnouncer::frame(bool deletion, quint32 originIp, const QByteArray& hashed, const QByteArray& payload)
{
    // The hash identifies this version of the announcement; 0 would tell receivers to ignore it.
    quint16 hash = qChecksum(hashed.constData(), static_cast<uint>(hashed.size()));
    if (hash == 0)
        hash = 1;
    QByteArray p;
    p.reserve(24 + payload.size());
    // V=1, IPv4, not encrypted, not compressed; the T bit marks a deletion.
    p.append(char(deletion ? 0x24 : 0x20));
    p.append(char(0)); // no authentication data
    p.append(char(hash >> 8));
    p.append(char(hash & 0xFF));
    p.append(char(originIp >> 24));
    p.append(char((originIp >> 16) & 0xFF));
    p.append(char((originIp >> 8) & 0xFF));
    p.append(char(originIp & 0xFF));
    p.append("application/sdp", 15);
    p.append(char(0));
    p.append(payload);
    return p;
}

QByteArray SapAnnouncer::packet(quint32 originIp, const QByteArray& sdp)
{
    return frame(false, originIp, sdp, sdp);
}

QByteArray SapAnnouncer::deletionPacket(quint32 originIp, const QByteArray& sdp)
{
    QByteArray origin;
    for (const QByteArray& line : sdp.split('\n'))
        if (line.startsWith("o=")) {
            origin = line + '\n';
            break;
        }
    return frame(true, originIp, sdp, origin);
}

QVector<QByteArray> SapAnnouncer::packetsFor(const SimDevice& device)
{
    QVector<QByteArray> out;
    for (const SimTxStream& s : device.mcastTx())
        if (s.used)
            out.append(packet(device.ip(), sdpText(device, s)));
    return out;
}
