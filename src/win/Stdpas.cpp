#include "Stdpas.h"

#include "Exceptions.h"
#include "TextConv.h"

#include <cstdio>
#include <cstring>

namespace pagora {

namespace {

// Conversions use the user's default locale with no flags, so the platform
// writes currency, dates and booleans as the user reads them.
constexpr LCID kUserLocale = LOCALE_USER_DEFAULT;

template <class Error> [[noreturn]] void Raise(const char* message) {
    throw Error(message);
}

[[noreturn]] void RaiseGenericVariantError(HRESULT code) {
    char head[64];
    std::snprintf(head, sizeof head, "Invalid variant operation ($%.8X)\n",
                  static_cast<unsigned>(code));
    throw EVariantError(head + SysErrorMessage(static_cast<DWORD>(code)));
}

// The failure of a conversion of a value of the given kind into a string.
[[noreturn]] void RaiseConversionError(HRESULT code, VARTYPE source) {
    const std::string names = "(" + VarTypeAsText(source) + ") into type (String)";
    if (code == DISP_E_TYPEMISMATCH)
        throw EVariantTypeCastError("Could not convert variant of type " + names);
    if (code == DISP_E_OVERFLOW)
        throw EVariantOverflowError("Overflow while converting variant of type " + names);
    RaiseVariantError(code);
}

std::string ConvertedText(HRESULT code, Bstr& text, VARTYPE source) {
    if (FAILED(code))
        RaiseConversionError(code, source);
    return BstrToAnsi(text.Get());
}

std::string ChangeTypeText(const VARIANT& value) {
    Variant text;
    // The source is only read: VariantChangeTypeEx writes to a separate target.
    const HRESULT code =
        VariantChangeTypeEx(text.Put(), const_cast<VARIANT*>(&value), kUserLocale, 0, VT_BSTR);
    if (FAILED(code))
        RaiseConversionError(code, value.vt);
    return BstrToAnsi(text.Get().bstrVal);
}

// The value a by-reference variant of a kind with a text refers to, as a
// shallow variant of that kind; VT_EMPTY when the kind is none of those.
VARIANT Dereferenced(const VARIANT& ref) noexcept {
    VARIANT v{};
    const VARTYPE kind = ref.vt & ~VT_BYREF;
    if (!ref.byref)
        return v;
    switch (kind) {
    case VT_I1:
        v.cVal = *ref.pcVal;
        break;
    case VT_UI1:
        v.bVal = *ref.pbVal;
        break;
    case VT_I2:
        v.iVal = *ref.piVal;
        break;
    case VT_UI2:
        v.uiVal = *ref.puiVal;
        break;
    case VT_I4:
        v.lVal = *ref.plVal;
        break;
    case VT_UI4:
        v.ulVal = *ref.pulVal;
        break;
    case VT_I8:
        v.llVal = *ref.pllVal;
        break;
    case VT_R4:
        v.fltVal = *ref.pfltVal;
        break;
    case VT_R8:
        v.dblVal = *ref.pdblVal;
        break;
    case VT_CY:
        v.cyVal = *ref.pcyVal;
        break;
    case VT_DATE:
        v.date = *ref.pdate;
        break;
    case VT_BOOL:
        v.boolVal = *ref.pboolVal;
        break;
    case VT_BSTR:
        v.bstrVal = *ref.pbstrVal;
        break;
    default:
        return v;
    }
    v.vt = kind;
    return v;
}

std::string PlatformText(const VARIANT& v) {
    Bstr text;
    switch (v.vt) {
    case VT_CY:
        return ConvertedText(VarBstrFromCy(v.cyVal, kUserLocale, 0, text.Put()), text, v.vt);
    case VT_DATE:
        return ConvertedText(VarBstrFromDate(v.date, kUserLocale, 0, text.Put()), text, v.vt);
    case VT_BOOL:
        return ConvertedText(VarBstrFromBool(v.boolVal, kUserLocale, 0, text.Put()), text, v.vt);
    default:
        return ChangeTypeText(v);
    }
}

VARIANT CurrencyValue(LONGLONG value) {
    VARIANT v{};
    v.vt = VT_CY;
    v.cyVal.int64 = value;
    return v;
}

// Currency written plainly: a minus sign when negative, the integer digits,
// and the fraction's significant digits after the separator.
std::string PlainCurrencyText(CY value, const std::string& separator) {
    const bool negative = value.int64 < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value.int64)
                                             : static_cast<std::uint64_t>(value.int64);
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / 10000);
    if (const unsigned fraction = static_cast<unsigned>(magnitude % 10000)) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04u", fraction);
        std::string_view shown(digits, 4);
        shown.remove_suffix(shown.size() - 1 - shown.find_last_not_of('0'));
        text.append(separator).append(shown);
    }
    return text;
}

