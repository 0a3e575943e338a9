// Owners for the OLE resources the stand-in and its self-check handle: each
// releases what it holds exactly once, so none of them may be copied.
#pragma once

#include <windows.h>
// (after windows.h, which it needs)
#include <oleauto.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace pagora::standin {

inline void ThrowIfFailed(HRESULT hr, const char* what) {
    if (FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
        throw std::runtime_error(std::string(what) + " failed with " + code);
    }
}

template <class T> class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* adopted) : p_(adopted) {}
    ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComRef& operator=(ComRef&& other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { Reset(); }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** Out() {
        Reset();
        return &p_;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    T* Detach() { return std::exchange(p_, nullptr); }
    void Reset() {
        if (T* p = std::exchange(p_, nullptr))
            p->Release();
    }

private:
    T* p_ = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(Variant&& other) noexcept {
        std::swap(v_, other.v_);
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }

    const VARIANT& operator*() const { return v_; }
    const VARIANT* operator->() const { return &v_; }
    // For filling in place: whatever was held is released first.
    VARIANT* Out() {
        VariantClear(&v_);
        return &v_;
    }

private:
    VARIANT v_;
};

class Bstr {
public:
    explicit Bstr(std::wstring_view text)
        : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(b_); }

    BSTR Get() const { return b_; }
    BSTR Detach() { return std::exchange(b_, nullptr); }

private:
    BSTR b_;
};

class SafeArray {
public:
    explicit SafeArray(SAFEARRAY* adopted) : p_(adopted) {}
    SafeArray(const SafeArray&) = delete;
    SafeArray& operator=(const SafeArray&) = delete;
    ~SafeArray() {
        if (p_)
            SafeArrayDestroy(p_);
    }

    SAFEARRAY* Get() const { return p_; }
    SAFEARRAY* Detach() { return std::exchange(p_, nullptr); }

private:
    SAFEARRAY* p_;
};

class Handle {
public:
    explicit Handle(HANDLE adopted = nullptr) : h_(adopted) {}
    Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        std::swap(h_, other.h_);
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h_ && h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
    }

    HANDLE Get() const { return h_; }
    bool Valid() const { return h_ && h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

// One single-threaded apartment for the calling thread, for as long as the
// owner lives.
class ComApartment {
public:
    ComApartment() : hr_(CoInitialize(nullptr)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_;
};

} // namespace pagora::standin
