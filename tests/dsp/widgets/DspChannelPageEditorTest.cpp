// The channel-volume page: every control writes the configuration and sends its request once, offline and locked
// changes, the device's refusals, group limits, meters, the strips built once and the diagram that follows.
#include "DspWidgetTestSupport.h"

#include "Channel.h"
#include "DspAecChannel.h"
#include "DspAutomixerChannel.h"
#include "DspChannelVolumeForm.h"
#include "DspDiagramForm.h"
#include "DspGroupForm.h"
#include "DspInChannelForm.h"
#include "DspOutChannelForm.h"
#include "FormDspDiagramInput.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>

#include <cmath>
#include <functional>

using namespace dsptest;

namespace {

class ChannelPageFixture : public DialogFixture
{
public:
    template <typename Edit> void load(Edit edit, TestDevice device = TestDevice())
    {
        open(device);
        const int in = device.phyIn + device.netIn;
        const int out = device.phyOut + device.netOut;
        download(configReply(in, out, edit, device.sampleRate), in, out);
        ASSERT_TRUE(dialog->isConfigured());
        page = dialog->channelForm();
        tips = std::make_unique<QSignalSpy>(dialog.get(), &DevDspDialog::signal_showTips);
        sent.clear();
    }
    void load()
    {
        load([](CDeviceDspData&) {});
    }
    QStringList tipTexts() const
    {
        QStringList out;
        for (const QList<QVariant>& args : *tips)
            out << args.at(0).toString();
        return out;
    }
    template <typename W> W* child(const QString& name) const
    {
        W* w = page->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    CDeviceDspData* data() const { return dialog->dspData(); }

    Channel* page = nullptr;
    std::unique_ptr<QSignalSpy> tips;
};

using Act = std::function<void(ChannelPageFixture&)>;
using Read = std::function<QString(const CDeviceDspData&)>;

struct ControlCase
{
    const char* name;
    Act act;
    const char* request; ///< the datagram, compact with sorted keys
    Read read;           ///< the configuration value the control changes...
    const char* before;
    const char* after;
    const char* failTip; ///< what a refusal of the device shows
};

QString flag(bool b)
{
    return b ? QStringLiteral("1") : QStringLiteral("0");
}

const ControlCase kControls[] = {
    {"inputMute", [](ChannelPageFixture& f) { f.child<QPushButton>("mute_in_1")->click(); },
     R"({"inArr":[{"index":"1","val":"1"}],"ops":"setMute","uiTag":"dspUiTag"})",
     [](const CDeviceDspData& d) { return flag(d.input(1)->isMute()); }, "0", "1", "设置静音失败"},
    {"outputInvert", [](ChannelPageFixture& f) { f.child<QPushButton>("invert_out_2")->click(); },
     R"({"ops":"setInverse","outArr":[{"index":"2","val":"1"}],"uiTag":"dspUiTag"})",
     [](const CDeviceDspData& d) { return flag(d.output(2)->isInverse()); }, "0", "1", "设置反向失败"},
    {"inputGainField", [](ChannelPageFixture& f) { f.child<QDoubleSpinBox>("gain_in_0_spin")->setValue(-6.5); },
     R"({"inArr":[{"index":"0","val":"-6.5"}],"ops":"setGain","uiTag":"dspUiTag"})",
     [](const CDeviceDspData& d) { return QString::number(d.input(0)->gainDb()); }, "0", "-6.5", "设置增益失败"},
    // Fader positions are half dB from -72: 156 is +6 dB.
    {"outputFader", [](ChannelPageFixture& f) { f.child<QSlider>("gain_out_3_slider")->setValue(156); },
     R"({"ops":"setGain","outArr":[{"index":"3","val":"6"}],"uiTag":"dspUiTag"})",
     [](const CDeviceDspData& d) { return QString::number(d.output(3)->gainDb()); }, "0", "6", "设置增益失败"},
    {"inputGroup", [](ChannelPageFixture& f) { emit f.child<QComboBox>("group_in_3")->activated(3); },
     R"({"inArr":[{"index":"3","val":"2"}],"ops":"setGroupId","uiTag":"dspUiTag"})",
     [](const CDeviceDspData& d) {
         QStringList members;
         for (int m : d.groupMembers().value(2))
             members << QString::number(m);
         return QStringLiteral("%1 [%2]").arg(d.input(3)->groupId()).arg(members.join(','));
     },
     "-1 []", "2 [3]", "设置失败，请重新设置"},
    {"groupGain", [](ChannelPageFixture& f) { f.child<QDoubleSpinBox>("groupGain_1_spin")->setValue(-20); },
     R"({"index":"1","ops":"setGroupGain","uiTag":"dspUiTag","val":"-20"})",
     [](const CDeviceDspData& d) { return QString::number(d.groups().at(1).gainDb); }, "0", "-20", "设置增益失败"},
    {"groupMute", [](ChannelPageFixture& f) { f.child<QPushButton>("groupMute_0")->click(); },
     R"({"index":"0","ops":"setGroupMute","uiTag":"dspUiTag","val":"1"})",
     [](const CDeviceDspData& d) { return flag(d.groups().at(0).mute); }, "0", "1", "设置静音失败"},
    {"groupName",
     [](ChannelPageFixture& f) {
         QLineEdit* e = f.child<QLineEdit>("groupName_2");
         e->setText(QStringLiteral("Choir"));
         emit e->editingFinished();
     },
     R"({"index":"2","name":"Choir","ops":"setGroupName","uiTag":"dspUiTag"})",
     [](const CDeviceDspData& d) { return d.groups().at(2).name; }, "Group3", "Choir", "设置失败，请重新设置"},
};

class ChannelControlTest : public ChannelPageFixture, public ::testing::WithParamInterface<ControlCase>
{
};

TEST_P(ChannelControlTest, WritesTheConfigurationAndSendsOnce)
{
    const ControlCase& c = GetParam();
    load();
    ASSERT_EQ(c.read(*data()), QString::fromUtf8(c.before));
    c.act(*this);
    EXPECT_EQ(c.read(*data()), QString::fromUtf8(c.after));
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent.at(0).text, QString::fromUtf8(c.request));
    EXPECT_EQ(sent.at(0).port, 8999);
    EXPECT_EQ(sent.at(0).ip, kDevIp);

