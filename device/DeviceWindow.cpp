#include "DeviceWindow.h"

#include "AppState.h"
#include "AudioFormatControl.h"
#include "ChannelNameTable.h"
#include "DevDetailStore.h"
#include "DevDspDialog.h"
#include "DeviceAddressPanel.h"
#include "FactoryAccess.h"
#include "FormEditDevTypeDialog.h"
#include "LockOverlays.h"
#include "ManageLock.h"
#include "ModelTable.h"
#include "ModifyDefaultDspDialog.h"
#include "NameRules.h"
#include "NewDelayCounter.h"
#include "OfflineDeviceBridge.h"
#include "OfflineDscpPanel.h"
#include "OfflineDspOpener.h"
#include "ReasonText.h"
#include "ReplyFields.h"
#include "StyledButton.h"
#include "UartTunnelPanel.h"
#include "UiScale.h"
#include "UserModeNotifier.h"
#include "channelVoice.h"
#include "devtest.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QString kSucc = QStringLiteral("succ");

using ReplyFields::text;

} // namespace

DeviceWindow::DeviceWindow(const QString& devId, QWidget* parent, OfflineData* design) : QWidget(parent), m_devId(devId)
{
    setObjectName(QStringLiteral("DeviceWindow"));
    if (design != nullptr)
        m_offline = new OfflineDeviceBridge(*design, devId, this);
    m_ask = [this](const QString& question) {
        QMessageBox box(QMessageBox::Question, tr("提示"), question, QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(QStringLiteral("questionBox"));
        return box.exec() == QMessageBox::Yes;
    };
    buildUi();
    if (m_offline != nullptr) {
        m_format->setOfflineDevice(m_offline);
        m_channels->setOfflineDevice(m_offline);
        connect(m_offline, &OfflineDeviceBridge::deviceChanged, this, &DeviceWindow::loadFromDesign);
        for (const char* name : {"pb_edit_type", "pb_manage", "reboot_bt", "pb_defaultDsp"}) {
            if (auto* b = findChild<QPushButton*>(QLatin1String(name)))
                b->setEnabled(false);
        }
    }
    loadFromStore();
    refreshLock();
    slot_userModeChanged(FactoryAccess::userMode());
    connect(&UserModeNotifier::instance(), &UserModeNotifier::signal_userModeChanged, this,
            &DeviceWindow::slot_userModeChanged);

    m_lockTimer.setInterval(1000);
    connect(&m_lockTimer, &QTimer::timeout, this, [this] {
        refreshLock();
        emit signal_lockRefreshed(); // the delay page follows the lock itself while it is shown
    });
    m_lockTimer.start();

    // Queued: the frame connects sendChangeData only after this constructor returns.
    if (!AppState::isOffline() && m_offline == nullptr)
        QTimer::singleShot(0, this, &DeviceWindow::requestDeviceState);
}

void DeviceWindow::requestDeviceState()
{
    for (const char* ops : {"getIp", "getDebugInfo", "getVersion"})
        send(QJsonObject{{QStringLiteral("ops"), QLatin1String(ops)}, {QStringLiteral("devId"), m_devId}});
    if (ModelTable::instance().hasDsp(m_detail.model))
        send(QJsonObject{{QStringLiteral("ops"), QStringLiteral("getCfg")}, {QStringLiteral("devId"), m_devId}});
}

DeviceWindow::~DeviceWindow() = default;

void DeviceWindow::setAsker(Asker asker)
{
    m_ask = asker;
    m_testPage->setAsker(asker);
    m_address->setAsker(std::move(asker));
}

bool DeviceWindow::ask(const QString& question)
{
    return m_ask && m_ask(question);
}

int DeviceWindow::currentPage() const
{
    return m_stack->currentIndex();
}

QString DeviceWindow::nameHint() const
{
    return m_nameHint->text();
}

// ---- Building ----------------------------------------------------------------------------------

void DeviceWindow::buildUi()
{
    setStyleSheet(QStringLiteral("QWidget#DeviceWindow{background:#1e2229;} QLabel{color:#d7dbe2;}"
                                 "QGroupBox{color:#d7dbe2;border:1px solid #3a404a;margin-top:%1px;padding:%2px;}"
                                 "QGroupBox::title{subcontrol-origin:margin;left:%2px;}")
                      .arg(UiScale::px(10))
                      .arg(UiScale::px(6)));
    setAttribute(Qt::WA_StyledBackground);

    // Identity line.
    m_nameLabel = new QLabel(this);
    m_nameLabel->setObjectName(QStringLiteral("name_label"));
    m_modelLabel = new QLabel(this);
    m_modelLabel->setObjectName(QStringLiteral("model_label"));
    m_devIdLabel = new QLabel(this);
    m_devIdLabel->setObjectName(QStringLiteral("devId_label"));
    m_versionLabel = new QLabel(this);
    m_versionLabel->setObjectName(QStringLiteral("version_label"));
    auto* identity = new QHBoxLayout;
    identity->setSpacing(UiScale::px(24));
    for (QLabel* l : {m_nameLabel, m_modelLabel, m_devIdLabel, m_versionLabel})
        identity->addWidget(l);
    identity->addStretch();

    // Page buttons.
    m_pageButtons = new QButtonGroup(this);
    auto* buttons = new QHBoxLayout;
    const QList<QPair<const char*, QString>> pages = {
        {"page_bt_config", tr("设备配置")}, {"page_bt_dsp", tr("音频处理")},   {"page_bt_levels", tr("通道音量")},
        {"page_bt_delay", tr("延时统计")},  {"page_bt_clock", tr("时钟日志")}, {"page_bt_test", tr("测试")},
        {"page_bt_stream", tr("流管理")}};
    for (int i = 0; i < pages.size(); ++i) {
        auto* b = new StyledButton(pages.at(i).second, StyledButton::Page, this);
        b->setObjectName(QLatin1String(pages.at(i).first));
        b->setCheckable(true);
        m_pageButtons->addButton(b, i);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    m_pageButtons->button(BtConfig)->setChecked(true);
    // The vendor's "appConfig.txt" decides whether the channel levels are offered at all.
    m_pageButtons->button(BtLevels)->setVisible(AppState::config().isOn(AppConfig::Switch::CanShowVolume));
    connect(m_pageButtons, &QButtonGroup::idClicked, this, &DeviceWindow::btGroupclicked);

    m_stack = new QStackedWidget(this);
    m_settingsPage = buildSettingsPage();
    m_stack->addWidget(m_settingsPage);
    m_levelsPage = new channelVoice(m_devId, m_stack);
    m_stack->addWidget(m_levelsPage);
    m_delayPage = new NewDelayCounter(m_devId, m_stack);
    m_stack->addWidget(m_delayPage);
    m_overlays = new LockOverlays(m_settingsPage);
    m_testPage = new devtest(m_devId, m_stack, m_offline);
    addPage(BtTest, m_testPage);
    connect(m_testPage, &devtest::sendChangeData, this, &DeviceWindow::sendDataSlots);
    connect(m_testPage, &devtest::signal_showTips, this, &DeviceWindow::signal_showTips);

    connect(m_levelsPage, &channelVoice::sendChangeData, this, &DeviceWindow::sendDataSlots);
    connect(m_levelsPage, &channelVoice::signal_showTips, this, &DeviceWindow::signal_showTips);
    connect(m_levelsPage, &channelVoice::signal_showLoading, this,
            QOverload<int, QString>::of(&DeviceWindow::signal_showLoading));
    connect(m_levelsPage, &channelVoice::signal_hideLoading, this, &DeviceWindow::signal_hideLoading);
    connect(m_delayPage, &NewDelayCounter::sendChangeData, this, &DeviceWindow::sendDataSlots);
    connect(m_delayPage, &NewDelayCounter::signal_showTips, this, &DeviceWindow::signal_showTips);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(UiScale::px(10), UiScale::px(8), UiScale::px(10), UiScale::px(8));
    layout->addLayout(identity);
    layout->addLayout(buttons);
    layout->addWidget(m_stack, 1);
}

QWidget* DeviceWindow::buildSettingsPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("settingsPage"));

    // Device and audio settings.
    auto* general = new QGroupBox(tr("设备设置"), page);
    general->setObjectName(QStringLiteral("generalPanel"));
    auto* form = new QFormLayout(general);
    m_nameEdit = new QLineEdit(general);
    m_nameEdit->setObjectName(QStringLiteral("devName_le"));
    m_nameHint = new QLabel(general);
    m_nameHint->setObjectName(QStringLiteral("nameHint_label"));
    m_nameHint->setStyleSheet(QStringLiteral("QLabel{color:#ff9c3a;}"));
    auto* nameTip = new QLabel(QStringLiteral("Tips：The name cannot contain special characters."), general);
    nameTip->setObjectName(QStringLiteral("nameTips_label"));
    m_rateCombo = new QComboBox(general);
    m_rateCombo->setObjectName(QStringLiteral("samplerate_comb"));
    m_packetCombo = new QComboBox(general);
    m_packetCombo->setObjectName(QStringLiteral("PacketTimeDiv_comb"));
    m_delayCombo = new QComboBox(general);
    m_delayCombo->setObjectName(QStringLiteral("netdelay_comb"));
    m_byteCombo = new QComboBox(general);
    m_byteCombo->setObjectName(QStringLiteral("combo_sampleByteNum"));
    m_infoLabel = new QLabel(general);
    m_infoLabel->setObjectName(QStringLiteral("devInfo_label"));
    m_dspChLabel = new QLabel(general);
    m_dspChLabel->setObjectName(QStringLiteral("dspCh_label"));
    m_dspChLabel->hide(); // only DSP models report their channel counts
    form->addRow(tr("设备名称"), m_nameEdit);
    // The live hint shows only while the typed name would be refused.
    auto* hints = new QVBoxLayout;
    hints->setSpacing(UiScale::px(2));
    hints->addWidget(m_nameHint);
    hints->addWidget(nameTip);
    m_nameHint->hide();
    form->addRow(QString(), hints);
    form->addRow(tr("采样率"), m_rateCombo);
    form->addRow(tr("包时间"), m_packetCombo);
    form->addRow(tr("网络延时"), m_delayCombo);
    form->addRow(tr("采样位深"), m_byteCombo);
    form->addRow(tr("设备信息"), m_infoLabel);
    form->addRow(QString(), m_dspChLabel);

    auto* tools = new QHBoxLayout;
    const QList<QPair<const char*, QString>> toolButtons = {{"pb_edit_type", tr("修改类型")},
                                                            {"pb_manage", tr("锁定管理")},
                                                            {"dsp_bt", tr("音频处理")},
                                                            {"reboot_bt", tr("重启设备")},
                                                            {"pb_defaultDsp", tr("默认配置")}};
    QList<QPushButton*> made;
    for (const auto& b : toolButtons) {
        auto* button = new StyledButton(b.second, StyledButton::Action, general);
        button->setObjectName(QLatin1String(b.first));
        tools->addWidget(button);
        made.append(button);
    }
    form->addRow(tools);
    made.at(0)->setVisible(AppState::config().isOn(AppConfig::Switch::CanEditDevType));
    connect(made.at(0), &QPushButton::clicked, this, &DeviceWindow::on_pb_edit_type_clicked);
    connect(made.at(1), &QPushButton::clicked, this, &DeviceWindow::on_pb_manage_clicked);
    connect(made.at(2), &QPushButton::clicked, this, &DeviceWindow::on_dsp_bt_clicked);
    connect(made.at(3), &QPushButton::clicked, this, &DeviceWindow::on_reboot_bt_clicked);
    connect(made.at(4), &QPushButton::clicked, this, &DeviceWindow::on_pb_defaultDsp_clicked);

    // Network.
    auto* network = new QGroupBox(tr("网络设置"), page);
    network->setObjectName(QStringLiteral("networkPanel"));
    m_address = new DeviceAddressPanel(m_devId, network);
    (new QVBoxLayout(network))->addWidget(m_address);
    m_address->setAsker([this](const QString& q) { return ask(q); });

    // Channel names and the serial tunnel.
    auto* channels = new QGroupBox(tr("通道名称"), page);
    channels->setObjectName(QStringLiteral("channelPanel"));
    m_channels = new ChannelNameTable(m_devId, channels);
    (new QVBoxLayout(channels))->addWidget(m_channels);
    auto* tunnel = new QGroupBox(tr("串口透传"), page);
    tunnel->setObjectName(QStringLiteral("tunnelPanel"));
    m_tunnel = new UartTunnelPanel(m_devId, tunnel);
    (new QVBoxLayout(tunnel))->addWidget(m_tunnel);

    auto* left = new QVBoxLayout;
    left->addWidget(general);
    if (m_offline != nullptr) {
        // A design keeps the priorities a real device is given from its test page.
        auto* priorities = new QGroupBox(QStringLiteral("PTP / DSCP"), page);
        priorities->setObjectName(QStringLiteral("priorityPanel"));
        m_dscp = new OfflineDscpPanel(*m_offline, priorities);
        (new QVBoxLayout(priorities))->addWidget(m_dscp);
        connect(m_dscp, &OfflineDscpPanel::signal_showTips, this, &DeviceWindow::signal_showTips);
        left->addWidget(priorities);
    }
    left->addWidget(network);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(channels, 3);
    right->addWidget(tunnel, 2);
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);

    connect(m_nameEdit, &QLineEdit::editingFinished, this, &DeviceWindow::on_devName_le_editingFinished);
    connect(m_nameEdit, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_nameHint->setText(NameRules::liveHint(t));
        m_nameHint->setVisible(!m_nameHint->text().isEmpty());
    });
    m_format = new AudioFormatControl(m_devId, {m_rateCombo, m_packetCombo, m_delayCombo, m_byteCombo}, this);
    m_format->setAsker([this](const QString& q) { return ask(q); });
    connect(m_format, &AudioFormatControl::sendChangeData, this, &DeviceWindow::sendDataSlots);
    connect(m_format, &AudioFormatControl::signal_showTips, this, &DeviceWindow::signal_showTips);
    connect(m_format, &AudioFormatControl::signal_awaitReply, this, &DeviceWindow::awaitReply);
    connect(m_format, &AudioFormatControl::signal_replied, this, &DeviceWindow::signal_hideLoading);
    connect(m_rateCombo, QOverload<int>::of(&QComboBox::activated), this, &DeviceWindow::on_samplerate_comb_activated);
    connect(m_packetCombo, QOverload<int>::of(&QComboBox::activated), this,
            &DeviceWindow::on_PacketTimeDiv_comb_activated);
    connect(m_delayCombo, QOverload<int>::of(&QComboBox::activated), this, &DeviceWindow::on_netdelay_comb_activated);
    connect(m_byteCombo, QOverload<int>::of(&QComboBox::activated), this,
            &DeviceWindow::on_combo_sampleByteNum_activated);
    for (QObject* sender : {static_cast<QObject*>(m_address), static_cast<QObject*>(m_channels)}) {
        connect(sender, SIGNAL(sendChangeData(QString)), this, SLOT(sendDataSlots(QString)));
        connect(sender, SIGNAL(signal_showTips(QString)), this, SIGNAL(signal_showTips(QString)));
    }
    connect(m_tunnel, &UartTunnelPanel::sendChangeData, this, &DeviceWindow::sendDataSlots);
    return page;
}

