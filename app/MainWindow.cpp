#include "MainWindow.h"

#include "AppLog.h"
#include "AppState.h"
#include "AppVersion.h"
#include "ArchiveWindows.h"
#include "CellRouteForm.h"
#include "Clock.h"
#include "ClockForm.h"
#include "CommandTranslator.h"
#include "CustomDevListWidget.h"
#include "DevDetailStore.h"
#include "DevListForm.h"
#include "DevManager.h"
#include "DevVolumeForm.h"
#include "DevWin.h"
#include "DeviceListing.h"
#include "DeviceSender.h"
#include "DeviceWindow.h"
#include "FormNetTitle.h"
#include "LoadingForm.h"
#include "McastWin.h"
#include "ModelTable.h"
#include "MySnackbar.h"
#include "MyThread.h"
#include "NetStateForm.h"
#include "OfflineData.h"
#include "OfflineRouteEdit.h"
#include "OfflineRouteSource.h"
#include "OfflineWorkspace.h"
#include "PageForm.h"
#include "RegistryNotifier.h"
#include "SapMonitorView.h"
#include "SelectNetDialog.h"
#include "StateSnapshot.h"
#include "StyledButton.h"
#include "TestSignalDialog.h"
#include "TestToolAccess.h"
#include "TitleInfoForm.h"
#include "TopMenuForm.h"
#include "UiScale.h"
#include "UserSettings.h"
#include "platform/PlatformServices.h"
#include "stream.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QInputDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QUrl>
#include <QVBoxLayout>

namespace {
MainWindow* g_mainWindow = nullptr;

constexpr int kAutoChoiceMs = 300;
constexpr int kInterfaceRefreshMs = 5000;
constexpr int kLoadingPaintMs = 100;
constexpr int kDefaultLoadingSeconds = 10;
} // namespace

MainWindow* MainWindow::instance()
{
    return g_mainWindow;
}

