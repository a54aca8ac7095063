// The processor dialog's course: connection, version, configuration, replies, polling, liveness, reconnection.
#include "DspWidgetTestSupport.h"

#include "Channel.h"
#include "DspDiagramForm.h"
#include "DspMatrixForm.h"
#include "FormDspDiagramInput.h"
#include "FormDspDiagramOutput.h"
#include "LoadingForm.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <climits>

using namespace dsptest;

namespace {

class DspDialogTest : public DialogFixture
{
};

TEST_F(DspDialogTest, ConnectedAsksVersionThenCustomStringOnProcessorPort)
{
    open();
    dialog->tcpConnected(QStringLiteral("Connecting"), false);
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_EQ(dialog->statusText(), QStringLiteral("Connecting"));

    dialog->tcpConnected(QStringLiteral("Connecting"), true);
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent.at(0).text, QStringLiteral(R"({"cookie":"0","ops":"getVersion","uiTag":"dspUiTag"})"));
    EXPECT_EQ(sent.at(1).text, QStringLiteral(R"({"cookie":"0","ops":"getCustomStr","uiTag":"dspUiTag"})"));
    for (const Datagram& d : sent) {
        EXPECT_EQ(d.ip, kDevIp);
        EXPECT_EQ(d.port, 8999) << "the device's command port is never used for the processor";
    }
    EXPECT_TRUE(tcp->isEmpty()) << "the configuration waits for the version reply";
}

TEST_F(DspDialogTest, VersionReplyAsksConfigurationWithDevIdFirst)
{
    open();
    dialog->recvBackData(versionReply(6, 5)); // two extra inputs, one extra output
    ASSERT_EQ(tcp->size(), 1);
    EXPECT_EQ(tcpTexts().at(0), QStringLiteral(R"({"devId":"MRD-0042", "ops":"getConfig","uiTag":"dspUiTag"})"));
    const CDeviceDspData* data = dialog->dspData();
    EXPECT_EQ(data->info().chNumIn, 6);
    EXPECT_EQ(data->info().funcList, (QStringList{"eq", "", "delay"}));
    EXPECT_EQ(data->extraInCount(), 2);
    EXPECT_EQ(data->extraOutCount(), 1);

    dialog->recvBackData(reply(QStringLiteral("getCustomStr"), true, {{"str", "stage-A"}}));
    EXPECT_EQ(data->info().customStr, QStringLiteral("stage-A"));
}

TEST_F(DspDialogTest, ChannelCountsOfTheVersionReplyAreBounded)
{
    // Extra channels are the reported counts minus the device's own: INT_MIN would overflow the subtraction.
    open();
    dialog->recvBackData(versionReply(INT_MIN, INT_MAX));
    const CDeviceDspData* data = dialog->dspData();
    EXPECT_EQ(data->info().chNumIn, 0);
    EXPECT_EQ(data->info().chNumOut, DspInfo::kMaxChannels);
    EXPECT_EQ(data->extraInCount(), -data->localInCount() - data->netInCount());
    EXPECT_EQ(data->extraOutCount(), DspInfo::kMaxChannels - data->localOutCount() - data->netOutCount());
}

TEST_F(DspDialogTest, RepliesOfOtherDevicesOrUntaggedAreIgnored)
{
    open();
    dialog->recvBackData(versionReply(4, 4, QStringLiteral("MRD-9999")));
    QJsonObject untagged = parse(versionReply(4, 4));
    untagged.remove(QStringLiteral("uiTag"));
    dialog->recvBackData(json(untagged));
    dialog->recvBackData(QStringLiteral("not json"));
    EXPECT_TRUE(tcp->isEmpty());
    EXPECT_EQ(dialog->dspData()->info().chNumIn, 0);
    EXPECT_EQ(dialog->diagramForm()->findChildren<FormDspDiagramInput*>().size(), 0);
}

