// The diagram page: adding within the rules and the CPU estimate, context-menu edits, linking, channel settings,
// save and undo, replies and the lock.
#include "DspWidgetTestSupport.h"

#include "CDelayItem.h"
#include "CHlpfItem.h"
#include "DspDiagramForm.h"
#include "DspEditRules.h"
#include "FormDspDiagramInput.h"
#include "FormDspDiagramOutput.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace dsptest;

namespace {

class DspDiagramTest : public DialogFixture
{
protected:
    /// Opens the dialog on `device` and downloads a configuration edited by `edit`.
    template <typename Edit> void load(Edit edit, TestDevice device = TestDevice())
    {
        open(device);
        const int in = device.phyIn + device.netIn;
        const int out = device.phyOut + device.netOut;
        download(configReply(in, out, edit, device.sampleRate), in, out);
        ASSERT_TRUE(dialog->isConfigured());
        diagram = dialog->diagramForm();
        diagram->setAsker([this](const QString& q) {
            questions << q;
            return answer;
        });
        tips = std::make_unique<QSignalSpy>(diagram, &DspDiagramForm::signal_showTips);
        udp = std::make_unique<QSignalSpy>(diagram, qOverload<QString>(&DspDiagramForm::signal_sendMsg));
        udpPort = std::make_unique<QSignalSpy>(diagram, qOverload<QString, int>(&DspDiagramForm::signal_sendMsg));
        sent.clear();
        tcp->clear();
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
    QString lastTip() const { return tips->isEmpty() ? QString() : tips->last().at(0).toString(); }
    QList<int> kinds(bool isInput, int ch) const
    {
        QList<int> out;
        for (const CBaseItem* b : dialog->dspData()->channel(isInput, ch)->blocks())
            out << b->kind();
        return out;
    }
    QPushButton* button(const QString& name) const { return diagram->findChild<QPushButton*>(name); }
    bool nothingSent() const { return sent.isEmpty() && tcp->isEmpty() && udp->isEmpty() && udpPort->isEmpty(); }

    DspDiagramForm* diagram = nullptr;
    bool answer = true;
    QStringList questions;
    std::unique_ptr<QSignalSpy> tips;
    std::unique_ptr<QSignalSpy> udp;
    std::unique_ptr<QSignalSpy> udpPort;
};

TEST_F(DspDiagramTest, AddingThroughTheButtonsChangesOnlyTheModel)
{
    load([](CDeviceDspData& d) { addBlocks(d, false, 1, {CBaseItem::KindDelay, CBaseItem::KindCompress}); });
    button(QStringLiteral("eq_bt"))->click();
    EXPECT_EQ(lastTip(), QStringLiteral("请先选择添加位置"));
    ASSERT_NE(button(QStringLiteral("In:1:0")), nullptr);
    button(QStringLiteral("In:1:0"))->click();
    button(QStringLiteral("eq_bt"))->click();
    button(QStringLiteral("compress_bt"))->click();
    EXPECT_EQ(kinds(true, 1), (QList<int>{CBaseItem::KindEq, CBaseItem::KindCompress}));
    EXPECT_NE(button(QStringLiteral("blk_in_1_1")), nullptr);
    EXPECT_EQ(diagram->inputStrip(1)->blockButtonCount(), 2);
    // The delay's menu chooses its memory.
    button(QStringLiteral("delay_bt"))->findChild<QAction*>(QStringLiteral("delay_0.5s"))->trigger();
    ASSERT_EQ(kinds(true, 1).last(), int(CBaseItem::KindDelay));
    EXPECT_EQ(static_cast<CDelayItem*>(dialog->dspData()->input(1)->blocks().last())->maxNum(), 24000);
    button(QStringLiteral("eq_bt"))->click();
    EXPECT_EQ(lastTip(), QStringLiteral("只允许添加一个EQ")) << "the editor's refusal is shown";

    // Output positions count from the end: "Out:1:0" is after the last block, "Out:1:2" before the first.
    ASSERT_NE(button(QStringLiteral("Out:1:2")), nullptr);
    button(QStringLiteral("Out:1:0"))->click();
    button(QStringLiteral("eq_bt"))->click();
    button(QStringLiteral("limit_bt"))->click(); // the next one goes after the one added
    EXPECT_EQ(kinds(false, 1),
              (QList<int>{CBaseItem::KindDelay, CBaseItem::KindCompress, CBaseItem::KindEq, CBaseItem::KindLimit}));
    EXPECT_TRUE(nothingSent()) << "structural edits wait for the save";
}

struct ForceCase
{
    const char* name;
    bool alwaysShowDiy; ///< the application's "CanAlwaysShowDiy" switch
    QString code;       ///< typed into the administrator entry; empty: the entry is not used (or cancelled)
    bool offered;
    QString tip;
};

class DspForceAddTest : public DspDiagramTest, public ::testing::WithParamInterface<ForceCase>
{
protected:
    ~DspForceAddTest() override { AppState::setConfig(AppConfig()); }
};

TEST_P(DspForceAddTest, FullEstimateIsForcedOnlyOnceForcingIsOffered)
{
    const ForceCase c = GetParam();
    AppState::setConfig(AppConfig::fromText(c.alwaysShowDiy ? QStringLiteral("x=y\nCanAlwaysShowDiy=1") : QString()));
    TestDevice big; // 48 x 48 channels: 216 / 170 of the capacity
    big.phyIn = big.phyOut = 24;
    big.netIn = big.netOut = 24;
    load([](CDeviceDspData&) {}, big);
    EXPECT_EQ(diagram->cpuEstimate(), 99);
    EXPECT_EQ(diagram->findChild<QLabel*>(QStringLiteral("lb_cpuEstimate"))->text(), QStringLiteral("CPU:99%"));
    auto* force = diagram->findChild<QRadioButton*>(QStringLiteral("diy_rb_forceadd"));
    force->click(); // before any entry: a hidden control changes nothing unless the switch offers it
    if (!c.alwaysShowDiy) {
        EXPECT_FALSE(diagram->isForceAdd());
    }
    diagram->setCodePrompt([&] { return c.code; });
    button(QStringLiteral("diy_bt"))->click();
    EXPECT_EQ(lastTip(), c.tip);
    EXPECT_EQ(diagram->isForceAddOffered(), c.offered);
    EXPECT_EQ(force->isHidden(), !c.offered);
    diagram->setForceAdd(true);
    EXPECT_EQ(diagram->addBlock(CBaseItem::KindEq, true, 0, 0), c.offered);
    EXPECT_EQ(kinds(true, 0).size(), c.offered ? 1 : 0);
    if (!c.offered) {
        EXPECT_EQ(lastTip(), QStringLiteral("CPU资源不足"));
    }
}

INSTANTIATE_TEST_SUITE_P(Entry, DspForceAddTest,
                         ::testing::Values(ForceCase{"noEntry", false, QString(), false, QString()},
                                           ForceCase{"rightCode", false, QStringLiteral("diy"), true, QString()},
                                           ForceCase{"wrongCode", false, QStringLiteral("admin"), false,
                                                     QStringLiteral("该设备不支持自定义功能!")},
                                           ForceCase{"caseMatters", false, QStringLiteral("DIY"), false,
                                                     QStringLiteral("该设备不支持自定义功能!")},
                                           ForceCase{"paddedCode", false, QStringLiteral(" diy"), false,
                                                     QStringLiteral("该设备不支持自定义功能!")},
                                           ForceCase{"switchOn", true, QString(), true, QString()}),
                         [](const ::testing::TestParamInfo<ForceCase>& i) { return std::string(i.param.name); });

TEST_F(DspDiagramTest, EstimateFollowsTheChains)
{
    TestDevice d16;
    d16.phyIn = d16.phyOut = 8;
    d16.netIn = d16.netOut = 8;
    load([](CDeviceDspData&) {}, d16);
    EXPECT_EQ(diagram->cpuEstimate(), 14);
    // Twenty feedback eliminators add 45.4 to the cost of 24.
    for (int i = 0; i < 16; ++i)
        ASSERT_TRUE(diagram->addBlock(CBaseItem::KindFbe, true, i, 0));
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(diagram->addBlock(CBaseItem::KindFbe, false, i, 0));
    EXPECT_EQ(diagram->cpuEstimate(), 40);
    diagram->deleteChannel(false, 0);
    EXPECT_EQ(diagram->cpuEstimate(), 39);
}

TEST_F(DspDiagramTest, SaveSendsTheWholeConfigurationOverTcp)
{
    load([](CDeviceDspData& d) { addBlocks(d, true, 0, {CBaseItem::KindDelay}); });
    ASSERT_TRUE(diagram->addBlock(CBaseItem::KindEq, true, 0, 0));
    answer = false;
    button(QStringLiteral("pb_save"))->click();
    EXPECT_EQ(questions, QStringList{QStringLiteral("是否确定保存？")});
    EXPECT_TRUE(tcp->isEmpty());

    answer = true;
    button(QStringLiteral("pb_save"))->click();
    ASSERT_EQ(tcp->size(), 1);
    const QString text = tcpTexts().at(0);
    EXPECT_TRUE(text.startsWith(QStringLiteral(R"({"devId":"MRD-0042", "config":{)")));
    const QJsonObject msg = parse(text);
    EXPECT_EQ(msg.value(QStringLiteral("ops")).toString(), QStringLiteral("setConfig"));
    CDeviceDspData back;
    back.parse(text, QStringLiteral("3.2.0"));
    ASSERT_EQ(back.inputs().size(), 4);
    ASSERT_EQ(back.input(0)->blocks().size(), 2);
    EXPECT_EQ(back.input(0)->block(0)->kind(), int(CBaseItem::KindEq));
    EXPECT_EQ(back.input(0)->block(1)->kind(), int(CBaseItem::KindDelay));

    dialog->handle_recvTcpMsg(reply(QStringLiteral("setConfig"), true));
    EXPECT_EQ(lastTip(), QStringLiteral("保存配置成功"));
    ASSERT_FALSE(sent.isEmpty());
    EXPECT_EQ(sent.last().text, QStringLiteral(R"({"cookie":"0","ops":"getVersion","uiTag":"dspUiTag"})"));
    dialog->handle_recvTcpMsg(reply(QStringLiteral("setConfig"), false));
    EXPECT_EQ(lastTip(), QStringLiteral("保存配置失败"));
}

TEST_F(DspDiagramTest, UndoReturnsToTheDownloadedConfiguration)
{
    load([](CDeviceDspData& d) { addBlocks(d, false, 0, {CBaseItem::KindLimit}); });
    ASSERT_TRUE(diagram->addBlock(CBaseItem::KindEq, false, 0, 0));
    ASSERT_TRUE(diagram->deleteBlock(false, 0, 0));
    answer = false;
    button(QStringLiteral("pb_undo"))->click();
    EXPECT_EQ(kinds(false, 0), QList<int>{CBaseItem::KindEq});
    answer = true;
    button(QStringLiteral("pb_undo"))->click();
    EXPECT_EQ(questions.last(), QStringLiteral("是否确定撤回？"));
    EXPECT_EQ(kinds(false, 0), QList<int>{CBaseItem::KindLimit});
    EXPECT_EQ(diagram->outputStrip(0)->blockButtonCount(), 1);
}

TEST_F(DspDiagramTest, MuteInversionGainAndGroupLeaveAtOnceOverUdp)
{
    load();
    button(QStringLiteral("mute:In:1"))->click();
    button(QStringLiteral("invert:Out:2"))->click();
    diagram->findChild<QDoubleSpinBox*>(QStringLiteral("gain:Out:0"))->setValue(-3.5);
    QComboBox* group = diagram->findChild<QComboBox*>(QStringLiteral("group:In:3"));
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->count(), 17);
    emit group->activated(3);
    QStringList texts;
    for (const Datagram& d : sent)
        texts << d.text;
    EXPECT_EQ(texts, (QStringList{
                         R"({"inArr":[{"index":"1","val":"1"}],"ops":"setMute","uiTag":"dspUiTag"})",
                         R"({"ops":"setInverse","outArr":[{"index":"2","val":"1"}],"uiTag":"dspUiTag"})",
                         R"({"ops":"setGain","outArr":[{"index":"0","val":"-3.5"}],"uiTag":"dspUiTag"})",
                         R"({"inArr":[{"index":"3","val":"2"}],"ops":"setGroupId","uiTag":"dspUiTag"})",
                     }));
    for (const Datagram& d : sent)
        EXPECT_EQ(d.port, 8999);
    const CDeviceDspData* data = dialog->dspData();
    EXPECT_TRUE(data->input(1)->isMute());
    EXPECT_TRUE(data->output(2)->isInverse());
    EXPECT_DOUBLE_EQ(data->output(0)->gainDb(), -3.5);
    EXPECT_EQ(data->input(3)->groupId(), 2);

