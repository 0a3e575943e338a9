// The spreadsheet application's application interface as this program calls
// it: only the entries of its table of operations that the import uses, at
// their places (counted from 0, IUnknown's three and IDispatch's four first).
// Declared as the table of operations itself, so the hundreds of entries the
// program never calls are plain gaps instead of declarations.
#pragma once

#include <windows.h>
// oaidl.h needs windows.h first.
#include <oaidl.h>

#include <cstddef>

namespace pagora {

struct ExcelApplicationIntf;

struct ExcelApplicationVtbl {
    // IUnknown
    HRESULT(__stdcall* QueryInterface)(ExcelApplicationIntf* self, REFIID iid, void** out);
    ULONG(__stdcall* AddRef)(ExcelApplicationIntf* self);
    ULONG(__stdcall* Release)(ExcelApplicationIntf* self);
    // IDispatch
    void* GetTypeInfoCount;
    void* GetTypeInfo;
    void* GetIDsOfNames;
    void* Invoke;
    void* unused7To39[33];
    // 40: property get Range(cell1, cell2): a range of the active sheet.
    HRESULT(__stdcall* Range)
    (ExcelApplicationIntf* self, VARIANT cell1, VARIANT cell2, IDispatch** result);
    void* unused41To243[203];
    // 244: property put of the boolean setting that takes the locale first.
    HRESULT(__stdcall* PutLocaleBoundSetting)
    (ExcelApplicationIntf* self, LCID lcid, VARIANT_BOOL value);
    void* unused245To275[31];
    // 276: property put of the plain boolean setting.
    HRESULT(__stdcall* PutPlainSetting)(ExcelApplicationIntf* self, VARIANT_BOOL value);
};

static_assert(offsetof(ExcelApplicationVtbl, Range) == 40 * sizeof(void*));
static_assert(offsetof(ExcelApplicationVtbl, PutLocaleBoundSetting) == 244 * sizeof(void*));
static_assert(offsetof(ExcelApplicationVtbl, PutPlainSetting) == 276 * sizeof(void*));

struct ExcelApplicationIntf {
    const ExcelApplicationVtbl* lpVtbl;

    // Enough of IUnknown for the program's owner of interface pointers.
    ULONG AddRef() { return lpVtbl->AddRef(this); }
    ULONG Release() { return lpVtbl->Release(this); }
};

// The application object's class and its application interface _Application.
inline constexpr CLSID kExcelApplicationClsid = {
    0x00024500, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kExcelApplicationIid = {
    0x000208D5, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

} // namespace pagora
