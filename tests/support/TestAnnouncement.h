#pragma once
#include <QJsonObject>
#include <QString>

/// A complete "iAmVeranto" announcement as a device sends it (every value as text), with all
/// stream and network channel counts 0; tests override what they need.
inline QJsonObject testAnnouncement(const QString& devId, const QString& name, const QString& ip)
{
    QJsonObject o{{"ops", "iAmVeranto"}, {"devId", devId}, {"name", name}, {"ip", ip}, {"port", "9990"}};
    for (const char* key : {"chNumRx", "chNumTx", "ucastNumRx", "ucastNumTx", "mcastNumRx", "mcastNumTx"})
        o.insert(key, "0");
    o.insert("sampleRate", "48000");
    o.insert("sampleByteNum", "3");
    o.insert("pFrameNum", "48");
    o.insert("dscp", "34");
    o.insert("delayUs", "1000");
    o.insert("myClkId", "00-1D-C1-FF-FE-00-00-0B");
    o.insert("gmClkId", "00-1D-C1-FF-FE-00-00-0A");
    o.insert("model", "MRD-A16");
    o.insert("phyChNumRx", "16");
    o.insert("phyChNumTx", "16");
    o.insert("canWork", "1");
    return o;
}
