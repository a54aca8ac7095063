// The test page of a device window: factory mode through Ctrl+8, the configuration edit's gates, GPIO editing
// with its limit and file, the factory reset's lock rule, SSH, the UDP tool and the priorities.
#include "AudioCfgEditor.h"
#include "DevInfoPanel.h"
#include "DevWin.h"
#include "DeviceTestSupport.h"
#include "DeviceWindow.h"
#include "FactoryAccess.h"
#include "FactoryCodePrompt.h"
#include "FileDialogs.h"
#include "GpioInfo.h"
#include "GpioPanel.h"
#include "MySnackbar.h"
#include "OfflineData.h"
#include "OfflineDevice.h"
#include "OfflineDeviceType.h"
#include "SaltedCode.h"
#include "ServiceRequests.h"
#include "ServiceWorker.h"
#include "UdpToolPanel.h"
#include "devtest.h"

#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace devicetest;

namespace {

const char* const kMode1 = "1357";
const char* const kMode2 = "2468";
const char* const kMode0 = "1000";
const char* const kShowAll = "135790";

/// Runs the event loop until `done` or `ms` passed.
template <typename F> bool waitFor(F done, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    QCoreApplication::processEvents();
    return done();
}

bool workersDone()
{
    return waitFor([] { return ServiceWorker::running() == 0; });
}

struct Call
{
    QByteArray request;
    QHostAddress address;
    quint16 port;
};

class DevTestPageTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        const QByteArray salt = "page-test";
        digests = {SaltedCode::digestOf(salt, kMode1), SaltedCode::digestOf(salt, kMode2),
                   SaltedCode::digestOf(salt, kMode0), SaltedCode::digestOf(salt, kShowAll)};
        FactoryAccess::installTable(
            {{{salt.constData(), digests[0].constData()}, FactoryAccess::Grant::UserMode1},
             {{salt.constData(), digests[1].constData()}, FactoryAccess::Grant::UserMode2},
             {{salt.constData(), digests[2].constData()}, FactoryAccess::Grant::UserMode0},
             {{salt.constData(), digests[3].constData()}, FactoryAccess::Grant::ShowAllDevices}});
        FactoryAccess::apply(FactoryAccess::Grant::UserMode0);
        AppState::setConfig(configWith({AppConfig::Switch::CanCtrl8, AppConfig::Switch::CanResetFactory}));
        addDevice(dev);
        setFirmware("3.1.2");
    }
    void TearDown() override
    {
        EXPECT_TRUE(workersDone());
        delete frame.data();
        FileDialogs::setAnswerer(nullptr);
        FactoryAccess::apply(FactoryAccess::Grant::UserMode0);
        FactoryAccess::installTable({});
        DeviceTest::TearDown();
    }
    void setFirmware(const QString& firmware)
    {
        DevDetailStore::instance().updateDevDetail(dev.devId, [&](DevDetail_t& d) { d.firmwareVersion = firmware; });
    }
    void open()
    {
        frame = new DevWin(dev.devId);
        frame->show();
        page = frame->deviceWindow()->testPage();
        frame->deviceWindow()->setAsker([this](const QString& q) {
            questions << q;
            return answerYes;
        });
        page->setRunner([this](const QByteArray& request, const QHostAddress& address, quint16 port) {
            QMutexLocker lock(&callMutex);
            calls.push_back({request, address, port});
            return scripted.isEmpty()
                       ? WaitedUdpRequest::Result{WaitedUdpRequest::Outcome::NoReturn, "No Return With 2000ms"}
                       : scripted.takeFirst();
        });
        tips = std::make_unique<QSignalSpy>(frame->deviceWindow(), &DeviceWindow::signal_showTips);
        commands = std::make_unique<QSignalSpy>(frame->deviceWindow(), &DeviceWindow::sendChangeData);
        QCoreApplication::processEvents();
    }
    /// Ctrl+8 and the code typed into the prompt.
    void enterCode(const QString& code)
    {
        QTest::keyClick(frame.data(), Qt::Key_8, Qt::ControlModifier);
        ASSERT_NE(frame->factoryPrompt(), nullptr);
        frame->factoryPrompt()->codeEdit()->setText(code);
        frame->factoryPrompt()->on_ok_bt_clicked();
        settle();
    }
    /// Lets closed prompts go.
    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool shown(const char* box) const { return page->findChild<QGroupBox*>(box)->isVisibleTo(page); }
    void reply(const QJsonObject& o)
    {
        QJsonObject r = o;
        r.insert("devId", dev.devId);
        frame->recvBackData(compact(r));
    }
    std::vector<Call> takeCalls()
    {
        EXPECT_TRUE(workersDone());
        QMutexLocker lock(&callMutex);
        std::vector<Call> out;
        out.swap(calls);
        return out;
    }
    void showPage() { frame->deviceWindow()->btGroupclicked(DeviceWindow::BtTest); }

    TestDevice dev;
    QVector<QByteArray> digests;
    QPointer<DevWin> frame;
    devtest* page = nullptr;
    std::unique_ptr<QSignalSpy> tips;
    std::unique_ptr<QSignalSpy> commands;
    QStringList questions;
    bool answerYes = true;
    QMutex callMutex;
    std::vector<Call> calls;
    QVector<WaitedUdpRequest::Result> scripted;
};

