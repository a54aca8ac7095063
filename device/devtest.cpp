#include "devtest.h"

#include "AppState.h"
#include "AudioCfgEditor.h"
#include "AudioCfgText.h"
#include "DevDetailStore.h"
#include "DevInfoPanel.h"
#include "DeviceSender.h"
#include "FactoryCodePrompt.h"
#include "FirmwareVersion.h"
#include "GpioPanel.h"
#include "ModelTable.h"
#include "OfflineDeviceBridge.h"
#include "OfflineDscpPanel.h"
#include "ReasonText.h"
#include "ReplyFields.h"
#include "ServiceRequests.h"
#include "StyledButton.h"
#include "UdpToolPanel.h"
#include "UiScale.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QJsonDocument>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

namespace {

using ReplyFields::text;

/// The information panel stays in user mode 0 from this firmware on.
const QString kInfoAlwaysFrom = QStringLiteral("3.1.4");
const QString kCfgEditFrom = QStringLiteral("3.0.0");
constexpr int kBlinkMs = 500;
/// The serial LED's commands through the tunnel: one per half period.
const QString kLedOn = QStringLiteral("uartled on\r\n");
const QString kLedOff = QStringLiteral("uartled off\r\n");
/// The memory figures are shown up to this many characters.
constexpr int kMaxMemoryText = 8192;

QString done()
{
    return ReasonText::forReason(QStringLiteral("设置成功"), AppState::isChinese());
}

QString failedText()
{
    return QCoreApplication::translate("devtest", "设置失败");
}

/// A device's or the routine's answer as a tip: one line, bounded.
QString brief(const QString& answer)
{
    const QString t = answer.simplified();
    return t.size() > 120 ? t.left(120) + QStringLiteral("…") : t;
}

} // namespace

