#include "ArchiveWorker.h"

#include <QThread>

ArchiveWorker::ArchiveWorker(QObject* parent) : QObject(parent) {}

ArchiveWorker::~ArchiveWorker()
{
    cancel();
    wait();
    delete m_thread;
}

bool ArchiveWorker::start(std::function<void(const std::atomic_bool& cancel)> task)
{
    if (isRunning())
        return false;
    delete m_thread;
    m_cancel = std::make_shared<std::atomic_bool>(false);
    std::shared_ptr<std::atomic_bool> flag = m_cancel;
    m_thread = QThread::create([task = std::move(task), flag] { task(*flag); });
    connect(m_thread, &QThread::finished, this, &ArchiveWorker::finished);
    m_thread->start();
    return true;
}

bool ArchiveWorker::isRunning() const
{
    return m_thread != nullptr && m_thread->isRunning();
}

void ArchiveWorker::cancel()
{
    if (m_cancel)
        m_cancel->store(true);
}

void ArchiveWorker::wait()
{
    if (m_thread != nullptr)
        m_thread->wait();
}

void ArchiveWorker::post(QObject* receiver, std::function<void()> fn)
{
    QPointer<QObject> guard(receiver);
    QMetaObject::invokeMethod(
        receiver,
        [guard, fn = std::move(fn)] {
            if (guard)
                fn();
        },
        Qt::QueuedConnection);
}
