#include "TestSignalDialog.h"
#include "DevDetailStore.h"
#include "ModelTable.h"
#include "ModifyTypeTab.h"
#include "SignalBench.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QUdpSocket>

#include <gtest/gtest.h>

namespace {

QApplication* app()
{
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "meridane-tools-test";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    return qobject_cast<QApplication*>(QApplication::instance());
}

DevDetail_t detail(const QString& id, uint32_t ip, bool active = true)
{
    DevDetail_t d;
    d.devId = id;
    d.name = "name-" + id;
    d.ip = ip;
    d.port = SignalBench::kPort;
    d.canWork = active;
    const int n = SignalBench::kChannels;
    d.txChNames = s_dev_detail::numberedNames("NetOut", n);
    d.rxChNames = s_dev_detail::numberedNames("NetIn", n);
    d.phyTxChNames = s_dev_detail::numberedNames("AnalogOut", n);
    d.phyRxChNames = s_dev_detail::numberedNames("AnalogIn", n);
    return d;
}

/// Answers the probe on the loopback address as devices would.
class Responder
{
public:
    QList<QByteArray> answers;
    int questions = 0;

    Responder()
    {
        socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
        QObject::connect(&socket, &QUdpSocket::readyRead, [this] {
            while (socket.hasPendingDatagrams()) {
                QHostAddress from;
                quint16 port = 0;
                QByteArray b(2048, 0);
                const qint64 n = socket.readDatagram(b.data(), b.size(), &from, &port);
                if (b.left(int(n)) != "AreYouMeridane?")
                    continue;
                ++questions;
                for (const QByteArray& a : answers)
                    socket.writeDatagram(a, from, port);
            }
        });
    }
    quint16 port() const { return socket.localPort(); }

private:
    QUdpSocket socket;
};

class TestSignalDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app();
        ASSERT_TRUE(dir.isValid());
        QSettings seed(dir.path() + "/UserConfig.ini", QSettings::IniFormat);
        seed.setValue("Langue", "chs");
        seed.setValue("_testDots", "143"); // the bench's delay, as a calibration found it
        seed.sync();
        responder = std::make_unique<Responder>(); // sockets need the application first
        store.insertDevDetail(detail("S", SignalBench::kSourceIp));
        store.insertDevDetail(detail("D", SignalBench::kDutIp));
        store.insertDevDetail(detail("OFF", 0x0A000003, false));
        responder->answers = {"iAmMeridane!\nhostname=S\nip=10.0.0.1\n", "iAmMeridane!\nhostname=D\nip=10.0.0.2\n",
                              "iAmMeridane!\nhostname=OFF\nip=10.0.0.3\n",
                              "iAmMeridane!\nhostname=STRANGER\nip=10.0.0.9\nboard_model=X\n",
                              "iAmMeridane!\nhostname=LL\nip=169.254.1.2\n",
                              // D again, through a secondary address the list does not know: still one device
                              "iAmMeridane!\nhostname=D\nip=10.0.0.42\n"};
        dialog = std::make_unique<TestSignalDialog>(dir.path(), store, ModelTable::instance());
        dialog->setRecordDirectory(dir.path() + "/records");
        dialog->setServiceLink(bench);
        dialog->setTiming(0, 0);
        dialog->setRebootTimeoutMs(300);
        ProbeDiscovery::Config c;
        c.localAddresses = {QHostAddress::LocalHost};
        c.target = QHostAddress::LocalHost;
        c.targetPort = responder->port();
        c.waitMs = 300;
        dialog->setDiscoveryConfig(c);
        dialog->show();
    }

    template <typename T> T* child(const char* name) { return dialog->findChild<T*>(QLatin1String(name)); }
    QString recordText() { return child<QTextEdit>("te_record")->toPlainText(); }
    QStringList recordFile()
    {
        QFile f(dir.path() + "/records/" + QDate::currentDate().toString("yyyy-MM-dd") + ".txt");
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    bool runAndWait(void (TestSignalDialog::*slot)(), int ms = 10000)
    {
        QSignalSpy idle(dialog.get(), &TestSignalDialog::signal_idle);
        (dialog.get()->*slot)();
        return idle.count() > 0 || idle.wait(ms);
    }
    void refresh() { ASSERT_TRUE(runAndWait(&TestSignalDialog::on_pb_refreshDev_clicked)); }
    void choose(const char* source, const char* dut, int channels)
    {
        auto* s = child<QComboBox>("cb_sourceDev");
        auto* d = child<QComboBox>("cb_testDev");
        s->setCurrentIndex(s->findData(QString::fromLatin1(source)));
        d->setCurrentIndex(d->findData(QString::fromLatin1(dut)));
        auto* cls = child<QComboBox>("cb_devClass");
        cls->setCurrentIndex(cls->findData(channels));
    }
    QString lastTip(QSignalSpy& tips) { return tips.isEmpty() ? QString() : tips.last().at(0).toString(); }

    QTemporaryDir dir;
    DevDetailStore store;
    std::unique_ptr<Responder> responder;
    std::shared_ptr<SignalBench> bench = std::make_shared<SignalBench>();
    std::unique_ptr<TestSignalDialog> dialog;
};

