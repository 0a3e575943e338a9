// What the stand-in and its self-check need beyond the program's owners in
// OleUtil.h and Owner.h (COM pointers, VARIANT, BSTR, handles, the
// apartment): a wide BSTR, a whole safe array, and failures that end a
// setup step.
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
using SafeArray = Unique<SAFEARRAY*, Call<&SafeArrayDestroy>>;

} // namespace pagora::standin
