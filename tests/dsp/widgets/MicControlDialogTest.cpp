// The microphone dialog on the diagram page: opening reads every setting down the serial tunnel, paced; a change
// sends its set command; the processor's answers move the controls; the save is confirmed once although every
// tunnel return arrives twice; garbled answers and other devices' returns change nothing.
#include "DspWidgetTestSupport.h"

#include "DspDiagramForm.h"
#include "MicControlDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

using namespace dsptest;

namespace {

class MicDialogTest : public DialogFixture
{
protected:
    void SetUp() override
    {
        open();
        download(configReply(4, 4), 4, 4);
        ASSERT_TRUE(dialog->isConfigured());
        diagram = dialog->diagramForm();
        diagram->setTunnelSender([this](const QString& message) {
            tunnel << parse(message);
            return true;
        });
        tips = std::make_unique<QSignalSpy>(diagram, &DspDiagramForm::signal_showTips);
    }

    /// Opens the dialog and waits for the reads it sends; notices land in `notices`.
    MicControlDialog* openMic()
    {
        diagram->findChild<QPushButton*>(QStringLiteral("pb_mic"))->click();
        MicControlDialog* mic = diagram->micDialog();
        if (mic == nullptr)
            return nullptr;
        mic->setNotifier([this](const QString& title, const QString& text) { notices << title + "|" + text; });
        EXPECT_TRUE(QTest::qWaitFor([mic] { return !mic->isSending(); }, 5000));
        return mic;
    }

    QStringList commands() const
    {
        QStringList out;
        for (const QJsonObject& o : tunnel)
            out << o.value("cmd").toString();
        return out;
    }

    /// A tunnel return as the dispatcher hands it to the windows (twice, as it does).
    void tunnelReturns(const QString& back, const QString& devId = kDevId)
    {
        const QString msg = json({{"ops", "sendUdpToUart"}, {"devId", devId}, {"back", back}});
        dialog->recvBackData(msg);
        dialog->recvBackData(msg);
    }

