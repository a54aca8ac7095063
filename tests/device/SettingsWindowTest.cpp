#include "AudioFormatControl.h"
#include "ChannelNameTable.h"
#include "DevDspDialog.h"
#include "DevWin.h"
#include "DeviceAddressPanel.h"
#include "DeviceTestSupport.h"
#include "DeviceWindow.h"
#include "LoadingForm.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>

using namespace devicetest;

namespace {

const char* const kIpReply = R"({"ops":"getIp","devId":"MRD-0001","result":"succ","fixedIp":"1","ip":"192.168.1.11",)"
                             R"("gw":"192.168.1.1","dns":"192.168.1.1"})";

class SettingsWindowTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        AppState::setChinese(false);
    }
    void TearDown() override
    {
        close();
        DeviceTest::TearDown();
    }
    void close()
    {
        delete frame.data();
        reset();
        AppState::setChinese(false);
        questions.clear();
        answer = true;
    }

    /// Opens the window of `dev`; questions are answered with `answer` and recorded.
    void open(const TestDevice& s = TestDevice())
    {
        dev = s;
        addDevice(dev);
        frame = new DevWin(dev.devId);
        page = frame->deviceWindow();
        page->setAsker([this](const QString& q) {
            questions.append(q);
            return answer;
        });
        sent.reset(new QSignalSpy(frame.data(), &DevWin::sendDataSignal));
        tips.reset(new QSignalSpy(page, &DeviceWindow::signal_showTips));
        QCoreApplication::processEvents();
        sent->clear();
    }
    template <typename T> T* child(const char* name) const
    {
        T* w = page->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void reply(const QString& json) { frame->recvBackData(json); }
    void choose(const char* combo, const QString& itemText)
    {
        auto* c = child<QComboBox>(combo);
        const int i = c->findText(itemText);
        ASSERT_GE(i, 0) << qPrintable(itemText);
        c->setCurrentIndex(i);
        emit c->activated(i);
    }
    void click(const char* button) { child<QPushButton>(button)->click(); }

    TestDevice dev;
    QPointer<DevWin> frame;
    DeviceWindow* page = nullptr;
    bool answer = true;
    QStringList questions;
    std::unique_ptr<QSignalSpy> sent;
    std::unique_ptr<QSignalSpy> tips;
};

TEST_F(SettingsWindowTest, OpeningAsksTheDeviceForItsState)
{
    addDevice(dev);
    frame = new DevWin(dev.devId);
    QSignalSpy spy(frame.data(), &DevWin::sendDataSignal);
    QCoreApplication::processEvents();
    QStringList ops;
    for (const QJsonObject& o : messages(spy)) {
        ops.append(o.value("ops").toString());
        EXPECT_EQ(o.value("devId").toString(), dev.devId);
    }
    EXPECT_EQ(ops, (QStringList{"getIp", "getDebugInfo", "getVersion"}));
    page = frame->deviceWindow();
    EXPECT_EQ(child<QLineEdit>("devName_le")->text(), dev.name);
    EXPECT_EQ(child<QComboBox>("PacketTimeDiv_comb")->currentText(), "0.25 ms");
    EXPECT_EQ(child<QComboBox>("netdelay_comb")->currentText(), "3 ms");
    EXPECT_EQ(child<QComboBox>("combo_sampleByteNum")->currentText(), "24 Bits");
}

