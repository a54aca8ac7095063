#pragma once
// Shared by the device window tests and the screenshot program: a QApplication, devices brought in as their
// announcements (or a detail record) would bring them, every datagram captured at the send hook (from any
// thread), replies fed through the real reply dispatcher, and the command messages a widget emits.
#include "AppState.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "ReplyDispatcher.h"
#include "TestAnnouncement.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>
#include <QSignalSpy>
#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace devicetest {

inline QApplication* app()
{
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-device-test";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv); // kept until exit: tearing it down among other statics only makes noise
    }
    return qobject_cast<QApplication*>(QApplication::instance());
}

inline QString compact(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

inline QJsonObject parse(const QVariant& v)
{
    return QJsonDocument::fromJson(v.toString().toUtf8()).object();
}

/// The messages a spy of a QString signal caught, parsed; `ops` filters when not empty.
inline QVector<QJsonObject> messages(const QSignalSpy& spy, const QString& ops = QString())
{
    QVector<QJsonObject> out;
    for (const QList<QVariant>& args : spy) {
        const QJsonObject o = parse(args.at(0));
        if (ops.isEmpty() || o.value("ops").toString() == ops)
            out.append(o);
    }
    return out;
}

/// The first argument of the last signal a spy caught, or nothing.
inline QString lastText(const QSignalSpy& spy)
{
    return spy.isEmpty() ? QString() : spy.last().at(0).toString();
}

/// Puts the announcement of a device into the registry and the detail store; `overrides` replace its fields.
inline void announce(const QString& devId, const QString& ip, const QString& model,
                     const QJsonObject& overrides = QJsonObject(), const QString& name = QString())
{
    QJsonObject a = testAnnouncement(devId, name.isEmpty() ? QStringLiteral("Dev ") + devId : name, ip);
    a.insert("model", model);
    for (auto it = overrides.begin(); it != overrides.end(); ++it)
        a.insert(it.key(), it.value());
    const QByteArray bytes = QJsonDocument(a).toJson(QJsonDocument::Compact);
    ASSERT_EQ(userCallLib_handleUdp_mcast(bytes.constData(), bytes.size(), dvm_parseIp(ip), 9996), 1);
    ASSERT_EQ(DevDetailStore::instance().addFromRegistry(devId), DevDetailStore::Added);
}

constexpr uint32_t kDevIp = 0xC0A8010B; // 192.168.1.11

/// Lists a device straight in the detail store with channel counts (physical in/out, network in/out).
inline DevDetail_t insertDevice(const QString& devId, const QString& model, int phyIn, int phyOut, int netIn,
                                int netOut, const QString& firmware = "3.0.6", uint32_t ip = kDevIp)
{
    DevDetail_t d;
    d.devId = devId;
    d.name = "Dev " + devId;
    d.ip = ip;
    d.port = 9990;
    d.model = model;
    d.firmwareVersion = firmware;
    d.phyRxChNames = DevDetail_t::numberedNames("AnalogIn", phyIn);
    d.phyTxChNames = DevDetail_t::numberedNames("AnalogOut", phyOut);
    d.rxChNames = DevDetail_t::numberedNames("NetIn", netIn);
    d.txChNames = DevDetail_t::numberedNames("NetOut", netOut);
    d.phyRxGains = QVector<double>(phyIn, 0.0);
    d.phyTxGains = QVector<double>(phyOut, 0.0);
    d.phyRxMutes = QVector<int>(phyIn, 0);
    d.phyTxMutes = QVector<int>(phyOut, 0);
    DevDetailStore::instance().insertDevDetail(d);
    return d;
}

/// One datagram from `ip` through the registry's table handler, then the dispatcher, as the network thread
/// passes it on; returns what the dispatcher hands to the windows.
inline QStringList fromDevice(const QString& ip, const QJsonObject& obj)
{
    QStringList out;
    ReplyDispatcher::Sink sink;
    sink.recvMessage = [&out](const QString& m) { out << m; };
    ReplyDispatcher dispatcher(DevDetailStore::instance(), sink);
    const QByteArray bytes = QJsonDocument(obj).toJson(QJsonDocument::Compact);
    const uint32_t src = dvm_parseIp(ip);
    if (userCallLib_handleUdp_ucast(bytes.constData(), bytes.size(), src, 9995) == 0)
        dispatcher.dispatch(bytes.constData(), bytes.size(), src, 9995);
    return out;
}

/// A paged reply as the dispatcher hands it on.
inline QString pageReply(const QString& ops, const QString& devId, int inOrOut, int idStart, int idNext,
                         const QStringList& values, const QString& result = "succ")
{
    return compact({{"ops", ops},
                    {"devId", devId},
                    {"inOrOut", QString::number(inOrOut)},
                    {"idStart", QString::number(idStart)},
                    {"idNext", QString::number(idNext)},
                    {"arr", QJsonArray::fromStringList(values)},
                    {"result", result}});
}

/// A device as the settings window tests open it: two network channels each way, 0.25 ms packets, 3 ms delay.
struct TestDevice
{
    QString devId = "MRD-0001";
    QString name = "Stage Left";
    QString ip = "192.168.1.11";
    QString model = "MRD-A16";
    int pFrameNum = 12; ///< 0.25 ms at 48 kHz
    int delayUs = 3000;
    QStringList rxNames = {"Mic 1", "Mic 2"};
    QStringList txNames = {"Mix L", "Mix R"};
    int detailLock = 0;
};

/// Announces the device and fills its detail record as the first replies would.
inline void addDevice(const TestDevice& d)
{
    announce(d.devId, d.ip, d.model,
             {{"chNumRx", QString::number(d.rxNames.size())},
              {"chNumTx", QString::number(d.txNames.size())},
              {"phyChNumRx", "0"},
              {"phyChNumTx", "0"},
              {"pFrameNum", QString::number(d.pFrameNum)},
              {"delayUs", QString::number(d.delayUs)}},
             d.name);
    DevDetailStore::instance().updateDevDetail(d.devId, [&](DevDetail_t& det) {
        det.rxChNames = d.rxNames;
        det.txChNames = d.txNames;
        det.sampleRates = QStringList{"44100", "48000", "96000"};
        det.packetTimeDivs = QStringList{"1000", "2000", "4000", "8000"};
        det.firmwareVersion = "2.4.1";
        det.sampleByteNum = 3;
        det.detailLock = d.detailLock;
    });
}

/// A configuration file that turns on the named switches.
inline AppConfig configWith(std::initializer_list<AppConfig::Switch> on)
{
    QString text = "Title=Meridane\n";
    for (const AppConfig::Switch s : on)
        text += AppConfig::switchKey(s) + "=1\n";
    return AppConfig::fromText(text);
}

struct Sent
{
    QJsonObject msg;
    QByteArray bytes;
    uint32_t ip;
    uint16_t port;
};

/// Clean registry, store and application state around each test; Chinese texts unless a test says otherwise.
class DeviceTest : public ::testing::Test
{
protected:
    DeviceTest() { app(); }

    void SetUp() override
    {
        reset();
        dvm_setSendHook(&DeviceTest::onSend, this);
    }
    void TearDown() override
    {
        dvm_setSendHook(nullptr, nullptr);
        reset();
    }
    static void reset()
    {
        dvm_resetForTest();
        DevDetailStore::instance().clear();
        AppState::setMode(10);
        AppState::setChinese(true);
        AppState::setConfig(AppConfig());
    }

    static int onSend(void* ctx, const char* data, int length, uint32_t ip, uint16_t port)
    {
        auto* self = static_cast<DeviceTest*>(ctx);
        const QByteArray bytes(data, length);
        QMutexLocker lock(&self->sentMutex);
        self->sent.push_back({QJsonDocument::fromJson(bytes).object(), bytes, ip, port});
        return length;
    }

    /// The datagrams sent so far (`ops` filters when given).
    std::vector<Sent> sentOps(const char* ops = nullptr)
    {
        QMutexLocker lock(&sentMutex);
        std::vector<Sent> out;
        for (const Sent& s : sent) {
            if (!ops || s.msg.value(QLatin1String("ops")).toString() == QLatin1String(ops))
                out.push_back(s);
        }
        return out;
    }

    QMutex sentMutex;
    std::vector<Sent> sent;
};

} // namespace devicetest
