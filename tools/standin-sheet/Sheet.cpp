#include "Sheet.h"

#include "Text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

namespace pagora::standin {
namespace {

using CellParser = void (*)(std::string_view value, VARIANT& out);

struct Kind {
    std::string_view name;
    VARTYPE vt;
    CellParser parse;
};

void RequireNoValue(std::string_view value) {
    if (!value.empty())
        throw SheetError("this kind takes no value");
}

LONGLONG ParseInteger(std::string_view value, LONGLONG low, LONGLONG high) {
    LONGLONG result = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), result);
    if (error != std::errc() || end != value.data() + value.size())
        throw SheetError("not an integer: " + std::string(value));
    if (result < low || result > high)
        throw SheetError("out of range: " + std::string(value));
    return result;
}

template <class T> T ParseReal(std::string_view value) {
    T result = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), result);
    if (error != std::errc() || end != value.data() + value.size())
        throw SheetError("not a number: " + std::string(value));
    return result;
}

// Exact decimal to the currency's four fixed decimals: going through a double
// would round amounts like 0.1.
LONGLONG ParseCurrency(std::string_view value) {
    const bool negative = value.starts_with('-');
    const std::string_view digits = value.substr(negative ? 1 : 0);
    const size_t point = digits.find('.');
    const std::string_view whole = digits.substr(0, point);
    const std::string_view fraction = point == digits.npos ? "" : digits.substr(point + 1);
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (whole.empty() || fraction.size() > 4 || !std::ranges::all_of(whole, isDigit) ||
        !std::ranges::all_of(fraction, isDigit))
        throw SheetError("not a currency amount (up to 4 decimals): " + std::string(value));
    LONGLONG result = 0;
    for (const char c :
         std::string(whole) + std::string(fraction) + std::string(4 - fraction.size(), '0'))
        if (__builtin_mul_overflow(result, 10, &result) ||
            __builtin_add_overflow(result, c - '0', &result))
            throw SheetError("out of range: " + std::string(value));
    return negative ? -result : result;
}

// A day number as OLE counts them, or y-m-d with an optional h:m:s.
DATE ParseDate(std::string_view value) {
    double serial = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), serial);
    if (error == std::errc() && end == value.data() + value.size())
        return serial;
    const std::string text(value);
    int year, month, day, hour = 0, minute = 0, second = 0, used = 0;
    const int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d%n %2d:%2d:%2d%n", &year, &month, &day,
                                   &used, &hour, &minute, &second, &used);
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year), time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day), time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute), time.wSecond = static_cast<WORD>(second);
    DATE date = 0;
    SYSTEMTIME back{};
    // The round trip rejects what the conversion would quietly carry over,
    // such as February 30th.
    if ((fields != 3 && fields != 6) || used != static_cast<int>(text.size()) ||
        !SystemTimeToVariantTime(&time, &date) || !VariantTimeToSystemTime(date, &back) ||
        back.wYear != time.wYear || back.wMonth != time.wMonth || back.wDay != time.wDay ||
        back.wHour != time.wHour || back.wMinute != time.wMinute || back.wSecond != time.wSecond)
        throw SheetError("not a date (day number or y-m-d h:m:s): " + text);
    return date;
}

std::string Unescape(std::string_view value) {
    std::string result;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            result += value[i];
            continue;
        }
        const char next = i + 1 < value.size() ? value[++i] : '\0';
        if (next != 't' && next != 'n' && next != '\\')
            throw SheetError("unknown escape in text (use \\t, \\n or \\\\)");
        result += next == 't' ? '\t' : next == 'n' ? '\n' : '\\';
    }
    return result;
}

BSTR ParseString(std::string_view value) {
    try {
        return WideToBstr(Utf8ToWide(Unescape(value))).Release();
    } catch (const std::invalid_argument& e) {
        throw SheetError(e.what());
    }
}

VARIANT_BOOL ParseBool(std::string_view value) {
    if (value != "true" && value != "false")
        throw SheetError("not true or false: " + std::string(value));
    return value == "true" ? VARIANT_TRUE : VARIANT_FALSE;
}

constexpr LONGLONG kI8Min = std::numeric_limits<LONGLONG>::min();
constexpr LONGLONG kI8Max = std::numeric_limits<LONGLONG>::max();

// A cell error arrives in the real application's values as VT_ERROR with its
// code in the low word of this facility (2042 for #N/A).
constexpr SCODE kCellErrorBase = static_cast<SCODE>(0x800A0000);

