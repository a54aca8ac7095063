#pragma once
#include "OnlineDeviceFacts.h"

#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>

class CtlNetwork;
struct CtlOptions;

/// What `export` and `load` share around the library: the wait for the online devices with their names and
/// tables, a worker thread for the blocking requests while the event loop keeps the registry current, and
/// Ctrl-C as a cancel that takes effect between requests.
class CtlArchiveSession
{
public:
    CtlArchiveSession(CtlNetwork& net, const CtlOptions& options);
    ~CtlArchiveSession();

    /// Waits until the devices `names` name are listed (all listed devices when empty) and their channel names
    /// and route tables are read, then copies their facts. Bounded by the discovery time and the time limit.
    QVector<OnlineDeviceFacts> settle(const QStringList& names);

    /// Runs `work` on a worker thread; returns when it ends.
    void runOnWorker(const std::function<void()>& work);

    /// Set by SIGINT or SIGTERM while the session lives.
    const std::atomic_bool* cancel() const;

private:
    CtlNetwork& m_net;
    const CtlOptions& m_options;
};