// ---- Filling from the store ----------------------------------------------------------------------

void DeviceWindow::loadFromStore()
{
    if (m_offline != nullptr) {
        loadFromDesign();
        return;
    }
    m_detail = DevDetailStore::instance().getDevDetail(m_devId, "DeviceWindow", __LINE__);
    m_name = m_detail.name;
    m_nameEdit->setText(m_name);
    updateIdentity(m_detail);
    m_format->load(m_detail);
    m_address->setInterfaceCount(ModelTable::instance().interfaceCount(m_detail.model));
    m_address->fillFromDetail(m_detail);
    m_channels->setNames(m_detail.rxChNames, m_detail.txChNames);
}

void DeviceWindow::loadFromDesign()
{
    const DevDetail_t detail = m_offline->detail();
    if (detail.isEmpty()) {
        emit closeSignal();
        return;
    }
    const bool renamed = !m_detail.isEmpty() && detail.name != m_name;
    m_detail = detail;
    m_name = detail.name;
    if (m_nameEdit->text().trimmed() != m_name && !m_nameEdit->hasFocus())
        m_nameEdit->setText(m_name);
    updateIdentity(detail);
    m_format->loadOffline();
    m_dscp->load();
    m_channels->setNames(detail.rxChNames, detail.txChNames);
    if (renamed)
        emit refreshTitleSignal(m_name);
}

