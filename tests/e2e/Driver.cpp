#include "Driver.h"

#include "WindowSearch.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace pagora::e2e {
namespace {

constexpr Timeout kKillWait = 5s;
constexpr char kDialogClass[] = "#32770";
constexpr int kFileNameCombo = 0x47C; // cmb13 of the Explorer-style dialog
constexpr int kFileNameEdit = 0x480;  // edt1 of the old-style dialog
constexpr int kMessageBoxText = 0xFFFF;

std::string ExecutableFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of("\\/"));
}

std::string ResolveProgram(const std::string& program) {
    bool absolute = (program.size() > 1 && program[1] == ':') ||
                    (!program.empty() && (program[0] == '\\' || program[0] == '/'));
    return absolute ? program : ExecutableFolder() + "\\" + program;
}

// Only the enabled one: a dialog whose own prompt is open (the save
// dialog's "replace the file?") is disabled, and may share the prompt's title.
std::function<bool(HWND)> IsDialogTitled(std::string_view title) {
    return [title = std::string(title)](HWND window) {
        return IsWindowEnabled(window) && ClassNameOf(window) == kDialogClass &&
               TextOf(window) == title;
    };
}

// The main window: unowned, captioned, and not a dialog (a message box shown
// before the window would otherwise qualify).
std::function<bool(HWND)> IsMainWindow(const std::string& caption) {
    return [caption](HWND window) {
        return GetWindow(window, GW_OWNER) == nullptr &&
               (GetWindowLongA(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION &&
               ClassNameOf(window) != kDialogClass &&
               (caption.empty() || TextOf(window) == caption);
    };
}

HWND FileNameControl(HWND dialog) {
    if (HWND combo = FindControl(dialog, kFileNameCombo)) {
        HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
        return edit ? edit : combo;
    }
    return FindControl(dialog, kFileNameEdit);
}

HMODULE ProbeModule() {
    static const UniqueLibrary probe(
        LoadLibraryA((ExecutableFolder() + "\\pagora_probe.dll").c_str()));
    if (!probe)
        throw DriverError("pagora_probe.dll is not beside the test executable");
    return probe.Get();
}

std::string WithoutAccessMarks(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

const Record& Find(const std::vector<Record>& records, std::string_view key, size_t fields) {
    for (const Record& record : records)
        if (record.front() == key && record.size() >= fields)
            return record;
    throw DriverError("the probe's answer has no " + std::string(key));
}

Cursor CursorNamed(const std::string& name) {
    if (name == "none")
        return Cursor::None;
    if (name == "arrow")
        return Cursor::Arrow;
    return name == "wait" ? Cursor::Wait : Cursor::Other;
}

// Two numbers of a probe's record, from `first` on, as the ends of a span.
RECT SpanOf(const Record& record, std::size_t first) {
    return {std::stoi(record[first]), 0, std::stoi(record[first + 1]), 0};
}

} // namespace

Driver Driver::Start(const std::string& program, const StartOptions& options) {
    std::string path = ResolveProgram(program);
    std::string commandLine = "\"" + path + "\"";
    if (!options.arguments.empty())
        commandLine += " " + options.arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const char* folder =
        options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str();
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder, &startup, &started))
        throw DriverError("cannot start " + path + " (error " + std::to_string(GetLastError()) +
                          ")");
    UniqueHandle thread(started.hThread);
    Driver driver;
    driver.process_.Reset(started.hProcess);
    driver.processId_ = started.dwProcessId;
    driver.Attach(options);
    return driver;
}

void Driver::Attach(const StartOptions& options) {
    WaitForInputIdle(process_.Get(), static_cast<DWORD>(options.timeout.count()));
    auto isMain = IsMainWindow(options.mainCaption);
    WaitUntil(
        [&] {
            window_ = FindTopLevel(processId_, isMain);
            return window_ || ExitCode();
        },
        options.timeout);
    if (!window_)
        throw DriverError(ExitCode() ? "the program ended before showing its window"
                                     : "the program showed no main window in time");
    channel_ = ProbeChannel::Create(processId_);
    if (!channel_)
        throw DriverError("cannot create the probe channel (error " +
                          std::to_string(GetLastError()) + ")");
    HMODULE probe = ProbeModule();
    auto hook =
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, "ProbeHook")));
    DWORD thread = GetWindowThreadProcessId(window_, nullptr);
    hook_.Reset(hook ? SetWindowsHookExA(WH_GETMESSAGE, hook, probe, thread) : nullptr);
    if (!hook_)
        throw DriverError("cannot hook the program's thread (error " +
                          std::to_string(GetLastError()) + ")");
}

