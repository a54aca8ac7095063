// The echo-canceller and automixer editors: every change sends the node's whole object once, refusals (device,
// lock, CPU) put the record back, offline nothing leaves, the member choice keeps to its limit and the polls
// drive the member strips.
#include "DspWidgetTestSupport.h"

#include "AutomixerMask.h"
#include "CChAecItem.h"
#include "DspAecForm.h"
#include "DspAutomixChForm.h"
#include "DspAutomixForm.h"
#include "DspAutomixMemberDialog.h"
#include "DspChAecForm.h"
#include "DspDiagramForm.h"
#include "DspSideChannelStrip.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>

using namespace dsptest;

namespace {

constexpr int kInputs = 4;

/// Two automixers (members: inputs 0..2 and input 3) and one AEC on 4 inputs, the last two from the computer link.
void addNodes(CDeviceDspData& data)
{
    for (const QVector<int>& members : {QVector<int>{0, 1, 2}, QVector<int>{3}}) {
        auto* mixer = new DspAutomixerChannel;
        for (int ch : members)
            mixer->maskArr().append(AutomixerMask::forChannel(ch).compose());
        data.automixerChannels().append(mixer);
    }
    data.aecChannels().append(new DspAecChannel(kInputs));
    data.fitMatrix();
}

void select(QComboBox* box, const QString& text)
{
    const int at = box->findText(text);
    ASSERT_GE(at, 0) << text.toStdString();
    box->setCurrentIndex(at);
    emit box->activated(at);
}

class NodeEditorTest : public ::testing::Test
{
protected:
    NodeEditorTest()
    {
        app();
        resetAll();
        data.parse(DspDefaultConfig::reply(kInputs, 2, 48000), QStringLiteral("3.2.0"));
        data.info().chNumIn = kInputs;
        data.info().chNumOut = 2;
        data.setExtraInCount(2);
        addNodes(data);
    }
    ~NodeEditorTest() override { resetAll(); }

    template <typename Form> std::unique_ptr<Form> open(int index)
    {
        auto form = std::make_unique<Form>(&data, index);
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        sends = std::make_unique<QSignalSpy>(form.get(), &DspNodeForm::signal_sendMsg);
        tips = std::make_unique<QSignalSpy>(form.get(), &DspNodeForm::signal_showTips);
        return form;
    }

    QList<QJsonObject> sent() const
    {
        QList<QJsonObject> out;
        for (const QList<QVariant>& args : *sends)
            out << parse(args.at(0).toString());
        return out;
    }
    QString lastTip() const { return tips->isEmpty() ? QString() : tips->last().at(0).toString(); }

    CDeviceDspData data;
    std::unique_ptr<QSignalSpy> sends;
    std::unique_ptr<QSignalSpy> tips;
};

} // namespace

TEST_F(NodeEditorTest, AecChangesSendTheWholeObjectOnce)
{
    auto form = open<DspAecForm>(0);
    DspAecChannel* aec = data.aecChannels().first();
    const struct
    {
        const char* name;
        std::function<void()> act;
        std::function<bool()> applied;
    } cases[] = {
        {"near 2", [&] { form->findChild<QCheckBox*>("aec_near_ch_2")->click(); },
         [&] { return aec->nearArr()[2] == 1; }},
        {"far 3", [&] { form->findChild<QCheckBox*>("aec_far_ch_3")->click(); }, [&] { return aec->farArr()[3] == 1; }},
        {"aec level 2", [&] { select(form->findChild<QComboBox*>("cb_aec"), "Level 2"); },
         [&] { return aec->hasAec() && aec->aecLevel() == 2; }},
        {"agc on", [&] { select(form->findChild<QComboBox*>("cb_agc"), "ON"); }, [&] { return aec->hasAgc(); }},
        {"ans level 3", [&] { select(form->findChild<QComboBox*>("cb_ans"), "Level 3"); },
         [&] { return aec->hasAns() && aec->ansLevel() == 3; }},
        {"aec off", [&] { select(form->findChild<QComboBox*>("cb_aec"), "OFF"); }, [&] { return !aec->hasAec(); }},
    };
    for (const auto& c : cases) {
        sends->clear();
        c.act();
        EXPECT_TRUE(c.applied()) << c.name;
        ASSERT_EQ(sends->size(), 1) << c.name;
        const QJsonObject r = sent().first();
        EXPECT_EQ(r.value("ops").toString(), "setNodeData") << c.name;
        EXPECT_EQ(r.value("nodeId").toString(), "3") << c.name; // after the two automixers
        EXPECT_EQ(r.value("blockFlag").toString(), "bf_aec_0") << c.name;
        EXPECT_EQ(r.value("obj").toObject(), aec->objJson()) << c.name;
    }
    // Choosing what is already set sends nothing.
    sends->clear();
    select(form->findChild<QComboBox*>("cb_agc"), "ON");
    EXPECT_EQ(sends->size(), 0);

    const QStringList labels = {"In-1", "In-2", "USB-In-1", "USB-In-2"};
    for (int k = 0; k < kInputs; ++k)
        EXPECT_EQ(form->findChild<QCheckBox*>(QStringLiteral("aec_far_ch_%1").arg(k))->text(), labels.at(k));
}