bool DeviceWindow::needsNetwork(const QWidget* panel) const
{
    const QString name = panel->objectName();
    return name == QLatin1String("networkPanel") || name == QLatin1String("tunnelPanel");
}

void DeviceWindow::updateIdentity(const DevDetail_t& detail)
{
    m_nameLabel->setText(detail.name);
    m_modelLabel->setText(tr("型号: ") + detail.model);
    m_devIdLabel->setText(QStringLiteral("ID: ") + m_devId);
    QString version = detail.firmwareVersion;
    if (!detail.firmwareBuild.isEmpty())
        version += QStringLiteral("-") + detail.firmwareBuild;
    m_versionLabel->setText(tr("固件版本: ") + version);
}

// ---- Edits -----------------------------------------------------------------------------------------

void DeviceWindow::send(const QJsonObject& msg)
{
    if (m_offline != nullptr)
        return; // a design device is edited in the design only
    emit sendChangeData(QString::fromUtf8(QJsonDocument(msg).toJson(QJsonDocument::Compact)));
}

void DeviceWindow::sendDataSlots(QString msg)
{
    if (m_offline != nullptr)
        return;
    emit sendChangeData(msg);
}

void DeviceWindow::sendReboot()
{
    send(QJsonObject{{QStringLiteral("ops"), QStringLiteral("reboot")}, {QStringLiteral("devId"), m_devId}});
}

