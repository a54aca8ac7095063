#include "CtlArchiveSession.h"

#include "CtlArchiveDevices.h"
#include "CtlNetwork.h"
#include "CtlOptions.h"
#include "DevDetailStore.h"
#include "DevManager.h"

#include <QThread>

#include <csignal>
#include <memory>

namespace {

std::atomic_bool g_cancel{false};

void onSignal(int)
{
    g_cancel.store(true);
}

const int kMinListenMs = 1200;

bool tablesComplete(const QVector<OnlineDeviceFacts>& devices)
{
    for (const OnlineDeviceFacts& f : devices) {
        const QByteArray raw = f.devId.toUtf8();
        const DevRecord* rec = findDevById(raw.constData());
        if (rec == nullptr || !dvm_tablesComplete(rec))
            return false;
    }
    return true;
}

} // namespace

CtlArchiveSession::CtlArchiveSession(CtlNetwork& net, const CtlOptions& options) : m_net(net), m_options(options)
{
    g_cancel.store(false);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

CtlArchiveSession::~CtlArchiveSession()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

QVector<OnlineDeviceFacts> CtlArchiveSession::settle(const QStringList& names)
{
    const auto readOutsEnded = [this]() { return m_net.nameReadOutsEnded() >= m_net.listedDevices(); };
    if (names.isEmpty()) {
        // Every device is wanted: listen the whole discovery time, then let the read-outs finish.
        m_net.waitFor([]() { return g_cancel.load(); }, m_options.discoveryMs());
        m_net.waitFor(
            [&]() {
                return g_cancel.load() ||
                       (readOutsEnded() && tablesComplete(OnlineDeviceFacts::collect(m_net.store())));
            },
            m_options.timeoutMs);
        return OnlineDeviceFacts::collect(m_net.store());
    }
    const int minListen = qMin(kMinListenMs, m_options.discoveryMs());
    m_net.waitFor(
        [&]() {
            if (g_cancel.load())
                return true;
            if (m_net.elapsedMs() < minListen || !readOutsEnded())
                return false;
            const QVector<OnlineDeviceFacts> all = OnlineDeviceFacts::collect(m_net.store());
            QVector<OnlineDeviceFacts> chosen;
            QString error;
            return CtlArchiveDevices::allFound(all, names) && CtlArchiveDevices::select(all, names, &chosen, &error) &&
                   tablesComplete(chosen);
        },
        m_options.discoveryMs() + m_options.timeoutMs);
    return OnlineDeviceFacts::collect(m_net.store());
}

void CtlArchiveSession::runOnWorker(const std::function<void()>& work)
{
    std::unique_ptr<QThread> worker(QThread::create(work));
    worker->start();
    // The event loop turns meanwhile, so the registry and the detail store stay current.
    while (!m_net.waitFor([&]() { return worker->isFinished(); }, 60 * 60 * 1000)) {
    }
    worker->wait();
}

const std::atomic_bool* CtlArchiveSession::cancel() const
{
    return &g_cancel;
}
