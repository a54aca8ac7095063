#include "ClockForm.h"
#include "DevListForm.h"
#include "DevWin.h"
#include "DeviceRequests.h"
#include "DeviceWindow.h"
#include "ListWidgetHelpers.h"
#include "NetStateItemForm.h"
#include "ShellTestSupport.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTableWidget>

namespace {

using Devices = ShellTest;

QStringList row(MainWindow* w, int r)
{
    return ListWidgetHelpers::rowTexts(w->devListForm()->table(), r);
}

TEST_F(Devices, AddedUpdatedAndRemovedThroughTheSlots)
{
    MainWindow* w = window();
    ASSERT_EQ(announce(announcement("MRD-0001", "Stage left", "10.0.0.5")), 1);
    w->slot_recv_addDev("MRD-0001");
    w->slot_refreshUi();
    ASSERT_EQ(w->devListForm()->table()->rowCount(), 1);
    EXPECT_EQ(row(w, 0), QStringList({"Stage left", "Stagebox A16", "10.0.0.5", "00:1D:C1:00:00:0B"}));

    // A changed announcement: clock identity of another length keeps all its octets; canWork follows.
    QJsonObject changed = announcement("MRD-0001", "Stage left", "10.0.0.5");
    changed.insert("myClkId", "AA-BB-CC-DD");
    changed.insert("canWork", "0");
    ASSERT_EQ(announce(changed), 1);
    w->slot_recv_updateDev("MRD-0001");
    w->slot_refreshUi();
    EXPECT_EQ(row(w, 0).value(3), "AA:BB:CC:DD");
    EXPECT_FALSE(DevDetailStore::instance().getDevDetail("MRD-0001").canWork);

    expireAll();
    userCallLib_timer(20);
    ASSERT_EQ(findDevById("MRD-0001"), nullptr);
    w->slot_recv_delDev("MRD-0001");
    w->slot_refreshUi();
    EXPECT_EQ(w->devListForm()->table()->rowCount(), 0);
    EXPECT_FALSE(DevDetailStore::instance().containsDevId("MRD-0001"));
}

TEST_F(Devices, ListedInOrderOfNameWithModelTypeOrAnnouncedModel)
{
    MainWindow* w = window();
    QJsonObject unknownModel = announcement("MRD-0003", "Zed", "10.0.0.3");
    unknownModel.insert("model", "XYZ-9");
    announce(unknownModel);
    announce(announcement("MRD-0002", "Alpha", "10.0.0.2"));
    w->slot_recv_addDev("MRD-0003");
    w->slot_recv_addDev("MRD-0002");
    w->slot_refreshUi();
    ASSERT_EQ(w->devListForm()->table()->rowCount(), 2);
    EXPECT_EQ(row(w, 0).value(0), "Alpha");
    EXPECT_EQ(row(w, 1), QStringList({"Zed", "XYZ-9", "10.0.0.3", "00:1D:C1:00:00:0B"}));
}

TEST_F(Devices, NotificationsArriveQueuedFromTheRegistry)
{
    MainWindow* w = window();
    announce(announcement("MRD-0004", "Queued", "10.0.0.4"));
    EXPECT_FALSE(DevDetailStore::instance().containsDevId("MRD-0004")); // not before the event loop runs
    QCoreApplication::processEvents();
    EXPECT_TRUE(DevDetailStore::instance().containsDevId("MRD-0004"));
    w->slot_refreshUi();
    EXPECT_EQ(row(w, 0).value(0), "Queued");

    // Removal reaches the store and the network page, which forgets the device's health.
    w->netStateForm()->handleMessage(
        R"({"devId":"MRD-0004","ops":"getDebugInfo","result":"succ","temp":"90000","uptime":"1"})");
    ASSERT_TRUE(w->netStateForm()->tracker().contains("MRD-0004"));
    expireAll();
    userCallLib_timer(20);
    QCoreApplication::processEvents();
    EXPECT_FALSE(DevDetailStore::instance().containsDevId("MRD-0004"));
    EXPECT_FALSE(w->netStateForm()->tracker().contains("MRD-0004"));
}

TEST_F(Devices, OneAddressOneListedDevice)
{
    MainWindow* w = window();
    announce(announcement("MRD-0010", "First", "10.0.0.10"));
    w->slot_recv_addDev("MRD-0010");
    sent.clear();
    announce(announcement("MRD-0011", "Second", "10.0.0.10"));
    w->slot_recv_addDev("MRD-0011");
    EXPECT_FALSE(DevDetailStore::instance().containsDevId("MRD-0011"));
    EXPECT_TRUE(sent.empty()) << "no first requests to a device that is not listed";
    userCallLib_timer(20);
    EXPECT_EQ(findDevById("MRD-0011"), nullptr) << "the newcomer is dropped at the next step";
    EXPECT_NE(findDevById("MRD-0010"), nullptr);
    w->slot_refreshUi();
    ASSERT_EQ(w->devListForm()->table()->rowCount(), 1);
    EXPECT_EQ(row(w, 0).value(0), "First");
}

TEST_F(Devices, GoneOrUnknownDevicesAreIgnored)
{
    MainWindow* w = window();
    w->slot_recv_addDev("MRD-404");
    w->slot_recv_updateDev("MRD-404");
    w->slot_recv_delDev("MRD-404");
    EXPECT_EQ(DevDetailStore::instance().devCount(), 0);
    EXPECT_TRUE(sent.empty());
}

TEST_F(Devices, ExpansionModulesShowAsPartOfTheirHost)
{
    MainWindow* w = window();
    QJsonObject module = announcement("MREA-0A4D0015", "Module", "10.0.1.2");
    module.insert("chNumRx", "8");
    module.insert("chNumTx", "4");
    announce(announcement("MRH2-0A4D0015", "Host", "10.0.1.1"));
    announce(module);
    w->slot_recv_addDev("MREA-0A4D0015");
    EXPECT_FALSE(DevDetailStore::instance().containsDevId("MREA-0A4D0015"));
    EXPECT_TRUE(sent.empty());
    w->slot_recv_addDev("MRH2-0A4D0015");
    const DevDetailStore::ModuleInfo info = DevDetailStore::instance().module(0, "MRH2-0A4D0015");
    EXPECT_EQ(info.ip, dvm_parseIp("10.0.1.2"));
    EXPECT_EQ(info.chNumRx, 8);
    EXPECT_EQ(info.chNumTx, 4);
}

TEST_F(Devices, FirstRequestsLeaveForTheNewDevice)
{
    MainWindow* w = window();
    announce(announcement("MRD-0020", "Req", "10.0.0.20"));
    w->slot_recv_addDev("MRD-0020");
    // Their bodies and order are DeviceRequests' matter; here: all of them, to this device's address and ports.
    const QVector<DeviceRequests::Request> expected = DeviceRequests::firstRequests(dvm_parseIp("10.0.0.20"), 9990);
    ASSERT_EQ(sent.size(), size_t(expected.size()));
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(sent[size_t(i)].bytes, expected[i].bytes) << i;
        EXPECT_EQ(sent[size_t(i)].ip, expected[i].ip) << i;
        EXPECT_EQ(sent[size_t(i)].port, expected[i].port) << i;
    }
}