    const struct
    {
        const char* ops;
        bool succ;
        const char* tip;
    } replies[] = {{"setMute", false, "设置静音失败"},
                   {"setGain", false, "设置增益失败"},
                   {"setInverse", false, "设置反向失败"},
                   {"setGroupId", true, "设置成功"},
                   {"setGroupId", false, "设置失败，请重新设置"}};
    for (const auto& r : replies) {
        dialog->recvBackData(reply(QLatin1String(r.ops), r.succ));
        EXPECT_EQ(lastTip(), QString::fromUtf8(r.tip)) << r.ops;
    }
}

TEST_F(DspDiagramTest, ChannelNamesAreCheckedThenSentToTheCommandPort)
{
    load();
    const struct
    {
        QString name;
        const char* tip;
    } refused[] = {{QStringLiteral("  "), "设置失败,名字不能为空"},
                   {QStringLiteral("a/b"), "设置失败,名字不能有特殊字符"},
                   {QString(31, QLatin1Char('x')), "设置失败,名字不能太长"}};
    for (const auto& r : refused) {
        EXPECT_FALSE(diagram->setChannelName(true, 0, r.name));
        EXPECT_EQ(lastTip(), QString::fromUtf8(r.tip)) << r.name.toStdString();
    }
    EXPECT_EQ(diagram->inputStrip(0)->shownName(), QStringLiteral("AnalogIn1")) << "a refused name is taken back";
    EXPECT_TRUE(udpPort->isEmpty());

    auto* edit = diagram->findChild<QLineEdit*>(QStringLiteral("name:Out:3"));
    ASSERT_NE(edit, nullptr);
    edit->setText(QStringLiteral("Lobby"));
    emit edit->editingFinished();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent.at(0).text, QStringLiteral(R"({"id":"1","name":"Lobby","ops":"setChNameTx","uiTag":"dspUiTag"})"));
    EXPECT_EQ(sent.at(0).port, kCommandPort);
    dialog->recvBackData(reply(QStringLiteral("setChNameTx"), true));
    EXPECT_EQ(lastTip(), QStringLiteral("设置成功"));
    EXPECT_EQ(DevDetailStore::instance().getDevDetail(kDevId).txChNames.at(1), QStringLiteral("Lobby"));

