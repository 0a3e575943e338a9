// The automation client of the spreadsheet application: attaches to the
// running instance only (it never starts one and never asks it to quit),
// switches the two settings the import needs, and reads the current region
// around A1 of the active sheet: its row count, its column count and all its
// values in one array.
#pragma once

#include "ExcelAutomation.h"
#include "OleUtil.h"

#include <cstdint>
#include <string>

namespace pagora {

// How the region's values are asked for: with the value-type argument 10,
// or with no argument at all (the older deliverable).
enum class ValueCall { WithValueType, NoArgument };

class TExcelApplication {
public:
    explicit TExcelApplication(ValueCall valueCall = ValueCall::WithValueType)
        : valueCall_(valueCall) {}
    TExcelApplication(const TExcelApplication&) = delete;
    TExcelApplication& operator=(const TExcelApplication&) = delete;

    // Attaches to the running instance; does nothing while attached.
    void Connect();
    // Lets the application go; does nothing while not attached.
    void Disconnect() { app_.Reset(); }
    bool Connected() const { return static_cast<bool>(app_); }

    void SetPlainSetting(bool value);
    void SetLocaleSetting(LCID lcid, bool value);
    ComPtr<IDispatch> Range(const std::string& cell1, const std::string& cell2);

    // Each read starts again from the cell A1 and asks for its current
    // region afresh, so that no object of one read is used by the next.
    std::int32_t RegionRowCount();
    std::int32_t RegionColumnCount();
    Variant RegionValue();

private:
    ExcelApplicationIntf* App();
    ComPtr<IDispatch> CurrentRegion();

    ValueCall valueCall_;
    ComPtr<ExcelApplicationIntf> app_;
};

// The failures of automation calls, as the user reads them.

// After a call through the application interface's table: a failure becomes
// EOleException with the description the application left for the call.
void CheckInterfaceCall(HRESULT code);

// One late-bound property get by dispatch identifier (locale 0, arguments
// positional, first argument first). An exception answered by the
// application becomes EOleException, any other failure EOleSysError.
Variant GetDispProperty(IDispatch* target, DISPID id, VARIANT* args = nullptr,
                        unsigned argCount = 0);

// The failure of finding no running object registered for the class.
[[noreturn]] void RaiseNoRunningObject(const CLSID& clsid, HRESULT code);

} // namespace pagora
