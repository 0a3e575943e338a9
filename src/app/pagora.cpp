// The program entry: the application object, the main window, the message
// loop, and the end.
#include "Application.h"
#include "Clipboard.h"
#include "Cursor.h"
#include "Locale.h"
#include "SaveDialog.h"
#include "UnitExp.h"

#include <windows.h>

#include <memory>

namespace pagora {
namespace {

// The real things the window reaches; they live as long as the program.
struct RealServices {
    TScreenCursor cursor;
    TClipboard clipboard;
    TSaveDialog saveDialog;
    SystemClock clock;
    TfExpoServices Ports() { return {cursor, clipboard, saveDialog, clock}; }
};

// In this order, so that they end in the reverse one: the window first, the
// application (and with it OLE) last.
TApplication Application;
RealServices services;
std::unique_ptr<TfExpo> fExpo;

#ifdef PAGORA_VALUE_WITHOUT_ARGUMENT
constexpr ValueCall kValueCall = ValueCall::NoArgument; // pagora2000
#else
constexpr ValueCall kValueCall = ValueCall::WithValueType;
#endif

// Also the end step when the system ends the session: the window goes, its
// components with it.
void DestroyMainWindow() {
    fExpo.reset();
}

int Main() {
    Application.Initialize();
    Application.SetTitle("pagora");
    fExpo = std::make_unique<TfExpo>(Application, services.Ports(), kValueCall);
    Application.SetEndStep(DestroyMainWindow);
    Application.Run();
    DestroyMainWindow();
    return 0;
}

} // namespace
} // namespace pagora

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        return pagora::Main();
    } catch (...) {
        pagora::Application.HandleException(std::current_exception());
        return 1;
    }
}
