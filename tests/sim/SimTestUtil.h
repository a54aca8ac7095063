#pragma once

#include "SimDeviceConfig.h"
#include "SimNetwork.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPair>

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

inline QJsonObject parse(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).object();
}

/// A request: its ops and members.
inline QJsonObject req(const char* ops, std::initializer_list<QPair<QString, QJsonValue>> members = {})
{
    QJsonObject o{{"ops", ops}};
    for (const auto& m : members)
        o.insert(m.first, m.second);
    return o;
}

/// Every scalar of the tree is text: the devices write numbers as decimal strings.
inline void expectAllText(const QJsonValue& v, const std::string& where)
{
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            expectAllText(it.value(), where + "." + it.key().toStdString());
    } else if (v.isArray()) {
        const QJsonArray a = v.toArray();
        for (int i = 0; i < a.size(); ++i)
            expectAllText(a[i], where + "[" + std::to_string(i) + "]");
    } else {
        EXPECT_TRUE(v.isString()) << where;
    }
}

inline int num(const QJsonValue& v)
{
    bool ok = false;
    int n = v.toString().toInt(&ok);
    EXPECT_TRUE(ok) << "not decimal text: " << compact(QJsonObject{{"v", v}}).toStdString();
    return n;
}

/// Devices without sockets on a clock the test moves; requests go straight to the handlers.
struct Bench
{
    qint64 now = 1000000;
    std::unique_ptr<SimNetwork> net;

    explicit Bench(const QVector<SimDeviceConfig>& configs, SimNetwork::Options options = {})
    {
        net = std::make_unique<SimNetwork>(options);
        net->setClock([this] { return now; });
        QString error;
        EXPECT_TRUE(net->build(configs, &error)) << error.toStdString();
    }

    /// The replies of device `index` to one request arriving on `on`, parsed.
    QVector<QJsonObject> ask(int index, const QJsonObject& request, SimServices on = SimServiceCommand)
    {
        EXPECT_FALSE(request.isEmpty()) << "unreadable request";
        QVector<QJsonObject> out;
        for (const QByteArray& r : net->handlers().handleDatagram(*net, index, compact(request), on)) {
            EXPECT_LE(r.size(), kSimMaxDatagramBytes);
            out.append(QJsonDocument::fromJson(r).object());
        }
        return out;
    }

    /// The one reply expected; an empty object (and a test failure) when there is none.
    QJsonObject one(int index, const QJsonObject& request, SimServices on = SimServiceCommand)
    {
        const QVector<QJsonObject> r = ask(index, request, on);
        EXPECT_EQ(r.size(), 1) << compact(request).toStdString();
        return r.isEmpty() ? QJsonObject() : r.first();
    }

    /// Every entry of a dense paged list of device `index`, walking the pages the way the controller does, up to
    /// the empty last page; a page that skips or repeats an entry fails the test.
    QJsonArray walk(int index, const QString& ops, SimServices on = SimServiceCommand, int* pages = nullptr)
    {
        QJsonArray all;
        for (int start = 0, n = 0; n < 1000; ++n) {
            const QJsonObject page = one(index, {{"ops", ops}, {"idStart", QString::number(start)}}, on);
            EXPECT_EQ(num(page.value("idStart")), start) << ops.toStdString();
            for (const QJsonValue& v : page.value("arr").toArray())
                all.append(v);
            const int next = num(page.value("idNext"));
            if (pages)
                ++*pages;
            if (next == start || next != all.size()) {
                EXPECT_EQ(next, all.size()) << ops.toStdString() << ": a page skipped or repeated an entry";
                break;
            }
            start = next;
        }
        return all;
    }

    /// "result" of the one reply.
    QString result(int index, const QJsonObject& request, SimServices on = SimServiceCommand)
    {
        return one(index, request, on).value("result").toString();
    }
};

} // namespace simtest
