#include "TestSignalDialog.h"

#include "DevDetailStore.h"
#include "ExternalToolRunner.h"
#include "ModelTable.h"
#include "ModifyTypePlan.h"
#include "ModifyTypeTab.h"
#include "MySnackbar.h"
#include "ReplyFields.h"
#include "ServiceLink.h"
#include "ToolsLog.h"
#include "UiScale.h"
#include "UserSettings.h"

#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr double kMinThreshold = -120.0;
constexpr double kMaxThreshold = 0.0;
// The record box keeps this many lines; the file keeps everything.
constexpr int kMaxRecordBoxLines = 5000;

const char* colourOf(int kind)
{
    switch (kind) {
    case SignalTestRunner::Pass:
        return "green";
    case SignalTestRunner::Fail:
        return "red";
    default:
        return "black";
    }
}

QDoubleSpinBox* thresholdBox(const QString& name, QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(kMinThreshold, kMaxThreshold);
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setSuffix(QStringLiteral(" dBFS"));
    box->setKeyboardTracking(false);
    return box;
}

} // namespace

TestSignalDialog::TestSignalDialog(const QString& appDir, DevDetailStore& store, const ModelTable& models,
                                   QWidget* parent)
    : QDialog(parent), m_appDir(appDir), m_store(store), m_models(models),
      m_settings(
          std::make_unique<UserSettings>(appDir + QStringLiteral("/UserConfig.ini"), QStringLiteral("./Config.ini"))),
      m_tabs(new QTabWidget(this)), m_modifyTab(new ModifyTypeTab), m_recordBox(new QTextEdit(this)),
      m_snackbar(new MySnackbar(this)), m_link(std::make_shared<UdpServiceLink>()),
      m_runner(std::make_unique<SignalTestRunner>(m_link))
{
    setObjectName(QStringLiteral("TestSignalDialog"));
    setWindowTitle(tr("测试工具"));
    // The record box is what the line watches: it gets the room the controls leave.
    setMinimumSize(UiScale::px(640), UiScale::px(560));
    resize(UiScale::px(900), UiScale::px(680));

    auto* signalTab = new QWidget;
    signalTab->setObjectName(QStringLiteral("tab_signal"));
    buildSignalTab(signalTab);
    m_tabs->setObjectName(QStringLiteral("tw_tabs"));
    m_tabs->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    m_tabs->addTab(signalTab, tr("信号测试"));
    m_tabs->addTab(m_modifyTab, tr("修改类型"));
    m_recordBox->setObjectName(QStringLiteral("te_record"));
    m_recordBox->setReadOnly(true);
    m_recordBox->document()->setMaximumBlockCount(kMaxRecordBoxLines);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(new QLabel(tr("测试记录："), this));
    layout->addWidget(m_recordBox, 1);

    connect(m_modifyTab->modifyButton(), &QPushButton::clicked, this, &TestSignalDialog::on_pb_tab_mt_modify_clicked);
    connect(this, &TestSignalDialog::signal_showTips, m_snackbar,
            [this](const QString& t) { m_snackbar->showMessage(t); });
    connect(&m_discovery, &ProbeDiscovery::signal_finished, this, [this] {
        const TestProbeAnswer::List& answers = m_discovery.answers();
        m_devices.clear();
        m_answered.clear();
        int unknown = 0;
        for (const TestProbeAnswer::Answer& a : answers.devices()) {
            const TestDevice d = TestDevice::resolve(a, m_store, m_models);
            if (!d.listed) {
                ++unknown;
                m_answered.append(d);
            } else if (std::none_of(m_devices.cbegin(), m_devices.cend(),
                                    [&](const TestDevice& k) { return k.devId == d.devId; })) {
                m_devices.append(d);
                m_answered.append(d);
            }
        }
        fillDeviceCombos();
        m_refreshed = true;
        QString text = tr("刷新完成: %1台设备").arg(m_devices.size());
        // A device may answer twice (its own address and its secondary unit's): listed once, not counted as unknown.
        if (unknown > 0)
            text += tr("，%1个应答不在设备列表中").arg(unknown);
        if (!answers.linkLocal().isEmpty())
            text += tr("，%1个169.254.x.x地址应答未列出").arg(answers.linkLocal().size());
        if (answers.dropped() > 0)
            text += tr("，%1个应答超出上限被丢弃").arg(answers.dropped());
        record(text);
        m_status->clear();
        setBusy(false);
        emit signal_idle();
    });

    // Runner signals come from the worker thread: queued into this one.
    connect(m_runner.get(), &SignalTestRunner::signal_line, this, &TestSignalDialog::handleRunnerLine,
            Qt::QueuedConnection);
    connect(m_runner.get(), &SignalTestRunner::signal_calibrated, this, &TestSignalDialog::handleCalibrated,
            Qt::QueuedConnection);
    connect(m_runner.get(), &SignalTestRunner::signal_tested, this, &TestSignalDialog::handleTested,
            Qt::QueuedConnection);

    m_rebootTimer.setSingleShot(true);
    connect(&m_rebootTimer, &QTimer::timeout, this, [this] { finishReboot(false); });

    loadSettings();
}