devtest::devtest(const QString& devId, QWidget* parent, OfflineDeviceBridge* design)
    : QWidget(parent), m_devId(devId), m_offline(design), m_runner(ServiceWorker::defaultRunner())
{
    setObjectName(QStringLiteral("devtest"));
    m_ask = [this](const QString& question) {
        QMessageBox box(QMessageBox::Question, tr("提示"), question, QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(QStringLiteral("questionBox"));
        return box.exec() == QMessageBox::Yes;
    };
    m_blinkTimer.setInterval(kBlinkMs);
    connect(&m_blinkTimer, &QTimer::timeout, this, &devtest::slot_checkUartBlinking);
    if (m_offline != nullptr)
        buildOffline();
    else
        buildOnline();
}

devtest::~devtest() = default;

void devtest::setAsker(Asker asker)
{
    m_ask = std::move(asker);
}

void devtest::setRunner(ServiceWorker::Runner runner)
{
    m_runner = runner ? runner : ServiceWorker::defaultRunner();
    if (m_udp != nullptr)
        m_udp->setRunner(std::move(runner));
}

bool devtest::ask(const QString& question)
{
    return m_ask && m_ask(question);
}

QGroupBox* devtest::group(const char* name, const QString& title, QWidget* content)
{
    auto* box = new QGroupBox(title, this);
    box->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(content);
    return box;
}

void devtest::buildOffline()
{
    m_offlineDscp = new OfflineDscpPanel(*m_offline, this);
    connect(m_offlineDscp, &OfflineDscpPanel::signal_showTips, this, &devtest::signal_showTips);
    connect(m_offline, &OfflineDeviceBridge::deviceChanged, m_offlineDscp, &OfflineDscpPanel::load);
    m_priorityBox = group("priorityBox", QStringLiteral("PTP / DSCP"), m_offlineDscp);
    auto* note = new QLabel(AppState::pick(QStringLiteral("其他测试项需要在线设备"),
                                           QStringLiteral("The other tests need a device on the network")),
                            this);
    note->setObjectName(QStringLiteral("offlineNote_label"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_priorityBox);
    layout->addWidget(note);
    layout->addStretch();
}

void devtest::buildOnline()
{
    m_info = new DevInfoPanel(this);
    m_infoBox = group("infoBox", AppState::pick(QStringLiteral("设备信息"), QStringLiteral("Information")), m_info);

    m_udp = new UdpToolPanel(this);
    connect(m_udp, &UdpToolPanel::signal_showTips, this, &devtest::signal_showTips);
    m_udpBox = group("udpBox", AppState::pick(QStringLiteral("UDP 工具"), QStringLiteral("UDP tool")), m_udp);

    m_serviceBox =
        group("serviceBox", AppState::pick(QStringLiteral("维护"), QStringLiteral("Service")), buildServicePanel());
    m_priorityBox = group("priorityBox", QStringLiteral("PTP / DSCP"), buildPriorityPanel());

    auto* cfgContent = new QWidget(this);
    m_cfg = new AudioCfgEditor(cfgContent);
    auto* read = new StyledButton(AppState::pick(QStringLiteral("读取配置"), QStringLiteral("Read")),
                                  StyledButton::Action, cfgContent);
    read->setObjectName(QStringLiteral("pb_readcfg"));
    auto* modify = new StyledButton(AppState::pick(QStringLiteral("修改配置"), QStringLiteral("Modify")),
                                    StyledButton::Action, cfgContent);
    modify->setObjectName(QStringLiteral("pb_modifycfg"));
    auto* cfgButtons = new QHBoxLayout;
    cfgButtons->addStretch();
    cfgButtons->addWidget(read);
    cfgButtons->addWidget(modify);
    auto* cfgLayout = new QVBoxLayout(cfgContent);
    cfgLayout->setContentsMargins(0, 0, 0, 0);
    cfgLayout->addWidget(m_cfg);
    cfgLayout->addLayout(cfgButtons);
    connect(read, &QPushButton::clicked, this, &devtest::on_pb_readcfg_clicked);
    connect(modify, &QPushButton::clicked, this, &devtest::on_pb_modifycfg_clicked);
    m_cfgBox =
        group("cfgBox", AppState::pick(QStringLiteral("音频配置"), QStringLiteral("Audio configuration")), cfgContent);

    m_gpio = new GpioPanel(m_devId, this);
    connect(m_gpio, &GpioPanel::sendChangeData, this, &devtest::sendChangeData);
    connect(m_gpio, &GpioPanel::signal_showTips, this, &devtest::signal_showTips);
    m_gpioBox = group("gpioBox", QStringLiteral("GPIO"), m_gpio);

    m_emptyLabel = new QLabel(AppState::pick(QStringLiteral("暂无测试项"), QStringLiteral("No tests available")), this);
    m_emptyLabel->setObjectName(QStringLiteral("emptyTest_label"));
    m_emptyLabel->setAlignment(Qt::AlignCenter);

    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("testContent"));
    auto* left = m_left = new QVBoxLayout;
    left->addWidget(m_infoBox);
    left->addWidget(m_serviceBox);
    left->addWidget(m_udpBox, 1);
    auto* right = m_right = new QVBoxLayout;
    right->addWidget(m_cfgBox);
    right->addWidget(m_gpioBox);
    right->addWidget(m_priorityBox);
    right->addStretch();
    auto* columns = m_columns = new QHBoxLayout(content);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->addLayout(left, 2);
    columns->addLayout(right, 3);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("testScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    // The page keeps the window's dark ground under its scrolled panels.
    scroll->viewport()->setAutoFillBackground(false);
    content->setAttribute(Qt::WA_StyledBackground);
    content->setStyleSheet(QStringLiteral("QWidget#testContent{background:#1e2229;}"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_emptyLabel);
    layout->addWidget(scroll, 1);

    refreshDetail();
    slot_userModeChanged(0);
}

QWidget* devtest::buildServicePanel()
{
    auto* panel = new QWidget(this);
    const QList<QPair<const char*, QString>> buttons = {
        {"pb_ssh", AppState::pick(QStringLiteral("开启SSH"), QStringLiteral("Start SSH"))},
        {"pb_uartled", tr("开启串口LED闪烁")},
        {"pb_memory", tr("查看内存")},
        {"pb_resetfactory", AppState::pick(QStringLiteral("恢复出厂设置"), QStringLiteral("Factory reset"))},
        {"pb_reboot", AppState::pick(QStringLiteral("重启设备"), QStringLiteral("Reboot"))}};
    auto* grid = new QGridLayout;
    QList<QPushButton*> made;
    for (int i = 0; i < buttons.size(); ++i) {
        auto* b = new StyledButton(buttons.at(i).second, StyledButton::Action, panel);
        b->setObjectName(QLatin1String(buttons.at(i).first));
        grid->addWidget(b, i / 2, i % 2);
        made.append(b);
    }
    m_ledButton = made.at(1);
    m_resetButton = made.at(3);
    connect(made.at(0), &QPushButton::clicked, this, &devtest::on_pb_ssh_clicked);
    connect(made.at(1), &QPushButton::clicked, this, &devtest::on_pb_uartled_clicked);
    connect(made.at(2), &QPushButton::clicked, this, &devtest::on_pb_memory_clicked);
    connect(made.at(3), &QPushButton::clicked, this, &devtest::on_pb_resetfactory_clicked);
    connect(made.at(4), &QPushButton::clicked, this, &devtest::on_pb_reboot_clicked);

    m_cpuRow = new QWidget(panel);
    m_cpuCombo = new QComboBox(m_cpuRow);
    m_cpuCombo->setObjectName(QStringLiteral("cpufreq_cb"));
    m_cpuCombo->addItems(ServiceRequests::cpuChoices());
    auto* setCpu =
        new StyledButton(AppState::pick(QStringLiteral("设置"), QStringLiteral("Set")), StyledButton::Action, m_cpuRow);
    setCpu->setObjectName(QStringLiteral("pb_cpufreq"));
    auto* cpuLayout = new QHBoxLayout(m_cpuRow);
    cpuLayout->setContentsMargins(0, 0, 0, 0);
    cpuLayout->addWidget(new QLabel(QStringLiteral("CPU (kHz):"), m_cpuRow));
    cpuLayout->addWidget(m_cpuCombo, 1);
    cpuLayout->addWidget(setCpu);
    connect(setCpu, &QPushButton::clicked, this, &devtest::on_pb_cpufreq_clicked);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(grid);
    layout->addWidget(m_cpuRow);
    return panel;
}

QWidget* devtest::buildPriorityPanel()
{
    auto* panel = new QWidget(this);
    m_ptpDomain = new QSpinBox(panel);
    m_ptpDomain->setObjectName(QStringLiteral("ptpDomain_sb"));
    m_ptpDomain->setRange(0, 127);
    m_ptpDscp = new QSpinBox(panel);
    m_ptpDscp->setObjectName(QStringLiteral("ptpDscp_sb"));
    m_ptpDscp->setRange(0, 63);
    m_streamDscp = new QSpinBox(panel);
    m_streamDscp->setObjectName(QStringLiteral("dscp_sb"));
    m_streamDscp->setRange(0, 63);
    auto* form = new QFormLayout(panel);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("PTP Domain:"), m_ptpDomain);
    form->addRow(AppState::pick(QStringLiteral("PTP DSCP 优先级:"), QStringLiteral("PTP DSCP Priority:")), m_ptpDscp);
    form->addRow(AppState::pick(QStringLiteral("流 DSCP 优先级:"), QStringLiteral("Stream DSCP Priority:")),
                 m_streamDscp);
    connect(m_ptpDomain, &QSpinBox::editingFinished, this,
            [this] { priorityEdited(m_ptpDomain, "setPtpDomain", "val", &m_lastPtpDomain); });
    connect(m_ptpDscp, &QSpinBox::editingFinished, this,
            [this] { priorityEdited(m_ptpDscp, "setPtpDscp", "val", &m_lastPtpDscp); });
    connect(m_streamDscp, &QSpinBox::editingFinished, this,
            [this] { priorityEdited(m_streamDscp, "setDscp", "dscp", &m_lastStreamDscp); });
    return panel;
}

// ---- State ----------------------------------------------------------------------------------------------------

QString devtest::firmware() const
{
    return m_detail.firmwareVersion;
}

void devtest::refreshDetail()
{
    m_detail = DevDetailStore::instance().getDevDetail(m_devId);
    if (m_info == nullptr)
        return;
    m_info->setIdentity(m_detail.firmwareVersion, m_detail.firmwareBuild, m_detail.oemCode, m_detail.model,
                        m_detail.macText);
    // Prefilled once per device address: the heartbeat's replies must not overwrite what the user typed.
    if (m_detail.ip != 0 && m_detail.ip != m_udpTargetIp) {
        m_udpTargetIp = m_detail.ip;
        m_udp->setTarget(QHostAddress(m_detail.ip).toString(), m_devId);
    }
    // The device's values, unless the user is editing them.
    const struct
    {
        QSpinBox* box;
        int value;
        int* last;
    } boxes[] = {{m_ptpDomain, m_detail.ptpDomain, &m_lastPtpDomain},
                 {m_ptpDscp, m_detail.ptpDscp, &m_lastPtpDscp},
                 {m_streamDscp, m_detail.dscp, &m_lastStreamDscp}};
    for (const auto& b : boxes) {
        if (b.box->hasFocus())
            continue;
        b.box->setValue(b.value);
        *b.last = b.box->value();
    }
    applyVisibility();
}

void devtest::slot_userModeChanged(int mode)
{
    const int before = m_userMode;
    m_userMode = qBound(0, mode, 2);
    if (m_userMode == 0 && m_blinkTimer.isActive())
        on_pb_uartled_clicked(); // a hidden button must not leave the LED blinking
    applyVisibility();
    // Factory mode shows figures that user mode 0 does not ask for.
    if (m_userMode > before && isVisible())
        requestInformation();
}

void devtest::applyVisibility()
{
    if (m_offline != nullptr || m_info == nullptr)
        return;
    const bool factory = m_userMode >= 1;
    const bool second = m_userMode >= 2;
    const bool info = factory || !FirmwareVersion::before(firmware(), kInfoAlwaysFrom);
    m_infoBox->setVisible(info);
    for (QGroupBox* box : {m_udpBox, m_serviceBox, m_priorityBox, m_gpioBox})
        box->setVisible(factory);
    m_cfgBox->setVisible(second);
    m_cpuRow->setVisible(second);
    m_resetButton->setVisible(AppState::config().isOn(AppConfig::Switch::CanResetFactory));
    m_emptyLabel->setVisible(!info && !factory);
}

void devtest::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_columns == nullptr)
        return;
    const int need = m_left->minimumSize().width() + m_right->minimumSize().width() + m_columns->spacing() +
                     style()->pixelMetric(QStyle::PM_ScrollBarExtent) + UiScale::px(4);
    m_columns->setDirection(width() >= need ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
}

void devtest::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    requestInformation();
}