// The separator with which the platform writes currency, when it writes the
// values that show the sign, grouping, a zero integer part, leading zeros and
// trailing zeros of the fraction exactly as PlainCurrencyText does.
std::optional<std::string> PlainCurrencySeparator() {
    const std::string oneAndAHalf = PlatformText(CurrencyValue(15000));
    if (oneAndAHalf.size() < 3 || oneAndAHalf.front() != '1' || oneAndAHalf.back() != '5')
        return std::nullopt;
    const std::string separator = oneAndAHalf.substr(1, oneAndAHalf.size() - 2);
    for (LONGLONG probe : {-12345678LL, 500LL, 1000000LL, -1LL, 1234567890123456LL, 0LL})
        if (PlatformText(CurrencyValue(probe)) !=
            PlainCurrencyText(CurrencyValue(probe).cyVal, separator))
            return std::nullopt;
    return separator;
}

} // namespace

std::string PlatformTexts::Text(const VARIANT& value) {
    switch (value.vt) {
    case VT_CY:
        return CurrencyText(value.cyVal);
    case VT_DATE: {
        std::uint64_t bits;
        std::memcpy(&bits, &value.date, sizeof bits);
        return Remembered(value, bits);
    }
    case VT_BOOL:
        return Remembered(value, static_cast<std::uint16_t>(value.boolVal));
    default:
        return PlatformText(value);
    }
}

std::string PlatformTexts::CurrencyText(CY value) {
    if (!currencyChecked_) {
        currencySeparator_ = PlainCurrencySeparator();
        currencyChecked_ = true;
    }
    if (!currencySeparator_)
        return PlatformText(CurrencyValue(value.int64));
    return PlainCurrencyText(value, *currencySeparator_);
}

const std::string& PlatformTexts::Remembered(const VARIANT& value, std::uint64_t bits) {
    if (texts_.size() >= kLimit)
        texts_.clear();
    const auto [at, added] = texts_.try_emplace(Key{value.vt, bits});
    if (added) {
        try {
            at->second = PlatformText(value);
        } catch (...) {
            texts_.erase(at);
            throw;
        }
    }
    return at->second;
}

const VARIANT& FollowVariantRef(const VARIANT& value) noexcept {
    static const VARIANT nothing{};
    const VARIANT* v = &value;
    while (v->vt == (VT_VARIANT | VT_BYREF)) {
        if (!v->pvarVal)
            return nothing;
        v = v->pvarVal;
    }
    return *v;
}

bool VarHasValue(const VARIANT& value) noexcept {
    const VARIANT& v = FollowVariantRef(value);
    switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return false;
    case VT_DISPATCH:
        return v.pdispVal != nullptr;
    case VT_UNKNOWN:
        return v.punkVal != nullptr;
    default:
        return true;
    }
}

std::string VarAsText(const VARIANT& value, const FormatSettings& settings,
                      PlatformTexts* platform) {
    const VARIANT& v = FollowVariantRef(value);
    if (v.vt & VT_BYREF) {
        const VARIANT target = Dereferenced(v);
        if (target.vt != VT_EMPTY)
            return VarAsText(target, settings, platform);
    }
    switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return {};
    case VT_I1:
        return std::to_string(static_cast<signed char>(v.cVal));
    case VT_UI1:
        return std::to_string(v.bVal);
    case VT_I2:
        return std::to_string(v.iVal);
    case VT_UI2:
        return std::to_string(v.uiVal);
    case VT_I4:
        return std::to_string(v.lVal);
    case VT_UI4:
        return std::to_string(v.ulVal);
    case VT_I8:
        return std::to_string(v.llVal);
    case VT_R4:
        return FloatToText(v.fltVal, settings);
    case VT_R8:
        return FloatToText(v.dblVal, settings);
    case VT_BSTR:
        return BstrToAnsi(v.bstrVal);
    default:
        return platform ? platform->Text(v) : PlatformText(v);
    }
}

