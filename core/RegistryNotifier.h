#pragma once
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <cstdint>

/// The one adapter between the registry's C-style callback and Qt: registers itself as the
/// registry's notification receiver for its lifetime and re-emits each change as a typed
/// signal. Signals are emitted on the network thread; connect receivers in other threads
/// queued (the default for receivers living elsewhere).
class RegistryNotifier : public QObject
{
    Q_OBJECT
public:
    explicit RegistryNotifier(QObject* parent = nullptr);
    ~RegistryNotifier() override;

    /// Emits the signal that the notification's "ops" names; other "ops" are ignored.
    void dispatch(const QJsonObject& msg);

signals:
    void signal_send_addDev(QString devId);
    void signal_send_updateDev(QString devId);
    void signal_send_delDev(QString devId);
    void signal_send_addMcast(QString ipAddr);
    void signal_send_delMcast(uint32_t dstIp);
    void signal_refresh_route();
    void sendBackDataSignal(QString msg);
};