void DeviceWindow::awaitReply()
{
    emit signal_showLoading();
}

void DeviceWindow::on_devName_le_editingFinished()
{
    const NameRules::Result r = NameRules::check(m_nameEdit->text(), m_name);
    m_nameHint->clear();
    m_nameHint->hide();
    if (r.verdict == NameRules::Unchanged || (r.name == m_pendingName && !m_pendingName.isEmpty()))
        return;
    if (r.verdict != NameRules::Accepted) {
        emit signal_showTips(r.tip);
        m_nameEdit->setText(m_name);
        return;
    }
    m_nameEdit->setText(r.name);
    if (m_offline != nullptr) {
        // Confirmed before the design is told, so the refresh it triggers sees no foreign rename.
        const QString previous = m_name;
        m_name = r.name;
        if (!m_offline->setName(r.name)) {
            m_name = previous;
            m_nameEdit->setText(m_name);
            emit signal_showTips(tr("设置失败"));
            return;
        }
        m_nameLabel->setText(m_name);
        emit refreshTitleSignal(r.name);
        emit signal_showTips(ReasonText::forReason(QStringLiteral("设置成功"), AppState::isChinese()));
        return;
    }
    if (AppState::isOffline()) {
        // Nothing leaves while offline, and the store speaks for real devices only: the name stays in the window.
        m_name = r.name;
        emit refreshTitleSignal(r.name);
        emit signal_showTips(ReasonText::forReason(QStringLiteral("设置成功"), AppState::isChinese()));
        return;
    }
    m_pendingName = r.name;
    send(QJsonObject{{QStringLiteral("ops"), QStringLiteral("setDevName")},
                     {QStringLiteral("devId"), m_devId},
                     {QStringLiteral("name"), r.name}});
    awaitReply();
}

