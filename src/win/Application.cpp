#include "Application.h"

#include "Exceptions.h"
#include "Reporting.h"

#include <cstdlib>
#include <new>

namespace pagora {

void TMessageBox::ShowError(HWND owner, const std::string& caption, const std::string& text) {
    MessageBoxA(owner, text.c_str(), caption.c_str(), MB_ICONERROR | MB_OK);
}

TApplication::TApplication(MessageBoxPort* errorBox) : errorBox_(errorBox ? *errorBox : realBox_) {}

TApplication::~TApplication() = default;

void TApplication::Initialize() {
    if (!ole_)
        ole_ = std::make_unique<OleInitGuard>();
}

bool TApplication::OleInitialized() const {
    return ole_ && ole_->Succeeded();
}

void TApplication::RegisterForm(TForm& form) {
    if (!mainForm_)
        mainForm_ = &form;
}

void TApplication::UnregisterForm(TForm& form) {
    if (mainForm_ == &form)
        mainForm_ = nullptr;
}

void TApplication::FormDestroyed(HWND hwnd) {
    if (mainForm_ && hwnd == mainForm_->Handle())
        PostQuitMessage(0);
}

HWND TApplication::MainHandle() const {
    return mainForm_ ? mainForm_->Handle() : nullptr;
}

void TApplication::Run() {
    if (mainForm_)
        Guarded(*this, 0, [this] {
            mainForm_->Show();
            return LRESULT{0};
        });
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TApplication::EndSession() {
    if (endStep_)
        endStep_();
    std::exit(0); // the statics, OLE's guard among them, go on the way out
}

namespace {

// What the box shows of a failure that is not one of the program's own.
std::string MessageOf(const std::exception& failure) {
    if (auto* own = dynamic_cast<const Exception*>(&failure))
        return own->Message();
    if (dynamic_cast<const std::bad_alloc*>(&failure))
        return EOutOfMemory("Out of memory").Message();
    return failure.what();
}

// A window that holds the mouse capture gives it up, so the box gets the
// mouse. GetCapture only answers for this thread's windows, which are ours.
void CancelCaptureMode() {
    if (HWND capture = GetCapture())
        SendMessageA(capture, WM_CANCELMODE, 0, 0);
}

} // namespace

void TApplication::HandleException(const std::exception& failure) noexcept {
    try {
        CancelCaptureMode();
        errorBox_.ShowError(MainHandle(), title_, DefaultDisplayText(MessageOf(failure)));
    } catch (...) {
        // Nothing is left to show a failure of the display itself with.
    }
}

void TApplication::HandleException(const std::exception_ptr& failure) noexcept {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        HandleException(e);
    } catch (...) {
        HandleException(Exception("Unknown exception"));
    }
}

} // namespace pagora
