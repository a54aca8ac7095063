#pragma once
#include "FramelessWindow.h"
#include "NetworkObserver.h"

#include <QMap>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>

class DevDetailStore;
class CellRouteForm;
class ClockForm;
class CustomDevListWidget;
class DevVolumeForm;
class DeviceWindow;
class DevWin;
class DevListForm;
class FormNetTitle;
class LoadingForm;
class McastWin;
class ModelTable;
class MyThread;
class MySnackbar;
class NetStateForm;
class OfflineWorkspace;
class PageForm;
class PlatformServices;
class QLabel;
class RegistryNotifier;
class SapMonitorView;
class SelectNetDialog;
class StyledButton;
class TestSignalDialog;
class TitleInfoForm;
class TopMenuForm;
class UserSettings;

/// The one top-level window: title bar, top menu, information panel, the device list and the pages of the
/// online workspace, the interface dialog and the notices. It keeps the device detail store in step with the
/// registry's notifications (heard as a NetworkObserver, all delivered queued into this thread), sends the first
/// requests to every new device and runs the network thread on the address the interface dialog chose.
class MainWindow : public FramelessWindow, public NetworkObserver
{
    Q_OBJECT
public:
    struct Setup
    {
        QString appDir;                       ///< where "UserConfig.ini", the translations and images are
        PlatformServices* platform = nullptr; ///< not owned; null: no upgrade program handling
        /// False leaves the interface timers off, so the network thread is never started (tests).
        bool startNetwork = true;
    };

