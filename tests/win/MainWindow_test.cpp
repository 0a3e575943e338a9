#include "FrameFakes.h"
#include "GridFill.h"

#include <gtest/gtest.h>

#include <memory>

#include <new>

namespace pagora {
namespace {

enum : UINT { cmImporta = 1, cmCopia, cmEsporta, cmEsci }; // the menu's command ids

std::string WindowText(HWND hwnd) {
    char buffer[256] = "";
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

TEST(MainWindow, StartsWithTitleEmptyStatusLineAndEmptyGrid) {
    WindowHarness w;
    EXPECT_EQ(WindowText(w.Handle()), "pagora");
    EXPECT_EQ(TfExpoTestAccess::Status(*w.form).SimpleText(), "");
    EXPECT_EQ(ColumnCount(w.GridHandle()), 0);
    EXPECT_EQ(RowCount(w.GridHandle()), 0);
    EXPECT_FALSE(w.Table().Active());
    ASSERT_NE(TfExpoTestAccess::HtmlLines(*w.form), nullptr);
    EXPECT_EQ(TfExpoTestAccess::HtmlLines(*w.form)->Count(), 0u);
    const LONG style = GetWindowLongA(w.Handle(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_HSCROLL | WS_VSCROLL));
}

TEST(MainWindow, MenuBarHasTheFourItemsWithTheirAccessKeys) {
    WindowHarness w;
    HMENU menu = GetMenu(w.Handle());
    ASSERT_TRUE(menu);
    ASSERT_EQ(GetMenuItemCount(menu), 4);
    const struct {
        UINT command;
        const char* shown;
    } items[] = {{cmImporta, " &Importa da Excel "},
                 {cmCopia, " &Copia negli appunti "},
                 {cmEsporta, " &Esporta in html "},
                 {cmEsci, " E&sci "}};
    for (int i = 0; i < 4; ++i) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_EQ(std::string(text), items[i].shown);
        EXPECT_EQ(GetMenuItemID(menu, i), items[i].command);
        EXPECT_EQ(GetSubMenu(menu, i), nullptr);
    }
}

// The control's own text, read as part 0: Wine answers "" for SB_SIMPLEID.
std::string ControlText(HWND statusBar) {
    char buffer[256] = "";
    SendMessageA(statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

TEST(MainWindow, StatusLineHoldsOneReplaceableText) {
    WindowHarness w;
    TStatusBar& status = TfExpoTestAccess::Status(*w.form);
    EXPECT_EQ(SendMessageA(status.Handle(), SB_ISSIMPLE, 0, 0), TRUE);
    const struct {
        const char *text, *shown;
    } cases[] = {
        {"Importazione da Excel in corso...", "Importazione da Excel in corso..."},
        {"due\r\nrighe", "due  righe"}, // the control draws line breaks as blanks
        {"", ""},
        {"x", "x"},
    };
    for (const auto& c : cases) {
        status.SetSimpleText(c.text);
        EXPECT_EQ(status.SimpleText(), c.text);
        EXPECT_EQ(ControlText(status.Handle()), c.shown);
    }
}

TEST(MainWindow, ShowCentresOnTheDesktopOnce) {
    WindowHarness w;
    w.form->Show();
    RECT r{};
    GetWindowRect(w.Handle(), &r);
    EXPECT_EQ(r.right - r.left, 353);
    EXPECT_EQ(r.bottom - r.top, 274);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXVIRTUALSCREEN) - 353) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYVIRTUALSCREEN) - 274) / 2);
    EXPECT_TRUE(IsWindowVisible(w.Handle()));

    // Afterwards the position is the user's.
    SetWindowPos(w.Handle(), nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(w.Handle(), SW_HIDE);
    w.form->Show();
    GetWindowRect(w.Handle(), &r);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 6);
}