void devtest::send(QJsonObject msg)
{
    if (m_offline != nullptr)
        return;
    msg.insert(QStringLiteral("devId"), m_devId);
    emit sendChangeData(QString::fromUtf8(QJsonDocument(msg).toJson(QJsonDocument::Compact)));
}

void devtest::sendReboot()
{
    send({{QStringLiteral("ops"), QStringLiteral("reboot")}});
}

void devtest::useFactoryPort()
{
    DevDetailStore& store = DevDetailStore::instance();
    const DevDetail_t d = store.getDevDetail(m_devId);
    if (d.ip != 0)
        store.setReplyAddress(m_devId, d.ip);
}

void devtest::requestInformation()
{
    if (m_offline != nullptr || AppState::isOffline())
        return;
    send({{QStringLiteral("ops"), QStringLiteral("getDebugInfo")}});
    if (m_userMode >= 1) {
        useFactoryPort();
        send(ServiceRequests::cpuGetMessage(m_devId));
        requestSecondModule();
    }
}

void devtest::requestSecondModule()
{
    DevDetailStore& store = DevDetailStore::instance();
    const DevDetail_t d = store.getDevDetail(m_devId);
    if (d.ip == 0 || !ModelTable::instance().isAmplifier(d.model))
        return;
    // A module with an address of its own answers from there; the store must know whose replies those are.
    uint32_t moduleIp = store.moduleMap(1).value(m_devId).ip;
    if (moduleIp == 0)
        moduleIp = d.ip;
    store.setReplyAddress(m_devId, moduleIp);
    DeviceSender::send(ServiceRequests::moduleRequest(), moduleIp, ServiceRequests::kModulePort);
}

