#include "Clipboard.h"

#include "Harness.h"
#include "Owner.h"

#include <cstring>

namespace pagora::e2e {

namespace {

// Closed again when the returned guard ends.
auto OpenTheClipboard() {
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 5s))
        throw DriverError("another program keeps the clipboard open");
    return ScopeGuard([] { CloseClipboard(); });
}

} // namespace

std::optional<std::string> ClipboardText() {
    const auto opening = OpenTheClipboard();
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* bytes = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (!bytes)
        return std::nullopt;
    const ScopeGuard unlock([data] { GlobalUnlock(data); });
    return std::string(bytes, strnlen(bytes, GlobalSize(data)));
}

std::vector<UINT> ClipboardFormats() {
    const auto opening = OpenTheClipboard();
    std::vector<UINT> formats;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
        formats.push_back(format);
    return formats;
}

void ClearClipboard() {
    const auto opening = OpenTheClipboard();
    EmptyClipboard();
}

} // namespace pagora::e2e
