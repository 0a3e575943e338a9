#include "RegionLoader.h"

#include "Stdpas.h"
#include "TextConv.h"

namespace pagora {

namespace {

class RegionLoad {
public:
    RegionLoad(TClientDataSet& cds, const VARIANT& values, const FormatSettings& settings,
               const Clock& clock)
        : cds_(cds), values_(values), settings_(settings), clock_(clock) {}

    void DefineColumn(std::int32_t column);
    void AddRecord(std::int32_t row, std::int32_t columnCount);

private:
    // Every use reads the element anew, as a fresh copy would be.
    const VARIANT& Element(std::int32_t row, std::int32_t column) {
        return values_.At(row, column);
    }
    std::string Text(std::int32_t row, std::int32_t column) {
        return VarAsText(Element(row, column), settings_, &platform_);
    }
    TFieldType ColumnType(std::int32_t column);

    TClientDataSet& cds_;
    VarArrayReader values_;
    PlatformTexts platform_;
    const FormatSettings& settings_;
    const Clock& clock_;
};

bool IsFloatKind(VARTYPE kind) {
    return kind == VT_R4 || kind == VT_R8 || kind == VT_CY;
}

// Booleans are left out on purpose: the platform writes them as words, which
// an integer column would refuse on the very first record, so a column typed
// by a boolean is a text column.
bool IsIntegerKind(VARTYPE kind) {
    switch (kind) {
    case VT_I2:
    case VT_I4:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
        return true;
    default:
        return false;
    }
}

TFieldType RegionLoad::ColumnType(std::int32_t column) {
    if (IsFloatKind(FollowVariantRef(Element(2, column)).vt))
        return TFieldType::ftFloat;
    if (IsIntegerKind(FollowVariantRef(Element(2, column)).vt))
        return TFieldType::ftInteger;
    if (TryTextToDate(Text(2, column), settings_, clock_))
        return TFieldType::ftDateTime;
    return TFieldType::ftString;
}

void RegionLoad::DefineColumn(std::int32_t column) {
    TFieldDef& def = cds_.NewFieldDef();
    def.SetName(Text(1, column));
    const TFieldType type = ColumnType(column);
    def.SetDataType(type);
    if (type == TFieldType::ftString)
        def.SetSize(255);
}

void RegionLoad::AddRecord(std::int32_t row, std::int32_t columnCount) {
    cds_.AddRecord();
    for (std::int32_t column = 1; column <= columnCount; ++column)
        if (VarHasValue(Element(row, column)))
            cds_.FieldAt(column - 1).SetValueText(Text(row, column));
    cds_.MoveToNext();
}

} // namespace

void LoadRegion(TClientDataSet& cds, const VARIANT& values, std::int32_t rowCount,
                std::int32_t columnCount, const FormatSettings& settings, const Clock& clock) {
    RegionLoad load(cds, values, settings, clock);
    for (std::int32_t column = 1; column <= columnCount; ++column)
        load.DefineColumn(column);
    cds.CreateTable();
    cds.SetChangeLogEnabled(false);
    for (std::int32_t row = 2; row <= rowCount; ++row)
        load.AddRecord(row, columnCount);
}

} // namespace pagora