void DeviceWindow::on_samplerate_comb_activated(int index)
{
    m_format->on_samplerate_comb_activated(index);
}

void DeviceWindow::on_PacketTimeDiv_comb_activated(int index)
{
    m_format->on_PacketTimeDiv_comb_activated(index);
}

void DeviceWindow::on_netdelay_comb_activated(int index)
{
    m_format->on_netdelay_comb_activated(index);
}

void DeviceWindow::on_combo_sampleByteNum_activated(int index)
{
    m_format->on_combo_sampleByteNum_activated(index);
}

void DeviceWindow::on_changeIp_bt_clicked()
{
    m_address->on_changeIp_bt_clicked();
}

void DeviceWindow::on_pb_resetip_clicked()
{
    m_address->on_pb_resetip_clicked();
}

void DeviceWindow::on_uart_send_bt_clicked()
{
    m_tunnel->on_uart_send_bt_clicked();
}

void DeviceWindow::on_reboot_bt_clicked()
{
    if (ask(tr("是否重启设备？")))
        sendReboot();
}

void DeviceWindow::on_pb_edit_type_clicked()
{
    auto* dialog = new FormEditDevTypeDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setDevInfo(m_devId, AddressChecks::quadText(m_detail.ip), m_detail.macText);
    connect(dialog, &FormEditDevTypeDialog::sendChangeData, this, &DeviceWindow::sendDataSlots);
    connect(dialog, &FormEditDevTypeDialog::signal_showTips, this, &DeviceWindow::signal_showTips);
    dialog->open();
}

