#pragma once
#include <QDialog>
#include <QPoint>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

class CDeviceDspData;
class Channel;
class DevDspTcpSocketThread;
class DspDiagramForm;
class DspJsonValue;
class DspMatrixForm;
class DspProgramForm;
class LoadingForm;
class MySnackbar;
class QJsonObject;
class QLabel;
class QPushButton;
class QStackedWidget;
class QThread;

/// The processor dialog of one device: a TCP link (in a thread of its own) that downloads the configuration and
/// carries what the pages hand over as TCP messages, plain UDP datagrams to the processor's port 8999 for the
/// version, meters, CPU load and parameter edits, one reply dispatcher for both, and four pages (diagram,
/// channel volume, matrix, programs).
///
/// Replies over UDP come from the device window through recvBackData(); TCP replies from the link.
class DevDspDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr quint16 kDspPort = 8999;
    static constexpr int kVolumeMs = 250;
    static constexpr int kCpuMs = 500;
    static constexpr int kReconnectMs = 5000;
    /// Without any reply for this long the dialog reports the connection as lost.
    static constexpr int kSilentSeconds = 31;
    static constexpr int kConnectingSeconds = 10;
    /// Longer messages are logged by length only and not dumped.
    static constexpr int kLogLimit = 20000;

    /// Sends one datagram; returns -1 when the network thread is not receiving. Tests substitute their own.
    using UdpSender = std::function<int(const QByteArray& data, uint32_t ip, quint16 port)>;
    /// Milliseconds on a clock that never goes back.
    using Clock = std::function<qint64()>;
    /// Stores a configuration into the offline design; false when it could not be stored.
    using OfflineSaver = std::function<bool(const CDeviceDspData&)>;
    /// An offline device as the design describes it: the dialog reads no registry for it.
    struct OfflineTarget
    {
        QString devId;
        QString name;
        QString model;
        int localIn = 0;
        int netIn = 0;
        int localOut = 0;
        int netOut = 0;
        int sampleRate = 48000;
    };

    explicit DevDspDialog(QWidget* parent = nullptr);
    ~DevDspDialog() override;

    void setUdpSender(UdpSender sender);
    void setClock(Clock clock);
    /// Delay before a new connection attempt after the link went unconnected (5 s; tests shorten it).
    void setReconnectDelay(int ms) { m_reconnectMs = ms; }
    /// When false (before initOnlineUi) no link thread is made: tests drive the link slots themselves.
    void setLinkEnabled(bool enabled) { m_linkEnabled = enabled; }

    /// Prepares the dialog for the device: link, configuration, pages, timers, and starts connecting.
    void initOnlineUi(QString deviceKey);
    /// Prepares the dialog for a device of the offline design: no link, no timers, nothing sent; every page and
    /// editor changes `config` only, and the diagram's save hands it to `saver`. The dialog owns `config`.
    void initOfflineUi(const OfflineTarget& target, std::unique_ptr<CDeviceDspData> config, OfflineSaver saver);
    /// True after initOfflineUi: nothing leaves the dialog.
    bool isOfflineUi() const { return m_offlineUi; }
    /// Copies name, identifier and channel counts of the device into the configuration.
    void setDeviceInfo();
    /// Follows the device's processor lock (the device window rereads it once a second and after changes).
    void refreshLock();
    /// Rereads the device's name and identifier and refreshes the pages' texts.
    void refreshData();

    QString devId() const { return m_devId; }
    QString model() const { return m_model; }
    /// The processor's address (host order); 0 before initOnlineUi.
    uint32_t dspHost() const { return m_dspHost; }
    /// The configuration; owned by the dialog (online).
    CDeviceDspData* dspData() const { return m_data; }
    bool hasLink() const { return m_link != nullptr; }
    /// True once a configuration was accepted.
    bool isConfigured() const { return m_configured; }
    int cpuMain() const { return m_cpuMain; }
    QString statusText() const;
    QString titleText() const;
    DspDiagramForm* diagramForm() const { return m_diagram; }
    Channel* channelForm() const { return m_channel; }
    DspMatrixForm* matrixForm() const { return m_matrix; }
    DspProgramForm* programForm() const { return m_program; }
    QStackedWidget* pages() const { return m_stack; }
    LoadingForm* loadingForm() const { return m_loading; }
    QTimer* volumeTimer() { return &m_volumeTimer; }
    QTimer* cpuTimer() { return &m_cpuTimer; }

