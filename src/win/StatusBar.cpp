#include "StatusBar.h"

#include "Exceptions.h"

#include <commctrl.h>

namespace pagora {

void TStatusBar::Create(HWND parent, int id) {
    hwnd_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0,
                            0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleA(nullptr), nullptr);
    if (!hwnd_)
        throw Exception("The status line cannot be created");
    SendMessageA(hwnd_, SB_SIMPLE, TRUE, 0);
}

void TStatusBar::SetSimpleText(const std::string& text) {
    if (text == text_)
        return;
    text_ = text;
    SendMessageA(hwnd_, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text_.c_str()));
}

int TStatusBar::Realign() {
    SendMessageA(hwnd_, WM_SIZE, 0, 0);
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return r.bottom - r.top;
}

} // namespace pagora