TEST_F(DspDialogTest, ValidConfigurationDrawsStripsAndStartsCpuPolling)
{
    open();
    QSignalSpy refused(dialog.get(), &DevDspDialog::signal_showDialog);
    download(configReply(4, 4,
                         [](CDeviceDspData& d) {
                             addBlocks(d, true, 0, {CBaseItem::KindEq, CBaseItem::KindDelay});
                             addBlocks(d, false, 3, {CBaseItem::KindLimit});
                         }),
             4, 4);
    EXPECT_TRUE(refused.isEmpty());
    EXPECT_TRUE(dialog->isConfigured());
    DspDiagramForm* diagram = dialog->diagramForm();
    EXPECT_EQ(diagram->findChildren<FormDspDiagramInput*>().size(), 4);
    EXPECT_EQ(diagram->findChildren<FormDspDiagramOutput*>().size(), 4);
    EXPECT_NE(diagram->findChild<QPushButton*>(QStringLiteral("blk_in_0_1")), nullptr);
    EXPECT_NE(diagram->findChild<QPushButton*>(QStringLiteral("blk_out_3_0")), nullptr);
    EXPECT_EQ(diagram->inputStrip(0)->blockButtonCount(), 2);
    EXPECT_EQ(diagram->inputStrip(1)->blockButtonCount(), 0);
    EXPECT_EQ(diagram->inputStrip(0)->shownName(), QStringLiteral("AnalogIn1"));
    EXPECT_EQ(diagram->inputStrip(2)->shownName(), QStringLiteral("NetIn1"));
    EXPECT_TRUE(dialog->cpuTimer()->isActive());
    EXPECT_EQ(dialog->cpuTimer()->interval(), 500);
    EXPECT_EQ(dialog->volumeTimer()->interval(), 250);
    EXPECT_TRUE(dialog->loadingForm()->isHidden());
    EXPECT_EQ(dialog->channelForm()->dspData(), dialog->dspData());
    EXPECT_EQ(dialog->matrixForm()->dspData(), dialog->dspData());
}

struct CountCase
{
    const char* name;
    int grownNetIn;          ///< receive channels the device gained after the version reply
    int configIn, configOut; ///< channels of the configuration, also the processor's reported counts
    bool accepted;
};

class DspDialogCountTest : public DialogFixture, public ::testing::WithParamInterface<CountCase>
{
};