// ---- Configuration --------------------------------------------------------------------------------------------

void devtest::on_pb_readcfg_clicked()
{
    if (!onNetwork())
        return;
    send({{QStringLiteral("ops"), QStringLiteral("getCfg")}});
}

void devtest::on_pb_modifycfg_clicked()
{
    if (!onNetwork())
        return;
    refreshDetail();
    if (FirmwareVersion::before(firmware(), kCfgEditFrom)) {
        emit signal_showTips(tr("该设备不支持修改配置"));
        return;
    }
    if (!m_cfg->loaded()) {
        // Without the device's text the edit would send only the shown keys.
        emit signal_showTips(
            AppState::pick(QStringLiteral("请先读取配置"), QStringLiteral("Read the configuration first")));
        on_pb_readcfg_clicked();
        return;
    }
    QString error;
    m_cfg->editedText(&error);
    if (!error.isEmpty()) {
        emit signal_showTips(error);
        return;
    }
    auto* prompt = new FactoryCodePrompt(this);
    connect(prompt, &FactoryCodePrompt::signal_entered, this, &devtest::applyCfgEdit);
    prompt->open();
}

void devtest::applyCfgEdit(const QString& code)
{
    const QString refusal = AudioCfgText::editRefusal(firmware(), code);
    if (!refusal.isEmpty()) {
        emit signal_showTips(refusal);
        return;
    }
    QString error;
    const QString text = m_cfg->editedText(&error);
    if (!error.isEmpty()) {
        emit signal_showTips(error);
        return;
    }
    send({{QStringLiteral("ops"), QStringLiteral("setCfg")}, {QStringLiteral("cfg"), text}});
}

