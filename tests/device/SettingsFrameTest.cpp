#include "DevWin.h"
#include "DeviceTestSupport.h"
#include "DeviceWindow.h"
#include "LoadingForm.h"
#include "ManagePasswd.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>

using namespace devicetest;

namespace {

class SettingsFrameTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        AppState::setChinese(false);
        addDevice(dev);
    }
    void TearDown() override
    {
        delete frame.data();
        DeviceTest::TearDown();
    }
    void open()
    {
        frame = new DevWin(dev.devId);
        frame->setClock([this] { return nowMs; });
        QCoreApplication::processEvents();
    }
    QString titleLabel() const { return frame->findChild<QLabel*>("title_label")->text(); }

    TestDevice dev;
    QPointer<DevWin> frame;
    qint64 nowMs = 1000000;
};

TEST_F(SettingsFrameTest, DropsMessagesOfOtherDevices)
{
    open();
    auto* log = frame->deviceWindow()->findChild<QPlainTextEdit*>("uart_log_te");
    auto* name = frame->deviceWindow()->findChild<QLineEdit*>("devName_le");
    QSignalSpy tips(frame->deviceWindow(), &DeviceWindow::signal_showTips);
    frame->recvBackData(R"({"ops":"sendUdpToUart","devId":"MRD-0002","back":"other"})");
    frame->recvBackData(R"({"ops":"setDevName","devId":"MRD-0002","result":"succ","name":"Other"})");
    EXPECT_TRUE(log->toPlainText().isEmpty());
    EXPECT_EQ(name->text(), dev.name);
    EXPECT_EQ(tips.count(), 0);

    // Messages without a devId belong to everyone.
    frame->recvBackData(R"({"ops":"sendUdpToUart","back":"mine"})");
    EXPECT_EQ(log->toPlainText(), "mine");

    // Another device's version reply keeps nobody alive.
    nowMs += 6000;
    frame->recvBackData(R"({"ops":"getVersion","devId":"MRD-0002","result":"succ"})");
    nowMs += 5000;
    frame->heartbeat();
    EXPECT_FALSE(frame->isOnline());
}

TEST_F(SettingsFrameTest, HeartbeatAsksForTheVersionAndTurnsTheTitleRedAfterElevenSeconds)
{
    open();
    QSignalSpy beats(frame.data(), &DevWin::sendSignal);
    EXPECT_EQ(titleLabel(), "设备(Stage Left)");

    frame->recvBackData(R"({"ops":"getVersion","devId":"MRD-0001","result":"succ"})");
    nowMs += 10999;
    frame->heartbeat();
    ASSERT_EQ(beats.count(), 1);
    EXPECT_EQ(beats.at(0).at(0).toString(), R"({"devId":"MRD-0001","ops":"getVersion"})");
    EXPECT_EQ(beats.at(0).at(1).toString(), dev.devId);
    EXPECT_TRUE(frame->isOnline());

    nowMs += 1;
    frame->heartbeat();
    EXPECT_FALSE(frame->isOnline());
    EXPECT_EQ(titleLabel(), "设备(Stage Left)  disconnected");
    EXPECT_TRUE(frame->findChild<QLabel*>("title_label")->styleSheet().contains("#ff4d4f"));

    frame->recvBackData(R"({"ops":"getVersion","devId":"MRD-0001","result":"succ"})");
    EXPECT_FALSE(frame->isOnline()) << "judged at the heartbeat, not on arrival";
    frame->heartbeat();
    EXPECT_TRUE(frame->isOnline());
    EXPECT_EQ(titleLabel(), "设备(Stage Left)");
}

TEST_F(SettingsFrameTest, NoHeartbeatOffline)
{
    AppState::setMode(AppState::kOfflineMode);
    open();
    QSignalSpy beats(frame.data(), &DevWin::sendSignal);
    QSignalSpy sent(frame.data(), &DevWin::sendDataSignal);
    nowMs += 60000;
    frame->heartbeat();
    EXPECT_EQ(beats.count(), 0);
    EXPECT_TRUE(frame->isOnline());
    EXPECT_TRUE(titleLabel().endsWith(" 离线模式"));
    QCoreApplication::processEvents();
    EXPECT_EQ(sent.count(), 0) << "no device requests offline";
}

TEST_F(SettingsFrameTest, LoadingOverlayReportsTheTimeOut)
{
    open();
    QSignalSpy dialog(frame.data(), &DevWin::signal_showDialog);
    emit frame->deviceWindow()->signal_showLoading(1);
    EXPECT_FALSE(frame->loadingForm()->isHidden());
    ASSERT_TRUE(dialog.wait(3000));
    EXPECT_EQ(dialog.at(0).at(0).toString(), "Device timed out and did not respond");
    EXPECT_TRUE(frame->loadingForm()->isHidden());

    AppState::setChinese(true);
    emit frame->deviceWindow()->signal_showLoading(1);
    ASSERT_TRUE(dialog.wait(3000));
    EXPECT_EQ(dialog.at(1).at(0).toString(), "设备超时未响应");

    // The awaited reply ends the wait without a message.
    emit frame->deviceWindow()->signal_showLoading(1, "custom");
    emit frame->deviceWindow()->signal_hideLoading();
    EXPECT_TRUE(frame->loadingForm()->isHidden());
    EXPECT_FALSE(dialog.wait(1500));
    EXPECT_EQ(dialog.count(), 2);
}

TEST_F(SettingsFrameTest, CloseDevClosesOnce)
{
    open();
    QSignalSpy closed(frame.data(), &DevWin::devWinClosed);
    frame->show();
    frame->recvBackData("closeDev");
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed.at(0).at(0).toString(), dev.devId);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame.isNull()) << "the frame deletes itself";
}

TEST_F(SettingsFrameTest, KeysLockAndNoEscape)
{
    open();
    frame->show();
    QSignalSpy lock(frame.data(), &DevWin::signal_lock);
    QTest::keyClick(frame.data(), Qt::Key_Escape);
    EXPECT_TRUE(frame->isVisible());

    QTest::keyClick(frame.data(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(lock.count(), 1);
    ManagePasswd* passwd = frame->passwordDialog();
    ASSERT_NE(passwd, nullptr);
    EXPECT_EQ(passwd->mode(), ManagePasswd::EnterPassword);
    EXPECT_EQ(passwd->devId(), dev.devId);
    passwd->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    AppState::setMode(AppState::kOfflineMode);
    QTest::keyClick(frame.data(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(lock.count(), 1) << "no unlocking offline";
    EXPECT_EQ(frame->passwordDialog(), nullptr);
}

TEST_F(SettingsFrameTest, CtrlEightOnlineNeedsItsSwitch)
{
    const struct
    {
        bool offline;
        bool switchOn;
        bool honoured;
    } cases[] = {{false, false, false}, {false, true, true}, {true, false, true}, {true, true, true}};
    open();
    frame->show();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "offline " << c.offline << ", switch " << c.switchOn);
        AppState::setMode(c.offline ? AppState::kOfflineMode : 10);
        AppState::setConfig(c.switchOn ? configWith({AppConfig::Switch::CanCtrl8}) : AppConfig());
        QSignalSpy custom(frame.data(), QOverload<QString>::of(&DevWin::signal_customControl));
        QTest::keyClick(frame.data(), Qt::Key_8, Qt::ControlModifier);
        ASSERT_EQ(custom.count(), c.honoured ? 1 : 0);
        if (c.honoured) {
            EXPECT_EQ(custom.at(0).at(0).toString(), dev.devId);
        }
    }
}

} // namespace
