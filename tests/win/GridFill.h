// Fills the window's table the way the import does: suspended, defined,
// created, one record per row, read-only, resumed.
#pragma once

#include "ClientDataSet.h"

#include <string>
#include <utility>
#include <vector>

namespace pagora {

using Columns = std::vector<std::pair<std::string, TFieldType>>;
using Rows = std::vector<std::vector<std::string>>;

inline void DefineAndCreate(TClientDataSet& table, const Columns& columns) {
    table.CloseTable();
    table.ClearFieldDefs();
    for (const auto& [name, type] : columns) {
        TFieldDef& def = table.NewFieldDef();
        def.SetName(name);
        def.SetDataType(type);
        if (type == TFieldType::ftString)
            def.SetSize(255);
    }
    table.SetReadOnly(false);
    table.CreateTable();
    table.SetChangeLogEnabled(false);
}

inline void AddRows(TClientDataSet& table, const Rows& rows) {
    for (const auto& row : rows) {
        table.AddRecord();
        for (std::size_t i = 0; i < row.size(); ++i)
            table.FieldAt(static_cast<int>(i)).SetValueText(row[i]);
        table.MoveToNext();
    }
}

inline void FillTable(TClientDataSet& table, const Columns& columns, const Rows& rows) {
    table.SuspendControls();
    DefineAndCreate(table, columns);
    AddRows(table, rows);
    table.SetReadOnly(true);
    table.ResumeControls();
}

} // namespace pagora
