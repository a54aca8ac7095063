#include "CellRouteForm.h"
#include "ClockForm.h"
#include "ClockItemForm.h"
#include "DevListForm.h"
#include "DevWin.h"
#include "McastWin.h"
#include "ShellTestSupport.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QSignalSpy>

namespace {

using Wiring = ShellTest;

QString debugInfoReply(const QString& devId, const QString& temp)
{
    return QStringLiteral(R"({"devId":"%1","devName":"Desk","ops":"getDebugInfo","result":"succ","temp":"%2",)"
                          R"("uptime":"10"})")
        .arg(devId, temp);
}

int announceStream(const QString& group)
{
    QByteArray p("\x20\x00\x12\x34\x0A\x00\x00\x32", 8);
    p.append("application/sdp", 16);
    p += QStringLiteral("v=0\r\no=- 1 1 IN IP4 10.0.0.50\r\ns=Wall\r\nc=IN IP4 %1/32\r\nt=0 0\r\n"
                        "m=audio 5004 RTP/AVP 96\r\na=rtpmap:96 L24/48000/2\r\na=ptime:1\r\n"
                        "a=ts-refclk:ptp=IEEE1588-2008:00-1D-C1-FF-FE-12-34-56:0\r\na=mediaclk:direct=0\r\n")
             .arg(group)
             .toUtf8();
    return userCallLib_handleUdp_sap(p.constData(), p.size(), dvm_parseIp("10.0.0.50"), 9875);
}

TEST_F(Wiring, NetworkPageRowOpensOrRaisesTheDeviceWindow)
{
    MainWindow* w = window();
    announce(announcement("MRD-0050", "Desk", "10.0.0.50"));
    w->slot_recv_addDev("MRD-0050");
    w->slot_refreshUi();
    auto* list = w->netStateForm()->findChild<QListWidget*>("listWidget");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 1);
    w->netStateForm()->on_listWidget_itemDoubleClicked(list->item(0));
    DevWin* win = w->devWindow("MRD-0050");
    ASSERT_NE(win, nullptr);
    w->netStateForm()->on_listWidget_itemDoubleClicked(list->item(0));
    EXPECT_EQ(w->devWindow("MRD-0050"), win);
    EXPECT_EQ(w->findChildren<DevWin*>().size(), 1);
}

TEST_F(Wiring, DeviceWarningsOfTheNetworkPageMarkTheClockView)
{
    const QString id = QStringLiteral("MRD-0060");
    MainWindow* w = window();
    announce(announcement(id, "Desk", "10.0.0.60"));
    w->slot_recv_addDev(id);
    w->on_top_btn_click(20);
    w->slot_refreshUi();
    QSignalSpy tips(w, &MainWindow::signal_deviceTips);
    const struct
    {
        const char* temp;
        int type;
        QString tip;
    } cases[] = {
        {"85500", 3, "Desk temperature is abnormal, please check the equipment"},
        {"81000", 2, "Desk temperature is too high, please pay attention to heat dissipation"},
        {"80000", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.temp);
        w->netStateForm()->handleMessage(debugInfoReply(id, c.temp));
        ASSERT_FALSE(tips.isEmpty());
        EXPECT_EQ(tips.last(), (QList<QVariant>{id, c.type, !c.tip.isEmpty(), c.tip}));
        EXPECT_EQ(w->clockForm()->deviceTip(id), c.tip);
        ClockItemForm* row = w->clockForm()->rowOf(id);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->toolTip(), c.tip);
    }

    // A warning of a device that then leaves goes with it.
    w->netStateForm()->handleMessage(debugInfoReply(id, "90000"));
    w->slot_recv_delDev(id);
    w->clockForm()->refresh();
    EXPECT_TRUE(w->clockForm()->deviceTip(id).isEmpty());
}

TEST_F(Wiring, OneWindowPerStreamRaisedWhenOpenedAgain)
{
    MainWindow* w = window();
    ASSERT_EQ(announceStream("239.69.1.1"), 1);
    ASSERT_EQ(announceStream("239.69.1.2"), 1);
    const uint32_t first = dvm_parseIp("239.69.1.1");
    const uint32_t second = dvm_parseIp("239.69.1.2");

    w->slot_showMcastWindow(dvm_parseIp("239.69.9.9")); // unknown stream: nothing opens
    EXPECT_TRUE(w->findChildren<McastWin*>().isEmpty());

    w->slot_showMcastWindow(first);
    McastWin* win = w->mcastWindow(first);
    ASSERT_NE(win, nullptr);
    w->slot_showMcastWindow(first);
    w->slot_showMcastWindow(second);
    EXPECT_EQ(w->mcastWindow(first), win);
    EXPECT_EQ(w->findChildren<McastWin*>().size(), 2);

    win->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->mcastWindow(first), nullptr);
    w->slot_showMcastWindow(first);
    EXPECT_NE(w->mcastWindow(first), nullptr) << "it opens again after closing";
}

TEST_F(Wiring, IdentifyBlinkShowsOnTheListAndTheMatrix)
{
    MainWindow* w = window();
    announce(announcement("MRD-0070", "Desk", "10.0.0.70"));
    w->slot_recv_addDev("MRD-0070");
    w->slot_refreshUi();
    const struct
    {
        void (MainWindow::*slot)(QString);
        bool blinking;
    } steps[] = {{&MainWindow::slot_blinkingDev, true}, {&MainWindow::slot_unBlinkingDev, false}};
    for (const auto& s : steps) {
        (w->*s.slot)("MRD-0070");
        EXPECT_EQ(w->devListForm()->isBlinking("MRD-0070"), s.blinking);
        EXPECT_EQ(w->routeForm()->isDeviceBlinking("MRD-0070"), s.blinking);
    }
}

} // namespace