MainWindow::MainWindow(const Setup& setup, QWidget* parent)
    : FramelessWindow(parent), m_appDir(setup.appDir), m_platform(setup.platform), m_store(DevDetailStore::instance()),
      m_models(ModelTable::instance()),
      m_settings(std::make_unique<UserSettings>(UserSettings::forApplication(setup.appDir))),
      m_notifier(std::make_unique<RegistryNotifier>()), m_thread(std::make_unique<MyThread>()),
      m_startNetwork(setup.startNetwork)
{
    g_mainWindow = this;
    qRegisterMetaType<uint32_t>("uint32_t");
    DevDetail_t::registerMetaType();

    setObjectName(QStringLiteral("mainWindow"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QWidget#mainWindow{background:#14181e;}"));
    resize(UiScale::px(1280), UiScale::px(720));
    setMinimumSize(UiScale::px(800), UiScale::px(450));

    const AppConfig& config = AppState::config();
    m_topMenu = new TopMenuForm(m_appDir, config, *m_settings, this);
    m_titleInfo = new TitleInfoForm(config, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildTitleBar());
    layout->addWidget(m_topMenu);
    layout->addWidget(m_titleInfo);
    auto* body = new QHBoxLayout;
    body->setSpacing(UiScale::px(4));
    m_devList = new DevListForm(m_models, this);
    m_devList->setFixedWidth(UiScale::px(460));
    body->addWidget(m_devList);
    m_offlineList = new CustomDevListWidget(this);
    m_offlineList->setFixedWidth(UiScale::px(460));
    m_offlineList->hide();
    body->addWidget(m_offlineList);
    buildPages();
    for (QWidget* p : {static_cast<QWidget*>(m_routePage), static_cast<QWidget*>(m_clockPage), m_networkPage,
                       static_cast<QWidget*>(m_volumePage)})
        body->addWidget(p, 1);
    layout->addLayout(body, 1);
    m_infoLabel = new QLabel(this);
    m_infoLabel->setObjectName(QStringLiteral("infoLabel"));
    m_infoLabel->setStyleSheet(QStringLiteral("QLabel{color:#7d8a99;padding:%1px;font-size:%2px;}")
                                   .arg(UiScale::px(4))
                                   .arg(UiScale::fontPx(10)));
    layout->addWidget(m_infoLabel);
    m_globalTips = new QLabel(this);
    m_globalTips->setObjectName(QStringLiteral("globalTips"));
    m_globalTips->hide();

    // Language from "UserConfig.ini"; forced to English when switching is not offered.
    AppState::setChinese(config.effectiveChinese(m_settings->isChinese()));
    m_clockForm->setChinese(AppState::isChinese());
    m_snackbar = new MySnackbar(this);
    m_loading = new LoadingForm(this);

    m_netDialog = new SelectNetDialog(this);
    connect(m_netDialog, &SelectNetDialog::updateNetInterafceSignal, this, &MainWindow::on_selectIp_confirm);
    connectNetwork();
    connectOffline();
    m_stateFile = StateSnapshot::fileFromEnvironment();
    if (!m_stateFile.isEmpty()) {
        m_netDialog->installEventFilter(this);
        connect(m_netDialog, &SelectNetDialog::updateNetInterafceSignal, this, &MainWindow::writeStateSnapshot);
    }

    connect(m_topMenu, &TopMenuForm::btnClickSignal, this, &MainWindow::on_top_btn_click);
    connect(m_topMenu, &TopMenuForm::signal_languageChanged, this, &MainWindow::on_language_changed);
    connect(m_topMenu, &TopMenuForm::signal_showHelp, this, &MainWindow::slot_showHelpDocument);
    connect(m_topMenu, &TopMenuForm::signal_quit, this, &MainWindow::on_close_bt_clicked);
    connect(m_topMenu, &TopMenuForm::signal_notice, this, &MainWindow::slot_showTips);
    connect(this, &MainWindow::signal_gobalTips, this, &MainWindow::slot_gobalTips, Qt::QueuedConnection);

    if (setup.startNetwork) {
        m_autoChoiceTimer.setSingleShot(true);
        connect(&m_autoChoiceTimer, &QTimer::timeout, this, [this] {
            if (m_netDialog->autoChoose()) {
                on_selectIp_confirm();
            } else {
                m_netDialog->show();
                m_netDialog->raise();
            }
        });
        m_autoChoiceTimer.start(kAutoChoiceMs);
        connect(&m_interfaceTimer, &QTimer::timeout, m_netDialog, &SelectNetDialog::refreshInterfaces);
        m_interfaceTimer.start(kInterfaceRefreshMs);
    }
    showPage(10);
    m_topMenu->applyLanguage(AppState::isChinese());
    // An upgrade program left running from an earlier run would hold files the upgrade replaces.
    if (m_platform != nullptr)
        m_platform->endUpgradeProgram();
}

MainWindow::~MainWindow()
{
    if (m_platform != nullptr)
        m_platform->closeUpgradeProgram();
    m_thread->stopAndWait();
    // The windows are children: delete them while the map they report to still exists.
    const QMap<QString, DevWin*> windows = m_devWins;
    m_devWins.clear();
    for (DevWin* w : windows) {
        w->disconnect(this);
        delete w;
    }
    const QMap<uint32_t, McastWin*> streams = m_mcastWins;
    m_mcastWins.clear();
    for (McastWin* w : streams) {
        w->disconnect(this);
        delete w;
    }
    if (g_mainWindow == this)
        g_mainWindow = nullptr;
}

QWidget* MainWindow::buildTitleBar()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("titleBar"));
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setFixedHeight(UiScale::px(32));
    bar->setStyleSheet(QStringLiteral("QWidget#titleBar{background:#0f1217;}QLabel{color:#d8dee6;font-size:%1px;}")
                           .arg(UiScale::fontPx(13)));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(UiScale::px(8), 0, 0, 0);
    auto* icon = new QLabel(bar);
    const QPixmap iconImage(m_appDir + QStringLiteral("/icon.ico"));
    if (!iconImage.isNull())
        icon->setPixmap(
            iconImage.scaled(UiScale::px(20), UiScale::px(20), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    row->addWidget(icon);
    m_titleLabel = new QLabel(bar);
    m_titleLabel->setObjectName(QStringLiteral("titleLabel"));
    const QPixmap titleImage(m_appDir + QStringLiteral("/title.png"));
    if (!titleImage.isNull())
        m_titleLabel->setPixmap(titleImage.scaledToHeight(UiScale::px(20), Qt::SmoothTransformation));
    else
        m_titleLabel->setText(AppState::config().title());
    row->addWidget(m_titleLabel);
    row->addStretch(1);
    auto* minButton = new StyledButton(QStringLiteral("—"), StyledButton::Title, bar);
    minButton->setObjectName(QStringLiteral("min_bt"));
    m_maxButton = new StyledButton(QStringLiteral("□"), StyledButton::Title, bar);
    m_maxButton->setObjectName(QStringLiteral("max_min_bt"));
    auto* closeButton = new StyledButton(QStringLiteral("✕"), StyledButton::Title, bar);
    closeButton->setObjectName(QStringLiteral("close_bt"));
    row->addWidget(minButton);
    row->addWidget(m_maxButton);
    row->addWidget(closeButton);
    connect(minButton, &QPushButton::clicked, this, &MainWindow::on_min_bt_clicked);
    connect(m_maxButton, &QPushButton::clicked, this, &MainWindow::on_max_min_bt_clicked);
    connect(closeButton, &QPushButton::clicked, this, &MainWindow::on_close_bt_clicked);
    setTitleArea(bar);
    return bar;
}

void MainWindow::buildPages()
{
    m_routePage = new PageForm(this);
    m_routePage->setObjectName(QStringLiteral("routePage"));
    m_routeForm = new CellRouteForm(m_routePage);
    m_routePage->setBody(m_routeForm);
    m_clockPage = new PageForm(this);
    m_clockPage->setObjectName(QStringLiteral("clockPage"));
    m_clockForm = new ClockForm(m_clockPage);
    m_clockPage->setBody(m_clockForm);
    m_volumePage = new PageForm(this);
    m_volumePage->setObjectName(QStringLiteral("volumePage"));
    m_devVolume = new DevVolumeForm(m_volumePage);
    m_volumePage->setBody(m_devVolume);

    m_networkPage = new QWidget(this);
    m_networkPage->setObjectName(QStringLiteral("networkPage"));
    auto* net = new QVBoxLayout(m_networkPage);
    net->setContentsMargins(0, 0, 0, 0);
    net->setSpacing(0);
    m_netTitle = new FormNetTitle(m_networkPage);
    m_netState = new NetStateForm(m_store, m_models, m_networkPage);
    net->addWidget(m_netTitle);
    net->addWidget(m_netState, 1);
    updateLanguage();
}

QWidget* MainWindow::page(int index) const
{
    switch (index) {
    case 10:
        return m_routePage;
    case 20:
        return m_clockPage;
    case 30:
        return m_networkPage;
    case 40:
        return m_volumePage;
    default:
        return nullptr;
    }
}

void MainWindow::connectNetwork()
{
    const auto queued = Qt::QueuedConnection;
    // The registry and the network thread emit on the network thread; everything reaches this thread queued.
    connectNetworkObserver(m_notifier.get(), m_thread.get(), this, this);
    // Channel names read out after the last refresh must still reach the views.
    connect(m_thread.get(), &MyThread::signal_update_chName, this, &MainWindow::setUiRefreshPending, queued);
    connect(m_thread.get(), &MyThread::signal_refreshDevAndChName, this, &MainWindow::setUiRefreshPending, queued);
    // Refused route changes: the lock tip and a refresh that takes the pending marks away.
    connect(m_thread.get(), &MyThread::signal_showTips, this, &MainWindow::slot_showTips, queued);
    connect(m_thread.get(), &MyThread::signal_refresh_route, this, &MainWindow::slot_refresh_route, queued);

    connect(m_netState, &NetStateForm::sendChangedata, this, &MainWindow::recvChangeData);
    connect(this, &MainWindow::sendBackDataSignal, m_netState, &NetStateForm::handleMessage);
    connect(m_netState, &NetStateForm::signal_gobalTips, this,
            [this](int type, bool isShow, QString msg) { slot_gobalTips(type, msg, isShow); });
    connect(m_netState, &NetStateForm::signal_showDevWindow, this, &MainWindow::slot_showDevWindow);
    connect(m_netState, &NetStateForm::signal_unusualTips, this, &MainWindow::slot_deviceTips);
    connect(this, &MainWindow::signal_deviceTips, m_clockForm, &ClockForm::slot_deviceTips);
    connect(m_netTitle, &FormNetTitle::sendSortIndex, this, &MainWindow::sendSortIndex);

    connect(m_devList, &DevListForm::signal_showDevWindow, this, &MainWindow::slot_showDevWindow);
    connect(m_devVolume, &DevVolumeForm::signal_showDevWindow, this, &MainWindow::slot_showDevWindow);
    connect(m_devVolume, &DevVolumeForm::sendChangeData, this, &MainWindow::recvChangeData);
    connect(this, &MainWindow::sendBackDataSignal, m_devVolume, &DevVolumeForm::recvBackData);
    connect(m_routeForm, &CellRouteForm::signal_sendUdp, this, &MainWindow::slot_sendUdp);
    connect(m_routeForm, &CellRouteForm::signal_showDevWindow, this, &MainWindow::slot_showDevWindow);
    connect(m_routeForm, &CellRouteForm::signal_showMcastWindow, this, &MainWindow::slot_showMcastWindow);
    connect(m_clockForm, &ClockForm::changeData, this, &MainWindow::recvChangeData);
    connect(m_clockForm, &ClockForm::signal_information, this, &MainWindow::slot_showTips);
    connect(this, &MainWindow::sendBackDataSignal, m_clockForm, &ClockForm::recvChangeData);
    connect(this, &MainWindow::sendSortIndex, m_netState, &NetStateForm::recvSortIndex);
}

// ---- Loading overlay and notices ---------------------------------------------------------------

void MainWindow::showLoading(int seconds, QString text)
{
    m_loading->setCountdown(seconds);
    m_loading->setText(text);
    m_loading->start();
    // Painted before the caller goes on with work that may block this thread.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < kLoadingPaintMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, kLoadingPaintMs);
}

void MainWindow::showLoading(int seconds)
{
    showLoading(seconds, m_loading->text());
}

void MainWindow::showLoading()
{
    showLoading(kDefaultLoadingSeconds);
}

void MainWindow::hideLoading()
{
    m_loading->stop();
}

void MainWindow::slot_showTips(QString tips)
{
    m_snackbar->showMessage(tips);
}

void MainWindow::slot_gobalTips(int errorType, QString msg, bool isShow)
{
    if (!isShow) {
        m_globalTips->hide();
        return;
    }
    const char* colour = errorType == 0 ? "#ffd400" : errorType == 1 ? "#ff4040" : nullptr;
    if (colour == nullptr)
        return;
    m_globalTips->setStyleSheet(QStringLiteral("QLabel#globalTips{color:%1;border:1px solid %1;background:#1a1f26;"
                                               "padding:%2px %3px;font-size:%4px;}")
                                    .arg(QLatin1String(colour))
                                    .arg(UiScale::px(3))
                                    .arg(UiScale::px(8))
                                    .arg(UiScale::fontPx(12)));
    m_globalTips->setText(msg);
    placeGlobalTips();
    m_globalTips->show();
    m_globalTips->raise();
}

void MainWindow::slot_deviceTips(QString devId, int type, bool isShow, QString msg)
{
    // The network page marks its own rows; the other views learn of the warning here.
    emit signal_deviceTips(devId, type, isShow, msg);
}

void MainWindow::placeGlobalTips()
{
    m_globalTips->adjustSize();
    // Bottom right, beside the information label, so it never covers the menu.
    m_globalTips->move(width() - m_globalTips->width() - UiScale::px(10),
                       height() - m_globalTips->height() - UiScale::px(6));
}

// ---- Menu, pages, language, help, quit -------------------------------------------------------

void MainWindow::on_top_btn_click(int index)
{
    switch (index) {
    case 0:
        m_netDialog->show();
        m_netDialog->raise();
        break;
    case 2:
        emit sendBackDataSignal(QStringLiteral("closeDev"));
        expireAll();
        break;
    case 3:
        if (m_platform != nullptr) {
            m_platform->closeUpgradeProgram();
            if (!m_platform->startUpgradeProgram(!AppState::isChinese()))
                slot_showTips(tr("升级程序不可用"));
        }
        break;
    case 4:
        enterOffline();
        break;
    case 10:
    case 20:
    case 30:
    case 40:
        showPage(index);
        break;
    default:
        break;
    }
}

void MainWindow::showPage(int index)
{
    for (int p : {10, 20, 30, 40})
        page(p)->setVisible(p == index);
    // Levels are polled only while someone looks at them.
    if (index == 40 && !AppState::isOffline()) {
        m_devVolume->setDevices(m_store.devDetails());
        m_devVolume->startPolling();
    } else {
        m_devVolume->stopPolling();
    }
    m_topMenu->setCurrentPage(index);
    if (!AppState::isOffline())
        AppState::setMode(index);
    if (index == 30 && !AppState::isOffline())
        m_netState->refresh();
    if (index == 20)
        m_clockForm->refresh();
    if (index == 10 && !AppState::isOffline())
        m_routeForm->resetData();
}

void MainWindow::enterOffline()
{
    m_offline->enter();
}

void MainWindow::connectOffline()
{
    m_offline = new OfflineWorkspace(OfflineData::instance(), m_offlineList, this, this);
    // The interface list is not refreshed while offline; the network thread keeps running for the way back.
    connect(m_offline, &OfflineWorkspace::signal_entering, &m_interfaceTimer, &QTimer::stop);
    connect(m_offline, &OfflineWorkspace::signal_entered, this, [this] { showOfflineViews(true); });
    connect(m_offline, &OfflineWorkspace::signal_left, this, [this] { showOfflineViews(false); });
    connect(m_offline, &OfflineWorkspace::signal_busy, this, [this](QString text) { showLoading(0, text); });
    connect(m_offline, &OfflineWorkspace::signal_progress, m_loading, &LoadingForm::setText);
    connect(m_offline, &OfflineWorkspace::signal_idle, this, &MainWindow::hideLoading);
    connect(m_offline, &OfflineWorkspace::signal_showTips, this, &MainWindow::slot_showTips);
    connect(m_offline, &OfflineWorkspace::signal_designChanged, this, &MainWindow::signal_offlineDesignChanged);
    // Whoever edits the design (workspace, matrix, stream view), the matrix shows it.
    connect(&OfflineData::instance(), &OfflineData::changed, this, [this] {
        if (AppState::isOffline())
            m_routeForm->resetData();
    });
    connect(m_topMenu, &TopMenuForm::signal_saveOffline, m_offline, &OfflineWorkspace::save);
    connect(m_topMenu, &TopMenuForm::signal_leaveOffline, m_offline, &OfflineWorkspace::leave);
    // The archive dialogs open themselves; a notice comes back only when one cannot open.
    const auto notice = [this](const QString& text) {
        if (!text.isEmpty())
            slot_showTips(text);
    };
    connect(m_topMenu, &TopMenuForm::signal_exportArchive, this,
            [this, notice] { notice(ArchiveWindows::openOnlineExport(this, *m_settings)); });
    connect(m_topMenu, &TopMenuForm::signal_loadArchive, this,
            [this, notice] { notice(ArchiveWindows::openLoad(this, *m_settings)); });
    connect(m_topMenu, &TopMenuForm::signal_exportOffline, this,
            [this, notice] { notice(ArchiveWindows::openOfflineExport(this, *m_settings, OfflineData::instance())); });
    connect(m_topMenu, &TopMenuForm::signal_importOffline, this,
            [this, notice] { notice(ArchiveWindows::openImport(this, *m_settings, OfflineData::instance())); });
    connect(m_offlineList, &CustomDevListWidget::signal_showDevWindow, this, &MainWindow::slot_showDevWindow);
}

void MainWindow::showOfflineViews(bool offline)
{
    // Windows of real devices do not belong in a design; they close on both ways across.
    emit sendBackDataSignal(QStringLiteral("closeDev"));
    m_devList->setVisible(!offline);
    m_offlineList->setVisible(offline);
    m_topMenu->setOfflineForm(offline);
    // The matrix shows and edits the design while offline; online it reads the registry again.
    if (offline) {
        m_routeForm->setRouteSource(std::make_unique<OfflineRouteSource>(OfflineData::instance()));
        m_routeForm->setOfflineClick([](const AxisItem& send, const AxisItem& recv) {
            return OfflineRouteEdit::toggle(OfflineData::instance(), send.multicast, send.id, send.channel, recv.id,
                                            recv.channel) != OfflineRouteEdit::Result::Refused;
        });
    } else {
        m_routeForm->setOfflineClick(nullptr);
        m_routeForm->setRouteSource(nullptr);
    }
    int current = 10;
    for (int p : {10, 20, 30, 40})
        if (page(p)->isVisible())
            current = p;
    if (!offline && m_startNetwork)
        m_interfaceTimer.start(kInterfaceRefreshMs);
    // Online again: the page gives the mode its value and the lists are rebuilt from the registry.
    showPage(current);
    if (!offline)
        slot_refreshUi();
}

void MainWindow::on_language_changed(bool isCh)
{
    m_titleInfo->setLanguage(isCh);
    m_netState->setChinese(isCh);
    m_clockForm->setChinese(isCh);
    if (StyledButton* help = m_topMenu->button(QStringLiteral("pbHelp")))
        help->setText(isCh ? QStringLiteral("帮助") : QStringLiteral("Help"));
}

void MainWindow::updateLanguage()
{
    m_routePage->setTitles({tr("设备路由")});
    m_clockPage->setTitles({tr("设备参数")});
    m_volumePage->setTitles({tr("设备电平")});
    m_devList->retranslate();
    m_netTitle->retranslate();
}

void MainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        updateLanguage();
    FramelessWindow::changeEvent(event);
}

QString MainWindow::quitQuestion()
{
    return AppState::pick(QStringLiteral("确定退出软件？"), QStringLiteral("Quit software?"));
}

void MainWindow::on_close_bt_clicked()
{
    // A design is not left behind unasked: the leave prompt (save, don't save, stay) comes first.
    if (AppState::isOffline() && m_offline != nullptr && m_offline->isOpen() && !m_offline->leave())
        return;
    if (QMessageBox::question(this, AppState::pick(QStringLiteral("退出"), QStringLiteral("Quit")), quitQuestion()) ==
        QMessageBox::Yes)
        close();
}

void MainWindow::on_min_bt_clicked()
{
    showMinimized();
}

void MainWindow::on_max_min_bt_clicked()
{
    toggleMaximized();
}

void MainWindow::slot_showHelpDocument()
{
    const QString file =
        m_appDir + (AppState::isChinese() ? QStringLiteral("/userguide_cn.pdf") : QStringLiteral("/userguide_en.pdf"));
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        slot_showTips(tr("无法打开帮助文档"));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_netDialog && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        writeStateSnapshot();
    return FramelessWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    // Closing the main window by any means ends the application.
    QCoreApplication::quit();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    FramelessWindow::resizeEvent(event);
    if (m_globalTips->isVisible())
        placeGlobalTips();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_0 && event->modifiers() == Qt::ControlModifier) {
        toggleSapMonitor();
        return;
    }
    if (event->key() == Qt::Key_1 && event->modifiers() == (Qt::ControlModifier | Qt::AltModifier)) {
        promptTestTool();
        return;
    }
    FramelessWindow::keyPressEvent(event);
}

