// What every block editor shares: title, bypass with the CPU limit, replies by blockFlag, level meter; and the
// diagram's bookkeeping of open editors.
#include "DspWidgetTestSupport.h"

#include "CLimitItem.h"
#include "DspBlockBaseForm.h"
#include "DspDiagramForm.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>

using namespace dsptest;

namespace {

class DspEditorTest : public DialogFixture
{
protected:
    void SetUp() override
    {
        open();
        download(configReply(4, 4,
                             [](CDeviceDspData& d) {
                                 addBlocks(d, true, 2, {CBaseItem::KindLimit, CBaseItem::KindEq});
                                 addBlocks(d, false, 1, {CBaseItem::KindDelay});
                                 d.input(2)->block(1)->setBypass(true);
                             }),
                 4, 4);
        diagram = dialog->diagramForm();
        editor = diagram->showBlockDialog(true, 2, 1);
        ASSERT_NE(editor, nullptr);
        tips = std::make_unique<QSignalSpy>(editor, &DspBlockBaseForm::signal_showTips);
        updates = std::make_unique<QSignalSpy>(editor, &DspBlockBaseForm::signal_updateUI);
        bypass = editor->findChild<QCheckBox*>(QStringLiteral("bypass_cb"));
        ASSERT_NE(bypass, nullptr);
        sent.clear();
    }
    void TearDown() override
    {
        updates.reset();
        tips.reset();
    }

    QString lastTip() const { return tips->isEmpty() ? QString() : tips->last().at(0).toString(); }
    CBaseItem* block() const { return dialog->dspData()->input(2)->block(1); }

    DspDiagramForm* diagram = nullptr;
    DspBlockBaseForm* editor = nullptr;
    QCheckBox* bypass = nullptr;
    std::unique_ptr<QSignalSpy> tips;
    std::unique_ptr<QSignalSpy> updates;
};

TEST_F(DspEditorTest, OpensOncePerBlockWithTheChannelNameAndKindInTheTitle)
{
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("NetIn1-EQ & Xover"));
    EXPECT_EQ(editor->blockFlag(), QStringLiteral("bf_in_ch_2_1"));
    EXPECT_EQ(editor->nodeId(), 0);
    EXPECT_TRUE(bypass->isChecked());
    EXPECT_EQ(diagram->showBlockDialog(true, 2, 1), editor);
    EXPECT_EQ(diagram->editorCount(), 1);

    DspBlockBaseForm* delay = diagram->showBlockDialog(false, 1, 0);
    ASSERT_NE(delay, nullptr);
    EXPECT_EQ(delay->windowTitle(), QStringLiteral("AnalogOut2-Delay"));
    EXPECT_EQ(delay->nodeId(), 2) << "outputs follow inputs, automixers, AECs and the matrix";
}

struct BypassCase
{
    const char* name;
    const char* cpuA;
    const char* cpuB;
    int lockLevel;
    QString tip; ///< empty: the switch is sent
};

class DspEditorBypassTest : public DspEditorTest, public ::testing::WithParamInterface<BypassCase>
{
};

// The block starts bypassed; the click enables it.
TEST_P(DspEditorBypassTest, EnablingIsSentUnlessTheCpuLimitOrTheLockRefuses)
{
    const BypassCase c = GetParam();
    DspCpuFigures::instance().update({QLatin1String(c.cpuA), QLatin1String(c.cpuB)});
    DevDetailStore::instance().updateDevDetail(kDevId, [&](DevDetail_t& d) { d.dspLockLevel = c.lockLevel; });
    bypass->click();
    EXPECT_TRUE(block()->isBypass()) << "the model follows only the device's answer";
    if (!c.tip.isEmpty()) {
        EXPECT_EQ(lastTip(), c.tip);
        EXPECT_TRUE(bypass->isChecked()) << "the switch returns to the model's state";
        EXPECT_TRUE(sent.isEmpty());
        return;
    }
    ASSERT_EQ(sent.size(), 1);
    const QJsonObject req = parse(sent.at(0).text);
    EXPECT_EQ(req.value(QStringLiteral("ops")).toString(), QStringLiteral("setBorderProcBypass"));
    EXPECT_EQ(req.value(QStringLiteral("val")).toString(), QStringLiteral("0"));
    EXPECT_EQ(req.value(QStringLiteral("procIndex")).toString(), QStringLiteral("1"));
    EXPECT_EQ(req.value(QStringLiteral("portIndex")).toString(), QStringLiteral("2"));
}

