#include "MyThread.h"
#include "DevManager.h"
#include "QtTestApp.h"
#include "RegistryNotifier.h"
#include "StoreTestSupport.h"

#include <QElapsedTimer>
#include <QUdpSocket>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

const uint32_t kLoopback = 0x7F000001;

bool waitUntil(const std::function<bool()>& cond, int ms = 3000)
{
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

/// A clock event padded to exactly `size` bytes.
QByteArray clockEventOfSize(int size)
{
    QByteArray head = R"({"event":"masterOffset","state":"2","pad":")";
    QByteArray tail = R"("})";
    return head + QByteArray(size - head.size() - tail.size(), 'x') + tail;
}

/// Records a QString signal on the test's thread. QSignalSpy connects directly, so for a signal emitted on the
/// network thread it would append there while the test reads it (a data race).
class QueuedSpy : public QObject
{
public:
    template <typename Sender> QueuedSpy(Sender* sender, void (Sender::*signal)(QString))
    {
        QObject::connect(
            sender, signal, this, [this](const QString& value) { m_values.append(value); }, Qt::QueuedConnection);
    }
    int count() const { return m_values.size(); }
    /// How often `value` came: other programs on the host may announce devices on the same port meanwhile.
    int count(const QString& value) const { return m_values.count(value); }
    QString at(int i) const { return m_values.at(i); }

private:
    QStringList m_values;
};

class MyThreadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qtTestApp();
        dvm_resetForTest();
    }
    void TearDown() override
    {
        thread.stopAndWait();
        dvm_resetForTest();
    }
    void startOnLoopback()
    {
        thread.restartOn(kLoopback);
        ASSERT_TRUE(waitUntil([this] { return thread.isReceiving(); }));
    }
    void sendToMcastPort(const QByteArray& bytes)
    {
        ASSERT_EQ(peer.writeDatagram(bytes, QHostAddress(kLoopback), MyThread::kDevMcastPort), bytes.size());
    }

    RegistryNotifier notifier;
    MyThread thread;
    QUdpSocket peer;
};

} // namespace

TEST_F(MyThreadTest, AddressOnNoInterfaceStopsAtOnceAndNothingIsSent)
{
    EXPECT_EQ(libCallUser_sendUdp("x", 1, kLoopback, 9), -1) << "before any start";
    thread.restartOn(0x0AFFFFFE); // 10.255.255.254
    ASSERT_TRUE(thread.wait(3000));
    EXPECT_EQ(thread.boundIp(), 0u);
    EXPECT_FALSE(thread.isReceiving());
    EXPECT_EQ(libCallUser_sendUdp("x", 1, kLoopback, 9), -1);
}

TEST_F(MyThreadTest, DatagramOf1499BytesIsHandledAnd1500Dropped)
{
    startOnLoopback();
    EXPECT_EQ(thread.boundIp(), kLoopback);
    QueuedSpy messages(&thread, &MyThread::signal_recv_message);
    sendToMcastPort(clockEventOfSize(1500));
    sendToMcastPort(clockEventOfSize(1499));
    ASSERT_TRUE(waitUntil([&] { return messages.count() >= 1; }));
    QThread::msleep(50);
    QCoreApplication::processEvents();
    ASSERT_EQ(messages.count(), 1);
    const QString msg = messages.at(0);
    EXPECT_TRUE(msg.contains(R"("ops":"clockEvent")"));
    EXPECT_TRUE(msg.contains(R"("remoteIp":"127.0.0.1")"));
}

