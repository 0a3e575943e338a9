// The import command: attach to the running spreadsheet application, read the
// current region around A1 in one value array, let the application go, and
// load the array into the table.
#include "RegionLoader.h"
#include "UnitExp.h"

namespace pagora {

namespace {
constexpr char kImportFailure[] = "Importazione da Excel fallita. ";
} // namespace

void TfExpo::mnuImportadaExcelClick(TObject* /*Sender*/) {
    status.SetSimpleText("Importazione da Excel in corso...");
    const LCID lcid = GetUserDefaultLCID();
    if (!Guarded(kImportFailure, [&] { xlApp.Connect(); }))
        return;

    // No catch here: a failure of the reading stage goes on to the default
    // error box, and the table keeps the previous import's data.
    const SheetRegion region = ReadRegion(lcid);

    ResetTable();
    Guarded(kImportFailure, [&] {
        // On every way out of the load: the normal cursor first, then the
        // table read-only and the grid following it again.
        const ScopeGuard cleanup([this] {
            cds.SetReadOnly(true);
            cds.ResumeControls();
        });
        const HourGlass hourGlass(svc_.Cursor);
        LoadRegion(cds, region.Values.Get(), region.RowCount, region.ColumnCount, settings_,
                   svc_.Clock);
        status.SetSimpleText("Importazione da Excel eseguita.");
    });
}

TfExpo::SheetRegion TfExpo::ReadRegion(LCID lcid) {
    SheetRegion region;
    try {
        xlApp.SetPlainSetting(false);
        xlApp.SetLocaleSetting(lcid, false);
        region.RowCount = xlApp.RegionRowCount();
        region.ColumnCount = xlApp.RegionColumnCount();
        region.Values = xlApp.RegionValue();
    } catch (...) {
        // Both settings go back on even when switching them off failed; a
        // failure while restoring takes the place of the one in flight.
        RestoreApplication(lcid);
        throw;
    }
    RestoreApplication(lcid);
    return region;
}

// The second setting goes back on only when the first did. The connection is
// let go whatever happens: an application that died in the middle of an
// import would otherwise stay attached as a dead connection, and every later
// import would fail on it until the program was restarted.
void TfExpo::RestoreApplication(LCID lcid) {
    const ScopeGuard release([this] { xlApp.Disconnect(); });
    xlApp.SetLocaleSetting(lcid, true);
    xlApp.SetPlainSetting(true);
}

void TfExpo::ResetTable() {
    cds.CloseTable();
    cds.ClearFieldDefs();
    cds.SetProviderName("");
    cds.SetFileName("");
    cds.SuspendControls();
    cds.SetReadOnly(false);
}

} // namespace pagora
