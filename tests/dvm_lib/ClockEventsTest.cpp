// Clock events stored per device, found by the sender's address.

#include "DvmTestSupport.h"

namespace {

class DvmClock : public DvmTest
{
};

TEST_F(DvmClock, EventsAreStoredUnderTheSendersDevice)
{
    announce(announcement("A", "10.0.0.1"));
    announce(announcement("B", "10.0.0.2"));
    EXPECT_EQ(1, mcast(QJsonObject{{"event", "masterOffset"}, {"state", "2"}, {"offset", "-12"}}, ipOf("10.0.0.2")));
    EXPECT_EQ(1, mcast(QJsonObject{{"event", "adjustFreq"}, {"ppm", "-3"}}, ipOf("10.0.0.2")));
    const DevRecord* a = findDevById("A");
    const DevRecord* b = findDevById("B");
    EXPECT_EQ(0, a->ptpState);
    EXPECT_EQ(2, b->ptpState);
    EXPECT_EQ(-3, b->ppm);
    EXPECT_EQ(0, mcast(QJsonObject{{"event", "somethingElse"}, {"state", "5"}}, ipOf("10.0.0.2")));
    EXPECT_EQ(2, b->ptpState);
    EXPECT_TRUE(count("updateDev") == 0 && notes.size() == 2u) << "events notify nothing";
}

TEST_F(DvmClock, EventsFollowTheSendersCurrentAddressAndMissingStateGivesZero)
{
    announce(announcement("A", "10.0.0.1"));
    dvm_setDevLife(findDevById("A"), 0);     // a live device keeps its address; an expired one may move
    announce(announcement("A", "10.0.0.5")); // moved
    EXPECT_EQ(0, mcast(QJsonObject{{"event", "masterOffset"}, {"state", "2"}}, ipOf("10.0.0.1")));
    EXPECT_EQ(0, findDevById("A")->ptpState);
    EXPECT_EQ(1, mcast(QJsonObject{{"event", "masterOffset"}, {"state", "2"}}, ipOf("10.0.0.5")));
    EXPECT_EQ(2, findDevById("A")->ptpState);
    EXPECT_EQ(1, mcast(QJsonObject{{"event", "masterOffset"}}, ipOf("10.0.0.5")));
    EXPECT_EQ(0, findDevById("A")->ptpState);
}

TEST_F(DvmClock, NewDeviceInReusedSlotStartsWithClearClock)
{
    announce(announcement("A", "10.0.0.1"));
    mcast(QJsonObject{{"event", "adjustFreq"}, {"ppm", "9"}}, ipOf("10.0.0.1"));
    dvm_setDevLife(findDevById("A"), 0);
    tick();
    announce(announcement("B", "10.0.0.2"));
    EXPECT_EQ(0, findDevById("B")->ppm);
}

} // namespace
