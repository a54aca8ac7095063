#include "DevWin.h"

#include "AppState.h"
#include "DevDetailStore.h"
#include "DeviceWindow.h"
#include "FactoryAccess.h"
#include "FactoryCodePrompt.h"
#include "LoadingForm.h"
#include "ManagePasswd.h"
#include "MySnackbar.h"
#include "OfflineDeviceBridge.h"
#include "StyledButton.h"
#include "UiScale.h"
#include "UserModeNotifier.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

qint64 monotonicMs()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

} // namespace

DevWin::DevWin(const QString& devId, QWidget* parent, OfflineData* design)
    : QDialog(parent), m_devId(devId), m_clock(monotonicMs)
{
    setObjectName(QStringLiteral("DevWin"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowMinMaxButtonsHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QDialog#DevWin{background:#1e2229;border:1px solid #3a404a;}"
                                 "QWidget#devWinTitleBar{background:#262b33;}"));
    resize(UiScale::px(1100), UiScale::px(760));

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("devWinTitleBar"));
    buildTitleBar(bar);
    m_page = new DeviceWindow(devId, this, design);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_page, 1);

    m_loading = new LoadingForm(this);
    m_snackbar = new MySnackbar(this);
    connect(m_loading, &LoadingForm::signal_timeout, this, &DevWin::onLoadingTimeout);

    connect(m_page, &DeviceWindow::sendChangeData, this, &DevWin::sendDataSlots);
    connect(m_page, &DeviceWindow::signal_showTips, this, &DevWin::slot_showTips);
    connect(m_page, &DeviceWindow::refreshTitleSignal, this, &DevWin::refreshTitleSlot);
    connect(m_page, &DeviceWindow::closeSignal, this, &DevWin::recvCloseSignal);
    connect(m_page, QOverload<int, QString>::of(&DeviceWindow::signal_showLoading), this, &DevWin::slot_showLoading);
    connect(m_page, QOverload<int>::of(&DeviceWindow::signal_showLoading), this,
            [this](int seconds) { slot_showLoading(seconds, defaultTimeoutText()); });
    connect(m_page, QOverload<>::of(&DeviceWindow::signal_showLoading), this,
            [this] { slot_showLoading(kDefaultLoadingSeconds, defaultTimeoutText()); });
    connect(m_page, &DeviceWindow::signal_hideLoading, this, &DevWin::slot_hideLoading);
    connect(this, &DevWin::signal_lock, this, &DevWin::openPasswordEntry);

    setDevInfo(currentDetail().name);

    // The reply to the page's opening "getVersion" normally lands well inside this grace period.
    m_lastVersionMs = m_clock();
    m_heartbeat.setInterval(kHeartbeatMs);
    connect(&m_heartbeat, &QTimer::timeout, this, &DevWin::heartbeat);
    if (!isOfflineFrame())
        m_heartbeat.start();
}

DevWin::~DevWin() = default;

ManagePasswd* DevWin::passwordDialog() const
{
    return m_passwordDialog.data();
}

void DevWin::buildTitleBar(QWidget* bar)
{
    m_titleLabel = new QLabel(bar);
    m_titleLabel->setObjectName(QStringLiteral("title_label"));
    auto* minButton = new StyledButton(QStringLiteral("–"), StyledButton::Title, bar);
    minButton->setObjectName(QStringLiteral("min_bt"));
    auto* maxButton = new StyledButton(QStringLiteral("□"), StyledButton::Title, bar);
    maxButton->setObjectName(QStringLiteral("max_min_bt"));
    auto* closeButton = new StyledButton(QStringLiteral("✕"), StyledButton::Title, bar);
    closeButton->setObjectName(QStringLiteral("close_bt"));
    connect(minButton, &QPushButton::clicked, this, &DevWin::on_min_bt_clicked);
    connect(maxButton, &QPushButton::clicked, this, &DevWin::on_max_min_bt_clicked);
    connect(closeButton, &QPushButton::clicked, this, &DevWin::on_close_bt_clicked);

    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(UiScale::px(12), UiScale::px(4), UiScale::px(4), UiScale::px(4));
    layout->addWidget(m_titleLabel, 1);
    layout->addWidget(minButton);
    layout->addWidget(maxButton);
    layout->addWidget(closeButton);
    bar->installEventFilter(this);
    m_titleLabel->installEventFilter(this);
}