TEST_F(DevTestPageTest, FactoryCodesSwitchThePanelSets)
{
    open();
    showPage();
    EXPECT_TRUE(page->isVisible()) << "the page sits under the button 测试";
    QSignalSpy modes(frame.data(), &DevWin::signal_userModeChanged);
    const struct
    {
        const char* code;
        int mode;
        bool info, udp, cfg;
        const char* tip;
    } steps[] = {
        {"", 0, false, false, false, "密码错误!"}, {"9999", 0, false, false, false, "密码错误!"},
        {kMode1, 1, true, true, false, nullptr},   {kMode2, 2, true, true, true, nullptr},
        {kShowAll, 2, true, true, true, nullptr},  {kMode1, 1, true, true, false, nullptr},
        {kMode0, 0, false, false, false, nullptr},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.code);
        enterCode(s.code);
        EXPECT_EQ(page->userMode(), s.mode);
        EXPECT_EQ(shown("infoBox"), s.info) << "firmware 3.1.2 shows information only in factory mode";
        EXPECT_EQ(shown("udpBox"), s.udp);
        EXPECT_EQ(shown("gpioBox"), s.udp);
        EXPECT_EQ(shown("cfgBox"), s.cfg);
        if (s.tip != nullptr) {
            EXPECT_TRUE(lastText(*tips).isEmpty()) << "the frame's snackbar tells, not the page";
            EXPECT_EQ(frame->snackbar()->text(), QString::fromUtf8(s.tip));
        }
    }
    EXPECT_EQ(modes.count(), 4) << "0→1→2, the flag changes no mode, 2→1→0";
    EXPECT_FALSE(FactoryAccess::showAllDevices()) << "user mode 0 clears the flag";
}

TEST_F(DevTestPageTest, InformationStaysInModeZeroFromFirmware314)
{
    for (const char* firmware : {"3.1.3", "3.1.4", "3.2.0", "3.1.10"}) {
        SCOPED_TRACE(firmware);
        setFirmware(firmware);
        open();
        const bool expected = QString(firmware) >= "3.1.4";
        EXPECT_EQ(shown("infoBox"), expected);
        EXPECT_FALSE(shown("serviceBox"));
        EXPECT_EQ(page->findChild<QWidget*>("emptyTest_label")->isVisibleTo(page), !expected);
        delete frame.data();
    }
}

