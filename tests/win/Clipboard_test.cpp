#include "Clipboard.h"

#include "Exceptions.h"
#include "Owner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <thread>

namespace pagora {
namespace {

// A message-only window to own the clipboard, as the main window does.
UniqueWindow OwnerWindow() {
    return UniqueWindow(
        CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
}

// What the clipboard holds, read the way a pasting program reads it.
struct Content {
    std::set<UINT> formats;
    std::string textBlock; // CF_TEXT up to and including its first zero byte
    std::string privateData;
};

const UINT kPrivateFormat = RegisterClipboardFormatA("pagora.test.earlier");

Content ReadClipboard(HWND owner) {
    Content content;
    if (!OpenClipboard(owner))
        return content;
    const ScopeGuard closing([] { CloseClipboard(); });
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format))
        content.formats.insert(format);
    for (auto [format, target] : {std::pair{UINT{CF_TEXT}, &content.textBlock},
                                  std::pair{kPrivateFormat, &content.privateData}}) {
        HANDLE data = GetClipboardData(format);
        const char* bytes = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
        if (bytes == nullptr)
            continue;
        const std::size_t size = GlobalSize(data);
        target->assign(bytes, strnlen(bytes, size) + (format == CF_TEXT ? 1 : 0));
        GlobalUnlock(data);
    }
    return content;
}

// Puts content of another program's kind on the clipboard.
void PlaceEarlierContent(HWND owner) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
    std::memcpy(GlobalLock(block), "earlier", 8);
    GlobalUnlock(block);
    SetClipboardData(kPrivateFormat, block);
    CloseClipboard();
}

TEST(Clipboard, TextBecomesTheOnlyContentWithOneZeroByte) {
    const UniqueWindow owner = OwnerWindow();
    const std::string texts[] = {"<tr>\r\nline\nbreak \xe8 &amp;\r\n", ""};
    for (const std::string& text : texts) {
        PlaceEarlierContent(owner.Get());
        TClipboard().SetPlainText(owner.Get(), text);
        const Content content = ReadClipboard(owner.Get());
        EXPECT_EQ(content.textBlock, text + '\0');
        EXPECT_TRUE(content.privateData.empty());
        const std::set<UINT> synthesised{CF_TEXT, CF_OEMTEXT, CF_UNICODETEXT, CF_LOCALE};
        for (UINT format : content.formats)
            EXPECT_TRUE(synthesised.count(format)) << "format " << format;
        EXPECT_EQ(GetClipboardOwner(), owner.Get());
    }
}

TEST(Clipboard, HeldByAnotherWindowRefusesAtOnceAndKeepsTheContent) {
    const UniqueWindow owner = OwnerWindow();
    PlaceEarlierContent(owner.Get());
    const UniqueHandle opened(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const UniqueHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&] {
        const UniqueWindow other = OwnerWindow();
        const BOOL held = OpenClipboard(other.Get());
        SetEvent(opened.Get());
        WaitForSingleObject(release.Get(), INFINITE);
        if (held)
            CloseClipboard();
    });
    WaitForSingleObject(opened.Get(), INFINITE);
    try {
        TClipboard().SetPlainText(owner.Get(), "new text");
        ADD_FAILURE() << "the clipboard was opened";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.ClassName(), "Exception");
        EXPECT_EQ(e.Message(), "Cannot open clipboard");
    }
    SetEvent(release.Get());
    holder.join();
    EXPECT_EQ(ReadClipboard(owner.Get()).privateData, "earlier");
}

} // namespace
} // namespace pagora