void MainWindow::toggleSapMonitor()
{
    if (m_sapMonitor != nullptr) {
        m_thread->setSapMonitorShown(false);
        delete m_sapMonitor;
        m_sapMonitor = nullptr;
        return;
    }
    m_sapMonitor = new SapMonitorView(this);
    connect(m_thread.get(), &MyThread::signal_sapText, m_sapMonitor, &SapMonitorView::handleSapText,
            Qt::QueuedConnection);
    m_thread->setSapMonitorShown(true);
    m_sapMonitor->show();
    m_sapMonitor->raise();
}

void MainWindow::promptTestTool()
{
    QInputDialog prompt(this);
    prompt.setWindowTitle(tr("密码"));
    prompt.setLabelText(tr("输入密码:"));
    prompt.setOkButtonText(tr("确定"));
    prompt.setCancelButtonText(tr("取消"));
    prompt.setTextEchoMode(QLineEdit::Password);
    if (prompt.exec() != QDialog::Accepted)
        return;
    const TestToolAccess::Mode mode = TestToolAccess::modeFor(prompt.textValue());
    if (mode == TestToolAccess::Refused)
        return;
    openTestTool(mode);
}

void MainWindow::openTestTool(int mode)
{
    if (m_testTool == nullptr) {
        m_testTool = new TestSignalDialog(m_appDir, m_store, m_models, this);
        connect(m_testTool, &TestSignalDialog::sendChangedata, this, &MainWindow::recvChangeData);
        connect(this, &MainWindow::sendBackDataSignal, m_testTool, &TestSignalDialog::handleMessage);
    }
    m_testTool->setMode(mode == TestToolAccess::Reduced ? TestSignalDialog::Reduced : TestSignalDialog::AllControls);
    m_testTool->show();
    m_testTool->raise();
    m_testTool->activateWindow();
}

