#include "FormStreamRoute.h"
#include "McastWidget.h"
#include "McastWin.h"
#include "RouteUiTestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTextBrowser>
#include <vector>

namespace {

using StreamRouteFormTest = routeuitest::WidgetTest;

} // namespace

TEST_F(StreamRouteFormTest, FieldsAreCheckedInOrderForTheChosenMode)
{
    struct Case
    {
        FormStreamRoute::Mode mode;
        std::vector<const char*> order;
    };
    const Case cases[] = {
        {FormStreamRoute::Unicast, {"ucast_devId", "ucast_srcChId", "ucast_dstChId"}},
        {FormStreamRoute::Multicast,
         {"mcast_dstIp", "mcast_dstPort", "mcast_chNum", "mcast_sample", "mcast_rtp", "mcast_srcChId",
          "mcast_dstChId"}},
    };
    for (const Case& c : cases) {
        FormStreamRoute form;
        form.setMode(c.mode);
        for (const char* name : c.order)
            form.findChild<QLineEdit*>(name)->clear();
        for (const char* name : c.order) {
            const QString missing = QStringLiteral("%1 cannot be empty").arg(name);
            EXPECT_EQ(form.validate(), missing);
            form.findChild<QLineEdit*>(name)->setText("  "); // blanks count as empty
            EXPECT_EQ(form.validate(), missing);
            form.findChild<QLineEdit*>(name)->setText("1");
        }
        EXPECT_EQ(form.validate(), "") << c.mode;
        // The other mode's fields do not count.
        form.setMode(c.mode == FormStreamRoute::Unicast ? FormStreamRoute::Multicast : FormStreamRoute::Unicast);
        EXPECT_NE(form.validate(), "");
    }
    // The channel the view passes in lands in both modes' receive field.
    FormStreamRoute form;
    form.setDstChId(5);
    EXPECT_EQ(form.mcastDstChId(), "5");
    EXPECT_EQ(form.ucastDstChId(), "5");
    form.findChild<QRadioButton*>("mcast_rad_bt")->click();
    EXPECT_EQ(form.mode(), FormStreamRoute::Multicast);
}

TEST(StreamMcastWindow, ShowsTheStreamAndItsSender)
{
    routeuitest::app();
    dvm_resetForTest();
    routeuitest::announce("SND", "Sender", "10.4.0.8");
    ASSERT_EQ(regfeed::sapStream("10.4.0.8", "Hall", "239.69.7.8", 2, 5006), 1);

    McastWin win(dvm_parseIp("239.69.7.8"));
    EXPECT_EQ(win.windowTitle(), QString::fromUtf8("组播流详情"));
    auto* w = win.widget();
    EXPECT_EQ(w->findChild<QLabel*>("devId_lb")->text(), "SND");
    // The registry keeps the CR of the "s=" line; the window shows the name without it.
    EXPECT_EQ(w->findChild<QLabel*>("name_lb")->text(), "Hall");
    EXPECT_EQ(w->findChild<QLabel*>("devIp_lb")->text(), "10.4.0.8");
    EXPECT_EQ(w->findChild<QLabel*>("dst_lb")->text(), "239.69.7.8/5006");
    EXPECT_EQ(w->findChild<QLabel*>("devName_lb")->text(), "Sender");

    McastWidget gone(dvm_parseIp("239.69.9.9"));
    EXPECT_FALSE(gone.refresh());
    dvm_resetForTest();
}
