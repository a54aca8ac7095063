#pragma once
#include "DevDetail.h"
#include <QDialog>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

class DeviceWindow;
class FactoryCodePrompt;
class LoadingForm;
class ManagePasswd;
class MySnackbar;
class OfflineData;
class QLabel;
class QPushButton;

/// The frameless frame of one device's settings window. It filters the replies for its device, keeps a
/// heartbeat to tell whether the device still answers, shows the waiting overlay and the tips of its page,
/// and relays the page's command messages to the main window.
///
/// The frame deletes itself when closed (the main window forgets it on devWinClosed).
class DevWin : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHeartbeatMs = 5000;
    /// A device counts as online while its last "getVersion" reply is younger than this.
    static constexpr int kOnlineWindowMs = 11000;
    static constexpr int kDefaultLoadingSeconds = 5;

    /// Milliseconds on a clock that never goes back (tests substitute their own).
    using Clock = std::function<qint64()>;

    /// With `design`, the frame holds the window of that design's device `devId`: no heartbeat, nothing sent.
    explicit DevWin(const QString& devId, QWidget* parent = nullptr, OfflineData* design = nullptr);
    ~DevWin() override;

    DeviceWindow* deviceWindow() const { return m_page; }
    QString devId() const { return m_devId; }

    /// Names the window after the device (title bar and system title).
    void setDevInfo(const QString& name);
    /// Re-reads the device's name from the detail store and retitles.
    void updateData();

    bool isOnline() const { return m_online; }
    QString titleText() const;
    /// The text the loading overlay reports when its count runs out without a reply.
    static QString defaultTimeoutText();

    void setClock(Clock clock);
    MySnackbar* snackbar() const { return m_snackbar; }
    /// The password entry opened by Ctrl+0, while it is open.
    ManagePasswd* passwordDialog() const;
    LoadingForm* loadingForm() const { return m_loading; }
    /// The factory prompt opened by Ctrl+8, while it is open.
    FactoryCodePrompt* factoryPrompt() const;

signals:
    /// Command messages of the page, for MainWindow::recvChangeData.
    void sendDataSignal(QString msg);
    void sendBackDataSignal(QString msg);
    /// A finished message for the device's command port (the heartbeat), for MainWindow::slot_sendUdp.
    void sendSignal(QString msg, QString devId);
    void devWinClosed(QString devId);
    void signal_customControl();
    void signal_customControl(QString devId);
    /// Ctrl+0: the user wants to unlock the device.
    void signal_lock();
    void signal_refreshTitle(QString title);
    void signal_refreshDevName(QString devId, QString name);
    /// A waited-for reply never came; carries the message to show.
    void signal_showDialog(QString text);
    /// A factory code changed the application's user mode (0, 1 or 2).
    void signal_userModeChanged(int mode);

public slots:
    void sendDataSlots(QString msg);
    /// Every reply of every device arrives here; only this device's (or unaddressed ones) reach the page.
    void recvBackData(QString msg);
    void recvCloseSignal();
    void on_close_bt_clicked();
    void on_min_bt_clicked();
    void on_max_min_bt_clicked();
    /// The page was renamed.
    void refreshTitleSlot(QString name);
    void slot_showTips(QString tip);
    /// Covers the page for `seconds` (-1: no limit); `timeoutText` is shown if the count runs out.
    void slot_showLoading(int seconds, QString timeoutText);
    void slot_hideLoading();
    /// One heartbeat step: judge liveness, then ask for the version again.
    void heartbeat();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTitleBar(QWidget* bar);
    void applyTitle();
    void openPasswordEntry();
    void openFactoryPrompt();
    /// Applies what the factory code `code` grants.
    void applyFactoryCode(const QString& code);
    void onLoadingTimeout();
    bool isOfflineFrame() const;
    DevDetail_t currentDetail() const;

    QString m_devId;
    QString m_name;
    Clock m_clock;
    qint64 m_lastVersionMs = 0;
    bool m_online = true;
    bool m_closed = false;
    QTimer m_heartbeat;
    QLabel* m_titleLabel = nullptr;
    DeviceWindow* m_page = nullptr;
    LoadingForm* m_loading = nullptr;
    MySnackbar* m_snackbar = nullptr;
    QString m_timeoutText;
    QPointer<ManagePasswd> m_passwordDialog;
    QPointer<FactoryCodePrompt> m_factoryPrompt;
    QPoint m_dragOffset;
    bool m_dragging = false;
};
