#include "DevManager.h"
#include "RegistryNotifier.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class RegistryNotifierTest : public ::testing::Test
{
protected:
    void SetUp() override { dvm_resetForTest(); }
    void TearDown() override { dvm_resetForTest(); }
};

void announce(const char* devId, const char* ip, const char* canWork = "1")
{
    const QByteArray msg = QByteArray(R"({"ops":"iAmVeranto","devId":")") + devId + R"(","name":"N","ip":")" + ip +
                           R"(","port":"9990","canWork":")" + canWork + R"("})";
    userCallLib_handleUdp_mcast(msg.constData(), msg.size(), dvm_parseIp(ip), 9996);
}

} // namespace

TEST_F(RegistryNotifierTest, DispatchTableMapsEveryOps)
{
    RegistryNotifier n;
    QSignalSpy add(&n, &RegistryNotifier::signal_send_addDev);
    QSignalSpy upd(&n, &RegistryNotifier::signal_send_updateDev);
    QSignalSpy del(&n, &RegistryNotifier::signal_send_delDev);
    QSignalSpy addM(&n, &RegistryNotifier::signal_send_addMcast);
    QSignalSpy delM(&n, &RegistryNotifier::signal_send_delMcast);
    QSignalSpy route(&n, &RegistryNotifier::signal_refresh_route);
    QSignalSpy back(&n, &RegistryNotifier::sendBackDataSignal);

    n.dispatch({{"ops", "addDev"}, {"devId", "A"}});
    n.dispatch({{"ops", "updateDev"}, {"devId", "B"}});
    n.dispatch({{"ops", "delDev"}, {"devId", "C"}});
    const QJsonObject sdp{{"dstIp", "239.69.1.2"}};
    n.dispatch({{"ops", "addMcast"}, {"sdp", sdp}});
    n.dispatch({{"ops", "delMcast"}, {"sdp", sdp}});
    n.dispatch({{"ops", "updateRoute"}});
    n.dispatch({{"ops", "updateActive"}});
    n.dispatch({{"ops", "AddDev"}, {"devId", "case differs"}});
    n.dispatch({{"ops", "somethingElse"}});

    ASSERT_EQ(add.count(), 1);
    EXPECT_EQ(add.at(0).at(0).toString(), "A");
    ASSERT_EQ(upd.count(), 1);
    EXPECT_EQ(upd.at(0).at(0).toString(), "B");
    ASSERT_EQ(del.count(), 1);
    EXPECT_EQ(del.at(0).at(0).toString(), "C");
    ASSERT_EQ(addM.count(), 1);
    EXPECT_EQ(addM.at(0).at(0).toString(), "239.69.1.2");
    ASSERT_EQ(delM.count(), 1);
    EXPECT_EQ(delM.at(0).at(0).value<uint32_t>(), 0xEF450102u);
    EXPECT_EQ(route.count(), 1);
    ASSERT_EQ(back.count(), 1);
    EXPECT_EQ(back.at(0).at(0).toString(), "refreshRoute");
}

TEST_F(RegistryNotifierTest, RegistryChangesReachTheSignals)
{
    RegistryNotifier n;
    QSignalSpy add(&n, &RegistryNotifier::signal_send_addDev);
    QSignalSpy upd(&n, &RegistryNotifier::signal_send_updateDev);
    QSignalSpy del(&n, &RegistryNotifier::signal_send_delDev);

    announce("dev-1", "10.2.0.1", "0");
    announce("dev-1", "10.2.0.1", "0");
    EXPECT_EQ(add.count(), 1);
    EXPECT_EQ(upd.count(), 0); // nothing changed
    announce("dev-1", "10.2.0.1", "1");
    EXPECT_EQ(upd.count(), 1);
    expireAll();
    userCallLib_timer(20);
    ASSERT_EQ(del.count(), 1);
    EXPECT_EQ(del.at(0).at(0).toString(), "dev-1");
}

TEST_F(RegistryNotifierTest, ChangesAfterTheAdapterIsGoneReachNobody)
{
    {
        RegistryNotifier n;
    }
    // A dangling registration would call into the destroyed object here.
    announce("dev-2", "10.2.0.2");
    EXPECT_NE(findDevById("dev-2"), nullptr);
}