// A program that never showed its window gets no chance to close itself.
Driver::~Driver() {
    if (!process_ || ExitCode())
        return;
    if (window_)
        Close(kKillWait);
    else
        Kill();
}

std::optional<std::vector<Record>> Driver::TryAsk(const std::string& request, Timeout timeout) {
    if (request.size() >= kRequestCapacity)
        throw DriverError("probe request too long");
    LONG id = ++lastRequest_;
    {
        const MutexLock lock = LockMutex(channel_.Mutex(), kChannelLockMs);
        if (!lock)
            throw DriverError("the probe channel stays locked");
        std::memcpy(channel_.Memory().request, request.c_str(), request.size() + 1);
        channel_.Memory().requestId = id;
    }
    if (!PostMessageA(window_, ProbeMessage(), id, 0))
        throw DriverError("the main window is gone");
    auto deadline = Clock::now() + timeout;
    HANDLE waits[] = {channel_.AnswerEvent(), process_.Get()};
    for (;;) {
        DWORD result = WaitForMultipleObjects(2, waits, FALSE, MillisecondsUntil(deadline));
        if (result == WAIT_OBJECT_0 + 1)
            throw DriverError("the program ended while asked for '" + request + "'");
        if (result != WAIT_OBJECT_0)
            return std::nullopt;
        const MutexLock lock = LockMutex(channel_.Mutex(), kChannelLockMs);
        const ChannelMemory& memory = channel_.Memory();
        // An answer to a request given up on earlier signals too: skip it.
        if (lock && memory.answerId == id)
            return ParseRecords(std::string_view(memory.answer, memory.answerSize));
    }
}

std::vector<Record> Driver::Ask(const std::string& request) {
    auto answer = TryAsk(request, kDefaultTimeout);
    if (!answer)
        throw DriverError("the program did not answer '" + request + "' in time (busy or hung)");
    if (answer->empty() || answer->front().front() != "ok")
        throw DriverError("probe: " +
                          (answer->empty() ? std::string("empty answer") : answer->front().back()));
    return *answer;
}

std::vector<MenuItem> Driver::Menu() {
    std::vector<MenuItem> items;
    for (const Record& record : Ask("menu"))
        if (record.front() == "item" && record.size() == 4)
            items.push_back({record[3], std::stoi(record[1]), record[2] == "enabled"});
    return items;
}

void Driver::ClickMenu(std::string_view caption) {
    std::vector<MenuItem> items = Menu();
    auto item = std::find_if(items.begin(), items.end(), [&](const MenuItem& each) {
        return each.text == caption || WithoutAccessMarks(each.text) == caption;
    });
    if (item == items.end()) {
        std::string known;
        for (const MenuItem& each : items)
            known += " '" + each.text + "'";
        throw DriverError("no menu item '" + std::string(caption) + "'; the menu has" + known);
    }
    Click(*item);
}

void Driver::ClickMenu(int index) {
    std::vector<MenuItem> items = Menu();
    if (index < 0 || index >= static_cast<int>(items.size()))
        throw DriverError("no menu item at position " + std::to_string(index));
    Click(items[index]);
}

// A user cannot click a greyed item, nor the menu of a window that a modal
// dialog or message box has disabled; neither may a test.
void Driver::Click(const MenuItem& item) {
    if (item.id == -1 || !item.enabled)
        throw DriverError("menu item '" + item.text + "' is a pop-up or disabled");
    if (!IsWindowEnabled(window_))
        throw DriverError("the main window is disabled: a modal window is open");
    PostMessageA(window_, WM_COMMAND, MAKEWPARAM(item.id, 0), 0);
}

std::string Driver::StatusText() {
    return Find(Ask("status"), "text", 2)[1];
}

