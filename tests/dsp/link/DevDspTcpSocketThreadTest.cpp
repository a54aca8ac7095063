#include "DevDspTcpSocketThread.h"
#include "AppState.h"
#include "DspTcpFramer.h"
#include "LinkTestSupport.h"
#include "QtTestApp.h"

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <memory>

using dsplinktest::LogCapture;

namespace {

constexpr uint32_t kLoopback = 0x7F000001;  // 127.0.0.1
constexpr uint32_t kLoopback2 = 0x7F000002; // 127.0.0.2
constexpr int kWaitMs = 5000;

/// The link's signals as the dialog sees them: queued into the test thread, recorded in order.
struct LinkRecord
{
    QList<QPair<QString, bool>> connected;
    QStringList received;
    QList<int> states;
    int disconnected = 0;

    void attach(DevDspTcpSocketThread* link, QObject* context)
    {
        QObject::connect(link, &DevDspTcpSocketThread::signal_connected, context, [this](const QString& text, bool ok) {
            connected.append({text, ok});
        });
        QObject::connect(link, &DevDspTcpSocketThread::signal_recvMsg, context,
                         [this](const QString& text) { received << text; });
        QObject::connect(link, &DevDspTcpSocketThread::signal_stateChanged, context,
                         [this](int state) { states << state; });
        QObject::connect(link, &DevDspTcpSocketThread::signal_disconnected, context, [this] { ++disconnected; });
    }
};

/// Runs a link in its own thread, wired the way the dialog wires it.
class LinkThreadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qtTestApp();
        AppState::setChinese(false);
        ASSERT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        m_port = m_server.serverPort();
    }

    void TearDown() override
    {
        if (m_thread != nullptr) {
            m_thread->quit();
            EXPECT_TRUE(m_thread->wait(kWaitMs));
            EXPECT_TRUE(m_link.isNull()) << "the link is deleted when its thread ends";
        }
        AppState::setChinese(false);
    }

    void start(uint32_t ip = kLoopback)
    {
        auto* link = new DevDspTcpSocketThread;
        link->setHost(ip, m_port);
        link->setFlow(m_flow);
        m_link = link;
        m_rec.attach(link, &m_context);
        m_thread = std::make_unique<QThread>();
        QObject::connect(m_thread.get(), &QThread::started, link, &DevDspTcpSocketThread::slot_runThread);
        QObject::connect(m_thread.get(), &QThread::finished, link, &DevDspTcpSocketThread::slot_quitSocket);
        link->moveToThread(m_thread.get());
        m_thread->start();
    }

    /// Starts the link and returns the server's side of its connection.
    QTcpSocket* startConnected()
    {
        start();
        if (!m_server.waitForNewConnection(kWaitMs) && !m_server.hasPendingConnections()) {
            return nullptr;
        }
        QTcpSocket* peer = m_server.nextPendingConnection();
        if (!QTest::qWaitFor([this] { return connectedCount(true) == 1; }, kWaitMs)) {
            return nullptr;
        }
        return peer;
    }

    int connectedCount(bool isSucc) const
    {
        int n = 0;
        for (const auto& entry : m_rec.connected) {
            n += entry.second == isSucc ? 1 : 0;
        }
        return n;
    }

    void send(const QString& text)
    {
        QMetaObject::invokeMethod(m_link.data(), "slot_sendMsg", Qt::QueuedConnection, Q_ARG(QString, text));
    }

    QTcpServer m_server;
    std::shared_ptr<DspLinkFlow> m_flow = std::make_shared<DspLinkFlow>();
    quint16 m_port = 0;
    QPointer<DevDspTcpSocketThread> m_link;
    std::unique_ptr<QThread> m_thread;
    QObject m_context;
    LinkRecord m_rec;
};

