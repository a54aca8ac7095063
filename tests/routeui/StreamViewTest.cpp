#include "AppState.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "FormMcast.h"
#include "FormStreamRoute.h"
#include "LockOverlays.h"
#include "RouteUiTestSupport.h"
#include "stream.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {

const QString kDev = QStringLiteral("S1");
const QString kIp = QStringLiteral("10.3.0.5");

struct Sent
{
    QByteArray data;
    uint32_t ip;
    uint16_t port;
};

int captureSend(void* ctx, const char* data, int length, uint32_t ip, uint16_t port)
{
    static_cast<std::vector<Sent>*>(ctx)->push_back({QByteArray(data, length), ip, port});
    return length;
}

QJsonObject tx(int id, const QString& dstIp, const QString& name, int chans)
{
    return regfeed::txEntry(id, regfeed::sdp(kIp, dstIp, chans), chans, name);
}

/// The device's multicast transmit table, of the streams A, B and C (whose name kept its CR) in this order.
void mcastTable(const QList<int>& ids)
{
    const QJsonObject all[] = {tx(0, "239.69.10.1", "A", 2), tx(1, "239.69.10.2", "B", 1),
                               tx(2, "239.69.2.2", "C\r", 3)};
    QJsonArray arr;
    for (int id : ids)
        arr.append(all[id]);
    regfeed::tablePage(kIp, "getAllMcastTx", 0, 3, arr);
}

QJsonObject msgOf(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

class StreamViewTest : public routeuitest::WidgetTest
{
protected:
    void SetUp() override
    {
        dvm_resetForTest();
        DevDetailStore::instance().removeDevDetail(kDev);
        AppState::setChinese(true);
        AppState::setMode(0);
        regfeed::announce(kDev, QStringLiteral("Stage box"), kIp,
                          QJsonObject{{"chNumRx", "4"}, {"chNumTx", "10"}, {"mcastNumTx", "3"}});
        regfeed::tablePage(kIp, "getAllRxCh", 0, 4, QJsonArray{QJsonObject{{"id", "1"}, {"rtpChId", "6"}}});
        mcastTable({0, 1, 2});
        DevDetailStore::instance().addFromRegistry(kDev);
        setFirmware(QStringLiteral("3.1.4.6"));
        dvm_setSendHook(&captureSend, &sent);

        view = std::make_unique<stream>(kDev);
        view->setQuestionHandler([this](const QString& q) {
            questions << q;
            return answer;
        });
        view->setInformationHandler([this](const QString& i) { infos << i; });
        tips = std::make_unique<QSignalSpy>(view.get(), &stream::signal_showTips);
        sends = std::make_unique<QSignalSpy>(view.get(), &stream::sendChangeData);
    }

    void TearDown() override
    {
        view.reset();
        dvm_setSendHook(nullptr, nullptr);
        DevDetailStore::instance().removeDevDetail(kDev);
        dvm_resetForTest();
        AppState::setChinese(true);
    }

    void setFirmware(const QString& version)
    {
        DevDetailStore::instance().updateDevDetail(kDev, [&](DevDetail_t& d) { d.firmwareVersion = version; });
    }

    template <typename W> W* child(const QString& name)
    {
        W* w = view->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }

    void checkChannels(int n)
    {
        for (int ch = 0; ch < n; ++ch)
            child<QCheckBox>(QStringLiteral("channel_cb:%1").arg(ch))->setChecked(true);
    }

    QStringList tipTexts() const
    {
        QStringList out;
        for (const QList<QVariant>& args : *tips)
            out << args.at(0).toString();
        return out;
    }

    /// Selects every stream for deletion, says yes and waits for the requests, which follow 10 ms apart.
    QStringList deleteAll()
    {
        child<QListWidget>("send_listWidget")->selectAll();
        view->on_send_del_bt_1_clicked();
        EXPECT_EQ(sends->size(), 1);
        for (int i = 0; i < 50 && sends->size() < 3; ++i)
            QTest::qWait(10);
        return view->pendingDeletions();
    }

    QJsonObject lastSent() const { return sends->isEmpty() ? QJsonObject() : msgOf(sends->last().at(0).toString()); }

    std::vector<Sent> sent;
    std::unique_ptr<stream> view;
    std::unique_ptr<QSignalSpy> tips;
    std::unique_ptr<QSignalSpy> sends;
    QStringList questions;
    QStringList infos;
    bool answer = true;
};

} // namespace

