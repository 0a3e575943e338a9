// The modal save dialog of the export: the system's Save As dialog with the
// main window's fixed settings. It keeps the name and the filter chosen last,
// so that the next dialog starts with them.
#pragma once

#include "Ports.h"

#include <commdlg.h>

#include <functional>
#include <string>
#include <string_view>

namespace pagora {

namespace save_dialog {
inline constexpr wchar_t kTitle[] = L"Salva html";
inline constexpr wchar_t kDefaultExt[] = L"html";
// Pairs of description and pattern, separated by '|'.
inline constexpr std::wstring_view kFilter =
    L"Documento web (*.html)|*.html|Documento di testo (*.txt)|*.txt|Tutti i file (*.*)|*.*";
inline constexpr DWORD kOptions = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                                  OFN_NOREADONLYRETURN | OFN_ENABLESIZING | OFN_EXPLORER;
} // namespace save_dialog

// The two system calls the dialog makes; tests put their own in place.
struct SaveDialogCalls {
    std::function<BOOL(OPENFILENAMEW&)> Show = [](OPENFILENAMEW& ofn) {
        return GetSaveFileNameW(&ofn);
    };
    std::function<DWORD()> ExtendedError = [] { return CommDlgExtendedError(); };
};

class TSaveDialog : public SaveDialogPort {
public:
    explicit TSaveDialog(SaveDialogCalls calls = {});

    void SetInitialDir(const std::string& dir) override { initialDir_ = dir; }
    const std::string& InitialDir() const { return initialDir_; }
    // The dialog in its wide form, so that the name comes back as the user
    // typed it, not as a look-alike in the code page. False when the user
    // cancelled or closed it; a dialog that failed raises Exception.
    bool Execute(HWND owner) override;
    const std::wstring& FileName() const override { return fileName_; }
    DWORD FilterIndex() const { return filterIndex_; }

private:
    SaveDialogCalls calls_;
    std::wstring filter_; // kFilter in the system's form: NUL separated, NUL NUL at the end
    std::string initialDir_;
    std::wstring fileName_;
    DWORD filterIndex_ = 1;
};

} // namespace pagora
