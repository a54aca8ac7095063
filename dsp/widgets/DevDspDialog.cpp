#include "DevDspDialog.h"

#include "AppState.h"
#include "CDeviceDspData.h"
#include "Channel.h"
#include "DevDetailStore.h"
#include "DevDspTcpSocketThread.h"
#include "DeviceSender.h"
#include "DspCpuFigures.h"
#include "DspDefaultConfig.h"
#include "DspDiagramForm.h"
#include "DspEnvelope.h"
#include "DspFirmware.h"
#include "DspJsonTree.h"
#include "DspJsonValue.h"
#include "DspMatrixForm.h"
#include "DspProgramForm.h"
#include "DspUiLog.h"
#include "LoadingForm.h"
#include "LogRedaction.h"
#include "ModelTable.h"
#include "MySnackbar.h"
#include "StyledButton.h"
#include "UiScale.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QThread>
#include <QVBoxLayout>

namespace {

const QString kDspUiTag = QStringLiteral("dspUiTag");

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz"));
}

QJsonObject request(const char* ops)
{
    QJsonObject o;
    o.insert(QStringLiteral("ops"), QLatin1String(ops));
    o.insert(QStringLiteral("uiTag"), kDspUiTag);
    return o;
}

} // namespace

DevDspDialog::DevDspDialog(QWidget* parent) : QDialog(parent)
{
    qRegisterMetaType<uint32_t>("uint32_t");
    setObjectName(QStringLiteral("DevDspDialog"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    m_sendUdp = [](const QByteArray& data, uint32_t ip, quint16 port) {
        return DeviceSender::send(data, ip, port) ? int(data.size()) : -1;
    };
    m_clock = [] {
        static QElapsedTimer since;
        if (!since.isValid())
            since.start();
        return since.elapsed();
    };
    buildUi();
}

DevDspDialog::~DevDspDialog()
{
    shutdown();
}

void DevDspDialog::setUdpSender(UdpSender sender)
{
    m_sendUdp = std::move(sender);
}

void DevDspDialog::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

// ---- Building ----------------------------------------------------------------------------------

void DevDspDialog::buildUi()
{
    setStyleSheet(QStringLiteral("QDialog#DevDspDialog{background:#1e2229;} QLabel{color:#d7dbe2;}"));
    resize(UiScale::px(1280), UiScale::px(760));

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("title_label"));
    m_title->installEventFilter(this);
    m_close = new StyledButton(QStringLiteral("×"), StyledButton::Title, this);
    m_close->setObjectName(QStringLiteral("close_bt"));
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    auto* titleBar = new QHBoxLayout;
    titleBar->addWidget(m_title, 1);
    titleBar->addWidget(m_close);

    auto* buttons = new QHBoxLayout;
    auto makePage = [&](const char* name) {
        auto* b = new StyledButton(QString(), StyledButton::Page, this);
        b->setObjectName(QLatin1String(name));
        b->setCheckable(true);
        b->setAutoExclusive(true);
        buttons->addWidget(b);
        return b;
    };
    m_pbDiagram = makePage("pb_diagram");
    m_pbChannel = makePage("pb_channelvoice");
    m_pbMatrix = makePage("pb_matrix");
    m_pbProgram = makePage("pb_program");
    buttons->addStretch();
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lb_status"));
    m_cpu = new QLabel(this);
    m_cpu->setObjectName(QStringLiteral("lb_cpu"));
    m_cpu->hide(); // shown once a configuration is accepted
    buttons->addWidget(m_status);
    buttons->addSpacing(UiScale::px(16));
    buttons->addWidget(m_cpu);
    connect(m_pbDiagram, &QPushButton::clicked, this, &DevDspDialog::on_pb_diagram_clicked);
    connect(m_pbChannel, &QPushButton::clicked, this, &DevDspDialog::on_pb_channelvoice_clicked);
    connect(m_pbMatrix, &QPushButton::clicked, this, &DevDspDialog::on_pb_matrix_clicked);
    connect(m_pbProgram, &QPushButton::clicked, this, &DevDspDialog::on_pb_program_clicked);

    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    m_diagram = new DspDiagramForm(m_stack);
    m_channel = new Channel(m_stack);
    m_matrix = new DspMatrixForm(m_stack);
    m_program = new DspProgramForm(m_stack);
    for (QWidget* page : {static_cast<QWidget*>(m_diagram), static_cast<QWidget*>(m_channel),
                          static_cast<QWidget*>(m_matrix), static_cast<QWidget*>(m_program)})
        m_stack->addWidget(page);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(UiScale::px(8), UiScale::px(4), UiScale::px(8), UiScale::px(8));
    layout->addLayout(titleBar);
    layout->addLayout(buttons);
    layout->addWidget(m_stack, 1);

    m_loading = new LoadingForm(this);
    m_snackbar = new MySnackbar(this);
    connect(this, &DevDspDialog::signal_showDialog, m_snackbar,
            [this](const QString& text, bool) { m_snackbar->showMessage(text); });
    retranslate();
}

void DevDspDialog::retranslate()
{
    const QString title = m_lostShown
                              ? m_devName + QLatin1Char(' ') + tr("(音频处理)") + QLatin1Char(' ') + tr("连接已断开")
                              : QStringLiteral("DSP Controll");
    m_title->setText(title);
    setWindowTitle(title);
    const bool renamed = hidesOutGain();
    m_pbDiagram->setText(renamed ? tr("主页") : tr("流程图"));
    m_pbChannel->setText(tr("通道音量"));
    m_pbMatrix->setText(tr("矩阵"));
    m_pbProgram->setText(renamed ? tr("场景") : tr("程式管理"));
}

bool DevDspDialog::hidesOutGain() const
{
    return m_data != nullptr && m_data->info().funcList.contains(QStringLiteral("hideOutGain"));
}

QString DevDspDialog::statusText() const
{
    return m_status->text();
}

QString DevDspDialog::titleText() const
{
    return m_title->text();
}

// ---- Life ----------------------------------------------------------------------------------------

void DevDspDialog::initOnlineUi(QString deviceKey)
{
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(deviceKey, __func__, __LINE__);
    if (detail.isEmpty() || m_data != nullptr)
        return;
    m_devId = detail.devId;
    m_devName = detail.name;
    m_model = detail.model;
    const ModelTable& models = ModelTable::instance();
    m_dspHost = detail.ip;
    if (models.hasSeparateDspAddress(m_model)) {
        // A separate processor whose address is not known yet is still reached through the device rather than
        // through 0.0.0.0, which would send nowhere.
        const uint32_t own = DevDetailStore::instance().dspAddress(m_devId);
        if (own != 0)
            m_dspHost = own;
    }
    const bool virtualMixer = models.isVirtualMixer(m_model);

    if (m_linkEnabled && !virtualMixer) {
        m_thread = new QThread;
        m_link = new DevDspTcpSocketThread;
        m_link->setHost(m_dspHost, kDspPort);
        connect(m_link, &DevDspTcpSocketThread::signal_connected, this, &DevDspDialog::tcpConnected);
        connect(m_link, &DevDspTcpSocketThread::signal_disconnected, this, &DevDspDialog::tcpDisconnected);
        // Each message handled is counted back, so the link stops reading while this window lags behind.
        connect(m_link, &DevDspTcpSocketThread::signal_recvMsg, this,
                [this, flow = m_link->flow()](const QString& msg) {
                    handle_recvTcpMsg(msg);
                    flow->handled();
                });
        connect(m_link, &DevDspTcpSocketThread::signal_stateChanged, this, &DevDspDialog::tcpStateChanged);
        connect(this, &DevDspDialog::signal_sendTcpMsg, m_link, &DevDspTcpSocketThread::slot_sendMsg);
        connect(this, &DevDspDialog::signal_reconnect, m_link, &DevDspTcpSocketThread::reconnection);
        connect(m_thread, &QThread::started, m_link, &DevDspTcpSocketThread::slot_runThread);
        connect(m_thread, &QThread::finished, m_link, &DevDspTcpSocketThread::slot_quitSocket);
        m_link->moveToThread(m_thread);
    }

    showPage(m_diagram);
    m_ownsData = true; // made here, whatever the working mode
    m_data = new CDeviceDspData;
    setDeviceInfo();

    m_volumeTimer.setInterval(kVolumeMs);
    connect(&m_volumeTimer, &QTimer::timeout, this, &DevDspDialog::getVolumeTimeOut);
    m_volumeTimer.start();
    m_cpuTimer.setInterval(kCpuMs);
    connect(&m_cpuTimer, &QTimer::timeout, this, &DevDspDialog::getCpuUsageTimeOut);

    m_diagram->setDevice(m_devId, m_model);
    connectPages();

    m_loading->setCountdown(kConnectingSeconds);
    m_loading->setText(AppState::pick(QStringLiteral("连接中..."), QStringLiteral("Connecting...")));
    m_loading->start();

    if (virtualMixer) {
        const int inputs = m_data->localInCount() + m_data->netInCount();
        const int outputs = m_data->localOutCount() + m_data->netOutCount();
        // The mixer never answers a version request, so the counts that the reply check expects are the
        // device's own.
        m_data->info().chNumIn = inputs;
        m_data->info().chNumOut = outputs;
        m_data->setExtraInCount(0);
        m_data->setExtraOutCount(0);
        const int rate = detail.sampleRate > 0 ? detail.sampleRate : 48000;
        handle_recvTcpMsg(DspDefaultConfig::reply(inputs, outputs, rate));
        m_pbDiagram->hide();
        m_pbChannel->hide();
        m_pbProgram->hide();
        showPage(m_matrix);
        return;
    }
    if (m_thread != nullptr)
        m_thread->start();
}

void DevDspDialog::connectPages()
{
    connect(this, &DevDspDialog::signal_getConfigSucc, m_diagram, &DspDiagramForm::refreshUI);
    connect(m_diagram, qOverload<QString>(&DspDiagramForm::signal_sendMsg), this,
            qOverload<QString>(&DevDspDialog::sendUdpRequest));
    connect(m_diagram, qOverload<QString, int>(&DspDiagramForm::signal_sendMsg), this,
            qOverload<QString, int>(&DevDspDialog::sendUdpRequest));
    connect(m_diagram, &DspDiagramForm::signal_sendTcpMsg, this, &DevDspDialog::sendTcpRequest);
    connect(m_program, &DspPageShell::signal_sendMsg, this, qOverload<QString>(&DevDspDialog::sendUdpRequest));
    connect(m_program, &DspPageShell::signal_sendTcpMsg, this, &DevDspDialog::sendTcpRequest);
    connect(m_program, &DspProgramForm::signal_import, this, &DevDspDialog::slot_import_offline);
    connect(m_channel, &DspPageShell::signal_sendMsg, this, qOverload<QString>(&DevDspDialog::sendUdpRequest));
    connect(m_matrix, &DspPageShell::signal_sendMsg, this, qOverload<QString>(&DevDspDialog::sendUdpRequest));
    connect(m_diagram, &DspDiagramForm::signal_changeIdStart, this,
            [this](int idStart, bool inOrOut) { (inOrOut ? m_outMeterStart : m_inMeterStart) = idStart; });
    connect(m_channel, &Channel::signal_changeIdStart, this, [this](int idStart, bool inOrOut) {
        if (ModelTable::instance().isLevelBatch(m_model))
            (inOrOut ? m_outMeterStart : m_inMeterStart) = idStart;
    });
    connect(m_diagram, &DspDiagramForm::showMatrix_signal, this, &DevDspDialog::on_pb_matrix_clicked);
    for (DspPageShell* page : {static_cast<DspPageShell*>(m_channel), static_cast<DspPageShell*>(m_matrix),
                               static_cast<DspPageShell*>(m_program)})
        connect(page, &DspPageShell::signal_showTips, this, &DevDspDialog::signal_showTips);
    connect(m_diagram, &DspDiagramForm::signal_showTips, this, &DevDspDialog::signal_showTips);
    connect(m_diagram, &DspDiagramForm::signal_showTips, m_snackbar,
            [this](const QString& t) { m_snackbar->showMessage(t); });
}

void DevDspDialog::initOfflineUi(const OfflineTarget& target, std::unique_ptr<CDeviceDspData> config,
                                 OfflineSaver saver)
{
    if (m_data != nullptr || !config)
        return;
    m_offlineUi = true;
    m_devId = target.devId;
    m_devName = target.name;
    m_model = target.model;
    m_ownsData = true; // a working copy: the design changes only through the saver
    m_data = config.release();
    DspInfo& info = m_data->info();
    // No version reply comes: the configuration's own channels are the processor's.
    info.chNumIn = qMax(int(m_data->inputs().size()), target.localIn + target.netIn);
    info.chNumOut = qMax(int(m_data->outputs().size()), target.localOut + target.netOut);
    m_data->setDeviceInfo(target.name, target.devId, target.localIn, target.netIn, target.localOut, target.netOut);
    m_data->setSampleRate(target.sampleRate);

    m_diagram->setOffline(true);
    m_diagram->setOfflineSaver(std::move(saver));
    for (DspPageShell* page : {static_cast<DspPageShell*>(m_channel), static_cast<DspPageShell*>(m_matrix),
                               static_cast<DspPageShell*>(m_program)})
        page->setOffline(true);
    m_diagram->setDevice(m_devId, m_model);
    connectPages();

    m_configured = true;
    emit signal_getConfigSucc(m_data);
    m_channel->setDspData(m_data);
    m_matrix->setDspData(m_data);
    m_program->setDspData(m_data);
    retranslate();
    if (ModelTable::instance().isVirtualMixer(m_model)) {
        m_pbDiagram->hide();
        m_pbChannel->hide();
        m_pbProgram->hide();
        showPage(m_matrix);
        return;
    }
    showPage(m_diagram);
}

void DevDspDialog::setDeviceInfo()
{
    if (m_data == nullptr || m_offlineUi)
        return;
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(m_devId, __func__, __LINE__);
    if (detail.isEmpty())
        return;
    m_devName = detail.name;
    m_data->setDeviceInfo(detail.name, detail.devId, int(detail.phyRxChNames.size()), int(detail.rxChNames.size()),
                          int(detail.phyTxChNames.size()), int(detail.txChNames.size()));
    retranslate();
}

void DevDspDialog::refreshLock()
{
    if (m_diagram != nullptr)
        m_diagram->refreshLockLabel();
}

void DevDspDialog::refreshData()
{
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(m_devId, __func__, __LINE__);
    if (!detail.isEmpty()) {
        m_devName = detail.name;
        m_devId = detail.devId;
    }
    m_diagram->refreshData();
    m_matrix->refreshData();
    m_channel->refreshData();
    emit refreshDataSignal();
}

void DevDspDialog::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_volumeTimer.stop();
    m_cpuTimer.stop();
    if (m_thread != nullptr) {
        // The thread's finished() lets the link delete itself (and its socket) in its own thread.
        m_thread->quit();
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        m_link = nullptr;
    }
    // Editors and pages hold the configuration; they go before it does.
    if (m_diagram != nullptr)
        m_diagram->refreshUI(nullptr);
    for (DspPageShell* page : {static_cast<DspPageShell*>(m_channel), static_cast<DspPageShell*>(m_matrix),
                               static_cast<DspPageShell*>(m_program)})
        page->setDspData(nullptr);
    if (m_ownsData)
        delete m_data;
    m_data = nullptr;
}

