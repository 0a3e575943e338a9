#include "Clipboard.h"

#include "Exceptions.h"

#include <cstring>

namespace pagora {

namespace {

// The clipboard is shared by every program on the desktop: it must be closed
// again however the operation ends.
class ClipboardOpening {
public:
    explicit ClipboardOpening(HWND owner) {
        if (!OpenClipboard(owner))
            throw Exception("Cannot open clipboard");
    }
    ~ClipboardOpening() { CloseClipboard(); }
    ClipboardOpening(const ClipboardOpening&) = delete;
    ClipboardOpening& operator=(const ClipboardOpening&) = delete;
};

// A movable global memory block, freed unless the system took it over.
class GlobalBlock {
public:
    explicit GlobalBlock(SIZE_T size) : handle_(GlobalAlloc(GMEM_MOVEABLE, size)) {
        if (handle_ == nullptr)
            throw Exception("Not enough memory for the clipboard text");
    }
    ~GlobalBlock() {
        if (handle_ != nullptr)
            GlobalFree(handle_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    HGLOBAL Get() const { return handle_; }
    void HandOver() { handle_ = nullptr; }

private:
    HGLOBAL handle_;
};

// The text's bytes followed by one zero byte.
void FillBlock(const GlobalBlock& block, std::string_view text) {
    auto* bytes = static_cast<char*>(GlobalLock(block.Get()));
    if (bytes == nullptr)
        throw Exception("Cannot prepare the clipboard text");
    std::memcpy(bytes, text.data(), text.size());
    bytes[text.size()] = '\0';
    GlobalUnlock(block.Get());
}

} // namespace

void TClipboard::SetPlainText(HWND owner, std::string_view text) {
    ClipboardOpening opening(owner);
    GlobalBlock block(text.size() + 1);
    FillBlock(block, text);
    if (!EmptyClipboard())
        throw Exception("Cannot empty the clipboard");
    // The block itself, not a promise to render it later: the text must stay
    // on the clipboard after the program has ended.
    if (SetClipboardData(CF_TEXT, block.Get()) == nullptr)
        throw Exception("The clipboard did not accept the text");
    block.HandOver();
}

} // namespace pagora
