#include "MyThread.h"

#include "CoreLog.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "HousekeepingPacer.h"
#include "McastForwarder.h"

#include <QElapsedTimer>
#include <QNetworkInterface>
#include <QUdpSocket>
#include <memory>

namespace {

enum SocketKind
{
    DevMcastSocket,
    SapSocket,
    UnicastSocket
};

int sendHook(void* ctx, const char* data, int length, uint32_t ip, uint16_t port)
{
    return static_cast<MyThread*>(ctx)->sendThreadSafe(data, length, ip, port);
}

/// The interface whose address entries carry `ip`; invalid when none does.
QNetworkInterface interfaceCarrying(uint32_t ip)
{
    const QHostAddress wanted(ip);
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry& entry : iface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && entry.ip() == wanted)
                return iface;
        }
    }
    return QNetworkInterface();
}

void bindListener(QUdpSocket* socket, uint16_t port, const QNetworkInterface& iface,
                  std::initializer_list<const char*> groups)
{
    if (!socket->bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        MERIDANE_NET_LOG("mainwindow", "MyThread::run");
        return;
    }
    for (const char* group : groups) {
        if (!socket->joinMulticastGroup(QHostAddress(QString::fromLatin1(group)), iface))
            MERIDANE_NET_LOG("mainwindow", "MyThread::run");
    }
}

} // namespace

MyThread::MyThread(QObject* parent) : MyThread(DevDetailStore::instance(), parent) {}

MyThread::MyThread(DevDetailStore& store, QObject* parent)
    : QThread(parent),
      m_dispatcher(store, ReplyDispatcher::Sink{[this](const QString& m) { emit signal_recv_message(m); },
                                                [this](const QString& m) { emit signal_refreshDevAndChName(m); },
                                                [this](int rxTx) { emit signal_update_chName(rxTx); },
                                                [this](const QString& t) { emit signal_showTips(t); },
                                                [this]() { emit signal_refresh_route(); },
                                                [this](const QString& devId) { m_ticker.startReboot(devId); }})
{
    dvm_setSendHook(&sendHook, this);
}

MyThread::~MyThread()
{
    stopAndWait();
    dvm_setSendHook(nullptr, nullptr);
}

bool MyThread::isReceiving() const
{
    QMutexLocker locker(&m_socketLock);
    return unicastSocket != nullptr && !m_stopRequested.load();
}

void MyThread::stopAndWait()
{
    if (isRunning()) {
        requestStop();
        quit();
        wait();
    }
}

void MyThread::restartOn(uint32_t ip)
{
    expireAll();
    if (ip == 0)
        return;
    setLocalIp(ip);
    stopAndWait();
    if (!isRunning()) {
        m_stopRequested.store(false);
        start(QThread::InheritPriority);
    }
}

int MyThread::sendThreadSafe(const char* data, int length, uint32_t ip, uint16_t port)
{
    QMutexLocker locker(&m_socketLock);
    if (m_stopRequested.load() || unicastSocket == nullptr || data == nullptr || length < 0)
        return -1;
    return static_cast<int>(unicastSocket->writeDatagram(data, length, QHostAddress(ip), port));
}

bool MyThread::receiveOne(QUdpSocket* socket, int kind)
{
    QHostAddress sender;
    quint16 senderPort = 0;
    qint64 length = -1;
    {
        QMutexLocker locker(&m_socketLock);
        if (!socket->hasPendingDatagrams())
            return false;
        length = socket->readDatagram(m_buffer, kBufferSize, &sender, &senderPort);
    }
    // A read that fills the whole buffer may have been cut: such datagrams are dropped.
    if (length < 0 || length >= kBufferSize)
        return true;
    m_buffer[length] = '\0';
    const int len = static_cast<int>(length);
    const uint32_t srcIp = sender.toIPv4Address();
    switch (kind) {
    case DevMcastSocket:
        userCallLib_handleUdp_mcast(m_buffer, len, srcIp, senderPort);
        handleUdpMcast(m_buffer, len, srcIp, senderPort);
        break;
    case SapSocket:
        userCallLib_handleUdp_sap(m_buffer, len, srcIp, senderPort);
        handleUdpSap(m_buffer, len, srcIp, senderPort);
        break;
    default:
        // Table pages are the registry's alone: forwarding thousands of them to the windows
        // would only cost the user-interface thread.
        if (userCallLib_handleUdp_ucast(m_buffer, len, srcIp, senderPort) != 1)
            handleUdpUnicast(m_buffer, len, srcIp, senderPort);
        break;
    }
    return true;
}