void DeviceWindow::on_pb_manage_clicked()
{
    if (m_lockDialog) {
        m_lockDialog->raise();
        return;
    }
    auto* dialog = new ManageLock(m_devId, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &ManageLock::signal_information, this, [this](const QString& t, bool) { emit signal_showTips(t); });
    connect(dialog, &ManageLock::signal_lockMode, this, &DeviceWindow::signal_lockMode);
    connect(dialog, &ManageLock::signal_lockMode, this, &DeviceWindow::refreshLock);
    m_lockDialog = dialog;
    dialog->open();
}

void DeviceWindow::notYetAvailable()
{
    emit signal_showTips(tr("暂不可用"));
}

void DeviceWindow::on_dsp_bt_clicked()
{
    const DevDetail_t detail =
        m_offline != nullptr ? m_detail : DevDetailStore::instance().getDevDetail(m_devId, __func__, __LINE__);
    if (!ModelTable::instance().hasDsp(detail.model)) {
        notYetAvailable();
        return;
    }
    // One processor dialog per device window: a second click brings the open one forward.
    if (m_dspDialog) {
        m_dspDialog->showNormal();
        m_dspDialog->raise();
        m_dspDialog->activateWindow();
        return;
    }
    if (m_offline != nullptr) {
        // The design's configuration, edited without a link; the dialog stores it in the design on save.
        DevDspDialog* dialog = OfflineDspOpener::open(m_offline->design(), m_devId, this);
        if (dialog == nullptr) {
            notYetAvailable();
            return;
        }
        m_dspDialog = dialog;
        connect(dialog, &DevDspDialog::signal_showTips, this, &DeviceWindow::signal_showTips);
        connect(dialog, &DevDspDialog::signal_showDialog, this,
                [this](const QString& t, bool) { emit signal_showTips(t); });
        return;
    }
    auto* dialog = new DevDspDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dspDialog = dialog;
    connect(this, &DeviceWindow::signal_lockRefreshed, dialog, &DevDspDialog::refreshLock);
    connect(dialog, &DevDspDialog::signal_showTips, this, &DeviceWindow::signal_showTips);
    connect(dialog, &DevDspDialog::signal_showDialog, this,
            [this](const QString& t, bool) { emit signal_showTips(t); });
    dialog->initOnlineUi(m_devId);
    dialog->show();
}

