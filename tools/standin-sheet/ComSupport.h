// What the stand-in and its self-check need beyond the program's OLE owners
// in OleUtil.h (COM pointers, VARIANT, BSTR, the apartment): a wide BSTR, a
// whole safe array, a kernel handle, and failures that end a setup step.
// Each owner releases what it holds exactly once, so none may be copied.
#pragma once

#include "OleUtil.h"
#include "Text.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace pagora::standin {

inline void ThrowIfFailed(HRESULT hr, const char* what) {
    if (FAILED(hr))
        throw std::runtime_error(std::string(what) + " failed with " +
                                 Hex32(static_cast<unsigned long>(hr)));
}

// The stand-in's texts are wide already; null when memory runs out, which a
// VARIANT or an EXCEPINFO carries as the empty text, so a served call never
// throws across the process boundary.
inline Bstr WideToBstr(std::wstring_view text) noexcept {
    return Bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

// A whole safe array, destroyed with its elements unless handed on.
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

// A kernel handle; the failure values of both conventions (null and
// INVALID_HANDLE_VALUE) count as none.
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

} // namespace pagora::standin
