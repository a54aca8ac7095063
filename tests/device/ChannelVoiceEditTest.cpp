#include "DeviceTestSupport.h"
#include "FormChannelVoice.h"
#include "channelVoice.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

using namespace devicetest;

namespace {

const QString kDev = "MRD-0001";

class ChannelVoiceEditTest : public DeviceTest
{
protected:
    void edit(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->setText(text);
        field->setModified(true);
        emit field->editingFinished();
    }
};

TEST_F(ChannelVoiceEditTest, SliderMoveSendsGainInDb)
{
    insertDevice(kDev, "MRD-A16", 2, 2, 0, 0);
    channelVoice page(kDev);
    QSignalSpy sent(&page, &channelVoice::sendChangeData);
    auto* slider = page.findChild<QSlider*>("change_value_slider:out:1");
    ASSERT_NE(slider, nullptr);
    slider->setValue(55);
    ASSERT_EQ(sent.count(), 1);
    EXPECT_EQ(sent.at(0).at(0).toString(),
              QStringLiteral(R"({"devId":"MRD-0001","id":"1","inOrOut":"1","ops":"setPhyGain","val":"5.5"})"));
    EXPECT_EQ(page.findChild<QLineEdit*>("show_val_le:out:1")->text(), "5.5");

    // While dragged, only the release sends.
    slider->setSliderDown(true);
    slider->setValue(-100);
    slider->setValue(-123);
    EXPECT_EQ(sent.count(), 1);
    slider->setSliderDown(false); // the release
    ASSERT_EQ(sent.count(), 2);
    EXPECT_EQ(parse(sent.at(1).at(0).toString()).value("val").toString(), "-12.3");

    // A read-back moves the slider without echoing a request.
    page.recvBackData(pageReply("getAllPhyGain", kDev, 1, 0, 2, {"1", "2"}));
    EXPECT_EQ(slider->value(), 20);
    EXPECT_EQ(sent.count(), 2);
}

TEST_F(ChannelVoiceEditTest, ValueFieldSendsInRangeAndRefusesOutside)
{
    insertDevice(kDev, "MRD-A16", 2, 0, 0, 0);
    channelVoice page(kDev);
    page.show();
    QSignalSpy sent(&page, &channelVoice::sendChangeData);
    QSignalSpy tips(&page, &channelVoice::signal_showTips);
    auto* field = page.findChild<QLineEdit*>("show_val_le:In:0");
    ASSERT_NE(field, nullptr);

    edit(field, "13");
    EXPECT_EQ(lastText(tips), "请输入正确的范围");
    EXPECT_EQ(field->text(), "0");
    EXPECT_EQ(messages(sent, "setPhyGain").size(), 0);

    edit(field, "-7.5");
    const QVector<QJsonObject> gains = messages(sent, "setPhyGain");
    ASSERT_EQ(gains.size(), 1);
    const QJsonObject gain = gains.at(0);
    EXPECT_EQ(gain.value("val").toString(), "-7.5");
    EXPECT_EQ(gain.value("inOrOut").toString(), "0");
    EXPECT_EQ(page.findChild<QSlider*>("change_value_slider:In:0")->value(), -75);
}

TEST_F(ChannelVoiceEditTest, FailedGainRestoresTheConfirmedValueSuccessStoresIt)
{
    insertDevice(kDev, "MRD-A16", 2, 0, 0, 0);
    channelVoice page(kDev);
    QSignalSpy tips(&page, &channelVoice::signal_showTips);
    auto* slider = page.findChild<QSlider*>("change_value_slider:In:1");
    slider->setValue(-200);
    page.recvBackData(R"({"ops":"setPhyGain","devId":"MRD-0001","inOrOut":"0","id":"1","result":"fail",)"
                      R"("reason":"LOCK_UCAST_MCAST"})");
    EXPECT_EQ(slider->value(), 0);
    EXPECT_DOUBLE_EQ(page.row(channelVoice::PhyIn, 1)->gain(), 0.0);
    EXPECT_EQ(lastText(tips), "设置失败,设备已上锁");

    slider->setValue(-35);
    page.recvBackData(R"({"ops":"setPhyGain","devId":"MRD-0001","inOrOut":"0","id":"1","val":"-3.5","result":"succ"})");
    EXPECT_EQ(DevDetailStore::instance().getDevDetail(kDev).phyRxGains, (QVector<double>{0, -3.5}));
}

TEST_F(ChannelVoiceEditTest, MuteButtonSendsAndReplyConfirmsOrRestores)
{
    insertDevice(kDev, "MRD-A16", 3, 0, 0, 0);
    channelVoice page(kDev);
    QSignalSpy sent(&page, &channelVoice::sendChangeData);
    QSignalSpy tips(&page, &channelVoice::signal_showTips);
    auto* mute = page.findChild<QAbstractButton*>("mute:In:2");
    ASSERT_NE(mute, nullptr);
    mute->click();
    ASSERT_EQ(sent.count(), 1);
    EXPECT_EQ(sent.at(0).at(0).toString(),
              QStringLiteral(R"({"devId":"MRD-0001","id":"2","inOrOut":"0","ops":"setPhyMute","val":"1"})"));
    page.recvBackData(R"({"ops":"setPhyMute","devId":"MRD-0001","inOrOut":"0","id":"2","val":"1","result":"succ"})");
    EXPECT_EQ(lastText(tips), "设置成功");
    EXPECT_EQ(DevDetailStore::instance().getDevDetail(kDev).phyRxMutes, (QVector<int>{0, 0, 1}));

    mute->click();
    EXPECT_EQ(parse(sent.at(1).at(0).toString()).value("val").toString(), "0");
    page.recvBackData(R"({"ops":"setPhyMute","devId":"MRD-0001","inOrOut":"0","id":"2","result":"fail",)"
                      R"("reason":"busy"})");
    EXPECT_TRUE(mute->isChecked());
    EXPECT_TRUE(page.row(channelVoice::PhyIn, 2)->isMuted());
    EXPECT_EQ(lastText(tips), "busy");
}

TEST_F(ChannelVoiceEditTest, NetworkNameGoesAsCommandMessagePhysicalNameStraightToTheDevice)
{
    insertDevice(kDev, "MRD-A16", 3, 0, 0, 2);
    channelVoice page(kDev);
    QSignalSpy sent(&page, &channelVoice::sendChangeData);
    QSignalSpy tips(&page, &channelVoice::signal_showTips);

    edit(page.findChild<QLineEdit*>("ChannelName:netOut:1"), "  Stage Left ");
    ASSERT_EQ(sent.count(), 1);
    EXPECT_EQ(sent.at(0).at(0).toString(),
              QStringLiteral(R"({"ch":"1","devId":"MRD-0001","inOrOut":"1","name":"Stage Left","ops":"setChName"})"));
    page.recvBackData(R"({"ops":"setChName","devId":"MRD-0001","inOrOut":"1","ch":"1","name":"Stage Left",)"
                      R"("result":"succ"})");
    EXPECT_EQ(lastText(tips), "设置成功");
    EXPECT_EQ(page.row(channelVoice::NetOut, 1)->name(), "Stage Left");

    edit(page.findChild<QLineEdit*>("ChannelName:In:2"), "Vox_1");
    EXPECT_EQ(sent.count(), 1);
    const std::vector<Sent> out = sentOps();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(compact(out.at(0).msg), QStringLiteral(R"({"id":"2","name":"Vox_1","ops":"setPhyChNameRx"})"));
    EXPECT_EQ(out.at(0).ip, kDevIp);
    EXPECT_EQ(out.at(0).port, 9990);

    // Refused by the device: the stored name comes back, with the reason.
    page.recvBackData(R"({"ops":"setPhyChNameRx","devId":"MRD-0001","inOrOut":"0","ch":"2","result":"fail",)"
                      R"("reason":"mismatch"})");
    EXPECT_EQ(page.findChild<QLineEdit*>("ChannelName:In:2")->text(), "AnalogIn3");
    EXPECT_EQ(lastText(tips), "密码错误");
}

TEST_F(ChannelVoiceEditTest, BadNamesAreRefusedLocallyInThePagesOwnWords)
{
    insertDevice(kDev, "MRD-A16", 1, 0, 1, 0);
    channelVoice page(kDev);
    QSignalSpy sent(&page, &channelVoice::sendChangeData);
    QSignalSpy tips(&page, &channelVoice::signal_showTips);
    const struct
    {
        const char* field;
        QString typed;
        const char* tip; ///< null: refused silently
    } cases[] = {{"ChannelName:netIn:0", "a.b", "设置失败,名字不能有特殊字符"},
                 {"ChannelName:In:0", "   ", "设置失败,名字不能为空"},
                 {"ChannelName:netIn:0", QString(31, QLatin1Char('x')), "设置失败,名字不能太长"},
                 {"ChannelName:In:0", " AnalogIn1 ", nullptr}}; // unchanged after trimming
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        tips.clear();
        auto* field = page.findChild<QLineEdit*>(QLatin1String(c.field));
        const QString before = field->text();
        edit(field, c.typed);
        EXPECT_EQ(field->text(), before);
        EXPECT_EQ(lastText(tips), c.tip ? QString::fromUtf8(c.tip) : QString());
    }
    EXPECT_EQ(sent.count(), 0);
    EXPECT_TRUE(sentOps().empty());
}

