// The narrow interfaces through which the main window reaches everything
// that blocks or touches the system. The program wires in the real ones;
// in-process tests put fakes in their place.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace pagora {

// The modal save dialog (the real one is TSaveDialog over GetSaveFileNameA).
class SaveDialogPort {
public:
    virtual ~SaveDialogPort() = default;
    virtual void SetInitialDir(const std::string& dir) = 0;
    virtual bool Execute(HWND owner) = 0;              // true when a name was confirmed
    virtual const std::string& FileName() const = 0;   // full path after a confirmed dialog
};

// The system clipboard: places the text as the only content, CF_TEXT.
// A refusal to open raises Exception "Cannot open clipboard".
class ClipboardPort {
public:
    virtual ~ClipboardPort() = default;
    virtual void SetPlainText(HWND owner, std::string_view text) = 0;
};

// The modal error box of the default exception display.
class MessageBoxPort {
public:
    virtual ~MessageBoxPort() = default;
    virtual void ShowError(HWND owner, const std::string& caption, const std::string& text) = 0;
};

// The screen cursor: the hourglass while a command works.
class CursorPort {
public:
    virtual ~CursorPort() = default;
    virtual void SetHourGlass() = 0;
    virtual void SetDefault() = 0;
};

} // namespace pagora