TEST_F(LinkThreadTest, ConnectsReportingConnectingThenSuccessAndDeliversEachMessage)
{
    AppState::setChinese(true);
    QTcpSocket* peer = startConnected();
    ASSERT_NE(peer, nullptr);
    EXPECT_EQ(m_rec.connected, (QList<QPair<QString, bool>>{{"连接中", false}, {"连接中", true}}));
    EXPECT_EQ(peer->peerAddress(), QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(m_rec.states.size(), 0) << "only the unconnected state is reported";

    const QString first = QStringLiteral(R"({"devId":"A1","ops":"getConfig","name":"会议室"})");
    const QString second = QStringLiteral(R"({"devId":"A1","ops":"setMute","result":"succ"})");
    peer->write(DspTcpFramer::frame(first.toUtf8()) + DspTcpFramer::frame(second.toUtf8()));
    peer->flush();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_rec.received.size() >= 2; }, kWaitMs));
    QTest::qWait(50);
    EXPECT_EQ(m_rec.received, QStringList({first, second}));
}

TEST_F(LinkThreadTest, SendFramesEachMessageByItsUtf8ByteCount)
{
    QTcpSocket* peer = startConnected();
    ASSERT_NE(peer, nullptr);
    const QString first = QStringLiteral(R"({"devId":"A1", "ops":"setName","name":"话筒"})");
    const QString second = QStringLiteral(R"({"devId":"A1", "ops":"setMute"})");
    send(first);
    send(second);
    DspTcpFramer framer;
    QList<QByteArray> got;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            got += framer.feed(peer->readAll());
            return got.size() >= 2;
        },
        kWaitMs));
    EXPECT_EQ(got, (QList<QByteArray>{first.toUtf8(), second.toUtf8()}));
}

TEST_F(LinkThreadTest, ALockRequestReachesTheProcessorButItsPasswordNeverTheLog)
{
    LogCapture log;
    QTcpSocket* peer = startConnected();
    ASSERT_NE(peer, nullptr);
    const QString lock = QStringLiteral(R"({"devId":"A1","ops":"setLock","password":"Op3nSesame","val":"0x3"})");
    send(lock);
    DspTcpFramer framer;
    QList<QByteArray> got;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            got += framer.feed(peer->readAll());
            return !got.isEmpty();
        },
        kWaitMs));
    EXPECT_EQ(got.first(), lock.toUtf8());
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.contains(QStringLiteral("setLock")); }, kWaitMs));
    EXPECT_FALSE(log.contains(QStringLiteral("Op3nSesame")));
}

TEST_F(LinkThreadTest, SendBeforeConnectionIsDroppedAndLogged)
{
    LogCapture log;
    // Nobody listens on this port: the attempt fails and nothing may be queued for later.
    m_server.close();
    start();
    send(QStringLiteral(R"({"ops":"lost"})"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_rec.states.size() >= 1; }, kWaitMs));
    EXPECT_EQ(m_rec.states.at(0), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.contains(QStringLiteral("tcpThread: tcp not ready")); }, kWaitMs));
    EXPECT_EQ(connectedCount(true), 0);

    // A server appearing later on that port gets nothing of the dropped text once the link reconnects.
    ASSERT_TRUE(m_server.listen(QHostAddress::LocalHost, m_port));
    QMetaObject::invokeMethod(m_link.data(), "reconnection", Qt::QueuedConnection, Q_ARG(uint32_t, kLoopback));
    ASSERT_TRUE(m_server.waitForNewConnection(kWaitMs) || m_server.hasPendingConnections());
    QTcpSocket* peer = m_server.nextPendingConnection();
    ASSERT_TRUE(QTest::qWaitFor([this] { return connectedCount(true) == 1; }, kWaitMs));
    QTest::qWait(100);
    EXPECT_EQ(peer->bytesAvailable(), 0);
}

TEST_F(LinkThreadTest, ServerCloseReportsDisconnectedAndUnconnected)
{
    QTcpSocket* peer = startConnected();
    ASSERT_NE(peer, nullptr);
    peer->close();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_rec.states.size() >= 1; }, kWaitMs));
    EXPECT_EQ(m_rec.states.at(0), 0);
    EXPECT_EQ(m_rec.disconnected, 1);
}