TEST_F(DevTestPageTest, InformationPanelShowsTheReplies)
{
    open();
    enterCode(kMode1);
    reply({{"ops", "getDebugInfo"}, {"result", "succ"}, {"temp", "41500"}, {"uptime", "3725"}, {"model", "MRD-A16"}});
    reply({{"ops", "getOemData"}, {"result", "succ"}, {"name", "cpuKHz"}, {"val", "816000"}});
    EXPECT_EQ(page->infoPanel()->temperatureText(), "41.5 °C");
    EXPECT_EQ(page->infoPanel()->uptimeText(), "1:02:05");
    EXPECT_EQ(page->infoPanel()->cpuText(), "816000 kHz");
    EXPECT_TRUE(page->infoPanel()->versionText().startsWith("3.1.2"));
    // A hostile text stays one bounded line.
    reply({{"ops", "getDebugInfo"}, {"result", "succ"}, {"model", QString(5000, 'M') + "\nX"}, {"uptime", "-5"}});
    EXPECT_EQ(page->infoPanel()->uptimeText(), "-");
    EXPECT_LE(page->findChild<QLabel*>("model_value")->text().size(), 65);

    // The second amplifier module's figures come only from the page's own tagged answer.
    auto* module = page->findChild<QLabel*>("module2_value");
    ASSERT_NE(module, nullptr);
    reply({{"ops", "getPowerGainInfo"}, {"result", "succ"}, {"powerArr", QJsonArray{"1", "1"}}});
    EXPECT_TRUE(page->infoPanel()->moduleText().isEmpty()) << "the levels page's answer";
    const QString tag = QJsonDocument::fromJson(ServiceRequests::moduleRequest()).object().value("uiTag").toString();
    reply({{"ops", "getPowerGainInfo"},
           {"result", "succ"},
           {"uiTag", tag},
           {"powerArr", QJsonArray{"1", "0"}},
           {"gainArr", QJsonArray{"20", "26"}}});
    EXPECT_EQ(page->infoPanel()->moduleText(), "2 ch, power 1/2, steps 20/26 dB");
    EXPECT_FALSE(module->isHidden());
}

TEST_F(DevTestPageTest, ConfigurationEditGates)
{
    open();
    enterCode(kMode2);
    auto modify = [this] { page->findChild<QPushButton*>("pb_modifycfg")->click(); };
    settle();
    const QString cfg = "chNum_dspFromNet=8\nchNum_dspToNet=8\nmodel=MRD-A16\nsampleRate=48000\ninv_bclk=0";

    // Old firmware: refused before any prompt, nothing sent.
    setFirmware("2.9.9");
    reply({{"ops", "getCfg"}, {"result", "succ"}, {"cfg", cfg}});
    commands->clear();
    modify();
    EXPECT_EQ(lastText(*tips), "该设备不支持修改配置");
    EXPECT_EQ(frame->findChild<FactoryCodePrompt*>(), nullptr);
    EXPECT_TRUE(messages(*commands, "setCfg").isEmpty());

    // A wrong code, and the code of the first set, are refused; nothing sent.
    setFirmware("3.0.0");
    for (const char* code : {"0000", kMode1}) {
        modify();
        auto* prompt = page->findChild<FactoryCodePrompt*>();
        ASSERT_NE(prompt, nullptr);
        prompt->codeEdit()->setText(code);
        prompt->on_ok_bt_clicked();
        settle();
        EXPECT_EQ(lastText(*tips), "密码错误!") << code;
        EXPECT_TRUE(messages(*commands, "setCfg").isEmpty()) << code;
    }

    // The right code sends the edited text with every other line kept.
    page->findChild<QSpinBox*>("cfg_chNum_dspToNet")->setValue(16);
    page->findChild<QComboBox*>("cfg_sampleRate")->setCurrentText("96000");
    EXPECT_FALSE(page->findChild<QComboBox*>("cfg_mclk")->isEnabled()) << "a key the device lacks is not offered";
    modify();
    auto* prompt = page->findChild<FactoryCodePrompt*>();
    ASSERT_NE(prompt, nullptr);
    prompt->codeEdit()->setText(kMode2);
    prompt->on_ok_bt_clicked();
    const auto sent = messages(*commands, "setCfg");
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].value("cfg").toString(),
              "chNum_dspFromNet=8\nchNum_dspToNet=16\nmodel=MRD-A16\nsampleRate=96000\ninv_bclk=0");

    // Success asks for the reboot; yes sends it.
    questions.clear();
    reply({{"ops", "setCfg"}, {"result", "succ"}});
    EXPECT_EQ(questions, QStringList{"Set successfully, effective after reboot, whether immediately reboot?"});
    EXPECT_EQ(messages(*commands, "reboot").size(), 1);
    reply({{"ops", "setCfg"}, {"result", "fail"}, {"reason", "bad cfg"}});
    EXPECT_EQ(lastText(*tips), "设置失败");
}