void DeviceWindow::on_pb_defaultDsp_clicked()
{
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(m_devId, __func__, __LINE__);
    if (m_offline != nullptr || !ModelTable::instance().hasDsp(detail.model)) {
        notYetAvailable();
        return;
    }
    if (m_defaultDspDialog) {
        m_defaultDspDialog->raise();
        return;
    }
    auto* dialog = new ModifyDefaultDspDialog(m_devId, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_defaultDspDialog = dialog;
    // The dialog already asked; the new default takes effect once the device has restarted.
    connect(dialog, &ModifyDefaultDspDialog::signal_restartDevice, this, &DeviceWindow::sendReboot);
    dialog->open();
}

void DeviceWindow::btGroupclicked(int id)
{
    switch (id) {
    case BtConfig:
        m_stack->setCurrentIndex(ConfigPage);
        break;
    case BtLevels:
        m_stack->setCurrentIndex(LevelsPage);
        break;
    case BtDelay:
        m_stack->setCurrentIndex(DelayPage);
        break;
    case BtDsp:
        // The processor has its own dialog; the page underneath stays as it is.
        on_dsp_bt_clicked();
        break;
    default:
        if (QWidget* page = m_addedPages.value(id))
            m_stack->setCurrentWidget(page);
        else
            notYetAvailable();
        break;
    }
    // A page that is not available leaves the current one chosen.
    int shown = m_stack->currentIndex() == LevelsPage  ? BtLevels
                : m_stack->currentIndex() == DelayPage ? BtDelay
                                                       : BtConfig;
    for (auto it = m_addedPages.constBegin(); it != m_addedPages.constEnd(); ++it)
        if (it.value() == m_stack->currentWidget())
            shown = it.key();
    m_pageButtons->button(shown)->setChecked(true);
}

void DeviceWindow::addPage(PageButton button, QWidget* page)
{
    if (page == nullptr || m_addedPages.contains(button))
        return;
    m_stack->addWidget(page);
    m_addedPages.insert(button, page);
}

void DeviceWindow::refreshLock()
{
    // A design may hold a real device's devId; the real device's lock is not the design's.
    const int level = m_offline != nullptr ? 0 : DevDetailStore::instance().getDevDetail(m_devId).detailLock;
    if (level == m_lockLevel)
        return;
    m_lockLevel = level;
    m_overlays->apply(level);
    // The veil stops the mouse; disabling the panels stops the keyboard as well.
    for (QObject* child : m_settingsPage->children()) {
        if (auto* panel = qobject_cast<QGroupBox*>(child))
            panel->setEnabled(level == 0 && !(m_offline != nullptr && needsNetwork(panel)));
    }
}

void DeviceWindow::slot_userModeChanged(int mode)
{
    m_testPage->slot_userModeChanged(mode);
}

// ---- Replies ---------------------------------------------------------------------------------------

void DeviceWindow::recvBackData(QString msg)
{
    // A design device asked nothing; a reply with its devId comes from a real device that shares it.
    if (m_offline != nullptr)
        return;
    const QJsonObject obj = QJsonDocument::fromJson(msg.toUtf8()).object();
    if (!obj.isEmpty()) {
        m_testPage->recvBackData(obj);
        handleMessage(obj);
    }
    m_levelsPage->recvBackData(msg);
    m_delayPage->recvRequest(msg);
    if (msg.contains(QLatin1String("dspUiTag")) || msg.contains(QLatin1String("superMatrixUiTag")) ||
        msg.contains(QLatin1String("sendUdpToUart"))) {
        if (m_dspDialog)
            m_dspDialog->recvBackData(msg);
    }
    emit signal_message(msg);
    if (auto* lock = qobject_cast<ManageLock*>(m_lockDialog.data()))
        lock->recvBackData(msg);
}

void DeviceWindow::showFailure(const QJsonObject& reply)
{
    const QString reason = text(reply, "reason");
    emit signal_showTips(reason.isEmpty() ? tr("设置失败") : ReasonText::forReason(reason, AppState::isChinese()));
}

void DeviceWindow::closeLater()
{
    QTimer::singleShot(2000, this, &DeviceWindow::closeSignal);
}

void DeviceWindow::handleMessage(const QJsonObject& msg)
{
    const QString ops = text(msg, "ops");
    const bool succ = text(msg, "result") == kSucc;
    const QString done = ReasonText::forReason(QStringLiteral("设置成功"), AppState::isChinese());

    if (m_format->handleReply(msg))
        return;
    if (ops == QLatin1String("setDevName")) {
        emit signal_hideLoading();
        if (succ) {
            const QString name = text(msg, "name");
            m_name = name.isEmpty() ? m_pendingName : name;
            m_nameEdit->setText(m_name);
            m_nameLabel->setText(m_name);
            emit signal_showTips(done);
            emit refreshTitleSignal(m_name);
            emit signal_refreshDevName(m_devId, m_name);
        } else {
            m_nameEdit->setText(m_name);
            showFailure(msg);
        }
        m_pendingName.clear();
    } else if (ops == QLatin1String("setIp")) {
        emit signal_hideLoading();
        if (succ) {
            emit signal_showTips(tr("设置成功，即将关闭窗口"));
            closeLater();
        } else {
            showFailure(msg);
        }
    } else if (ops == QLatin1String("reboot")) {
        if (succ) {
            emit signal_showTips(tr("设置成功，即将重启"));
            closeLater();
        }
    } else if (ops == QLatin1String("getIp")) {
        if (succ || !msg.contains(QStringLiteral("result")))
            m_address->fillFromReply(msg);
    } else if (ops == QLatin1String("getDebugInfo")) {
        const QString model = text(msg, "model").trimmed();
        QStringList detail;
        const QString type = ModelTable::instance().deviceTypeText(model);
        if (!type.isEmpty())
            detail.append(type);
        bool ok = false;
        const double milli = text(msg, "temp").toDouble(&ok);
        if (ok)
            detail.append(QString::number(milli / 1000.0, 'f', 1) + QStringLiteral(" °C"));
        m_infoLabel->setText(model + QStringLiteral("(") + detail.join(QStringLiteral(", ")) + QStringLiteral(")"));
        m_debugInfoReceived = true;
    } else if (ops == QLatin1String("getCfg")) {
        QString fromNet;
        QString toNet;
        for (const QString& line : text(msg, "cfg").split(QLatin1Char('\n'))) {
            const QString key = line.section(QLatin1Char('='), 0, 0).trimmed();
            const QString value = line.section(QLatin1Char('='), 1).trimmed();
            if (key == QLatin1String("chNum_dspFromNet"))
                fromNet = value;
            else if (key == QLatin1String("chNum_dspToNet"))
                toNet = value;
        }
        if (!fromNet.isEmpty() || !toNet.isEmpty()) {
            m_dspChLabel->setText(tr("DSP通道: 网络输入 %1, 网络输出 %2").arg(fromNet, toNet));
            m_dspChLabel->show();
        }
    } else if (ops == QLatin1String("getVersion")) {
        // The dispatcher has stored the supported rates and packet times by now.
        m_detail = DevDetailStore::instance().getDevDetail(m_devId);
        updateIdentity(m_detail);
        m_format->refill(m_detail);
    } else if (ops == QLatin1String("setChName")) {
        m_channels->handleReply(msg);
    } else if (ops == QLatin1String("setLock")) {
        refreshLock();
    } else if (ops == QLatin1String("sendUdpToUart")) {
        m_tunnel->appendBack(text(msg, "back"));
    }
}
