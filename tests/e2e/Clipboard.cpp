#include "Clipboard.h"

#include "Harness.h"

#include <cstring>

namespace pagora::e2e {

namespace {

class ClipboardOpening {
public:
    ClipboardOpening() {
        if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 5s))
            throw DriverError("another program keeps the clipboard open");
    }
    ~ClipboardOpening() { CloseClipboard(); }
    ClipboardOpening(const ClipboardOpening&) = delete;
    ClipboardOpening& operator=(const ClipboardOpening&) = delete;
};

class GlobalView {
public:
    explicit GlobalView(HANDLE memory) : memory_(memory), data_(GlobalLock(memory)) {}
    ~GlobalView() {
        if (data_)
            GlobalUnlock(memory_);
    }
    GlobalView(const GlobalView&) = delete;
    GlobalView& operator=(const GlobalView&) = delete;

    const char* Data() const { return static_cast<const char*>(data_); }
    size_t Size() const { return data_ ? GlobalSize(memory_) : 0; }

private:
    HANDLE memory_;
    void* data_;
};

} // namespace

std::optional<std::string> ClipboardText() {
    ClipboardOpening opening;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data)
        return std::nullopt;
    GlobalView view(data);
    if (!view.Data())
        return std::nullopt;
    return std::string(view.Data(), strnlen(view.Data(), view.Size()));
}

std::vector<UINT> ClipboardFormats() {
    ClipboardOpening opening;
    std::vector<UINT> formats;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
        formats.push_back(format);
    return formats;
}

void ClearClipboard() {
    ClipboardOpening opening;
    EmptyClipboard();
}

} // namespace pagora::e2e
