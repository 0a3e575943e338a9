// A GDI font owned by the window that uses it.
#pragma once

#include <windows.h>

#include <string>

namespace pagora {

class TFont {
public:
    TFont(const std::string& face, int height);
    ~TFont();
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;
    HFONT Handle() const { return font_; }

private:
    HFONT font_;
};

// The font a device context holds for the lifetime of the guard.
class SelectedFont {
public:
    SelectedFont(HDC dc, HFONT font) : dc_(dc), old_(SelectObject(dc, font)) {}
    ~SelectedFont() { SelectObject(dc_, old_); }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A window's device context for the lifetime of the guard.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDC() { ReleaseDC(hwnd_, dc_); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Handle() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

} // namespace pagora
