#include "PeriodicTicker.h"
#include "DevManager.h"
#include "StoreTestSupport.h"

#include <gtest/gtest.h>

namespace {

using storetest::announce;

class PeriodicTickerTest : public ::testing::Test
{
protected:
    void SetUp() override { dvm_resetForTest(); }
    void TearDown() override { dvm_resetForTest(); }
    PeriodicTicker ticker;
};

} // namespace

TEST_F(PeriodicTickerTest, RefreshAtMostOncePer51TicksAndOnlyWhenMarked)
{
    for (bool marked : {true, false}) {
        int refreshes = 0;
        for (int i = 0; i < 51 * 4; ++i) {
            if (marked)
                ticker.setUiRefreshPending();
            refreshes += ticker.tick().refreshUi ? 1 : 0;
        }
        EXPECT_EQ(refreshes, marked ? 4 : 0) << (marked ? "marked before every tick" : "nothing changed");
    }
}

TEST_F(PeriodicTickerTest, DevInfoAndCanWorkCadence)
{
    int devInfo = 0, canWork = 0;
    for (int i = 0; i < 151 * 251; ++i) {
        const TickResult r = ticker.tick();
        devInfo += r.refreshDevInfoUi;
        canWork += r.syncCanWork;
    }
    EXPECT_EQ(devInfo, 251);
    EXPECT_EQ(canWork, 151);
}

TEST_F(PeriodicTickerTest, BlinkRestartsAndEndsOnce)
{
    announce("dev-A", "10.1.0.4"); // only listed devices blink
    ticker.startBlink("dev-A");
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(ticker.tick().unblinked.isEmpty());
    ticker.startBlink("dev-A"); // a second request restarts the 400 ticks
    int ended = 0;
    int endedAt = -1;
    for (int i = 1; i <= 800; ++i) {
        const TickResult r = ticker.tick();
        if (r.unblinked.contains("dev-A")) {
            ++ended;
            endedAt = i;
        }
    }
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(endedAt, 400);
    EXPECT_FALSE(ticker.isBlinking("dev-A"));
}

TEST_F(PeriodicTickerTest, RebootingDeviceCannotBeKeptAliveByAnnouncements)
{
    announce("dev-R", "10.1.0.5");
    announce("dev-S", "10.1.0.6");
    ticker.startReboot("dev-R", 100);
    ticker.tick();
    userCallLib_timer(20);
    EXPECT_EQ(findDevById("dev-R"), nullptr);
    EXPECT_NE(findDevById("dev-S"), nullptr);

    // Announcing again while the reboot ticks last: removed again at the next step.
    announce("dev-R", "10.1.0.5");
    ticker.tick();
    userCallLib_timer(20);
    EXPECT_EQ(findDevById("dev-R"), nullptr);

    for (int i = 0; i < 100; ++i)
        ticker.tick();
    announce("dev-R", "10.1.0.5");
    ticker.tick();
    userCallLib_timer(20);
    EXPECT_NE(findDevById("dev-R"), nullptr);
}