std::string VarTypeAsText(VARTYPE type) {
    static const char* const names[] = {
        "Empty",   "Null",   "Smallint", "Integer", "Single",  "Double",   "Currency",
        "Date",    "OleStr", "Dispatch", "Error",   "Boolean", "Variant",  "Unknown",
        "Decimal", nullptr,  "ShortInt", "Byte",    "Word",    "LongWord", "Int64"};
    const VARTYPE base = type & ~(VT_ARRAY | VT_BYREF);
    std::string name;
    if (base < std::size(names) && names[base])
        name = names[base];
    else if (base == 256)
        name = "String";
    else if (base == 257)
        name = "Any";
    else {
        char hex[8];
        std::snprintf(hex, sizeof hex, "$%.4X", static_cast<unsigned>(base));
        name = hex;
    }
    if (type & VT_ARRAY)
        name = "Array " + name;
    if (type & VT_BYREF)
        name = "ByRef " + name;
    return name;
}

void RaiseVariantError(HRESULT code) {
    switch (code) {
    case E_NOTIMPL:
        Raise<EVariantNotImplError>("Operation not supported");
    case E_UNEXPECTED:
        Raise<EVariantUnexpectedError>("Unexpected variant error");
    case DISP_E_TYPEMISMATCH:
        Raise<EVariantTypeCastError>("Invalid variant type conversion");
    case DISP_E_BADVARTYPE:
        Raise<EVariantBadVarTypeError>("Invalid variant type");
    case DISP_E_EXCEPTION:
        Raise<EVariantInvalidOpError>("Invalid variant operation");
    case DISP_E_OVERFLOW:
        Raise<EVariantOverflowError>("Variant overflow");
    case DISP_E_BADINDEX:
        Raise<EVariantBadIndexError>("Variant or safe array index out of bounds");
    case DISP_E_ARRAYISLOCKED:
        Raise<EVariantArrayLockedError>("Variant or safe array is locked");
    case E_OUTOFMEMORY:
        Raise<EVariantOutOfMemoryError>("Out of memory");
    case E_INVALIDARG:
        Raise<EVariantInvalidArgError>("Invalid argument");
    default:
        RaiseGenericVariantError(code);
    }
}

VarArrayReader::VarArrayReader(const VARIANT& value) noexcept {
    const VARIANT& v = FollowVariantRef(value);
    if (!(v.vt & VT_ARRAY))
        return;
    array_ = (v.vt & VT_BYREF) ? (v.pparray ? *v.pparray : nullptr) : v.parray;
    if (array_)
        ReadShape();
}

void VarArrayReader::ReadShape() noexcept {
    dims_ = SafeArrayGetDim(array_);
    if (dims_ != 2)
        return;
    for (UINT d = 0; d < 2; ++d) {
        SafeArrayGetLBound(array_, d + 1, &low_[d]);
        SafeArrayGetUBound(array_, d + 1, &high_[d]);
    }
    shapeResult_ = SafeArrayGetVartype(array_, &elementType_);
    if (SUCCEEDED(shapeResult_)) {
        lock_.emplace(array_);
        shapeResult_ = lock_->Result();
    }
}

const VARIANT& VarArrayReader::At(std::int32_t row, std::int32_t column) {
    if (!array_)
        RaiseVariantError(E_INVALIDARG);
    if (dims_ != 2 || row < low_[0] || row > high_[0] || column < low_[1] || column > high_[1])
        RaiseVariantError(DISP_E_BADINDEX);
    CheckVariantResult(shapeResult_);
    LONG indices[2] = {row, column};
    void* element = nullptr;
    CheckVariantResult(SafeArrayPtrOfIndex(array_, indices, &element));
    if (elementType_ == VT_VARIANT)
        return *static_cast<const VARIANT*>(element);
    return ViewOf(element);
}

const VARIANT& VarArrayReader::ViewOf(const void* element) {
    view_ = VARIANT{};
    switch (elementType_) {
    case VT_DECIMAL: // the decimal fills the whole variant, its kind included
        std::memcpy(&view_.decVal, element, sizeof(DECIMAL));
        break;
    case VT_RECORD:
        RaiseVariantError(DISP_E_BADVARTYPE);
    default: {
        const UINT size = SafeArrayGetElemsize(array_);
        if (size > sizeof view_.llVal)
            RaiseVariantError(DISP_E_BADVARTYPE);
        std::memcpy(&view_.llVal, element, size);
        break;
    }
    }
    view_.vt = elementType_;
    return view_;
}

Variant VarArrayGet(const VARIANT& value, std::int32_t row, std::int32_t column) {
    VarArrayReader reader(value);
    const VARIANT& element = reader.At(row, column);
    Variant copy;
    // VariantCopy only reads its source.
    CheckVariantResult(VariantCopy(copy.Put(), const_cast<VARIANT*>(&element)));
    return copy;
}

} // namespace pagora
