// A stand-in for pagora with the same kinds of windows (a menu bar of four
// commands, a status bar in simple mode, an owner-data grid, the common save
// dialog, a message box, the clipboard), so that the harness can be proved
// without the real program.
#include "Owner.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>
#include <fstream>
#include <string>

namespace {

enum Command { kImport = 101, kCopy, kExport, kExit };

constexpr int kRows = 3;
constexpr int kColumns = 3;
// Cells with a tab, a line break, a backslash and an & prove that any text
// survives the trip to the driver.
const char* const kTitles[kColumns] = {"Codice", "Nome", "Importo"};
const char* const kCells[kRows][kColumns] = {
    {"1", "Rossi & figli", "10,50"},
    {"2", "riga\tcon tab\ne a capo", "C:\\dati"},
    {"3", "", "-7"},
};

HWND statusBar;
HWND grid;
bool imported;

void SetStatus(const std::string& text) {
    SendMessageA(statusBar, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
}

void CreateChildren(HWND window) {
    statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                                nullptr, nullptr, nullptr);
    SendMessageA(statusBar, SB_SIMPLE, TRUE, 0);
    SetStatus("Pronto");
    grid = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA,
                           0, 0, 400, 200, window, nullptr, nullptr, nullptr);
    for (int column = 0; column < kColumns; ++column) {
        LVCOLUMNA info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH;
        info.cx = 100;
        info.pszText = const_cast<char*>(kTitles[column]);
        ListView_InsertColumn(grid, column, &info);
    }
    // The display order differs from the creation order, as after a user
    // drags a column header.
    int order[kColumns] = {1, 0, 2};
    ListView_SetColumnOrderArray(grid, kColumns, order);
}

void Import() {
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    Sleep(700); // busy like a real import: the driver must keep polling
    ListView_SetItemCountEx(grid, kRows, 0);
    ListView_SetItemState(grid, 1, LVIS_FOCUSED, LVIS_FOCUSED);
    imported = true;
    // The wait cursor is left on purpose, for the harness to observe; the
    // copy command puts the arrow back.
    SetStatus("Importazione da Excel eseguita.");
}

void Copy(HWND window) {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    if (!imported) {
        MessageBoxA(window, "Nessun dato da copiare.", "pagora", MB_ICONERROR);
        return;
    }
    const std::string text = "Codice\tNome\tImporto\r\n1\tRossi & figli\t10,50\r\n";
    if (!OpenClipboard(window))
        return SetStatus("Copia non riuscita.");
    const pagora::ScopeGuard closing([] { CloseClipboard(); });
    pagora::GlobalBlock memory(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    if (!memory)
        return SetStatus("Copia non riuscita.");
    std::memcpy(GlobalLock(memory.Get()), text.c_str(), text.size() + 1);
    GlobalUnlock(memory.Get());
    EmptyClipboard();
    if (SetClipboardData(CF_TEXT, memory.Get()))
        memory.Release(); // the clipboard owns it from here
    SetStatus("Copiato negli appunti.");
}

void Export(HWND window) {
    char path[MAX_PATH] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFilter = "html\0*.html\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.lpstrTitle = "Salva html";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    if (!GetSaveFileNameA(&dialog))
        return SetStatus("Esportazione annullata.");
    std::ofstream file(path, std::ios::binary);
    if (!(file << "<table></table>"))
        return SetStatus("Esportazione non riuscita.");
    SetStatus(std::string("Esportato in ") + path);
}

void OnCommand(HWND window, int id) {
    switch (id) {
    case kImport:
        return Import();
    case kCopy:
        return Copy(window);
    case kExport:
        return Export(window);
    case kExit:
        DestroyWindow(window);
    }
}

void OnGetDispInfo(NMLVDISPINFOA* info) {
    LVITEMA& item = info->item;
    if ((item.mask & LVIF_TEXT) && item.iItem >= 0 && item.iItem < kRows && item.iSubItem >= 0 &&
        item.iSubItem < kColumns)
        lstrcpynA(item.pszText, kCells[item.iItem][item.iSubItem], item.cchTextMax);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateChildren(window);
        return 0;
    case WM_SIZE:
        SendMessageA(statusBar, WM_SIZE, 0, 0);
        MoveWindow(grid, 0, 0, LOWORD(lParam), HIWORD(lParam) - 24, TRUE);
        return 0;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        return 0;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOA)
            OnGetDispInfo(reinterpret_cast<NMLVDISPINFOA*>(lParam));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HMENU CreateMenuBar() {
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_STRING, kImport, " &Importa da Excel ");
    AppendMenuA(bar, MF_STRING, kCopy, " &Copia negli appunti ");
    AppendMenuA(bar, MF_STRING, kExport, " &Esporta in html ");
    AppendMenuA(bar, MF_STRING, kExit, " E&sci ");
    return bar;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "PagoraFakeTarget";
    RegisterClassA(&windowClass);
    HWND window =
        CreateWindowExA(0, "PagoraFakeTarget", "pagora fake", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 640, 480, nullptr, CreateMenuBar(), instance, nullptr);
    ShowWindow(window, show);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
