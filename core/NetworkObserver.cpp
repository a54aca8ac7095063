#include "NetworkObserver.h"

#include "MyThread.h"
#include "RegistryNotifier.h"

void connectNetworkObserver(RegistryNotifier* notifier, MyThread* thread, NetworkObserver* observer, QObject* context)
{
    NetworkObserver* o = observer;
    const auto queued = Qt::QueuedConnection;
    QObject::connect(
        notifier, &RegistryNotifier::signal_send_addDev, context, [o](const QString& id) { o->recvAddDev(id); },
        queued);
    QObject::connect(
        notifier, &RegistryNotifier::signal_send_updateDev, context, [o](const QString& id) { o->recvUpdateDev(id); },
        queued);
    QObject::connect(
        notifier, &RegistryNotifier::signal_send_delDev, context, [o](const QString& id) { o->recvDelDev(id); },
        queued);
    QObject::connect(
        notifier, &RegistryNotifier::signal_send_addMcast, context, [o](const QString& ip) { o->recvAddMcast(ip); },
        queued);
    QObject::connect(
        notifier, &RegistryNotifier::signal_send_delMcast, context, [o](uint32_t ip) { o->recvDelMcast(ip); }, queued);
    QObject::connect(
        notifier, &RegistryNotifier::signal_refresh_route, context, [o]() { o->recvRefreshRoute(); }, queued);
    QObject::connect(
        notifier, &RegistryNotifier::sendBackDataSignal, context, [o](const QString& msg) { o->recvBackData(msg); },
        queued);
    QObject::connect(
        thread, &MyThread::signal_recv_message, context, [o](const QString& msg) { o->recvMessage(msg); }, queued);
    QObject::connect(
        thread, &MyThread::signal_blinkingDev, context, [o](const QString& id) { o->recvBlinkingDev(id); }, queued);
    QObject::connect(
        thread, &MyThread::signal_unBlinkingDev, context, [o](const QString& id) { o->recvUnBlinkingDev(id); }, queued);
    QObject::connect(
        thread, &MyThread::signal_refreshUi, context, [o]() { o->recvRefreshUi(); }, queued);
    QObject::connect(
        thread, &MyThread::signal_refreshDevInfoUi, context, [o]() { o->recvRefreshDevInfoUi(); }, queued);
    QObject::connect(
        thread, &MyThread::signal_syncCanWork, context, [o]() { o->recvSyncCanWork(); }, queued);
}
