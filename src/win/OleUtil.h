// Small owners for the OLE run-time's resources (COM pointers, VARIANT, BSTR,
// task-memory strings, exception details, safe-array locks, the apartment),
// the conversion between the program's ANSI text and the system's wide text,
// and the system's message text for an error code.
#pragma once

#include <windows.h>
// The OLE headers need windows.h first.
#include <ole2.h>
#include <oleauto.h>

#include "Owner.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace pagora {

// An owned interface pointer: released when the owner ends or is refilled.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* owned) noexcept : p_(owned) {} // takes over a reference
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.p_, nullptr));
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* Get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // For an out parameter: drops what is held first.
    T** Put() noexcept {
        Reset();
        return &p_;
    }
    void Reset(T* owned = nullptr) noexcept {
        if (T* old = std::exchange(p_, owned))
            old->Release();
    }

private:
    T* p_ = nullptr;
};

// An owned VARIANT, cleared with VariantClear.
class Variant {
public:
    Variant() noexcept { VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(Variant&& other) noexcept;
    ~Variant() { VariantClear(&v_); }

    const VARIANT& Get() const noexcept { return v_; }
    VARIANT& Get() noexcept { return v_; }
    // For an out parameter: clears what is held first.
    VARIANT* Put() noexcept {
        VariantClear(&v_);
        return &v_;
    }

private:
    VARIANT v_;
};

using Bstr = Unique<BSTR, Call<&SysFreeString>>;
// A wide string that the system allocated with the task allocator.
using CoTaskString = Unique<LPOLESTR, Call<&CoTaskMemFree>>;

// The exception details of a late-bound call; its texts are freed with it.
class ExcepInfo {
public:
    ExcepInfo() = default;
    ExcepInfo(const ExcepInfo&) = delete;
    ExcepInfo& operator=(const ExcepInfo&) = delete;
    ~ExcepInfo() { Clear(); }

    EXCEPINFO& Get() noexcept { return info_; }
    const EXCEPINFO& Get() const noexcept { return info_; }
    // For an out parameter: frees what is held first.
    EXCEPINFO* Put() noexcept {
        Clear();
        return &info_;
    }

private:
    void Clear() noexcept;
    EXCEPINFO info_{};
};

// Holds a safe array locked so that pointers into its data stay valid.
class SafeArrayLockGuard {
public:
    explicit SafeArrayLockGuard(SAFEARRAY* array) noexcept;
    SafeArrayLockGuard(const SafeArrayLockGuard&) = delete;
    SafeArrayLockGuard& operator=(const SafeArrayLockGuard&) = delete;
    ~SafeArrayLockGuard();

    HRESULT Result() const noexcept { return hr_; }

private:
    SAFEARRAY* array_;
    HRESULT hr_;
};

// The thread's single-threaded apartment. Uninitialises only what it
// initialised itself, so a failed start leaves the count untouched.
class OleInitGuard {
public:
    OleInitGuard() noexcept;
    OleInitGuard(const OleInitGuard&) = delete;
    OleInitGuard& operator=(const OleInitGuard&) = delete;
    ~OleInitGuard();

    HRESULT Result() const noexcept { return hr_; }
    bool Succeeded() const noexcept { return SUCCEEDED(hr_); }

private:
    HRESULT hr_;
};

// Text in the system's ANSI code page <-> OLE's wide text. Every character
// the code page holds arrives whole, however many bytes it takes there (up to
// four in UTF-8); one it lacks becomes what the system maps it to. A text
// the system cannot convert raises EEncodingError: none ever comes back
// shorter without a word.
std::string WideToAnsi(const wchar_t* text, std::size_t length);
std::string BstrToAnsi(BSTR text); // a null BSTR is the empty text
std::wstring AnsiToWide(std::string_view text);
Bstr AnsiToBstr(std::string_view text);

// The text in the ANSI code page when each of its characters is there as
// itself (no look-alike, no default character), or nothing.
std::optional<std::string> WideToAnsiExact(std::wstring_view text);

// The length of the longest start of the text that takes at most `limit`
// bytes and does not end inside a character of the ANSI code page.
std::size_t AnsiPrefixLength(std::string_view text, std::size_t limit);

// Trailing blanks, control characters and full stops removed.
std::string TrimMessageEnd(std::string text);

// The system's message text for a code in the user's language, trimmed as
// above, or "" when the system has none.
std::string SysErrorMessage(DWORD code);
// The system's text for an OLE result code, or "OLE error XXXXXXXX".
std::string OleErrorText(HRESULT code);

} // namespace pagora
