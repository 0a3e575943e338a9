// The status line: a status bar in simple mode whose one text carries every
// command's outcome.
#pragma once

#include <windows.h>

#include <string>

namespace pagora {

class TStatusBar {
public:
    TStatusBar() = default;
    TStatusBar(const TStatusBar&) = delete;
    TStatusBar& operator=(const TStatusBar&) = delete;

    // Builds the control along the bottom edge of the parent, with a size
    // grip, in simple mode, with an empty text. The parent destroys it.
    void Create(HWND parent, int id);
    HWND Handle() const { return hwnd_; }

    // Replaces the text; the same text again changes nothing. Processes no
    // messages: a command goes on at once.
    void SetSimpleText(const std::string& text);
    // The text as written, line breaks included: the control itself shows
    // control characters as blanks and would answer with those.
    const std::string& SimpleText() const { return text_; }

    // Follows the parent's new size; returns the height it takes.
    int Realign();

private:
    HWND hwnd_ = nullptr;
    std::string text_;
};

} // namespace pagora
