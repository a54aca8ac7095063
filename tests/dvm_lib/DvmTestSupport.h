#pragma once
#include "TestAnnouncement.h"
// Fixture for the registry tests: datagrams go straight into the entry points, notifications and
// sent requests are captured through the two hooks.

#include "DevManager.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <gtest/gtest.h>
#include <vector>

struct SentDatagram
{
    QJsonObject msg;
    QByteArray bytes;
    uint32_t ip;
    uint16_t port;
};

class DvmTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dvm_resetForTest();
        dvm_setNotifyHook(&DvmTest::onNotify, this);
        dvm_setSendHook(&DvmTest::onSend, this);
    }
    void TearDown() override
    {
        dvm_setNotifyHook(nullptr, nullptr);
        dvm_setSendHook(nullptr, nullptr);
        dvm_resetForTest();
    }

    static void onNotify(void* ctx, const QJsonObject& msg) { static_cast<DvmTest*>(ctx)->notes.push_back(msg); }
    static int onSend(void* ctx, const char* data, int length, uint32_t ip, uint16_t port)
    {
        const QByteArray bytes(data, length);
        static_cast<DvmTest*>(ctx)->sent.push_back({QJsonDocument::fromJson(bytes).object(), bytes, ip, port});
        return length;
    }

    /// Notifications with this "ops".
    int count(const char* ops) const
    {
        int n = 0;
        for (const QJsonObject& m : notes)
            n += m.value(QLatin1String("ops")).toString() == QLatin1String(ops);
        return n;
    }
    static uint32_t ipOf(const char* dotted) { return dvm_parseIp(dotted); }

    /// A complete announcement; every value as text, counts 0 unless overridden.
    static QJsonObject announcement(const QString& devId, const QString& ip)
    {
        return testAnnouncement(devId, "Dev " + devId, ip);
    }

    static int mcast(const QJsonObject& o, uint32_t srcIp)
    {
        const QByteArray bytes = QJsonDocument(o).toJson(QJsonDocument::Compact);
        return userCallLib_handleUdp_mcast(bytes.constData(), bytes.size(), srcIp, 9996);
    }
    static int announce(const QJsonObject& o) { return mcast(o, dvm_parseIp(o.value("ip").toString())); }

    /// One reply page from srcIp.
    static int reply(uint32_t srcIp, const char* ops, int idStart, int idNext, const QJsonArray& arr)
    {
        QJsonObject o;
        o.insert("ops", ops);
        o.insert("idStart", QString::number(idStart));
        o.insert("idNext", QString::number(idNext));
        o.insert("arr", arr);
        return ucast(o, srcIp);
    }
    static int ucast(const QJsonObject& o, uint32_t srcIp)
    {
        const QByteArray bytes = QJsonDocument(o).toJson(QJsonDocument::Compact);
        return userCallLib_handleUdp_ucast(bytes.constData(), bytes.size(), srcIp, 50000);
    }

    static void tick(int steps = 1)
    {
        for (int i = 0; i < steps; ++i)
            userCallLib_timer(20);
    }

    std::vector<QJsonObject> notes;
    std::vector<SentDatagram> sent;
};