TEST_F(StreamViewTest, ListPageShowsTheRegistryTables)
{
    EXPECT_EQ(child<QPushButton>("listinfo_rxIdArr_0")->text(), "0(-1)");
    EXPECT_EQ(child<QPushButton>("listinfo_rxIdArr_1")->text(), "1(6)");
    EXPECT_EQ(child<QPushButton>("listinfo_mcastArrTx_1")->text(), "239.69.10.2,B");
    EXPECT_EQ(view->findChildren<QPushButton*>(QRegularExpression("^listinfo_rxIdArr_")).size(), 4);
    EXPECT_EQ(child<QLabel>("total_lb")->text(), QString::fromUtf8("组播流总数：3"));
    const QList<FormMcast*> items = view->findChildren<FormMcast*>();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[2]->addressText(), "239.69.2.2/5004");
    EXPECT_EQ(items[2]->channelsText(), "out0,out1,out2");
    // A name that kept the carriage return of its line end shows without it.
    EXPECT_EQ(items[2]->name(), "C");
    EXPECT_EQ(child<QPushButton>("listinfo_mcastArrTx_2")->text(), "239.69.2.2,C");
}

TEST_F(StreamViewTest, CustomAddressFailuresShowTheirTextsAndTheEdgesAreSent)
{
    child<QRadioButton>("byself_rad_bt")->click();
    ASSERT_EQ(infos.size(), 1); // the custom-address hint
    child<QLineEdit>("stream_name_le")->setText("Custom");
    struct Case
    {
        const char *address, *port;
        int channels;
        bool chinese;
        const char* info; // shown in a box
        const char* tip;  // shown as a notice
    };
    const Case cases[] = {
        // Nine channels are refused before any address check.
        {"240.0.0.1", "5004", 9, true, "单个组播流最多支持8个通道", nullptr},
        {"240.0.0.1", "5004", 9, false, "A single multicast stream supports up to 8 channels maximum", nullptr},
        {"240.0.0.1", "5004", 2, true, nullptr, "请输入正确的IP, 范围: 224.0.0.0~239.255.255.255"},
        {"239.1.2.3", "65535", 2, true, nullptr, "请输入正确的端口，范围: 1024~65534"},
        {"239.1.2.3", "1024", 2, true, nullptr, nullptr},
        {"224.0.0.0", "65534", 2, true, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.address << ":" << c.port << " " << c.channels);
        AppState::setChinese(c.chinese);
        const QStringList parts = QString::fromLatin1(c.address).split('.');
        for (int i = 0; i < 4; ++i)
            child<QLineEdit>(QStringLiteral("ip_le_%1").arg(i))->setText(parts[i]);
        child<QLineEdit>("port_le")->setText(c.port);
        for (int ch = 0; ch < 10; ++ch)
            child<QCheckBox>(QStringLiteral("channel_cb:%1").arg(ch))->setChecked(ch < c.channels);
        infos.clear();
        tips->clear();
        sends->clear();
        view->on_creat_bt_clicked();
        EXPECT_EQ(infos, c.info ? QStringList{QString::fromUtf8(c.info)} : QStringList());
        EXPECT_EQ(tipTexts(), c.tip ? QStringList{QString::fromUtf8(c.tip)} : QStringList());
        ASSERT_EQ(sends->size(), c.info || c.tip ? 0 : 1);
        if (!c.info && !c.tip) {
            EXPECT_EQ(lastSent()["sdp"].toObject()["dstIp"].toString(), c.address);
            EXPECT_EQ(lastSent()["sdp"].toObject()["dstPort"].toString(), c.port);
        }
    }
}