INSTANTIATE_TEST_SUITE_P(Refusals, DspEditorBypassTest,
                         ::testing::Values(BypassCase{"cpuAverage92", "95", "88", 0,
                                                      QStringLiteral("Cpu is up limit, please reduce functions")},
                                           BypassCase{"cpuAverage90", "90", "90", 0, QString()},
                                           BypassCase{"locked", "10", "10", 1, QStringLiteral("控制功能已上锁")},
                                           BypassCase{"lockedAndCpuHigh", "95", "95", 2,
                                                      QStringLiteral("控制功能已上锁")}),
                         [](const ::testing::TestParamInfo<BypassCase>& i) { return std::string(i.param.name); });

TEST_F(DspEditorTest, RepliesApplyOnlyWithTheEditorsBlockFlag)
{
    DspCpuFigures::instance().update({QStringLiteral("10")});
    bypass->click();
    dialog->recvBackData(
        reply(QStringLiteral("setBorderProcBypass"), true, {{"blockFlag", "bf_in_ch_2_0"}, {"val", "0"}}));
    EXPECT_TRUE(block()->isBypass());
    EXPECT_TRUE(updates->isEmpty());

    dialog->recvBackData(
        reply(QStringLiteral("setBorderProcBypass"), false, {{"blockFlag", "bf_in_ch_2_1"}, {"val", "0"}}));
    EXPECT_EQ(lastTip(), QStringLiteral("Set Bypass Failed!"));
    EXPECT_TRUE(bypass->isChecked());
    EXPECT_TRUE(block()->isBypass());

    dialog->recvBackData(
        reply(QStringLiteral("setBorderProcBypass"), true, {{"blockFlag", "bf_in_ch_2_1"}, {"val", "0"}}));
    EXPECT_FALSE(block()->isBypass());
    EXPECT_FALSE(bypass->isChecked());
    ASSERT_EQ(updates->size(), 1);
    EXPECT_EQ(updates->at(0).at(1).toInt(), 2);

    dialog->recvBackData(reply(QStringLiteral("setBorderProc"), false, {{"blockFlag", "bf_in_ch_2_1"}}));
    EXPECT_EQ(lastTip(), QStringLiteral("Set Failed!"));
    dialog->recvBackData(reply(QStringLiteral("setBorderProc"), true, {{"blockFlag", "bf_in_ch_2_1"}}));
    EXPECT_EQ(updates->size(), 2);
}

TEST_F(DspEditorTest, LevelMeterTakesItsChannelFromEitherReply)
{
    dialog->recvBackData(reply(QStringLiteral("getVolumeDb"), true,
                               {{"inArr", QJsonArray{"-1", "-2", "-12.6", "-4"}}, {"outArr", QJsonArray{"0"}}}));
    EXPECT_EQ(editor->levelDb(), -13);
    EXPECT_EQ(editor->findChild<QLabel*>(QStringLiteral("lb_level"))->text(), QStringLiteral("-13"));
    dialog->recvBackData(reply(QStringLiteral("getVolumeDb"), true, {{"inArr", QJsonArray{"0", "0", "-inf"}}}));
    EXPECT_EQ(editor->levelDb(), -90);
    EXPECT_EQ(editor->findChild<QProgressBar*>(QStringLiteral("meter"))->value(), -90);

    // Batch replies cover a window of channels starting at idStart.
    dialog->recvBackData(
        reply(QStringLiteral("getVolumeDbBatchIn"), true, {{"idStart", "2"}, {"arr", QJsonArray{"-30.4", "-1"}}}));
    EXPECT_EQ(editor->levelDb(), -30);
    dialog->recvBackData(
        reply(QStringLiteral("getVolumeDbBatchIn"), true, {{"idStart", "3"}, {"arr", QJsonArray{"-5"}}}));
    EXPECT_EQ(editor->levelDb(), -30);
    dialog->recvBackData(
        reply(QStringLiteral("getVolumeDbBatchOut"), true, {{"idStart", "0"}, {"arr", QJsonArray{"-1", "-1", "-1"}}}));
    EXPECT_EQ(editor->levelDb(), -30) << "an input editor ignores the output meters";
}

TEST_F(DspEditorTest, EditorsCloseWhenTheirChainChangesOrANewConfigurationArrives)
{
    QPointer<DspBlockBaseForm> open = editor;
    QPointer<DspBlockBaseForm> other = diagram->showBlockDialog(false, 1, 0);
    ASSERT_TRUE(diagram->deleteBlock(true, 2, 0));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(open.isNull()) << "its block moved";
    EXPECT_FALSE(other.isNull());
    EXPECT_EQ(diagram->editorCount(), 1);

    dialog->handle_recvTcpMsg(configReply(4, 4));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(other.isNull());
    EXPECT_EQ(diagram->editorCount(), 0);
}