// ---- Network interface ---------------------------------------------------------------------------

void MainWindow::on_selectIp_confirm()
{
    const QString text = m_netDialog->selectedIp();
    if (text.isEmpty())
        return;
    expireAll();
    const QHostAddress address(text);
    const uint32_t ip = address.protocol() == QAbstractSocket::IPv4Protocol ? address.toIPv4Address() : 0;
    if (ip == 0)
        return;
    m_thread->restartOn(ip);
}

// ---- Registry notifications --------------------------------------------------------------------

void MainWindow::setUiRefreshPending()
{
    m_thread->ticker().setUiRefreshPending();
}

void MainWindow::slot_recv_addDev(QString devId)
{
    if (DeviceListing::add(m_store, m_models, devId, true) == DeviceListing::Listed)
        setUiRefreshPending();
}

void MainWindow::slot_recv_updateDev(QString devId)
{
    if (!m_store.updateFromRegistry(devId))
        return;
    setUiRefreshPending();
}

void MainWindow::recvDelDev(const QString& devId)
{
    slot_recv_delDev(devId);
    m_netState->slot_removeDevId(devId);
}

void MainWindow::slot_recv_delDev(QString devId)
{
    m_store.removeDevDetail(devId);
    setUiRefreshPending();
    m_store.rebuildModuleMaps();
}

