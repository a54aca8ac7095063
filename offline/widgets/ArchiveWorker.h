#pragma once
#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

/// One background task of an archive window at a time: a thread running a function, a cancel flag the function
/// looks at, and a way to hand results back to the window's thread. The window's destructor cancels and waits,
/// so a closed window never receives a late result.
class ArchiveWorker : public QObject
{
    Q_OBJECT
public:
    explicit ArchiveWorker(QObject* parent = nullptr);
    ~ArchiveWorker() override;

    /// Starts `task` on a new thread with a fresh cancel flag; false (nothing started) while a task still runs.
    bool start(std::function<void(const std::atomic_bool& cancel)> task);
    bool isRunning() const;
    /// Asks the task to stop at its next look at the flag.
    void cancel();
    /// Waits for the task to end (a no-op when none runs).
    void wait();

    /// Runs `fn` on the thread of `receiver` (queued); dropped when the receiver is gone by then.
    static void post(QObject* receiver, std::function<void()> fn);

signals:
    void finished();

private:
    QThread* m_thread = nullptr;
    std::shared_ptr<std::atomic_bool> m_cancel;
};
