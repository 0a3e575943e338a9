// Value arrays as the spreadsheet application hands them over, built in
// process with SafeArrayCreate: cells of every variant kind, rows and
// columns counted from 1.
#pragma once

#include "OleUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace pagora::test {

// One cell's value, copyable so that tables of cells can be written inline.
struct Cell {
    VARTYPE Kind = VT_EMPTY;
    long long Integer = 0;
    double Real = 0;
    std::string Text{}; // ANSI, for OleStr

    void FillInto(VARIANT& v) const {
        VariantInit(&v);
        switch (Kind) {
        case VT_I1:
            v.cVal = static_cast<CHAR>(Integer);
            break;
        case VT_UI1:
            v.bVal = static_cast<BYTE>(Integer);
            break;
        case VT_I2:
            v.iVal = static_cast<SHORT>(Integer);
            break;
        case VT_UI2:
            v.uiVal = static_cast<USHORT>(Integer);
            break;
        case VT_I4:
            v.lVal = static_cast<LONG>(Integer);
            break;
        case VT_UI4:
            v.ulVal = static_cast<ULONG>(Integer);
            break;
        case VT_INT:
            v.intVal = static_cast<INT>(Integer);
            break;
        case VT_I8:
            v.llVal = Integer;
            break;
        case VT_R4:
            v.fltVal = static_cast<float>(Real);
            break;
        case VT_R8:
            v.dblVal = Real;
            break;
        case VT_DATE:
            v.date = Real;
            break;
        case VT_CY:
            v.cyVal.int64 = static_cast<long long>(Real * 10000);
            break;
        case VT_BOOL:
            v.boolVal = Integer ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VT_ERROR:
            v.scode = static_cast<SCODE>(Integer);
            break;
        case VT_BSTR:
            v.bstrVal = AnsiToBstr(Text).Release();
            break;
        default:
            break;
        }
        v.vt = Kind;
    }
};

inline Cell Empty() {
    return {VT_EMPTY};
}
inline Cell Null() {
    return {VT_NULL};
}
inline Cell Int(VARTYPE kind, long long value) {
    return {kind, value};
}
inline Cell I4(long value) {
    return {VT_I4, value};
}
inline Cell R8(double value) {
    return {VT_R8, 0, value};
}
inline Cell R4(float value) {
    return {VT_R4, 0, value};
}
inline Cell Cy(double value) {
    return {VT_CY, 0, value};
}
inline Cell Date(double value) {
    return {VT_DATE, 0, value};
}
inline Cell Bool(bool value) {
    return {VT_BOOL, value ? 1 : 0};
}
inline Cell Err() {
    return {VT_ERROR, 0, 0, {}};
} // a cell showing #N/A and the like
inline Cell Str(std::string text) {
    return {VT_BSTR, 0, 0, std::move(text)};
}

inline Variant MakeValue(const Cell& cell) {
    Variant v;
    cell.FillInto(*v.Put());
    return v;
}

// A safe array of the given element type and dimensions (bounds as
// {count, lower bound}, first dimension first), owned by a variant.
inline Variant MakeArray(VARTYPE elementType, std::vector<SAFEARRAYBOUND> bounds) {
    Variant v;
    SAFEARRAY* array =
        SafeArrayCreate(elementType, static_cast<UINT>(bounds.size()), bounds.data());
    EXPECT_NE(array, nullptr);
    v.Get().vt = VT_ARRAY | elementType;
    v.Get().parray = array;
    return v;
}

// The value array of a region: rows of cells, all rows as long as the first.
inline Variant MakeRegion(const std::vector<std::vector<Cell>>& rows) {
    const ULONG rowCount = static_cast<ULONG>(rows.size());
    const ULONG columnCount = rows.empty() ? 0 : static_cast<ULONG>(rows[0].size());
    Variant region = MakeArray(VT_VARIANT, {{rowCount, 1}, {columnCount, 1}});
    for (ULONG r = 0; r < rowCount; ++r)
        for (ULONG c = 0; c < columnCount; ++c) {
            LONG at[2] = {static_cast<LONG>(r + 1), static_cast<LONG>(c + 1)};
            Variant cell = MakeValue(rows[r][c]);
            EXPECT_EQ(SafeArrayPutElement(region.Get().parray, at, &cell.Get()), S_OK);
        }
    return region;
}

// A variant that refers to another through VT_VARIANT | VT_BYREF.
inline VARIANT RefTo(VARIANT& target) {
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_VARIANT | VT_BYREF;
    ref.pvarVal = &target;
    return ref;
}

// The settings' decimal separator of the process's locale, so that tests
// expect what the platform writes in it_IT and in en_US alike.
inline char LocaleDecimal() {
    char buffer[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer);
    return buffer[0];
}

} // namespace pagora::test