TEST(MainWindow, GridFillsTheClientAreaAboveTheStatusLine) {
    WindowHarness w;
    w.form->Show();
    for (SIZE size : {SIZE{353, 274}, SIZE{600, 400}, SIZE{200, 150}}) {
        SetWindowPos(w.Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT client{}, grid{}, status{};
        GetClientRect(w.Handle(), &client);
        GetWindowRect(w.GridHandle(), &grid);
        GetWindowRect(TfExpoTestAccess::Status(*w.form).Handle(), &status);
        MapWindowPoints(nullptr, w.Handle(), reinterpret_cast<POINT*>(&grid), 2);
        MapWindowPoints(nullptr, w.Handle(), reinterpret_cast<POINT*>(&status), 2);
        EXPECT_EQ(grid.left, 0);
        EXPECT_EQ(grid.top, 0);
        EXPECT_EQ(grid.right, client.right);
        EXPECT_EQ(grid.bottom, status.top);
        EXPECT_EQ(status.bottom, client.bottom);
        EXPECT_EQ(status.right, client.right);
    }
}

// A handler that lets a failure escape: the default display shows it, and
// the window goes on working.
TEST(MainWindow, EscapedFailureReachesTheDefaultDisplayAndTheProgramGoesOn) {
    WindowHarness w;
    TStatusBar& status = TfExpoTestAccess::Status(*w.form);
    status.SetSimpleText("Importazione da Excel in corso...");
    const struct {
        std::function<void()> raise;
        const char* shown;
    } cases[] = {
        {[] { throw EOleException("Il foglio non risponde", 1); }, "Il foglio non risponde."},
        {[] { throw EOleSysError("Operazione non valida.", 2); }, "Operazione non valida."},
        {[] { throw Exception(""); }, ""},
        {[] { throw std::bad_alloc(); }, "Out of memory."},
    };
    for (const auto& c : cases) {
        w.box.shown.clear();
        TfExpoTestAccess::Importa(*w.form).OnClick = [&](TObject*) { c.raise(); };
        SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(cmImporta, 0), 0);
        ASSERT_EQ(w.box.shown.size(), 1u);
        EXPECT_EQ(w.box.shown[0].caption, "pagora");
        EXPECT_EQ(w.box.shown[0].text, c.shown);
        EXPECT_EQ(w.box.shown[0].owner, w.Handle());
    }
    EXPECT_EQ(status.SimpleText(), "Importazione da Excel in corso...") << "status untouched";

    int clicks = 0;
    TfExpoTestAccess::Importa(*w.form).OnClick = [&](TObject*) { ++clicks; };
    SendMessageA(w.Handle(), WM_COMMAND, MAKEWPARAM(cmImporta, 0), 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(IsWindow(w.Handle()));
}

TEST(MainWindow, ExitCommandAndCloseBoxEndTheSameWay) {
    for (UINT message : {UINT(WM_COMMAND), UINT(WM_CLOSE), UINT(WM_SYSCOMMAND)}) {
        WindowHarness w;
        HWND hwnd = w.Handle();
        WPARAM wParam = message == WM_COMMAND      ? MAKEWPARAM(cmEsci, 0)
                        : message == WM_SYSCOMMAND ? SC_CLOSE
                                                   : 0;
        SendMessageA(hwnd, message, wParam, 0);
        EXPECT_FALSE(IsWindow(hwnd)) << message;
        EXPECT_EQ(w.form->Handle(), nullptr);
        EXPECT_EQ(TfExpoTestAccess::HtmlLines(*w.form), nullptr) << "FormDestroy ran";
        EXPECT_TRUE(WindowHarness::DropQuitRequest()) << "the quit request is posted";
        EXPECT_TRUE(w.box.shown.empty()) << "no question is asked";
    }
}

TEST(MainWindow, OnlyTheMainWindowEndsTheLoop) {
    WindowHarness main;
    FakeMessageBox box;
    FakeCursor cursor;
    FakeClipboard clipboard;
    FakeSaveDialog dialog;
    FixedClock clock{LocalTime{}};
    auto second =
        std::make_unique<TfExpo>(main.app, TfExpoServices{cursor, clipboard, dialog, clock});
    second.reset();
    EXPECT_FALSE(WindowHarness::DropQuitRequest());
    EXPECT_TRUE(IsWindow(main.Handle()));
}

TEST(MainWindow, AgreesToEndTheSession) {
    WindowHarness w;
    EXPECT_EQ(SendMessageA(w.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_TRUE(w.box.shown.empty());
}

TEST(MainWindow, RegionalSettingsAreReadAgainOnTheirChange) {
    WindowHarness w;
    FormatSettings& fs = TfExpoTestAccess::MutableSettings(*w.form);
    const FormatSettings fromLocale = fs;
    fs.DecimalSeparator = '#';
    SendMessageA(w.Handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Other"));
    EXPECT_EQ(fs.DecimalSeparator, '#') << "another section changes nothing";
    SendMessageA(w.Handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("intl"));
    EXPECT_EQ(fs.DecimalSeparator, fromLocale.DecimalSeparator);
}

} // namespace
} // namespace pagora

namespace pagora {
namespace {

// The built program, started under another file name, as the user would.
class RunningProgram {
public:
    explicit RunningProgram(const std::string& exe) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string commandLine = "\"" + exe + "\"";
        PROCESS_INFORMATION started{};
        if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &si, &started))
            return;
        const UniqueHandle thread(started.hThread);
        process_.Reset(started.hProcess);
        processId_ = started.dwProcessId;
    }
    ~RunningProgram() {
        if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.Get(), 99);
    }

    bool Started() const { return static_cast<bool>(process_); }

    // Its main window, once the program has shown it.
    HWND WaitForWindow() const {
        for (int i = 0; i < 100; ++i) {
            WaitForInputIdle(process_.Get(), 100);
            if (HWND hwnd = FindOwnWindow(); hwnd && IsWindowVisible(hwnd))
                return hwnd;
            Sleep(50);
        }
        return nullptr;
    }

    // The exit code, or -1 when it is still running after the wait.
    long WaitForEnd(DWORD ms) const {
        DWORD code = 0;
        if (WaitForSingleObject(process_.Get(), ms) != WAIT_OBJECT_0)
            return -1;
        GetExitCodeProcess(process_.Get(), &code);
        return static_cast<long>(code);
    }

private:
    HWND FindOwnWindow() const {
        for (HWND hwnd = FindWindowExA(nullptr, nullptr, "TfExpo", nullptr); hwnd;
             hwnd = FindWindowExA(nullptr, hwnd, "TfExpo", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == processId_)
                return hwnd;
        }
        return nullptr;
    }

    UniqueHandle process_;
    DWORD processId_ = 0;
};

