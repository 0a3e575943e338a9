// The narrow interfaces through which the main window reaches everything
// that blocks or touches the system. The program wires in the real ones;
// in-process tests put fakes in their place.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace pagora {

// The modal save dialog (the real one is TSaveDialog over GetSaveFileNameW).
// Execute is true when a name was confirmed, false when the user cancelled
// or closed the dialog, and raises Exception when the dialog failed. The
// name is the full path in its wide form, as the user typed it.
class SaveDialogPort {
public:
    virtual ~SaveDialogPort() = default;
    virtual void SetInitialDir(const std::string& dir) = 0;
    virtual bool Execute(HWND owner) = 0;
    virtual const std::wstring& FileName() const = 0;
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