TEST_F(TestSignalDialogTest, RefusalsBeforeAndAfterARefresh)
{
    QSignalSpy tips(dialog.get(), &TestSignalDialog::signal_showTips);
    dialog->on_pb_startTest_clicked();
    EXPECT_EQ(lastTip(tips), "检测到没有刷新设备，请先刷新设备");
    dialog->on_pb_checkSignal_clicked();
    EXPECT_EQ(lastTip(tips), "检测到没有刷新设备，请先刷新设备");
    refresh();
    dialog->on_pb_startTest_clicked();
    EXPECT_EQ(lastTip(tips), "请选择信号源或待测设备") << "a fresh list chooses nothing";
    choose("S", "S", 2);
    dialog->on_pb_startTest_clicked();
    EXPECT_EQ(lastTip(tips), "请选择信号源或待测设备");
    choose("S", "OFF", 2);
    dialog->on_pb_startTest_clicked();
    EXPECT_EQ(lastTip(tips), "设备未激活") << recordText().toStdString();
    EXPECT_TRUE(recordText().contains("OFF 设备未激活"));
    EXPECT_TRUE(bench->log.isEmpty()) << "nothing sent for a refused start";

    // Finish: not in the first check, and only after a pass.
    auto* step = child<QComboBox>("cb_step");
    step->setCurrentIndex(0);
    dialog->on_pb_restart_clicked();
    EXPECT_EQ(lastTip(tips), "初检不需要点击步骤③");
    step->setCurrentIndex(1);
    dialog->on_pb_restart_clicked();
    EXPECT_EQ(lastTip(tips), "检测到测试没有通过，请重新测试");
}

TEST_F(TestSignalDialogTest, DiscoveryListsOnlyKnownDevicesAndKeepsLinkLocalApart)
{
    refresh();
    EXPECT_EQ(responder->questions, 1);
    auto* s = child<QComboBox>("cb_sourceDev");
    QStringList ids;
    for (int i = 0; i < s->count(); ++i)
        ids << s->itemData(i).toString();
    ids.sort();
    EXPECT_EQ(ids, QStringList({"D", "OFF", "S"}));
    EXPECT_EQ(child<QComboBox>("cb_testDev")->count(), 3);
    // The modify tab offers every routable answer, the unknown one too; link-local never.
    EXPECT_EQ(child<QComboBox>("cb_tab_mt_dev")->count(), 4);
    EXPECT_TRUE(recordText().contains("刷新完成: 3台设备，1个应答不在设备列表中，1个169.254.x.x地址应答未列出"))
        << recordText().toStdString();
    // A second refresh replaces the list instead of adding to it.
    responder->answers.removeFirst();
    refresh();
    EXPECT_EQ(child<QComboBox>("cb_sourceDev")->count(), 2);
}