// pagora.exe beside this test, copied to a name of its own; "" when the
// program is not built.
std::string RenamedProgram(const char* name) {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir(self);
    dir.erase(dir.find_last_of("\\/") + 1);
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string copy = std::string(temp) + name;
    if (!CopyFileA((dir + "pagora.exe").c_str(), copy.c_str(), FALSE))
        return "";
    return copy;
}

// The built program under a name of its own, started into its window, and
// its copy removed at the end.
class Program : public ::testing::Test {
protected:
    void Start(const char* name) {
        exe_ = RenamedProgram(name);
        if (exe_.empty())
            GTEST_SKIP() << "pagora.exe is not built beside the tests";
        program_ = std::make_unique<RunningProgram>(exe_);
        ASSERT_TRUE(program_->Started());
        hwnd_ = program_->WaitForWindow();
        ASSERT_TRUE(hwnd_);
    }
    bool Ready() const { return !IsSkipped() && !HasFatalFailure(); }
    void TearDown() override {
        program_.reset();
        if (!exe_.empty())
            DeleteFileA(exe_.c_str());
    }

    std::string exe_;
    std::unique_ptr<RunningProgram> program_;
    HWND hwnd_ = nullptr;
};

TEST_F(Program, StartsIntoItsWindowAndEndsWhenTheSystemEndsTheSession) {
    Start("convertitore.exe");
    if (!Ready())
        return;
    RunningProgram& program = *program_;
    HWND hwnd = hwnd_;
    char caption[64] = "";
    GetWindowTextA(hwnd, caption, sizeof caption);
    EXPECT_STREQ(caption, "pagora") << "whatever the file is called";
    RECT r{};
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXVIRTUALSCREEN) - 353) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYVIRTUALSCREEN) - 274) / 2);

    EXPECT_EQ(SendMessageA(hwnd, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(program.WaitForEnd(0), -1) << "asking does not end it";
    SendMessageTimeoutA(hwnd, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
    EXPECT_EQ(program.WaitForEnd(5000), 0);
}

TEST_F(Program, EndsWhenItsWindowCloses) {
    Start("pagora-close.exe");
    if (!Ready())
        return;
    PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    EXPECT_EQ(program_->WaitForEnd(5000), 0);
}

} // namespace
} // namespace pagora
