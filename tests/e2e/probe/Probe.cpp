// pagora_probe.dll: loaded by the target program itself when the driver
// hooks its GUI thread (WH_GETMESSAGE), so every read below runs on the
// thread that owns the windows, between two of its messages. That is why
// menus and status texts are readable here and not from the driver.
#include "GridPicture.h"
#include "ProbeProtocol.h"

#include <commctrl.h>

#include <cstring>
#include <sstream>

namespace pagora::e2e {
namespace {

std::string Failure(const std::string& message) {
    std::string out;
    AppendRecord(out, {"error", message});
    return out;
}

struct ClassSearch {
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    char name[64] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, search->className) != 0)
        return TRUE;
    search->found = child;
    return FALSE;
}

HWND FindDescendant(HWND parent, const char* className) {
    ClassSearch search{className, nullptr};
    EnumChildWindows(parent, MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string AnswerMenu(HWND window) {
    HMENU menu = GetMenu(window);
    if (!menu)
        return Failure("the window has no menu bar");
    std::string out = "ok\n";
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        bool enabled = !(GetMenuState(menu, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
        // A pop-up has no command id: GetMenuItemID gives -1 for it.
        int id = static_cast<int>(GetMenuItemID(menu, i));
        AppendRecord(out, {"item", std::to_string(id), enabled ? "enabled" : "disabled", text});
    }
    return out;
}

std::string AnswerStatus(HWND window) {
    HWND bar = FindDescendant(window, STATUSCLASSNAMEA);
    if (!bar)
        return Failure("the window has no status bar");
    // Part 0 is the simple text while the bar is in simple mode; Wine answers
    // SB_SIMPLEID with an empty text.
    size_t length = LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, 0, 0));
    std::string text(length + 256, '\0');
    SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::strlen(text.c_str()));
    std::string out = "ok\n";
    AppendRecord(out, {"text", text});
    return out;
}

std::string CellText(HWND list, int row, int column) {
    for (int capacity = 1024;; capacity *= 8) {
        std::string buffer(capacity, '\0');
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = capacity;
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        buffer.resize(std::strlen(buffer.c_str()));
        if (static_cast<int>(buffer.size()) < capacity - 1 || capacity >= (1 << 20))
            return buffer;
    }
}

std::string ColumnTitle(HWND list, int column) {
    char title[512] = {};
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT;
    info.pszText = title;
    info.cchTextMax = sizeof title;
    SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
    return title;
}

// The rows asked for: "all", or a list of row numbers.
bool ParseRows(std::istringstream& args, int count, std::vector<int>& rows) {
    std::string word;
    while (args >> word) {
        if (word == "all") {
            for (int row = 0; row < count; ++row)
                rows.push_back(row);
            continue;
        }
        if (word.size() > 9 || word.find_first_not_of("0123456789") != std::string::npos)
            return false;
        int row = std::stoi(word);
        if (row >= count)
            return false;
        rows.push_back(row);
    }
    return true;
}

// The columns in display order; a leading untitled one is the record
// indicator, which is reported apart from the fields.
std::string AnswerGrid(HWND window, std::istringstream& args) {
    HWND list = FindDescendant(window, WC_LISTVIEWA);
    if (!list)
        return Failure("the window has no grid");
    int columns = Header_GetItemCount(ListView_GetHeader(list));
    std::vector<int> order(columns > 0 ? columns : 0);
    if (columns > 0)
        ListView_GetColumnOrderArray(list, columns, order.data());
    const bool indicator = !order.empty() && ColumnTitle(list, order.front()).empty();
    if (indicator)
        order.erase(order.begin());
    int count = ListView_GetItemCount(list);
    std::vector<int> rows;
    if (!ParseRows(args, count, rows))
        return Failure("row out of range (the grid has " + std::to_string(count) + " rows)");

    std::string out = "ok\n";
    Record titles{"columns"};
    for (int column : order)
        titles.push_back(ColumnTitle(list, column));
    AppendRecord(out, titles);
    AppendRecord(out, {"indicator", indicator ? "1" : "0"});
    AppendRecord(out, {"count", std::to_string(count)});
    AppendRecord(out, {"focused", std::to_string(ListView_GetNextItem(list, -1, LVNI_FOCUSED))});
    AppendRecord(
        out, {"selectedcolumn", std::to_string(SendMessageA(list, LVM_GETSELECTEDCOLUMN, 0, 0))});
    for (int row : rows) {
        Record cells{"row", std::to_string(row)};
        for (int column : order)
            cells.push_back(CellText(list, row, column));
        AppendRecord(out, cells);
    }
    return out;
}

