// Fakes of the window's ports and a way into the main window, shared by the
// in-process tests of the program's frame.
#pragma once

#include "Application.h"
#include "Clock.h"
#include "Ports.h"
#include "UnitExp.h"

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace pagora {

struct FakeMessageBox : MessageBoxPort {
    struct Shown {
        HWND owner;
        std::string caption, text;
    };
    std::vector<Shown> shown;
    void ShowError(HWND owner, const std::string& caption, const std::string& text) override {
        shown.push_back({owner, caption, text});
    }
};

struct FakeCursor : CursorPort {
    std::vector<std::string> calls;
    void SetHourGlass() override { calls.push_back("hourglass"); }
    void SetDefault() override { calls.push_back("default"); }
};

struct FakeClipboard : ClipboardPort {
    std::string text;
    bool refuse = false; // as when another program holds the clipboard open
    void SetPlainText(HWND, std::string_view t) override {
        if (refuse)
            throw Exception("Cannot open clipboard");
        text = t;
    }
};

// Confirms fileName (ANSI) or, when set, typedName (a name the code page may
// lack); cancels when both are empty; fails as the system's dialog can.
struct FakeSaveDialog : SaveDialogPort {
    std::string initialDir, fileName;
    std::wstring typedName;
    bool fail = false;
    int executed = 0;
    void SetInitialDir(const std::string& dir) override { initialDir = dir; }
    bool Execute(HWND) override {
        ++executed;
        if (fail)
            throw Exception("The save dialog failed (dialog error 0x3003)");
        confirmed_ = typedName.empty() ? AnsiToWide(fileName) : typedName;
        return !confirmed_.empty();
    }
    const std::wstring& FileName() const override { return confirmed_; }

private:
    std::wstring confirmed_;
};

struct TfExpoTestAccess {
    static TStatusBar& Status(TfExpo& f) { return f.status; }
    static TClientDataSet& Table(TfExpo& f) { return f.cds; }
    static TDBGrid& Grid(TfExpo& f) { return f.grd; }
    static TMenuItem& Importa(TfExpo& f) { return f.Importa1; }
    static TStringList* HtmlLines(TfExpo& f) { return f.FHtmlLines.get(); }
    static const FormatSettings& Settings(TfExpo& f) { return f.settings_; }
    static FormatSettings& MutableSettings(TfExpo& f) { return f.settings_; }
};

// The real main window with fake ports, as the program entry builds it.
struct WindowHarness {
    FakeMessageBox box;
    FakeCursor cursor;
    FakeClipboard clipboard;
    FakeSaveDialog dialog;
    FixedClock clock{LocalTime{2026, 3, 15, 10, 30, 0, 0}};
    TApplication app{&box};
    std::unique_ptr<TfExpo> form;

    WindowHarness() {
        app.SetTitle("pagora");
        form = std::make_unique<TfExpo>(app, TfExpoServices{cursor, clipboard, dialog, clock});
    }
    ~WindowHarness() {
        form.reset();
        DropQuitRequest();
    }
    HWND Handle() const { return form->Handle(); }
    HWND GridHandle() const { return TfExpoTestAccess::Grid(*form).Handle(); }
    TClientDataSet& Table() const { return TfExpoTestAccess::Table(*form); }

    // A quit request left in the queue would end the next test's loops.
    static bool DropQuitRequest() {
        MSG msg;
        return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    }
};

// What the grid shows, read through the list view as a user's screen would.
inline int ColumnCount(HWND grid) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(grid, LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
}

inline std::vector<std::string> ColumnTitles(HWND grid) {
    std::vector<std::string> titles;
    for (int i = 0; i < ColumnCount(grid); ++i) {
        char buffer[256] = "";
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = buffer;
        column.cchTextMax = sizeof buffer;
        SendMessageA(grid, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
        titles.emplace_back(buffer);
    }
    return titles;
}

inline std::string CellOf(HWND grid, int row, int column) {
    char buffer[512] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(grid, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

inline int RowCount(HWND grid) {
    return static_cast<int>(SendMessageA(grid, LVM_GETITEMCOUNT, 0, 0));
}

inline int FocusedRow(HWND grid) {
    return static_cast<int>(SendMessageA(grid, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
}

} // namespace pagora