    ASSERT_TRUE(diagram->setChannelName(true, 1, QStringLiteral("Pulpit")));
    EXPECT_EQ(parse(sent.last().text).value(QStringLiteral("ops")).toString(), QStringLiteral("setPhyChNameRx"));
    dialog->recvBackData(reply(QStringLiteral("setPhyChNameRx"), false));
    EXPECT_EQ(lastTip(), QStringLiteral("设置失败，请重新设置"));
    EXPECT_EQ(diagram->inputStrip(1)->shownName(), QStringLiteral("AnalogIn2"));
}

TEST_F(DspDiagramTest, LinkingAsksForThePartnerBetweenTwoNeighboursAndWaitsForTheDevice)
{
    load([](CDeviceDspData& d) {
        for (int ch = 0; ch < 3; ++ch)
            addBlocks(d, true, ch, {CBaseItem::KindEq, CBaseItem::KindDelay});
        for (int i = 0; i < 2; ++i) { // 0 and 1 linked
            d.input(0)->block(i)->setGroupId(i);
            d.input(1)->block(i)->setGroupId(i);
        }
    });
    QList<QStringList> offered;
    int choice = -1;
    diagram->setChooser([&](const QString& question, const QStringList& choices) {
        EXPECT_EQ(question, QStringLiteral("选择链接的通道"));
        offered << choices;
        return choice;
    });
    answer = false;
    button(QStringLiteral("link:In:0"))->click(); // one neighbour: no choice
    EXPECT_TRUE(offered.isEmpty());
    EXPECT_EQ(questions.last(), QStringLiteral("是否取消链接？"));

    EXPECT_FALSE(diagram->linkChannel(true, 1)); // cancelled choice
    ASSERT_EQ(offered.size(), 1);
    EXPECT_EQ(offered.at(0), QStringList({QStringLiteral("1 AnalogIn1 (已链接)"), QStringLiteral("3 NetIn1")}));
    EXPECT_EQ(questions.size(), 1);
    EXPECT_TRUE(nothingSent());

    choice = 1;
    answer = true;
    EXPECT_TRUE(diagram->linkChannel(true, 1));
    EXPECT_EQ(questions.last(), QStringLiteral("是否确定链接？"));
    ASSERT_EQ(tcp->size(), 1);
    const QJsonObject req = parse(tcpTexts().at(0));
    EXPECT_EQ(req.value(QStringLiteral("ops")).toString(), QStringLiteral("setBorderProcGroupIdBatch"));
    QStringList entries;
    for (const QJsonValue& v : req.value(QStringLiteral("arr")).toArray())
        entries << json(v.toObject());
    EXPECT_EQ(entries, QStringList({
                           QStringLiteral(R"({"nodeId":"0","portIndex":"1","procIndex":"0","val":"0"})"),
                           QStringLiteral(R"({"nodeId":"0","portIndex":"2","procIndex":"0","val":"0"})"),
                           QStringLiteral(R"({"nodeId":"0","portIndex":"1","procIndex":"1","val":"1"})"),
                           QStringLiteral(R"({"nodeId":"0","portIndex":"2","procIndex":"1","val":"1"})"),
                           QStringLiteral(R"({"nodeId":"0","portIndex":"0","procIndex":"0","val":"-1"})"),
                           QStringLiteral(R"({"nodeId":"0","portIndex":"0","procIndex":"1","val":"-1"})"),
                       }));
    EXPECT_EQ(dialog->dspData()->input(2)->block(0)->groupId(), -1) << "linked only once the device agrees";

    dialog->handle_recvTcpMsg(reply(QStringLiteral("setBorderProcGroupIdBatch"), true));
    EXPECT_EQ(lastTip(), QStringLiteral("链接成功"));
    EXPECT_EQ(dialog->dspData()->input(2)->block(1)->groupId(), 1);
    EXPECT_EQ(dialog->dspData()->input(0)->block(1)->groupId(), -1);

    EXPECT_TRUE(diagram->linkChannel(true, 2, 1));
    EXPECT_EQ(questions.last(), QStringLiteral("是否取消链接？"));
    dialog->handle_recvTcpMsg(reply(QStringLiteral("setBorderProcGroupIdBatch"), false));
    EXPECT_EQ(lastTip(), QStringLiteral("链接失败"));
    EXPECT_EQ(dialog->dspData()->input(1)->block(1)->groupId(), 1);
}

