#include "ClockForm.h"
#include "AppState.h"
#include "ClockItemForm.h"
#include "DevDetailStore.h"
#include "DialogChangePriority.h"
#include "ModelTable.h"
#include "RouteUiTestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <tuple>

using namespace regfeed;

namespace {

const QString kOwnClk = QStringLiteral("00-1D-C1-FF-FE-00-00-0A");

class ClockFormTest : public routeuitest::WidgetTest
{
protected:
    void SetUp() override
    {
        dvm_resetForTest();
        form.setChinese(false);
        form.setShowDialogs(false);
        form.setClock([this] { return now; });
    }
    void TearDown() override { dvm_resetForTest(); }

    void add(const QString& devId, const QString& ip, const QJsonObject& extra = QJsonObject())
    {
        announce(devId, devId + "-name", ip, extra);
        ASSERT_EQ(DevDetailStore::Added, store.addFromRegistry(devId));
    }
    ClockItemForm::Fields fields(const QString& devId)
    {
        ClockItemForm* row = form.rowOf(devId);
        return row ? row->fields() : ClockItemForm::Fields();
    }
    void reply(const QString& text)
    {
        form.recvChangeData(text);
        if (form.refreshPending())
            form.refresh();
    }
    int priorityOf(const QString& devId) { return store.getDevDetail(devId).ptpPriority; }