const Kind kKinds[] = {
    {"Empty", VT_EMPTY, [](std::string_view v, VARIANT&) { RequireNoValue(v); }},
    {"Null", VT_NULL, [](std::string_view v, VARIANT&) { RequireNoValue(v); }},
    {"I1", VT_I1,
     [](std::string_view v, VARIANT& o) {
         o.cVal = static_cast<CHAR>(ParseInteger(v, -128, 127));
     }},
    {"UI1", VT_UI1,
     [](std::string_view v, VARIANT& o) { o.bVal = static_cast<BYTE>(ParseInteger(v, 0, 255)); }},
    {"I2", VT_I2,
     [](std::string_view v, VARIANT& o) {
         o.iVal = static_cast<SHORT>(ParseInteger(v, -32768, 32767));
     }},
    {"UI2", VT_UI2,
     [](std::string_view v, VARIANT& o) {
         o.uiVal = static_cast<USHORT>(ParseInteger(v, 0, 65535));
     }},
    {"I4", VT_I4,
     [](std::string_view v, VARIANT& o) {
         o.lVal = static_cast<LONG>(ParseInteger(v, INT32_MIN, INT32_MAX));
     }},
    {"UI4", VT_UI4,
     [](std::string_view v, VARIANT& o) {
         o.ulVal = static_cast<ULONG>(ParseInteger(v, 0, UINT32_MAX));
     }},
    {"I8", VT_I8,
     [](std::string_view v, VARIANT& o) { o.llVal = ParseInteger(v, kI8Min, kI8Max); }},
    {"R4", VT_R4, [](std::string_view v, VARIANT& o) { o.fltVal = ParseReal<float>(v); }},
    {"R8", VT_R8, [](std::string_view v, VARIANT& o) { o.dblVal = ParseReal<double>(v); }},
    {"Cy", VT_CY, [](std::string_view v, VARIANT& o) { o.cyVal.int64 = ParseCurrency(v); }},
    {"Date", VT_DATE, [](std::string_view v, VARIANT& o) { o.date = ParseDate(v); }},
    {"Str", VT_BSTR, [](std::string_view v, VARIANT& o) { o.bstrVal = ParseString(v); }},
    {"Bool", VT_BOOL, [](std::string_view v, VARIANT& o) { o.boolVal = ParseBool(v); }},
    {"Error", VT_ERROR,
     [](std::string_view v, VARIANT& o) {
         o.scode = kCellErrorBase | static_cast<SCODE>(ParseInteger(v, 0, 65535));
     }},
};

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == text.npos ? text.npos : end - start));
        if (end == text.npos)
            return parts;
        start = end + 1;
    }
}

std::vector<std::string_view> Lines(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    if (text.ends_with('\n'))
        text.remove_suffix(1);
    if (text.empty())
        return {};
    std::vector<std::string_view> lines = Split(text, '\n');
    for (std::string_view& line : lines)
        if (line.ends_with('\r'))
            line.remove_suffix(1);
    return lines;
}

std::vector<Variant> ParseRow(std::string_view line, size_t lineNumber) {
    std::vector<Variant> row;
    for (const std::string_view cell : Split(line, '\t')) {
        try {
            row.push_back(ParseCell(cell));
        } catch (const SheetError& e) {
            throw SheetError("line " + std::to_string(lineNumber) + ", cell " +
                             std::to_string(row.size() + 1) + ": " + e.what());
        }
    }
    return row;
}

} // namespace

Variant ParseCell(std::string_view text) {
    const size_t colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    const std::string_view value = colon == text.npos ? "" : text.substr(colon + 1);
    Variant cell;
    if (text.empty())
        return cell;
    const auto kind = std::ranges::find(kKinds, name, &Kind::name);
    if (kind == std::end(kKinds))
        throw SheetError("unknown kind: " + std::string(name));
    VARIANT parsed;
    VariantInit(&parsed);
    kind->parse(value, parsed);
    parsed.vt = kind->vt;
    *cell.Put() = parsed;
    return cell;
}

Sheet ParseSheet(std::string_view text) {
    std::vector<std::vector<Variant>> rows;
    for (const std::string_view line : Lines(text))
        rows.push_back(ParseRow(line, rows.size() + 1));
    Sheet sheet;
    sheet.rows = std::max<LONG>(1, static_cast<LONG>(rows.size()));
    sheet.columns = 1;
    for (const auto& row : rows)
        sheet.columns = std::max(sheet.columns, static_cast<LONG>(row.size()));
    sheet.cells.resize(static_cast<size_t>(sheet.rows) * static_cast<size_t>(sheet.columns));
    for (size_t r = 0; r < rows.size(); ++r)
        std::ranges::move(rows[r], sheet.cells.begin() + static_cast<ptrdiff_t>(r * sheet.columns));
    return sheet;
}

Sheet LoadSheet(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file)
        throw SheetError("cannot open the sheet file " + WideToUtf8(path));
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return ParseSheet(text);
}

std::string_view KindName(VARTYPE vt) {
    const auto kind = std::ranges::find(kKinds, vt, &Kind::vt);
    return kind == std::end(kKinds) ? std::string_view() : kind->name;
}

HRESULT RegionValue(const Sheet& sheet, VARIANT* out) {
    if (sheet.rows == 1 && sheet.columns == 1)
        return VariantCopy(out, const_cast<VARIANT*>(&sheet.At(0, 0)));
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(sheet.rows), 1},
                                {static_cast<ULONG>(sheet.columns), 1}};
    SafeArray array(SafeArrayCreate(VT_VARIANT, 2, bounds));
    if (!array.Get())
        return E_OUTOFMEMORY;
    for (LONG r = 0; r < sheet.rows; ++r) {
        for (LONG c = 0; c < sheet.columns; ++c) {
            LONG index[2] = {r + 1, c + 1};
            const HRESULT hr =
                SafeArrayPutElement(array.Get(), index, const_cast<VARIANT*>(&sheet.At(r, c)));
            if (FAILED(hr))
                return hr;
        }
    }
    out->vt = VT_ARRAY | VT_VARIANT;
    out->parray = array.Release();
    return S_OK;
}

} // namespace pagora::standin
