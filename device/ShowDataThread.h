#pragma once
#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>
#include <cstdint>

/// The level poller of the levels page. While running it asks the device for the first page of every
/// side's levels each 250 ms: as command messages on `sendRequest` (the page relays them), or, for
/// batch-meter models, as finished requests straight to port 8999. Later pages are the page's business.
///
/// Threads: the setters, `startThread` and `stopThread` belong to the owner's thread; `run` only reads a
/// copy of the target taken under the mutex. `stopThread` wakes the worker and waits for it, which takes
/// at most one round of sending.
class ShowDataThread : public QThread
{
    Q_OBJECT
public:
    /// What to poll.
    struct Target
    {
        QString devId;
        bool batch = false; ///< batch meters on port 8999 instead of per-side command messages
        uint32_t ip = 0;    ///< host order; batch requests only
        int phyIn = 0;
        int phyOut = 0;
        int netIn = 0;
        int netOut = 0;
    };

    static constexpr int kIntervalMs = 250;
    static constexpr uint16_t kBatchPort = 8999;

    explicit ShowDataThread(QObject* parent = nullptr);
    ~ShowDataThread() override;

    void setTarget(const Target& target);
    Target target() const;

    /// The requests of one round, in sending order (command messages, or batch device requests).
    static QStringList roundRequests(const Target& target);

public slots:
    void startThread();
    void stopThread();

signals:
    void sendRequest(QString msg);

protected:
    void run() override;

private:
    mutable QMutex m_mutex;
    QWaitCondition m_wake;
    Target m_target;
    bool m_stop = false;
};