TEST_F(TestSignalDialogTest, TestFinishAndCountWithTheRecordFile)
{
    refresh();
    choose("S", "D", 4);
    bench->faults.insert(2, "silent");
    ASSERT_TRUE(runAndWait(&TestSignalDialog::on_pb_startTest_clicked));
    EXPECT_TRUE(child<QLabel>("lb_status")->text().contains("测试不通过"));
    QSignalSpy tips(dialog.get(), &TestSignalDialog::signal_showTips);
    dialog->on_pb_restart_clicked();
    EXPECT_EQ(lastTip(tips), "检测到测试没有通过，请重新测试");

    bench->faults.clear();
    ASSERT_TRUE(runAndWait(&TestSignalDialog::on_pb_startTest_clicked));
    EXPECT_EQ(child<QLabel>("lb_status")->text(), "<strong><font size=5 color=green>测试通过</font></strong>")
        << recordText().toStdString();

    // Finish: the reboot leaves through the main window; its answer counts the device.
    QSignalSpy sent(dialog.get(), &TestSignalDialog::sendChangedata);
    dialog->on_pb_restart_clicked();
    ASSERT_EQ(sent.count(), 1);
    EXPECT_EQ(sent.at(0).at(0).toString(), R"({"devId":"D","ops":"reboot"})");
    dialog->handleMessage(R"({"ops":"reboot","devId":"S","result":"succ"})"); // another device: not ours
    dialog->handleMessage(R"({"ops":"getVersion","devId":"D","result":"succ"})");
    EXPECT_EQ(dialog->testedCount(), 0);
    dialog->handleMessage(R"({"ops":"reboot","devId":"D","result":"succ"})");
    EXPECT_EQ(dialog->testedCount(), 1);
    EXPECT_EQ(child<QLabel>("lb_testedCount")->text(), "已检测数量:1");
    // Counted once: finishing again needs another pass.
    dialog->on_pb_restart_clicked();
    EXPECT_EQ(lastTip(tips), "检测到测试没有通过，请重新测试");

    // A reboot nobody answers fails after its wait.
    ASSERT_TRUE(runAndWait(&TestSignalDialog::on_pb_startTest_clicked));
    ASSERT_TRUE(runAndWait(&TestSignalDialog::on_pb_restart_clicked));
    EXPECT_EQ(lastTip(tips), "重启失败");
    EXPECT_EQ(dialog->testedCount(), 1);

    const QStringList lines = recordFile();
    const QString stamp = QDate::currentDate().toString("yyyy-MM-dd") + " ";
    for (const QString& l : lines)
        EXPECT_TRUE(l.startsWith(stamp) && l.at(stamp.size() + 8) == ' ') << l.toStdString();
    EXPECT_EQ(lines.filter("通道3=>测试设备模拟输出电平异常:-infdBFS").size(), 1);
    EXPECT_EQ(lines.filter("通道3=>输入电平:-20.0dBFS").size(), 2);
    EXPECT_EQ(lines.filter(QRegularExpression(" 测试不通过$")).size(), 1);
    EXPECT_EQ(lines.filter(QRegularExpression(" 测试通过$")).size(), 2);
    EXPECT_EQ(lines.filter("成功:D，已检测数量:1").size(), 1);
    EXPECT_EQ(lines.filter("D 重启失败").size(), 1);
}

TEST_F(TestSignalDialogTest, CalibrationStoresTheDelayAndThresholdsAreKept)
{
    bench->analogReturnDelay = 150;
    bench->extraDelay.insert(1, 1);
    refresh();
    choose("S", "D", 2);
    ASSERT_TRUE(runAndWait(&TestSignalDialog::on_pb_checkSignal_clicked));
    EXPECT_TRUE(recordText().contains("DelayDots=150，DelayDots2=151，校准通过"));
    QSettings ini(dir.path() + "/UserConfig.ini", QSettings::IniFormat);
    EXPECT_EQ(ini.value("_testDots").toString(), "150");
    EXPECT_EQ(ini.value("_testDots2").toString(), "151");

    child<QDoubleSpinBox>("ds_reduceValidVal")->setValue(-50.0);
    child<QDoubleSpinBox>("ds_hasSignalValidVal")->setValue(-30.5);
    ini.sync();
    EXPECT_EQ(ini.value("_testReductVal").toString(), "-50.0");
    EXPECT_EQ(ini.value("_testHasSignalVal").toString(), "-30.5");
    EXPECT_EQ(ini.value("Langue").toString(), "chs") << "other keys kept";

    // A new tool reads them back; a test then runs with the calibrated delay.
    TestSignalDialog again(dir.path(), store, ModelTable::instance());
    EXPECT_DOUBLE_EQ(again.findChild<QDoubleSpinBox*>("ds_reduceValidVal")->value(), -50.0);
    EXPECT_DOUBLE_EQ(again.findChild<QDoubleSpinBox*>("ds_hasSignalValidVal")->value(), -30.5);
    EXPECT_TRUE(again.findChild<QLabel*>("lb_delayDots")->text().contains("DelayDots=150"));
    bench->extraDelay.clear(); // the test uses the first output's delay on every channel
    ASSERT_TRUE(runAndWait(&TestSignalDialog::on_pb_startTest_clicked));
    EXPECT_EQ(bench->stage(), 150);
    EXPECT_TRUE(child<QLabel>("lb_status")->text().contains("测试通过"));
}

