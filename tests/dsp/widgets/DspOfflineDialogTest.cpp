// The processor dialog on a device of the offline design: edits change its configuration only, nothing leaves,
// and the diagram's save hands the configuration to the design.
#include "DspWidgetTestSupport.h"

#include "CChainChannel.h"
#include "Channel.h"
#include "DspAecChannel.h"
#include "DspBlockBaseForm.h"
#include "DspChannelVolumeForm.h"
#include "DspDiagramForm.h"
#include "DspMatrix.h"
#include "DspMatrixForm.h"
#include "DspNodeForm.h"
#include "DspProgramForm.h"
#include "DspSideChannelStrip.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QStackedWidget>

#include <functional>

using namespace dsptest;

namespace {

const QString kOfflineId = QStringLiteral("OFF-MRD-M16-1");

class DspOfflineDialogTest : public ::testing::Test
{
public: // the edit table's steps reach in
    DspOfflineDialogTest()
    {
        app();
        resetAll();
    }
    ~DspOfflineDialogTest() override { resetAll(); }

    /// Opens the dialog on a 4 x 4 design device whose configuration has a limiter on input 1 and an echo-cancelled
    /// channel.
    void open(const QString& model = QStringLiteral("MRD-M16"))
    {
        auto config = std::make_unique<CDeviceDspData>();
        config->parse(DspDefaultConfig::reply(4, 4, 48000), QString(), true);
        addBlocks(*config, true, 1, {CBaseItem::KindLimit});
        config->aecChannels().append(new DspAecChannel(4));
        config->fitMatrix();
        DevDspDialog::OfflineTarget target;
        target.devId = kOfflineId;
        target.name = QStringLiteral("Design DSP");
        target.model = model;
        target.localIn = 2;
        target.netIn = 2;
        target.localOut = 2;
        target.netOut = 2;
        target.sampleRate = 96000;
        dialog = std::make_unique<DevDspDialog>();
        dialog->setUdpSender([this](const QByteArray& data, uint32_t, quint16) {
            sent << QString::fromUtf8(data);
            return int(data.size());
        });
        tcp = std::make_unique<QSignalSpy>(dialog.get(), &DevDspDialog::signal_sendTcpMsg);
        dialog->initOfflineUi(target, std::move(config), [this](const CDeviceDspData& d) {
            saved << QString::fromUtf8(d.writeConfigText(QString(), true));
            return saverSucceeds;
        });
        diagram = dialog->diagramForm();
        diagram->setAsker([](const QString&) { return true; });
    }

    QString configText() const { return QString::fromUtf8(dialog->dspData()->writeConfigText(QString(), true)); }