TEST_F(NodeEditorTest, RefusedChangesPutBackWhatTheDeviceAccepted)
{
    auto form = open<DspAecForm>(0);
    DspAecChannel* aec = data.aecChannels().first();
    QCheckBox* near1 = form->findChild<QCheckBox*>("aec_near_ch_1");
    near1->click();
    form->recvMsg(reply("setNodeData", true, {{"blockFlag", "bf_aec_0"}}));
    select(form->findChild<QComboBox*>("cb_aec"), "Level 3");
    // Another editor's answer is not this one's.
    form->recvMsg(reply("setNodeData", false, {{"blockFlag", "bf_automix_0"}}));
    EXPECT_TRUE(aec->hasAec());
    form->recvMsg(reply("setNodeData", false, {{"blockFlag", "bf_aec_0"}}));
    EXPECT_EQ(lastTip(), "设置失败");
    EXPECT_FALSE(aec->hasAec());
    EXPECT_EQ(aec->nearArr()[1], 1); // accepted before, kept
    EXPECT_EQ(form->findChild<QComboBox*>("cb_aec")->currentText(), "OFF");
    EXPECT_TRUE(near1->isChecked());
}

TEST_F(NodeEditorTest, LockCpuAndOfflineRules)
{
    auto form = open<DspAecForm>(0);
    DspAecChannel* aec = data.aecChannels().first();
    QComboBox* agc = form->findChild<QComboBox*>("cb_agc");

    bool locked = true;
    form->setLockCheck([&] { return locked; });
    select(agc, "ON");
    EXPECT_EQ(lastTip(), "控制功能已上锁");
    EXPECT_FALSE(aec->hasAgc());
    EXPECT_EQ(agc->currentText(), "OFF");
    locked = false;

    DspCpuFigures::instance().update({"95", "88"}); // average 92: nothing may be switched on
    select(agc, "ON");
    EXPECT_EQ(lastTip(), "Cpu is up limit, please reduce functions");
    EXPECT_FALSE(aec->hasAgc());
    EXPECT_EQ(agc->currentText(), "OFF");
    form->findChild<QCheckBox*>("aec_near_ch_0")->click(); // not a function: allowed
    EXPECT_EQ(sends->size(), 1);
    DspCpuFigures::instance().update({"90", "90"});
    select(agc, "ON");
    EXPECT_TRUE(aec->hasAgc());
    EXPECT_EQ(sends->size(), 2);

    form->setOffline(true);
    select(form->findChild<QComboBox*>("cb_ans"), "Level 2");
    EXPECT_TRUE(aec->hasAns());
    EXPECT_EQ(sends->size(), 2);
}