TEST_F(DevTestPageTest, ConfigurationNotReadOrOutOfChoicesIsNotSent)
{
    open();
    enterCode(kMode2);
    page->findChild<QPushButton*>("pb_modifycfg")->click();
    EXPECT_EQ(messages(*commands, "getCfg").size(), 1) << "the text is read first";
    EXPECT_EQ(page->findChild<FactoryCodePrompt*>(), nullptr);
    // A device value outside the choices is shown, and sending it back is refused with the key's name.
    reply({{"ops", "getCfg"}, {"result", "succ"}, {"cfg", "mclk=11111"}});
    page->findChild<QPushButton*>("pb_modifycfg")->click();
    EXPECT_TRUE(lastText(*tips).startsWith("主时钟频率")) << lastText(*tips).toStdString();
    EXPECT_EQ(page->findChild<FactoryCodePrompt*>(), nullptr);
    // An oversized text is refused whole.
    reply({{"ops", "getCfg"}, {"result", "succ"}, {"cfg", QString(40000, 'x')}});
    EXPECT_EQ(lastText(*tips), "获取失败");
}

TEST_F(DevTestPageTest, GpioPortsReadSavedAndLimited)
{
    open();
    enterCode(kMode1);
    GpioPanel* gpio = page->gpioPanel();
    page->findChild<QPushButton*>("pb_io_3")->click();
    auto reads = messages(*commands, "getGpioInfo");
    ASSERT_EQ(reads.size(), 1);
    EXPECT_EQ(reads[0].value("index").toString(), "GPIO_3");

    GpioInfo g;
    g.direction = 1;
    g.channelId = 7;
    g.programId = 15;
    g.customCmd = "go";
    reply({{"ops", "getGpioInfo"}, {"result", "succ"}, {"index", "GPIO_3"}, {"gpioInfo", g.toJson()}});
    EXPECT_EQ(gpio->edited(), g);
    EXPECT_EQ(page->findChild<QComboBox*>("gpio_program_cb")->currentText(), "程式15");
    // Another port's answer is kept but not shown; a bad one is refused.
    reply({{"ops", "getGpioInfo"}, {"result", "succ"}, {"index", "GPIO_5"}, {"gpioInfo", GpioInfo().toJson()}});
    EXPECT_EQ(gpio->edited(), g);
    reply({{"ops", "getGpioInfo"}, {"result", "succ"}, {"index", "GPIO_9"}, {"gpioInfo", g.toJson()}});
    EXPECT_EQ(lastText(*tips), "获取失败");
    reply({{"ops", "getGpioInfo"},
           {"result", "succ"},
           {"index", "GPIO_3"},
           {"gpioInfo", QJsonObject{{"customCmd", QString(300, 'x')}}}});
    EXPECT_EQ(lastText(*tips), "获取失败");
    EXPECT_EQ(gpio->edited(), g);

    auto* cmd = page->findChild<QLineEdit*>("gpio_customCmd_le");
    commands->clear();
    cmd->setText(QString(129, 'c'));
    page->findChild<QPushButton*>("pb_gpio_save")->click();
    EXPECT_EQ(lastText(*tips), "不能超过128字符");
    EXPECT_TRUE(messages(*commands, "setGpioInfo").isEmpty()) << "a 129-character command is not sent";

    cmd->setText(QString(128, 'c'));
    page->findChild<QPushButton*>("pb_gpio_save")->click();
    const auto saves = messages(*commands, "setGpioInfo");
    ASSERT_EQ(saves.size(), 1);
    EXPECT_EQ(saves[0].value("index").toString(), "GPIO_3");
    EXPECT_EQ(saves[0].value("gpioInfo").toObject().value("customCmd").toString(), QString(128, 'c'));
    EXPECT_EQ(saves[0].value("gpioInfo").toObject().value("channelId").toString(), "7");
    reply({{"ops", "setGpioInfo"}, {"result", "succ"}});
    EXPECT_EQ(lastText(*tips), "保存成功");
    reply({{"ops", "setGpioInfo"}, {"result", "fail"}});
    EXPECT_EQ(lastText(*tips), "保存失败");

    // The test button alternates once the device took the level.
    auto* test = page->findChild<QPushButton*>("pb_gpio_test");
    EXPECT_EQ(test->text(), "GPIO输出高电平");
    test->click();
    EXPECT_EQ(messages(*commands, "testGpio").last().value("isHigh").toString(), "1");
    reply({{"ops", "testGpio"}, {"result", "succ"}});
    EXPECT_EQ(test->text(), "GPIO输出低电平");
    test->click();
    EXPECT_EQ(messages(*commands, "testGpio").last().value("isHigh").toString(), "0");
    reply({{"ops", "testGpio"}, {"result", "fail"}});
    EXPECT_EQ(test->text(), "GPIO输出低电平");
}

