// The two outputs of the table's HTML fragment: the export to a file chosen
// in the save dialog and the copy to the clipboard. Both build the fragment
// afresh and give the same bytes.
#include "HtmlFragment.h"
#include "UnitExp.h"

namespace pagora {

namespace {
constexpr char kExportFailure[] = "Salvataggio html fallito. ";
constexpr char kCopyFailure[] = "Copia negli appunti fallita. ";

// Up to and including the last '\' or ':'; empty when the name has neither.
// Taken from the wide name: a byte of a double-byte character can equal '\'.
std::wstring DirectoryOf(const std::wstring& fileName) {
    const auto end = fileName.find_last_of(L"\\:");
    return end == std::wstring::npos ? std::wstring() : fileName.substr(0, end + 1);
}
} // namespace

void TfExpo::BuildHtml() {
    pagora::BuildHtml(cds, *FHtmlLines, svc_.Clock, settings_);
}

void TfExpo::Generascript1Click(TObject* /*Sender*/) {
    if (!cds.Active()) {
        status.SetSimpleText("Nessun dato da salvare.");
        return;
    }
    status.SetSimpleText("Preparazione salvataggio html...");
    dlgSaveImport.SetInitialDir(FLastDir);
    bool confirmed = false;
    if (!Guarded(kExportFailure, [&] { confirmed = dlgSaveImport.Execute(hwnd_); }))
        return;
    if (!confirmed) {
        status.SetSimpleText("Salvataggio html annullato.");
        return;
    }
    status.SetSimpleText("Salvataggio html in corso...");
    HourGlass hourGlass(svc_.Cursor);
    Guarded(kExportFailure, [&] { WriteHtmlFile(dlgSaveImport.FileName(), hourGlass); });
}

// The whole stage is guarded: the folder's and the name's conversions fail
// here like a name the system refuses. The cursor is normal again before the
// file is closed, and so before any failure line. The success text stands
// before the close: a failing close then replaces it with the failure line.
void TfExpo::WriteHtmlFile(const std::wstring& fileName, HourGlass& hourGlass) {
    ScopeGuard closeAfterFailure([&] {
        hourGlass.Reset();
        CloseAfterFailure();
    });
    // Remembered before the file is touched, so the next dialog opens here
    // even when this export fails; a folder the code page cannot name is
    // left to the system's choice.
    FLastDir = WideToAnsiExact(DirectoryOf(fileName)).value_or(std::string());
    FHtmlFile.Bind(AnsiFileName(fileName));
    FHtmlFile.Create();
    BuildHtml();
    const std::size_t count = FHtmlLines->Count();
    for (std::size_t i = 0; i < count; ++i)
        FHtmlFile.WriteLine((*FHtmlLines)[i]);
    status.SetSimpleText("Salvataggio html eseguito.");
    closeAfterFailure.Dismiss();
    hourGlass.Reset();
    FHtmlFile.Close();
}

// The handle is released whatever happens; the failure the user reads is
// the one that stopped the export, not a repeat of it from the close.
void TfExpo::CloseAfterFailure() noexcept {
    try {
        FHtmlFile.Close();
    } catch (...) {
    }
}

void TfExpo::Copianegliappunti1Click(TObject* /*Sender*/) {
    if (!cds.Active()) {
        status.SetSimpleText("Nessun dato da copiare.");
        return;
    }
    status.SetSimpleText("Copia negli appunti in corso...");
    Guarded(kCopyFailure, [&] {
        const HourGlass hourGlass(svc_.Cursor);
        BuildHtml();
        svc_.Clipboard.SetPlainText(hwnd_, FHtmlLines->Text());
        status.SetSimpleText("Dati copiati negli appunti.");
    });
}

} // namespace pagora
