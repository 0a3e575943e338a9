#include "OleUtil.h"

#include "Exceptions.h"

#include <climits>
#include <cstdio>
#include <new>

namespace pagora {

namespace {

[[noreturn]] void RaiseEncodingError(DWORD code) {
    throw EEncodingError("Text could not be converted for code page " + std::to_string(GetACP()) +
                         " (error " + std::to_string(code) + ": " + SysErrorMessage(code) + ")");
}

// The system's conversions count in int.
int SystemLength(std::size_t length) {
    if (length > static_cast<std::size_t>(INT_MAX))
        RaiseEncodingError(ERROR_ARITHMETIC_OVERFLOW);
    return static_cast<int>(length);
}

// Runs a conversion of the system's twice: once for the size it needs, once
// into a result of that size. `convert(out, size)` returns what the system
// returns; a non-empty text always needs at least one unit.
template <class Out, class Convert> Out Converted(const Convert& convert) {
    const int size = convert(nullptr, 0);
    if (size <= 0)
        RaiseEncodingError(GetLastError());
    Out result(static_cast<std::size_t>(size), typename Out::value_type());
    if (convert(result.data(), size) != size)
        RaiseEncodingError(GetLastError());
    return result;
}

std::string WideToAnsiBySystem(const wchar_t* text, std::size_t length) {
    const int wideLength = SystemLength(length);
    return Converted<std::string>([&](char* out, int size) {
        return WideCharToMultiByte(CP_ACP, 0, text, wideLength, out, size, nullptr, nullptr);
    });
}

} // namespace

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        VariantClear(&v_);
        v_ = other.v_;
        VariantInit(&other.v_);
    }
    return *this;
}

void ExcepInfo::Clear() noexcept {
    SysFreeString(info_.bstrSource);
    SysFreeString(info_.bstrDescription);
    SysFreeString(info_.bstrHelpFile);
    info_ = EXCEPINFO{};
}

SafeArrayLockGuard::SafeArrayLockGuard(SAFEARRAY* array) noexcept
    : array_(array), hr_(SafeArrayLock(array)) {}

SafeArrayLockGuard::~SafeArrayLockGuard() {
    if (SUCCEEDED(hr_))
        SafeArrayUnlock(array_);
}

OleInitGuard::OleInitGuard() noexcept : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}

OleInitGuard::~OleInitGuard() {
    if (SUCCEEDED(hr_))
        CoUninitialize();
}

std::string WideToAnsi(const wchar_t* text, std::size_t length) {
    // ASCII is the same in every ANSI code page; most cell texts are ASCII
    // and are copied without asking the system.
    std::string result(length, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] >= 0x80)
            return WideToAnsiBySystem(text, length);
        result[i] = static_cast<char>(text[i]);
    }
    return result;
}

std::string BstrToAnsi(BSTR text) {
    return text ? WideToAnsi(text, SysStringLen(text)) : std::string();
}

std::wstring AnsiToWide(std::string_view text) {
    if (text.empty())
        return {};
    const int ansiLength = SystemLength(text.size());
    return Converted<std::wstring>([&](wchar_t* out, int size) {
        return MultiByteToWideChar(CP_ACP, 0, text.data(), ansiLength, out, size);
    });
}

Bstr AnsiToBstr(std::string_view text) {
    const std::wstring wide = AnsiToWide(text);
    Bstr result(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    if (!result.Get())
        throw std::bad_alloc();
    return result;
}

std::optional<std::string> WideToAnsiExact(std::wstring_view text) {
    if (text.empty())
        return std::string();
    const int length = SystemLength(text.size());
    // UTF-8 holds every character and refuses both the flag and the report
    // of a default character; there only a broken surrogate pair comes back
    // changed, which the round trip finds.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    std::string ansi = Converted<std::string>([&](char* out, int size) {
        return WideCharToMultiByte(CP_ACP, flags, text.data(), length, out, size, nullptr,
                                   utf8 ? nullptr : &usedDefault);
    });
    if (usedDefault || AnsiToWide(ansi) != text)
        return std::nullopt;
    return ansi;
}

std::size_t AnsiPrefixLength(std::string_view text, std::size_t limit) {
    if (text.size() <= limit)
        return text.size();
    if (GetACP() == CP_UTF8) {
        // A character of UTF-8 never starts with a continuation byte (10xxxxxx).
        while (limit > 0 && (static_cast<unsigned char>(text[limit]) & 0xC0) == 0x80)
            --limit;
        return limit;
    }
    // In a double-byte code page only a walk from the start tells a lead
    // byte from a trail byte.
    std::size_t end = 0;
    for (;;) {
        const std::size_t next =
            end + (IsDBCSLeadByte(static_cast<BYTE>(text[end])) && end + 1 < text.size() ? 2 : 1);
        if (next > limit)
            return end;
        end = next;
    }
}

std::string TrimMessageEnd(std::string text) {
    while (!text.empty()) {
        const unsigned char last = static_cast<unsigned char>(text.back());
        if (last > ' ' && last != '.')
            break;
        text.pop_back();
    }
    return text;
}

std::string SysErrorMessage(DWORD code) {
    LocalMemory<char> buffer;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD length =
        FormatMessageA(flags, nullptr, code, 0, reinterpret_cast<char*>(buffer.Put()), 0, nullptr);
    std::string text = length ? std::string(buffer.Get(), length) : std::string();
    return TrimMessageEnd(std::move(text));
}

std::string OleErrorText(HRESULT code) {
    std::string text = SysErrorMessage(static_cast<DWORD>(code));
    if (text.empty()) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "OLE error %.8X", static_cast<unsigned>(code));
        text = buffer;
    }
    return text;
}

} // namespace pagora