// ---- Service --------------------------------------------------------------------------------------------------

void devtest::on_pb_ssh_clicked()
{
    if (!onNetwork())
        return;
    refreshDetail();
    if (m_detail.ip == 0)
        return;
    const QHostAddress address(m_detail.ip);
    ServiceWorker::start(this, m_runner, {ServiceRequests::sshRequest(address.toString())}, address,
                         ServiceRequests::kFactoryPort, [this](const QVector<WaitedUdpRequest::Result>& results) {
                             const WaitedUdpRequest::Result r = results.value(0);
                             if (r.answered() && ServiceRequests::sshStarted(r.text))
                                 emit signal_showTips(done());
                             else
                                 emit signal_showTips(r.answered() ? failedText() : r.text);
                         });
}

void devtest::on_pb_uartled_clicked()
{
    if (!onNetwork())
        return;
    m_blinkOn = false;
    if (m_blinkTimer.isActive()) {
        m_blinkTimer.stop();
        send({{QStringLiteral("ops"), QStringLiteral("sendUdpToUart")}, {QStringLiteral("cmd"), kLedOff}});
        m_ledButton->setText(tr("开启串口LED闪烁"));
        return;
    }
    m_blinkTimer.start();
    slot_checkUartBlinking();
    m_ledButton->setText(tr("停止串口LED闪烁"));
}

void devtest::slot_checkUartBlinking()
{
    if (!m_blinkTimer.isActive())
        return;
    m_blinkOn = !m_blinkOn;
    send({{QStringLiteral("ops"), QStringLiteral("sendUdpToUart")},
          {QStringLiteral("cmd"), m_blinkOn ? kLedOn : kLedOff}});
}

void devtest::on_pb_cpufreq_clicked()
{
    if (!onNetwork())
        return;
    useFactoryPort();
    send(ServiceRequests::cpuSetMessage(m_cpuCombo->currentIndex(), m_devId));
}

void devtest::on_pb_resetfactory_clicked()
{
    if (!onNetwork())
        return;
    refreshDetail();
    if (ServiceRequests::anyLockSet(m_detail)) {
        emit signal_showTips(AppState::pick(QStringLiteral("设备已上锁，请先解锁"),
                                            QStringLiteral("The device is locked, please unlock")));
        return;
    }
    if (m_detail.ip == 0 || !ask(tr("恢复出厂设置会删除全部用户配置，确认恢复？")))
        return;
    ServiceWorker::start(this, m_runner, ServiceRequests::resetRequests(firmware()), QHostAddress(m_detail.ip),
                         ServiceRequests::kFactoryPort, [this](const QVector<WaitedUdpRequest::Result>& results) {
                             QString failure;
                             for (const WaitedUdpRequest::Result& r : results) {
                                 if (r.answered() && ServiceRequests::resetSucceeded(r.text)) {
                                     if (ask(tr("恢复成功，需要重启设备，立即重启？")))
                                         sendReboot();
                                     return;
                                 }
                                 if (failure.isEmpty())
                                     failure = r.answered() ? brief(r.text) : r.text;
                             }
                             emit signal_showTips(failedText() + QStringLiteral(": ") + failure);
                         });
}

