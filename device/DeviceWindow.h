#pragma once
#include "DevDetail.h"

#include <QJsonObject>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

class AudioFormatControl;
class ChannelNameTable;
class DevDspDialog;
class ModifyDefaultDspDialog;
class DeviceAddressPanel;
class LockOverlays;
class NewDelayCounter;
class OfflineDscpPanel;
class OfflineData;
class OfflineDeviceBridge;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class UartTunnelPanel;
class channelVoice;
class devtest;

/// The settings page of one device inside its DevWin frame: identity, name, audio format, packet time,
/// network delay, addresses, channel names, serial tunnel and the tool pages. Every edit is checked here and
/// leaves as a command message on sendChangeData; replies come back through recvBackData.
class DeviceWindow : public QWidget
{
    Q_OBJECT
public:
    enum Page
    {
        ConfigPage,
        LevelsPage,
        DelayPage
    };

    /// The page buttons, in their order on the window.
    enum PageButton
    {
        BtConfig,
        BtDsp,
        BtLevels,
        BtDelay,
        BtClock,
        BtTest,
        BtStream
    };

    /// Asks a yes/no question; true for yes. The default shows a QMessageBox.
    using Asker = std::function<bool(const QString&)>;

    /// With `design`, the window shows and edits that design's device `devId` and sends nothing.
    explicit DeviceWindow(const QString& devId, QWidget* parent = nullptr, OfflineData* design = nullptr);
    ~DeviceWindow() override;

    QString devId() const { return m_devId; }
    /// The design device this window edits; null for a device on the network.
    OfflineDeviceBridge* offlineDevice() const { return m_offline; }
    /// Replaces the question box (scripted sessions and tests answer themselves).
    void setAsker(Asker asker);
    DeviceAddressPanel* addressPanel() const { return m_address; }
    UartTunnelPanel* tunnelPanel() const { return m_tunnel; }
    ChannelNameTable* channelTable() const { return m_channels; }
    int currentPage() const;
    AudioFormatControl* audioFormat() const { return m_format; }
    /// The test page (button "测试").
    devtest* testPage() const { return m_testPage; }
    /// True once the device answered "getDebugInfo".
    bool debugInfoReceived() const { return m_debugInfoReceived; }

    /// Places a page built outside this library (clock log, streams) under its page button. The page then
    /// gets every message through signal_message and follows the lock through signal_lockRefreshed.
    void addPage(PageButton button, QWidget* page);

    /// The hint shown under the name field while typing.
    QString nameHint() const;

signals:
    void sendChangeData(QString msg);
    void closeSignal();
    void refreshTitleSignal(QString name);
    void refreshChSignal();
    void signal_customControl();
    void signal_lockMode();
    void signal_showLoading(int seconds, QString text);
    void signal_showLoading(int seconds);
    void signal_showLoading();
    void signal_hideLoading();
    void signal_refreshDevName(QString devId, QString name);
    void signal_showTips(QString tip);
    /// Every message the window receives, for the pages added with addPage.
    void signal_message(QString msg);
    /// The stored lock levels were read again; pages refresh their overlays.
    void signal_lockRefreshed();

public slots:
    void recvBackData(QString msg);
    void sendDataSlots(QString msg);
    void on_devName_le_editingFinished();
    void on_samplerate_comb_activated(int index);
    void on_PacketTimeDiv_comb_activated(int index);
    void on_netdelay_comb_activated(int index);
    void on_combo_sampleByteNum_activated(int index);
    void on_changeIp_bt_clicked();
    void on_pb_resetip_clicked();
    void on_pb_edit_type_clicked();
    void on_pb_manage_clicked();
    void on_dsp_bt_clicked();
    /// Opens the dialog that writes the processor's factory configuration (processor models on the network).
    void on_pb_defaultDsp_clicked();
    void on_reboot_bt_clicked();
    void on_uart_send_bt_clicked();
    void btGroupclicked(int id);
    /// Shows the detail lock of the store: none, veiled (1) or hidden (2).
    void refreshLock();
    /// Asks the device for its address, debug information and version (sent once after opening).
    void requestDeviceState();
    /// The application's user mode changed (factory code): the test page shows the panels of `mode`.
    void slot_userModeChanged(int mode);

private:
    void buildUi();
    QWidget* buildSettingsPage();
    void handleMessage(const QJsonObject& msg);
    void loadFromStore();
    /// Fills the page from the design again; closes the window when the device has left the design.
    void loadFromDesign();
    /// Panels that only a device on the network can act on.
    bool needsNetwork(const QWidget* panel) const;
    void updateIdentity(const DevDetail_t& detail);
    void send(const QJsonObject& msg);
    void sendReboot();
    void awaitReply();
    void showFailure(const QJsonObject& reply);
    void closeLater();
    bool ask(const QString& question);
    void notYetAvailable();

    QString m_devId;
    OfflineDeviceBridge* m_offline = nullptr;
    DevDetail_t m_detail; ///< copy of the detail record, refreshed from the store
    Asker m_ask;

    QString m_name;        ///< last confirmed name, restored when the device refuses a new one
    QString m_pendingName; ///< sent, awaiting the reply
    bool m_debugInfoReceived = false;
    int m_lockLevel = -1;

    QLabel* m_nameLabel = nullptr;
    QLabel* m_modelLabel = nullptr;
    QLabel* m_devIdLabel = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_infoLabel = nullptr;
    QLabel* m_dspChLabel = nullptr;
    QLabel* m_nameHint = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QComboBox* m_rateCombo = nullptr;
    QComboBox* m_packetCombo = nullptr;
    QComboBox* m_delayCombo = nullptr;
    QComboBox* m_byteCombo = nullptr;
    QButtonGroup* m_pageButtons = nullptr;
    QStackedWidget* m_stack = nullptr;
    QWidget* m_settingsPage = nullptr;
    AudioFormatControl* m_format = nullptr;
    DeviceAddressPanel* m_address = nullptr;
    ChannelNameTable* m_channels = nullptr;
    UartTunnelPanel* m_tunnel = nullptr;
    OfflineDscpPanel* m_dscp = nullptr; ///< design devices only
    channelVoice* m_levelsPage = nullptr;
    NewDelayCounter* m_delayPage = nullptr;
    devtest* m_testPage = nullptr;
    /// Pages placed by the owner, by page button.
    QMap<int, QWidget*> m_addedPages;
    LockOverlays* m_overlays = nullptr;
    QPointer<QWidget> m_lockDialog;
    QPointer<DevDspDialog> m_dspDialog;                  ///< the processor dialog while open
    QPointer<ModifyDefaultDspDialog> m_defaultDspDialog; ///< the factory configuration dialog while open
    QTimer m_lockTimer;
};