TEST_F(DevTestPageTest, GpioFileRoundTripAndBadFiles)
{
    open();
    enterCode(kMode1);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList answers;
    FileDialogs::setAnswerer([&answers](FileDialogs::Kind, const QString&) -> std::optional<QString> {
        return answers.isEmpty() ? QString() : answers.takeFirst();
    });
    auto* cmd = page->findChild<QLineEdit*>("gpio_customCmd_le");
    cmd->setText("saved");
    const QString path = dir.filePath("ports.json");
    answers << path;
    page->findChild<QPushButton*>("pb_gpio_saveas")->click();
    EXPECT_EQ(lastText(*tips), "保存成功");

    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* mentions;
    } bad[] = {{"bad.json", "{not json", "not JSON"},
               {"short.json", R"({"gpio":[{}]})", "8 ports"},
               {"big.json", QByteArray(GpioInfo::kMaxFileBytes + 10, ' '), "too large"}};
    for (const auto& b : bad) {
        QFile f(dir.filePath(b.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b.bytes);
        f.close();
        cmd->setText("unsaved");
        answers << f.fileName();
        page->findChild<QPushButton*>("pb_gpio_open")->click();
        EXPECT_TRUE(lastText(*tips).contains(b.mentions)) << lastText(*tips).toStdString();
        EXPECT_EQ(cmd->text(), "unsaved") << "a refused file changes nothing";
    }
    answers << path;
    page->findChild<QPushButton*>("pb_gpio_open")->click();
    EXPECT_EQ(cmd->text(), "saved");
}

TEST_F(DevTestPageTest, FactoryResetOfALockedDeviceSendsNothing)
{
    const struct
    {
        int routeLock, detailLock, dspLock;
    } locks[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 2}};
    open();
    enterCode(kMode1);
    for (const auto& l : locks) {
        DevDetailStore::instance().updateDevDetail(dev.devId, [&](DevDetail_t& d) {
            d.routeLock = l.routeLock;
            d.detailLock = l.detailLock;
            d.dspLockLevel = l.dspLock;
        });
        questions.clear();
        sent.clear();
        page->on_pb_resetfactory_clicked();
        EXPECT_EQ(lastText(*tips), "设备已上锁，请先解锁");
        EXPECT_TRUE(questions.isEmpty()) << "not even asked";
        EXPECT_TRUE(takeCalls().empty());
        EXPECT_TRUE(sentOps().empty());
    }
}

