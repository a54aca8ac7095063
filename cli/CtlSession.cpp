#include "CtlSession.h"

#include "CtlOutput.h"
#include "DevManager.h"
#include "MyThread.h"
#include "RegistryJson.h"
#include "RegistryNotifier.h"
#include "WatchPrinter.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

CtlSession::CtlSession(const CtlOptions& options, QObject* parent) : QObject(parent), m_options(options)
{
    m_notifier = std::make_unique<RegistryNotifier>();
    m_thread = std::make_unique<MyThread>();
}

CtlSession::~CtlSession()
{
    m_thread->stopAndWait();
}

bool CtlSession::start()
{
    if (m_options.deviceLifeMs > 0)
        dvm_setAnnounceLifeMs(m_options.deviceLifeMs);
    if (m_options.command == CtlOptions::Watch) {
        m_printer = std::make_unique<WatchPrinter>();
        connectNetworkObserver(m_notifier.get(), m_thread.get(), m_printer.get(), this);
    }
    m_thread->restartOn(m_options.ip);
    // run() reports a missing interface by ending at once with boundIp 0.
    while (m_thread->isRunning() && !m_thread->isReceiving())
        QThread::msleep(1);
    if (!m_thread->isReceiving()) {
        CtlOutput::error(QByteArray("meridane-ctl: cannot work on ") + dvm_ipToString(m_options.ip).toUtf8());
        return false;
    }
    const int seconds = m_options.seconds >= 0 ? m_options.seconds : (m_options.command == CtlOptions::Watch ? -1 : 3);
    if (seconds >= 0)
        QTimer::singleShot(seconds * 1000, this, &CtlSession::finish);
    return true;
}

void CtlSession::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_thread->stopAndWait();
    if (m_options.command != CtlOptions::Watch)
        CtlOutput::write(listing(m_options.command));
    QCoreApplication::exit(0);
}

QByteArray CtlSession::listing(CtlOptions::Command command)
{
    QJsonArray out;
    if (command == CtlOptions::Devices) {
        for (const DevRecord* rec : getAllDevs())
            out.append(RegistryJson::device(rec));
    } else {
        for (const McastRecord* rec : getAllMcasts()) {
            McastRecord copy;
            if (dvm_copyMcast(rec, &copy))
                out.append(RegistryJson::mcast(copy));
        }
    }
    return QJsonDocument(out).toJson(QJsonDocument::Indented);
}