TestSignalDialog::~TestSignalDialog()
{
    // The worker holds the runner: it must end first. A request in flight ends within its wait.
    m_runner->cancel();
    if (m_worker) {
        m_worker->wait();
        delete m_worker; // its deleteLater was bound to this window's lifetime
    }
}

void TestSignalDialog::buildSignalTab(QWidget* tab)
{
    m_sourceDev = new QComboBox(tab);
    m_sourceDev->setObjectName(QStringLiteral("cb_sourceDev"));
    m_sourceCh = new QComboBox(tab);
    m_sourceCh->setObjectName(QStringLiteral("cb_sourceCh"));
    for (int i = 1; i <= SignalTestPlan::kSourceChannels; ++i)
        m_sourceCh->addItem(tr("模拟输入%1").arg(i), i);
    for (int i = 1; i <= SignalTestPlan::kSourceChannels; ++i)
        m_sourceCh->addItem(tr("网络输入%1").arg(i), -i);
    m_testDev = new QComboBox(tab);
    m_testDev->setObjectName(QStringLiteral("cb_testDev"));
    m_devClass = new QComboBox(tab);
    m_devClass->setObjectName(QStringLiteral("cb_devClass"));
    for (int n : SignalTestPlan::kClasses)
        m_devClass->addItem(tr("%1通道").arg(n), n);
    m_step = new QComboBox(tab);
    m_step->setObjectName(QStringLiteral("cb_step"));
    m_step->addItem(tr("初检"), 0);
    m_step->addItem(tr("终检"), 1);
    m_step->setCurrentIndex(1);
    m_reduceValid = thresholdBox(QStringLiteral("ds_reduceValidVal"), tab);
    m_hasSignalValid = thresholdBox(QStringLiteral("ds_hasSignalValidVal"), tab);
    m_countLabel = new QLabel(tab);
    m_countLabel->setObjectName(QStringLiteral("lb_testedCount"));
    m_dotsLabel = new QLabel(tab);
    m_dotsLabel->setObjectName(QStringLiteral("lb_delayDots"));
    m_status = new QLabel(tab);
    m_status->setObjectName(QStringLiteral("lb_status"));
    m_status->setTextFormat(Qt::RichText);
    m_status->setMinimumHeight(UiScale::px(36));

    m_refresh = new QPushButton(tr("①刷新设备"), tab);
    m_refresh->setObjectName(QStringLiteral("pb_refreshDev"));
    m_startTest = new QPushButton(tr("②开始测试"), tab);
    m_startTest->setObjectName(QStringLiteral("pb_startTest"));
    m_restart = new QPushButton(tr("③完成测试并重启"), tab);
    m_restart->setObjectName(QStringLiteral("pb_restart"));
    m_lock = new QPushButton(tr("锁定/解锁"), tab);
    m_lock->setObjectName(QStringLiteral("pb_lock"));
    m_checkSignal = new QPushButton(tr("信号校准"), tab);
    m_checkSignal->setObjectName(QStringLiteral("pb_checkSignal"));
    for (QComboBox* c : {m_sourceDev, m_testDev})
        c->setMinimumWidth(UiScale::px(300));

    auto* grid = new QGridLayout;
    int row = 0;
    // Device names are long: each device list has a row of its own.
    grid->addWidget(new QLabel(tr("信号源设备："), tab), row, 0);
    grid->addWidget(m_sourceDev, row++, 1, 1, 3);
    grid->addWidget(new QLabel(tr("待测试设备："), tab), row, 0);
    grid->addWidget(m_testDev, row++, 1, 1, 3);
    grid->addWidget(new QLabel(tr("信号源通道："), tab), row, 0);
    grid->addWidget(m_sourceCh, row, 1);
    grid->addWidget(new QLabel(tr("待测设备类型："), tab), row, 2);
    grid->addWidget(m_devClass, row++, 3);
    grid->addWidget(new QLabel(tr("测试步骤："), tab), row, 0);
    grid->addWidget(m_step, row, 1);
    grid->addWidget(m_countLabel, row++, 2, 1, 2);
    grid->addWidget(new QLabel(tr("抵消合格阈值："), tab), row, 0);
    grid->addWidget(m_reduceValid, row, 1);
    grid->addWidget(new QLabel(tr("有无信号阈值："), tab), row, 2);
    grid->addWidget(m_hasSignalValid, row++, 3);
    grid->addWidget(m_dotsLabel, row++, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_refresh, m_startTest, m_restart})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(m_lock);
    buttons->addWidget(m_checkSignal);

    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addWidget(m_status);

    connect(m_refresh, &QPushButton::clicked, this, &TestSignalDialog::on_pb_refreshDev_clicked);
    connect(m_startTest, &QPushButton::clicked, this, &TestSignalDialog::on_pb_startTest_clicked);
    connect(m_restart, &QPushButton::clicked, this, &TestSignalDialog::on_pb_restart_clicked);
    connect(m_lock, &QPushButton::clicked, this, &TestSignalDialog::on_pb_lock_clicked);
    connect(m_checkSignal, &QPushButton::clicked, this, &TestSignalDialog::on_pb_checkSignal_clicked);
}

