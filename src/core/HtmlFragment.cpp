#include "HtmlFragment.h"

namespace pagora {

namespace {

// Keeps the grid detached for the whole walk, so that it neither repaints
// nor follows the cursor at every record, and reattaches it however the walk
// ends.
class SuspendedControls {
public:
    explicit SuspendedControls(TClientDataSet& table) : table_(table) { table_.SuspendControls(); }
    ~SuspendedControls() { table_.ResumeControls(); }
    SuspendedControls(const SuspendedControls&) = delete;
    SuspendedControls& operator=(const SuspendedControls&) = delete;

private:
    TClientDataSet& table_;
};

std::string HeaderEntry(const std::string& fieldName) {
    std::string entry;
    entry.reserve(html::kHeaderStart.size() + fieldName.size() + html::kHeaderEnd.size());
    entry.append(html::kHeaderStart).append(fieldName).append(html::kHeaderEnd);
    return entry;
}

void AppendTwoDigits(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

void AppendSeparator(std::string& out, char separator) {
    if (separator != '\0')
        out += separator;
}

} // namespace

void ForEachRecord(TClientDataSet& table, const std::function<void()>& action) {
    SuspendedControls suspended(table);
    table.MoveToFirst();
    while (!table.AtEnd()) {
        action();
        table.MoveToNext();
    }
}

void AddRecordRow(TClientDataSet& table, TStringList& lines, std::string& buffer) {
    buffer.assign(html::kRowStart);
    const int fieldCount = table.NumFields();
    for (int i = 0; i < fieldCount; ++i) {
        buffer.append(html::kCellStart);
        table.FieldAt(i).AppendValueText(buffer);
        buffer.append(html::kCellEnd);
    }
    buffer.append(html::kRowEnd);
    lines.Add(std::string(buffer)); // an exact-size copy; buffer keeps its capacity
}

void AddRecordRow(TClientDataSet& table, TStringList& lines) {
    std::string buffer;
    AddRecordRow(table, lines, buffer);
}

std::string DateTimeLine(const LocalTime& at, const FormatSettings& settings) {
    std::string line(html::kDateTimeStart);
    AppendTwoDigits(line, at.Day);
    AppendSeparator(line, settings.DateSeparator);
    AppendTwoDigits(line, at.Month);
    AppendSeparator(line, settings.DateSeparator);
    AppendTwoDigits(line, at.Year / 100);
    AppendTwoDigits(line, at.Year);
    line += ' ';
    AppendTwoDigits(line, at.Hour);
    AppendSeparator(line, settings.TimeSeparator);
    AppendTwoDigits(line, at.Minute);
    line.append(html::kDateTimeEnd);
    return line;
}

void BuildHtml(TClientDataSet& table, TStringList& lines, const Clock& clock,
               const FormatSettings& settings) {
    lines.Clear();
    lines.Add(std::string(html::kOpening));
    const int fieldCount = table.NumFields();
    for (int i = 0; i < fieldCount; ++i)
        lines.Add(HeaderEntry(table.FieldAt(i).FieldName()));
    std::string buffer;
    ForEachRecord(table, [&] { AddRecordRow(table, lines, buffer); });
    lines.Add(std::string(html::kTableEnd));
    lines.Add(DateTimeLine(clock.Now(), settings)); // after the walk: the moment of the build's end
    lines.Add(std::string(html::kClosing));
}

} // namespace pagora