TEST_F(Devices, StatusQueriesAndRawSendsReachOnlyListedDevices)
{
    MainWindow* w = window();
    announce(announcement("MRD-0030", "Poll", "10.0.0.30"));
    w->slot_recv_addDev("MRD-0030");
    sent.clear();
    w->recvChangeData(R"({"devId":"MRD-0030","ops":"getDebugInfo"})");
    w->recvChangeData(R"({"devId":"MRD-0099","ops":"getDebugInfo"})");
    w->recvChangeData("not json");
    w->slot_sendUdp(R"({"ops":"identify"})", "MRD-0030");
    w->slot_sendUdp(R"({"ops":"identify"})", "MRD-0099");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].bytes, QByteArray(R"({"ops":"getDebugInfo"})"));
    EXPECT_EQ(sent[0].port, 9994);
    EXPECT_EQ(sent[1].bytes, QByteArray(R"({"ops":"identify"})"));
    EXPECT_EQ(sent[1].port, 9990);
}

TEST_F(Devices, OneSettingsWindowPerDeviceWiredToTheCommandLayer)
{
    MainWindow* w = window();
    announce(announcement("MRD-0040", "Desk", "10.0.0.40"));
    w->slot_recv_addDev("MRD-0040");
    w->slot_showDevWindow("MRD-0099"); // not listed: nothing opens
    EXPECT_EQ(w->devWindow("MRD-0099"), nullptr);

    w->slot_showDevWindow("MRD-0040");
    DevWin* win = w->devWindow("MRD-0040");
    ASSERT_NE(win, nullptr);
    w->slot_showDevWindow("MRD-0040");
    EXPECT_EQ(w->devWindow("MRD-0040"), win) << "a second double-click raises the open window";

    // The window's command messages are translated and sent; its heartbeat goes unchanged to the command port.
    sent.clear();
    emit win->sendDataSignal(R"({"devId":"MRD-0040","ops":"getIp"})");
    emit win->sendSignal(R"({"devId":"MRD-0040","ops":"getVersion"})", "MRD-0040");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].port, 9994);
    EXPECT_EQ(sent[1].port, 9990);
    EXPECT_EQ(sent[1].bytes, QByteArray(R"({"devId":"MRD-0040","ops":"getVersion"})"));

    // "closeDev" on the bus closes every frame, and the main window forgets it.
    emit w->sendBackDataSignal("closeDev");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->devWindow("MRD-0040"), nullptr);
    w->slot_showDevWindow("MRD-0040");
    EXPECT_NE(w->devWindow("MRD-0040"), nullptr) << "it opens again after closing";
}