void MainWindow::slot_recv_addMcast(QString ipAddr)
{
    const McastEntry entry = McastEntry::fromRegistry(dvm_parseIp(ipAddr));
    if (entry.isEmpty())
        return;
    m_store.insertMcast(entry);
    setUiRefreshPending();
}

void MainWindow::slot_recv_delMcast(uint32_t dstIp)
{
    m_store.removeMcast(dstIp);
    setUiRefreshPending();
}

void MainWindow::slot_refresh_route()
{
    // A hidden matrix catches up when its page is shown.
    if (!AppState::isOffline() && m_routePage->isVisible())
        m_routeForm->refreshRoute();
    emit sendBackDataSignal(QStringLiteral("refreshRoute"));
}

void MainWindow::slot_recv_message(QString msg)
{
    emit sendBackDataSignal(msg);
}

void MainWindow::slot_sendUdp(QString msg, QString devId)
{
    DeviceSender::sendToDevice(msg, devId);
}

void MainWindow::slot_showDevWindow(QString devId)
{
    if (DevWin* open = m_devWins.value(devId)) {
        open->showNormal();
        open->raise();
        open->activateWindow();
        return;
    }
    if (AppState::isOffline()) {
        showOfflineDevWindow(devId);
        return;
    }
    if (m_store.getDevDetail(devId, __func__, __LINE__).isEmpty())
        return;
    auto* win = new DevWin(devId, this);
    win->setAttribute(Qt::WA_DeleteOnClose);
    m_devWins.insert(devId, win);
    connect(win, &DevWin::sendDataSignal, this, &MainWindow::recvChangeData);
    connect(win, &DevWin::sendSignal, this, &MainWindow::slot_sendUdp);
    connect(this, &MainWindow::sendBackDataSignal, win, &DevWin::recvBackData);
    connect(win, &DevWin::devWinClosed, this, [this](QString id) { m_devWins.remove(id); });
    addRoutePages(win->deviceWindow(), devId);
    win->show();
    win->raise();
}