std::string Driver::WaitStatus(std::string_view expected, Timeout timeout) {
    return WaitStatus([&](const std::string& text) { return text == expected; }, timeout);
}

// A program busy with a long command does not answer; that is a poll that
// saw nothing, not a failure, as long as time is left.
std::string Driver::WaitStatus(const std::function<bool(const std::string&)>& done,
                               Timeout timeout) {
    auto deadline = Clock::now() + timeout;
    std::string last;
    for (;;) {
        auto answer = TryAsk("status", Timeout(MillisecondsUntil(deadline)));
        if (answer && !answer->empty() && answer->front().front() == "ok") {
            last = Find(*answer, "text", 2)[1];
            if (done(last))
                return last;
        }
        if (Clock::now() >= deadline)
            return last;
        Sleep(static_cast<DWORD>(kPollInterval.count()));
    }
}

GridView Driver::Grid() {
    return ReadGrid("grid all");
}

GridView Driver::Grid(const std::vector<int>& rows) {
    std::string request = "grid";
    for (int row : rows)
        request += " " + std::to_string(row);
    return ReadGrid(request);
}

GridView Driver::ReadGrid(const std::string& request) {
    std::vector<Record> answer = Ask(request);
    const Record& titles = Find(answer, "columns", 1);
    GridView grid{{titles.begin() + 1, titles.end()},
                  Find(answer, "indicator", 2)[1] == "1",
                  std::stoi(Find(answer, "count", 2)[1]),
                  std::stoi(Find(answer, "focused", 2)[1]),
                  std::stoi(Find(answer, "selectedcolumn", 2)[1]),
                  {}};
    for (const Record& record : answer)
        if (record.front() == "row")
            grid.rows.emplace_back(record.begin() + 2, record.end());
    return grid;
}

GridPicture Driver::DrawnGrid() {
    GridPicture picture;
    for (const Record& record : Ask("drawn")) {
        if (record.front() == "column" && record.size() == 3)
            picture.columns.push_back(SpanOf(record, 1));
        if (record.front() != "drawn" || record.size() < 5)
            continue;
        const RECT span = SpanOf(record, 2);
        DrawnRow row{std::stoi(record[1]), {0, span.left, 0, span.right}, record[4] == "1", {}};
        for (std::size_t i = 5; i < record.size(); ++i)
            row.highlighted.push_back(std::stoi(record[i]));
        picture.rows.push_back(row);
    }
    return picture;
}

HWND Driver::GridWindow() const {
    HWND grid = FindWindowExA(window_, nullptr, WC_LISTVIEWA, nullptr);
    if (!grid)
        throw DriverError("the window has no grid");
    return grid;
}

// Posted as the keyboard would: the grid takes it after what came before.
void Driver::GridKey(WORD key) {
    HWND grid = GridWindow();
    PostMessageA(grid, WM_KEYDOWN, key, 1);
    PostMessageA(grid, WM_KEYUP, key, 0xC0000001);
}

void Driver::ClickCell(int row, int column) {
    const std::optional<POINT> centre = CentreOf(DrawnGrid(), row, column);
    if (!centre)
        throw DriverError("cell " + std::to_string(row) + "," + std::to_string(column) +
                          " is not in view");
    const LPARAM at = MAKELPARAM(centre->x, centre->y);
    PostMessageA(GridWindow(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(GridWindow(), WM_LBUTTONUP, 0, at);
}

// Both titles must be in view; a narrow column is taken near its middle.
void Driver::DragTitle(int from, int to) {
    const GridPicture picture = DrawnGrid();
    if (std::max(from, to) >= static_cast<int>(picture.columns.size()) || std::min(from, to) < 0)
        throw DriverError("no column " + std::to_string(std::max(from, to)));
    HWND header = FindWindowExA(GridWindow(), nullptr, WC_HEADERA, nullptr);
    RECT bounds{};
    GetClientRect(header, &bounds);
    // The header moves sideways with the rows: its own coordinates.
    RECT a = picture.columns[from], b = picture.columns[to];
    MapWindowPoints(GridWindow(), header, reinterpret_cast<POINT*>(&a), 2);
    MapWindowPoints(GridWindow(), header, reinterpret_cast<POINT*>(&b), 2);
    const int y = bounds.bottom / 2;
    const int x0 = std::min<int>(a.left + 10, (a.left + a.right) / 2);
    const int x1 = b.left + 4;
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y));
    for (int step = 1; step <= 10; ++step)
        SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x0 + (x1 - x0) * step / 10, y));
    SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(x1, y));
}

