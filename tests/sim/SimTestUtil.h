#pragma once

#include "SimDeviceConfig.h"
#include "SimNetwork.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <memory>

namespace simtest {

inline quint32 ip(const char* text)
{
    return *SimDeviceConfig::parseIp(QString::fromLatin1(text));
}

/// The generated network on 10.0.0.1 and the following addresses.
inline std::unique_ptr<SimNetwork> generated(int devices, SimNetwork::Options options = {})
{
    QVector<quint32> ips;
    for (int i = 0; i < devices; ++i)
        ips.append(ip("10.0.0.1") + quint32(i));
    auto net = std::make_unique<SimNetwork>(options);
    QString error;
    EXPECT_TRUE(net->build(SimDeviceConfig::generate(ips), &error)) << error.toStdString();
    return net;
}

/// A device without routes or streams.
inline SimDeviceConfig bare(const char* address, int chNum = 16)
{
    SimDeviceConfig c;
    c.ip = ip(address);
    c.devId = SimDeviceConfig::devIdForIp(c.ip);
    c.name = c.devId;
    c.myClkId = SimDeviceConfig::clockIdForIp(c.ip);
    c.chNumRx = c.chNumTx = chNum;
    return c;
}

inline QByteArray compact(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

inline int num(const QJsonValue& v)
{
    bool ok = false;
    int n = v.toString().toInt(&ok);
    EXPECT_TRUE(ok) << "not decimal text: " << compact(QJsonObject{{"v", v}}).toStdString();
    return n;
}

} // namespace simtest
