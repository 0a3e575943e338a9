// The HTML fragment of the table: one row of an outer table that the user's
// own page supplies, as an ordered list of lines without line ends. Nothing
// is escaped: the cells carry the table's texts exactly as they stand.
#pragma once

#include "ClientDataSet.h"
#include "Clock.h"
#include "FormatSettings.h"
#include "StringList.h"

#include <functional>
#include <string>
#include <string_view>

namespace pagora::html {

inline constexpr std::string_view kOpening =
    R"(<tr><td class="row1" width="100%"><span class="gen"><table>)";
inline constexpr std::string_view kHeaderStart = R"(<th class="header">)";
inline constexpr std::string_view kHeaderEnd = "</th>";
inline constexpr std::string_view kRowStart = "<tr>";
inline constexpr std::string_view kCellStart = R"(<td><span class="gen">)";
inline constexpr std::string_view kCellEnd = "</span></td>";
inline constexpr std::string_view kRowEnd = "</tr>";
inline constexpr std::string_view kTableEnd = "</table>";
inline constexpr std::string_view kDateTimeStart = R"(<br/><div class="value">)";
inline constexpr std::string_view kDateTimeEnd = "</div>";
inline constexpr std::string_view kClosing = "</span></td></tr>";

} // namespace pagora::html

namespace pagora {

// Runs action once per record, from the first to the last, with the table's
// controls suspended; they are resumed on every way out. The table is left
// on its last record, or unmoved when it holds none.
void ForEachRecord(TClientDataSet& table, const std::function<void()>& action);

// Appends the line of the table's current record, its cells in the table's
// current field order. buffer is scratch space reused from one record to the
// next, so that a walk allocates about once per line rather than per cell.
// A line is appended only once it is complete.
void AddRecordRow(TClientDataSet& table, TStringList& lines, std::string& buffer);
void AddRecordRow(TClientDataSet& table, TStringList& lines);

// <br/><div class="value">dd/mm/yyyy hh:nn</div> with the user's date and
// time separators; a separator of '\0' (an empty setting) puts nothing.
std::string DateTimeLine(const LocalTime& at, const FormatSettings& settings);

// Replaces lines with the whole fragment of the open table: F + R + 4
// entries. The time stamp is taken after the walk. The table's failures pass
// through; lines then keeps what was appended before the failure.
void BuildHtml(TClientDataSet& table, TStringList& lines, const Clock& clock,
               const FormatSettings& settings);

} // namespace pagora