void MainWindow::showOfflineDevWindow(const QString& devId)
{
    // A design device: its window edits the design and has no way to the network.
    if (!OfflineData::instance().deviceIds().contains(devId))
        return;
    auto* win = new DevWin(devId, this, &OfflineData::instance());
    win->setAttribute(Qt::WA_DeleteOnClose);
    m_devWins.insert(devId, win);
    connect(this, &MainWindow::sendBackDataSignal, win, &DevWin::recvBackData);
    connect(win, &DevWin::devWinClosed, this, [this](QString id) { m_devWins.remove(id); });
    addRoutePages(win->deviceWindow(), devId);
    win->show();
    win->raise();
}

void MainWindow::slot_showMcastWindow(uint32_t dstIp)
{
    if (McastWin* open = m_mcastWins.value(dstIp)) {
        open->showNormal();
        open->raise();
        open->activateWindow();
        return;
    }
    if (findMcastByDstIp(dstIp) == nullptr)
        return;
    auto* win = new McastWin(dstIp, this);
    win->setAttribute(Qt::WA_DeleteOnClose);
    m_mcastWins.insert(dstIp, win);
    // The window closes itself (and is deleted); only the entry of this very window is dropped.
    connect(win, &QObject::destroyed, this, [this, dstIp, win] {
        if (m_mcastWins.value(dstIp) == win)
            m_mcastWins.remove(dstIp);
    });
    win->show();
    win->raise();
}

