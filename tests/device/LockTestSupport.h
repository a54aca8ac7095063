#pragma once
// Shared by the lock, password and delay page tests: a QApplication, devices brought into the registry and
// the detail store as their announcements would bring them, every datagram captured at the send hook, and
// replies fed through the real reply dispatcher.
#include "AppState.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "ReplyDispatcher.h"
#include "TestAnnouncement.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace lockstest {

inline QApplication* app()
{
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-locks-test";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv); // kept until exit
    }
    return qobject_cast<QApplication*>(QApplication::instance());
}

struct Sent
{
    QJsonObject msg;
    QByteArray bytes;
    uint32_t ip;
    uint16_t port;
};

inline QString compact(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

class DeviceTest : public ::testing::Test
{
protected:
    DeviceTest() { app(); }

    void SetUp() override
    {
        dvm_resetForTest();
        DevDetailStore::instance().clear();
        dvm_setSendHook(&DeviceTest::onSend, this);
        AppState::setChinese(true);
        AppState::setMode(10);
    }
    void TearDown() override
    {
        dvm_setSendHook(nullptr, nullptr);
        DevDetailStore::instance().clear();
        dvm_resetForTest();
        AppState::setChinese(false);
        AppState::setMode(10);
    }

    static int onSend(void* ctx, const char* data, int length, uint32_t ip, uint16_t port)
    {
        const QByteArray bytes(data, length);
        static_cast<DeviceTest*>(ctx)->sent.push_back({QJsonDocument::fromJson(bytes).object(), bytes, ip, port});
        return length;
    }

    /// Announces the device to the registry and lists it in the detail store.
    void addDevice(const QString& devId, const QString& ip, const QString& model,
                   const QJsonObject& overrides = QJsonObject())
    {
        QJsonObject a = testAnnouncement(devId, QStringLiteral("Dev ") + devId, ip);
        a.insert(QStringLiteral("model"), model);
        for (auto it = overrides.begin(); it != overrides.end(); ++it)
            a.insert(it.key(), it.value());
        const QByteArray bytes = QJsonDocument(a).toJson(QJsonDocument::Compact);
        ASSERT_EQ(userCallLib_handleUdp_mcast(bytes.constData(), bytes.size(), dvm_parseIp(ip), 9996), 1);
        ASSERT_EQ(DevDetailStore::instance().addFromRegistry(devId), DevDetailStore::Added);
    }

    /// One datagram from `ip` through the registry's table handler, then the command layer's dispatcher,
    /// as the network thread passes it on; returns what the dispatcher hands to the windows.
    QStringList reply(const QString& ip, const QJsonObject& obj)
    {
        QStringList out;
        ReplyDispatcher::Sink sink;
        sink.recvMessage = [&out](const QString& m) { out << m; };
        ReplyDispatcher dispatcher(DevDetailStore::instance(), sink);
        const QByteArray bytes = QJsonDocument(obj).toJson(QJsonDocument::Compact);
        const uint32_t src = dvm_parseIp(ip);
        if (userCallLib_handleUdp_ucast(bytes.constData(), bytes.size(), src, 9995) == 0)
            dispatcher.dispatch(bytes.constData(), bytes.size(), src);
        return out;
    }

    std::vector<Sent> sentOps(const char* ops) const
    {
        std::vector<Sent> out;
        for (const Sent& s : sent) {
            if (s.msg.value(QLatin1String("ops")).toString() == QLatin1String(ops))
                out.push_back(s);
        }
        return out;
    }

    std::vector<Sent> sent;
};

} // namespace lockstest