TEST_F(StreamViewTest, AutomaticAddressAvoidsStreamsInUse)
{
    // The first draw names 239.69.2.2, which the device already sends to.
    QVector<uint32_t> script{0u, 0u, 1u, 3u};
    int next = 0;
    view->setRandomSource([&] { return script.at(qMin(next++, script.size() - 1)); });
    child<QLineEdit>("stream_name_le")->setText("Auto");
    child<QLineEdit>("le_rtpTsOffset")->setText("3");
    checkChannels(3);
    view->on_creat_bt_clicked();
    ASSERT_EQ(sends->size(), 1);
    // The device's own id, address and rate, and its checked channels, make the request.
    const QJsonObject req = lastSent();
    EXPECT_EQ(req["devId"].toString(), kDev);
    EXPECT_EQ(req["srcChIdArr"].toArray(), (QJsonArray{"0", "1", "2"}));
    const QJsonObject sdp = req["sdp"].toObject();
    EXPECT_EQ(sdp["dstIp"].toString(), "239.69.3.5");
    EXPECT_EQ(sdp["rtpTsOffset"].toString(), "144"); // 3 ms at 48 kHz
    EXPECT_EQ(sdp["srcIp"].toString(), kIp);
}

TEST_F(StreamViewTest, OldFirmwareKeepsTheDefaultPort)
{
    setFirmware(QStringLiteral("3.1.4.5"));
    child<QLineEdit>("port_le")->setText("6000");
    view->refreshItem();
    EXPECT_FALSE(child<QLineEdit>("port_le")->isEnabled());
    child<QLineEdit>("stream_name_le")->setText("Old");
    checkChannels(1);
    view->on_creat_bt_clicked();
    ASSERT_EQ(sends->size(), 1);
    EXPECT_EQ(lastSent()["sdp"].toObject()["dstPort"].toString(), "5004");

    setFirmware(QStringLiteral("3.1.4.6"));
    view->refreshItem();
    EXPECT_TRUE(child<QLineEdit>("port_le")->isEnabled());
}

TEST_F(StreamViewTest, CreationRepliesAndStreamLimitReason)
{
    view->refreshData(R"({"ops":"setMcastTx","devId":"S1","result":"fail","reason":"no free sdpId"})");
    EXPECT_EQ(tipTexts().last(), QString::fromUtf8("达到组播上限"));
    AppState::setChinese(false);
    view->refreshData(R"({"ops":"setMcastTx","devId":"S1","result":"fail","reason":"no free sdpId"})");
    EXPECT_EQ(tipTexts().last(), "Reach Stream Limit");

    child<QLineEdit>("stream_name_le")->setText("Kept on failure");
    view->refreshData(R"({"ops":"setMcastTx","devId":"OTHER","result":"succ"})");
    EXPECT_EQ(tips->size(), 2); // another device's reply is not ours
    view->refreshData(R"({"ops":"setMcastTx","devId":"S1","result":"succ"})");
    EXPECT_EQ(tipTexts().last(), QString::fromUtf8("创建成功"));
    EXPECT_TRUE(child<QLineEdit>("stream_name_le")->text().isEmpty());
}

TEST_F(StreamViewTest, DeletingThreeStreamsSendsThreeRequestsAndOneNotice)
{
    auto* list = child<QListWidget>("send_listWidget");
    view->on_send_del_bt_1_clicked();
    EXPECT_EQ(tipTexts(), QStringList{QString::fromUtf8("请选择要删除的组播")});
    EXPECT_TRUE(questions.isEmpty());

    list->selectAll();
    answer = false;
    view->on_send_del_bt_1_clicked();
    EXPECT_EQ(questions, QStringList{QString::fromUtf8("删除组播流？")});
    EXPECT_TRUE(sends->isEmpty());

    answer = true;
    const QStringList dstIps = deleteAll();
    ASSERT_EQ(sends->size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QJsonObject o = msgOf(sends->at(i).at(0).toString());
        EXPECT_EQ(o["ops"].toString(), "clrMcastTx");
        EXPECT_EQ(o["devId"].toString(), kDev);
        EXPECT_EQ(o["dstIp"].toString(), dstIps.value(i));
    }
    EXPECT_EQ(msgOf(sends->at(0).at(0).toString())["name"].toString(), "A");
    EXPECT_EQ(dstIps,
              (QStringList{QString::number(dvm_parseIp("239.69.10.1")), QString::number(dvm_parseIp("239.69.10.2")),
                           QString::number(dvm_parseIp("239.69.2.2"))}));

    const QString reply = R"({"ops":"clrMcastTx","devId":"S1","result":"succ","dstIp":"%1"})";
    tips->clear();
    view->refreshData(reply.arg(dstIps[1]));
    view->refreshData(reply.arg(dstIps[0]));
    view->refreshData(reply.arg(dstIps[0])); // a repeated reply changes nothing
    EXPECT_TRUE(tips->isEmpty());
    view->refreshData(reply.arg(dstIps[2]));
    EXPECT_EQ(tipTexts(), QStringList{QString::fromUtf8("删除成功")});
    EXPECT_TRUE(view->pendingDeletions().isEmpty());
}