TEST_F(TestSignalDialogTest, ModeOneHidesTheCalibrationAndTheLockHoldsTheChoices)
{
    dialog->setMode(TestSignalDialog::Reduced);
    EXPECT_FALSE(child<QPushButton>("pb_checkSignal")->isVisible());
    EXPECT_TRUE(child<QPushButton>("pb_startTest")->isVisible());
    dialog->setMode(TestSignalDialog::AllControls);
    EXPECT_TRUE(child<QPushButton>("pb_checkSignal")->isVisible());

    dialog->on_pb_lock_clicked();
    EXPECT_FALSE(child<QComboBox>("cb_testDev")->isEnabled());
    EXPECT_FALSE(child<QDoubleSpinBox>("ds_reduceValidVal")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("pb_startTest")->isEnabled());
    refresh();
    EXPECT_FALSE(child<QComboBox>("cb_testDev")->isEnabled()) << "a refresh does not undo the lock";
    dialog->on_pb_lock_clicked();
    EXPECT_TRUE(child<QComboBox>("cb_testDev")->isEnabled());
}

class ModifyTypeTest : public TestSignalDialogTest
{
protected:
    void writeTool(const QString& body)
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath("tools"));
        QFile f(dir.path() + "/tools/Quill");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1/args.txt'\n%2\n").arg(dir.path(), body).toUtf8());
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QStringList runs()
    {
        QFile f(dir.path() + "/args.txt");
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    void enter(const char* type, const char* suffix)
    {
        child<QLineEdit>("le_tab_mt_type")->setText(QString::fromLatin1(type));
        child<QLineEdit>("le_tab_mt_suffix")->setText(QString::fromLatin1(suffix));
    }
    QString status() { return child<QLabel>("lb_tab_mt_status")->text(); }
};

TEST_F(ModifyTypeTest, StepsChecksAndTexts)
{
    dialog->setToolPolling(10, 50);
    writeTool("echo succ");
    dialog->on_pb_tab_mt_modify_clicked();
    EXPECT_EQ(status(), "设备信息未刷新，请重新点击");
    refresh();
    auto* dev = child<QComboBox>("cb_tab_mt_dev");
    dev->setCurrentIndex(dev->findData("D"));
    enter("MRD-X8", "");
    dialog->on_pb_tab_mt_modify_clicked();
    EXPECT_EQ(status(), "设备ID后缀不能为空");
    enter("MRD-X8", "00AB12");
    child<QCheckBox>("ck_tab_mt_i2s")->setChecked(true);
    dialog->on_pb_tab_mt_modify_clicked();
    EXPECT_EQ(status(), "I2S配置文件不存在，请拷贝配置文件到对应目录");
    EXPECT_TRUE(runs().isEmpty());

    ASSERT_TRUE(QDir(dir.path()).mkpath("testConfig"));
    QFile i2s(dir.path() + "/testConfig/_i2s_oem.cfg");
    ASSERT_TRUE(i2s.open(QIODevice::WriteOnly));
    i2s.close();
    dialog->on_pb_tab_mt_modify_clicked();
    EXPECT_EQ(status(), "修改成功");
    EXPECT_EQ(runs(), QStringList({"1p 2 @ D 10.0.0.2", "2p 2 @ 10.0.0.2 MRD-X8", "6p 2 @ 10.0.0.2 MRD-X8 00AB12",
                                   "5p 2 @ 10.0.0.2 " + dir.path() + "/testConfig/_i2s_oem.cfg /config/_i2s_oem.cfg"}));
    EXPECT_TRUE(recordText().contains("D 修改成功"));

    // The first failing step names itself; nothing after it runs.
    QFile::remove(dir.path() + "/args.txt");
    writeTool(R"(case "$1" in 2p) echo fail ;; *) echo succ ;; esac)");
    dialog->on_pb_tab_mt_modify_clicked();
    EXPECT_EQ(status(), "修改类型失败");
    EXPECT_EQ(runs().size(), 2);
    EXPECT_TRUE(child<QPushButton>("pb_tab_mt_modify")->isEnabled());

    // No tool at all: the first step's failure, and a tip naming the tool.
    QFile::remove(dir.path() + "/tools/Quill");
    QSignalSpy tips(dialog.get(), &TestSignalDialog::signal_showTips);
    dialog->on_pb_tab_mt_modify_clicked();
    EXPECT_EQ(status(), "开启控制失败");
    EXPECT_TRUE(lastTip(tips).contains("tools/Quill.exe"));
}

} // namespace
