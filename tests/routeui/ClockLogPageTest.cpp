#include "Clock.h"
#include "DevDetailStore.h"
#include "LockOverlays.h"
#include "ModelTable.h"
#include "RouteUiTestSupport.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <gtest/gtest.h>

namespace {

QString event(const QString& ip, int state)
{
    return QStringLiteral(R"({"event":"masterOffset","offset":"-12","ops":"clockEvent","remoteIp":"%1","state":"%2"})")
        .arg(ip)
        .arg(state);
}

class ClockLogPageTest : public routeuitest::WidgetTest
{
protected:
    void SetUp() override
    {
        dvm_resetForTest();
        regfeed::announce("D-1", "D-1-name", "10.9.0.1");
        ASSERT_EQ(DevDetailStore::Added, store.addFromRegistry("D-1"));
    }
    void TearDown() override { dvm_resetForTest(); }

    DevDetailStore store{ModelTable::instance()};
    Clock page{QStringLiteral("D-1"), store};
};

TEST_F(ClockLogPageTest, LogsTheDevicesEventsOnly)
{
    page.recvBackData(event("10.9.0.1", 1));
    page.recvBackData(event("10.9.0.2", 2));
    page.recvBackData(R"({"devId":"D-1","ops":"getVersion","remoteIp":"10.9.0.1"})");
    page.recvBackData(R"({"event":"adjustFreq","ops":"clockEvent","ppm":"5","remoteIp":"10.9.0.1"})");
    EXPECT_EQ(QStringLiteral("{\"event\":\"masterOffset\",\"offset\":\"-12\",\"state\":\"1\"}\n"
                             "{\"event\":\"adjustFreq\",\"ppm\":\"5\"}"),
              page.logText());
    EXPECT_EQ(page.textView()->document()->characterCount() - 1, page.textView()->textCursor().position())
        << "the cursor stays at the end";
}

TEST_F(ClockLogPageTest, FollowsTheDeviceToItsNewAddress)
{
    store.updateDevDetail("D-1", [](DevDetail_t& d) { d.ip = dvm_parseIp("10.9.0.9"); });
    page.recvBackData(event("10.9.0.1", 1));
    EXPECT_TRUE(page.logText().isEmpty());
    page.recvBackData(event("10.9.0.9", 3));
    EXPECT_TRUE(page.logText().contains("\"state\":\"3\""));
}

TEST_F(ClockLogPageTest, ViewNeverHoldsMoreThanTheBoundAndKeepsTheNewest)
{
    for (int i = 0; i < 2200; ++i)
        page.recvBackData(event("10.9.0.1", i));
    const QString text = page.logText();
    EXPECT_EQ(100000, text.size());
    EXPECT_TRUE(text.endsWith(QStringLiteral(R"("state":"2199"})")));
    EXPECT_FALSE(text.contains(QStringLiteral(R"("state":"0"})")));
    EXPECT_EQ(page.textView()->document()->characterCount() - 1, page.textView()->textCursor().position());
}

TEST_F(ClockLogPageTest, LockOverlaysFollowTheDetailLock)
{
    for (int level : {0, 2, 0}) {
        store.updateDevDetail("D-1", [&](DevDetail_t& d) { d.detailLock = level; });
        page.refreshLock();
        EXPECT_EQ(level, page.lockOverlays()->level());
    }
}

} // namespace
