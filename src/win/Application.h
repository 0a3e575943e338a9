// The application object: the OLE run-time of the main thread, the title,
// the main window, the message loop and the default exception display that
// shows a failure which left a message handler uncaught.
#pragma once

#include "OleUtil.h"
#include "Ports.h"

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace pagora {

// What the application needs of its main window.
class TForm {
public:
    virtual ~TForm() = default;
    virtual HWND Handle() const = 0;
    virtual void Show() = 0;
};

// The real error box: modal, owned by the given window.
class TMessageBox : public MessageBoxPort {
public:
    void ShowError(HWND owner, const std::string& caption, const std::string& text) override;
};

class TApplication {
public:
    // Without a box of its own the application shows the real one.
    explicit TApplication(MessageBoxPort* errorBox = nullptr);
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Initialises OLE for this thread (single-threaded apartment); a failure
    // is not reported, and OLE is released at the end only if it started.
    void Initialize();
    bool OleInitialized() const;

    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    // The first form that registers becomes the main form; destroying the
    // main form's window ends the message loop.
    void RegisterForm(TForm& form);
    void UnregisterForm(TForm& form);
    void FormDestroyed(HWND hwnd);
    HWND MainHandle() const;

    // Shows the main form and dispatches messages until the quit request.
    void Run();

    // What to do when the system ends the session: the program's end step.
    void SetEndStep(std::function<void()> endStep) { endStep_ = std::move(endStep); }
    [[noreturn]] void EndSession();

    // The default exception display. Never throws.
    void HandleException(const std::exception& failure) noexcept;
    void HandleException(const std::exception_ptr& failure) noexcept;

private:
    std::unique_ptr<OleInitGuard> ole_;
    std::string title_;
    TMessageBox realBox_;
    MessageBoxPort& errorBox_;
    TForm* mainForm_ = nullptr;
    std::function<void()> endStep_;
};

// Runs a message handler so that no exception leaves it: a failure goes to
// the default exception display and the handler answers `onFailure`.
template <class Handler>
LRESULT Guarded(TApplication& app, LRESULT onFailure, Handler&& handler) noexcept {
    try {
        return handler();
    } catch (...) {
        app.HandleException(std::current_exception());
        return onFailure;
    }
}

} // namespace pagora