TEST_F(LinkThreadTest, ReconnectionReachesANewAddressSilently)
{
    QTcpServer second;
    if (!second.listen(QHostAddress(kLoopback2), m_port)) {
        GTEST_SKIP() << "127.0.0.2 port " << m_port << " unavailable";
    }
    QTcpSocket* peer = startConnected();
    ASSERT_NE(peer, nullptr);

    QMetaObject::invokeMethod(m_link.data(), "reconnection", Qt::QueuedConnection, Q_ARG(uint32_t, kLoopback2));
    ASSERT_TRUE(second.waitForNewConnection(kWaitMs) || second.hasPendingConnections());
    QTcpSocket* peer2 = second.nextPendingConnection();
    EXPECT_EQ(peer2->localAddress(), QHostAddress(kLoopback2));
    ASSERT_TRUE(QTest::qWaitFor([this] { return connectedCount(true) == 2; }, kWaitMs));
    // The abort of the first connection was asked for: it must not look like a lost link.
    EXPECT_EQ(m_rec.states.size(), 0);

    // Traffic now runs over the new connection only.
    peer2->write(DspTcpFramer::frame("{\"ops\":\"new\"}"));
    peer2->flush();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_rec.received.size() == 1; }, kWaitMs));
    EXPECT_EQ(m_rec.received.at(0), QStringLiteral("{\"ops\":\"new\"}"));
}

TEST_F(LinkThreadTest, OversizedLengthDropsTheConnection)
{
    LogCapture log;
    QTcpSocket* peer = startConnected();
    ASSERT_NE(peer, nullptr);
    QByteArray bad(4, Qt::Uninitialized);
    qToLittleEndian<quint32>(0x7FFFFFFFu, bad.data());
    peer->write(DspTcpFramer::frame("{\"ops\":\"before\"}") + bad + QByteArray(64, 'x'));
    peer->flush();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_rec.states.size() >= 1; }, kWaitMs));
    EXPECT_EQ(m_rec.states.at(0), 0);
    ASSERT_EQ(m_rec.received.size(), 1);
    EXPECT_EQ(m_rec.received.at(0), QStringLiteral("{\"ops\":\"before\"}"));
    EXPECT_TRUE(log.contains(QStringLiteral("tcp 读取数据，解析长度错误 2147483647")));
}

TEST_F(LinkThreadTest, ZeroLengthIsLoggedAndTheNextMessageStillArrives)
{
    LogCapture log;
    QTcpSocket* peer = startConnected();
    ASSERT_NE(peer, nullptr);
    peer->write(QByteArray(4, '\0') + DspTcpFramer::frame("{\"ops\":\"after\"}"));
    peer->flush();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_rec.received.size() >= 1; }, kWaitMs));
    EXPECT_EQ(m_rec.received.at(0), QStringLiteral("{\"ops\":\"after\"}"));
    EXPECT_TRUE(log.contains(QStringLiteral("tcp 读取数据，解析长度错误 0")));
    EXPECT_EQ(m_rec.states.size(), 0);
}

TEST_F(LinkThreadTest, FloodWhileTheReceiverLagsPausesReadingAndLosesNothing)
{
    LogCapture log;
    m_flow = std::make_shared<DspLinkFlow>(8);
    bool draining = false;
    int maxPending = 0;
    QTcpSocket* peer = startConnected();
    ASSERT_NE(peer, nullptr);
    QObject::connect(m_link.data(), &DevDspTcpSocketThread::signal_recvMsg, &m_context, [&] {
        maxPending = qMax(maxPending, m_flow->pending());
        if (draining)
            m_flow->handled();
    });

    // 16 MiB of 16 KiB messages: more than the socket buffers of both ends hold.
    constexpr int kCount = 1024;
    QStringList sent;
    QByteArray bytes;
    for (int i = 0; i < kCount; ++i) {
        QString text = QStringLiteral(R"({"ops":"n","seq":"%1","pad":"")").arg(i);
        text.insert(text.size() - 2, QString(16 * 1024 - text.size(), QLatin1Char('x')));
        sent << text;
        bytes += DspTcpFramer::frame(text.toUtf8());
    }
    peer->write(bytes);

    ASSERT_TRUE(QTest::qWaitFor([this] { return m_rec.received.size() >= 8; }, kWaitMs));
    QTest::qWait(300);
    EXPECT_EQ(m_rec.received.size(), 8) << "nothing beyond the bound is handed over";
    EXPECT_TRUE(log.contains(QStringLiteral("tcp reading paused")));
    EXPECT_GT(peer->bytesToWrite(), 0) << "the device is held back by TCP, not buffered by the link";

    draining = true;
    for (int i = 0; i < 8; ++i)
        m_flow->handled();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_rec.received.size() >= kCount; }, 30000)) << m_rec.received.size();
    EXPECT_EQ(m_rec.received, sent);
    EXPECT_LE(maxPending, 8);
    EXPECT_TRUE(log.contains(QStringLiteral("tcp reading resumed")));
}

