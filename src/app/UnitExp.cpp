#include "UnitExp.h"

#include "Exceptions.h"
#include "Locale.h"
#include "Reporting.h"

#include <commctrl.h>

#include <array>
#include <cstring>

namespace pagora {

namespace {

// The window description: sizes in pixels at 96 dots per inch.
constexpr char kClassName[] = "TfExpo";
constexpr int kLeft = 423, kTop = 207; // replaced by the centring
constexpr int kWidth = 353, kHeight = 274;
constexpr char kFontFace[] = "MS Sans Serif";
constexpr int kFontHeight = -11;
constexpr int kIconId = 1; // the program's icon in pagora.rc
constexpr int kStatusId = 100, kGridId = 101;

enum : UINT { cmImporta = 1, cmCopia, cmEsporta, cmEsci };

} // namespace

// The window procedure's entry: finds the form of the window and runs its
// WindowProc so that no exception leaves the callback.
class TfExpoWindow {
public:
    static void Register();
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

void TfExpoWindow::Register() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (GetClassInfoExA(instance, kClassName, &wc))
        return;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconId));
    wc.hIconSm = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(kIconId), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExA(&wc))
        throw Exception("The main window's class cannot be registered");
}

LRESULT CALLBACK TfExpoWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TfExpo*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TfExpo*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!form)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        form->hwnd_ = nullptr;
    }
    return Guarded(form->app_, 0, [&] { return form->WindowProc(message, wParam, lParam); });
}

TfExpo::TfExpo(TApplication& application, const TfExpoServices& services, ValueCall valueCall)
    : app_(application), svc_(services),
      settings_(ReadFormatSettings()), env_{&settings_, &svc_.Clock, SameTextLocale,
                                            AnsiPrefixLength},
      font_(NewFont(kFontFace, kFontHeight)),
      dlgSaveImport(services.SaveDialog), Importa1{cmImporta, " Importa da Excel ",
                                                   Handler(&TfExpo::mnuImportadaExcelClick)},
      Esporta1{cmEsporta, " Esporta in html ", Handler(&TfExpo::Generascript1Click)},
      Esci1{cmEsci, " Esci ", Handler(&TfExpo::cmdEsciClick)}, xlApp(valueCall), ds(cds),
      cds(env_), Copianegliappunti1{cmCopia, " Copia negli appunti ",
                                    Handler(&TfExpo::Copianegliappunti1Click)} {
    CreateHandle();
    try {
        BuildComponents();
        app_.RegisterForm(*this);
        FormCreate(this);
    } catch (...) {
        DestroyWindow(hwnd_);
        app_.UnregisterForm(*this);
        throw;
    }
}

std::function<void(TObject*)> TfExpo::Handler(void (TfExpo::*handler)(TObject*)) {
    return [this, handler](TObject* sender) { (this->*handler)(sender); };
}

TfExpo::~TfExpo() {
    if (hwnd_)
        DestroyWindow(hwnd_); // runs FormDestroy
    app_.UnregisterForm(*this);
}

void TfExpo::CreateHandle() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    TfExpoWindow::Register();
    // No scroll bars: WS_HSCROLL and WS_VSCROLL are left out.
    CreateWindowExA(0, kClassName, "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, kLeft, kTop, kWidth,
                    kHeight, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    if (!hwnd_)
        throw Exception("The main window cannot be created");
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
}

// The components in the order the description builds them, links included.
void TfExpo::BuildComponents() {
    status.Create(hwnd_, kStatusId);
    grd.Create(hwnd_, kGridId, font_.Get());
    BuildMenu();
    grd.SetDataSource(&ds);
    OnSize();
}

std::array<TMenuItem*, 4> TfExpo::MenuItems() {
    return {&Importa1, &Copianegliappunti1, &Esporta1, &Esci1};
}

void TfExpo::BuildMenu() {
    std::vector<std::string> captions;
    for (const TMenuItem* item : MenuItems())
        captions.emplace_back(item->Caption);
    const std::vector<std::string> shown = WithAccessKeys(captions);
    for (std::size_t i = 0; i < shown.size(); ++i)
        AppendMenuA(MainMenu1.Get(), MF_STRING, MenuItems()[i]->Command, shown[i].c_str());
    if (!SetMenu(hwnd_, MainMenu1.Get()))
        throw Exception("The menu bar cannot be attached");
    MainMenu1.Release(); // the window destroys it from here
}

void TfExpo::Show() {
    FormShow(this);
    if (!shown_) {
        CentreOnDesktop();
        shown_ = true;
    }
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
}

// On the area of all monitors together, counted from the primary screen's
// top-left corner; the halves are truncated toward zero.
void TfExpo::CentreOnDesktop() {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const int left = (GetSystemMetrics(SM_CXVIRTUALSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYVIRTUALSCREEN) - height) / 2;
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TfExpo::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY:
        if (LRESULT result = 0; grd.HandleNotify(*reinterpret_cast<NMHDR*>(lParam), result))
            return result;
        break;
    case WM_SETFOCUS:
        SetFocus(grd.Handle()); // the only control that takes the keyboard
        return 0;
    case WM_SETTINGCHANGE:
        OnSettingChange(reinterpret_cast<const char*>(lParam));
        break;
    case WM_QUERYENDSESSION:
        return TRUE; // the program agrees without a question
    case WM_ENDSESSION:
        if (wParam)
            app_.EndSession(); // the end step at once; does not return
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void TfExpo::OnCommand(UINT command) {
    for (TMenuItem* item : MenuItems())
        if (item->Command == command)
            return item->OnClick(item);
}

// The status line keeps its height along the bottom edge; the grid takes
// the rest of the client area.
void TfExpo::OnSize() {
    if (!status.Handle() || !grd.Handle())
        return;
    const int statusHeight = status.Realign();
    RECT client{};
    GetClientRect(hwnd_, &client);
    MoveWindow(grd.Handle(), 0, 0, client.right, std::max(0L, client.bottom - statusHeight), TRUE);
}

void TfExpo::OnSettingChange(const char* section) {
    if (!section || lstrcmpiA(section, "intl") != 0)
        return;
    settings_ = ReadFormatSettings();
    InvalidateRect(grd.Handle(), nullptr, FALSE); // numbers and dates read anew
}

void TfExpo::OnDestroy() {
    if (destroyed_)
        return;
    destroyed_ = true;
    FormDestroy(this);
    grd.SetDataSource(nullptr); // the grid's window goes now; the table stays
    app_.FormDestroyed(hwnd_);
}

void TfExpo::FormCreate(TObject* /*Sender*/) {
    SetWindowTextA(hwnd_, app_.Title().c_str());
    FHtmlLines = std::make_unique<TStringList>();
}

void TfExpo::FormDestroy(TObject* /*Sender*/) {
    FHtmlLines.reset();
}

void TfExpo::FormShow(TObject* /*Sender*/) {}

void TfExpo::cmdEsciClick(TObject* /*Sender*/) {
    SendMessageA(hwnd_, WM_CLOSE, 0, 0);
}

} // namespace pagora