TEST_F(DevTestPageTest, FactoryResetSpellingsAndOutcomes)
{
    open();
    enterCode(kMode1);
    using WaitedUdpRequest::Outcome;
    const struct
    {
        const char* firmware;
        QVector<WaitedUdpRequest::Result> answers;
        int requests;
        bool reboot;
        const char* tip;
    } cases[] = {
        {"3.1.2", {{Outcome::Reply, R"({"ops":"resetFactory","result":"succ"})"}}, 1, true, nullptr},
        {"3.0.6",
         {{Outcome::NoReturn, "No Return With 2000ms"}, {Outcome::Reply, R"({"ops":"resetFacotry","result":"succ"})"}},
         2,
         true,
         nullptr},
        {"3.1.2", {{Outcome::NoReturn, "No Return With 2000ms"}}, 1, false, "设置失败: No Return With 2000ms"},
        {"3.1.2", {{Outcome::SendFail, "Send Fail"}}, 1, false, "设置失败: Send Fail"},
        {"3.1.2",
         {{Outcome::Reply, R"({"ops":"resetFactory","result":"fail","reason":"locked"})"}},
         1,
         false,
         R"(设置失败: {"ops":"resetFactory","result":"fail","reason":"locked"})"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.firmware);
        setFirmware(c.firmware);
        scripted = c.answers;
        questions.clear();
        commands->clear();
        tips->clear();
        page->on_pb_resetfactory_clicked();
        const std::vector<Call> made = takeCalls();
        ASSERT_EQ(int(made.size()), c.requests);
        EXPECT_EQ(made[0].request, R"({"ops":"resetFactory"})");
        EXPECT_EQ(made[0].port, 12000);
        EXPECT_EQ(made[0].address, QHostAddress(dev.ip));
        if (c.requests == 2) {
            EXPECT_EQ(made[1].request, R"({"ops":"resetFacotry"})");
        }
        EXPECT_EQ(questions.value(0), "恢复出厂设置会删除全部用户配置，确认恢复？");
        EXPECT_EQ(messages(*commands, "reboot").size(), c.reboot ? 1 : 0);
        if (c.reboot) {
            EXPECT_EQ(questions.value(1), "恢复成功，需要重启设备，立即重启？");
        }
        if (c.tip != nullptr) {
            EXPECT_EQ(lastText(*tips), QString::fromUtf8(c.tip));
        }
    }
    // No to the question: nothing leaves.
    answerYes = false;
    page->on_pb_resetfactory_clicked();
    EXPECT_TRUE(takeCalls().empty());
}

TEST_F(DevTestPageTest, SshUdpToolAndCpuFrequency)
{
    open();
    enterCode(kMode2);
    using WaitedUdpRequest::Outcome;
    scripted = {{Outcome::Reply, "hostname=192.168.1.11 startSsh ok"}};
    page->findChild<QPushButton*>("pb_ssh")->click();
    auto made = takeCalls();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].request, "hostname=192.168.1.11 startSsh");
    EXPECT_EQ(made[0].port, 12000);
    EXPECT_EQ(lastText(*tips), "设置成功");
    scripted = {{Outcome::Reply, "startSsh failed"}};
    page->findChild<QPushButton*>("pb_ssh")->click();
    takeCalls();
    EXPECT_EQ(lastText(*tips), "设置失败");

    // UDP tool: the log shows what left and what came back, "No Message" for an empty answer.
    page->findChild<QLineEdit*>("udp_port_le")->setText("9994");
    page->findChild<QPlainTextEdit*>("udp_send_te")->setPlainText(R"({"ops":"getVersion"})");
    scripted = {{Outcome::Reply, R"({"ops":"getVersion","result":"succ"})"}, {Outcome::Reply, ""}};
    page->findChild<QPushButton*>("udp_send_bt")->click();
    takeCalls();
    page->findChild<QPushButton*>("udp_send_bt")->click();
    made = takeCalls();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].request, R"({"devId":"MRD-0001","ops":"getVersion"})");
    const QStringList log = page->udpTool()->logText().split('\n');
    ASSERT_EQ(log.size(), 4);
    EXPECT_TRUE(log[0].startsWith("Send(192.168.1.11:9994)")) << log[0].toStdString();
    EXPECT_EQ(log[1], R"(Recv=>{"ops":"getVersion","result":"succ"})");
    EXPECT_EQ(log[3], "Recv=>No Message");
    page->findChild<QLineEdit*>("udp_port_le")->setText("70000");
    page->findChild<QPushButton*>("udp_send_bt")->click();
    EXPECT_TRUE(takeCalls().empty()) << "a bad port sends nothing";
    page->findChild<QPushButton*>("udp_clear_bt")->click();
    EXPECT_TRUE(page->udpTool()->logText().isEmpty());
    // What the user typed survives the heartbeat's version replies.
    page->findChild<QLineEdit*>("udp_ip_le")->setText("10.9.9.9");
    reply({{"ops", "getVersion"}, {"result", "succ"}, {"version", "3.1.2"}});
    EXPECT_EQ(page->findChild<QLineEdit*>("udp_ip_le")->text(), "10.9.9.9");

    // CPU frequency through the OEM data, with the address in the reply-address map first.
    page->findChild<QComboBox*>("cpufreq_cb")->setCurrentIndex(2);
    page->findChild<QPushButton*>("pb_cpufreq")->click();
    const auto set = messages(*commands, "setOemData");
    ASSERT_EQ(set.size(), 1);
    EXPECT_EQ(set[0].value("name").toString(), "cpuKHz");
    EXPECT_EQ(set[0].value("val").toString(), "600000");
    EXPECT_EQ(DevDetailStore::instance().devIdForReplyAddress(dvm_parseIp(dev.ip)), dev.devId);
    reply({{"ops", "setOemData"}, {"result", "succ"}, {"name", "cpuKHz"}, {"val", "600000"}});
    EXPECT_EQ(lastText(*tips), "设置成功");
    EXPECT_EQ(messages(*commands, "getOemData").last().value("name").toString(), "cpuKHz");
}