TEST_F(StreamViewTest, AFailedDeletionIsNotReportedAsSuccess)
{
    const QStringList pending = deleteAll();
    ASSERT_EQ(pending.size(), 3);
    const QString reply = R"({"ops":"clrMcastTx","devId":"S1","result":"%1","reason":"x","dstIp":"%2"})";
    view->refreshData(reply.arg("succ", pending[0]));
    view->refreshData(reply.arg("fail", pending[1]));
    view->refreshData(reply.arg("succ", pending[2]));
    EXPECT_TRUE(view->pendingDeletions().isEmpty());
    EXPECT_EQ(tips->size(), 1); // only the failure's reason
    EXPECT_FALSE(tipTexts().contains(QString::fromUtf8("删除成功")));
}

TEST_F(StreamViewTest, RouteNoticesRebuildTheListOnlyWhenTheTablesChanged)
{
    auto* list = child<QListWidget>("send_listWidget");
    ASSERT_EQ(list->count(), 3);
    list->item(1)->setSelected(true);
    view->refreshData(QStringLiteral("refreshRoute")); // another device's notice: nothing of ours changed
    EXPECT_TRUE(list->item(1)->isSelected()) << "the user's selection survives";

    // The transmit tables fetched again unchanged, then without one stream.
    mcastTable({0, 1, 2});
    view->refreshData(QStringLiteral("refreshRoute"));
    EXPECT_TRUE(list->item(1)->isSelected()) << "same tables: no rebuild";
    mcastTable({0, 2});
    view->refreshData(QStringLiteral("refreshRoute"));
    EXPECT_EQ(list->count(), 2) << "a removed stream leaves the list";
}

TEST_F(StreamViewTest, RoutedReceiveChannelIsClearedAfterQuestion)
{
    auto* routed = child<QPushButton>("listinfo_rxIdArr_1");
    answer = false;
    QTest::mouseDClick(routed, Qt::LeftButton);
    EXPECT_EQ(questions, QStringList{QString::fromUtf8("删除通道路由？")});
    EXPECT_TRUE(sends->isEmpty());
    answer = true;
    QTest::mouseDClick(routed, Qt::LeftButton);
    ASSERT_EQ(sends->size(), 1);
    EXPECT_EQ(lastSent(), (QJsonObject{{"ops", "clrRxCh"}, {"devId", kDev}, {"dstChId", "1"}}));

    view->refreshData(R"({"ops":"clrRxCh","devId":"S1","result":"fail","reason":"x","dstChId":"1"})");
    EXPECT_EQ(routed->text(), "1(6)");
    view->refreshData(R"({"ops":"clrRxCh","devId":"S1","result":"succ","dstChId":"1"})");
    EXPECT_EQ(routed->text(), "1(-1)");
    EXPECT_EQ(tipTexts().last(), QString::fromUtf8("删除成功"));
}