void TestSignalDialog::loadSettings()
{
    m_delayDots = m_settings->testDots(SignalTestPlan::kDefaultDelayNum);
    m_delayDots2 = m_settings->testDots2(SignalTestPlan::kDefaultDelayNum);
    const double reduce = m_settings->testReductVal(SignalVerdict::kDefaultCancelDb);
    const double present = m_settings->testHasSignalVal(SignalVerdict::kDefaultPresentDb);
    qCInfo(lcTools) << "mTestingDelayDots =" << m_delayDots << "mReduceValidVal =" << reduce
                    << "mHasSignalValidVal =" << present;
    // Set before the change slots are connected, so loading never writes the file.
    m_reduceValid->setValue(reduce);
    m_hasSignalValid->setValue(present);
    connect(m_reduceValid, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &TestSignalDialog::on_ds_reduceValidVal_valueChanged);
    connect(m_hasSignalValid, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &TestSignalDialog::on_ds_hasSignalValidVal_valueChanged);
    m_dotsLabel->setText(QStringLiteral("DelayDots=%1，DelayDots2=%2").arg(m_delayDots).arg(m_delayDots2));
    m_countLabel->setText(tr("已检测数量:%1").arg(m_testedCount));
}

void TestSignalDialog::setMode(int mode)
{
    m_mode = mode == Reduced ? Reduced : AllControls;
    m_checkSignal->setVisible(m_mode == AllControls);
}

void TestSignalDialog::setServiceLink(std::shared_ptr<ServiceLink> link)
{
    if (isBusy())
        return;
    m_link = std::move(link);
    m_runner = std::make_unique<SignalTestRunner>(m_link);
    connect(m_runner.get(), &SignalTestRunner::signal_line, this, &TestSignalDialog::handleRunnerLine,
            Qt::QueuedConnection);
    connect(m_runner.get(), &SignalTestRunner::signal_calibrated, this, &TestSignalDialog::handleCalibrated,
            Qt::QueuedConnection);
    connect(m_runner.get(), &SignalTestRunner::signal_tested, this, &TestSignalDialog::handleTested,
            Qt::QueuedConnection);
}

void TestSignalDialog::setDiscoveryConfig(const ProbeDiscovery::Config& config)
{
    m_discovery.setConfig(config);
}

void TestSignalDialog::setRecordDirectory(const QString& dir)
{
    m_record = TestRecord(dir);
    m_recordFailed = false;
    m_recordAnnounced = false;
}

void TestSignalDialog::setToolPolling(int rounds, int intervalMs)
{
    m_toolRounds = rounds;
    m_toolIntervalMs = intervalMs;
}

void TestSignalDialog::setTiming(int settleMs, int probeSettleMs)
{
    m_settleMs = std::max(0, settleMs);
    m_probeSettleMs = std::max(0, probeSettleMs);
}

bool TestSignalDialog::isBusy() const
{
    return (m_worker && m_worker->isRunning()) || m_discovery.isRunning() || m_rebootTimer.isActive();
}