void MainWindow::addRoutePages(DeviceWindow* page, const QString& devId)
{
    // The route views build on the device windows, so they are placed here rather than by the window itself.
    auto* clock = new Clock(devId, page);
    page->addPage(DeviceWindow::BtClock, clock);
    connect(page, &DeviceWindow::signal_message, clock, &Clock::recvBackData);
    connect(page, &DeviceWindow::signal_lockRefreshed, clock, &Clock::refreshLock);

    auto* streams = new stream(devId, page);
    page->addPage(DeviceWindow::BtStream, streams);
    connect(page, &DeviceWindow::signal_message, streams, &stream::refreshData);
    connect(page, &DeviceWindow::signal_lockRefreshed, streams, &stream::refreshLock);
    connect(streams, &stream::sendChangeData, page, &DeviceWindow::sendDataSlots);
    connect(streams, &stream::signal_showTips, page, &DeviceWindow::signal_showTips);
}

void MainWindow::recvChangeData(QString str)
{
    const CommandTranslator translator(
        [this](const QString& devId) { return m_store.getDevDetail(devId, "MainWindow::recvChangeData", __LINE__); });
    DeviceSender::send(translator.translate(str));
}

void MainWindow::slot_refreshUi()
{
    if (!AppState::isOffline()) {
        const QVector<DevDetail_t> devices = m_store.devDetails();
        m_devList->refresh(devices);
        m_netState->refresh();
        if (m_volumePage->isVisible())
            m_devVolume->setDevices(devices);
        if (m_clockPage->isVisible())
            m_clockForm->refresh();
        // Devices, channels or streams changed: the shown matrix rebuilds its axes (only the window is drawn).
        if (m_routePage->isVisible())
            m_routeForm->resetData();
    }
    writeStateSnapshot();
}