/// A frame of `size` bytes after `request` (empty: none) over a real connection.
struct LinkCapCase
{
    const char* name;
    const char* request;
    int size;
    bool delivered;
};

class LinkCapTest : public LinkThreadTest, public ::testing::WithParamInterface<LinkCapCase>
{
};

TEST_P(LinkCapTest, AFrameOverTheCapOfWhatWasAskedClosesTheLink)
{
    const LinkCapCase c = GetParam();
    LogCapture log;
    QTcpSocket* peer = startConnected();
    ASSERT_NE(peer, nullptr);
    QStringList errors;
    QObject::connect(m_link.data(), &DevDspTcpSocketThread::signal_linkError, &m_context,
                     [&](const QString& text) { errors << text; });
    if (*c.request != '\0') {
        send(QString::fromUtf8(c.request));
        DspTcpFramer framer;
        QList<QByteArray> asked;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                asked += framer.feed(peer->readAll());
                return !asked.isEmpty();
            },
            kWaitMs));
    }
    const QString reply = QStringLiteral(R"({"ops":"getConfig","config":"%1"})").arg(QString(c.size, QLatin1Char('c')));
    peer->write(DspTcpFramer::frame(reply.toUtf8()));
    if (c.delivered) {
        ASSERT_TRUE(QTest::qWaitFor([this] { return m_rec.received.size() == 1; }, kWaitMs));
        EXPECT_EQ(m_rec.received.at(0), reply);
        EXPECT_TRUE(errors.isEmpty());
        EXPECT_EQ(m_rec.states.size(), 0);
    } else {
        ASSERT_TRUE(QTest::qWaitFor([this] { return m_rec.states.size() >= 1; }, kWaitMs));
        QCoreApplication::processEvents();
        EXPECT_EQ(m_rec.received.size(), 0);
        EXPECT_EQ(errors.size(), 1);
        EXPECT_TRUE(log.contains(QStringLiteral("tcp frame over its limit from 127.0.0.1")));
    }
}

INSTANTIATE_TEST_SUITE_P(Caps, LinkCapTest,
                         ::testing::Values(LinkCapCase{"smallReplyUnasked", "", 200 * 1024, true},
                                           LinkCapCase{"largeReplyUnasked", "", 300 * 1024, false},
                                           LinkCapCase{"largeReplyAfterAnotherRequest",
                                                       R"({"devId":"A1", "ops":"setMute"})", 300 * 1024, false},
                                           LinkCapCase{"largeReplyAfterGetConfig",
                                                       R"({"devId":"A1", "ops":"getConfig"})", 2 * 1024 * 1024, true}),
                         [](const ::testing::TestParamInfo<LinkCapCase>& i) { return std::string(i.param.name); });

TEST(LinkLifetimeTest, DeletingAnUnstartedLinkIsSafe)
{
    qtTestApp();
    LogCapture log;
    auto* link = new DevDspTcpSocketThread;
    link->slot_sendMsg(QStringLiteral("{}"));
    EXPECT_TRUE(log.contains(QStringLiteral("tcpThread: tcp not ready")));
    QPointer<DevDspTcpSocketThread> guard(link);
    link->slot_quitSocket();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

TEST_F(LinkThreadTest, QuitClosesAnOpenSocketAndLogs)
{
    LogCapture log;
    QTcpSocket* peer = startConnected();
    ASSERT_NE(peer, nullptr);
    QSignalSpy peerClosed(peer, &QTcpSocket::disconnected);
    m_thread->quit();
    ASSERT_TRUE(m_thread->wait(kWaitMs));
    EXPECT_TRUE(m_link.isNull());
    EXPECT_TRUE(log.contains(QStringLiteral("tcpSocket is open")));
    EXPECT_TRUE(log.contains(QStringLiteral("~~~delete tcpSocket")));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_rec.states.size(), 0) << "closing the link is not a lost connection";
    EXPECT_TRUE(peerClosed.count() > 0 || peerClosed.wait(kWaitMs));
}

} // namespace
