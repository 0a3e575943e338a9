#include "TextFile.h"

#include "OleUtil.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

namespace pagora {

std::string InOutErrorMessage(int code) {
    switch (code) {
    case 2:
        return "File not found";
    case 3:
        return "Invalid filename";
    case 4:
        return "Too many open files";
    case 5:
        return "File access denied";
    case 100:
        return "Read beyond end of file";
    case 101:
        return "Disk full";
    case 106:
        return "Invalid numeric input";
    default:
        break;
    }
    char text[32];
    std::snprintf(text, sizeof text, "I/O error %d", code);
    return text;
}

void RaiseInOutError(int code) {
    throw EInOutError(InOutErrorMessage(code), code);
}

std::string AnsiFileName(std::wstring_view name) {
    std::optional<std::string> ansi = WideToAnsiExact(name);
    if (!ansi)
        RaiseInOutError(ERROR_INVALID_NAME);
    return std::move(*ansi);
}

void TTextFile::Bind(std::string name) {
    Release();
    name_ = std::move(name);
    used_ = 0;
}

void TTextFile::Create() {
    Release();
    used_ = 0;
    UniqueFileHandle handle(CreateFileA(name_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        RaiseInOutError(static_cast<int>(GetLastError()));
    handle_ = std::move(handle);
}

void TTextFile::WriteLine(std::string_view entry) {
    // Bytes buffered for a file that is not open would be lost in silence.
    if (!IsOpen())
        RaiseInOutError(ERROR_INVALID_HANDLE);
    Append(entry);
    Append("\r\n");
}

void TTextFile::Append(std::string_view bytes) {
    while (!bytes.empty()) {
        if (used_ == buffer_.size())
            Flush();
        const std::size_t n = std::min(bytes.size(), buffer_.size() - used_);
        std::memcpy(buffer_.data() + used_, bytes.data(), n);
        used_ += n;
        bytes.remove_prefix(n);
    }
    if (used_ == buffer_.size())
        Flush();
}

// Writes the buffer out. Bytes that the file refused stay in the buffer. A
// write that stores fewer bytes than asked and reports no error is how a
// disk filling up in the middle of a block shows (Wine does this; the next
// write then fails with ERROR_DISK_FULL), so it is reported as a full disk.
void TTextFile::Flush() {
    if (used_ == 0)
        return;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(handle_.Get(), buffer_.data(), static_cast<DWORD>(used_), &written, nullptr);
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    written = std::min<DWORD>(written, static_cast<DWORD>(used_));
    std::memmove(buffer_.data(), buffer_.data() + written, used_ - written);
    used_ -= written;
    if (!ok || used_ != 0)
        RaiseInOutError(error != ERROR_SUCCESS ? static_cast<int>(error) : ERROR_DISK_FULL);
}

void TTextFile::Close() {
    if (!IsOpen())
        return;
    const ScopeGuard release([this] { Release(); });
    Flush();
}

void TTextFile::Release() noexcept {
    handle_.Reset();
    used_ = 0;
}

} // namespace pagora
