// ThreadSanitizer builds only: tells TSan about the locking inside Qt.
//
// Qt comes uninstrumented from the system, so TSan does not see the futex waits in QMutex's slow path,
// nor QReadWriteLock or QWaitCondition at all: data guarded by them would be reported as races. The
// executables define the Qt functions below themselves; a call from our code binds to these first, which
// call Qt's own (found with RTLD_NEXT) and add the acquire or release TSan needs. QMutex's uncontended path
// is inline std::atomic code, which TSan already sees on the same address.
#include <QMutex>
#include <QReadWriteLock>
#include <QWaitCondition>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

extern "C" {
void __tsan_acquire(void* addr);
void __tsan_release(void* addr);
}

namespace {

template <typename Fn> Fn realQt(const char* mangled)
{
    void* fn = dlsym(RTLD_NEXT, mangled);
    if (fn == nullptr) {
        std::fprintf(stderr, "QtTsanAnnotations: %s not found in Qt\n", mangled);
        std::abort();
    }
    return reinterpret_cast<Fn>(fn);
}

} // namespace

// QMutex and QMutexLocker: the contended path and the out-of-line members.
void QBasicMutex::lockInternal() QT_MUTEX_LOCK_NOEXCEPT
{
    static const auto real = realQt<void (*)(QBasicMutex*)>("_ZN11QBasicMutex12lockInternalEv");
    real(this);
    __tsan_acquire(this);
}

bool QBasicMutex::lockInternal(int timeout) QT_MUTEX_LOCK_NOEXCEPT
{
    static const auto real = realQt<bool (*)(QBasicMutex*, int)>("_ZN11QBasicMutex12lockInternalEi");
    const bool locked = real(this, timeout);
    if (locked)
        __tsan_acquire(this);
    return locked;
}

void QBasicMutex::unlockInternal() noexcept
{
    static const auto real = realQt<void (*)(QBasicMutex*)>("_ZN11QBasicMutex14unlockInternalEv");
    __tsan_release(this);
    real(this);
}

void QMutex::lock() QT_MUTEX_LOCK_NOEXCEPT
{
    static const auto real = realQt<void (*)(QMutex*)>("_ZN6QMutex4lockEv");
    real(this);
    __tsan_acquire(this);
}

bool QMutex::tryLock(int timeout) QT_MUTEX_LOCK_NOEXCEPT
{
    static const auto real = realQt<bool (*)(QMutex*, int)>("_ZN6QMutex7tryLockEi");
    const bool locked = real(this, timeout);
    if (locked)
        __tsan_acquire(this);
    return locked;
}

void QMutex::unlock() noexcept
{
    static const auto real = realQt<void (*)(QMutex*)>("_ZN6QMutex6unlockEv");
    __tsan_release(this);
    real(this);
}

// QReadWriteLock: readers and writers alike acquire on locking and release on unlocking. This orders
// readers among themselves too, which hides nothing a reader may do (readers do not write).
void QReadWriteLock::lockForRead()
{
    static const auto real = realQt<void (*)(QReadWriteLock*)>("_ZN14QReadWriteLock11lockForReadEv");
    real(this);
    __tsan_acquire(this);
}

void QReadWriteLock::lockForWrite()
{
    static const auto real = realQt<void (*)(QReadWriteLock*)>("_ZN14QReadWriteLock12lockForWriteEv");
    real(this);
    __tsan_acquire(this);
}

bool QReadWriteLock::tryLockForRead()
{
    static const auto real = realQt<bool (*)(QReadWriteLock*)>("_ZN14QReadWriteLock14tryLockForReadEv");
    const bool locked = real(this);
    if (locked)
        __tsan_acquire(this);
    return locked;
}

bool QReadWriteLock::tryLockForRead(int timeout)
{
    static const auto real = realQt<bool (*)(QReadWriteLock*, int)>("_ZN14QReadWriteLock14tryLockForReadEi");
    const bool locked = real(this, timeout);
    if (locked)
        __tsan_acquire(this);
    return locked;
}

bool QReadWriteLock::tryLockForWrite()
{
    static const auto real = realQt<bool (*)(QReadWriteLock*)>("_ZN14QReadWriteLock15tryLockForWriteEv");
    const bool locked = real(this);
    if (locked)
        __tsan_acquire(this);
    return locked;
}

bool QReadWriteLock::tryLockForWrite(int timeout)
{
    static const auto real = realQt<bool (*)(QReadWriteLock*, int)>("_ZN14QReadWriteLock15tryLockForWriteEi");
    const bool locked = real(this, timeout);
    if (locked)
        __tsan_acquire(this);
    return locked;
}

void QReadWriteLock::unlock()
{
    static const auto real = realQt<void (*)(QReadWriteLock*)>("_ZN14QReadWriteLock6unlockEv");
    __tsan_release(this);
    real(this);
}

// QWaitCondition: Qt unlocks and relocks the mutex inside wait(), out of TSan's sight, and a wake orders
// the waker's writes before the woken thread's reads.
bool QWaitCondition::wait(QMutex* mutex, QDeadlineTimer deadline)
{
    static const auto real =
        realQt<bool (*)(QWaitCondition*, QMutex*, QDeadlineTimer)>("_ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer");
    __tsan_release(mutex);
    const bool woken = real(this, mutex, deadline);
    __tsan_acquire(mutex);
    __tsan_acquire(this);
    return woken;
}

bool QWaitCondition::wait(QMutex* mutex, unsigned long time)
{
    static const auto real =
        realQt<bool (*)(QWaitCondition*, QMutex*, unsigned long)>("_ZN14QWaitCondition4waitEP6QMutexm");
    __tsan_release(mutex);
    const bool woken = real(this, mutex, time);
    __tsan_acquire(mutex);
    __tsan_acquire(this);
    return woken;
}

void QWaitCondition::wakeOne()
{
    static const auto real = realQt<void (*)(QWaitCondition*)>("_ZN14QWaitCondition7wakeOneEv");
    __tsan_release(this);
    real(this);
}

void QWaitCondition::wakeAll()
{
    static const auto real = realQt<void (*)(QWaitCondition*)>("_ZN14QWaitCondition7wakeAllEv");
    __tsan_release(this);
    real(this);
}