QString DevWin::defaultTimeoutText()
{
    return AppState::pick(QStringLiteral("设备超时未响应"), QStringLiteral("Device timed out and did not respond"));
}

void DevWin::setClock(Clock clock)
{
    m_clock = clock ? std::move(clock) : Clock(monotonicMs);
    m_lastVersionMs = m_clock();
}

void DevWin::setDevInfo(const QString& name)
{
    m_name = name;
    setWindowTitle(name);
    applyTitle();
}

bool DevWin::isOfflineFrame() const
{
    return AppState::isOffline() || m_page->offlineDevice() != nullptr;
}

DevDetail_t DevWin::currentDetail() const
{
    if (OfflineDeviceBridge* device = m_page->offlineDevice())
        return device->detail();
    return DevDetailStore::instance().getDevDetail(m_devId, "DevWin", __LINE__);
}

void DevWin::updateData()
{
    const DevDetail_t detail = currentDetail();
    if (!detail.isEmpty())
        setDevInfo(detail.name);
}

QString DevWin::titleText() const
{
    QString title = tr("设备") + QStringLiteral("(") + m_name + QStringLiteral(")");
    if (isOfflineFrame())
        title += tr(" 离线模式");
    else if (!m_online)
        title += QStringLiteral("  ") + tr("disconnected");
    return title;
}

void DevWin::applyTitle()
{
    const QString colour = m_online ? QStringLiteral("#e6e9ef") : QStringLiteral("#ff4d4f");
    m_titleLabel->setStyleSheet(
        QStringLiteral("QLabel{color:%1;font-size:%2px;background:transparent;}").arg(colour).arg(UiScale::fontPx(14)));
    m_titleLabel->setText(titleText());
    emit signal_refreshTitle(m_titleLabel->text());
}

void DevWin::sendDataSlots(QString msg)
{
    emit sendDataSignal(msg);
}

void DevWin::recvBackData(QString msg)
{
    if (msg == QLatin1String("closeDev")) {
        close();
        return;
    }
    const QJsonObject obj = QJsonDocument::fromJson(msg.toUtf8()).object();
    const QString devId = obj.value(QStringLiteral("devId")).toString();
    if (!devId.isEmpty() && devId != m_devId)
        return;
    if (obj.value(QStringLiteral("ops")).toString() == QLatin1String("getVersion"))
        m_lastVersionMs = m_clock();
    m_page->recvBackData(msg);
    if (m_passwordDialog)
        m_passwordDialog->recvBackData(msg);
}

void DevWin::heartbeat()
{
    if (isOfflineFrame())
        return;
    const bool online = m_clock() - m_lastVersionMs < kOnlineWindowMs;
    if (online != m_online) {
        m_online = online;
        applyTitle();
    }
    QJsonObject ask;
    ask.insert(QStringLiteral("ops"), QStringLiteral("getVersion"));
    ask.insert(QStringLiteral("devId"), m_devId);
    emit sendSignal(QString::fromUtf8(QJsonDocument(ask).toJson(QJsonDocument::Compact)), m_devId);
}

void DevWin::recvCloseSignal()
{
    close();
}

void DevWin::on_close_bt_clicked()
{
    close();
}

void DevWin::on_min_bt_clicked()
{
    showMinimized();
}

