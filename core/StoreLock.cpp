#include "StoreLock.h"

#if defined(__SANITIZE_THREAD__)
#define MERIDANE_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define MERIDANE_TSAN 1
#endif
#endif

#ifdef MERIDANE_TSAN
extern "C" {
void AnnotateRWLockCreate(const char* file, int line, const volatile void* lock);
void AnnotateRWLockDestroy(const char* file, int line, const volatile void* lock);
void AnnotateRWLockAcquired(const char* file, int line, const volatile void* lock, long isWrite);
void AnnotateRWLockReleased(const char* file, int line, const volatile void* lock, long isWrite);
}
#define STORE_LOCK_NOTE(call, ...) call(__FILE__, __LINE__, __VA_ARGS__)
#else
#define STORE_LOCK_NOTE(call, ...) ((void)0)
#endif

StoreLock::StoreLock()
{
    STORE_LOCK_NOTE(AnnotateRWLockCreate, this);
}

StoreLock::~StoreLock()
{
    STORE_LOCK_NOTE(AnnotateRWLockDestroy, this);
}

void StoreLock::lockForRead()
{
    m_lock.lockForRead();
    STORE_LOCK_NOTE(AnnotateRWLockAcquired, this, 0L);
}

void StoreLock::lockForWrite()
{
    m_lock.lockForWrite();
    STORE_LOCK_NOTE(AnnotateRWLockAcquired, this, 1L);
}

void StoreLock::unlockRead()
{
    STORE_LOCK_NOTE(AnnotateRWLockReleased, this, 0L);
    m_lock.unlock();
}

void StoreLock::unlockWrite()
{
    STORE_LOCK_NOTE(AnnotateRWLockReleased, this, 1L);
    m_lock.unlock();
}