signals:
    void refreshDataSignal();
    void signal_sendTcpMsg(QString msg);
    void signal_getConfigSucc(CDeviceDspData* dspData);
    void signal_customControl(QString text);
    void signal_reconnect(uint32_t ip);
    /// A message for a dialog box; `flag` true for success.
    void signal_showDialog(QString text, bool flag);
    /// Short notices for the device window's notice bar.
    void signal_showTips(QString tip);

public slots:
    void tcpConnected(QString text, bool isSucc);
    void tcpDisconnected();
    void tcpStateChanged(int state);
    /// Puts the device identifier in front of `request` and hands it to the link.
    void sendTcpRequest(QString request);
    /// One datagram to the processor's port 8999.
    void sendUdpRequest(QString text);
    /// One datagram to the processor's address at `port`.
    void sendUdpRequest(QString text, int port);
    void on_pb_diagram_clicked();
    void on_pb_matrix_clicked();
    void on_pb_program_clicked();
    void on_pb_channelvoice_clicked();
    void handle_recvTcpMsg(QString msg);
    void getVolumeTimeOut();
    void getCpuUsageTimeOut();
    void slot_customControl(QString text);
    void slot_import_offline();
    /// UDP replies handed over by the device window.
    void recvBackData(QString msg);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    void retranslate();
    /// `root` is `msg` already read: every reply is parsed once, here or in handle_recvTcpMsg().
    void handleReply(const DspJsonValue& root, const QString& msg);
    void handleConfigReply(const DspJsonValue& config, int textSize);
    void handleCpuReply(const DspJsonValue& reply);
    void applyVersion(const DspJsonValue& reply);
    void markReply();
    void sendUdpObject(const QJsonObject& request);
    void showPage(QWidget* page);
    /// Wires the pages to the dialog (both ways of opening).
    void connectPages();
    void shutdown();
    bool hidesOutGain() const;

    QString m_devId;
    QString m_devName;
    QString m_model;
    uint32_t m_dspHost = 0;
    int m_inMeterStart = 0;
    int m_outMeterStart = 0;
    qint64 m_lastReplyMs = -1; ///< on m_clock; -1 before the first reply
    int m_cpuMain = 0;
    bool m_configured = false;
    bool m_ownsData = true;
    bool m_linkEnabled = true;
    bool m_shutDown = false;
    bool m_lostShown = false; ///< the title reports the lost connection (kept once shown)
    bool m_offlineUi = false;
    int m_reconnectMs = kReconnectMs;
    CDeviceDspData* m_data = nullptr;
    UdpSender m_sendUdp;
    Clock m_clock;

    QThread* m_thread = nullptr;
    DevDspTcpSocketThread* m_link = nullptr;
    QTimer m_volumeTimer;
    QTimer m_cpuTimer;

    QLabel* m_title = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_cpu = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_pbDiagram = nullptr;
    QPushButton* m_pbChannel = nullptr;
    QPushButton* m_pbMatrix = nullptr;
    QPushButton* m_pbProgram = nullptr;
    QStackedWidget* m_stack = nullptr;
    DspDiagramForm* m_diagram = nullptr;
    Channel* m_channel = nullptr;
    DspMatrixForm* m_matrix = nullptr;
    DspProgramForm* m_program = nullptr;
    LoadingForm* m_loading = nullptr;
    MySnackbar* m_snackbar = nullptr;
    QPoint m_dragOffset;
    bool m_dragging = false;
};
