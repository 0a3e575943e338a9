#include "Clipboard.h"

#include "Exceptions.h"
#include "Owner.h"

#include <cstring>

namespace pagora {

namespace {

// The clipboard is shared by every program on the desktop: it must be closed
// again however the operation ends.
auto OpenClipboardOf(HWND owner) {
    if (!OpenClipboard(owner))
        throw Exception("Cannot open clipboard");
    return ScopeGuard([] { CloseClipboard(); });
}

// A movable global memory block, freed unless the system took it over.
GlobalBlock AllocateBlock(SIZE_T size) {
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block)
        throw Exception("Not enough memory for the clipboard text");
    return block;
}

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
    const auto opening = OpenClipboardOf(owner);
    GlobalBlock block = AllocateBlock(text.size() + 1);
    FillBlock(block, text);
    if (!EmptyClipboard())
        throw Exception("Cannot empty the clipboard");
    // The block itself, not a promise to render it later: the text must stay
    // on the clipboard after the program has ended.
    if (SetClipboardData(CF_TEXT, block.Get()) == nullptr)
        throw Exception("The clipboard did not accept the text");
    block.Release(); // the clipboard frees it from here
}

} // namespace pagora
