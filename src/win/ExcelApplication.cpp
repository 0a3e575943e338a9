#include "ExcelApplication.h"

#include "Exceptions.h"
#include "Stdpas.h"

namespace pagora {

namespace {

// Dispatch identifiers of the range object's properties.
constexpr DISPID kCurrentRegion = 0xF3;
constexpr DISPID kRows = 0x102;
constexpr DISPID kColumns = 0xF1;
constexpr DISPID kCount = 0x76;
constexpr DISPID kValue = 6;
constexpr LONG kValueType = 10;

VARIANT_BOOL AutomationBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

// The description a failure came with, or the system's text for its code.
std::string FailureText(BSTR description, HRESULT code) {
    std::string text = TrimMessageEnd(BstrToAnsi(description));
    return text.empty() ? OleErrorText(code) : text;
}

// The failure a late-bound call described in its exception details.
[[noreturn]] void RaiseDescribedFailure(ExcepInfo& exception) {
    EXCEPINFO& info = exception.Get();
    if (info.pfnDeferredFillIn)
        info.pfnDeferredFillIn(&info);
    const HRESULT code = info.scode ? info.scode : DISP_E_EXCEPTION;
    throw EOleException(FailureText(info.bstrDescription, code), code, BstrToAnsi(info.bstrSource),
                        BstrToAnsi(info.bstrHelpFile));
}

ComPtr<IDispatch> AsDispatch(Variant value) {
    Variant object;
    CheckVariantResult(
        VariantChangeTypeEx(object.Put(), &value.Get(), LOCALE_USER_DEFAULT, 0, VT_DISPATCH));
    ComPtr<IDispatch> result(std::exchange(object.Get().pdispVal, nullptr));
    object.Get().vt = VT_EMPTY;
    return result;
}

std::int32_t AsInteger(Variant value) {
    Variant number;
    CheckVariantResult(
        VariantChangeTypeEx(number.Put(), &value.Get(), LOCALE_USER_DEFAULT, 0, VT_I4));
    return number.Get().lVal;
}

ComPtr<IDispatch> GetDispObject(IDispatch* target, DISPID id) {
    return AsDispatch(GetDispProperty(target, id));
}

} // namespace

void CheckInterfaceCall(HRESULT code) {
    if (SUCCEEDED(code))
        return;
    ComPtr<IErrorInfo> info;
    Bstr description, source, helpFile;
    if (GetErrorInfo(0, info.Put()) == S_OK && info) {
        info->GetDescription(description.Put());
        info->GetSource(source.Put());
        info->GetHelpFile(helpFile.Put());
    }
    throw EOleException(FailureText(description.Get(), code), code, BstrToAnsi(source.Get()),
                        BstrToAnsi(helpFile.Get()));
}

Variant GetDispProperty(IDispatch* target, DISPID id, VARIANT* args, unsigned argCount) {
    if (!target) // a property that gave no object: nothing to call
        throw EOleSysError(OleErrorText(E_POINTER), E_POINTER);
    // Automation takes the arguments last first; the reads pass at most one.
    DISPPARAMS params{args, nullptr, argCount, 0};
    Variant result;
    ExcepInfo exception;
    UINT argError = 0;
    const HRESULT code = target->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &params,
                                        result.Put(), exception.Put(), &argError);
    if (code == DISP_E_EXCEPTION)
        RaiseDescribedFailure(exception);
    if (FAILED(code))
        throw EOleSysError(OleErrorText(code), code);
    return result;
}

void RaiseNoRunningObject(const CLSID& clsid, HRESULT code) {
    CoTaskString progId, classText;
    if (const HRESULT lookup = ProgIDFromCLSID(clsid, progId.Put()); FAILED(lookup))
        throw EOleSysError(OleErrorText(lookup), lookup);
    if (const HRESULT text = StringFromCLSID(clsid, classText.Put()); FAILED(text))
        throw EOleSysError(OleErrorText(text), text);
    const std::string progIdText = WideToAnsi(progId.Get(), wcslen(progId.Get()));
    const std::string clsidText = WideToAnsi(classText.Get(), wcslen(classText.Get()));
    throw EOleSysError("Unable to retrieve a pointer to a running object registered with OLE for " +
                           progIdText + "/" + clsidText,
                       code);
}

void TExcelApplication::Connect() {
    if (app_)
        return;
    ComPtr<IUnknown> object;
    const HRESULT code = GetActiveObject(kExcelApplicationClsid, nullptr, object.Put());
    if (FAILED(code))
        RaiseNoRunningObject(kExcelApplicationClsid, code);
    ComPtr<ExcelApplicationIntf> app;
    if (!object ||
        FAILED(object->QueryInterface(kExcelApplicationIid, reinterpret_cast<void**>(app.Put()))) ||
        !app)
        throw EIntfCastError("Interface not supported");
    app_ = std::move(app);
}

// The application interface, attaching first when it is not held yet.
ExcelApplicationIntf* TExcelApplication::App() {
    Connect();
    // A description can then only come from the call that follows.
    SetErrorInfo(0, nullptr);
    return app_.Get();
}

void TExcelApplication::SetPlainSetting(bool value) {
    ExcelApplicationIntf* app = App();
    CheckInterfaceCall(app->lpVtbl->PutPlainSetting(app, AutomationBool(value)));
}

void TExcelApplication::SetLocaleSetting(LCID lcid, bool value) {
    ExcelApplicationIntf* app = App();
    CheckInterfaceCall(app->lpVtbl->PutLocaleBoundSetting(app, lcid, AutomationBool(value)));
}

ComPtr<IDispatch> TExcelApplication::Range(const std::string& cell1, const std::string& cell2) {
    Variant first, second;
    first.Get().vt = VT_BSTR;
    first.Get().bstrVal = AnsiToBstr(cell1).Release();
    second.Get().vt = VT_BSTR;
    second.Get().bstrVal = AnsiToBstr(cell2).Release();
    ExcelApplicationIntf* app = App();
    ComPtr<IDispatch> range;
    CheckInterfaceCall(app->lpVtbl->Range(app, first.Get(), second.Get(), range.Put()));
    return range;
}

ComPtr<IDispatch> TExcelApplication::CurrentRegion() {
    ComPtr<IDispatch> cell = Range("A1", "A1");
    return GetDispObject(cell.Get(), kCurrentRegion);
}

std::int32_t TExcelApplication::RegionRowCount() {
    ComPtr<IDispatch> rows = GetDispObject(CurrentRegion().Get(), kRows);
    return AsInteger(GetDispProperty(rows.Get(), kCount));
}

std::int32_t TExcelApplication::RegionColumnCount() {
    ComPtr<IDispatch> columns = GetDispObject(CurrentRegion().Get(), kColumns);
    return AsInteger(GetDispProperty(columns.Get(), kCount));
}

Variant TExcelApplication::RegionValue() {
    ComPtr<IDispatch> region = CurrentRegion();
    if (valueCall_ == ValueCall::NoArgument)
        return GetDispProperty(region.Get(), kValue);
    VARIANT valueType;
    VariantInit(&valueType);
    valueType.vt = VT_I4;
    valueType.lVal = kValueType;
    return GetDispProperty(region.Get(), kValue, &valueType, 1);
}

} // namespace pagora