TEST_F(NodeEditorTest, AutomixerChangesRecomputeTheMaskAndSendTheWholeObject)
{
    auto form = open<DspAutomixForm>(0);
    DspAutomixerChannel* mixer = data.automixerChannels().first();
    ASSERT_EQ(form->memberStrips().size(), 3);
    DspAutomixChForm* strip1 = form->memberStrips().at(1);
    auto member = [&](int k) { return AutomixerMask::decompose(mixer->maskArr().at(k)); };
    const struct
    {
        const char* name;
        std::function<void()> act;
        std::function<bool()> applied;
    } cases[] = {
        {"trigDb", [&] { form->findChild<QDoubleSpinBox*>("sb_trigDb")->setValue(-42.5); },
         [&] { return mixer->trigDb() == -42.5; }},
        {"holdMs", [&] { form->findChild<QDoubleSpinBox*>("sb_holdMs")->setValue(300); },
         [&] { return mixer->holdMs() == 300; }},
        {"mode", [&] { select(form->findChild<QComboBox*>("cb_mode"), "Gate"); }, [&] { return mixer->mode() == 1; }},
        {"leaveLastOn", [&] { form->findChild<QCheckBox*>("cb_leaveLastOn")->click(); },
         [&] { return !mixer->leaveLastOn(); }},
        {"priority", [&] { select(strip1->findChild<QComboBox*>("cb_priority"), "优先级:7"); },
         [&] { return member(1).priority == 7; }},
        {"gain", [&] { strip1->findChild<QDoubleSpinBox*>("gain_spin")->setValue(-12); },
         [&] { return member(1).gain == -12; }},
        {"alwaysOn", [&] { strip1->findChild<QCheckBox*>("cb_alwaysOn")->click(); },
         [&] { return member(1).alwaysOn; }},
        {"postMute", [&] { strip1->findChild<QCheckBox*>("cb_postMute")->click(); },
         [&] { return member(1).postMute; }},
        {"chPos", [&] { strip1->findChild<QCheckBox*>("cb_chPos")->click(); }, [&] { return member(1).chPost; }},
    };
    for (const auto& c : cases) {
        sends->clear();
        c.act();
        EXPECT_TRUE(c.applied()) << c.name;
        ASSERT_EQ(sends->size(), 1) << c.name;
        const QJsonObject r = sent().first();
        EXPECT_EQ(r.value("nodeId").toString(), "1") << c.name;
        EXPECT_EQ(r.value("blockFlag").toString(), "bf_automix_0") << c.name;
        EXPECT_EQ(r.value("obj").toObject(), mixer->objJson()) << c.name;
    }
    // Every member field went into member 1's mask and no other member moved; its channel stayed.
    const AutomixerMask m = member(1);
    EXPECT_EQ(m.chId, 1);
    EXPECT_EQ(member(0), AutomixerMask::forChannel(0));
    EXPECT_EQ(member(2), AutomixerMask::forChannel(2));
    // The same value again sends nothing.
    sends->clear();
    form->findChild<QDoubleSpinBox*>("sb_trigDb")->setValue(-42.5);
    select(strip1->findChild<QComboBox*>("cb_priority"), "优先级:7");
    EXPECT_EQ(sends->size(), 0);

    // A refusal puts the whole automixer back to its last accepted state.
    for (std::size_t k = 0; k < std::size(cases); ++k)
        form->recvMsg(reply("setNodeData", true, {{"blockFlag", "bf_automix_0"}}));
    strip1->findChild<QCheckBox*>("cb_bypass")->click();
    form->findChild<QDoubleSpinBox*>("sb_slope")->setValue(0.5);
    for (int k = 0; k < 2; ++k)
        form->recvMsg(reply("setNodeData", false, {{"blockFlag", "bf_automix_0"}}));
    EXPECT_EQ(lastTip(), "设置失败");
    EXPECT_EQ(member(1), m);
    EXPECT_DOUBLE_EQ(mixer->slope(), 0.9);
    EXPECT_FALSE(strip1->findChild<QCheckBox*>("cb_bypass")->isChecked());
}