    qint64 now = 100000;
    DevDetailStore store{ModelTable::instance()};
    ClockForm form{store, ModelTable::instance()};
};

TEST_F(ClockFormTest, RoleSyncAndOffsetFollowTheRegistry)
{
    add("D-master", "10.9.0.1", QJsonObject{{"myClkId", kOwnClk}, {"gmClkId", kOwnClk}});
    add("D-locked", "10.9.0.2");
    add("D-free", "10.9.0.3");
    add("D-vsc", "10.9.0.4", QJsonObject{{"model", "MRV-VSC"}, {"myClkId", kOwnClk}, {"gmClkId", kOwnClk}});
    feedMcast(QJsonObject{{"event", "masterOffset"}, {"state", "2"}}, "10.9.0.2");
    feedMcast(QJsonObject{{"event", "masterOffset"}, {"state", "1"}}, "10.9.0.3");
    feedMcast(QJsonObject{{"event", "masterOffset"}, {"state", "0"}}, "10.9.0.1");
    feedMcast(QJsonObject{{"event", "adjustFreq"}, {"ppm", "-17"}}, "10.9.0.3");
    form.refresh();

    struct Row
    {
        const char *devId, *role, *sync, *ppm;
    };
    for (const Row& r : {Row{"D-master", "Master", "locked", "0"}, Row{"D-locked", "Slave", "locked", "0"},
                         Row{"D-free", "Slave", "unlock", "-17"}, Row{"D-vsc", "Slave", "locked", "0"}}) {
        const ClockItemForm::Fields f = fields(r.devId);
        EXPECT_EQ(std::make_tuple(f.role, f.sync, f.ppm),
                  std::make_tuple(QString(r.role), QString(r.sync), QString(r.ppm)))
            << r.devId;
    }

    const ClockItemForm::Fields f = fields("D-locked");
    EXPECT_EQ(QStringLiteral("Stagebox A16"), f.type);
    EXPECT_EQ(QStringLiteral("D-locked-name"), f.name);
    EXPECT_EQ(QStringLiteral("10.9.0.2"), f.ip);
    EXPECT_EQ(QStringLiteral("0.0/0.0 Mbps"), f.bandwidth);
    EXPECT_EQ(f.role, form.rowOf("D-locked")->cell(ClockItemForm::RoleColumn)->text());
    EXPECT_EQ(f.bandwidth, form.rowOf("D-locked")->findChild<QLabel*>("lab_bandwith")->text());

    // A lock lost later shows at the next refresh.
    feedMcast(QJsonObject{{"event", "masterOffset"}, {"state", "4"}}, "10.9.0.2");
    form.refresh();
    EXPECT_EQ(QStringLiteral("unlock"), fields("D-locked").sync);
}

TEST_F(ClockFormTest, PriorityTextAndEditButtonByModel)
{
    add("D-a16", "10.9.0.1");
    add("D-bridge", "10.9.0.2", QJsonObject{{"model", "MRN-3"}});
    store.updateDevDetail("D-a16", [](DevDetail_t& d) { d.ptpPriority = 255; });
    store.updateDevDetail("D-bridge", [](DevDetail_t& d) { d.ptpPriority = 7; });
    form.refresh();
    EXPECT_EQ(QStringLiteral("255"), fields("D-a16").priority);
    EXPECT_TRUE(fields("D-a16").canEdit);
    EXPECT_FALSE(form.rowOf("D-a16")->editButton()->isHidden());
    EXPECT_EQ(QStringLiteral("NA"), fields("D-bridge").priority);
    EXPECT_TRUE(form.rowOf("D-bridge")->editButton()->isHidden());

    store.updateDevDetail("D-a16", [](DevDetail_t& d) { d.ptpPriority = 256; });
    form.refresh();
    EXPECT_EQ(QStringLiteral("—"), fields("D-a16").priority);
}

TEST_F(ClockFormTest, VersionReplySetsPriorityAndDomainSuffix)
{
    add("D-a16", "10.9.0.1");
    form.refresh();
    reply(R"({"devId":"D-a16","ops":"getVersion","ptpDomain":"1","ptpPriority":"128","result":"succ",)"
          R"("version":"1.2-3"})");
    EXPECT_EQ(QStringLiteral("Slave (1)"), fields("D-a16").role);
    EXPECT_EQ(QStringLiteral("128"), fields("D-a16").priority);
    QSignalSpy sent(&form, &ClockForm::changeData);
    for (int i = 0; i < 20; ++i)
        reply(R"({"devId":"D-a16","ops":"getVersion","ptpDomain":"0","ptpPriority":"128","result":"succ"})");
    EXPECT_EQ(QStringLiteral("Slave"), fields("D-a16").role);
    EXPECT_EQ(0, sent.count()) << "a reply must not loop into new requests";
}

TEST_F(ClockFormTest, PriorityReplies)
{
    add("D-a16", "10.9.0.1");
    store.updateDevDetail("D-a16", [](DevDetail_t& d) { d.ptpPriority = 10; });
    form.refresh();
    QSignalSpy info(&form, &ClockForm::signal_information);

    // Replies meant for other windows change nothing.
    for (const char* ignored :
         {R"({"devId":"D-a16","ops":"setPtpPriority","result":"succ","val":"20","dspUiTag":"1"})",
          R"({"devId":"D-a16","ops":"setPtpPriority","result":"succ","val":"21","superMatrixUiTag":"1"})",
          R"({"cookie":"0","devId":"D-a16","ops":"setPtpPriority","result":"succ","val":"22"})",
          R"({"cookie": "0", "devId":"D-a16","ops":"setPtpPriority","result":"succ","val":"23"})",
          R"({"devId":"D-a16","ops":"setPtpDscp","result":"succ","val":"24"})",
          R"({"devId":"D-a16","ops":"setPtpPriority","result":"succ","val":"x"})", "not json"}) {
        reply(QString::fromUtf8(ignored));
        EXPECT_EQ(10, priorityOf("D-a16")) << ignored;
    }
    EXPECT_EQ(QStringLiteral("10"), fields("D-a16").priority);

    reply(R"({"devId":"D-a16","ops":"setPtpPriority","result":"fail","val":"30"})");
    ASSERT_EQ(1, info.count());
    EXPECT_EQ(QStringLiteral("修改失败"), info.at(0).at(0).toString());
    EXPECT_EQ(10, priorityOf("D-a16")) << "a failed change keeps the old value";

    reply(R"({"cookie":"7","devId":"D-a16","ops":"setPtpPriority","result":"succ","val":"31"})");
    EXPECT_EQ(31, priorityOf("D-a16"));
    EXPECT_EQ(QStringLiteral("31"), fields("D-a16").priority);
    EXPECT_EQ(1, info.count());
}

TEST_F(ClockFormTest, RepeatedFailuresShowOneNoticeAtATime)
{
    // A device (or anyone) may repeat a failure reply: the notices must not pile up on the screen.
    add("D-a16", "10.9.0.1");
    form.refresh();
    form.setShowDialogs(true);
    for (int i = 0; i < 50; ++i)
        reply(R"({"devId":"D-a16","ops":"setPtpPriority","result":"fail","val":"30"})");
    QList<QMessageBox*> boxes = form.findChildren<QMessageBox*>(QStringLiteral("priority_failed"));
    ASSERT_EQ(boxes.size(), 1);
    boxes.first()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    reply(R"({"devId":"D-a16","ops":"setPtpPriority","result":"fail","val":"30"})");
    boxes = form.findChildren<QMessageBox*>(QStringLiteral("priority_failed"));
    EXPECT_EQ(boxes.size(), 1) << "once closed, the next failure is shown again";
    for (QMessageBox* box : boxes)
        box->close();
    form.setShowDialogs(false);
}

TEST_F(ClockFormTest, SetPriorityRequestAndTheEditDialog)
{
    add("D-a16", "10.9.0.1");
    store.updateDevDetail("D-a16", [](DevDetail_t& d) { d.ptpPriority = 42; });
    form.refresh();
    QSignalSpy sent(&form, &ClockForm::changeData);
    form.setPriority("D-a16", "100");
    ASSERT_EQ(1, sent.count());
    EXPECT_EQ(QStringLiteral(R"({"devId":"D-a16","ops":"setPtpPriority","val":"100"})"), sent.at(0).at(0).toString());

    QSignalSpy opened(&form, &ClockForm::signal_openPriorityDialog);
    QPushButton* edit = form.rowOf("D-a16")->editButton();
    EXPECT_EQ(QStringLiteral("0"), edit->objectName());
    edit->click();
    ASSERT_EQ(1, opened.count());
    auto* dialog = form.findChild<DialogChangePriority*>();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(QStringLiteral("42"), dialog->field()->text());
    dialog->field()->setText("7");
    dialog->on_ok_bt_clicked();
    ASSERT_EQ(2, sent.count());
    EXPECT_EQ(QStringLiteral(R"({"devId":"D-a16","ops":"setPtpPriority","val":"7"})"), sent.at(1).at(0).toString());
    EXPECT_EQ(42, priorityOf("D-a16")) << "the value changes only when the device confirms it";

    const int mode = AppState::mode();
    AppState::setMode(AppState::kOfflineMode);
    now += 10000; // the version question would be due again
    form.refresh();
    form.setPriority("D-a16", "9");
    AppState::setMode(mode);
    EXPECT_EQ(2, sent.count()) << "offline sends nothing";
}

TEST_F(ClockFormTest, VersionRequestsAtMostOncePerDeviceInFiveSeconds)
{
    add("D-1", "10.9.0.1");
    add("D-2", "10.9.0.2");
    QSignalSpy sent(&form, &ClockForm::changeData);
    form.refresh();
    ASSERT_EQ(2, sent.count());
    EXPECT_EQ(QStringLiteral(R"({"devId":"D-1","ops":"getVersion"})"), sent.at(0).at(0).toString());
    EXPECT_EQ(QStringLiteral(R"({"devId":"D-2","ops":"getVersion"})"), sent.at(1).at(0).toString());

    // Clock events and replies refresh often; the devices are not asked again yet.
    for (qint64 t : {0, 1000, 4999}) {
        now = 100000 + t;
        form.refresh();
    }
    EXPECT_EQ(2, sent.count());

    now = 103000;
    add("D-3", "10.9.0.3");
    form.refresh();
    ASSERT_EQ(3, sent.count()) << "a new device is asked at once";
    EXPECT_TRUE(sent.at(2).at(0).toString().contains("D-3"));

    now = 105000;
    form.refresh();
    EXPECT_EQ(5, sent.count()) << "five seconds on, the first two are due again, the new one not";

    now = 50000; // a clock that jumped back does not silence the devices
    form.refresh();
    EXPECT_EQ(8, sent.count());
}

TEST_F(ClockFormTest, ClockEventsAndRepliesFoldIntoOneDelayedRefresh)
{
    add("D-1", "10.9.0.1");
    form.refresh();
    EXPECT_FALSE(form.refreshPending());
    form.recvChangeData(R"({"event":"masterOffset","ops":"clockEvent","remoteIp":"10.9.0.1","state":"2"})");
    EXPECT_TRUE(form.refreshPending());
    EXPECT_EQ(QStringLiteral("unlock"), fields("D-1").sync) << "not before the delayed refresh";
    feedMcast(QJsonObject{{"event", "masterOffset"}, {"state", "2"}}, "10.9.0.1");
    form.recvChangeData(R"({"event":"masterOffset","ops":"clockEvent","remoteIp":"10.9.0.1","state":"2"})");
    EXPECT_TRUE(QTest::qWaitFor([this] { return !form.refreshPending(); }, 2000));
    EXPECT_EQ(QStringLiteral("locked"), fields("D-1").sync);
}

TEST_F(ClockFormTest, RowsAreReusedHiddenAndShrunk)
{
    add("D-1", "10.9.0.1");
    add("D-2", "10.9.0.2");
    add("D-3", "10.9.0.3");
    form.refresh();
    ASSERT_EQ(3, form.rowCount());
    ClockItemForm* first = form.row(0);
    EXPECT_EQ(QStringLiteral("item_0"), first->objectName());
    EXPECT_EQ(QStringLiteral("item_2"), form.row(2)->objectName());
    form.refresh();
    EXPECT_EQ(first, form.row(0)) << "rows are reused";

    // A device the registry dropped keeps a hidden row while the store still lists it.
    expireAll();
    announce("D-1", "D-1-name", "10.9.0.1");
    announce("D-3", "D-3-name", "10.9.0.3");
    userCallLib_timer(1);
    ASSERT_EQ(nullptr, findDevById("D-2"));
    form.refresh();
    EXPECT_EQ(3, form.rowCount());
    EXPECT_TRUE(form.isRowHidden(1));
    EXPECT_EQ(nullptr, form.rowOf("D-2"));
    EXPECT_FALSE(form.isRowHidden(2));

    store.removeDevDetail("D-2");
    form.refresh();
    EXPECT_EQ(2, form.rowCount());
    EXPECT_FALSE(form.isRowHidden(1));
    EXPECT_EQ(QStringLiteral("D-3"), fields("D-3").devId);
    EXPECT_EQ(form.row(1), form.rowOf("D-3"));
}

} // namespace
