// The main window: the menu bar with the four commands, the grid that shows
// the in-memory table, and the status line that carries every outcome.
#pragma once

#include "Application.h"
#include "ClientDataSet.h"
#include "Clock.h"
#include "Cursor.h"
#include "ExcelApplication.h"
#include "Font.h"
#include "FormatSettings.h"
#include "Grid.h"
#include "OleUtil.h"
#include "Owner.h"
#include "Ports.h"
#include "Reporting.h"
#include "StatusBar.h"
#include "StringList.h"
#include "TextFile.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>

namespace pagora {

// Handlers receive the component that raised the event; none of them reads
// it, so it travels untyped.
using TObject = void;

// Everything the window reaches that blocks or touches the system. The
// program wires in the real ones, in-process tests put fakes here.
struct TfExpoServices {
    CursorPort& Cursor;
    ClipboardPort& Clipboard;
    SaveDialogPort& SaveDialog;
    const pagora::Clock& Clock;
};

struct TMenuItem {
    UINT Command;        // WM_COMMAND identifier
    const char* Caption; // as the user reads it, without the key's mark
    std::function<void(TObject* Sender)> OnClick;
};

class TfExpo : public TForm {
public:
    // `valueCall`: how the import asks for the region's values; the only
    // difference between the two deliverables.
    TfExpo(TApplication& application, const TfExpoServices& services,
           ValueCall valueCall = ValueCall::WithValueType);
    ~TfExpo() override;
    TfExpo(const TfExpo&) = delete;
    TfExpo& operator=(const TfExpo&) = delete;

    HWND Handle() const override { return hwnd_; }
    // Runs FormShow, centres the window on the desktop the first time, shows it.
    void Show() override;

private:
    friend class TfExpoWindow;      // the window procedure's entry
    friend struct TfExpoTestAccess; // in-process tests look inside

    // What the window owns besides its components; declared first because
    // the table reads the settings, the clock and SameText through env_ for
    // as long as it lives.
    TApplication& app_;
    TfExpoServices svc_; // cursor, clipboard, clock; the dialog is dlgSaveImport
    FormatSettings settings_;
    TableEnvironment env_;
    TFont font_;

    // Components, in the window description's declaration order.
    TStatusBar status;
    UniqueMenu MainMenu1{CreateMenu()}; // until the window takes it over
    SaveDialogPort& dlgSaveImport;
    TMenuItem Importa1;
    TMenuItem Esporta1;
    TMenuItem Esci1;
    TExcelApplication xlApp; // attached only during an import
    TDBGrid grd;
    TDataSource ds;
    TClientDataSet cds;
    TMenuItem Copianegliappunti1;

    std::string FLastDir;
    TTextFile FHtmlFile;
    std::unique_ptr<TStringList> FHtmlLines;

    // Event handlers.
    void FormCreate(TObject* Sender);
    void FormDestroy(TObject* Sender);
    void FormShow(TObject* Sender);
    void cmdEsciClick(TObject* Sender);
    void mnuImportadaExcelClick(TObject* Sender);
    void Copianegliappunti1Click(TObject* Sender);
    void Generascript1Click(TObject* Sender);

    // Runs a command's guarded stage. A failure of the general class (memory
    // exhaustion reaches the user as EOutOfMemory) becomes the command's
    // failure line after the stage's own clean-up has run; any other kind
    // goes on. Returns whether the stage ran to its end.
    template <class Work> bool Guarded(std::string_view failurePrefix, Work&& work);

    // The import's stages.
    struct SheetRegion {
        std::int32_t RowCount = 0;
        std::int32_t ColumnCount = 0;
        Variant Values;
    };
    SheetRegion ReadRegion(LCID lcid);
    void RestoreApplication(LCID lcid);
    void ResetTable();
    // The fragment and the export's file.
    void BuildHtml();
    void WriteHtmlFile(const std::wstring& fileName, HourGlass& hourGlass);
    void CloseAfterFailure() noexcept;

    // The window.
    std::function<void(TObject*)> Handler(void (TfExpo::*handler)(TObject*));
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateHandle();
    void BuildComponents();
    void BuildMenu();
    std::array<TMenuItem*, 4> MenuItems(); // in menu order
    void OnCommand(UINT command);
    void OnSize();
    void OnSettingChange(const char* section);
    void OnDestroy();
    void CentreOnDesktop();

    HWND hwnd_ = nullptr;
    bool shown_ = false;
    bool destroyed_ = false;
};

template <class Work> bool TfExpo::Guarded(std::string_view failurePrefix, Work&& work) {
    try {
        work();
        return true;
    } catch (const Exception& failure) {
        status.SetSimpleText(FailureLine(failurePrefix, failure));
    } catch (const std::bad_alloc&) {
        status.SetSimpleText(FailureLine(failurePrefix, EOutOfMemory("Out of memory")));
    }
    return false;
}

} // namespace pagora