void MyThread::run()
{
    const uint32_t ip = m_localIp.load();
    const QNetworkInterface iface = interfaceCarrying(ip);
    if (!iface.isValid()) {
        m_boundIp.store(0);
        m_stopRequested.store(true);
        return;
    }
    m_boundIp.store(ip);

    auto mcastSocket = std::make_unique<QUdpSocket>();
    auto sapSocket = std::make_unique<QUdpSocket>();
    auto ucastSocket = std::make_unique<QUdpSocket>();
    bindListener(mcastSocket.get(), kDevMcastPort, iface, {"239.0.0.188", "239.0.0.189"});
    bindListener(sapSocket.get(), kSapPort, iface, {"239.255.255.255"});
    if (!ucastSocket->bind(QHostAddress(ip), 0))
        MERIDANE_NET_LOG("mainwindow", "MyThread::run");
    {
        QMutexLocker locker(&m_socketLock);
        unicastSocket = ucastSocket.get();
    }

    QElapsedTimer clock;
    clock.start();
    HousekeepingPacer pacer;
    pacer.start(clock.elapsed());
    while (!m_stopRequested.load()) {
        bool received = receiveOne(mcastSocket.get(), DevMcastSocket);
        received |= receiveOne(sapSocket.get(), SapSocket);
        received |= receiveOne(ucastSocket.get(), UnicastSocket);
        if (!received)
            QThread::msleep(5);
        // Checked in every pass, so continuous traffic cannot starve ageing and synchronisation.
        if (pacer.due(clock.elapsed())) {
            periodicTick();
            userCallLib_timer(20);
        }
    }

    QMutexLocker locker(&m_socketLock);
    mcastSocket->close();
    sapSocket->close();
    ucastSocket->close();
    unicastSocket = nullptr;
    m_stopRequested.store(true);
}

void MyThread::handleUdpMcast(const char* data, int length, uint32_t srcIp, uint16_t srcPort)
{
    Q_UNUSED(srcPort);
    const McastForward fwd = forwardMcastDatagram(data, length, srcIp);
    // Both kinds come unasked from any host: clock events wait for the next hand-over (newest per kind and
    // sender), and the windows hear of a blink only when it starts, never once per repeated request.
    if (fwd.kind == McastForward::ClockEvent) {
        m_events.push(srcIp, fwd.event, fwd.text);
    } else if (fwd.kind == McastForward::Blink) {
        if (m_ticker.startBlink(fwd.text) == PeriodicTicker::BlinkStarted)
            emit signal_blinkingDev(fwd.text);
    }
}

void MyThread::handleUdpSap(const char* data, int length, uint32_t srcIp, uint16_t srcPort)
{
    Q_UNUSED(srcIp);
    Q_UNUSED(srcPort);
    if (!m_sapMonitorShown.load())
        return;
    // The SAP header and payload type are separated by NULs: show them as "-".
    QByteArray text(data, qMin(length, 1023));
    text.replace('\0', '-');
    if (text.contains("application/sdp"))
        emit signal_sapText(QString::fromUtf8(text));
}

void MyThread::handleUdpUnicast(const char* data, int length, uint32_t srcIp, uint16_t srcPort)
{
    m_dispatcher.dispatch(data, length, srcIp, srcPort);
}

void MyThread::periodicTick()
{
    const TickResult result = m_ticker.tick();
    if (result.refreshUi)
        emit signal_refreshUi();
    if (result.refreshDevInfoUi)
        emit signal_refreshDevInfoUi();
    if (result.syncCanWork)
        emit signal_syncCanWork();
    for (const QString& devId : result.unblinked)
        emit signal_unBlinkingDev(devId);
    if (result.forwardEvents)
        for (const QString& event : m_events.take())
            emit signal_recv_message(event);
}
