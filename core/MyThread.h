#pragma once
#include "McastEventQueue.h"
#include "PeriodicTicker.h"
#include "ReplyDispatcher.h"

#include <QMutex>
#include <QThread>
#include <atomic>
#include <cstdint>

class QUdpSocket;

/// The network thread: owns the device multicast, SAP and unicast sockets on the interface
/// that carries `localIp`, hands every datagram to the registry and then to its own handlers,
/// and runs the 20 ms housekeeping step.
///
/// One instance serves the process; it registers itself as the registry's sender, so
/// libCallUser_sendUdp() reaches sendThreadSafe().
class MyThread : public QThread
{
    Q_OBJECT
public:
    static constexpr uint16_t kDevMcastPort = 9996;
    static constexpr uint16_t kSapPort = 9875;
    static constexpr int kBufferSize = 1500; ///< datagrams of this size or more are dropped

    /// Replies update `store` (the process-wide detail store by default).
    explicit MyThread(QObject* parent = nullptr);
    MyThread(DevDetailStore& store, QObject* parent = nullptr);
    ~MyThread() override;

    /// The address to work on (host order); read by run() when the thread starts.
    void setLocalIp(uint32_t ip) { m_localIp.store(ip); }
    uint32_t localIp() const { return m_localIp.load(); }
    /// `localIp` once its interface was found, 0 when no interface carries it.
    uint32_t boundIp() const { return m_boundIp.load(); }
    /// True while run() is inside its receive loop.
    bool isReceiving() const;

    /// Asks the loop to end; follow with quit() and wait().
    void requestStop() { m_stopRequested.store(true); }
    /// Stops the thread if it runs and waits for it without time limit.
    void stopAndWait();
    /// Expires the registry, then (re)starts the thread on `ip`. 0 leaves it stopped.
    void restartOn(uint32_t ip);

    /// Sends one datagram from the unicast socket. Callable from any thread; each call is one
    /// whole datagram, and one thread's calls leave in order. -1 when the thread isn't receiving.
    int sendThreadSafe(const char* data, int length, uint32_t ip, uint16_t port);

    PeriodicTicker& ticker() { return m_ticker; }
    /// Clock events waiting for the next hand-over to the windows, with their drop counts.
    const McastEventQueue& pendingEvents() const { return m_events; }

    /// The user-interface side of a device multicast datagram (after the registry).
    void handleUdpMcast(const char* data, int length, uint32_t srcIp, uint16_t srcPort);
    /// The user-interface side of a SAP datagram: feeds the SAP monitor while it is shown.
    void handleUdpSap(const char* data, int length, uint32_t srcIp, uint16_t srcPort);
    /// The user-interface side of a reply: attribution, detail updates, name read-out, fan-out.
    void handleUdpUnicast(const char* data, int length, uint32_t srcIp, uint16_t srcPort);
    /// The 20 ms housekeeping step.
    void periodicTick();

    /// Shows or hides the SAP monitor's feed (the overlay toggled with Ctrl+0).
    void setSapMonitorShown(bool shown) { m_sapMonitorShown.store(shown); }

signals:
    void signal_recv_message(QString msg);
    void signal_blinkingDev(QString devId);
    void signal_unBlinkingDev(QString devId);
    void signal_refreshUi();
    void signal_refreshDevInfoUi();
    void signal_syncCanWork();
    /// One SAP announcement's printable text for the SAP monitor.
    void signal_sapText(QString text);
    void signal_refreshDevAndChName(QString msg);
    void signal_update_chName(int rxTx);
    void signal_showTips(QString tips);
    void signal_refresh_route();

protected:
    void run() override;

private:
    bool receiveOne(QUdpSocket* socket, int kind);

    std::atomic<bool> m_stopRequested{false};
    std::atomic<uint32_t> m_localIp{0};
    std::atomic<uint32_t> m_boundIp{0};
    std::atomic<bool> m_sapMonitorShown{false};
    mutable QMutex m_socketLock; // every use of the three sockets, from either thread
    QUdpSocket* unicastSocket = nullptr;
    PeriodicTicker m_ticker;
    McastEventQueue m_events;
    ReplyDispatcher m_dispatcher;
    char m_buffer[kBufferSize + 1];
};
