#pragma once
// Devices and their stream tables enter the registry through its own handlers, as the network would bring them.
#include "DevManager.h"
#include "TestAnnouncement.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <string>

namespace clocktest {

inline void feedMcast(const QJsonObject& o, const QString& ip)
{
    const QByteArray b = QJsonDocument(o).toJson(QJsonDocument::Compact);
    userCallLib_handleUdp_mcast(b.constData(), b.size(), dvm_parseIp(ip), 9996);
}

/// Announces a device; `extra` overrides members of the standard announcement.
inline void announce(const QString& devId, const QString& ip, const QJsonObject& extra = QJsonObject())
{
    QJsonObject o = testAnnouncement(devId, devId + QStringLiteral("-name"), ip);
    for (auto it = extra.begin(); it != extra.end(); ++it)
        o.insert(it.key(), it.value());
    feedMcast(o, ip);
}

inline QJsonObject sdp(const QString& srcIp, const QString& dstIp, int chNum, int bytes)
{
    return QJsonObject{{"srcIp", srcIp},
                       {"dstIp", dstIp},
                       {"dstPort", "5004"},
                       {"chNum", QString::number(chNum)},
                       {"sampleByteNum", QString::number(bytes)},
                       {"rtpTsOffset", "0"}};
}

/// Eight channel ids of which the first `used` are set.
inline QJsonArray channels(int used)
{
    QJsonArray a;
    for (int i = 0; i < 8; ++i)
        a.append(QString::number(i < used ? i : -1));
    return a;
}

/// One page of a table reply ("getAllUcastRx", ...) from the device at `ip`.
inline int tablePage(const QString& ip, const char* ops, int idStart, int idNext, const QJsonArray& arr)
{
    const QJsonObject o{
        {"ops", ops}, {"idStart", QString::number(idStart)}, {"idNext", QString::number(idNext)}, {"arr", arr}};
    const QByteArray b = QJsonDocument(o).toJson(QJsonDocument::Compact);
    return userCallLib_handleUdp_ucast(b.constData(), b.size(), dvm_parseIp(ip), 9990);
}

inline QJsonObject rxEntry(int id, const QJsonObject& sdp, int used)
{
    return QJsonObject{{"id", QString::number(id)}, {"sdp", sdp}, {"rtpChIdArr", channels(used)}, {"active", "1"}};
}

inline QJsonObject txEntry(int id, const QJsonObject& sdp, int used)
{
    return QJsonObject{{"id", QString::number(id)}, {"sdp", sdp}, {"srcChIdArr", channels(used)}, {"name", "s"}};
}

/// A SAP announcement of a two-channel L24 stream to 239.69.1.10 with the given packet time.
inline int sapStream(const std::string& ptime)
{
    const std::string sdpText = "v=0\r\no=- 1 1 IN IP4 10.9.0.50\r\ns=Stage\r\nc=IN IP4 239.69.1.10/32\r\nt=0 0\r\n"
                                "m=audio 5004 RTP/AVP 96\r\na=rtpmap:96 L24/48000/2\r\na=recvonly\r\na=ptime:" +
                                ptime +
                                "\r\na=ts-refclk:ptp=IEEE1588-2008:00-1D-C1-FF-FE-00-00-0A:0\r\n"
                                "a=mediaclk:direct=0\r\n";
    std::string p("\x20\x00\x12\x34\x0A\x09\x00\x32", 8);
    p.append("application/sdp", 16);
    p += sdpText;
    return userCallLib_handleUdp_sap(p.c_str(), int(p.size()), dvm_parseIp("10.9.0.50"), 9875);
}

/// A clock event as a device multicasts it.
inline void clockEvent(const QString& ip, const QJsonObject& event)
{
    feedMcast(event, ip);
}

} // namespace clocktest
