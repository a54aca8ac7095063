#pragma once
#include <QString>
#include <QtGlobal>
#include <cstdint>

class MyThread;
class QObject;
class RegistryNotifier;

/// What a front end (the main window, the headless controller) hears of the network: the
/// registry's notifications and the network thread's messages. Every call arrives in the
/// thread of the context object given to connectNetworkObserver().
class NetworkObserver
{
public:
    virtual ~NetworkObserver() = default;

    virtual void recvAddDev(const QString& devId) = 0;
    virtual void recvUpdateDev(const QString& devId) = 0;
    virtual void recvDelDev(const QString& devId) = 0;
    virtual void recvAddMcast(const QString& dstIp) = 0;
    virtual void recvDelMcast(uint32_t dstIp) = 0;
    virtual void recvRefreshRoute() = 0;
    /// Texts passed on to the views ("refreshRoute", forwarded "clockEvent" messages).
    virtual void recvBackData(const QString& msg) = 0;
    /// A message of the network thread (a forwarded "clockEvent", later command replies).
    virtual void recvMessage(const QString& msg) = 0;
    virtual void recvBlinkingDev(const QString& devId) { Q_UNUSED(devId); }
    virtual void recvUnBlinkingDev(const QString& devId) { Q_UNUSED(devId); }
    virtual void recvRefreshUi() {}
    virtual void recvRefreshDevInfoUi() {}
    virtual void recvSyncCanWork() {}
};

/// Connects every signal of the notifier and the thread to the observer, queued into the
/// thread of `context`. The connections end when `context` is destroyed.
void connectNetworkObserver(RegistryNotifier* notifier, MyThread* thread, NetworkObserver* observer, QObject* context);