WindowInfo Driver::Window() {
    std::vector<Record> answer = Ask("window");
    const Record& rect = Find(answer, "rect", 5);
    const Record& desktop = Find(answer, "desktop", 3);
    return {Find(answer, "caption", 2)[1],
            {std::stoi(rect[1]), std::stoi(rect[2]), std::stoi(rect[3]), std::stoi(rect[4])},
            {std::stoi(desktop[1]), std::stoi(desktop[2])},
            CursorNamed(Find(answer, "cursor", 2)[1])};
}

HWND Driver::FindDialog(std::string_view title, Timeout timeout) {
    return WaitTopLevel(processId_, IsDialogTitled(title), timeout);
}

bool Driver::SaveDialogEnter(const std::string& path, std::string_view title, Timeout timeout) {
    std::wstring wide(path.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, path.data(),
                                                        static_cast<int>(path.size()), wide.data(),
                                                        static_cast<int>(wide.size()))));
    return SaveDialogEnter(wide, title, timeout);
}

bool Driver::SaveDialogEnter(const std::wstring& path, std::string_view title, Timeout timeout) {
    HWND dialog = FindDialog(title, timeout);
    if (!dialog)
        throw DriverError("no dialog '" + std::string(title) + "' appeared");
    HWND name = FileNameControl(dialog);
    DWORD_PTR done = 0;
    if (!name || !SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                                      SMTO_ABORTIFHUNG, 2000, &done))
        throw DriverError("cannot put the file name into '" + std::string(title) + "'");
    return DismissDialog(dialog, IDOK, timeout);
}

bool Driver::SaveDialogCancel(std::string_view title, Timeout timeout) {
    HWND dialog = FindDialog(title, timeout);
    return dialog && DismissDialog(dialog, IDCANCEL, timeout);
}

std::optional<std::string> Driver::FindMessageBox(std::string_view caption, Timeout timeout) {
    HWND box = FindDialog(caption, timeout);
    if (!box)
        return std::nullopt;
    HWND text = FindControl(box, kMessageBoxText);
    return text ? TextOf(text) : std::string();
}

bool Driver::CloseMessageBox(std::string_view caption, int button, Timeout timeout) {
    HWND box = FindDialog(caption, timeout);
    return box && DismissDialog(box, button, timeout);
}

// The same message a click on the button sends; posted, because the dialog's
// owner may not return before the dialog ends. The wait stops early when the
// dialog opens a prompt of its own instead of closing.
bool Driver::DismissDialog(HWND dialog, int button, Timeout timeout) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    auto gone = [dialog] { return !IsWindow(dialog) || !IsWindowVisible(dialog); };
    auto ownedBy = [dialog](HWND window) { return GetWindow(window, GW_OWNER) == dialog; };
    WaitUntil([&] { return gone() || FindTopLevel(processId_, ownedBy); }, timeout);
    return gone();
}

bool Driver::Close(Timeout timeout) {
    if (ExitCode())
        return true;
    PostMessageA(window_, WM_CLOSE, 0, 0);
    if (WaitExit(timeout))
        return true;
    Kill();
    return false;
}

bool Driver::WaitExit(Timeout timeout) {
    return WaitForSingleObject(process_.Get(), static_cast<DWORD>(timeout.count())) ==
           WAIT_OBJECT_0;
}

std::optional<DWORD> Driver::ExitCode() const {
    DWORD code = 0;
    if (WaitForSingleObject(process_.Get(), 0) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_.Get(), &code))
        return std::nullopt;
    return code;
}

void Driver::Kill() {
    TerminateProcess(process_.Get(), 1);
    WaitForSingleObject(process_.Get(), static_cast<DWORD>(kKillWait.count()));
}

} // namespace pagora::e2e