void MainWindow::writeStateSnapshot()
{
    if (m_stateFile.isEmpty())
        return;
    StateSnapshot::Input in;
    in.boundIp = m_thread->boundIp();
    in.dialogVisible = m_netDialog->isVisible();
    in.selectedIp = m_netDialog->selectedIp();
    for (const NetInterfaceList::Entry& e : m_netDialog->addresses())
        in.addresses.append(e.ip);
    in.devices = m_store.devDetails();
    in.secondaryUnits = m_store.secondaryUnits();
    if (!StateSnapshot::write(m_stateFile, in))
        qCWarning(lcApp) << "cannot write the state snapshot" << m_stateFile;
}

void MainWindow::slot_refreshDevInfoUi()
{
    const uint32_t bound = m_thread->boundIp();
    if (bound != m_shownBoundIp) {
        m_shownBoundIp = bound;
        m_infoLabel->setText(AppVersion::infoLabel(bound));
    }
}

void MainWindow::slot_syncCanWork()
{
    m_store.syncCanWork();
    m_store.rebuildModuleMaps();
}

void MainWindow::slot_blinkingDev(QString devId)
{
    m_thread->ticker().startBlink(devId);
    m_devList->setBlinking(devId, true);
    m_routeForm->setDeviceBlinking(devId, true);
}

void MainWindow::slot_unBlinkingDev(QString devId)
{
    m_devList->setBlinking(devId, false);
    m_routeForm->setDeviceBlinking(devId, false);
}