TEST_F(DevTestPageTest, PrioritiesSendAndRestoreOnRefusal)
{
    open();
    enterCode(kMode1);
    const struct
    {
        const char* box;
        const char* ops;
        const char* field;
    } rows[] = {
        {"ptpDomain_sb", "setPtpDomain", "val"}, {"ptpDscp_sb", "setPtpDscp", "val"}, {"dscp_sb", "setDscp", "dscp"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.ops);
        auto* box = page->findChild<QSpinBox*>(r.box);
        box->setValue(12);
        emit box->editingFinished();
        auto out = messages(*commands, r.ops);
        ASSERT_EQ(out.size(), 1);
        EXPECT_EQ(out[0].value(r.field).toString(), "12");
        reply({{"ops", r.ops}, {"result", "succ"}});
        EXPECT_EQ(lastText(*tips), "设置成功");
        emit box->editingFinished();
        EXPECT_EQ(messages(*commands, r.ops).size(), 1) << "unchanged: nothing sent";
        box->setValue(40);
        emit box->editingFinished();
        reply({{"ops", r.ops}, {"result", "fail"}});
        EXPECT_EQ(lastText(*tips), "设置失败");
        EXPECT_EQ(box->value(), 12) << "the refused value is taken back";
    }
}

TEST_F(DevTestPageTest, SerialLedMemoryViewAndReboot)
{
    open();
    enterCode(kMode1);
    auto* led = page->findChild<QPushButton*>("pb_uartled");
    EXPECT_EQ(led->text(), "开启串口LED闪烁");
    led->click();
    EXPECT_TRUE(page->isBlinking());
    EXPECT_EQ(led->text(), "停止串口LED闪烁");
    EXPECT_TRUE(waitFor([this] { return messages(*commands, "sendUdpToUart").size() >= 3; }, 3000));
    const auto blinks = messages(*commands, "sendUdpToUart");
    EXPECT_NE(blinks[0].value("cmd"), blinks[1].value("cmd")) << "on and off in turn";
    EXPECT_EQ(blinks[0].value("cmd"), blinks[2].value("cmd"));
    led->click();
    EXPECT_FALSE(page->isBlinking());
    EXPECT_EQ(led->text(), "开启串口LED闪烁");
    const int count = messages(*commands, "sendUdpToUart").size();
    QTest::qWait(700);
    EXPECT_EQ(messages(*commands, "sendUdpToUart").size(), count) << "stopped";

    page->findChild<QPushButton*>("pb_memory")->click();
    auto* view = page->findChild<QPlainTextEdit*>("memory_te");
    ASSERT_NE(view, nullptr);
    reply({{"ops", "getDebugInfo"}, {"result", "succ"}, {"free", "Mem: 512 128 384\r\nSwap: 0 0 0"}});
    EXPECT_EQ(view->toPlainText(), "Mem: 512 128 384\nSwap: 0 0 0");
    reply({{"ops", "getDebugInfo"}, {"result", "succ"}, {"free", QString(100000, 'f')}});
    EXPECT_LE(view->toPlainText().size(), 8200);

    answerYes = false;
    page->findChild<QPushButton*>("pb_reboot")->click();
    EXPECT_TRUE(messages(*commands, "reboot").isEmpty());
    answerYes = true;
    page->findChild<QPushButton*>("pb_reboot")->click();
    EXPECT_EQ(messages(*commands, "reboot").size(), 1);
    EXPECT_EQ(questions.last(), "确定重启设备？");
}

