// The stream view while the offline workspace is open: it lists and edits the design's streams of its device,
// with the online checks and texts, and nothing reaches the network.
#include "AppState.h"
#include "DevManager.h"
#include "FormMcast.h"
#include "OfflineData.h"
#include "OfflineDeviceType.h"
#include "RouteUiTestSupport.h"
#include "stream.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <memory>

namespace {

int countSend(void* ctx, const char*, int length, uint32_t, uint16_t)
{
    ++*static_cast<int*>(ctx);
    return length;
}

class StreamOfflineTest : public routeuitest::WidgetTest
{
protected:
    void SetUp() override
    {
        AppState::setChinese(true);
        AppState::setMode(AppState::kOfflineMode);
        OfflineDeviceType type;
        type.devModel = QStringLiteral("MRD-A16");
        type.chNumRx = 2;
        type.chNumTx = 6;
        for (const char* name : {"Stage", "FOH"}) {
            auto dev = OfflineDevice::fromType(type, design.newDeviceId(type.devModel), QLatin1String(name));
            dev->detail().version = QStringLiteral("3.2.0");
            ids << dev->devId();
            ASSERT_TRUE(design.addDevice(std::move(dev)));
        }
        OfflineMcast other;
        other.name = QStringLiteral("Band");
        other.dstIp = QStringLiteral("239.69.2.2");
        other.chNum = 1;
        other.srcDevId = ids[1];
        other.srcChannels = {0};
        ASSERT_TRUE(design.addMcast(other));
        dvm_setSendHook(&countSend, &datagrams);

        view = std::make_unique<stream>(ids[0]);
        view->setDesign(&design);
        view->setQuestionHandler([](const QString&) { return true; });
        view->setInformationHandler([](const QString&) {});
        view->setRandomSource([this] { return draws++ / 2; }); // x.y.2.2, then x.y.3.3 ...
        tips = std::make_unique<QSignalSpy>(view.get(), &stream::signal_showTips);
        sends = std::make_unique<QSignalSpy>(view.get(), &stream::sendChangeData);
    }

    void TearDown() override
    {
        view.reset();
        dvm_setSendHook(nullptr, nullptr);
        AppState::setMode(0);
    }

    template <typename W> W* child(const QString& name) const
    {
        W* w = view->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }

    void create(const QString& name, const QVector<int>& channels, const QString& custom = QString())
    {
        child<QLineEdit>("stream_name_le")->setText(name);
        for (QCheckBox* cb : view->findChildren<QCheckBox*>())
            cb->setChecked(channels.contains(cb->objectName().section(':', 1).toInt()));
        child<QRadioButton>(custom.isEmpty() ? "auto_rad_bt" : "byself_rad_bt")->setChecked(true);
        view->rad_bt_group_clicked();
        const QStringList parts = custom.split('.');
        for (int i = 0; i < 4 && !custom.isEmpty(); ++i)
            child<QLineEdit>(QStringLiteral("ip_le_%1").arg(i))->setText(parts.value(i));
        view->on_creat_bt_clicked();
    }

    QStringList listedAddresses() const
    {
        QStringList out;
        auto* list = child<QListWidget>("send_listWidget");
        for (int i = 0; i < list->count(); ++i)
            out << qobject_cast<FormMcast*>(list->itemWidget(list->item(i)))->addressText();
        return out;
    }

    QString lastTip() const { return tips->isEmpty() ? QString() : tips->last().at(0).toString(); }

    OfflineData design;
    QStringList ids;
    uint32_t draws = 0;
    int datagrams = 0;
    std::unique_ptr<stream> view;
    std::unique_ptr<QSignalSpy> tips;
    std::unique_ptr<QSignalSpy> sends;
};

TEST_F(StreamOfflineTest, ShowsTheDesignDevicesChannelsAndStreams)
{
    EXPECT_EQ(6, view->findChildren<QCheckBox*>().size());
    EXPECT_EQ(QStringLiteral("NetOut3"), child<QCheckBox>("channel_cb:2")->text());
    EXPECT_TRUE(listedAddresses().isEmpty()) << "FOH's stream is not Stage's";
    EXPECT_TRUE(child<QLineEdit>("port_le")->isEnabled()) << "firmware 3.2.0 chooses its port";

    // An edit made elsewhere (the workspace, the matrix) shows without asking.
    OfflineMcast m;
    m.name = QStringLiteral("Elsewhere");
    m.dstIp = QStringLiteral("239.5.5.5");
    m.chNum = 1;
    m.srcDevId = ids[0];
    m.srcChannels = {4};
    ASSERT_TRUE(design.addMcast(m));
    EXPECT_EQ(QStringList{"239.5.5.5/5004"}, listedAddresses());
    EXPECT_NE(nullptr, view->findChild<QPushButton*>("listinfo_mcastArrTx_0"));
}

TEST_F(StreamOfflineTest, CreateAndDeleteChangeTheDesignAndSendNothing)
{
    QSignalSpy mcastSignals(view.get(), &stream::signal_mcast);
    create("Mix", {0, 1});
    EXPECT_EQ(QString::fromUtf8("创建成功"), lastTip());
    EXPECT_TRUE(child<QLineEdit>("stream_name_le")->text().isEmpty());
    // 239.69.2.2 belongs to FOH: the automatic address moves on.
    EXPECT_EQ(QStringList{"239.69.3.3/5004"}, listedAddresses());
    ASSERT_EQ(1, design.device(ids[0])->detail().mcastList.size());
    EXPECT_EQ((QVector<int>{0, 1}), design.device(ids[0])->detail().mcastList.at(0).srcChannels);
    EXPECT_EQ(2, design.mcasts().size());

    child<QListWidget>("send_listWidget")->selectAll();
    view->on_send_del_bt_1_clicked();
    EXPECT_EQ(QString::fromUtf8("删除成功"), lastTip());
    EXPECT_TRUE(listedAddresses().isEmpty());
    EXPECT_EQ(1, design.mcasts().size()) << "only Stage's stream went";
    EXPECT_EQ(2, mcastSignals.count());

    EXPECT_TRUE(sends->isEmpty());
    EXPECT_EQ(0, datagrams);
}

TEST_F(StreamOfflineTest, RefusalsShowTheirTexts)
{
    create("Mix", {0});
    ASSERT_EQ(1, design.device(ids[0])->detail().mcastList.size());
    const struct
    {
        const char* name;
        QVector<int> channels;
        const char* custom;
        const char* tip;
    } cases[] = {
        {"Mix", {1}, "", "名字不能重复"},
        {"Band", {1}, "", "名字不能重复"},
        {"New", {1}, "239.69.2.2", "组播地址与网络中存在的冲突"},
        {"New", {1}, "240.0.0.1", "请输入正确的IP, 范围: 224.0.0.0~239.255.255.255"},
        {"New", {1}, "239.1.1", "请输入正确的ip"},
        {"", {1}, "", "组播流名称不能为空"},
        {"New", {}, "", "至少选中一个通道加入组播流"},
    };
    for (const auto& c : cases) {
        create(QString::fromUtf8(c.name), c.channels, QLatin1String(c.custom));
        EXPECT_EQ(QString::fromUtf8(c.tip), lastTip()) << c.name << " " << c.custom;
        EXPECT_EQ(1, design.device(ids[0])->detail().mcastList.size()) << c.name << " " << c.custom;
    }
    EXPECT_TRUE(sends->isEmpty());
    EXPECT_EQ(0, datagrams);
}

} // namespace