TEST_F(DspDiagramTest, MenuEditsTellTheirResultRedrawAndSendNothing)
{
    load([](CDeviceDspData& d) {
        addBlocks(d, true, 0, {CBaseItem::KindEq, CBaseItem::KindDelay});
        addBlocks(d, true, 1, {CBaseItem::KindEq});
    });
    ASSERT_NE(diagram->showBlockDialog(true, 1, 0), nullptr);
    ASSERT_TRUE(diagram->copyBlock(true, 0, 0));
    EXPECT_EQ(lastTip(), QStringLiteral("复制成功"));
    EXPECT_FALSE(diagram->pasteBlock(true, 0, 0));
    EXPECT_EQ(lastTip(), QStringLiteral("不能粘贴给同一功能块"));
    EXPECT_TRUE(diagram->pasteBlock(true, 1, 0));
    EXPECT_EQ(lastTip(), QStringLiteral("粘贴成功"));
    EXPECT_EQ(diagram->editor(QStringLiteral("bf_in_ch_1_0")), nullptr) << "the pasted channel's editors close";

    ASSERT_TRUE(diagram->copyChannel(true, 0));
    EXPECT_TRUE(diagram->pasteChannel(true, 3));
    EXPECT_EQ(diagram->inputStrip(3)->blockButtonCount(), 2);
    EXPECT_TRUE(diagram->deleteBlock(true, 3, 0));
    EXPECT_EQ(diagram->inputStrip(3)->blockButtonCount(), 1);
    EXPECT_TRUE(diagram->deleteChannel(true, 3));
    EXPECT_EQ(diagram->inputStrip(3)->blockButtonCount(), 0);
    EXPECT_TRUE(nothingSent());

    diagram->expandAll(false);
    EXPECT_FALSE(diagram->inputStrip(2)->isExpanded());
    EXPECT_FALSE(diagram->outputStrip(1)->isExpanded());
    diagram->expandAll(true);
    EXPECT_TRUE(diagram->outputStrip(1)->isExpanded());
}

