// Variant helpers of the region loader: the presence test, the text of a
// value, the names of variant kinds, the exception for a failed variant
// routine, and the reading of one element of a two-dimensional value array.
#pragma once

#include "FormatSettings.h"
#include "OleUtil.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace pagora {

// A value refers to another variant through VT_VARIANT | VT_BYREF; this
// follows such references to the value itself. A reference to nothing counts
// as Empty.
const VARIANT& FollowVariantRef(const VARIANT& value) noexcept;

// False for Empty, Null, and a Dispatch or Unknown without an object; true
// for everything else (an empty string, zero, false, an error value).
bool VarHasValue(const VARIANT& value) noexcept;

// What one load learns of the platform's texts, to spare the platform's
// conversions, which are slow (they consult the user's locale on every call),
// without changing a single text; within one load the locale stays the same.
// Date and boolean texts are remembered per value, since sheets repeat them.
// Currency is written here once the platform was seen to write it plainly
// (a minus sign, the digits, its decimal separator, the fraction's
// significant digits) on a few telling values; otherwise every value still
// goes to the platform.
class PlatformTexts {
public:
    // The platform's text of a value of any kind but the ones VarAsText
    // writes itself.
    std::string Text(const VARIANT& value);

private:
    std::string CurrencyText(CY value);
    const std::string& Remembered(const VARIANT& value, std::uint64_t bits);

    static constexpr std::size_t kLimit = 1 << 16;
    struct Key {
        VARTYPE kind;
        std::uint64_t bits;
        bool operator==(const Key&) const = default;
    };
    struct Hash {
        // Whole-day dates differ only in the high half of their bits, so
        // both halves are mixed into the hash.
        std::size_t operator()(const Key& k) const noexcept {
            const std::uint64_t mixed = (k.bits ^ (k.bits >> 29) ^ k.kind) * 0x9E3779B97F4A7C15ull;
            return static_cast<std::size_t>(mixed ^ (mixed >> 32));
        }
    };
    std::unordered_map<Key, std::string, Hash> texts_;
    bool currencyChecked_ = false;
    std::optional<std::string> currencySeparator_; // set when currency is plain
};

// The value's text in the ANSI code page. Numbers are written as the table
// writes them; currency, dates and booleans as the platform writes them for
// the user's locale; everything else through the platform's conversion to a
// string, which refuses error values. Given the texts learnt during a load,
// it spares the platform's conversions where it can.
std::string VarAsText(const VARIANT& value, const FormatSettings& settings,
                      PlatformTexts* platform = nullptr);

// The kind's name as messages show it: "Integer", "ByRef Array OleStr", "$0040".
std::string VarTypeAsText(VARTYPE type);

// The exception of the variant family for a failed variant routine.
[[noreturn]] void RaiseVariantError(HRESULT code);
inline void CheckVariantResult(HRESULT code) {
    if (FAILED(code))
        RaiseVariantError(code);
}

// Reads elements [row, column] of a two-dimensional value array (a variant
// holding a safe array, both indices counted by the array's own bounds).
// Checks every read: no array, not two dimensions, an index out of bounds.
// Holds the array locked while it lives, so an element is read in place.
class VarArrayReader {
public:
    explicit VarArrayReader(const VARIANT& value) noexcept;
    VarArrayReader(const VarArrayReader&) = delete;
    VarArrayReader& operator=(const VarArrayReader&) = delete;

    // The element, valid until the next call or the reader's end. For an
    // array of another element type than VARIANT, a variant of that type.
    const VARIANT& At(std::int32_t row, std::int32_t column);

private:
    void ReadShape() noexcept;
    const VARIANT& ViewOf(const void* element);

    SAFEARRAY* array_ = nullptr; // null when the value is no array
    std::optional<SafeArrayLockGuard> lock_;
    UINT dims_ = 0;
    LONG low_[2] = {}, high_[2] = {};
    VARTYPE elementType_ = VT_EMPTY;
    HRESULT shapeResult_ = S_OK;
    VARIANT view_{}; // shallow: never cleared, it borrows the array's data
};

// A copy of element [row, column] of the value array.
Variant VarArrayGet(const VARIANT& value, std::int32_t row, std::int32_t column);

} // namespace pagora
