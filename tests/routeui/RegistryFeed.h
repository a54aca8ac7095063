#pragma once
// Devices, stream tables and announced streams enter the registry through its own handlers, as the network
// would bring them. Widget-free: the rule tests use it too.
#include "DevManager.h"
#include "TestAnnouncement.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace regfeed {

inline int feedMcast(const QJsonObject& o, const QString& ip)
{
    const QByteArray b = QJsonDocument(o).toJson(QJsonDocument::Compact);
    return userCallLib_handleUdp_mcast(b.constData(), b.size(), dvm_parseIp(ip), 9996);
}

inline int feedUcast(const QJsonObject& o, const QString& ip)
{
    const QByteArray b = QJsonDocument(o).toJson(QJsonDocument::Compact);
    return userCallLib_handleUdp_ucast(b.constData(), b.size(), dvm_parseIp(ip), 9990);
}

/// Announces a device; `extra` overrides members of the standard announcement.
inline int announce(const QString& devId, const QString& name, const QString& ip,
                    const QJsonObject& extra = QJsonObject())
{
    QJsonObject o = testAnnouncement(devId, name, ip);
    for (auto it = extra.begin(); it != extra.end(); ++it)
        o.insert(it.key(), it.value());
    return feedMcast(o, ip);
}

inline QJsonObject sdp(const QString& srcIp, const QString& dstIp, int chNum, int bytes = 3)
{
    return QJsonObject{{"srcIp", srcIp},
                       {"dstIp", dstIp},
                       {"dstPort", "5004"},
                       {"chNum", QString::number(chNum)},
                       {"sampleByteNum", QString::number(bytes)},
                       {"rtpTsOffset", "0"}};
}

/// Eight channel ids of which the first `used` are set, counting from `first`.
inline QJsonArray channels(int used, int first = 0)
{
    QJsonArray a;
    for (int i = 0; i < 8; ++i)
        a.append(QString::number(i < used ? first + i : -1));
    return a;
}

/// One page of a table reply ("getAllUcastRx", ...) from the device at `ip`.
inline int tablePage(const QString& ip, const char* ops, int idStart, int idNext, const QJsonArray& arr)
{
    return feedUcast(
        QJsonObject{
            {"ops", ops}, {"idStart", QString::number(idStart)}, {"idNext", QString::number(idNext)}, {"arr", arr}},
        ip);
}

inline QJsonObject rxEntry(int id, const QJsonObject& sdp, int used, int first = 0)
{
    return QJsonObject{
        {"id", QString::number(id)}, {"sdp", sdp}, {"rtpChIdArr", channels(used, first)}, {"active", "1"}};
}

inline QJsonObject txEntry(int id, const QJsonObject& sdp, int used, const QString& name = QStringLiteral("s"),
                           int first = 0)
{
    return QJsonObject{
        {"id", QString::number(id)}, {"sdp", sdp}, {"srcChIdArr", channels(used, first)}, {"name", name}};
}

/// A SAP announcement from `origin` of an L24 stream; the registry keeps the CR of its "s=" line.
inline int sapStream(const QString& origin, const QString& name, const QString& group, int channels = 2,
                     int port = 5004, const QString& ptime = QStringLiteral("1"))
{
    const uint32_t o = dvm_parseIp(origin);
    QByteArray p("\x20\x00\x12\x34", 4);
    for (int shift : {24, 16, 8, 0})
        p.append(char((o >> shift) & 0xFF));
    p.append("application/sdp", 16);
    p += QStringLiteral("v=0\r\no=- 1 1 IN IP4 %1\r\ns=%2\r\nc=IN IP4 %3/32\r\nt=0 0\r\n"
                        "m=audio %4 RTP/AVP 96\r\na=rtpmap:96 L24/48000/%5\r\na=recvonly\r\na=ptime:%6\r\n"
                        "a=ts-refclk:ptp=IEEE1588-2008:00-1D-C1-FF-FE-00-00-0A:0\r\na=mediaclk:direct=0\r\n")
             .arg(origin, name, group)
             .arg(port)
             .arg(channels)
             .arg(ptime)
             .toUtf8();
    return userCallLib_handleUdp_sap(p.constData(), p.size(), o, 9875);
}

} // namespace regfeed
