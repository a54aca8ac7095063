#include "ProbeDiscovery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QCoreApplication* coreApp()
{
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-probe-test";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
    return QCoreApplication::instance();
}

/// Answers each probe with `answers`, `repeat` times over (a flood when large).
class FloodResponder
{
public:
    QList<QByteArray> answers;
    int repeat = 1;

    FloodResponder()
    {
        socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
        QObject::connect(&socket, &QUdpSocket::readyRead, [this] {
            while (socket.hasPendingDatagrams()) {
                QHostAddress from;
                quint16 port = 0;
                QByteArray b(64, 0);
                socket.readDatagram(b.data(), b.size(), &from, &port);
                sendFrom(0, from, port);
            }
        });
    }
    /// A few at a time, so the asker's receive buffer is not what limits the flood.
    void sendFrom(int r, const QHostAddress& to, quint16 port)
    {
        for (const int end = std::min(repeat, r + 50); r < end; ++r)
            for (const QByteArray& a : answers)
                socket.writeDatagram(QByteArray(a).replace("#", QByteArray::number(r)), to, port);
        if (r < repeat)
            QTimer::singleShot(1, &socket, [this, r, to, port] { sendFrom(r, to, port); });
    }
    quint16 port() const { return socket.localPort(); }

private:
    QUdpSocket socket;
};

ProbeDiscovery::Config configFor(quint16 port, int maxDatagrams = 4096)
{
    ProbeDiscovery::Config c;
    c.localAddresses = {QHostAddress(QHostAddress::LocalHost)};
    c.target = QHostAddress(QHostAddress::LocalHost);
    c.targetPort = port;
    c.waitMs = 400;
    c.maxDatagrams = maxDatagrams;
    return c;
}

TEST(ProbeDiscovery, KeepsWhatIsBoundedAndDropsWhatIsNoAnswer)
{
    coreApp();
    FloodResponder responder;
    responder.answers = {"iAmMeridane!\nhostname=A\nip=10.0.0.1\n", "iAmMeridane!\nhostname=LL\nip=169.254.0.9\n",
                         "not an answer", "iAmMeridane!\nhostname=" + QByteArray(3000, 'x') + "\n"};
    ProbeDiscovery discovery;
    discovery.setConfig(configFor(responder.port()));
    QSignalSpy finished(&discovery, &ProbeDiscovery::signal_finished);
    ASSERT_TRUE(discovery.start());
    EXPECT_TRUE(discovery.isRunning());
    ASSERT_TRUE(finished.wait(3000));
    EXPECT_FALSE(discovery.isRunning());
    ASSERT_EQ(discovery.answers().devices().size(), 1);
    EXPECT_EQ(discovery.answers().devices().at(0).hostname, "A");
    EXPECT_EQ(discovery.answers().linkLocal().size(), 1);
}

TEST(ProbeDiscovery, AFloodEndsTheRefreshEarlyWithABoundedList)
{
    coreApp();
    FloodResponder responder;
    responder.answers = {"iAmMeridane!\nhostname=H#\nip=10.0.1.1\n"};
    responder.repeat = 600;
    ProbeDiscovery discovery;
    discovery.setConfig(configFor(responder.port(), 400));
    QSignalSpy finished(&discovery, &ProbeDiscovery::signal_finished);
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(discovery.start());
    ASSERT_TRUE(finished.wait(3000));
    EXPECT_EQ(finished.count(), 1) << "one end, even when the flood and the timer both ask";
    EXPECT_LE(discovery.datagramsRead(), 401);
    EXPECT_EQ(discovery.answers().devices().size(), TestProbeAnswer::kMaxDevices);
    EXPECT_GT(discovery.answers().dropped(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 1);
}

TEST(ProbeDiscovery, NoUsableAddressIsReported)
{
    coreApp();
    ProbeDiscovery discovery;
    ProbeDiscovery::Config c = configFor(9);
    c.localAddresses = {QHostAddress("203.0.113.7")}; // not on this host: cannot bind
    discovery.setConfig(c);
    EXPECT_FALSE(discovery.start());
    EXPECT_FALSE(discovery.isRunning());
}

} // namespace
