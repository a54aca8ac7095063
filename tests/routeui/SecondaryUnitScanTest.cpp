#include "SecondaryUnitScan.h"
#include "DevDetailStore.h"
#include "ModelTable.h"
#include "NetStateForm.h"
#include "RouteUiTestSupport.h"

#include <QUdpSocket>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

/// Plays the secondary units: answers each question with the prepared datagrams.
class Responder
{
public:
    Responder()
    {
        socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
        QObject::connect(&socket, &QUdpSocket::readyRead, [this] {
            while (socket.hasPendingDatagrams()) {
                QByteArray q(int(socket.pendingDatagramSize()), Qt::Uninitialized);
                QHostAddress from;
                quint16 port = 0;
                socket.readDatagram(q.data(), q.size(), &from, &port);
                questions.append(q);
                for (const QByteArray& a : answers)
                    socket.writeDatagram(a, from, port);
            }
        });
    }
    SecondaryUnitScan::Config config() const
    {
        SecondaryUnitScan::Config c;
        c.bindPort = 0;
        c.target = QHostAddress::LocalHost;
        c.targetPort = socket.localPort();
        c.waitMs = 300;
        return c;
    }

    QUdpSocket socket;
    QList<QByteArray> answers;
    QList<QByteArray> questions;
};

class SecondaryUnitScanTest : public routeuitest::WidgetTest
{
protected:
    void SetUp() override
    {
        dvm_resetForTest();
        routeuitest::announce(QStringLiteral("MRP-0A4D0015"), QStringLiteral("Processor"),
                              QStringLiteral("192.168.1.50"));
    }
    void TearDown() override { dvm_resetForTest(); }

    DevDetailStore store{ModelTable::instance()};
    Responder responder;
};

TEST_F(SecondaryUnitScanTest, RecordsUnitsOfRegisteredDevicesOnly)
{
    responder.answers = {
        QByteArray(2000, 'x'), // a stray oversized datagram must not hide the answers behind it
        "iAmMeridane!\r\nhostname=SMRP-0A4D0015\r\nip=192.168.1.51\r\n",
        "iAmMeridane!\nhostname=SMRQ-00000002\nip=192.168.1.61\n", // no such device
        "hello\nhostname=SMRP-0A4D0015\nip=192.168.1.99\n",        // not an answer
        "iAmMeridane!\nhostname=MRP-0A4D0015\nip=192.168.1.98\n",  // the main unit itself
    };
    EXPECT_EQ(SecondaryUnitScan::run(responder.config(), ModelTable::instance(), store), 1);
    ASSERT_EQ(responder.questions.size(), 1);
    EXPECT_EQ(responder.questions.first(), QByteArray("AreYouMeridane?"));
    EXPECT_EQ(store.secondaryUnit(QStringLiteral("MRP-0A4D0015")), dvm_parseIp("192.168.1.51"));
    EXPECT_EQ(store.secondaryUnits().size(), 1);
}

TEST_F(SecondaryUnitScanTest, AFloodIsReadOnlyUpToTheLimit)
{
    // The answer waits behind 100 datagrams of noise: a small limit stops before it, the default reaches it.
    for (int i = 0; i < 100; ++i)
        responder.answers << QByteArray("noise");
    responder.answers << "iAmMeridane!\nhostname=SMRP-0A4D0015\nip=192.168.1.51\n";
    SecondaryUnitScan::Config small = responder.config();
    small.maxDatagrams = 20;
    EXPECT_EQ(SecondaryUnitScan::run(small, ModelTable::instance(), store), 0);
    EXPECT_EQ(store.secondaryUnit(QStringLiteral("MRP-0A4D0015")), 0u);
    EXPECT_EQ(SecondaryUnitScan::run(responder.config(), ModelTable::instance(), store), 1);
}

TEST_F(SecondaryUnitScanTest, UnitWithoutAddressIsNotRecorded)
{
    responder.answers = {"iAmMeridane!\nhostname=SMRP-0A4D0015\nip=0.0.0.0\n"};
    EXPECT_EQ(SecondaryUnitScan::run(responder.config(), ModelTable::instance(), store), 0);
    EXPECT_EQ(store.secondaryUnit(QStringLiteral("MRP-0A4D0015")), 0u);
}

TEST_F(SecondaryUnitScanTest, PortHeldByAnotherProgramIsLoggedAndTheProbeGoesOn)
{
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::DontShareAddress));
    SecondaryUnitScan::Config config = responder.config();
    config.bindPort = holder.localPort();
    config.waitMs = 100;

    testing::internal::CaptureStdout();
    SecondaryUnitScan::run(config, ModelTable::instance(), store);
    std::fflush(stdout);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("file=routeui/netstateform func=NetStateForm::updateAllVerantoDev line="), std::string::npos)
        << out;
    EXPECT_EQ(responder.questions.size(), 1);
}

TEST_F(SecondaryUnitScanTest, NetworkPageProbesWhenAFamilyWithUnitsIsListed)
{
    responder.answers = {"iAmMeridane!\nhostname=SMRP-0A4D0015\nip=192.168.1.51\n"};
    NetStateForm form(store, ModelTable::instance());
    form.setProbeConfig(responder.config());

    routeuitest::announce(QStringLiteral("MRD-0001"), QStringLiteral("Alpha"), QStringLiteral("192.168.1.11"));
    ASSERT_EQ(store.addFromRegistry(QStringLiteral("MRD-0001")), DevDetailStore::Added);
    form.refresh();
    EXPECT_TRUE(responder.questions.isEmpty());

    ASSERT_EQ(store.addFromRegistry(QStringLiteral("MRP-0A4D0015")), DevDetailStore::Added);
    form.refresh();
    EXPECT_EQ(responder.questions.size(), 1);
    EXPECT_EQ(store.secondaryUnit(QStringLiteral("MRP-0A4D0015")), dvm_parseIp("192.168.1.51"));
}

} // namespace
