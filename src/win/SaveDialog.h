// The modal save dialog of the export: the system's Save As dialog with the
// main window's fixed settings. It keeps the name and the filter chosen last,
// so that the next dialog starts with them.
#pragma once

#include "Ports.h"

#include <commdlg.h>

#include <string>
#include <string_view>

namespace pagora {

namespace save_dialog {
inline constexpr char kTitle[] = "Salva html";
inline constexpr char kDefaultExt[] = "html";
// Pairs of description and pattern, separated by '|'.
inline constexpr std::string_view kFilter =
    "Documento web (*.html)|*.html|Documento di testo (*.txt)|*.txt|Tutti i file (*.*)|*.*";
inline constexpr DWORD kOptions = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                                  OFN_NOREADONLYRETURN | OFN_ENABLESIZING | OFN_EXPLORER;
} // namespace save_dialog

class TSaveDialog : public SaveDialogPort {
public:
    TSaveDialog();

    void SetInitialDir(const std::string& dir) override { initialDir_ = dir; }
    const std::string& InitialDir() const { return initialDir_; }
    // False when the user cancelled or closed the dialog (or it could not be shown).
    bool Execute(HWND owner) override;
    const std::string& FileName() const override { return fileName_; }
    DWORD FilterIndex() const { return filterIndex_; }

private:
    std::string filter_; // kFilter in the system's form: NUL separated, NUL NUL at the end
    std::string initialDir_;
    std::string fileName_;
    DWORD filterIndex_ = 1;
};

} // namespace pagora