TEST_F(SettingsWindowTest, AudioFormatChangesAreCheckedAskedSentAndConfirmedOrUndone)
{
    const struct
    {
        const char* what;
        int pFrameNum;
        int delayUs;
        const char* combo;
        const char* choice;
        bool answer;         ///< to the question, when one is asked
        const char* refusal; ///< tip of a local refusal (nothing sent), or null
        bool asks;           ///< the question whether to change and reboot
        const char* sentKey; ///< field of the request carrying the value, or null when nothing is sent
        const char* sentVal;
        const char* reply; ///< the device's answer (result and extra fields), or null
        const char* tip;
        bool reboot;
        const char* confirmed;
    } cases[] = {
        {"packet time needs four packets of delay", 12, 3000, "PacketTimeDiv_comb", "1 ms", true,
         "网络延时不能小于包时间的4倍,请先修改网络延时", false, nullptr, nullptr, nullptr, nullptr, false, "0.25 ms"},
        {"packet time asks, sends and reboots", 12, 4000, "PacketTimeDiv_comb", "1 ms", true, nullptr, true, "val",
         "1000", R"("result":"succ")", nullptr, true, "1 ms"},
        {"packet time declined", 48, 8000, "PacketTimeDiv_comb", "0.5 ms", false, nullptr, true, nullptr, nullptr,
         nullptr, nullptr, false, "1 ms"},
        {"packet time refused", 48, 8000, "PacketTimeDiv_comb", "0.5 ms", true, nullptr, true, "val", "2000",
         R"("result":"fail","reason":"busy")", "busy", false, "1 ms"},
        {"sample rate declined", 48, 8000, "samplerate_comb", "44100", false, nullptr, true, nullptr, nullptr, nullptr,
         nullptr, false, "48000"},
        {"sample rate without streams", 48, 8000, "samplerate_comb", "44100", true, nullptr, true, "val", "44100",
         R"("result":"fail","reason":"no free sdpId")", "Reach Stream Limit", false, "48000"},
        {"sample rate reboots", 12, 3000, "samplerate_comb", "96000", true, nullptr, true, "val", "96000",
         R"("result":"succ")", nullptr, true, "96000"},
        {"delay must hold four packets", 48, 8000, "netdelay_comb", "3 ms", true, "网络延时不能小于包时间的4倍", false,
         nullptr, nullptr, nullptr, nullptr, false, "8 ms"},
        {"delay set", 48, 8000, "netdelay_comb", "4 ms", true, nullptr, false, "us", "4000", R"("result":"succ")",
         "Set successfully", false, "4 ms"},
        // The English interface shows a lock refusal as the device's reason itself.
        {"delay locked", 48, 8000, "netdelay_comb", "4 ms", true, nullptr, false, "us", "4000",
         R"("result":"fail","reason":"LOCK_UCAST_MCAST")", "LOCK_UCAST_MCAST", false, "8 ms"},
        {"bit depth set", 12, 3000, "combo_sampleByteNum", "16 Bits", true, nullptr, false, "sampleByteNum", "2",
         R"("result":"succ","sampleByteNum":"2")", "Set Sample Bit Depth Succ!", false, "16 Bits"},
        {"bit depth refused", 12, 3000, "combo_sampleByteNum", "32 Bits", true, nullptr, false, "sampleByteNum", "4",
         R"("result":"fail")", "Set Sample Bit Depth Failed!", false, "24 Bits"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestDevice d;
        d.pFrameNum = c.pFrameNum;
        d.delayUs = c.delayUs;
        open(d);
        answer = c.answer;
        choose(c.combo, QString::fromUtf8(c.choice));
        EXPECT_EQ(lastText(*tips), c.refusal ? QString::fromUtf8(c.refusal) : QString());
        EXPECT_EQ(questions,
                  c.asks ? QStringList{QStringLiteral("重启设备才可生效，是否修改并重启？")} : QStringList());
        const QVector<QJsonObject> set = messages(*sent);
        ASSERT_EQ(set.size(), c.sentKey ? 1 : 0);
        if (c.sentKey) {
            EXPECT_EQ(set.at(0).value(QLatin1String(c.sentKey)).toString(), QLatin1String(c.sentVal));
            const QString ops = set.at(0).value("ops").toString();
            reply(QStringLiteral(R"({"ops":"%1","devId":"MRD-0001",%2})").arg(ops, QLatin1String(c.reply)));
            if (c.tip) {
                EXPECT_EQ(lastText(*tips), QString::fromUtf8(c.tip));
            }
        }
        // Reboot only after the device agreed.
        const QVector<QJsonObject> reboot = messages(*sent, "reboot");
        ASSERT_EQ(reboot.size(), c.reboot ? 1 : 0);
        if (c.reboot) {
            EXPECT_EQ(compact(reboot.at(0)), R"({"devId":"MRD-0001","ops":"reboot"})");
        }
        EXPECT_EQ(child<QComboBox>(c.combo)->currentText(), QString::fromUtf8(c.confirmed));
        close();
    }
}

TEST_F(SettingsWindowTest, SampleRateIsStoredAndTheRebootAnswerClosesTheWindow)
{
    open();
    choose("samplerate_comb", "96000");
    reply(R"({"ops":"setSampleRate","devId":"MRD-0001","result":"succ"})");
    EXPECT_EQ(DevDetailStore::instance().getDevDetail(dev.devId).sampleRate, 96000);
    QSignalSpy closing(page, &DeviceWindow::closeSignal);
    reply(R"({"ops":"reboot","devId":"MRD-0001","result":"succ"})");
    EXPECT_EQ(lastText(*tips), "设置成功，即将重启");
    EXPECT_TRUE(closing.wait(3000));
}

TEST_F(SettingsWindowTest, NameIsCheckedAndRestoredWhenTheDeviceRefuses)
{
    open();
    auto* edit = child<QLineEdit>("devName_le");
    QTest::keyClicks(edit, "ab.");
    EXPECT_EQ(page->nameHint(), "提示:名字不能有特殊字符");
    emit edit->editingFinished();
    EXPECT_EQ(lastText(*tips), "设置失败，不能包含特殊字符");
    EXPECT_EQ(edit->text(), dev.name);
    EXPECT_EQ(sent->count(), 0);

    edit->setText("  Stage Right_2 ");
    emit edit->editingFinished();
    QVector<QJsonObject> set = messages(*sent, "setDevName");
    ASSERT_EQ(set.size(), 1);
    EXPECT_EQ(set.at(0).value("name").toString(), "Stage Right_2");
    EXPECT_FALSE(frame->loadingForm()->isHidden()) << "waits for the answer";

    reply(R"({"ops":"setDevName","devId":"MRD-0001","result":"fail","reason":"mismatch"})");
    EXPECT_EQ(edit->text(), dev.name);
    EXPECT_EQ(lastText(*tips), "Password error");
    EXPECT_TRUE(frame->loadingForm()->isHidden());

    QSignalSpy retitled(page, &DeviceWindow::refreshTitleSignal);
    edit->setText("Stage Right");
    emit edit->editingFinished();
    reply(R"({"ops":"setDevName","devId":"MRD-0001","result":"succ","name":"Stage Right"})");
    ASSERT_EQ(retitled.count(), 1);
    EXPECT_EQ(frame->titleText(), "设备(Stage Right)");
    EXPECT_EQ(lastText(*tips), "Set successfully");
    // Re-sending the confirmed name is no change.
    sent->clear();
    emit edit->editingFinished();
    EXPECT_EQ(sent->count(), 0);
}

TEST_F(SettingsWindowTest, AddressChangeFromTheFieldsTheDeviceReported)
{
    open();
    reply(kIpReply);
    EXPECT_EQ(child<QComboBox>("ipMode_comb")->currentIndex(), 1);
    EXPECT_EQ(child<QLineEdit>("gateway_le")->text(), "192.168.1.1");
    click("changeIp_bt");
    EXPECT_EQ(lastText(*tips), "IP地址未修改");
    EXPECT_EQ(sent->count(), 0);

    child<QLineEdit>("mask_le")->setText("255.255.0.0");
    child<QLineEdit>("ip_le")->setText("192.168.0.0"); // the network address: asks first
    answer = false;
    click("changeIp_bt");
    EXPECT_EQ(questions.value(0), "ip地址和子网掩码可能不匹配，是否确认修改？");
    EXPECT_EQ(sent->count(), 0);

    child<QLineEdit>("ip_le")->setText("192.168.4.40");
    click("changeIp_bt");
    const QVector<QJsonObject> set = messages(*sent, "setIp");
    ASSERT_EQ(set.size(), 1);
    EXPECT_EQ(compact(set.at(0)), R"({"devId":"MRD-0001","dns":"192.168.1.1","gateway":"192.168.1.1",)"
                                  R"("ip":"192.168.4.40/16","isFixedIp":"1","ops":"setIp"})");

    QSignalSpy closed(frame.data(), &DevWin::devWinClosed);
    reply(R"({"ops":"setIp","devId":"MRD-0001","result":"succ"})");
    EXPECT_EQ(lastText(*tips), "设置成功，即将关闭窗口");
    ASSERT_TRUE(closed.wait(3000));
    EXPECT_EQ(closed.at(0).at(0).toString(), dev.devId);
}

TEST_F(SettingsWindowTest, ThreeInterfaceModelSendsOneRequestPerInterface)
{
    TestDevice s;
    s.model = "MRN-3";
    open(s);
    EXPECT_FALSE(child<QLineEdit>("ip2_le")->isHidden());
    reply(R"({"ops":"getIp","devId":"MRD-0001","result":"succ","fixedIp":"1","ip":"10.0.0.5/24",)"
          R"("gw":"10.0.0.1","dns":"10.0.0.1"})");
    EXPECT_EQ(child<QLineEdit>("mask_le")->text(), "255.255.255.0") << "mask from the reply's prefix";
    child<QLineEdit>("ip2_le")->setText("10.0.1.5");
    child<QLineEdit>("ip3_le")->setText("10.0.2.5");
    click("changeIp_bt");
    const QVector<QJsonObject> set = messages(*sent, "setIp");
    ASSERT_EQ(set.size(), 3);
    EXPECT_EQ(set.at(2).value("devId").toString(), "MRD-0001:3");
}

TEST_F(SettingsWindowTest, AutomaticAddressAndReset)
{
    open();
    reply(kIpReply);
    auto* mode = child<QComboBox>("ipMode_comb");
    for (const bool yes : {false, true}) {
        answer = yes;
        mode->setCurrentIndex(0);
        emit mode->activated(0);
        if (!yes) {
            EXPECT_EQ(mode->currentIndex(), 1) << "no: back to manual";
        }
    }
    EXPECT_EQ(questions, (QStringList{"是否切换到自动ip？", "是否切换到自动ip？"}));
    QVector<QJsonObject> set = messages(*sent, "setIp");
    ASSERT_EQ(set.size(), 1) << "only the second answer was yes";
    EXPECT_EQ(compact(set.at(0)), R"({"devId":"MRD-0001","isFixedIp":"0","ops":"setIp"})");
    EXPECT_EQ(lastText(*tips), "Please close the page and refresh the device.");

    sent->clear();
    questions.clear();
    page->addressPanel()->setRandomSource([] { return 100u; });
    click("pb_resetip");
    EXPECT_EQ(questions.value(0), "设置固定IP地址为:169.254.102.102/16, 是否确认？");
    set = messages(*sent, "setIp");
    ASSERT_EQ(set.size(), 1);
    EXPECT_EQ(set.at(0).value("ip").toString(), "169.254.102.102/16");
    EXPECT_EQ(lastText(*tips), "重置IP后，请手动刷新设备列表");
}

TEST_F(SettingsWindowTest, ChannelNamesAreCheckedSentAndRestored)
{
    open();
    auto* table = child<QTableWidget>("channel_table");
    ASSERT_EQ(table->rowCount(), 4);
    EXPECT_EQ(table->item(0, 0)->text(), "Mic 1");
    table->item(3, 0)->setText("Mix.R");
    EXPECT_EQ(lastText(*tips), "设置失败，不能包含特殊字符");
    EXPECT_EQ(table->item(3, 0)->text(), "Mix R");
    EXPECT_EQ(sent->count(), 0);

    table->item(3, 0)->setText("Main R");
    const QVector<QJsonObject> set = messages(*sent, "setChName");
    ASSERT_EQ(set.size(), 1);
    EXPECT_EQ(compact(set.at(0)), R"({"ch":"1","devId":"MRD-0001","inOrOut":"1","name":"Main R","ops":"setChName"})");
    reply(R"({"ops":"setChName","devId":"MRD-0001","inOrOut":"1","ch":"1","id":"1","result":"fail","reason":"busy"})");
    EXPECT_EQ(table->item(3, 0)->text(), "Mix R");
    EXPECT_EQ(lastText(*tips), "busy");

    table->item(0, 0)->setText("Vocal");
    reply(R"({"ops":"setChName","devId":"MRD-0001","inOrOut":"0","ch":"0","name":"Vocal","result":"succ"})");
    EXPECT_EQ(page->channelTable()->confirmedName(0, 0), "Vocal");
}

TEST_F(SettingsWindowTest, TunnelSendsTheCommandAndLogsTheAnswer)
{
    open();
    child<QLineEdit>("uart_le")->setText("AT+VER?");
    click("uart_send_bt");
    const QVector<QJsonObject> set = messages(*sent, "sendUdpToUart");
    ASSERT_EQ(set.size(), 1);
    EXPECT_EQ(compact(set.at(0)), R"({"cmd":"AT+VER?","devId":"MRD-0001","ops":"sendUdpToUart"})");
    reply(R"({"ops":"sendUdpToUart","devId":"MRD-0001","back":"VER 1.2\r\nOK\r\n"})");
    reply(R"({"ops":"sendUdpToUart","devId":"MRD-0001","back":"READY"})");
    EXPECT_EQ(child<QPlainTextEdit>("uart_log_te")->toPlainText(), "VER 1.2\nOK\nREADY");
}

TEST_F(SettingsWindowTest, DebugInfoAndVersionFillTheIdentity)
{
    open();
    reply(R"({"ops":"getDebugInfo","devId":"MRD-0001","result":"succ","model":" MRD-A16 ","temp":"41500"})");
    EXPECT_EQ(child<QLabel>("devInfo_label")->text(), "MRD-A16(Stagebox A16, 41.5 °C)");
    EXPECT_TRUE(page->debugInfoReceived());
    reply(
        R"({"ops":"getCfg","devId":"MRD-0001","result":"succ","cfg":"a=1\nchNum_dspFromNet = 8\nchNum_dspToNet=4\n"})");
    EXPECT_TRUE(child<QLabel>("dspCh_label")->text().contains(QRegularExpression("8.*4")));

    DevDetailStore::instance().updateDevDetail(dev.devId, [](DevDetail_t& d) {
        d.sampleRates = QStringList{"48000", "192000"};
        d.firmwareVersion = "3.0.0";
    });
    reply(R"({"ops":"getVersion","devId":"MRD-0001","result":"succ"})");
    auto* rates = child<QComboBox>("samplerate_comb");
    EXPECT_EQ(rates->count(), 2);
    EXPECT_EQ(rates->currentText(), "48000");
    EXPECT_TRUE(child<QLabel>("version_label")->text().contains("3.0.0"));
}

TEST_F(SettingsWindowTest, DetailLockVeilsAndDisablesTheSettings)
{
    TestDevice s;
    s.detailLock = 1;
    open(s);
    auto* panel = child<QGroupBox>("generalPanel");
    EXPECT_FALSE(panel->isEnabled());
    DevDetailStore::instance().updateDevDetail(dev.devId, [](DevDetail_t& d) { d.detailLock = 0; });
    // Re-read once a second.
    QTRY_VERIFY_WITH_TIMEOUT(panel->isEnabled(), 2500);
    DevDetailStore::instance().updateDevDetail(dev.devId, [](DevDetail_t& d) { d.detailLock = 2; });
    reply(R"({"ops":"setLock","devId":"MRD-0001","result":"succ"})");
    EXPECT_FALSE(panel->isEnabled()) << "a setLock reply re-reads at once";
}

TEST_F(SettingsWindowTest, FeatureSwitchesOfferTheTypeToolAndTheLevels)
{
    using Switch = AppConfig::Switch;
    const struct
    {
        std::initializer_list<Switch> on;
        bool typeTool;
        bool levels;
    } cases[] = {{{}, false, false},
                 {{Switch::CanEditDevType}, true, false},
                 {{Switch::CanShowVolume}, false, true},
                 {{Switch::CanEditDevType, Switch::CanShowVolume}, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type tool " << c.typeTool << ", levels " << c.levels);
        AppState::setConfig(configWith(c.on));
        open();
        EXPECT_EQ(!child<QPushButton>("pb_edit_type")->isHidden(), c.typeTool);
        EXPECT_EQ(!child<QPushButton>("page_bt_levels")->isHidden(), c.levels);
        close();
    }
}

TEST_F(SettingsWindowTest, PageButtons)
{
    open();
    click("page_bt_levels");
    EXPECT_EQ(page->currentPage(), DeviceWindow::LevelsPage);
    click("page_bt_delay");
    EXPECT_EQ(page->currentPage(), DeviceWindow::DelayPage);
    click("page_bt_clock");
    EXPECT_EQ(lastText(*tips), "暂不可用");
    EXPECT_EQ(page->currentPage(), DeviceWindow::DelayPage);
    EXPECT_TRUE(child<QPushButton>("page_bt_delay")->isChecked());
    tips->clear();
    page->on_dsp_bt_clicked();
    EXPECT_EQ(lastText(*tips), "暂不可用");
    click("page_bt_config");
    EXPECT_EQ(page->currentPage(), DeviceWindow::ConfigPage);
}

TEST_F(SettingsWindowTest, ProcessorPageButtonOpensTheProcessorDialog)
{
    TestDevice processor;
    processor.model = "MRD-P64";
    processor.ip = "127.0.0.2"; // loopback: the dialog's link may try to connect
    open(processor);
    click("page_bt_dsp");
    EXPECT_NE(page->findChild<DevDspDialog*>(), nullptr);
    EXPECT_TRUE(tips->isEmpty());
    EXPECT_EQ(page->currentPage(), DeviceWindow::ConfigPage);
}

} // namespace