    // The device's yes keeps the change; for a name it is also said.
    QJsonObject yes = parse(sent.at(0).text);
    yes.insert("devId", kDevId);
    yes.insert("result", "succ");
    dialog->recvBackData(json(yes));
    EXPECT_EQ(c.read(*data()), QString::fromUtf8(c.after));
}

TEST_P(ChannelControlTest, RefusalByTheDeviceIsToldAndPutBack)
{
    const ControlCase& c = GetParam();
    load();
    c.act(*this);
    ASSERT_EQ(sent.size(), 1);
    QJsonObject no = parse(sent.at(0).text);
    no.insert("devId", kDevId);
    no.insert("result", "fail");
    no.insert("reason", "busy");
    dialog->recvBackData(json(no));
    EXPECT_EQ(c.read(*data()), QString::fromUtf8(c.before));
    EXPECT_EQ(tipTexts(), QStringList{QString::fromUtf8(c.failTip)}) << "told once, by one page";
}

TEST_P(ChannelControlTest, OfflineWritesTheConfigurationOnly)
{
    const ControlCase& c = GetParam();
    // Told by the dialog, or only by the working mode of the offline workspace.
    for (bool told : {true, false}) {
        load();
        page->setOffline(told);
        if (!told)
            AppState::setMode(3);
        c.act(*this);
        EXPECT_EQ(c.read(*data()), QString::fromUtf8(c.after)) << told;
        EXPECT_TRUE(sent.isEmpty()) << told;
        AppState::setMode(10);
    }
}

TEST_P(ChannelControlTest, LockRefusesAndTheControlShowsTheConfiguration)
{
    const ControlCase& c = GetParam();
    load();
    DevDetailStore::instance().updateDevDetail(kDevId, [](DevDetail_t& d) { d.dspLockLevel = 1; });
    c.act(*this);
    EXPECT_EQ(c.read(*data()), QString::fromUtf8(c.before));
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_TRUE(tipTexts().contains(QStringLiteral("控制功能已上锁")));
    // Unlocked, the same control works: it was put back, not left showing the refused value.
    DevDetailStore::instance().updateDevDetail(kDevId, [](DevDetail_t& d) { d.dspLockLevel = 0; });
    c.act(*this);
    EXPECT_EQ(c.read(*data()), QString::fromUtf8(c.after));
    EXPECT_EQ(sent.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Controls, ChannelControlTest, ::testing::ValuesIn(kControls),
                         [](const ::testing::TestParamInfo<ControlCase>& i) { return std::string(i.param.name); });

TEST_F(ChannelPageFixture, UnchangedOrOutOfRangeValuesSendNothing)
{
    load([](CDeviceDspData& d) {
        d.input(0)->setGainDb(-3.25);
        d.output(1)->setMute(true);
        d.input(2)->setGroupId(1);
        d.groups()[4].gainDb = -59.9; // not exact in binary: the same value again is still unchanged
    });
    const int in = DspChannelVolumeForm::Input;
    const int out = DspChannelVolumeForm::Output;
    const struct
    {
        const char* name;
        std::function<bool(Channel&)> edit;
    } cases[] = {
        {"sameGain", [in](Channel& p) { return p.setChannelGain(in, 0, -3.25); }},
        {"sameMute", [out](Channel& p) { return p.setChannelMute(out, 1, true); }},
        {"sameInverse", [in](Channel& p) { return p.setChannelInverse(in, 3, false); }},
        {"sameGroup", [in](Channel& p) { return p.setChannelGroup(in, 2, 1); }},
        {"sameGroupGain", [](Channel& p) { return p.setGroupGain(4, -59.9); }},
        {"sameGroupMute", [](Channel& p) { return p.setGroupMute(4, false); }},
        {"sameGroupName", [](Channel& p) { return p.setGroupName(4, QStringLiteral("Group5")); }},
        {"gainAbove", [in](Channel& p) { return p.setChannelGain(in, 0, 12.5); }},
        {"gainNan", [in](Channel& p) { return p.setChannelGain(in, 0, std::nan("")); }},
        {"groupBeyond", [in](Channel& p) { return p.setChannelGroup(in, 0, 16); }},
        {"groupBelowNone", [in](Channel& p) { return p.setChannelGroup(in, 0, -2); }},
        {"missingChannel", [in](Channel& p) { return p.setChannelMute(in, 4, true); }},
        {"groupGainAbove", [](Channel& p) { return p.setGroupGain(0, 12.5); }},
        {"groupGainBelow", [](Channel& p) { return p.setGroupGain(0, -60.5); }},
        {"missingGroup", [](Channel& p) { return p.setGroupMute(16, true); }},
        {"echoCancelled", [](Channel& p) { return p.setChannelMute(DspChannelVolumeForm::Aec, 0, true); }},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.edit(*page)) << c.name;
        EXPECT_TRUE(sent.isEmpty()) << c.name;
        sent.clear();
    }
    EXPECT_DOUBLE_EQ(data()->input(0)->gainDb(), -3.25);
    EXPECT_EQ(data()->input(0)->groupId(), -1);
    EXPECT_DOUBLE_EQ(data()->groups().at(0).gainDb, 0);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>("gain_in_0_spin")->value(), -3.25) << "the field shows the configuration";
}