void TestSignalDialog::fillDeviceCombos()
{
    const QString oldSource = m_sourceDev->currentData().toString();
    const QString oldTest = m_testDev->currentData().toString();
    m_sourceDev->clear();
    m_testDev->clear();
    for (const TestDevice& d : qAsConst(m_devices)) {
        m_sourceDev->addItem(d.label(), d.devId);
        m_testDev->addItem(d.label(), d.devId);
    }
    // A fresh list keeps the choice when the device is still there; otherwise nothing is chosen.
    m_sourceDev->setCurrentIndex(m_sourceDev->findData(oldSource));
    m_testDev->setCurrentIndex(m_testDev->findData(oldTest));
    QComboBox* mt = m_modifyTab->deviceCombo();
    mt->clear();
    for (const TestDevice& d : qAsConst(m_answered))
        mt->addItem(d.label(), d.listed ? d.devId : d.hostname);
}

SignalTestRunner::Job TestSignalDialog::currentJob() const
{
    SignalTestRunner::Job job;
    auto pick = [this](const QComboBox* combo) {
        const QString id = combo->currentData().toString();
        for (const TestDevice& d : m_devices)
            if (!id.isEmpty() && d.devId == id)
                return d;
        return TestDevice();
    };
    job.source = pick(m_sourceDev);
    job.dut = pick(m_testDev);
    const int ch = m_sourceCh->currentData().toInt();
    job.networkSource = ch < 0;
    job.sourceNumber = std::abs(ch);
    job.channels = m_devClass->currentData().toInt();
    job.thresholds.cancelDb = m_reduceValid->value();
    job.thresholds.presentDb = m_hasSignalValid->value();
    job.delayDots = m_delayDots;
    job.settleMs = m_settleMs;
    job.probeSettleMs = m_probeSettleMs;
    return job;
}

QString TestSignalDialog::startRefusal(const SignalTestRunner::Job& job) const
{
    if (!m_refreshed)
        return tr("检测到没有刷新设备，请先刷新设备");
    return SignalTestRunner::refusal(job);
}

void TestSignalDialog::tip(const QString& text)
{
    emit signal_showTips(text);
}

void TestSignalDialog::record(const QString& text, int kind)
{
    if (!m_recordAnnounced) {
        // Once, so the user knows where the lines are kept.
        m_recordAnnounced = true;
        record(tr("记录文件: %1")
                   .arg(QDir::toNativeSeparators(
                       QDir(m_record.directory()).filePath(TestRecord::fileName(QDate::currentDate())))));
    }
    const bool html = text.startsWith(QLatin1String("<strong>"));
    if (html)
        m_recordBox->append(text);
    else
        m_recordBox->append(QStringLiteral("<font color=%1>%2</font>").arg(colourOf(kind), text.toHtmlEscaped()));
    // The newest line stays in sight.
    m_recordBox->moveCursor(QTextCursor::End);
    m_recordBox->ensureCursorVisible();
    const QString plain = html ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
    QString error;
    if (!m_record.append(plain, QDateTime::currentDateTime(), &error) && !m_recordFailed) {
        // Said once: a full disk would otherwise add a second line to every line.
        m_recordFailed = true;
        const QString warning = tr("记录文件写入失败: %1").arg(error);
        m_recordBox->append(QStringLiteral("<font color=red>%1</font>").arg(warning.toHtmlEscaped()));
        tip(warning);
    }
}

void TestSignalDialog::setBusy(bool busy)
{
    for (QWidget* w : {static_cast<QWidget*>(m_refresh), static_cast<QWidget*>(m_startTest),
                       static_cast<QWidget*>(m_restart), static_cast<QWidget*>(m_checkSignal)})
        w->setEnabled(!busy);
    m_modifyTab->setBusy(busy);
    const bool editable = !busy && !m_locked;
    for (QWidget* w :
         {static_cast<QWidget*>(m_sourceDev), static_cast<QWidget*>(m_sourceCh), static_cast<QWidget*>(m_testDev),
          static_cast<QWidget*>(m_devClass), static_cast<QWidget*>(m_step), static_cast<QWidget*>(m_reduceValid),
          static_cast<QWidget*>(m_hasSignalValid)})
        w->setEnabled(editable);
    m_lock->setEnabled(!busy);
}

