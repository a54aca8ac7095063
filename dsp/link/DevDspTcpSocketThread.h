#pragma once
#include "DspLinkFlow.h"
#include "DspTcpFramer.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

class QTcpSocket;

/// The TCP link to one device's processor. Lives in a thread of its own (no parent, moved there before the
/// thread starts); the dialog talks to it only through queued signals. The socket is created in that thread
/// by slot_runThread() and deleted with the link.
///
/// Wiring expected by the link: thread started() -> slot_runThread(), thread finished() -> slot_quitSocket().
///
/// Back-pressure: every message emitted counts as pending in flow() until the receiver calls flow()->handled().
/// At flow()->bound() pending messages the link stops reading; the socket's buffer is bounded, so the device is
/// held back by TCP itself. Nothing is dropped: reading resumes once the receiver has drained to the resume mark.
/// A frame over its cap (see DspTcpFramer) closes the connection with signal_linkError().
class DevDspTcpSocketThread : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 kDspPort = 8999;

    explicit DevDspTcpSocketThread(QObject* parent = nullptr);
    ~DevDspTcpSocketThread() override;

    /// Address (host order, first octet most significant) and port; call before the thread starts. The product
    /// always uses kDspPort; only tests pass another port. Also takes the language of the status text.
    void setHost(uint32_t ip, quint16 port = kDspPort);

    /// Bytes taken from the socket at a time, and the most the socket holds unread.
    static constexpr int kReadChunk = 16 * 1024;
    static constexpr int kSocketBuffer = 64 * 1024;

    /// The pending count shared with the receiver; replace it (before the thread starts) to change the bound.
    std::shared_ptr<DspLinkFlow> flow() const { return m_flow; }
    void setFlow(std::shared_ptr<DspLinkFlow> flow);
    /// True while reading waits for the receiver (link thread only; tests read it after the thread has ended).
    bool isPaused() const { return m_paused; }

signals:
    /// One whole received message.
    void signal_recvMsg(QString msg);
    /// "Connecting" (false) when an attempt starts, the same text with true once connected.
    void signal_connected(QString text = QString(), bool isSucc = false);
    void signal_disconnected();
    /// Emitted only for the unconnected state (0): a failed attempt or a lost connection.
    void signal_stateChanged(int state);
    /// The device broke the framing (a frame over its cap); the connection is closed.
    void signal_linkError(QString text);

public slots:
    /// Deletes the link later; run on the thread's finished().
    void slot_quitSocket();
    /// Creates the socket if there is none and connects.
    void slot_runThread();
    /// Frames and writes `msg`; dropped when not connected. Sleeps 20 ms after the write to space messages.
    void slot_sendMsg(QString msg);
    void slot_readyData();
    void slot_stateChanged(QAbstractSocket::SocketState state);
    /// Aborts the current socket without reporting it, then connects to `ip` on the same port.
    void reconnection(uint32_t ip);

private:
    void connectToDevice();
    /// Delivers queued messages and reads more while the receiver keeps up; pauses otherwise.
    void pump();
    void pause();
    void resumeIfDrained();

    uint32_t m_ip = 0;
    quint16 m_port = kDspPort;
    QString m_connectingText;
    DspTcpFramer m_framer;
    QTcpSocket* m_socket = nullptr;
    std::shared_ptr<DspLinkFlow> m_flow;
    /// Messages framed but not yet emitted: at most what one read chunk holds.
    QList<QByteArray> m_ready;
    bool m_paused = false;
};