TEST_F(ChannelVoiceEditTest, AmplifierControlsAndModuleRequests)
{
    const DevDetail_t d = insertDevice(kDev, "MRA-4", 0, 4, 0, 0);
    channelVoice page(kDev);
    QSignalSpy sent(&page, &channelVoice::sendChangeData);
    QSignalSpy tips(&page, &channelVoice::signal_showTips);
    page.readGainsAndMutes();
    EXPECT_EQ(messages(sent, "getInfo").size(), 1);
    const std::vector<Sent> out = sentOps();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out.at(0).msg.value("ops").toString(), "getPowerGainInfo");
    EXPECT_EQ(out.at(0).port, 12001);
    EXPECT_EQ(out.at(0).ip, d.ip);
    // Replies from the module's address belong to this device.
    EXPECT_EQ(DevDetailStore::instance().devIdForReplyAddress(d.ip), kDev);

    auto* power = page.findChild<QAbstractButton*>("bt0:out:2");
    auto* steps = page.findChild<QComboBox*>("gainLev:out:2");
    ASSERT_TRUE(power && steps);
    page.recvBackData(R"({"ops":"getPowerGainInfo","devId":"MRD-0001","result":"succ","gainLev":"4",)"
                      R"("powerGainArr":["0","1","3","2"],"powerArr":["1","1","1","0"],"powerOn":"1"})");
    EXPECT_EQ(steps->count(), 4);
    EXPECT_EQ(steps->currentIndex(), 3);
    EXPECT_TRUE(power->isChecked());
    EXPECT_FALSE(page.findChild<QAbstractButton*>("bt0:out:3")->isChecked());

    power->click();
    EXPECT_EQ(sent.last().at(0).toString(),
              QStringLiteral(R"({"devId":"MRD-0001","id":"2","ops":"setPower","val":"0"})"));
    page.recvBackData(R"({"ops":"setPower","devId":"MRD-0001","result":"succ"})");
    EXPECT_EQ(lastText(tips), "设置成功");
    emit steps->activated(1);
    EXPECT_EQ(sent.last().at(0).toString(),
              QStringLiteral(R"({"devId":"MRD-0001","id":"2","ops":"setGain","val":"1"})"));

    // The master switch off shows every channel off.
    page.recvBackData(R"({"ops":"getInfo","devId":"MRD-0001","result":"succ","powerOn":"0"})");
    EXPECT_FALSE(page.findChild<QAbstractButton*>("bt0:out:0")->isChecked());
}

TEST_F(ChannelVoiceEditTest, JumpFieldRefusesChannelsThatDoNotExist)
{
    insertDevice(kDev, "MRD-A16", 40, 0, 0, 0);
    channelVoice page(kDev);
    page.resize(600, 300);
    page.show();
    QSignalSpy tips(&page, &channelVoice::signal_showTips);
    auto* jump = page.findChild<QLineEdit*>("analogJump_le");
    ASSERT_NE(jump, nullptr);
    jump->setText("41");
    emit jump->returnPressed();
    EXPECT_EQ(lastText(tips), "请输入正确的范围");
    jump->setText("40");
    emit jump->returnPressed();
    EXPECT_EQ(tips.count(), 1);
    auto* last = page.row(channelVoice::PhyIn, 39);
    QTRY_VERIFY_WITH_TIMEOUT(!last->visibleRegion().isEmpty(), 5000);
}

} // namespace