TEST_F(StreamViewTest, ManualRoutesGoStraightToTheDevice)
{
    QTest::mouseDClick(child<QPushButton>("listinfo_rxIdArr_0"), Qt::LeftButton);
    FormStreamRoute* form = view->routeForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(questions.isEmpty());

    emit form->signal_create();
    EXPECT_EQ(tipTexts().last(), "ucast_devId cannot be empty");
    EXPECT_TRUE(sent.empty());

    form->findChild<QLineEdit*>("ucast_devId")->setText("SRC-9");
    form->findChild<QLineEdit*>("ucast_srcChId")->setText("4");
    emit form->signal_create();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].ip, dvm_parseIp(kIp));
    EXPECT_EQ(sent[0].port, 9995);
    EXPECT_EQ(QJsonDocument::fromJson(sent[0].data).object(),
              (QJsonObject{{"ops", "setUcastRx"}, {"srcDevId", "SRC-9"}, {"srcChId", "4"}, {"dstChId", "0"}}));

    QTest::mouseDClick(child<QPushButton>("listinfo_rxIdArr_2"), Qt::LeftButton);
    form = view->routeForm();
    ASSERT_NE(form, nullptr);
    form->setMode(FormStreamRoute::Multicast);
    const char* fields[][2] = {{"mcast_dstIp", "239.69.7.7"}, {"mcast_dstPort", "5004"}, {"mcast_chNum", "2"},
                               {"mcast_sample", "3"},         {"mcast_rtp", "96"},       {"mcast_srcChId", "1"}};
    for (auto& f : fields)
        form->findChild<QLineEdit*>(f[0])->setText(f[1]);
    emit form->signal_create();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(QJsonDocument::fromJson(sent[1].data).object(),
              QJsonDocument::fromJson(R"({"ops":"setMcastRx","srcChId":"1","dstChId":"2",
                  "sdp":{"srcIp":"255.255.255.255","dstIp":"239.69.7.7","dstPort":"5004","rtpTsOffset":"96",
                         "chNum":"2","sampleByteNum":"3"}})")
                  .object());

    // Without a network nothing leaves: the form stays open for another try and says so.
    dvm_setSendHook([](void*, const char*, int, uint32_t, uint16_t) { return -1; }, nullptr);
    QTest::mouseDClick(child<QPushButton>("listinfo_rxIdArr_3"), Qt::LeftButton);
    form = view->routeForm();
    ASSERT_NE(form, nullptr);
    form->findChild<QLineEdit*>("ucast_devId")->setText("SRC-9");
    form->findChild<QLineEdit*>("ucast_srcChId")->setText("4");
    ASSERT_TRUE(form->isVisible());
    emit form->signal_create();
    EXPECT_EQ(tipTexts().last(), QString::fromUtf8("创建失败"));
    ASSERT_EQ(view->routeForm(), form);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(StreamViewTest, RouteRepliesUpdateTheChannelButton)
{
    view->refreshData(R"({"ops":"setUcastRx","result":"fail","remoteIp":"10.3.0.5","dstChId":"0"})");
    EXPECT_EQ(tipTexts().last(), QString::fromUtf8("创建失败"));
    regfeed::tablePage(kIp, "getAllRxCh", 0, 4, QJsonArray{QJsonObject{{"id", "0"}, {"rtpChId", "9"}}});
    view->refreshData(R"({"ops":"setUcastRx","result":"succ","remoteIp":"10.3.0.5","dstChId":"0"})");
    QSignalSpy wait(view.get(), &stream::signal_showTips);
    ASSERT_TRUE(wait.wait(2000));
    EXPECT_EQ(tipTexts().last(), QString::fromUtf8("设置成功"));
    EXPECT_EQ(child<QPushButton>("listinfo_rxIdArr_0")->text(), "0(9)");
}

TEST_F(StreamViewTest, LockLevelsSwitchTheOverlays)
{
    auto* locks = view->findChild<LockOverlays*>();
    ASSERT_NE(locks, nullptr);
    for (int level : {1, 2, 0}) {
        DevDetailStore::instance().updateDevDetail(kDev, [&](DevDetail_t& d) { d.detailLock = level; });
        view->refreshLock();
        EXPECT_EQ(!locks->translucent()->isHidden(), level == 1);
        EXPECT_EQ(!locks->transparent()->isHidden(), level == 2);
    }
}
