// The clock view while the offline workspace is open: one row per design device, the load its routes would put
// on each device, and priorities changed in the design without a request.
#include "AppState.h"
#include "ClockForm.h"
#include "ClockItemForm.h"
#include "DevDetailStore.h"
#include "DialogChangePriority.h"
#include "ModelTable.h"
#include "OfflineData.h"
#include "OfflineDeviceType.h"
#include "RouteUiTestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {

class ClockOfflineTest : public routeuitest::WidgetTest
{
protected:
    void SetUp() override
    {
        AppState::setMode(AppState::kOfflineMode);
        form.setChinese(false);
        form.setShowDialogs(false);
        form.setDesign(&design);
        stage = add("MRD-A16", "Stage", 12);
        foh = add("MRD-A16", "FOH", 48);
        amp = add("MRX-9", "Amp", 12);
        design.updateDevice(stage, [](OfflineDevice& d) {
            d.detail().isFixIp = 1;
            d.detail().ipAndMask = QStringLiteral("192.168.1.10/24");
        });
        // Stage takes 9 channels of FOH: two unicast streams of 8 and 1 channels.
        for (int ch = 0; ch < 9; ++ch)
            ASSERT_TRUE(design.addRoute(stage, OfflineUcastRoute{foh, ch, ch}));
        OfflineMcast m;
        m.name = QStringLiteral("Band");
        m.dstIp = QStringLiteral("239.69.1.1");
        m.chNum = 1;
        m.srcDevId = foh;
        m.srcChannels = {0};
        ASSERT_TRUE(design.addMcast(m));
        // Amp takes Band twice (one stream) and a stream the design no longer has.
        design.updateDevice(amp, [](OfflineDevice& d) {
            d.mcastRoutes() << OfflineMcastRoute{"Band", {}, 0, 0, {}, "239.69.1.1", 5004, 1, 3, 0}
                            << OfflineMcastRoute{"Band", {}, 0, 1, {}, "239.69.1.1", 5004, 1, 3, 0}
                            << OfflineMcastRoute{"Gone", {}, 0, 2, {}, "239.69.9.9", 5004, 2, 3, 0};
        });
        form.refresh();
    }
    void TearDown() override { AppState::setMode(0); }

    QString add(const QString& model, const QString& name, int frames)
    {
        OfflineDeviceType type;
        type.devModel = model;
        type.chNumRx = 16;
        type.chNumTx = 16;
        auto dev = OfflineDevice::fromType(type, design.newDeviceId(model), name);
        dev->detail().pFrameNum = frames;
        const QString id = dev->devId();
        EXPECT_TRUE(design.addDevice(std::move(dev)));
        return id;
    }
    ClockItemForm::Fields fields(const QString& devId) const
    {
        ClockItemForm* row = form.rowOf(devId);
        return row ? row->fields() : ClockItemForm::Fields();
    }

    OfflineData design;
    DevDetailStore store{ModelTable::instance()};
    ClockForm form{store, ModelTable::instance()};
    QString stage, foh, amp;
};

TEST_F(ClockOfflineTest, RowsShowTheDesign)
{
    ASSERT_EQ(3, form.rowCount());
    const struct
    {
        QString devId, type, name, ip, priority, bandwidth;
        bool canEdit;
    } rows[] = {
        // 48000 / 48 x (3 x 48 x 8 + 54) / 1000 = 1206 and x (3 x 48 + 54) = 198 per second.
        {stage, "Stagebox A16", "Stage", "192.168.1.10", "128", "14.0/0.0 Mbps", true},
        {foh, "Stagebox A16", "FOH", "", "128", "0.0/16.0 Mbps", true},
        // Band once (198) and the unknown stream at its assumed rate: (2 x 3 x 48000 + 54000) / 1000 = 342.
        {amp, "MRX-9", "Amp", "", "NA", "5.4/0.0 Mbps", false},
    };
    for (int i = 0; i < 3; ++i) {
        const auto& r = rows[i];
        const ClockItemForm::Fields f = form.row(i)->fields();
        EXPECT_EQ(r.devId, f.devId);
        EXPECT_EQ(r.type, f.type) << r.name.toStdString();
        EXPECT_EQ(r.name, f.name);
        EXPECT_EQ(r.ip, f.ip) << r.name.toStdString();
        EXPECT_EQ(r.priority, f.priority) << r.name.toStdString();
        EXPECT_EQ(r.bandwidth, f.bandwidth) << r.name.toStdString();
        EXPECT_EQ(r.canEdit, f.canEdit) << r.name.toStdString();
        EXPECT_TRUE(f.role.isEmpty() && f.sync.isEmpty()) << "a design has no clock to watch";
    }

    // A device added elsewhere appears with the next refresh; online again, the registry's list is shown.
    add("MRD-A16", "Late", 12);
    EXPECT_TRUE(form.refreshPending());
    form.refresh();
    EXPECT_EQ(4, form.rowCount());
    AppState::setMode(0);
    form.refresh();
    EXPECT_EQ(0, form.rowCount());
}

TEST_F(ClockOfflineTest, PriorityChangesTheDesignAndSendsNothing)
{
    QSignalSpy sent(&form, &ClockForm::changeData);
    form.rowOf(stage)->editButton()->click();
    auto* dialog = form.findChild<DialogChangePriority*>();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(QStringLiteral("128"), dialog->field()->text());
    dialog->field()->setText("7");
    dialog->on_ok_bt_clicked();
    EXPECT_EQ(7, design.device(stage)->detail().ptpPriority);
    EXPECT_EQ(QStringLiteral("7"), fields(stage).priority);

    form.setPriority(stage, "abc");
    EXPECT_EQ(7, design.device(stage)->detail().ptpPriority) << "text that is no number changes nothing";
    form.setPriority(foh, " 200 ");
    EXPECT_EQ(200, design.device(foh)->detail().ptpPriority);
    EXPECT_EQ(0, sent.count());
}

} // namespace