void devtest::on_pb_reboot_clicked()
{
    if (!onNetwork())
        return;
    if (ask(tr("确定重启设备？")))
        sendReboot();
}

void devtest::on_pb_memory_clicked()
{
    if (!onNetwork())
        return;
    if (!m_memoryView) {
        auto* dialog = new QDialog(this);
        dialog->setObjectName(QStringLiteral("memoryDialog"));
        dialog->setWindowTitle(tr("查看内存"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->resize(UiScale::px(560), UiScale::px(260));
        auto* view = new QPlainTextEdit(dialog);
        view->setObjectName(QStringLiteral("memory_te"));
        view->setReadOnly(true);
        view->setLineWrapMode(QPlainTextEdit::NoWrap);
        view->setFont(QFont(QStringLiteral("monospace")));
        (new QVBoxLayout(dialog))->addWidget(view);
        m_memoryView = view;
        dialog->show();
    }
    m_memoryView->window()->raise();
    send({{QStringLiteral("ops"), QStringLiteral("getDebugInfo")}});
}

void devtest::priorityEdited(QSpinBox* box, const char* ops, const char* field, int* last)
{
    if (box->value() == *last)
        return;
    send({{QStringLiteral("ops"), QLatin1String(ops)}, {QLatin1String(field), QString::number(box->value())}});
}

// ---- Replies --------------------------------------------------------------------------------------------------

void devtest::recvBackData(const QJsonObject& msg)
{
    if (m_offline != nullptr)
        return;
    const QString ops = text(msg, "ops");
    const bool succ = ReplyFields::succeeded(msg);
    if (m_gpio->handleReply(msg))
        return;
    m_info->handleReply(msg);
    if (ops == QLatin1String("getVersion")) {
        refreshDetail();
    } else if (ops == QLatin1String("getDebugInfo")) {
        if (m_memoryView && msg.contains(QStringLiteral("free"))) {
            QString free = text(msg, "free");
            free.remove(QLatin1Char('\r'));
            if (free.size() > kMaxMemoryText)
                free = free.left(kMaxMemoryText) + QStringLiteral("\n…");
            m_memoryView->setPlainText(free);
        }
    } else if (ops == QLatin1String("getCfg")) {
        QString error;
        if (ReplyFields::failed(msg) || !m_cfg->load(text(msg, "cfg"), &error))
            emit signal_showTips(tr("获取失败"));
    } else if (ops == QLatin1String("setCfg")) {
        if (!succ) {
            emit signal_showTips(failedText());
        } else {
            on_pb_readcfg_clicked();
            if (ask(QStringLiteral("Set successfully, effective after reboot, whether immediately reboot?")))
                sendReboot();
        }
    } else if (ops == QLatin1String("getOemData")) {
        if (text(msg, "name").trimmed() == QLatin1String("cpuKHz") && succ)
            m_cpuCombo->setCurrentIndex(ServiceRequests::cpuChoiceOf(text(msg, "val")));
    } else if (ops == QLatin1String("setOemData")) {
        if (text(msg, "name").trimmed() == QLatin1String("cpuKHz")) {
            emit signal_showTips(succ ? done() : failedText());
            send(ServiceRequests::cpuGetMessage(m_devId));
        }
    } else if (ops == QLatin1String("setPtpDomain") || ops == QLatin1String("setPtpDscp") ||
               ops == QLatin1String("setDscp")) {
        QSpinBox* box = ops == QLatin1String("setPtpDomain") ? m_ptpDomain
                        : ops == QLatin1String("setPtpDscp") ? m_ptpDscp
                                                             : m_streamDscp;
        int* last = ops == QLatin1String("setPtpDomain") ? &m_lastPtpDomain
                    : ops == QLatin1String("setPtpDscp") ? &m_lastPtpDscp
                                                         : &m_lastStreamDscp;
        if (succ) {
            *last = box->value();
            emit signal_showTips(done());
        } else {
            if (*last >= 0)
                box->setValue(*last);
            emit signal_showTips(failedText());
        }
    }
}