TEST_F(MyThreadTest, SendsFromBothThreadsArriveWholeAndInOrder)
{
    startOnLoopback();
    QUdpSocket sink;
    ASSERT_TRUE(sink.bind(QHostAddress(kLoopback), 0));
    const uint16_t port = sink.localPort();
    const int perThread = 80; // stays within the default socket receive buffer
    std::thread other([&] {
        for (int i = 0; i < perThread; ++i) {
            const QByteArray msg = "B" + QByteArray::number(i) + QByteArray(200, 'b');
            libCallUser_sendUdp(msg.constData(), msg.size(), kLoopback, port);
        }
    });
    for (int i = 0; i < perThread; ++i) {
        const QByteArray msg = "A" + QByteArray::number(i) + QByteArray(200, 'a');
        EXPECT_EQ(libCallUser_sendUdp(msg.constData(), msg.size(), kLoopback, port), msg.size());
    }
    other.join();

    int nextA = 0, nextB = 0;
    ASSERT_TRUE(waitUntil([&] {
        while (sink.hasPendingDatagrams()) {
            QByteArray d(sink.pendingDatagramSize(), 0);
            sink.readDatagram(d.data(), d.size());
            const int n = d.mid(1, d.indexOf(d.at(0) == 'A' ? 'a' : 'b') - 1).toInt();
            if (d.at(0) == 'A')
                EXPECT_EQ(n, nextA++);
            else
                EXPECT_EQ(n, nextB++);
            EXPECT_EQ(d.size(), QByteArray::number(n).size() + 201);
        }
        return nextA == perThread && nextB == perThread;
    }));
}

TEST_F(MyThreadTest, DevicesAgeUnderContinuousTraffic)
{
    dvm_setAnnounceLifeMs(200);
    QueuedSpy deleted(&notifier, &RegistryNotifier::signal_send_delDev);
    startOnLoopback();
    sendToMcastPort(R"({"ops":"iAmVeranto","devId":"busy-dev","name":"b","ip":"127.0.0.9","port":"9990"})");
    ASSERT_TRUE(waitUntil([] { return findDevById("busy-dev") != nullptr; }));

    // Keep a datagram waiting in nearly every pass for a second: the device must still age.
    QElapsedTimer flood;
    flood.start();
    const QByteArray noise = R"({"ops":"noise"})";
    while (flood.elapsed() < 1000 && deleted.count("busy-dev") == 0) {
        for (int i = 0; i < 20; ++i)
            peer.writeDatagram(noise, QHostAddress(kLoopback), MyThread::kDevMcastPort);
        QCoreApplication::processEvents();
        QThread::usleep(500);
    }
    EXPECT_LT(flood.elapsed(), 1000);
    EXPECT_EQ(deleted.count("busy-dev"), 1);
}

TEST_F(MyThreadTest, BlinkRequestIsEmittedAndTimed)
{
    startOnLoopback();
    storetest::announce("blinky", "10.1.0.9"); // only listed devices blink
    QueuedSpy blink(&thread, &MyThread::signal_blinkingDev);
    sendToMcastPort(R"({"ops":"devReqGuiBlink","devId":"blinky"})");
    ASSERT_TRUE(waitUntil([&] { return blink.count() == 1; }));
    EXPECT_EQ(blink.at(0), "blinky");
    EXPECT_TRUE(thread.ticker().isBlinking("blinky"));
}

TEST_F(MyThreadTest, RestartExpiresEveryListedDevice)
{
    QueuedSpy added(&notifier, &RegistryNotifier::signal_send_addDev);
    QueuedSpy deleted(&notifier, &RegistryNotifier::signal_send_delDev);
    startOnLoopback();
    sendToMcastPort(R"({"ops":"iAmVeranto","devId":"one","name":"a","ip":"127.0.0.21","port":"9990"})");
    sendToMcastPort(R"({"ops":"iAmVeranto","devId":"two","name":"b","ip":"127.0.0.22","port":"9990"})");
    ASSERT_TRUE(waitUntil([&] { return added.count() == 2; }));

    thread.restartOn(kLoopback);
    // The old thread's last step may already remove them, before the new one has bound.
    ASSERT_TRUE(waitUntil([&] { return deleted.count() == 2 && thread.isReceiving(); }));
    EXPECT_TRUE(getAllDevs().empty());
}
