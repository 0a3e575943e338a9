// The harness and its probe own what they take from the system with the
// program's own owners (Owner.h); this adds the lock of a mutex shared with
// another process.
#pragma once

#include "Owner.h"

namespace pagora::e2e {

using MutexLock = Unique<HANDLE, Call<&ReleaseMutex>>;

// Ownership of the mutex, or nothing when the wait timed out. An abandoned
// mutex (the other side died while holding it) is still ours: the memory it
// guards is rewritten whole by every request, so there is nothing to repair.
inline MutexLock LockMutex(HANDLE mutex, DWORD timeoutMs) {
    const DWORD result = WaitForSingleObject(mutex, timeoutMs);
    return MutexLock(result == WAIT_OBJECT_0 || result == WAIT_ABANDONED ? mutex : nullptr);
}

} // namespace pagora::e2e