TEST_F(NodeEditorTest, MemberChoiceKeepsToItsLimit)
{
    DspAutomixMemberDialog dialog({"a", "b", "c", "d", "e"}, {1}, 3);
    QSignalSpy dialogTips(&dialog, &DspAutomixMemberDialog::signal_showTips);
    QLabel* count = dialog.findChild<QLabel*>("lb_count");
    EXPECT_EQ(count->text(), "1/3");
    EXPECT_TRUE(dialog.choose(0, true));
    dialog.findChild<QCheckBox*>("ch_4")->click();
    EXPECT_EQ(count->text(), "3/3");
    dialog.findChild<QCheckBox*>("ch_2")->click(); // the fourth
    EXPECT_FALSE(dialog.findChild<QCheckBox*>("ch_2")->isChecked());
    ASSERT_EQ(dialogTips.size(), 1);
    EXPECT_EQ(dialogTips.first().at(0).toString(), "最多选择3");
    EXPECT_EQ(dialog.selected(), (QVector<int>{0, 1, 4}));
    EXPECT_TRUE(dialog.choose(1, false));
    EXPECT_TRUE(dialog.choose(2, true));
    EXPECT_EQ(dialog.selected(), (QVector<int>{0, 2, 4}));

    // The editor's limit is its DSP inputs: kept members keep their settings, new ones start plain.
    auto form = open<DspAutomixForm>(0);
    DspAutomixerChannel* mixer = data.automixerChannels().first();
    EXPECT_EQ(form->memberLimit(), kInputs);
    AutomixerMask tuned = AutomixerMask::forChannel(2);
    tuned.priority = 4;
    tuned.gain = -3;
    mixer->maskArr()[2] = tuned.compose();
    EXPECT_FALSE(form->setMembers({0, 1, 2, 3, 3}));
    EXPECT_EQ(lastTip(), "最多选择4");
    EXPECT_EQ(sends->size(), 0);
    EXPECT_TRUE(form->setMembers({2, 3}));
    ASSERT_EQ(mixer->maskArr().size(), 2);
    EXPECT_EQ(AutomixerMask::decompose(mixer->maskArr().at(0)), tuned);
    EXPECT_EQ(AutomixerMask::decompose(mixer->maskArr().at(1)), AutomixerMask::forChannel(3));
    EXPECT_EQ(form->memberStrips().size(), 2);
    EXPECT_EQ(sends->size(), 1);
    EXPECT_FALSE(form->setMembers({2, 3})); // unchanged
    EXPECT_EQ(sends->size(), 1);
}

TEST_F(NodeEditorTest, PollsDriveTheMemberStrips)
{
    auto form = open<DspAutomixForm>(1); // the second automixer: node 2, one member
    auto other = open<DspAutomixForm>(0);
    sends = std::make_unique<QSignalSpy>(form.get(), &DspNodeForm::signal_sendMsg);
    form->getVolumeTimeout();
    ASSERT_EQ(sends->size(), 2);
    QStringList ops;
    for (const QJsonObject& r : sent()) {
        ops << r.value("ops").toString();
        EXPECT_EQ(r.value("nodeId").toString(), "2");
        EXPECT_EQ(r.value("blockFlag").toString(), "bf_automix_1");
    }
    EXPECT_EQ(ops, (QStringList{"getAutomixActive", "getAutomixVolumeDbPost"}));

    const struct
    {
        QString active;
        QString level;
        bool open;
        int db;
    } cases[] = {{"1", "-12.4", true, -12}, {"0", "-inf", false, -90}, {"1", "-200", true, -90}, {"0", "3", false, 0}};
    for (const auto& c : cases) {
        for (DspAutomixForm* f : {form.get(), other.get()}) {
            f->recvMsg(reply("getAutomixActive", true, {{"blockFlag", "bf_automix_1"}, {"arr", QJsonArray{c.active}}}));
            f->recvMsg(
                reply("getAutomixVolumeDbPost", true, {{"blockFlag", "bf_automix_1"}, {"arr", QJsonArray{c.level}}}));
        }
        EXPECT_EQ(form->memberStrips().first()->isOpen(), c.open) << c.level.toStdString();
        EXPECT_EQ(form->memberStrips().first()->levelDb(), c.db) << c.level.toStdString();
        EXPECT_EQ(form->memberStrips().first()->findChild<QLabel*>("lb_level")->text(), QString::number(c.db));
        EXPECT_FALSE(other->memberStrips().first()->isOpen()); // not its flag
    }
    form->setOffline(true);
    sends->clear();
    form->getVolumeTimeout();
    EXPECT_EQ(sends->size(), 0);
}

