// Drives a real program from outside, as a user would: menu commands, the
// status line, the grid, the save dialog, message boxes and the clipboard.
// What only the program's own thread can read comes through
// pagora_probe.dll, which the program loads when the driver hooks its
// thread; everything else uses ordinary window messages.
//
//   auto app = Driver::Start("pagora.exe");
//   app.ClickMenu(" Importa da Excel ");
//   EXPECT_EQ(app.WaitStatus("Importazione da Excel eseguita."), "...");
//
// Every wait is bounded; a program still running when its Driver goes away
// is closed, and killed if it does not end.
#pragma once

#include "Clipboard.h"
#include "GridPicture.h"
#include "Handles.h"
#include "Harness.h"
#include "ProbeProtocol.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pagora::e2e {

inline constexpr char kSaveDialogTitle[] = "Salva html";
inline constexpr char kMessageBoxCaption[] = "pagora";

struct MenuItem {
    std::string text; // as GetMenuStringA gives it, with the & marks
    int id;           // -1 for a pop-up
    bool enabled;
};

enum class Cursor { None, Arrow, Wait, Other };

struct WindowInfo {
    std::string caption;
    RECT rect;
    SIZE desktop;
    Cursor cursor;
};

struct GridView {
    std::vector<std::string> columns; // the fields' titles in display order
    bool indicator;                   // an untitled record indicator comes first
    int itemCount;
    int focused;        // -1 when no row has the focus
    int selectedColumn; // the list view's selected column, -1 for none
    // The rows asked for, in the order asked; cells in display order.
    std::vector<std::vector<std::string>> rows;
};

struct StartOptions {
    std::string arguments{};
    std::string workingDirectory{}; // empty: the driver's own
    std::string mainCaption{};      // empty: the first captioned top-level window
    Timeout timeout = kDefaultTimeout;
};

class Driver {
public:
    // A relative program path is taken from the test executable's folder.
    static Driver Start(const std::string& program, const StartOptions& options = {});

    Driver(Driver&&) noexcept = default;
    Driver& operator=(Driver&&) = delete;
    ~Driver();

    DWORD ProcessId() const { return processId_; }
    HWND MainWindow() const { return window_; }

    std::vector<MenuItem> Menu();
    // Posts the item's command and returns at once: the command may open a
    // modal dialog or a message box. A caption matches with or without its
    // & marks; a disabled item, or any item while a modal window is open,
    // cannot be clicked.
    void ClickMenu(std::string_view caption);
    void ClickMenu(int index);

    std::string StatusText();
    // Both return the last status text seen: the expected one, or whatever
    // was there when the time ran out.
    std::string WaitStatus(std::string_view expected, Timeout timeout = kDefaultTimeout);
    std::string WaitStatus(const std::function<bool(const std::string&)>& done,
                           Timeout timeout = kDefaultTimeout);

    GridView Grid(); // every row
    GridView Grid(const std::vector<int>& rows);
    // What the grid draws, read from its pixels (GridPicture.h).
    GridPicture DrawnGrid();
    // The user's input to the grid: a key; a click in the middle of a cell
    // of a row in view; a title dragged with the mouse from near the left
    // edge of one column to the left edge of another. Columns are the list
    // view's, the indicator's included.
    void GridKey(WORD key);
    void ClickCell(int row, int column);
    void DragTitle(int from, int to);
    WindowInfo Window();

    // Dialogs and message boxes of this program only, whatever is in front.
    HWND FindDialog(std::string_view title = kSaveDialogTitle, Timeout timeout = kDefaultTimeout);
    // Both return whether the dialog went away; false at once when it opens
    // a prompt instead (FindMessageBox(title) reads it).
    bool SaveDialogEnter(const std::string& path, std::string_view title = kSaveDialogTitle,
                         Timeout timeout = kDefaultTimeout);
    // The name typed in its wide form, as a user types characters that the
    // code page may lack.
    bool SaveDialogEnter(const std::wstring& path, std::string_view title = kSaveDialogTitle,
                         Timeout timeout = kDefaultTimeout);
    bool SaveDialogCancel(std::string_view title = kSaveDialogTitle,
                          Timeout timeout = kDefaultTimeout);
    std::optional<std::string> FindMessageBox(std::string_view caption = kMessageBoxCaption,
                                              Timeout timeout = kDefaultTimeout);
    bool CloseMessageBox(std::string_view caption = kMessageBoxCaption, int button = IDOK,
                         Timeout timeout = kDefaultTimeout);

    // WM_CLOSE to the main window; kills the program if it has not ended in
    // time. True when it ended by itself.
    bool Close(Timeout timeout = kDefaultTimeout);
    bool WaitExit(Timeout timeout = kDefaultTimeout);
    std::optional<DWORD> ExitCode() const; // empty while running
    void Kill();

private:
    Driver() = default;
    void Attach(const StartOptions& options);
    std::vector<Record> Ask(const std::string& request);
    std::optional<std::vector<Record>> TryAsk(const std::string& request, Timeout timeout);
    void Click(const MenuItem& item);
    GridView ReadGrid(const std::string& request);
    HWND GridWindow() const;
    bool DismissDialog(HWND dialog, int button, Timeout timeout);

    UniqueHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
    ProbeChannel channel_;
    UniqueHook hook_;
    LONG lastRequest_ = 0;
};

} // namespace pagora::e2e
