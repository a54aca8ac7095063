// The device window opens one processor dialog for processor models and hands it the processor's replies.
#include "DspWidgetTestSupport.h"

#include "DeviceWindow.h"

using namespace dsptest;

namespace {

class DspDeviceWindowTest : public ::testing::Test
{
protected:
    DspDeviceWindowTest()
    {
        app();
        resetAll();
    }
    ~DspDeviceWindowTest() override { resetAll(); }
};

TEST_F(DspDeviceWindowTest, ModelsWithoutProcessorKeepTheNotice)
{
    TestDevice plain;
    plain.model = QStringLiteral("MRD-A16");
    addDevice(plain);
    DeviceWindow window(kDevId);
    QSignalSpy tips(&window, &DeviceWindow::signal_showTips);
    window.on_dsp_bt_clicked();
    ASSERT_EQ(tips.size(), 1);
    EXPECT_EQ(tips.at(0).at(0).toString(), QStringLiteral("暂不可用"));
    EXPECT_EQ(window.findChild<DevDspDialog*>(), nullptr);
}

TEST_F(DspDeviceWindowTest, OneDialogPerWindowReceivingTheProcessorReplies)
{
    TestDevice dsp;
    dsp.ip = 0x7F000002; // loopback: the dialog's link may try to connect
    addDevice(dsp);
    DeviceWindow window(kDevId);
    window.on_dsp_bt_clicked();
    window.on_dsp_bt_clicked();
    const QList<DevDspDialog*> dialogs = window.findChildren<DevDspDialog*>();
    ASSERT_EQ(dialogs.size(), 1);
    DevDspDialog* dialog = dialogs.at(0);
    EXPECT_TRUE(dialog->hasLink());
    EXPECT_EQ(dialog->dspHost(), 0x7F000002u);

    window.recvBackData(versionReply(4, 4));
    EXPECT_EQ(dialog->dspData()->info().chNumIn, 4);
    dialog->close(); // stops the link thread and frees the configuration
    EXPECT_EQ(dialog->dspData(), nullptr);
}

} // namespace