void DevWin::on_max_min_bt_clicked()
{
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

void DevWin::refreshTitleSlot(QString name)
{
    setDevInfo(name);
    emit signal_refreshDevName(m_devId, name);
}

void DevWin::slot_showTips(QString tip)
{
    if (!tip.isEmpty())
        m_snackbar->showMessage(tip);
}

void DevWin::slot_showLoading(int seconds, QString timeoutText)
{
    m_timeoutText = timeoutText;
    m_loading->setText(tr("请稍候..."));
    m_loading->setCountdown(seconds);
    m_loading->start();
    m_snackbar->raise();
}

void DevWin::slot_hideLoading()
{
    m_loading->stop();
}

void DevWin::onLoadingTimeout()
{
    if (m_timeoutText.isEmpty())
        return;
    emit signal_showDialog(m_timeoutText);
    m_snackbar->showMessage(m_timeoutText);
}

void DevWin::openPasswordEntry()
{
    if (m_passwordDialog) {
        m_passwordDialog->raise();
        return;
    }
    auto* dialog = new ManagePasswd(m_devId, ManagePasswd::EnterPassword, this);
    // Entering the password unlocks every area.
    dialog->setLevels(0, 0, 0);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &ManagePasswd::signal_information, this,
            [this](const QString& text, bool) { slot_showTips(text); });
    m_passwordDialog = dialog;
    dialog->open();
}

FactoryCodePrompt* DevWin::factoryPrompt() const
{
    return m_factoryPrompt.data();
}

void DevWin::openFactoryPrompt()
{
    if (m_factoryPrompt) {
        m_factoryPrompt->raise();
        return;
    }
    auto* prompt = new FactoryCodePrompt(this);
    connect(prompt, &FactoryCodePrompt::signal_entered, this, &DevWin::applyFactoryCode);
    m_factoryPrompt = prompt;
    prompt->open();
}

void DevWin::applyFactoryCode(const QString& code)
{
    const FactoryAccess::Grant grant = FactoryAccess::grantFor(code);
    if (grant == FactoryAccess::Grant::Refused) {
        slot_showTips(QStringLiteral("密码错误!"));
        return;
    }
    if (FactoryAccess::apply(grant)) {
        const int mode = FactoryAccess::userMode();
        emit signal_userModeChanged(mode);
        // Every open device window follows the application's mode, not only this one.
        UserModeNotifier::instance().notify(mode);
    }
    slot_showTips(AppState::pick(QStringLiteral("设置成功"), QStringLiteral("Set successfully")));
}

void DevWin::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->key() == Qt::Key_0) {
            if (!isOfflineFrame())
                emit signal_lock();
            return;
        }
        if (event->key() == Qt::Key_8) {
            // A factory door: online it opens only where the vendor's configuration allows it.
            if (!isOfflineFrame() && !AppState::config().isOn(AppConfig::Switch::CanCtrl8))
                return;
            emit signal_customControl();
            emit signal_customControl(m_devId);
            openFactoryPrompt();
            return;
        }
    }
    // Escape would reject the dialog; the frame closes only through its close button or "closeDev".
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

void DevWin::reject()
{
    // Reached by Escape and by the platform's close shortcut alike; only an explicit close() ends the frame.
}

void DevWin::closeEvent(QCloseEvent* event)
{
    if (!m_closed) {
        m_closed = true;
        m_heartbeat.stop();
        m_loading->stop();
        emit devWinClosed(m_devId);
    }
    // Not QDialog::closeEvent: it would route through reject(), which the frame keeps inert.
    event->accept();
}

bool DevWin::eventFilter(QObject* watched, QEvent* event)
{
    // Dragging the title bar moves the frameless window; a double click toggles maximised.
    if (watched == m_titleLabel || watched == m_titleLabel->parentWidget()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::LeftButton) {
                m_dragging = true;
                m_dragOffset = e->globalPos() - frameGeometry().topLeft();
            }
            break;
        }
        case QEvent::MouseMove:
            if (m_dragging && !isMaximized())
                move(static_cast<QMouseEvent*>(event)->globalPos() - m_dragOffset);
            break;
        case QEvent::MouseButtonRelease:
            m_dragging = false;
            break;
        case QEvent::MouseButtonDblClick:
            on_max_min_bt_clicked();
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