TEST_F(ChannelPageFixture, GroupsAreLimitedAndNamesChecked)
{
    load([](CDeviceDspData& d) {
        d.groups().resize(20);
        d.input(0)->setGroupId(0);
        d.input(1)->setGroupId(0);
        d.input(3)->setGroupId(0);
        d.updateGroupMembers();
    });
    EXPECT_EQ(page->groupFormCount(), 16);
    EXPECT_EQ(child<QComboBox>("group_in_0")->count(), 17) << "no group, then the 16 groups";
    EXPECT_EQ(page->groupForm(0)->membersText(), "1-2,4");

    const struct
    {
        QString name;
        const char* tip;
    } refused[] = {{QString(33, 'x'), "设置失败,名字不能太长"},
                   {QString(), "设置失败,名字不能为空"},
                   {QStringLiteral("   "), "设置失败,名字不能为空"}};
    for (const auto& r : refused) {
        tips->clear();
        EXPECT_FALSE(page->setGroupName(1, r.name));
        EXPECT_EQ(tipTexts(), QStringList{QString::fromUtf8(r.tip)});
        EXPECT_EQ(child<QLineEdit>("groupName_1")->text(), data()->groups().at(1).name);
    }
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_TRUE(page->setGroupName(1, QString(32, 'y')));
    EXPECT_EQ(sent.size(), 1);
}

TEST_F(ChannelPageFixture, MetersFollowTheRepliesOfTheirSide)
{
    load();
    dialog->recvBackData(reply("getVolumeDb", true,
                               {{"inArr", QJsonArray{"-inf", "-12.4", "3", "loud"}}, {"outArr", QJsonArray{"-30.6"}}}));
    const int in[] = {-90, -12, 0, -90};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(page->inputForm(i)->level(), in[i]) << i;
    EXPECT_EQ(page->outputForm(0)->level(), -31);
    EXPECT_EQ(page->outputForm(1)->level(), -90) << "no entry, no level";

    dialog->recvBackData(reply("getVolumeDbBatchOut", true, {{"idStart", "2"}, {"arr", QJsonArray{"-5", "-6", "-7"}}}));
    EXPECT_EQ(page->outputForm(2)->level(), -5);
    EXPECT_EQ(page->outputForm(3)->level(), -6);
    EXPECT_EQ(page->inputForm(2)->level(), 0) << "an output batch leaves the inputs";
}

