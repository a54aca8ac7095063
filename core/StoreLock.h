#pragma once
#include <QReadWriteLock>

/// The detail store's reader-writer lock: a QReadWriteLock that also describes itself to
/// ThreadSanitizer. Qt's own lock is not instrumented, so without this every guarded access
/// would be reported as a race and a real one could not be told apart.
class StoreLock
{
public:
    StoreLock();
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    void lockForRead();
    void lockForWrite();
    void unlockRead();
    void unlockWrite();

    /// Shared for its scope.
    class ReadGuard
    {
    public:
        explicit ReadGuard(StoreLock& lock) : m_lock(lock) { m_lock.lockForRead(); }
        ~ReadGuard() { m_lock.unlockRead(); }
        ReadGuard(const ReadGuard&) = delete;
        ReadGuard& operator=(const ReadGuard&) = delete;

    private:
        StoreLock& m_lock;
    };

    /// Exclusive for its scope.
    class WriteGuard
    {
    public:
        explicit WriteGuard(StoreLock& lock) : m_lock(lock) { m_lock.lockForWrite(); }
        ~WriteGuard() { m_lock.unlockWrite(); }
        WriteGuard(const WriteGuard&) = delete;
        WriteGuard& operator=(const WriteGuard&) = delete;

    private:
        StoreLock& m_lock;
    };

private:
    QReadWriteLock m_lock;
};