void DevDspDialog::closeEvent(QCloseEvent* event)
{
    shutdown();
    QDialog::closeEvent(event);
}

void DevDspDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}

void DevDspDialog::keyPressEvent(QKeyEvent* event)
{
    // Escape would close the dialog in the middle of an edit.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool DevDspDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_title) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(event);
            m_dragging = me->button() == Qt::LeftButton;
            m_dragOffset = me->globalPos() - frameGeometry().topLeft();
        } else if (event->type() == QEvent::MouseMove && m_dragging) {
            move(static_cast<QMouseEvent*>(event)->globalPos() - m_dragOffset);
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_dragging = false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- Link ----------------------------------------------------------------------------------------

void DevDspDialog::tcpConnected(QString text, bool isSucc)
{
    m_status->setText(text);
    if (!isSucc)
        return;
    QJsonObject version = request("getVersion");
    version.insert(QStringLiteral("cookie"), QStringLiteral("0"));
    sendUdpObject(version);
    QJsonObject custom = request("getCustomStr");
    custom.insert(QStringLiteral("cookie"), QStringLiteral("0"));
    sendUdpObject(custom);
}

void DevDspDialog::tcpDisconnected()
{
    qCInfo(lcDspUi) << "Tcp disconnected!";
}

void DevDspDialog::tcpStateChanged(int state)
{
    qCInfo(lcDspUi) << "tcp state changed " << state;
    if (state != 0)
        return;
    m_loading->stop();
    m_status->setText(tr("未连接"));
    QTimer::singleShot(m_reconnectMs, this, [this] {
        if (!m_shutDown)
            emit signal_reconnect(m_dspHost);
    });
}

void DevDspDialog::sendTcpRequest(QString request)
{
    if (m_offlineUi)
        return; // an offline device has no link: its configuration changes in the design only
    emit signal_sendTcpMsg(DspEnvelope::tcp(m_devId, request));
}

void DevDspDialog::sendUdpRequest(QString text)
{
    sendUdpRequest(text, -1);
}

void DevDspDialog::sendUdpRequest(QString text, int port)
{
    if (m_offlineUi)
        return;
    const bool explicitPort = port >= 0;
    if (!explicitPort)
        port = kDspPort;
    if (m_dspHost == 0 || port <= 0 || port > 65535 || !m_sendUdp)
        return;
    if (!DspEnvelope::isPolledQuiet(text)) {
        const QByteArray shown = LogRedaction::redacted(text.toUtf8());
        if (explicitPort)
            qCDebug(lcDspUi).noquote() << "Send(Udp) => " << now() << shown << "port = " << port;
        else
            qCDebug(lcDspUi).noquote() << "Send(Udp) => " << now() << shown;
    }
    // -1 means the network thread is not receiving: nothing to do but wait for it.
    m_sendUdp(text.toUtf8(), m_dspHost, quint16(port));
}

void DevDspDialog::sendUdpObject(const QJsonObject& request)
{
    sendUdpRequest(DspEnvelope::udp(request));
}

// ---- Pages ---------------------------------------------------------------------------------------

void DevDspDialog::showPage(QWidget* page)
{
    m_stack->setCurrentWidget(page);
    QPushButton* b = page == m_diagram   ? m_pbDiagram
                     : page == m_channel ? m_pbChannel
                     : page == m_matrix  ? m_pbMatrix
                                         : m_pbProgram;
    b->setChecked(true);
}

void DevDspDialog::on_pb_diagram_clicked()
{
    // The channel page changes the same configuration: the strips show what it holds now.
    m_diagram->refreshData();
    showPage(m_diagram);
}

void DevDspDialog::on_pb_matrix_clicked()
{
    if (m_offlineUi || AppState::isOffline())
        m_matrix->setDspData(m_data);
    showPage(m_matrix);
}

void DevDspDialog::on_pb_program_clicked()
{
    showPage(m_program);
}

void DevDspDialog::on_pb_channelvoice_clicked()
{
    if (m_offlineUi || AppState::isOffline())
        m_channel->setDspData(m_data);
    showPage(m_channel);
}

void DevDspDialog::slot_customControl(QString text)
{
    if (text != QLatin1String("dsp_control"))
        return;
    m_pbDiagram->click();
    emit signal_customControl(text);
}

void DevDspDialog::slot_import_offline()
{
    // An imported configuration replaced the model's contents: every page shows it anew.
    if (m_data == nullptr)
        return;
    emit signal_getConfigSucc(m_data);
    m_channel->setDspData(m_data);
    m_matrix->setDspData(m_data);
    m_program->setDspData(m_data);
}

// ---- Timers --------------------------------------------------------------------------------------

void DevDspDialog::getVolumeTimeOut()
{
    if (m_offlineUi)
        return;
    if (ModelTable::instance().isLevelBatch(m_model)) {
        QJsonObject in = request("getVolumeDbBatchIn");
        in.insert(QStringLiteral("idStart"), QString::number(m_inMeterStart));
        sendUdpObject(in);
        QJsonObject out = request("getVolumeDbBatchOut");
        out.insert(QStringLiteral("idStart"), QString::number(m_outMeterStart));
        sendUdpObject(out);
    } else {
        sendUdpObject(request("getVolumeDb"));
    }
    m_diagram->handleGetVolumeTimeout();
    if (auto* page = qobject_cast<DspPageShell*>(m_stack->currentWidget()))
        page->volumeTick();
}

void DevDspDialog::getCpuUsageTimeOut()
{
    if (m_offlineUi)
        return;
    if (m_lastReplyMs >= 0 && m_clock() - m_lastReplyMs >= qint64(kSilentSeconds) * 1000) {
        m_lostShown = true;
        retranslate();
        m_status->setText(tr("连接已断开"));
    } else {
        m_status->clear();
    }
    sendUdpObject(request("getCpuUsage"));
}

void DevDspDialog::markReply()
{
    m_lastReplyMs = m_clock();
}

// ---- Replies -------------------------------------------------------------------------------------

void DevDspDialog::recvBackData(QString msg)
{
    if (m_offlineUi)
        return; // replies of a real device with the same identifier are not this design's
    DspJsonTree tree;
    tree.parse(msg.toUtf8());
    handleReply(tree.root(), msg);
}

void DevDspDialog::handle_recvTcpMsg(QString msg)
{
    if (m_offlineUi)
        return;
    markReply();
    if (msg.size() > kLogLimit)
        qCDebug(lcDspUi) << "handle recv tcp msg: len=" << msg.size();
    else
        qCDebug(lcDspUi).noquote() << "handle recv tcp msg: " << LogRedaction::redacted(msg.toUtf8());
    // The configuration is the largest message: read once, with the model's own reader.
    DspJsonTree tree;
    tree.parse(msg.toUtf8());
    const DspJsonValue root = tree.root();
    if (!root[QLatin1String("ops")].textEquals(QLatin1String("getConfig"))) {
        handleReply(root, msg);
        return;
    }
    handleConfigReply(root[QLatin1String("config")], msg.size());
}

void DevDspDialog::handleConfigReply(const DspJsonValue& config, int textSize)
{
    if (m_data == nullptr)
        return;
    const DevDetail_t detail = DevDetailStore::instance().getDevDetail(m_devId, __func__, __LINE__);
    if (detail.isEmpty())
        return;
    const DspInfo& info = m_data->info();
    const bool inputsMatch =
        detail.phyRxChNames.size() + detail.rxChNames.size() == info.chNumIn - m_data->extraInCount();
    const bool outputsMatch =
        detail.phyTxChNames.size() + detail.txChNames.size() == info.chNumOut - m_data->extraOutCount();
    // A processor may report fewer channels than the device lists (a negative extra count): the configuration
    // still describes every channel the processor has, so only a change of the device's lists since the version
    // reply is refused.
    if (!inputsMatch || !outputsMatch) {
        m_loading->stop();
        emit signal_showDialog(AppState::pick(QStringLiteral("配置文件不合法，请刷新再重试"),
                                              QStringLiteral("The configuration file is illegal. Please refresh "
                                                             "and try again")),
                               false);
        return;
    }
    if (!config.isObject() || config[QLatin1String("nodeArr")].size() < 3)
        return;

    m_data->parseConfig(config, dspFirmwareText(m_data, m_devId));
    if (textSize < kLogLimit)
        m_data->printData();
    m_configured = true;
    emit signal_getConfigSucc(m_data);
    m_cpu->show();
    if (!ModelTable::instance().isVirtualMixer(m_model)) {
        m_program->setDspData(m_data);
        m_channel->setDspData(m_data);
        m_cpuTimer.start();
    }
    m_matrix->setDspData(m_data);
    m_status->clear();
    m_loading->stop();
}

void DevDspDialog::handleReply(const DspJsonValue& root, const QString& msg)
{
    if (m_data == nullptr || !root.isObject() || root.size() == 0)
        return;
    const QString tag = root[QLatin1String("uiTag")].toString();
    const QString ops = root[QLatin1String("ops")].toString();
    const bool ours =
        tag == kDspUiTag || tag == QLatin1String("superMatrixUiTag") || ops == QLatin1String("sendUdpToUart");
    if (!ours || root[QLatin1String("devId")].toString() != m_devId)
        return;
    markReply();

    if (ops == QLatin1String("getVersion")) {
        applyVersion(root);
    } else if (ops == QLatin1String("getCustomStr")) {
        m_data->info().customStr = root[QLatin1String("str")].toString();
    } else if (ops == QLatin1String("getCpuUsage")) {
        handleCpuReply(root);
    }
    m_matrix->recvBackData(msg);
    m_diagram->handleMessage(msg);
    m_program->recvBackData(msg);
    m_channel->recvBackData(msg);
}

void DevDspDialog::applyVersion(const DspJsonValue& reply)
{
    DspInfo& info = m_data->info();
    const auto field = [&reply](const char* key) { return reply[QLatin1String(key)].toString(); };
    info.model = field("model");
    info.dspVer = field("dspVer");
    info.version = field("version");
    info.chNumIn = qBound(0, field("chNumIn").toInt(), DspInfo::kMaxChannels);
    info.chNumOut = qBound(0, field("chNumOut").toInt(), DspInfo::kMaxChannels);
    info.memory = field("memory");
    info.funcList = field("funcList").split(QLatin1Char(','));
    QJsonObject config = request("getConfig");
    sendTcpRequest(DspEnvelope::udp(config));
    m_data->setExtraInCount(info.chNumIn - m_data->localInCount() - m_data->netInCount());
    m_data->setExtraOutCount(info.chNumOut - m_data->localOutCount() - m_data->netOutCount());
    retranslate();
}

void DevDspDialog::handleCpuReply(const DspJsonValue& reply)
{
    m_cpuMain = reply[QLatin1String("main")].toString().toInt();
    QStringList items;
    const DspJsonValue arr = reply[QLatin1String("arr")];
    for (DspJsonValue v = arr.first(); v.isValid(); v = v.next())
        items << v.toString();
    m_cpu->setText(QStringLiteral("CPU:") + items.join(QLatin1Char('-')) + QStringLiteral("(%)"));
    if (items.isEmpty())
        return;
    DspCpuFigures& figures = DspCpuFigures::instance();
    figures.update(items);
    const bool high = figures.average() >= 91;
    // Restyling is costly and this comes twice a second: only on a change of colour.
    if (m_cpu->property("cpuHigh") == QVariant(high))
        return;
    m_cpu->setProperty("cpuHigh", high);
    m_cpu->setStyleSheet(high ? QStringLiteral("color:#ff0000;") : QStringLiteral("color:#ffffff;"));
}
