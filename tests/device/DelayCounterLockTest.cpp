#include "DeviceTestSupport.h"
#include "LockOverlays.h"
#include "NewDelayCounter.h"

#include <QTimer>

using namespace devicetest;

namespace {

const char* const kIp = "192.168.10.21";

class DelayCounterLockTest : public DeviceTest
{
};

TEST_F(DelayCounterLockTest, PageFollowsTheStoredDetailLock)
{
    announce("D1", kIp, "MRD-A16");
    NewDelayCounter page("D1");
    fromDevice(kIp, QJsonObject{{"ops", "getLock"}, {"val", "0x2"}});
    page.show();
    EXPECT_TRUE(page.lockOverlays()->translucent()->isVisible());

    fromDevice(kIp, QJsonObject{{"ops", "getLock"}, {"val", "0x10002"}});
    page.refreshLock();
    EXPECT_FALSE(page.lockOverlays()->translucent()->isVisible());
    EXPECT_TRUE(page.lockOverlays()->transparent()->isVisible());

    // "0x0" clears the overlay at the next periodic re-read.
    fromDevice(kIp, QJsonObject{{"ops", "getLock"}, {"val", "0x0"}});
    EXPECT_TRUE(page.lockOverlays()->transparent()->isVisible());
    auto* lockTimer = page.findChild<QTimer*>("lock_timer");
    ASSERT_NE(lockTimer, nullptr);
    EXPECT_TRUE(lockTimer->isActive());
    EXPECT_EQ(lockTimer->interval(), 1000);
    QMetaObject::invokeMethod(lockTimer, "timeout");
    EXPECT_FALSE(page.lockOverlays()->translucent()->isVisible());
    EXPECT_FALSE(page.lockOverlays()->transparent()->isVisible());

    // A "setLock" answer re-reads the lock at once.
    fromDevice(kIp, QJsonObject{{"ops", "getLock"}, {"val", "0x3"}});
    page.recvRequest(compact({{"ops", "setLock"}, {"devId", "D1"}, {"result", "succ"}}));
    EXPECT_TRUE(page.lockOverlays()->translucent()->isVisible());
}

} // namespace