void TestSignalDialog::runOnWorker(const QString& busyText, std::function<void()> work)
{
    m_status->setText(busyText);
    setBusy(true);
    QThread* worker = QThread::create(std::move(work));
    worker->setObjectName(QStringLiteral("TestSignalWorker"));
    // Delivered after the runner's last queued signal, so the window is idle only once every line is in.
    connect(worker, &QThread::finished, this, [this, worker] {
        worker->deleteLater();
        setBusy(false);
        emit signal_idle();
    });
    m_worker = worker;
    worker->start();
}

void TestSignalDialog::on_pb_refreshDev_clicked()
{
    if (isBusy())
        return;
    setBusy(true);
    m_status->setText(tr("刷新中..."));
    if (!m_discovery.start()) {
        record(tr("刷新失败: 没有可用的网卡"), SignalTestRunner::Fail);
        setBusy(false);
        emit signal_idle();
    }
}

void TestSignalDialog::on_pb_checkSignal_clicked()
{
    if (isBusy() || m_mode != AllControls)
        return;
    const SignalTestRunner::Job job = currentJob();
    const QString refused = startRefusal(job);
    if (!refused.isEmpty()) {
        tip(refused);
        return;
    }
    record(tr("信号校准: 信号源 %1，待测设备 %2").arg(job.source.devId, job.dut.devId));
    SignalTestRunner* runner = m_runner.get();
    runOnWorker(tr("校准中..."), [runner, job] { runner->calibrate(job); });
}

void TestSignalDialog::on_pb_startTest_clicked()
{
    if (isBusy())
        return;
    const SignalTestRunner::Job job = currentJob();
    const QString refused = startRefusal(job);
    if (!refused.isEmpty()) {
        tip(refused);
        if (job.dut.listed && !job.dut.active)
            record(QStringLiteral("%1 %2").arg(job.dut.devId, refused), SignalTestRunner::Fail);
        return;
    }
    m_lastPassed = false;
    m_lastDevId.clear();
    record(tr("开始测试: %1 (%2通道)，信号源 %3 %4")
               .arg(job.dut.devId)
               .arg(job.channels)
               .arg(job.source.devId, m_sourceCh->currentText()));
    SignalTestRunner* runner = m_runner.get();
    runOnWorker(tr("测试中..."), [runner, job] { runner->test(job); });
}

void TestSignalDialog::handleRunnerLine(const QString& text, int kind)
{
    if (text.startsWith(QLatin1String("<strong>")))
        m_status->setText(text);
    record(text, kind);
}

void TestSignalDialog::handleCalibrated(bool ok, int dots, int dots2)
{
    if (!ok) {
        m_status->setText(SignalVerdict::resultHtml(tr("校准不通过"), false));
        return;
    }
    m_delayDots = dots;
    m_delayDots2 = dots2;
    const bool saved = m_settings->setTestDots(dots) && m_settings->setTestDots2(dots2);
    qCInfo(lcTools) << "mTestingDelayDots =" << dots << "dots2" << dots2 << "saved" << saved;
    if (!saved)
        record(tr("校准结果未能保存到UserConfig.ini"), SignalTestRunner::Fail);
    m_dotsLabel->setText(QStringLiteral("DelayDots=%1，DelayDots2=%2").arg(dots).arg(dots2));
    m_status->setText(SignalVerdict::resultHtml(tr("校准通过"), true));
}

void TestSignalDialog::handleTested(bool passed, const QString& devId)
{
    m_lastPassed = passed;
    m_lastDevId = devId;
}

void TestSignalDialog::on_pb_restart_clicked()
{
    if (isBusy())
        return;
    if (m_step->currentData().toInt() == 0) {
        tip(tr("初检不需要点击步骤③"));
        return;
    }
    const QString devId = m_testDev->currentData().toString();
    if (!m_lastPassed || devId.isEmpty() || devId != m_lastDevId) {
        tip(tr("检测到测试没有通过，请重新测试"));
        return;
    }
    m_rebootDevId = devId;
    QJsonObject reboot{{QStringLiteral("ops"), QStringLiteral("reboot")}, {QStringLiteral("devId"), devId}};
    emit sendChangedata(QString::fromUtf8(QJsonDocument(reboot).toJson(QJsonDocument::Compact)));
    m_rebootTimer.start(m_rebootTimeoutMs);
    setBusy(true);
}