    template <typename W> W* widget(MicControlDialog* mic, const char* name)
    {
        W* w = mic->findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    DspDiagramForm* diagram = nullptr;
    QVector<QJsonObject> tunnel;
    QStringList notices;
    std::unique_ptr<QSignalSpy> tips;
};

TEST_F(MicDialogTest, OpeningReadsEverySettingThroughTheTunnelSpaced)
{
    diagram->findChild<QPushButton*>(QStringLiteral("pb_mic"))->click();
    MicControlDialog* mic = diagram->micDialog();
    ASSERT_NE(mic, nullptr);
    EXPECT_EQ(mic->windowTitle(), QStringLiteral("话筒参数控制"));
    // A serial line is not flooded: one command at once, the rest after each other.
    EXPECT_EQ(tunnel.size(), 1);
    ASSERT_TRUE(QTest::qWaitFor([mic] { return !mic->isSending(); }, 5000));
    EXPECT_EQ(commands(), MicCommands::readAll());
    EXPECT_EQ(tunnel.first(), QJsonObject({{"ops", "sendUdpToUart"}, {"devId", kDevId}, {"cmd", "IEr1\r\n"}}));
    for (const Datagram& d : sent) // the dialog's own polls go on meanwhile; none of them is a tunnel command
        EXPECT_FALSE(d.text.contains(QLatin1String("r1\r\n"))) << d.text.toStdString();

    // Opening again raises the same dialog and reads again.
    tunnel.clear();
    EXPECT_EQ(openMic(), mic);
    EXPECT_EQ(commands(), MicCommands::readAll());
}

TEST_F(MicDialogTest, AnswersMoveTheControls)
{
    MicControlDialog* mic = openMic();
    ASSERT_NE(mic, nullptr);
    tunnelReturns("IEr13\r\nIFr12\r\nIAr11\r\nINr14\r\nITr31\r\n");
    tunnelReturns("IGr0-20\r\nIGr1-6\r\nIMr11\r\nOVr2-12\r\nOMr01\r\nOVr3-3\r\n");
    EXPECT_EQ(widget<QComboBox>(mic, "cb_aec")->currentIndex(), 3);
    EXPECT_EQ(widget<QComboBox>(mic, "cb_afc")->currentIndex(), 2);
    EXPECT_EQ(widget<QComboBox>(mic, "cb_agc")->currentText(), QStringLiteral("开启"));
    EXPECT_EQ(widget<QComboBox>(mic, "cb_anc")->currentText(), QStringLiteral("4级"));
    EXPECT_TRUE(widget<QRadioButton>(mic, "rb_hpLocal")->isChecked());
    EXPECT_FALSE(widget<QRadioButton>(mic, "rb_hpRemote")->isChecked());
    EXPECT_EQ(widget<QSpinBox>(mic, "sb_micInGain")->value(), -20);
    EXPECT_EQ(widget<QSpinBox>(mic, "sb_localRefGain")->value(), -6);
    EXPECT_TRUE(widget<QCheckBox>(mic, "ck_localRefMute")->isChecked());
    EXPECT_EQ(widget<QSpinBox>(mic, "sb_interpOutGain")->value(), -12);
    EXPECT_TRUE(widget<QCheckBox>(mic, "ck_aecOutMute")->isChecked());
    EXPECT_FALSE(widget<QCheckBox>(mic, "ck_afcOutMute")->isChecked());
    EXPECT_EQ(mic->state().outChGain[3], -3) << "the headphone output is kept though it has no control";
    tunnel.clear();
    EXPECT_TRUE(commands().isEmpty()) << "showing an answer sends nothing back";
}

TEST_F(MicDialogTest, GarbledAnswersAndOtherDevicesChangeNothing)
{
    MicControlDialog* mic = openMic();
    ASSERT_NE(mic, nullptr);
    tunnelReturns("IEr12\r\nIGr2-9\r\n");
    const MicState before = mic->state();
    for (const QString& back :
         {QStringLiteral("IEr19"), QStringLiteral("IEr2"), QStringLiteral("IEr1x"), QStringLiteral("IGr7-3"),
          QStringLiteral("IGr2-600"), QStringLiteral("IGr2 -3"), QStringLiteral("XXr11"),
          QString(5000, QLatin1Char('I')), QStringLiteral("IEr14\r\n") + QString(5000, QLatin1Char('\n')),
          QStringLiteral("\x01\x02\x03")})
        tunnelReturns(back);
    tunnelReturns("IEr15", QStringLiteral("MRD-9999"));
    EXPECT_EQ(mic->state(), before);
    EXPECT_EQ(widget<QComboBox>(mic, "cb_aec")->currentIndex(), 2);
    EXPECT_EQ(widget<QSpinBox>(mic, "sb_remoteRefGain")->value(), -9);
    EXPECT_TRUE(notices.isEmpty());
}

TEST_F(MicDialogTest, EachChangeSendsItsSetCommand)
{
    MicControlDialog* mic = openMic();
    ASSERT_NE(mic, nullptr);
    mic->setSendSpacing(0);
    tunnel.clear();
    auto* aec = widget<QComboBox>(mic, "cb_aec");
    aec->setCurrentIndex(4);
    emit aec->activated(4);
    auto* agc = widget<QComboBox>(mic, "cb_agc");
    agc->setCurrentIndex(1);
    emit agc->activated(1);
    widget<QSpinBox>(mic, "sb_micInGain")->setValue(12);
    widget<QSpinBox>(mic, "sb_interpInGain")->setValue(-30);
    widget<QCheckBox>(mic, "ck_remoteRefMute")->click();
    widget<QCheckBox>(mic, "ck_afcOutMute")->click();
    widget<QSpinBox>(mic, "sb_aecOutGain")->setValue(-60);
    widget<QRadioButton>(mic, "rb_hpLocal")->click();
    EXPECT_EQ(commands(), QStringList({"IEs14\r\n", "IAs11\r\n", "IGs012\r\n", "IGs3-30\r\n", "IMs21\r\n", "OMs11\r\n",
                                       "OVs0-60\r\n", "ITs31\r\n"}));
    for (const QJsonObject& o : tunnel)
        EXPECT_EQ(o.value("devId").toString(), kDevId);
    EXPECT_EQ(mic->state().aecLev, 4);
    EXPECT_EQ(mic->state().inChGain[3], -30);
    // Beyond the range the spin box stops; nothing out of range leaves.
    tunnel.clear();
    widget<QSpinBox>(mic, "sb_micInGain")->setValue(99);
    EXPECT_EQ(commands(), QStringList({"IGs024\r\n"}));
}

TEST_F(MicDialogTest, SaveIsConfirmedOnceAndOnlyWhenAsked)
{
    MicControlDialog* mic = openMic();
    ASSERT_NE(mic, nullptr);
    tunnelReturns("SSs1\r\n");
    EXPECT_TRUE(notices.isEmpty()) << "a confirmation nobody asked for";
    tunnel.clear();
    widget<QPushButton>(mic, "pb_saveParam")->click();
    EXPECT_EQ(commands(), QStringList({"SSs1\r\n"}));
    EXPECT_TRUE(mic->isSavePending());
    tunnelReturns("SSs1OK\r\n");
    EXPECT_TRUE(notices.isEmpty()) << "garbled";
    tunnelReturns("SSs1\r\n"); // reaches the page twice
    EXPECT_EQ(notices, QStringList({"提示|保存成功"}));
    EXPECT_FALSE(mic->isSavePending());
}

TEST_F(MicDialogTest, OfflineThereIsNoMicrophone)
{
    diagram->setOffline(true);
    diagram->findChild<QPushButton*>(QStringLiteral("pb_mic"))->click();
    EXPECT_EQ(diagram->micDialog(), nullptr);
    EXPECT_EQ(tips->size(), 1);
    diagram->slot_sendUdpToUartMsg(QStringLiteral("IEr1\r\n"));
    EXPECT_TRUE(tunnel.isEmpty());
}

TEST(MicControlDialog, WaitingChangesOfOneSettingCollapseAndTheQueueIsBounded)
{
    app();
    MicControlDialog mic;
    mic.setSendSpacing(60000); // nothing leaves after the first during the test
    QSignalSpy sent(&mic, &MicControlDialog::signal_sendUartMsg);
    auto* spin = mic.findChild<QSpinBox*>(QStringLiteral("sb_localRefGain"));
    for (int db = -1; db >= -10; --db)
        spin->setValue(db);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent.at(0).at(0).toString(), "IGs1-1\r\n");
    EXPECT_EQ(mic.queuedCount(), 1) << "nine steps waiting became one";
    mic.readAll();
    mic.readAll();
    EXPECT_EQ(mic.queuedCount(), 1 + MicCommands::readAll().size()) << "a read waiting is not asked twice";
    // Held keys on every control still leave one waiting command per setting.
    for (int i = 0; i < 100; ++i) {
        for (QSpinBox* spin : mic.findChildren<QSpinBox*>())
            spin->setValue(i % 20 - 10);
        for (QCheckBox* box : mic.findChildren<QCheckBox*>())
            box->click();
    }
    const int settings = 7 + 6; // seven gains, six mutes
    EXPECT_EQ(mic.queuedCount(), MicCommands::readAll().size() + settings);
    EXPECT_LE(mic.queuedCount(), MicControlDialog::kMaxQueued);
}

} // namespace
