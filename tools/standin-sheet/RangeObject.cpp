#include "RangeObject.h"

#include "Text.h"

#include <algorithm>
#include <iterator>

namespace pagora::standin {
namespace {

// The real application's dispatch identifiers for these properties.
constexpr DISPID kValue = 0x06;
constexpr DISPID kCount = 0x76;
constexpr DISPID kColumns = 0xF1;
constexpr DISPID kCurrentRegion = 0xF3;
constexpr DISPID kRows = 0x102;

std::string DescribeArguments(const DISPPARAMS& params) {
    std::string text;
    // Positional arguments arrive last one first.
    for (UINT i = params.cArgs; i-- > 0;)
        text.append(text.empty() ? "" : " ").append(DescribeArgument(params.rgvarg[i]));
    return text;
}

struct Member {
    DISPID id;
    const char* name;
};

constexpr Member kMembers[] = {{kValue, "Value"},
                               {kCount, "Count"},
                               {kColumns, "Columns"},
                               {kCurrentRegion, "CurrentRegion"},
                               {kRows, "Rows"}};

} // namespace

HRESULT RangeObject::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch)
        return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG RangeObject::AddRef() {
    return ++references_;
}

ULONG RangeObject::Release() {
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT RangeObject::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT RangeObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT RangeObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

HRESULT RangeObject::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                            VARIANT* result, EXCEPINFO* exception, UINT*) {
    static DISPPARAMS noParams{};
    const DISPPARAMS& args = params ? *params : noParams;
    const auto known = std::ranges::find(kMembers, member, &Member::id);
    if (known == std::end(kMembers) || !(flags & DISPATCH_PROPERTYGET)) {
        services_.Receive("Invoke", Hex32(static_cast<unsigned long>(member)));
        return DISP_E_MEMBERNOTFOUND;
    }
    // Only Value takes an argument (the real one's optional data type).
    if (args.cNamedArgs != 0 || args.cArgs > (member == kValue ? 1u : 0u)) {
        services_.Receive(known->name, DescribeArguments(args));
        return args.cNamedArgs != 0 ? DISP_E_NONAMEDARGS : DISP_E_BADPARAMCOUNT;
    }
    switch (member) {
    case kValue:
        return GetValue(args, result, exception);
    case kCount:
        return GetCount(result, exception);
    case kColumns:
        return GetRange("Columns", Extent::RegionColumns, result, exception);
    case kRows:
        return GetRange("Rows", Extent::RegionRows, result, exception);
    default:
        return GetRange("CurrentRegion", Extent::Region, result, exception);
    }
}

HRESULT RangeObject::GetRange(const char* call, Extent extent, VARIANT* result,
                              EXCEPINFO* exception) {
    if (const Failure* failure = services_.Receive(call, ""))
        return FailThroughExcepInfo(*failure, exception);
    if (result) {
        result->vt = VT_DISPATCH;
        result->pdispVal = new RangeObject(services_, extent);
    }
    return S_OK;
}

HRESULT RangeObject::GetCount(VARIANT* result, EXCEPINFO* exception) {
    const Sheet& sheet = services_.SheetServed();
    const LONG count = extent_ == Extent::CellA1          ? 1
                       : extent_ == Extent::RegionRows    ? sheet.rows
                       : extent_ == Extent::RegionColumns ? sheet.columns
                                                          : sheet.rows * sheet.columns;
    if (const Failure* failure = services_.Receive("Count", "", std::to_string(count)))
        return FailThroughExcepInfo(*failure, exception);
    if (result) {
        result->vt = VT_I4;
        result->lVal = count;
    }
    return S_OK;
}

HRESULT RangeObject::GetValue(const DISPPARAMS& params, VARIANT* result, EXCEPINFO* exception) {
    const std::string arguments = params.cArgs == 0 ? "(none)" : DescribeArguments(params);
    if (const Failure* failure = services_.Receive("Value", arguments))
        return FailThroughExcepInfo(*failure, exception);
    if (!result)
        return S_OK;
    // The range value's data type argument changes nothing here: the sheet's
    // cells already are the values the client is to receive.
    if (extent_ == Extent::CellA1)
        return VariantCopy(result, const_cast<VARIANT*>(&services_.SheetServed().At(0, 0)));
    return RegionValue(services_.SheetServed(), result);
}

} // namespace pagora::standin
