#include "CtlNetwork.h"

#include "CommandTranslator.h"
#include "CtlOutput.h"
#include "DevDetailStore.h"
#include "DevManager.h"
#include "DeviceListing.h"
#include "DeviceSender.h"
#include "McastEntry.h"
#include "ModelTable.h"
#include "MyThread.h"
#include "RegistryNotifier.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QThread>
#include <QTimer>

CtlNetwork::CtlNetwork(bool firstRequests, QObject* parent)
    : QObject(parent), m_firstRequests(firstRequests), m_notifier(std::make_unique<RegistryNotifier>()),
      m_thread(std::make_unique<MyThread>())
{
    connectNetworkObserver(m_notifier.get(), m_thread.get(), this, this);
    connect(
        m_thread.get(), &MyThread::signal_showTips, this, [this](const QString& tip) { m_tips << tip; },
        Qt::QueuedConnection);
    connect(
        m_thread.get(), &MyThread::signal_update_chName, this, [this](int) { ++m_nameChainsEnded; },
        Qt::QueuedConnection);
}

CtlNetwork::~CtlNetwork()
{
    m_thread->stopAndWait();
}

bool CtlNetwork::start(uint32_t ip, int deviceLifeMs)
{
    if (deviceLifeMs > 0)
        dvm_setAnnounceLifeMs(deviceLifeMs);
    m_clock.start();
    m_thread->restartOn(ip);
    // run() reports a missing interface by ending at once with boundIp 0.
    while (m_thread->isRunning() && !m_thread->isReceiving())
        QThread::msleep(1);
    if (!m_thread->isReceiving()) {
        CtlOutput::error(QByteArray("meridane-ctl: cannot work on ") + dvm_ipToString(ip).toUtf8());
        return false;
    }
    return true;
}

bool CtlNetwork::waitFor(const std::function<bool()>& done, int ms)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&poll, &QTimer::timeout, &loop, [&]() {
        if (done())
            loop.quit();
    });
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(20);
    limit.start(qMax(0, ms));
    loop.exec();
    return done();
}

DevDetailStore& CtlNetwork::store()
{
    return DevDetailStore::instance();
}

bool CtlNetwork::send(const DeviceRequest& request)
{
    return DeviceSender::send(request);
}

bool CtlNetwork::sendToDevice(const QString& body, const QString& devId, uint32_t* ip, uint16_t* port, bool dryRun)
{
    const DevDetail_t detail = store().getDevDetail(devId);
    if (detail.isEmpty() || detail.port <= 0 || detail.port > 65535)
        return false;
    *ip = detail.ip;
    *port = static_cast<uint16_t>(detail.port);
    if (dryRun)
        return true;
    return DeviceSender::send(body.toUtf8(), *ip, *port);
}

void CtlNetwork::recvAddDev(const QString& devId)
{
    if (DeviceListing::add(store(), ModelTable::instance(), devId, m_firstRequests) == DeviceListing::Listed)
        ++m_listed;
}

void CtlNetwork::recvUpdateDev(const QString& devId)
{
    store().updateFromRegistry(devId);
}

void CtlNetwork::recvDelDev(const QString& devId)
{
    if (store().removeDevDetail(devId))
        --m_listed;
    store().rebuildModuleMaps();
}

void CtlNetwork::recvAddMcast(const QString& dstIp)
{
    const McastEntry entry = McastEntry::fromRegistry(dvm_parseIp(dstIp));
    if (!entry.isEmpty())
        store().insertMcast(entry);
}

void CtlNetwork::recvDelMcast(uint32_t dstIp)
{
    store().removeMcast(dstIp);
}

void CtlNetwork::recvMessage(const QString& msg)
{
    const QJsonDocument doc = QJsonDocument::fromJson(msg.toUtf8());
    if (doc.isObject())
        m_messages.append(doc.object());
}