TEST_F(DevTestPageTest, Ctrl8AndTheResetFollowTheVendorSwitches)
{
    open();
    enterCode(kMode1);
    EXPECT_TRUE(page->findChild<QPushButton*>("pb_resetfactory")->isVisibleTo(page));
    delete frame.data();
    AppState::setConfig(AppConfig());
    open();
    EXPECT_FALSE(page->findChild<QPushButton*>("pb_resetfactory")->isVisibleTo(page));
    QTest::keyClick(frame.data(), Qt::Key_8, Qt::ControlModifier);
    EXPECT_EQ(frame->factoryPrompt(), nullptr);
}

TEST_F(DevTestPageTest, DesignDeviceShowsTheStoredPrioritiesAndSendsNothing)
{
    AppState::setMode(AppState::kOfflineMode);
    OfflineData design;
    OfflineDeviceType t;
    t.devModel = "MRD-A16";
    t.version = "3.1.2-20260101";
    t.chNumRx = t.chNumTx = t.phyChNumRx = t.phyChNumTx = 2;
    t.sampleRateList = QStringList{"48000"};
    t.packetTimeList = QStringList{"1"};
    ASSERT_TRUE(design.addDevice(OfflineDevice::fromType(t, "D-1", "Design One")));
    auto* designFrame = new DevWin("D-1", nullptr, &design);
    devtest* designPage = designFrame->deviceWindow()->testPage();
    QSignalSpy out(designFrame, &DevWin::sendDataSignal);
    designFrame->deviceWindow()->btGroupclicked(DeviceWindow::BtTest);
    // Factory mode changes nothing on a design device's page.
    QTest::keyClick(designFrame, Qt::Key_8, Qt::ControlModifier);
    ASSERT_NE(designFrame->factoryPrompt(), nullptr);
    designFrame->factoryPrompt()->codeEdit()->setText(kMode2);
    designFrame->factoryPrompt()->on_ok_bt_clicked();
    settle();
    EXPECT_EQ(FactoryAccess::userMode(), 2);
    EXPECT_EQ(designPage->findChild<QGroupBox*>("cfgBox"), nullptr);
    EXPECT_EQ(designPage->findChild<QGroupBox*>("gpioBox"), nullptr);
    auto* ptpDscp = designPage->findChild<QSpinBox*>("ptpDscp_sb");
    ASSERT_NE(ptpDscp, nullptr);
    EXPECT_EQ(ptpDscp->value(), design.device("D-1")->detail().ptpDscp);
    ptpDscp->setValue(12);
    EXPECT_EQ(design.device("D-1")->detail().ptpDscp, 12) << "stored in the design";
    // A change made elsewhere (the settings page's own panel) shows here too.
    ASSERT_TRUE(design.updateDevice("D-1", [](OfflineDevice& d) { d.detail().dscp = 20; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(designPage->findChild<QSpinBox*>("dscp_sb")->value(), 20);
    designPage->recvBackData(QJsonObject{{"ops", "getCfg"}, {"devId", "D-1"}, {"cfg", "x=1"}});
    EXPECT_EQ(out.count(), 0);
    EXPECT_TRUE(sentOps().empty());
    delete designFrame;
}

} // namespace