TEST_F(DspEditorTest, StatusGainOfDynamicsBlocksIsShownInHalfDecibels)
{
    dialog->recvBackData(reply(QStringLiteral("getBorderProcStatus"), true,
                               {{"blockFlag", "bf_in_ch_2_1"}, {"obj", QJsonObject{{"gain", "0.5"}}}}));
    EXPECT_DOUBLE_EQ(editor->statusDb(), -6.0); // 20 log10(0.5) = -6.02
    EXPECT_EQ(editor->findChild<QLabel*>(QStringLiteral("lb_statusGain"))->text(), QStringLiteral("-6 dB"));
}

/// An editor that changes its limiter's threshold the way every kind editor changes its parameters.
class LimitProbe : public DspBlockBaseForm
{
public:
    using DspBlockBaseForm::DspBlockBaseForm;
    void change(double db)
    {
        static_cast<CLimitItem*>(block())->setLimitDb(db);
        sendParams();
    }
};

// Each row: a change sent (threshold) or a reply ("+" accepted, "-" refused), and the threshold the model
// holds afterwards. The device keeps what it last accepted; so must the model once nothing is pending.
TEST_F(DspEditorTest, RefusedChangesReturnTheModelToWhatTheDeviceLastAccepted)
{
    struct Step
    {
        const char* action;
        double modelAfter;
    };
    const Step steps[] = {{"-10", -10}, {"-", -20}, {"-5", -5}, {"+", -5}, {"-1", -1}, {"-", -5},
                          {"-3", -3},   {"-2", -2}, {"-", -2},  {"+", -2}, {"-7", -7}, {"+", -7}};
    LimitProbe probe(dialog->dspData(), true, 2, 0);
    QSignalSpy probeTips(&probe, &DspBlockBaseForm::signal_showTips);
    QStringList sentOps;
    QObject::connect(&probe, &DspBlockBaseForm::signal_sendMsg,
                     [&](const QString& m) { sentOps << parse(m)["ops"].toString(); });
    auto limit = [&] { return static_cast<CLimitItem*>(dialog->dspData()->input(2)->block(0))->limitDb(); };
    for (const Step& st : steps) {
        const QString a = QLatin1String(st.action);
        if (a == QLatin1String("+") || a == QLatin1String("-"))
            probe.recvMsg(
                reply(QStringLiteral("setBorderProc"), a == QLatin1String("+"), {{"blockFlag", "bf_in_ch_2_0"}}));
        else
            probe.change(a.toDouble());
        EXPECT_DOUBLE_EQ(limit(), st.modelAfter) << "after " << st.action;
    }
    EXPECT_EQ(sentOps.count(QStringLiteral("setBorderProc")), 6);
    EXPECT_EQ(probeTips.count(), 3) << "each refusal says so";
    EXPECT_EQ(probeTips.last().at(0).toString(), QStringLiteral("Set Failed!"));

    // A refusal of nothing this editor sent leaves the model alone.
    probe.recvMsg(reply(QStringLiteral("setBorderProc"), false, {{"blockFlag", "bf_in_ch_2_0"}}));
    EXPECT_DOUBLE_EQ(limit(), -7);

    // Offline the model keeps the change and nothing leaves.
    probe.setOffline(true);
    probe.change(-9);
    EXPECT_DOUBLE_EQ(limit(), -9);
    EXPECT_EQ(sentOps.count(QStringLiteral("setBorderProc")), 6);
}

TEST_F(DspEditorTest, OnlyDynamicsEditorsPollTheirBlocksStatus)
{
    LimitProbe limiter(dialog->dspData(), true, 2, 0);
    QStringList polls;
    for (DspBlockBaseForm* e : {static_cast<DspBlockBaseForm*>(&limiter), editor})
        QObject::connect(e, &DspBlockBaseForm::signal_sendMsg,
                         [&](const QString& m) { polls << parse(m)["blockFlag"].toString(); });
    limiter.getVolumeTimeout();
    editor->getVolumeTimeout();
    EXPECT_EQ(polls, QStringList{QStringLiteral("bf_in_ch_2_0")}) << "the equaliser has no status";
}

TEST_F(DspEditorTest, TheEqualiserEditorAlsoStandsForItsChannelsFilters)
{
    editor->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    addBlocks(*dialog->dspData(), true, 2, {CBaseItem::KindHlpf, CBaseItem::KindCompress});
    DspBlockBaseForm* filters = diagram->showBlockDialog(true, 2, 2);
    ASSERT_NE(filters, nullptr);
    EXPECT_EQ(filters->windowTitle(), QStringLiteral("NetIn1-EQ & Xover"));
    EXPECT_EQ(diagram->showBlockDialog(true, 2, 1), filters) << "the equaliser of that channel is the same editor";
    DspBlockBaseForm* comp = diagram->showBlockDialog(true, 2, 3);
    EXPECT_NE(comp, filters);
    EXPECT_EQ(comp->windowTitle(), QStringLiteral("NetIn1-Compress"));
    EXPECT_EQ(diagram->editorCount(), 2);
}

} // namespace