TEST_F(ChannelPageFixture, SameShapeRefreshesWithoutRebuildingAndSideChannelsOnlyShow)
{
    load([](CDeviceDspData& d) {
        d.aecChannels().append(new DspAecChannel(4));
        d.automixerChannels().append(new DspAutomixerChannel());
        d.aecChannels().first()->setGainDb(-4);
    });
    const int builds = page->buildCount();
    ASSERT_EQ(page->sideFormCount(), 2);
    EXPECT_FALSE(child<QPushButton>("mute_aec_0")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("mute_amx_0")->isEnabled());
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>("gain_aec_0_spin")->value(), -4);

    // The device's configuration changed behind the page: a new download of the same shape.
    download(configReply(4, 4,
                         [](CDeviceDspData& d) {
                             d.aecChannels().append(new DspAecChannel(4));
                             d.automixerChannels().append(new DspAutomixerChannel());
                             d.input(0)->setMute(true);
                             d.groups()[0].name = QStringLiteral("Band");
                         }),
             4, 4);
    EXPECT_EQ(page->buildCount(), builds);
    EXPECT_TRUE(child<QPushButton>("mute_in_0")->isChecked());
    EXPECT_EQ(child<QLineEdit>("groupName_0")->text(), "Band");
    EXPECT_EQ(child<QComboBox>("group_out_0")->itemText(1), "Band");

    download(configReply(6, 4), 6, 4);
    EXPECT_EQ(page->buildCount(), builds + 1);
    EXPECT_NE(page->inputForm(5), nullptr);
    EXPECT_EQ(page->sideFormCount(), 0);
}

TEST_F(ChannelPageFixture, DiagramShowsWhatThePageChanged)
{
    load();
    dialog->show(); // pages refresh when they are shown
    dialog->on_pb_channelvoice_clicked();
    child<QPushButton>("mute_in_1")->click();
    child<QDoubleSpinBox>("gain_in_1_spin")->setValue(-9);
    dialog->on_pb_diagram_clicked();
    DspDiagramForm* diagram = dialog->diagramForm();
    EXPECT_TRUE(diagram->findChild<QPushButton*>(QStringLiteral("mute:In:1"))->isChecked());
    EXPECT_DOUBLE_EQ(diagram->findChild<QDoubleSpinBox*>(QStringLiteral("gain:In:1"))->value(), -9);

    // And the other way: the diagram's change shows when the page is shown again.
    diagram->setChannelInverse(false, 0, true);
    dialog->on_pb_channelvoice_clicked();
    EXPECT_TRUE(child<QPushButton>("invert_out_0")->isChecked());
    dialog->hide();
}

TEST_F(ChannelPageFixture, ManyChannelsReportTheFirstInViewAndMeterOnlyThose)
{
    TestDevice device;
    device.phyIn = 64;
    device.netIn = 64;
    load([](CDeviceDspData&) {}, device);
    dialog->resize(1000, 700);
    dialog->show();
    dialog->on_pb_channelvoice_clicked();
    QApplication::processEvents();
    QSignalSpy starts(page, &Channel::signal_changeIdStart);
    QScrollBar* bar = page->scrollArea(false)->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const int pitch = page->inputForm(1)->x() - page->inputForm(0)->x();
    bar->setValue(pitch * 40 + pitch / 2);
    ASSERT_EQ(starts.size(), 1);
    EXPECT_EQ(starts.at(0).at(0).toInt(), 40);
    EXPECT_FALSE(starts.at(0).at(1).toBool());
    EXPECT_EQ(page->firstVisible(false), 40);

    QJsonArray levels;
    for (int i = 0; i < 60; ++i)
        levels.append("-20");
    dialog->recvBackData(reply("getVolumeDbBatchIn", true, {{"idStart", "30"}, {"arr", levels}}));
    EXPECT_EQ(page->inputForm(41)->level(), -20);
    EXPECT_EQ(page->inputForm(30)->level(), -90) << "out of view";
    EXPECT_EQ(page->inputForm(89)->level(), -90) << "out of view";
    dialog->hide();
}

} // namespace
