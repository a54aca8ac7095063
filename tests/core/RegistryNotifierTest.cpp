#include "RegistryNotifier.h"
#include "StoreTestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class RegistryNotifierTest : public ::testing::Test
{
protected:
    void SetUp() override { dvm_resetForTest(); }
    void TearDown() override { dvm_resetForTest(); }
};

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

    const QJsonObject sdp{{"dstIp", "239.69.1.2"}};
    const QJsonObject messages[] = {{{"ops", "addDev"}, {"devId", "A"}}, {{"ops", "updateDev"}, {"devId", "B"}},
                                    {{"ops", "delDev"}, {"devId", "C"}}, {{"ops", "addMcast"}, {"sdp", sdp}},
                                    {{"ops", "delMcast"}, {"sdp", sdp}}, {{"ops", "updateRoute"}},
                                    {{"ops", "updateActive"}},           {{"ops", "AddDev"}, {"devId", "case"}},
                                    {{"ops", "somethingElse"}}};
    for (const QJsonObject& m : messages)
        n.dispatch(m);

    const struct
    {
        QSignalSpy& spy;
        QVariant arg;
    } expected[] = {{add, "A"},           {upd, "B"},          {del, "C"},
                    {addM, "239.69.1.2"}, {delM, 0xEF450102u}, {back, "refreshRoute"}};
    for (const auto& e : expected) {
        ASSERT_EQ(e.spy.count(), 1) << e.spy.signal().constData();
        EXPECT_EQ(e.spy.at(0).at(0), e.arg) << e.spy.signal().constData();
    }
    EXPECT_EQ(route.count(), 1);
}

TEST_F(RegistryNotifierTest, RegistryChangesReachALiveNotifierOnly)
{
    {
        RegistryNotifier n;
        QSignalSpy add(&n, &RegistryNotifier::signal_send_addDev);
        QSignalSpy upd(&n, &RegistryNotifier::signal_send_updateDev);
        QSignalSpy del(&n, &RegistryNotifier::signal_send_delDev);
        storetest::announce("dev-1", "10.2.0.1", {{"canWork", "0"}});
        storetest::announce("dev-1", "10.2.0.1", {{"canWork", "1"}});
        expireAll();
        userCallLib_timer(20);
        EXPECT_EQ(add.count(), 1);
        EXPECT_EQ(upd.count(), 1);
        ASSERT_EQ(del.count(), 1);
        EXPECT_EQ(del.at(0).at(0).toString(), "dev-1");
    }
    // A dangling registration would call into the destroyed object here.
    storetest::announce("dev-2", "10.2.0.2");
    EXPECT_NE(findDevById("dev-2"), nullptr);
}
