#include "WindowSearch.h"

#include <cstring>

namespace pagora::e2e {

std::string ClassNameOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(std::strlen(text.c_str()));
    return text;
}

namespace {

struct TopLevelSearch {
    DWORD processId;
    std::function<bool(HWND)> matches;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TopLevelSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || !search->matches(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND FindTopLevel(DWORD processId, std::function<bool(HWND)> matches) {
    TopLevelSearch search{processId, std::move(matches)};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitTopLevel(DWORD processId, const std::function<bool(HWND)>& matches, Timeout timeout) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevel(processId, matches)) != nullptr; }, timeout);
    return found;
}

namespace {

struct ControlSearch {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK MatchControlId(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ControlSearch*>(param);
    if (GetDlgCtrlID(child) != search->id)
        return TRUE;
    search->found = child;
    return FALSE;
}

} // namespace

HWND FindControl(HWND dialog, int id) {
    ControlSearch search{id};
    EnumChildWindows(dialog, MatchControlId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace pagora::e2e
