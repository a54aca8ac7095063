#include "SyncUdpRequest.h"
#include "QtTestApp.h"

#include <QHostAddress>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

constexpr uint32_t Loopback = 0x7F000001;
constexpr uint32_t OtherLoopback = 0x7F000002;

enum class Behaviour
{
    Echo,          ///< answers "re:" + the request
    Silent,        ///< reads and says nothing
    StrayThenEcho, ///< a datagram from another address first, then the answer
    StrayOnly      ///< only a datagram from another address
};

/// A device on the loopback address, in a thread of its own, answering one request.
class FakeDevice
{
public:
    explicit FakeDevice(Behaviour b)
    {
        std::promise<quint16> bound;
        std::future<quint16> port = bound.get_future();
        m_thread = std::thread([b, &bound] {
            QUdpSocket socket;
            socket.bind(QHostAddress(Loopback), 0);
            bound.set_value(socket.localPort());
            if (!socket.waitForReadyRead(3000))
                return;
            QByteArray data(int(socket.pendingDatagramSize()), '\0');
            QHostAddress from;
            quint16 fromPort = 0;
            socket.readDatagram(data.data(), data.size(), &from, &fromPort);
            if (b == Behaviour::StrayThenEcho || b == Behaviour::StrayOnly) {
                QUdpSocket stray;
                stray.bind(QHostAddress(OtherLoopback), 0);
                stray.writeDatagram("stray", from, fromPort);
                stray.waitForBytesWritten(100);
            }
            if (b == Behaviour::Echo || b == Behaviour::StrayThenEcho)
                socket.writeDatagram("re:" + data, from, fromPort);
        });
        m_port = port.get();
    }
    ~FakeDevice() { m_thread.join(); }
    quint16 port() const { return m_port; }

private:
    std::thread m_thread;
    quint16 m_port = 0;
};

struct UdpCase
{
    const char* name;
    Behaviour behaviour;
    bool answered;
    const char* text;
};

class SyncUdpRequestTest : public ::testing::TestWithParam<UdpCase>
{
};

TEST_P(SyncUdpRequestTest, TakesOnlyTheAskedAddressesReplyWithinTheLimit)
{
    qtTestApp();
    const UdpCase& c = GetParam();
    FakeDevice device(c.behaviour);
    const QString request = QStringLiteral("{\"ops\":\"getIp\"}");
    const SyncUdpRequest::Result r = SyncUdpRequest::send(request, Loopback, device.port(), 300);
    EXPECT_EQ(r.answered, c.answered);
    EXPECT_EQ(r.text, QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SyncUdpRequestTest,
    ::testing::Values(UdpCase{"answered", Behaviour::Echo, true, "re:{\"ops\":\"getIp\"}"},
                      UdpCase{"silent", Behaviour::Silent, false, "{\"ops\":\"getIp\"} No Return With 300ms"},
                      UdpCase{"strayIgnored", Behaviour::StrayThenEcho, true, "re:{\"ops\":\"getIp\"}"},
                      UdpCase{"strayOnly", Behaviour::StrayOnly, false, "{\"ops\":\"getIp\"} No Return With 300ms"}),
    [](const ::testing::TestParamInfo<UdpCase>& i) { return std::string(i.param.name); });

} // namespace

namespace {

TEST(SyncUdpRequest, ADatagramThatCannotLeaveIsASendFailure)
{
    qtTestApp();
    // Port 0 is no destination: the datagram is refused by the system.
    const SyncUdpRequest::Result r = SyncUdpRequest::send(QStringLiteral("{\"ops\":\"getIp\"}"), Loopback, 0, 100);
    EXPECT_FALSE(r.answered);
    EXPECT_EQ(r.text, QStringLiteral("Send Fail"));
}

} // namespace