TEST_F(DspDiagramTest, LockRefusesEdits)
{
    load();
    DevDetailStore::instance().updateDevDetail(kDevId, [](DevDetail_t& d) { d.dspLockLevel = 1; });
    EXPECT_FALSE(diagram->addBlock(CBaseItem::KindEq, true, 0, 0));
    EXPECT_EQ(lastTip(), QStringLiteral("控制功能已上锁"));
    EXPECT_FALSE(diagram->setChannelMute(true, 0, true));
    EXPECT_FALSE(dialog->dspData()->input(0)->isMute());
    button(QStringLiteral("pb_save"))->click();
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_TRUE(nothingSent());
    EXPECT_FALSE(diagram->findChild<QLabel*>(QStringLiteral("lb_lock"))->isHidden());
}

TEST_F(DspDiagramTest, MenuBypassWaitsForTheDevice)
{
    load([](CDeviceDspData& d) {
        addBlocks(d, true, 0, {CBaseItem::KindEq});
        d.input(0)->block(0)->setBypass(true);
    });
    // The CPU limit and the lock are the chain editor's (and the block editor's) to refuse.
    ASSERT_TRUE(diagram->toggleBypass(true, 0, 0));
    ASSERT_EQ(sent.size(), 1);
    const QJsonObject req = parse(sent.at(0).text);
    EXPECT_EQ(req.value(QStringLiteral("ops")).toString(), QStringLiteral("setBorderProcBypass"));
    EXPECT_EQ(req.value(QStringLiteral("val")).toString(), QStringLiteral("0"));
    EXPECT_EQ(req.value(QStringLiteral("blockFlag")).toString(), QStringLiteral("bf_in_ch_0_0"));
    EXPECT_TRUE(dialog->dspData()->input(0)->block(0)->isBypass());
    dialog->recvBackData(
        reply(QStringLiteral("setBorderProcBypass"), true, {{"blockFlag", "bf_in_ch_0_0"}, {"val", "0"}}));
    EXPECT_FALSE(dialog->dspData()->input(0)->block(0)->isBypass());
}

} // namespace
