#include "DspBlockingExchange.h"
#include "AppState.h"
#include "DspTcpFramer.h"
#include "QtTestApp.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QtEndian>

#include <functional>
#include <future>
#include <thread>

namespace {

constexpr uint32_t kLoopback = 0x7F000001;

/// A one-connection server in a thread of its own (the exchange blocks the test thread). It reads one framed
/// request, hands it to `script`, which answers on the socket, then waits for the client to close.
class ScriptedServer
{
public:
    using Script = std::function<void(QTcpSocket&, const QByteArray& request)>;

    explicit ScriptedServer(Script script)
    {
        std::promise<quint16> port;
        std::future<quint16> portReady = port.get_future();
        m_thread = std::thread([this, script, &port] {
            QTcpServer server;
            server.listen(QHostAddress::LocalHost, 0);
            port.set_value(server.serverPort());
            if (!server.waitForNewConnection(5000)) {
                return;
            }
            QTcpSocket* socket = server.nextPendingConnection();
            DspTcpFramer framer;
            QList<QByteArray> requests;
            while (requests.isEmpty() && socket->waitForReadyRead(5000)) {
                requests = framer.feed(socket->readAll());
            }
            m_request = requests.value(0);
            script(*socket, m_request);
            socket->flush();
            while (socket->bytesToWrite() > 0 && socket->waitForBytesWritten(5000)) {
            }
            if (socket->state() == QAbstractSocket::ConnectedState) {
                socket->waitForDisconnected(5000);
            }
        });
        m_port = portReady.get();
    }
    ~ScriptedServer() { join(); }

    quint16 port() const { return m_port; }
    QByteArray request()
    {
        join();
        return m_request;
    }

private:
    void join()
    {
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    std::thread m_thread;
    quint16 m_port = 0;
    QByteArray m_request;
};

class DspBlockingExchangeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qtTestApp();
        AppState::setChinese(false);
    }
    void TearDown() override { AppState::setChinese(false); }
};

TEST_F(DspBlockingExchangeTest, ReturnsTheReplyAssembledFromSeveralWrites)
{
    const QString reply = QStringLiteral(R"({"ops":"setFactoryConfig","result":"succ","name":"默认"})");
    ScriptedServer server([&](QTcpSocket& socket, const QByteArray&) {
        const QByteArray bytes = DspTcpFramer::frame(reply.toUtf8()) + DspTcpFramer::frame("{\"ops\":\"extra\"}");
        // Header split 3 + 1, then the payload in two pieces.
        for (const QByteArray& piece : {bytes.left(3), bytes.mid(3, 1), bytes.mid(4, 10), bytes.mid(14)}) {
            socket.write(piece);
            socket.waitForBytesWritten(1000);
            QThread::msleep(20);
        }
    });
    const QString request = QStringLiteral(R"({"devId":"A1", "ops":"setFactoryConfig","text":"中"})");
    EXPECT_EQ(DspBlockingExchange::request(kLoopback, request, 1000, 2000, server.port()), reply);
    EXPECT_EQ(server.request(), request.toUtf8());
}

TEST_F(DspBlockingExchangeTest, OnlyAConfigurationRequestMayBeAnsweredByALargeReply)
{
    const QString large =
        QStringLiteral(R"({"ops":"getConfig","config":"%1"})").arg(QString(1 << 20, QLatin1Char('c')));
    const struct
    {
        const char* request;
        bool taken;
    } cases[] = {{R"({"devId":"A1", "ops":"getConfig"})", true},
                 {R"({"devId":"A1", "name":"a","ops":"getConfigByName"})", true},
                 {R"({"devId":"A1", "ops":"setFactoryConfig"})", false}};
    for (const auto& c : cases) {
        ScriptedServer server(
            [&](QTcpSocket& socket, const QByteArray&) { socket.write(DspTcpFramer::frame(large.toUtf8())); });
        const QString got =
            DspBlockingExchange::request(kLoopback, QString::fromUtf8(c.request), 1000, 2000, server.port());
        EXPECT_EQ(got, c.taken ? large : DspBlockingExchange::parseLengthErrorText()) << c.request;
    }
}

struct FailureCase
{
    const char* name;
    ScriptedServer::Script script;
    bool chinese;
    int waitMs;
    QString text;
};

TEST_F(DspBlockingExchangeTest, FailuresEndInTheirTexts)
{
    const FailureCase cases[] = {
        {"silence", [](QTcpSocket&, const QByteArray&) {}, false, 200, QStringLiteral("Timeout waiting for data")},
        {"zeroLength", [](QTcpSocket& s, const QByteArray&) { s.write(QByteArray(4, '\0')); }, false, 2000,
         QStringLiteral("tcp read data, parse length error")},
        {"closedBeforeTheReplyIsWhole",
         [](QTcpSocket& s, const QByteArray&) {
             s.write(DspTcpFramer::frame("{\"ops\":\"cut\"}").left(8));
             s.waitForBytesWritten(1000);
             s.disconnectFromHost();
         },
         true, 2000, QStringLiteral("tcp 读取数据长度错误 ")}};
    for (const FailureCase& c : cases) {
        AppState::setChinese(c.chinese);
        ScriptedServer server(c.script);
        EXPECT_EQ(DspBlockingExchange::request(kLoopback, QStringLiteral("{}"), 1000, c.waitMs, server.port()), c.text)
            << c.name;
    }
    AppState::setChinese(true);
    EXPECT_EQ(DspBlockingExchange::timeoutText(), QStringLiteral("等待数据超时 "));
}

TEST_F(DspBlockingExchangeTest, NoListenerEndsInTheConnectionFailureText)
{
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    AppState::setChinese(true);
    EXPECT_EQ(DspBlockingExchange::request(kLoopback, QStringLiteral("{}"), 1000, 1000, port),
              QStringLiteral("连接失败，请关闭设备详情窗口重新打开"));
}

} // namespace