    std::unique_ptr<DevDspDialog> dialog;
    std::unique_ptr<QSignalSpy> tcp;
    DspDiagramForm* diagram = nullptr;
    QStringList sent;
    QStringList saved;
    bool saverSucceeds = true;
};

TEST_F(DspOfflineDialogTest, OpensOnTheDesignsConfigurationWithoutLinkOrPolling)
{
    open();
    ASSERT_NE(dialog->dspData(), nullptr);
    EXPECT_TRUE(dialog->isOfflineUi());
    EXPECT_FALSE(dialog->hasLink());
    EXPECT_TRUE(dialog->isConfigured());
    EXPECT_EQ(dialog->dspData()->devId(), kOfflineId);
    EXPECT_EQ(dialog->dspData()->sampleRate(), 96000);
    EXPECT_EQ(dialog->dspData()->input(1)->blocks().size(), 1);
    EXPECT_EQ(diagram->dspData(), dialog->dspData());
    EXPECT_EQ(dialog->matrixForm()->dspData(), dialog->dspData());
    EXPECT_TRUE(diagram->isOffline());
    EXPECT_TRUE(dialog->channelForm()->isOffline());
    EXPECT_TRUE(dialog->matrixForm()->isOffline());
    EXPECT_TRUE(dialog->programForm()->isOffline());
    EXPECT_FALSE(dialog->volumeTimer()->isActive());
    EXPECT_FALSE(dialog->cpuTimer()->isActive());

    // Even when driven by hand, the polls and a connection stay silent; a real device's reply is not the design's.
    dialog->getVolumeTimeOut();
    dialog->getCpuUsageTimeOut();
    dialog->tcpConnected(QStringLiteral("x"), true);
    dialog->recvBackData(versionReply(9, 9, kOfflineId));
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_TRUE(tcp->isEmpty());
    EXPECT_EQ(dialog->dspData()->sampleRate(), 96000);
}

// Each edit must reach the configuration and nothing may leave the dialog.
TEST_F(DspOfflineDialogTest, EditsChangeTheConfigurationAndSendNothing)
{
    struct Edit
    {
        const char* what;
        std::function<bool(DspOfflineDialogTest&)> run;
    };
    const Edit edits[] = {
        {"add block", [](auto& t) { return t.diagram->addBlock(CBaseItem::KindEq, true, 0, 0); }},
        {"diagram bypass", [](auto& t) { return t.diagram->toggleBypass(true, 1, 0); }},
        {"diagram mute", [](auto& t) { return t.diagram->setChannelMute(false, 2, true); }},
        {"diagram gain", [](auto& t) { return t.diagram->setChannelGain(true, 3, -7.5); }},
        {"diagram group", [](auto& t) { return t.diagram->setChannelGroup(true, 0, 2); }},
        {"block editor value",
         [](auto& t) {
             DspBlockBaseForm* e = t.diagram->showBlockDialog(true, 1, 0);
             auto* spin = e != nullptr ? e->template findChild<QDoubleSpinBox*>() : nullptr;
             if (spin == nullptr)
                 return false;
             spin->setValue(spin->value() == spin->minimum() ? spin->maximum() : spin->minimum());
             e->close();
             return true;
         }},
        {"block editor bypass",
         [](auto& t) {
             DspBlockBaseForm* e = t.diagram->showBlockDialog(true, 1, 0);
             auto* b = e != nullptr ? e->template findChild<QPushButton*>(QStringLiteral("bypass_bt")) : nullptr;
             if (b == nullptr)
                 return false;
             b->click();
             e->close();
             return true;
         }},
        {"matrix crosspoint",
         [](auto& t) {
             t.dialog->on_pb_matrix_clicked();
             t.dialog->matrixForm()->on_checkBox_clicked(1, 2);
             t.dialog->matrixForm()->volumeTick();
             t.dialog->matrixForm()->sendRequest();
             return true;
         }},
        {"channel page gain",
         [](auto& t) {
             t.dialog->on_pb_channelvoice_clicked();
             return t.dialog->channelForm()->setChannelGain(DspChannelVolumeForm::Output, 1, -3);
         }},
        {"aec node",
         [](auto& t) {
             DspNodeForm* e = t.diagram->showNodeEditor(DspSideChannelStrip::Aec, 0);
             auto* near = e != nullptr ? e->template findChild<QCheckBox*>(QStringLiteral("aec_near_ch_2")) : nullptr;
             if (near == nullptr)
                 return false;
             const QString before = t.configText();
             near->click();
             e->getVolumeTimeout();
             e->close();
             return t.configText() != before;
         }},
        {"save",
         [](auto& t) {
             t.diagram->on_pb_save_clicked();
             return !t.saved.isEmpty();
         }},
    };
    for (const Edit& edit : edits) {
        open();
        const QString before = configText();
        EXPECT_TRUE(edit.run(*this)) << edit.what;
        if (QLatin1String(edit.what) != QLatin1String("save")) {
            EXPECT_NE(configText(), before) << edit.what << ": the edit must reach the configuration";
        }
        EXPECT_TRUE(sent.isEmpty()) << edit.what << ": " << sent.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(tcp->isEmpty()) << edit.what;
    }
}

TEST_F(DspOfflineDialogTest, NamesAndLinksStayInTheDialog)
{
    open();
    QSignalSpy tips(diagram, &DspDiagramForm::signal_showTips);
    EXPECT_FALSE(diagram->setChannelName(true, 0, QStringLiteral("Lectern")));
    ASSERT_FALSE(tips.isEmpty());
    EXPECT_EQ(tips.last().at(0).toString(), QStringLiteral("设置失败，请重新设置"));

    addBlocks(*dialog->dspData(), true, 0, {CBaseItem::KindLimit}); // inputs 0 and 1 alike now
    diagram->refreshData();
    EXPECT_TRUE(diagram->linkChannel(true, 0, 1));
    EXPECT_EQ(tips.last().at(0).toString(), QStringLiteral("链接成功"));
    EXPECT_GE(dialog->dspData()->input(0)->block(0)->groupId(), 0);
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_TRUE(tcp->isEmpty());
}

TEST_F(DspOfflineDialogTest, SaveHandsTheConfigurationToTheDesignAndUndoReturnsToIt)
{
    struct Case
    {
        bool succeeds;
        const char* tip;
    };
    for (const Case c : {Case{true, "保存配置成功"}, Case{false, "保存配置失败"}}) {
        open();
        saverSucceeds = c.succeeds;
        QSignalSpy tips(diagram, &DspDiagramForm::signal_showTips);
        ASSERT_TRUE(diagram->addBlock(CBaseItem::KindDelay, false, 3, 0));
        const QString edited = configText();
        diagram->on_pb_save_clicked();
        ASSERT_EQ(saved.size(), 1);
        EXPECT_EQ(saved.at(0), edited) << "the saver gets the configuration as edited";
        EXPECT_EQ(tips.last().at(0).toString(), QString::fromUtf8(c.tip));

        // Undo goes back to what the design holds: the saved state, or the opened one when the save failed.
        ASSERT_TRUE(diagram->addBlock(CBaseItem::KindLimit, false, 0, 0));
        diagram->on_pb_undo_clicked();
        EXPECT_EQ(dialog->dspData()->output(3)->blocks().size(), c.succeeds ? 1 : 0);
        EXPECT_EQ(dialog->dspData()->output(0)->blocks().size(), 0);
        EXPECT_TRUE(sent.isEmpty());
        EXPECT_TRUE(tcp->isEmpty());
        saved.clear();
    }
}

TEST_F(DspOfflineDialogTest, AVirtualMixerOpensOnItsMatrixOnly)
{
    open(QStringLiteral("MRV-MIX"));
    EXPECT_EQ(dialog->pages()->currentWidget(), dialog->matrixForm());
    EXPECT_TRUE(dialog->findChild<QPushButton*>(QStringLiteral("pb_diagram"))->isHidden());
    EXPECT_FALSE(dialog->findChild<QPushButton*>(QStringLiteral("pb_matrix"))->isHidden());
}

} // namespace
