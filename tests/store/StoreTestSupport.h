#pragma once
// Registry input for the store tests: announcements and SAP packets as devices send them.
#include "DevManager.h"

#include <QByteArray>
#include <QString>

namespace storetest {

struct Announce
{
    QString devId;
    QString name = QStringLiteral("dev");
    QString ip;
    int chNumRx = 2;
    int chNumTx = 2;
    int phyChNumRx = 0;
    int phyChNumTx = 0;
    int canWork = 1;
    QString model = QStringLiteral("MRD-A16");
    QString myClkId = QStringLiteral("00-1D-C1-FF-FE-12-34-56");
};

inline void announce(const Announce& a)
{
    const QByteArray msg = QStringLiteral(R"({"ops":"iAmVeranto","devId":"%1","name":"%2","ip":"%3","port":"9990",)"
                                          R"("chNumRx":"%4","chNumTx":"%5","phyChNumRx":"%6","phyChNumTx":"%7",)"
                                          R"("canWork":"%8","model":"%9","myClkId":"%10","sampleRate":"48000"})")
                               .arg(a.devId, a.name, a.ip)
                               .arg(a.chNumRx)
                               .arg(a.chNumTx)
                               .arg(a.phyChNumRx)
                               .arg(a.phyChNumTx)
                               .arg(a.canWork)
                               .arg(a.model, a.myClkId)
                               .toUtf8();
    userCallLib_handleUdp_mcast(msg.constData(), msg.size(), dvm_parseIp(a.ip), 9996);
}

/// A SAP announcement of a stream of `channels` channels to `group`.
inline int announceStream(const QString& name, const QString& group, int channels)
{
    QByteArray p("\x20\x00\x12\x34\xC0\xA8\x01\x0A", 8);
    p.append("application/sdp", 16);
    p += QStringLiteral("v=0\r\no=- 1 1 IN IP4 192.168.1.10\r\ns=%1\r\nc=IN IP4 %2/32\r\nt=0 0\r\n"
                        "m=audio 5004 RTP/AVP 96\r\na=rtpmap:96 L24/48000/%3\r\na=ptime:1\r\n"
                        "a=ts-refclk:ptp=IEEE1588-2008:00-1D-C1-FF-FE-12-34-56:0\r\na=mediaclk:direct=0\r\n")
             .arg(name, group)
             .arg(channels)
             .toUtf8();
    return userCallLib_handleUdp_sap(p.constData(), p.size(), dvm_parseIp("192.168.1.10"), 9875);
}

} // namespace storetest
