#include "OleUtil.h"

#include <cstdio>
#include <new>

namespace pagora {

namespace {

std::string WideToAnsiBySystem(const wchar_t* text, std::size_t length) {
    // A character of the ANSI code page takes at most two bytes, so one call
    // into a buffer of twice the length does, without asking for the size.
    const int wideLength = static_cast<int>(length);
    std::string result(2 * length, '\0');
    const int size = WideCharToMultiByte(CP_ACP, 0, text, wideLength, result.data(),
                                         static_cast<int>(result.size()), nullptr, nullptr);
    result.resize(static_cast<std::size_t>(size));
    return result;
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
    const int ansiLength = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), ansiLength, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), ansiLength, result.data(), size);
    return result;
}

Bstr AnsiToBstr(std::string_view text) {
    const std::wstring wide = AnsiToWide(text);
    Bstr result(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    if (!result.Get())
        throw std::bad_alloc();
    return result;
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
