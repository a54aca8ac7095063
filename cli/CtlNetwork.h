#pragma once
#include "NetworkObserver.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>

class DevDetailStore;
class MyThread;
class RegistryNotifier;
struct DeviceRequest;

/// The control commands' view of the network: the network thread on the chosen address, the detail store kept
/// as the main window keeps it, and every message the reply dispatcher hands to the windows, in arrival order.
/// Commands run linearly and wait through waitFor(), which keeps the event loop turning.
class CtlNetwork : public QObject, public NetworkObserver
{
    Q_OBJECT
public:
    /// With `firstRequests`, each newly listed device is asked what the main window asks (names, version,
    /// locks); `send` leaves it out so that a device hears only the message it is sent.
    explicit CtlNetwork(bool firstRequests, QObject* parent = nullptr);
    ~CtlNetwork() override;

    /// Starts the network thread on `ip`; false (with a line on standard error) when it cannot work there.
    bool start(uint32_t ip, int deviceLifeMs);
    /// Runs the event loop until `done` holds (checked every 20 ms) or `ms` pass. Returns `done()`.
    bool waitFor(const std::function<bool()>& done, int ms);
    /// Milliseconds since start().
    qint64 elapsedMs() const { return m_clock.elapsed(); }

    DevDetailStore& store();
    /// Listed devices whose channel-name read-out ended, counted as the dispatcher reports the ends.
    int nameReadOutsEnded() const { return m_nameChainsEnded; }
    int listedDevices() const { return m_listed; }

    /// Messages the dispatcher emitted for the windows, oldest first.
    const QVector<QJsonObject>& messages() const { return m_messages; }
    /// Tips the dispatcher showed (route refusals), oldest first.
    const QStringList& tips() const { return m_tips; }

    /// Sends a translated request; false when the network thread did not take it.
    bool send(const DeviceRequest& request);
    /// Sends `body` unchanged to the command port of a listed device, as the main window relays a view's
    /// request; `ip` and `port` tell where. False when the device is not listed or its port is unusable.
    bool sendToDevice(const QString& body, const QString& devId, uint32_t* ip, uint16_t* port, bool dryRun);

    void recvAddDev(const QString& devId) override;
    void recvUpdateDev(const QString& devId) override;
    void recvDelDev(const QString& devId) override;
    void recvAddMcast(const QString& dstIp) override;
    void recvDelMcast(uint32_t dstIp) override;
    void recvRefreshRoute() override {}
    void recvBackData(const QString& msg) override { Q_UNUSED(msg); }
    void recvMessage(const QString& msg) override;

private:
    bool m_firstRequests;
    std::unique_ptr<RegistryNotifier> m_notifier;
    std::unique_ptr<MyThread> m_thread;
    QElapsedTimer m_clock;
    QVector<QJsonObject> m_messages;
    QStringList m_tips;
    int m_nameChainsEnded = 0;
    int m_listed = 0;
};