// The device lists 4 inputs and 4 outputs.
TEST_P(DspDialogCountTest, ConfigurationIsTakenUnlessTheDeviceListsChangedSinceTheVersion)
{
    const CountCase c = GetParam();
    AppState::setChinese(true);
    open();
    QSignalSpy refused(dialog.get(), &DevDspDialog::signal_showDialog);
    dialog->recvBackData(versionReply(c.configIn, c.configOut));
    DevDetailStore::instance().updateDevDetail(kDevId, [&](DevDetail_t& d) {
        for (int i = 0; i < c.grownNetIn; ++i)
            d.rxChNames << QStringLiteral("x");
    });
    dialog->handle_recvTcpMsg(configReply(c.configIn, c.configOut));
    EXPECT_EQ(dialog->isConfigured(), c.accepted);
    EXPECT_EQ(dialog->dspData()->inputs().size(), c.accepted ? c.configIn : 0);
    EXPECT_EQ(dialog->diagramForm()->inputStrip(c.configIn - 1) != nullptr, c.accepted);
    ASSERT_EQ(refused.size(), c.accepted ? 0 : 1);
    if (c.accepted) {
        // Every page and a meter reply sized for the device cope with the processor's own count.
        for (const char* page : {"pb_channelvoice", "pb_matrix", "pb_program", "pb_diagram"})
            dialog->findChild<QPushButton*>(QLatin1String(page))->click();
        dialog->recvBackData(reply(QStringLiteral("getVolumeDb"), true,
                                   {{"inArr", QJsonArray{"-10", "-10", "-10", "-10", "-10", "-10"}},
                                    {"outArr", QJsonArray{"-10", "-10", "-10", "-10", "-10"}}}));
    } else {
        EXPECT_EQ(refused.at(0).at(0).toString(), QStringLiteral("配置文件不合法，请刷新再重试"));
        EXPECT_FALSE(refused.at(0).at(1).toBool());
        EXPECT_FALSE(dialog->cpuTimer()->isActive());
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, DspDialogCountTest,
                         ::testing::Values(CountCase{"same", 0, 4, 4, true},
                                           CountCase{"extraProcessorChannels", 0, 6, 5, true},
                                           CountCase{"fewerInputs", 0, 3, 4, true},
                                           CountCase{"fewerBoth", 0, 1, 2, true},
                                           CountCase{"deviceGrewAfterVersion", 1, 4, 4, false}),
                         [](const ::testing::TestParamInfo<CountCase>& i) { return std::string(i.param.name); });

TEST_F(DspDialogTest, ConfigurationBeforeAnyVersionOrWithTooFewNodesIsNotTaken)
{
    open();
    dialog->handle_recvTcpMsg(configReply(4, 4));
    EXPECT_FALSE(dialog->isConfigured()) << "no version reply: the processor's counts are unknown";

    dialog->recvBackData(versionReply(4, 4));
    dialog->handle_recvTcpMsg(
        QStringLiteral(R"({"ops":"getConfig","result":"succ","config":{"version":"4","nodeArr":[{"type":"0"}]}})"));
    EXPECT_FALSE(dialog->isConfigured());
    dialog->handle_recvTcpMsg(configReply(4, 4));
    EXPECT_TRUE(dialog->isConfigured());
}

TEST_F(DspDialogTest, CpuLabelFollowsTheAverageNotTheMaximum)
{
    open();
    download(configReply(4, 4), 4, 4);
    auto* label = dialog->findChild<QLabel*>(QStringLiteral("lb_cpu"));
    ASSERT_NE(label, nullptr);
    EXPECT_FALSE(label->isHidden());

    dialog->recvBackData(reply(QStringLiteral("getCpuUsage"), true, {{"main", "50"}, {"arr", QJsonArray{"50", "95"}}}));
    EXPECT_EQ(label->text(), QStringLiteral("CPU:50-95(%)"));
    EXPECT_FALSE(label->property("cpuHigh").toBool());
    EXPECT_EQ(dialog->cpuMain(), 50);
    EXPECT_EQ(DspCpuFigures::instance().average(), 73);

    dialog->recvBackData(reply(QStringLiteral("getCpuUsage"), true, {{"main", "95"}, {"arr", QJsonArray{"95", "91"}}}));
    EXPECT_EQ(label->text(), QStringLiteral("CPU:95-91(%)"));
    EXPECT_TRUE(label->property("cpuHigh").toBool());
    EXPECT_TRUE(label->styleSheet().contains(QStringLiteral("#ff0000")));
}

TEST_F(DspDialogTest, UnconnectedShowsStatusAndReconnectsLater)
{
    AppState::setChinese(true);
    open();
    dialog->setReconnectDelay(30);
    QSignalSpy reconnect(dialog.get(), &DevDspDialog::signal_reconnect);
    dialog->tcpStateChanged(3);
    EXPECT_NE(dialog->statusText(), QStringLiteral("未连接"));
    dialog->tcpStateChanged(0);
    EXPECT_EQ(dialog->statusText(), QStringLiteral("未连接"));
    EXPECT_TRUE(dialog->loadingForm()->isHidden());
    EXPECT_TRUE(reconnect.isEmpty()) << "the new attempt waits";
    ASSERT_TRUE(reconnect.wait(2000));
    ASSERT_EQ(reconnect.size(), 1);
    EXPECT_EQ(reconnect.at(0).at(0).value<uint32_t>(), kDevIp);
}

TEST_F(DspDialogTest, SilenceOf31SecondsReportsLostConnectionOnAMonotonicClock)
{
    qint64 nowMs = 5000;
    open();
    dialog->setClock([&nowMs] { return nowMs; });
    download(configReply(4, 4), 4, 4);

    nowMs += 30999;
    dialog->getCpuUsageTimeOut();
    EXPECT_EQ(dialog->statusText(), QString());
    EXPECT_EQ(sentOps().last(), QStringLiteral("getCpuUsage"));

    nowMs += 1;
    dialog->getCpuUsageTimeOut();
    EXPECT_EQ(dialog->statusText(), QStringLiteral("连接已断开"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Hall DSP (音频处理) 连接已断开"));
    EXPECT_EQ(sentOps().last(), QStringLiteral("getCpuUsage")) << "polling goes on";

    // A reply resets the silence; the title is left as it is.
    dialog->recvBackData(versionReply(4, 4));
    dialog->getCpuUsageTimeOut();
    EXPECT_EQ(dialog->statusText(), QString());
    EXPECT_EQ(dialog->titleText(), QStringLiteral("Hall DSP (音频处理) 连接已断开"));
}

TEST_F(DspDialogTest, VolumeTickAsksMetersAndBatchModelsAskBothSides)
{
    open();
    dialog->getVolumeTimeOut();
    EXPECT_EQ(sent.last().text, QStringLiteral(R"({"ops":"getVolumeDb","uiTag":"dspUiTag"})"));

    dialog.reset();
    resetAll();
    sent.clear();
    TestDevice batch;
    batch.model = QStringLiteral("MRD-P64");
    open(batch);
    emit dialog->diagramForm()->signal_changeIdStart(16, true);
    dialog->getVolumeTimeOut();
    ASSERT_GE(sent.size(), 2);
    EXPECT_EQ(sent.at(sent.size() - 2).text,
              QStringLiteral(R"({"idStart":"0","ops":"getVolumeDbBatchIn","uiTag":"dspUiTag"})"));
    EXPECT_EQ(sent.last().text, QStringLiteral(R"({"idStart":"16","ops":"getVolumeDbBatchOut","uiTag":"dspUiTag"})"));
}

TEST_F(DspDialogTest, SeparateProcessorAddressFallsBackToTheDevice)
{
    TestDevice mixer;
    mixer.model = QStringLiteral("MRD-M8");
    open(mixer);
    EXPECT_EQ(dialog->dspHost(), kDevIp) << "an unknown processor address must not send to 0.0.0.0";

    dialog.reset();
    resetAll();
    DevDetailStore::instance().setDspAddress(kDevId, 0xC0A8010C);
    open(mixer);
    EXPECT_EQ(dialog->dspHost(), 0xC0A8010Cu);
    sent.clear();
    dialog->sendUdpRequest(QStringLiteral("{}"), 9990);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent.at(0).port, 9990);
    EXPECT_EQ(sent.at(0).ip, 0xC0A8010Cu);
}

TEST_F(DspDialogTest, VirtualMixerBuildsItsOwnConfigurationAndShowsOnlyTheMatrix)
{
    TestDevice mixer;
    mixer.model = QStringLiteral("MRV-MIX");
    open(mixer);
    EXPECT_FALSE(dialog->hasLink());
    EXPECT_TRUE(dialog->isConfigured());
    EXPECT_EQ(dialog->dspData()->inputs().size(), 4);
    EXPECT_EQ(dialog->dspData()->outputs().size(), 4);
    EXPECT_EQ(dialog->pages()->currentWidget(), dialog->matrixForm());
    EXPECT_TRUE(dialog->findChild<QPushButton*>(QStringLiteral("pb_diagram"))->isHidden());
    EXPECT_TRUE(dialog->findChild<QPushButton*>(QStringLiteral("pb_program"))->isHidden());
    EXPECT_FALSE(dialog->findChild<QPushButton*>(QStringLiteral("pb_matrix"))->isHidden());
    EXPECT_FALSE(dialog->cpuTimer()->isActive());
}

TEST_F(DspDialogTest, PageButtonsAndRepliesReachEveryPage)
{
    open();
    QStackedWidget* pages = dialog->pages();
    dialog->findChild<QPushButton*>(QStringLiteral("pb_channelvoice"))->click();
    EXPECT_EQ(pages->currentIndex(), 1);
    emit dialog->diagramForm()->showMatrix_signal();
    EXPECT_EQ(pages->currentIndex(), 2);
    QSignalSpy custom(dialog.get(), &DevDspDialog::signal_customControl);
    dialog->slot_customControl(QStringLiteral("other"));
    EXPECT_EQ(pages->currentIndex(), 2);
    dialog->slot_customControl(QStringLiteral("dsp_control"));
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(custom.size(), 1);

    download(configReply(4, 4), 4, 4);
    const int before = dialog->matrixForm()->receivedCount();
    dialog->recvBackData(reply(QStringLiteral("setMatrix"), true));
    EXPECT_EQ(dialog->matrixForm()->receivedCount(), before + 1);
    EXPECT_EQ(dialog->channelForm()->lastReceived(), reply(QStringLiteral("setMatrix"), true));
}

TEST_F(DspDialogTest, ProcessorsThatHideOutputGainRenameTwoPages)
{
    AppState::setChinese(true);
    open();
    auto* diagramButton = dialog->findChild<QPushButton*>(QStringLiteral("pb_diagram"));
    auto* programButton = dialog->findChild<QPushButton*>(QStringLiteral("pb_program"));
    EXPECT_EQ(diagramButton->text(), QStringLiteral("流程图"));
    QJsonObject version = parse(versionReply(4, 4));
    version.insert(QStringLiteral("funcList"), QStringLiteral("eq,hideOutGain"));
    dialog->recvBackData(json(version));
    EXPECT_EQ(diagramButton->text(), QStringLiteral("主页"));
    EXPECT_EQ(programButton->text(), QStringLiteral("场景"));
    EXPECT_EQ(dialog->titleText(), QStringLiteral("DSP Controll"));
}

} // namespace
