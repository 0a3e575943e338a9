// How this program owns what it takes from the system: one unique owner for
// every handle, GDI object, menu, memory block, window and the cursor, and
// one scope guard for whatever else has to be undone on every way out.
// Each resource is released exactly once, at the end of the scope or object
// that took it; copies are deleted so nothing can be released twice.
#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

namespace pagora {

// What an owner holds when it owns nothing. Most kinds use their zero (a null
// handle); file handles and snapshots use INVALID_HANDLE_VALUE instead.
template <class T> struct ZeroIsNone {
    static T None() noexcept { return T{}; }
};

// A value and the function that releases it. `Free` may carry state (the
// window a device context goes back to, say); it travels with the value.
template <class T, class Free, class NoneValue = ZeroIsNone<T>> class Unique {
public:
    Unique() noexcept = default;
    explicit Unique(T value, Free free = Free{}) noexcept : value_(value), free_(std::move(free)) {}
    Unique(Unique&& other) noexcept : value_(other.Release()), free_(std::move(other.free_)) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
            free_ = std::move(other.free_);
        }
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { Reset(); }

    T Get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != NoneValue::None(); }
    // Hands the value on: from here on someone else releases it.
    T Release() noexcept { return std::exchange(value_, NoneValue::None()); }
    // Releases what is held now and takes `value` in its place.
    void Reset(T value = NoneValue::None()) noexcept {
        const T old = std::exchange(value_, value);
        if (old != NoneValue::None())
            free_(old);
    }
    // For an out parameter: releases what is held first.
    T* Put() noexcept {
        Reset();
        return &value_;
    }

private:
    T value_ = NoneValue::None();
    [[no_unique_address]] Free free_{};
};

// Runs an action on every way out of a scope, unless dismissed first.
template <class Action> class ScopeGuard {
public:
    explicit ScopeGuard(Action action) noexcept(std::is_nothrow_move_constructible_v<Action>)
        : action_(std::move(action)) {}
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    ~ScopeGuard() {
        if (armed_)
            action_();
    }

    void Dismiss() noexcept { armed_ = false; }

private:
    Action action_;
    bool armed_ = true;
};

// Releases a value with one function of the system, so that a kind of
// resource is named in one line: Unique<HANDLE, Call<&CloseHandle>>.
template <auto Function> struct Call {
    template <class T> void operator()(T value) const noexcept { Function(value); }
};

// The Win32 kinds this program and its tools take.

struct InvalidHandleIsNone {
    static HANDLE None() noexcept { return INVALID_HANDLE_VALUE; }
};
// Kernel objects that report failure with NULL: processes, threads, events,
// mutexes, mappings.
using UniqueHandle = Unique<HANDLE, Call<&CloseHandle>>;
// Those that report it with INVALID_HANDLE_VALUE: files, snapshots.
using UniqueFileHandle = Unique<HANDLE, Call<&CloseHandle>, InvalidHandleIsNone>;
using MappedView = Unique<void*, Call<&UnmapViewOfFile>>;
using UniqueLibrary = Unique<HMODULE, Call<&FreeLibrary>>;
using UniqueHook = Unique<HHOOK, Call<&UnhookWindowsHookEx>>;
using UniqueKey = Unique<HKEY, Call<&RegCloseKey>>;
using GlobalBlock = Unique<HGLOBAL, Call<&GlobalFree>>;
// Memory the system allocated for a result (FormatMessage's text,
// CommandLineToArgvW's array) and leaves to the caller to free.
template <class T> using LocalMemory = Unique<T*, Call<&LocalFree>>;
using UniqueWindow = Unique<HWND, Call<&DestroyWindow>>;
// A menu that no window owns yet; once attached, the window destroys it.
using UniqueMenu = Unique<HMENU, Call<&DestroyMenu>>;
template <class T> using GdiObject = Unique<T, Call<&DeleteObject>>;
using MemoryDC = Unique<HDC, Call<&DeleteDC>>;

// A device context a window lends; it goes back to that window.
struct ReleaseDCTo {
    HWND window = nullptr;
    void operator()(HDC dc) const noexcept { ReleaseDC(window, dc); }
};
using WindowDC = Unique<HDC, ReleaseDCTo>;
inline WindowDC BorrowDC(HWND window) {
    return WindowDC(GetDC(window), ReleaseDCTo{window});
}

// An object selected into a device context: the one it replaced goes back.
struct SelectBackInto {
    HDC dc = nullptr;
    void operator()(HGDIOBJ replaced) const noexcept { SelectObject(dc, replaced); }
};
using Selection = Unique<HGDIOBJ, SelectBackInto>;
inline Selection SelectInto(HDC dc, HGDIOBJ object) {
    return Selection(SelectObject(dc, object), SelectBackInto{dc});
}

} // namespace pagora
