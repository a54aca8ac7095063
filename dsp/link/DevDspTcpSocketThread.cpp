#include "DevDspTcpSocketThread.h"

#include "AppState.h"
#include "DspLinkLog.h"
#include "LogRedaction.h"

#include <QDateTime>
#include <QHostAddress>
#include <QMetaType>
#include <QTcpSocket>
#include <QThread>

namespace {

constexpr int kLoggedTextLimit = 20000;

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz"));
}

} // namespace

DevDspTcpSocketThread::DevDspTcpSocketThread(QObject* parent) : QObject(parent)
{
    // The dialog reaches reconnection(uint32_t) through a queued connection.
    qRegisterMetaType<uint32_t>("uint32_t");
    setHost(0, kDspPort);
    setFlow(std::make_shared<DspLinkFlow>());
}

DevDspTcpSocketThread::~DevDspTcpSocketThread()
{
    m_flow->setWake(nullptr); // the receiver may keep the flow longer than the link lives
    if (m_socket == nullptr) {
        return;
    }
    if (m_socket->isOpen()) {
        qCDebug(lcDspLink) << "tcpSocket is open";
        m_socket->blockSignals(true);
        m_socket->abort();
    } else {
        qCDebug(lcDspLink) << "tcpSocket is close";
    }
    qCDebug(lcDspLink) << "tcpSocket state" << m_socket->state();
    delete m_socket;
    m_socket = nullptr;
    qCDebug(lcDspLink) << "~~~delete tcpSocket";
}

void DevDspTcpSocketThread::setHost(uint32_t ip, quint16 port)
{
    m_ip = ip;
    m_port = port;
    // Read here, in the user-interface thread that owns the language flag, not later in the link thread.
    m_connectingText = AppState::pick(QStringLiteral("连接中"), QStringLiteral("Connecting"));
}

void DevDspTcpSocketThread::setFlow(std::shared_ptr<DspLinkFlow> flow)
{
    if (m_flow)
        m_flow->setWake(nullptr);
    m_flow = std::move(flow);
    // From the receiver's thread: a queued call, so reading resumes in the link's own thread.
    m_flow->setWake(
        [this] { QMetaObject::invokeMethod(this, &DevDspTcpSocketThread::resumeIfDrained, Qt::QueuedConnection); });
}

void DevDspTcpSocketThread::slot_quitSocket()
{
    deleteLater();
}

void DevDspTcpSocketThread::slot_runThread()
{
    if (m_socket == nullptr) {
        m_socket = new QTcpSocket(this);
        // Bounded: while the link pauses, the rest waits in the kernel and TCP holds the device back.
        m_socket->setReadBufferSize(kSocketBuffer);
        connect(m_socket, &QTcpSocket::connected, this, [this]() {
            qCDebug(lcDspLink) << "tcp connected to" << QHostAddress(m_ip).toString() << m_port;
            emit signal_connected(m_connectingText, true);
        });
        connect(m_socket, &QTcpSocket::disconnected, this, &DevDspTcpSocketThread::signal_disconnected);
        connect(m_socket, &QTcpSocket::stateChanged, this, &DevDspTcpSocketThread::slot_stateChanged);
        connect(m_socket, &QTcpSocket::readyRead, this, &DevDspTcpSocketThread::slot_readyData);
    }
    emit signal_connected(m_connectingText, false);
    connectToDevice();
}

void DevDspTcpSocketThread::slot_sendMsg(QString msg)
{
    if (m_socket == nullptr || m_socket->state() != QAbstractSocket::ConnectedState) {
        qCWarning(lcDspLink) << "tcpThread: tcp not ready";
        return;
    }
    const QByteArray payload = msg.toUtf8();
    m_framer.expectReplyTo(payload);
    m_socket->write(DspTcpFramer::frame(payload));
    m_socket->flush();
    // The processor takes consecutive messages only when they arrive at least 20 ms apart.
    QThread::msleep(20);
    if (msg.size() > kLoggedTextLimit) {
        qCDebug(lcDspLink).noquote() << now() << " tcp send: " << payload.size();
    } else {
        // The processor's lock requests carry the password.
        qCDebug(lcDspLink).noquote() << now() << " tcp send: " << payload.size()
                                     << QString::fromUtf8(LogRedaction::redacted(payload));
    }
}

void DevDspTcpSocketThread::slot_readyData()
{
    if (m_socket == nullptr || m_paused) {
        return;
    }
    pump();
}

void DevDspTcpSocketThread::pump()
{
    for (;;) {
        while (!m_ready.isEmpty() && m_flow->mayDeliver()) {
            const QByteArray message = m_ready.takeFirst();
            m_flow->handedOver();
            emit signal_recvMsg(QString::fromUtf8(message));
            qCDebug(lcDspLink).noquote() << "tcp ready all len " << message.size() << now();
        }
        if (!m_flow->mayDeliver()) {
            pause();
            return;
        }
        if (m_socket == nullptr || m_socket->bytesAvailable() <= 0) {
            break;
        }
        m_ready += m_framer.feed(m_socket->read(kReadChunk));
        for (const QString& error : m_framer.errors()) {
            qCWarning(lcDspLink).noquote() << error;
        }
        if (m_framer.isBroken()) {
            // Out of step with the stream: only a new connection brings the next header back. The messages
            // before the bad header are still delivered.
            const QString text = QStringLiteral("tcp frame over its limit from %1, closing the connection")
                                     .arg(QHostAddress(m_ip).toString());
            qCWarning(lcDspLink).noquote() << text;
            m_socket->abort();
            emit signal_linkError(text);
        }
    }
    if (m_paused) {
        m_paused = false;
        qCDebug(lcDspLink) << "tcp reading resumed";
    }
}

void DevDspTcpSocketThread::pause()
{
    if (!m_paused) {
        m_paused = true;
        qCDebug(lcDspLink) << "tcp reading paused:" << m_flow->pending() << "messages not yet handled";
    }
    // Armed on every stop, also when a resume found the receiver behind again.
    if (m_flow->pause()) {
        QMetaObject::invokeMethod(this, &DevDspTcpSocketThread::resumeIfDrained, Qt::QueuedConnection);
    }
}

void DevDspTcpSocketThread::resumeIfDrained()
{
    if (m_paused && m_socket != nullptr) {
        pump();
    }
}

void DevDspTcpSocketThread::slot_stateChanged(QAbstractSocket::SocketState state)
{
    if (state == QAbstractSocket::UnconnectedState) {
        emit signal_stateChanged(0);
    }
}

void DevDspTcpSocketThread::reconnection(uint32_t ip)
{
    m_ip = ip;
    if (m_socket == nullptr) {
        slot_runThread();
        return;
    }
    // The dialog asked for this attempt: the abort's unconnected state must not start another count-down.
    blockSignals(true);
    m_socket->abort();
    blockSignals(false);
    connectToDevice();
}

void DevDspTcpSocketThread::connectToDevice()
{
    m_framer.reset();
    m_socket->connectToHost(QHostAddress(m_ip).toString(), m_port, QIODevice::ReadWrite,
                            QAbstractSocket::AnyIPProtocol);
}
