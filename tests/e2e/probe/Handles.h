// Owners of the Win32 resources the harness and its probe acquire. Each one
// is released exactly once, at the end of the scope that took it; copies
// are deleted so that a handle can never be closed twice.
#pragma once

#include <windows.h>

#include <utility>

namespace pagora::e2e {

template <typename T, typename Release> class Unique {
public:
    Unique() = default;
    explicit Unique(T value) : value_(value) {}
    ~Unique() { Reset(); }
    Unique(Unique&& other) noexcept : value_(std::exchange(other.value_, T{})) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            Reset();
            value_ = std::exchange(other.value_, T{});
        }
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    T Get() const { return value_; }
    explicit operator bool() const { return value_ != T{}; }
    void Reset(T value = T{}) {
        if (value_ != T{})
            Release{}(value_);
        value_ = value;
    }

private:
    T value_{};
};

struct CloseHandleRelease {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct UnmapViewRelease {
    void operator()(void* view) const { UnmapViewOfFile(view); }
};
struct UnhookRelease {
    void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};
struct FreeLibraryRelease {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};

// Kernel objects that report failure with NULL (processes, threads,
// mappings, mutexes, events); file handles are not kept here.
using UniqueHandle = Unique<HANDLE, CloseHandleRelease>;
using MappedView = Unique<void*, UnmapViewRelease>;
using UniqueHook = Unique<HHOOK, UnhookRelease>;
using UniqueLibrary = Unique<HMODULE, FreeLibraryRelease>;

// Ownership of a mutex shared with another process. An abandoned mutex (the
// other side died while holding it) is still ours: the memory it guards is
// rewritten whole by every request, so there is nothing to repair.
class MutexLock {
public:
    MutexLock(HANDLE mutex, DWORD timeoutMs) {
        DWORD result = WaitForSingleObject(mutex, timeoutMs);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED)
            mutex_ = mutex;
    }
    ~MutexLock() {
        if (mutex_)
            ReleaseMutex(mutex_);
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

    explicit operator bool() const { return mutex_ != nullptr; }

private:
    HANDLE mutex_ = nullptr;
};

} // namespace pagora::e2e