TEST_F(Devices, InformationLabelShowsVersionAndBoundAddress)
{
    MainWindow* w = window();
    w->slot_refreshDevInfoUi();
    EXPECT_EQ(w->infoLabel()->text(), "3.2.0.9  0918143025\n\nIP: 0.0.0.0");
}

TEST_F(Devices, RefreshMenuEntryExpiresEveryDevice)
{
    MainWindow* w = window();
    announce(announcement("MRD-0040", "Gone soon", "10.0.0.40"));
    QStringList back;
    QObject receiver; // ends the connection before `back` goes out of scope
    QObject::connect(w, &MainWindow::sendBackDataSignal, &receiver, [&back](QString m) { back << m; });
    w->on_top_btn_click(2);
    EXPECT_EQ(back, QStringList{"closeDev"});
    userCallLib_timer(20);
    EXPECT_EQ(findDevById("MRD-0040"), nullptr);
}

// A long list shows its rows over several turns of the event loop (the window stays responsive), and ends up
// exactly like a short one: store order, blink, double-click, and a refresh arriving meanwhile.
TEST_F(Devices, LongListsGrowOverSeveralTurnsAndEndAsShortOnes)
{
    const int longList = DevListForm::kRowsPerStep + 20;
    for (int count : {3, longList}) {
        SCOPED_TRACE(count);
        TearDown();
        SetUp();
        MainWindow* w = window();
        QStringList ids;
        for (int i = 0; i < count; ++i) {
            ids << QStringLiteral("MRD-%1").arg(i + 0x100, 4, 16, QLatin1Char('0')).toUpper();
            announce(announcement(ids.last(), QStringLiteral("Box %1").arg(i, 4, 10, QLatin1Char('0')),
                                  QStringLiteral("10.1.%1.%2").arg(i / 200).arg(i % 200 + 1)));
            w->slot_recv_addDev(ids.last());
        }
        w->slot_blinkingDev(ids.last());
        w->on_top_btn_click(20); // the clock page refreshes only while shown
        w->slot_refreshUi();
        const bool sliced = count > DevListForm::kRowsPerStep;
        EXPECT_EQ(w->devListForm()->isAddingRows(), sliced);
        EXPECT_EQ(w->netStateForm()->isBuildingRows(), count > NetStateForm::kRowsPerStep);
        EXPECT_EQ(w->clockForm()->isBuildingRows(), count > ClockForm::kRowsPerStep);
        EXPECT_EQ(w->devListForm()->table()->rowCount(), std::min(count, DevListForm::kRowsPerStep));

        // A device leaves while rows are still coming.
        w->slot_recv_delDev(ids.takeFirst());
        w->slot_refreshUi();
        for (int turn = 0; turn < 1000 && (w->devListForm()->isAddingRows() || w->netStateForm()->isBuildingRows() ||
                                           w->clockForm()->isBuildingRows());
             ++turn)
            QCoreApplication::processEvents();

        ASSERT_EQ(w->devListForm()->table()->rowCount(), ids.size());
        EXPECT_EQ(row(w, 0).value(0), "Box 0001");
        EXPECT_EQ(row(w, ids.size() - 1).value(0), QStringLiteral("Box %1").arg(count - 1, 4, 10, QLatin1Char('0')));
        EXPECT_TRUE(w->devListForm()->table()->item(ids.size() - 1, 0)->background() != QBrush())
            << "the blink shows on a row added in a later turn";
        EXPECT_EQ(w->netStateForm()->rowDevIds(), ids);
        NetStateItemForm* last = w->netStateForm()->rowWidget(ids.last());
        ASSERT_NE(last, nullptr);
        EXPECT_EQ(last->fields().devId, ids.last());
        ClockItemForm* clockRow = w->clockForm()->rowOf(ids.last());
        ASSERT_NE(clockRow, nullptr);
        EXPECT_EQ(clockRow->fields().devId, ids.last());
        emit w->devListForm()->table()->cellDoubleClicked(ids.size() - 1, 0);
        EXPECT_NE(w->devWindow(ids.last()), nullptr);
    }
}

} // namespace