void AppendSpan(Record& record, LONG from, LONG to) {
    record.push_back(std::to_string(from));
    record.push_back(std::to_string(to));
}

// What the grid draws: every column's place, and for every row in view its
// place, whether it shows the marker and which columns are highlighted.
std::string AnswerDrawn(HWND window) {
    HWND list = FindDescendant(window, WC_LISTVIEWA);
    if (!list)
        return Failure("the window has no grid");
    const GridPicture picture = PictureOf(list);
    std::string out = "ok\n";
    for (const RECT& column : picture.columns) {
        Record record{"column"};
        AppendSpan(record, column.left, column.right);
        AppendRecord(out, record);
    }
    for (const DrawnRow& row : picture.rows) {
        Record record{"drawn", std::to_string(row.row)};
        AppendSpan(record, row.bounds.top, row.bounds.bottom);
        record.push_back(row.marker ? "1" : "0");
        for (int column : row.highlighted)
            record.push_back(std::to_string(column));
        AppendRecord(out, record);
    }
    return out;
}

const char* CursorName() {
    HCURSOR cursor = GetCursor();
    if (!cursor)
        return "none";
    if (cursor == LoadCursorA(nullptr, IDC_WAIT))
        return "wait";
    if (cursor == LoadCursorA(nullptr, IDC_ARROW))
        return "arrow";
    return "other";
}

std::string AnswerWindow(HWND window) {
    char caption[512] = {};
    GetWindowTextA(window, caption, sizeof caption);
    RECT rect{}, desktop{};
    GetWindowRect(window, &rect);
    GetWindowRect(GetDesktopWindow(), &desktop);
    std::string out = "ok\n";
    AppendRecord(out, {"caption", caption});
    AppendRecord(out, {"rect", std::to_string(rect.left), std::to_string(rect.top),
                       std::to_string(rect.right), std::to_string(rect.bottom)});
    AppendRecord(out, {"desktop", std::to_string(desktop.right - desktop.left),
                       std::to_string(desktop.bottom - desktop.top)});
    AppendRecord(out, {"cursor", CursorName()});
    return out;
}

std::string Answer(HWND window, const std::string& request) {
    std::istringstream args(request);
    std::string command;
    args >> command;
    if (command == "menu")
        return AnswerMenu(window);
    if (command == "status")
        return AnswerStatus(window);
    if (command == "grid")
        return AnswerGrid(window, args);
    if (command == "drawn")
        return AnswerDrawn(window);
    if (command == "window")
        return AnswerWindow(window);
    return Failure("unknown request: " + command);
}

std::string ReadRequest(const ProbeChannel& channel, LONG id) {
    const MutexLock lock = LockMutex(channel.Mutex(), kChannelLockMs);
    const ChannelMemory& memory = channel.Memory();
    if (!lock || memory.requestId != id)
        return {};
    return std::string(memory.request, strnlen(memory.request, kRequestCapacity));
}

void WriteAnswer(const ProbeChannel& channel, LONG id, std::string answer) {
    if (answer.size() > kAnswerCapacity)
        answer = Failure("the answer does not fit the channel; ask for fewer rows");
    const MutexLock lock = LockMutex(channel.Mutex(), kChannelLockMs);
    ChannelMemory& memory = channel.Memory();
    // The driver may have given up on this request and sent another one.
    if (!lock || memory.requestId != id)
        return;
    std::memcpy(memory.answer, answer.data(), answer.size());
    memory.answerSize = static_cast<DWORD>(answer.size());
    memory.answerId = id;
    SetEvent(channel.AnswerEvent());
}

void Serve(HWND window, LONG id) {
    ProbeChannel channel = ProbeChannel::OpenForThisProcess();
    if (!channel)
        return;
    std::string request = ReadRequest(channel, id);
    if (!request.empty())
        WriteAnswer(channel, id, Answer(window, request));
}

} // namespace
} // namespace pagora::e2e

extern "C" __declspec(dllexport) LRESULT CALLBACK
    ProbeHook(int code, WPARAM removal, LPARAM message) {
    using namespace pagora::e2e;
    auto* msg = reinterpret_cast<MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->message == ProbeMessage()) {
        // Nothing may escape into the target's message loop; a request that
        // cannot be answered simply times out in the driver.
        try {
            Serve(msg->hwnd, static_cast<LONG>(msg->wParam));
        } catch (...) {
        }
        msg->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removal, message);
}