void TestSignalDialog::handleMessage(QString msg)
{
    if (m_rebootDevId.isEmpty() || msg.size() > 65536)
        return;
    const QJsonObject o = SignalTestPlan::replyObject(msg.toUtf8());
    if (ReplyFields::text(o, "ops") != QLatin1String("reboot") || ReplyFields::text(o, "devId") != m_rebootDevId)
        return;
    finishReboot(ReplyFields::succeeded(o));
}

void TestSignalDialog::finishReboot(bool ok)
{
    m_rebootTimer.stop();
    const QString devId = m_rebootDevId;
    m_rebootDevId.clear();
    setBusy(false);
    if (!ok) {
        record(QStringLiteral("%1 %2").arg(devId, tr("重启失败")), SignalTestRunner::Fail);
        tip(tr("重启失败"));
        emit signal_idle();
        return;
    }
    // Counted once: the device must be tested again before it counts again.
    m_lastPassed = false;
    ++m_testedCount;
    m_countLabel->setText(tr("已检测数量:%1").arg(m_testedCount));
    record(tr("重启成功"), SignalTestRunner::Pass);
    record(tr("成功:%1，已检测数量:%2").arg(devId).arg(m_testedCount), SignalTestRunner::Pass);
    emit signal_idle();
}

void TestSignalDialog::on_pb_lock_clicked()
{
    m_locked = !m_locked;
    m_lock->setText(m_locked ? tr("解锁") : tr("锁定/解锁"));
    setBusy(isBusy());
}

void TestSignalDialog::on_ds_reduceValidVal_valueChanged(double value)
{
    qCInfo(lcTools) << "mReduceValidVal =" << value;
    if (!m_settings->setTestReductVal(value))
        record(tr("阈值未能保存到UserConfig.ini"), SignalTestRunner::Fail);
}

void TestSignalDialog::on_ds_hasSignalValidVal_valueChanged(double value)
{
    qCInfo(lcTools) << "mHasSignalValidVal =" << value;
    if (!m_settings->setTestHasSignalVal(value))
        record(tr("阈值未能保存到UserConfig.ini"), SignalTestRunner::Fail);
}

void TestSignalDialog::on_pb_tab_mt_modify_clicked()
{
    if (isBusy())
        return;
    ModifyTypePlan::Facts f;
    const int index = m_modifyTab->deviceCombo()->currentIndex();
    f.refreshed = m_refreshed && index >= 0 && index < m_answered.size();
    if (f.refreshed) {
        const TestDevice& d = m_answered.at(index);
        f.devId = d.listed ? d.devId : d.hostname;
        f.ip = d.ipText();
    }
    f.type = m_modifyTab->type();
    f.suffix = m_modifyTab->suffix();
    f.writeI2s = m_modifyTab->writeI2s();
    f.i2sFile = ModifyTypePlan::localI2sFile(m_appDir);
    f.i2sExists = QFileInfo(f.i2sFile).isFile();
    f.writeDsp = m_modifyTab->writeDsp();
    f.dspRate = m_modifyTab->dspRate();
    f.dspFile = ModifyTypePlan::localDspFile(m_appDir, f.dspRate);
    f.dspExists = QFileInfo(f.dspFile).isFile();
    const QString refused = ModifyTypePlan::refusal(f);
    if (!refused.isEmpty()) {
        m_modifyTab->setStatus(refused);
        tip(refused);
        return;
    }

    m_modifyTab->setStatus(ModifyTypePlan::busyText());
    setBusy(true);
    record(tr("修改类型: %1 %2 => %3-%4").arg(f.devId, f.ip, f.type, f.suffix));
    ExternalToolRunner tool(m_appDir);
    tool.setPolling(m_toolRounds, m_toolIntervalMs);
    QString failure;
    if (tool.toolPath().isEmpty()) {
        failure = ModifyTypePlan::steps(f).constFirst().failure;
        tip(tr("找不到修改工具tools/Quill.exe"));
    } else {
        // The tool runs with the event loop turning, so the window keeps painting meanwhile.
        for (const ModifyTypePlan::Step& step : ModifyTypePlan::steps(f)) {
            if (!tool.run(step.args)) {
                failure = step.failure;
                break;
            }
        }
    }
    setBusy(false);
    const QString result = failure.isEmpty() ? ModifyTypePlan::successText() : failure;
    m_modifyTab->setStatus(result);
    record(QStringLiteral("%1 %2").arg(f.devId, result),
           failure.isEmpty() ? SignalTestRunner::Pass : SignalTestRunner::Fail);
    emit signal_idle();
}