    explicit MainWindow(const Setup& setup, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// The main window of the process (set at construction), or null.
    static MainWindow* instance();

    MyThread* networkThread() const { return m_thread.get(); }
    SelectNetDialog* netDialog() const { return m_netDialog; }
    NetStateForm* netStateForm() const { return m_netState; }
    DevListForm* devListForm() const { return m_devList; }
    /// The device list of the offline workspace (shown instead of the online list while it is open).
    CustomDevListWidget* offlineDevList() const { return m_offlineList; }
    OfflineWorkspace* offlineWorkspace() const { return m_offline; }
    TopMenuForm* topMenu() const { return m_topMenu; }
    MySnackbar* snackbar() const { return m_snackbar; }
    LoadingForm* loadingForm() const { return m_loading; }
    QLabel* infoLabel() const { return m_infoLabel; }
    QLabel* globalTipsLabel() const { return m_globalTips; }
    SapMonitorView* sapMonitor() const { return m_sapMonitor; }
    /// The test signal tool, once it has been opened; null before.
    TestSignalDialog* testTool() const { return m_testTool; }
    /// Opens the test signal tool in a mode of TestToolAccess (created on first use, then reused).
    void openTestTool(int mode);
    /// The open settings window of a device, or null.
    DevWin* devWindow(const QString& devId) const { return m_devWins.value(devId); }
    /// The open window of a multicast stream, or null.
    McastWin* mcastWindow(uint32_t dstIp) const { return m_mcastWins.value(dstIp); }
    DevVolumeForm* devVolumeForm() const { return m_devVolume; }
    ClockForm* clockForm() const { return m_clockForm; }
    CellRouteForm* routeForm() const { return m_routeForm; }
    /// The page widget of a page index (10, 20, 30, 40), or null.
    QWidget* page(int index) const;
    /// The question on_close_bt_clicked() asks, in the current language.
    static QString quitQuestion();

    // What the network tells (NetworkObserver): each call runs the slot of the same role.
    void recvAddDev(const QString& devId) override { slot_recv_addDev(devId); }
    void recvUpdateDev(const QString& devId) override { slot_recv_updateDev(devId); }
    void recvDelDev(const QString& devId) override;
    void recvAddMcast(const QString& dstIp) override { slot_recv_addMcast(dstIp); }
    void recvDelMcast(uint32_t dstIp) override { slot_recv_delMcast(dstIp); }
    void recvRefreshRoute() override { slot_refresh_route(); }
    void recvBackData(const QString& msg) override { emit sendBackDataSignal(msg); }
    void recvMessage(const QString& msg) override { slot_recv_message(msg); }
    void recvBlinkingDev(const QString& devId) override { slot_blinkingDev(devId); }
    void recvUnBlinkingDev(const QString& devId) override { slot_unBlinkingDev(devId); }
    void recvRefreshUi() override { slot_refreshUi(); }
    void recvRefreshDevInfoUi() override { slot_refreshDevInfoUi(); }
    void recvSyncCanWork() override { slot_syncCanWork(); }

signals:
    void sendBackDataSignal(QString);
    void sendSortIndex(int);
    void signal_gobalTips(int errorType, QString msg, bool isShow);
    /// A device's warning changed (type, shown or cleared, text), for the views that mark devices.
    void signal_deviceTips(QString devId, int type, bool isShow, QString msg);
    /// The offline design changed (devices loaded, added, copied or deleted): the views that show it in
    /// offline mode (routing matrix, streams, clocks) rebuild from the offline model.
    void signal_offlineDesignChanged();

public slots:
    void showLoading(int seconds, QString text);
    void showLoading(int seconds);
    void showLoading();
    void hideLoading();
    void on_top_btn_click(int index);
    void on_language_changed(bool isCh);
    void on_selectIp_confirm();
    void slot_recv_addDev(QString devId);
    void slot_recv_updateDev(QString devId);
    void slot_recv_delDev(QString devId);
    void slot_recv_addMcast(QString ipAddr);
    void slot_recv_delMcast(uint32_t dstIp);
    void slot_sendUdp(QString msg, QString devId);
    /// Opens the settings window of a device, or raises the one already open.
    void slot_showDevWindow(QString devId);
    /// Opens the window of an online multicast stream.
    void slot_showMcastWindow(uint32_t dstIp);
    void slot_refresh_route();
    void slot_showTips(QString tips);
    void slot_recv_message(QString msg);
    void recvChangeData(QString str);
    void slot_refreshUi();
    void slot_refreshDevInfoUi();
    void slot_syncCanWork();
    void slot_blinkingDev(QString devId);
    void slot_unBlinkingDev(QString devId);
    void updateLanguage();
    void on_close_bt_clicked();
    void on_min_bt_clicked();
    void on_max_min_bt_clicked();
    void slot_showHelpDocument();
    void slot_gobalTips(int errorType, QString msg, bool isShow);
    void slot_deviceTips(QString devId, int type, bool isShow, QString msg);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* buildTitleBar();
    void buildPages();
    void connectNetwork();
    void showPage(int index);
    void enterOffline();
    void connectOffline();
    /// The views of the workspace that is open now: offline list and menu, or the online ones.
    void showOfflineViews(bool offline);
    void toggleSapMonitor();
    /// Ctrl+Alt+1: the password prompt of the hidden test tool.
    void promptTestTool();
    void placeGlobalTips();
    void setUiRefreshPending();
    /// Writes the state snapshot when MERIDANE_STATE_FILE names a file (tests of the whole application).
    void writeStateSnapshot();
    /// Adds the route views' pages (clock log, streams) to a device's settings window.
    void addRoutePages(DeviceWindow* page, const QString& devId);
    void showOfflineDevWindow(const QString& devId);

    QString m_appDir;
    PlatformServices* m_platform;
    DevDetailStore& m_store;
    const ModelTable& m_models;
    std::unique_ptr<UserSettings> m_settings;
    std::unique_ptr<RegistryNotifier> m_notifier;
    std::unique_ptr<MyThread> m_thread;

    TopMenuForm* m_topMenu = nullptr;
    TitleInfoForm* m_titleInfo = nullptr;
    DevListForm* m_devList = nullptr;
    PageForm* m_routePage = nullptr;
    PageForm* m_clockPage = nullptr;
    PageForm* m_volumePage = nullptr;
    QWidget* m_networkPage = nullptr;
    FormNetTitle* m_netTitle = nullptr;
    NetStateForm* m_netState = nullptr;
    SelectNetDialog* m_netDialog = nullptr;
    MySnackbar* m_snackbar = nullptr;
    LoadingForm* m_loading = nullptr;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_infoLabel = nullptr;
    QLabel* m_globalTips = nullptr;
    StyledButton* m_maxButton = nullptr;
    SapMonitorView* m_sapMonitor = nullptr;
    TestSignalDialog* m_testTool = nullptr;
    DevVolumeForm* m_devVolume = nullptr;
    ClockForm* m_clockForm = nullptr;
    CellRouteForm* m_routeForm = nullptr;
    CustomDevListWidget* m_offlineList = nullptr;
    OfflineWorkspace* m_offline = nullptr;
    bool m_startNetwork = true;
    /// One settings window per device, by devId; a window removes itself when it closes.
    QMap<QString, DevWin*> m_devWins;
    /// One window per multicast stream, by destination address.
    QMap<uint32_t, McastWin*> m_mcastWins;

    QTimer m_autoChoiceTimer;
    QTimer m_interfaceTimer;
    /// The bound address the information label shows; a value no address has, so the first call writes it.
    uint64_t m_shownBoundIp = UINT64_MAX;
    QString m_stateFile; ///< empty: no snapshots
};
