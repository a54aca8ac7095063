#pragma once
// Registry input for the store and core tests: announcements and SAP packets as devices send them.
#include "DevManager.h"
#include "TestAnnouncement.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QString>

namespace storetest {

/// A complete announcement, `extra` members overriding, handed to the registry from its own address.
inline int announce(const QString& devId, const QString& ip, const QJsonObject& extra = {},
                    const QString& name = QStringLiteral("dev"))
{
    QJsonObject o = testAnnouncement(devId, name, ip);
    for (auto it = extra.begin(); it != extra.end(); ++it)
        o.insert(it.key(), it.value());
    const QByteArray msg = QJsonDocument(o).toJson(QJsonDocument::Compact);
    return userCallLib_handleUdp_mcast(msg.constData(), msg.size(), dvm_parseIp(ip), 9996);
}

/// A SAP announcement from `origin` of a stream of `channels` channels to `group`.
inline int announceStream(const QString& name, const QString& group, int channels, int port = 5004, int rate = 48000,
                          const QString& origin = QStringLiteral("192.168.1.10"))
{
    const uint32_t from = dvm_parseIp(origin);
    QByteArray p("\x20\x00\x12\x34", 4);
    for (int shift = 24; shift >= 0; shift -= 8)
        p.append(char((from >> shift) & 0xFF));
    p.append("application/sdp", 16);
    p += QStringLiteral("v=0\r\no=- 1 1 IN IP4 %1\r\ns=%2\r\nc=IN IP4 %3/32\r\nt=0 0\r\nm=audio %4 RTP/AVP 96\r\n"
                        "a=rtpmap:96 L24/%5/%6\r\na=ptime:1\r\n"
                        "a=ts-refclk:ptp=IEEE1588-2008:00-1D-C1-FF-FE-12-34-56:0\r\na=mediaclk:direct=0\r\n")
             .arg(origin, name, group)
             .arg(port)
             .arg(rate)
             .arg(channels)
             .toUtf8();
    return userCallLib_handleUdp_sap(p.constData(), p.size(), from, 9875);
}

} // namespace storetest