TEST_F(NodeEditorTest, ChannelAecBlockSendsItsParameters)
{
    data.inputs().at(1)->appendBlock(DspBlockFactory::create(CBaseItem::KindChAec));
    DspChAecForm form(&data, true, 1, 0);
    form.setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy spy(&form, &DspBlockBaseForm::signal_sendMsg);
    auto* item = static_cast<CChAecItem*>(data.inputs().at(1)->block(0));
    QComboBox* far = form.findChild<QComboBox*>("cb_farCh");
    ASSERT_EQ(far->count(), kInputs + 2);
    const struct
    {
        const char* box;
        QString choice;
        const char* key;
        const char* value;
        std::function<bool()> applied;
    } cases[] = {
        {"cb_aec", "Level 2", "aecLevel", "2", [&] { return item->hasAec() && item->aecLevel() == 2; }},
        {"cb_agc", "ON", "hasAgc", "1", [&] { return item->hasAgc(); }},
        {"cb_ans", "Level 3", "ansLevel", "3", [&] { return item->hasAns() && item->ansLevel() == 3; }},
        {"cb_farCh", "USB-In-1", "farFromOut", "0", [&] { return item->farCh() == 2; }},
        {"cb_farCh", "Out-2", "farFromOut", "1", [&] { return item->farCh() == kInputs + 1; }},
    };
    for (const auto& c : cases) {
        spy.clear();
        select(form.findChild<QComboBox*>(c.box), c.choice);
        EXPECT_TRUE(c.applied()) << c.box;
        ASSERT_EQ(spy.size(), 1) << c.box;
        const QJsonObject r = parse(spy.first().at(0).toString());
        EXPECT_EQ(r.value("ops").toString(), "setBorderProc");
        EXPECT_EQ(r.value("blockFlag").toString(), "bf_in_ch_1_0");
        EXPECT_EQ(r.value("obj").toObject().value(c.key).toString(), c.value) << c.box;
    }
    spy.clear();
    select(far, "Out-2");
    EXPECT_EQ(spy.size(), 0);
}

class NodeDiagramTest : public DialogFixture
{
};

TEST_F(NodeDiagramTest, StripsOpenEditorsThatPollAndAnAutomixerIsAddedWithItsMemberCount)
{
    open();
    download(configReply(kInputs, kInputs, [](CDeviceDspData& d) { addNodes(d); }), kInputs, kInputs);
    DspDiagramForm* diagram = dialog->diagramForm();
    CDeviceDspData* data = dialog->dspData();
    ASSERT_EQ(data->automixerChannelCount(), 2);

    diagram->findChild<QPushButton*>("edit:AutoMixer:1")->click();
    auto* mixer = diagram->findChild<DspAutomixForm*>();
    ASSERT_NE(mixer, nullptr);
    EXPECT_EQ(mixer->index(), 1);
    diagram->findChild<QPushButton*>("edit:Aec:0")->click();
    ASSERT_NE(diagram->findChild<DspAecForm*>(), nullptr);
    sent.clear();
    diagram->handleGetVolumeTimeout();
    EXPECT_EQ(sentOps().count("getAutomixActive"), 1);
    EXPECT_EQ(sentOps().count("getAutomixVolumeDbPost"), 1);
    diagram->handleMessage(reply("getAutomixActive", true, {{"blockFlag", "bf_automix_1"}, {"arr", QJsonArray{"1"}}}));
    EXPECT_TRUE(mixer->memberStrips().first()->isOpen());

    int asked = 0;
    diagram->setMemberCountPrompt([&](int limit) {
        asked = limit;
        return 3;
    });
    sent.clear();
    const int rows = data->matrix()->rows();
    ASSERT_TRUE(diagram->addAutomixer());
    EXPECT_EQ(asked, kInputs);
    ASSERT_EQ(data->automixerChannelCount(), 3);
    const QVector<quint64>& masks = data->automixerChannels().last()->maskArr();
    ASSERT_EQ(masks.size(), 3);
    for (int k = 0; k < masks.size(); ++k)
        EXPECT_EQ(AutomixerMask::decompose(masks.at(k)), AutomixerMask::forChannel(k));
    EXPECT_EQ(data->matrix()->rows(), rows + 1);
    EXPECT_TRUE(sent.isEmpty()); // reaches the device with the next save
    EXPECT_NE(diagram->findChild<QPushButton*>("edit:AutoMixer:2"), nullptr);

    diagram->setMemberCountPrompt([](int) { return 0; }); // cancelled
    EXPECT_FALSE(diagram->addAutomixer());
    EXPECT_EQ(data->automixerChannelCount(), 3);
}
