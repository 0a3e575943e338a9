// What scripts/run does on a machine without a display: the real program
// beside the stand-in serving the sample price list, driven through its menu
// as a user would: import, a picture of the window, export, copy. Prints each
// outcome and the exported fragment.
//   pagora_demo.exe <output folder>
#include "Driver.h"
#include "StandIn.h"

#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

using namespace pagora::e2e;
using namespace pagora;

namespace {

// The screen as the user sees it, as a 24-bit BMP.
void SaveScreen(const std::string& path) {
    const WindowDC screen = BorrowDC(nullptr);
    const int width = GetDeviceCaps(screen.Get(), HORZRES);
    const int height = GetDeviceCaps(screen.Get(), VERTRES);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const GdiObject<HBITMAP> bitmap(
        CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const MemoryDC memory(CreateCompatibleDC(screen.Get()));
    const Selection selected = SelectInto(memory.Get(), bitmap.Get());
    BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD size = ((width * 3 + 3) & ~3) * height;
    BITMAPFILEHEADER file{0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size),
                          0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
}

// For the picture: the first two columns narrowed, as the user narrows them
// by dragging their borders, so that the record indicator stays in view;
// then three rows up and one field to the right, so that the current cell
// is one cell of its row.
void MoveToACell(Driver& app) {
    HWND grid = FindWindowExA(app.MainWindow(), nullptr, WC_LISTVIEWA, nullptr);
    SendMessageA(grid, LVM_SETCOLUMNWIDTH, 1, 64);
    SendMessageA(grid, LVM_SETCOLUMNWIDTH, 2, 190);
    for (WORD key : {VK_UP, VK_UP, VK_UP, VK_RIGHT})
        app.GridKey(key);
}

void Run(Driver& app, const char* caption, const std::string& done) {
    app.ClickMenu(caption);
    std::cout << caption << "-> " << app.WaitStatus(done, 60s) << std::endl;
}

} // namespace

int main(int argc, char** argv) try {
    const std::string folder = argc > 1 ? std::string(argv[1]) + "\\" : std::string();
    StandIn sheet(SampleSheet("listino.txt"));
    auto app = Driver::Start("pagora.exe");
    Run(app, " Importa da Excel ", "Importazione da Excel eseguita.");
    MoveToACell(app);
    Sleep(500); // let the grid paint before the picture
    SaveScreen(folder + "screenshot-import.bmp");

    app.ClickMenu(" Esporta in html ");
    if (!app.SaveDialogEnter(folder + "listino.html"))
        app.CloseMessageBox(kSaveDialogTitle, IDYES); // replace the last run's file
    std::cout << " Esporta in html -> " << app.WaitStatus("Salvataggio html eseguito.")
              << std::endl;
    Run(app, " Copia negli appunti ", "Dati copiati negli appunti.");
    std::cout << "clipboard: " << ClipboardText().value_or("").size() << " bytes" << std::endl;
    app.ClickMenu(" Esci ");
    return app.WaitExit() ? 0 : 1;
} catch (const std::exception& e) {
    std::cerr << "pagora_demo: " << e.what() << std::endl;
    return 1;
}
