// The in-memory table: typed columns, records in the order they were added,
// a cursor, at most one pending record, and a count that suspends the
// controls attached to it (the grid).
#pragma once

#include "Clock.h"
#include "FormatSettings.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pagora {

enum class TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftDateTime };

// Display width in characters of a field of the given type and size.
int DisplayWidth(TFieldType type, int size);

// What the table needs of its surroundings: the user's settings (read live,
// they change with the regional settings), the clock for the current year,
// the user's locale-aware comparison without regard to case, and where a
// text may be cut: the length of its longest start within a number of bytes
// that does not end inside a character (without it, every byte is one).
struct TableEnvironment {
    const FormatSettings* Settings = nullptr;
    const Clock* Now = nullptr;
    std::function<bool(std::string_view, std::string_view)> SameText;
    std::function<std::size_t(std::string_view, std::size_t)> PrefixLength = nullptr;
};

class TFieldDefs;

class TFieldDef {
public:
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name); // EDatabaseError on a duplicate
    TFieldType DataType() const { return type_; }
    void SetDataType(TFieldType type); // resets Size to the type's default
    int Size() const { return size_; }
    void SetSize(int size) { size_ = size; }

private:
    friend class TFieldDefs;
    explicit TFieldDef(TFieldDefs& owner) : owner_(&owner) {}
    TFieldDefs* owner_;
    std::string name_;
    TFieldType type_ = TFieldType::ftUnknown;
    int size_ = 0;
};

class TFieldDefs {
public:
    explicit TFieldDefs(const TableEnvironment& env) : env_(env) {}
    TFieldDef& NewFieldDef();
    std::size_t Count() const { return defs_.size(); }
    const TFieldDef& operator[](std::size_t i) const { return *defs_[i]; }
    TFieldDef& operator[](std::size_t i) { return *defs_[i]; }
    void Clear() { defs_.clear(); }

private:
    friend class TFieldDef;
    const TableEnvironment& env_;
    std::vector<std::unique_ptr<TFieldDef>> defs_;
};

class TClientDataSet;

// A field of the open table; it reads and writes the current record.
class TField {
public:
    const std::string& FieldName() const;
    TFieldType DataType() const;
    int Size() const;
    bool IsNull() const;
    std::string ValueText() const;                // never fails; "" for null
    void AppendValueText(std::string& out) const; // the same text, appended to out
    void SetValueText(std::string_view text);

private:
    friend class TClientDataSet;
    TField(TClientDataSet& table, std::size_t column) : table_(&table), column_(column) {}
    TClientDataSet* table_;
    std::size_t column_; // index of the column in the store, fixed while open
};

// How the grid hears of the table. Nothing is told while the controls are
// suspended; the outermost resume tells what changed in the meantime.
class TableObserver {
public:
    virtual ~TableObserver() = default;
    virtual void StateChanged() = 0;  // opened or closed: take up the table anew
    virtual void DataChanged() = 0;   // records or fields changed: redraw all
    virtual void RecordChanged() = 0; // the current record was moved or edited
};

class TClientDataSet {
public:
    enum class State { Closed, Browse, Pending };

    explicit TClientDataSet(const TableEnvironment& env, std::string name = "cds");
    ~TClientDataSet();
    TClientDataSet(const TClientDataSet&) = delete;
    TClientDataSet& operator=(const TClientDataSet&) = delete;

    const std::string& Name() const { return name_; }
    TFieldDefs& FieldDefs() { return fieldDefs_; }
    TFieldDef& NewFieldDef() { return fieldDefs_.NewFieldDef(); }
    void ClearFieldDefs() { fieldDefs_.Clear(); }

    void CloseTable();
    void CreateTable();
    bool Active() const { return state_ != State::Closed; }
    State CurrentState() const { return state_; }

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    bool ChangeLogEnabled() const { return changeLog_; }
    void SetChangeLogEnabled(bool value);
    const std::string& ProviderName() const { return providerName_; }
    void SetProviderName(const std::string& value) { providerName_ = value; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& value) { fileName_ = value; }

    void AddRecord();
    void MoveToFirst();
    void MoveToNext();
    // Makes the record at the given index (from 0) the current one, as the
    // grid's selection does; a pending record is settled first. An index
    // past the last record (counted after settling) is ignored: the cursor
    // stays where it was and nobody is told.
    void MoveTo(std::size_t record);
    bool AtEnd() const { return atEnd_; }

    int NumFields() const;
    // A position outside 0 .. NumFields() - 1 raises EDatabaseError
    // "cds: Field index out of range", in both calls.
    TField& FieldAt(int position);
    void MoveField(int from, int to); // the grid's column drag; not notified

    // Records, for the grid: count of posted records (plus the pending one)
    // and the text of any cell without moving the cursor.
    std::size_t RecordCount() const;
    std::size_t CurrentIndex() const;
    std::string CellText(std::size_t record, int position) const;

    void SuspendControls();
    void ResumeControls();
    int SuspendCount() const { return suspendCount_; }
    void SetObserver(TableObserver* observer) { observer_ = observer; }

    // Bytes held by the records (benchmarks report it).
    std::size_t MemoryBytes() const;

private:
    friend class TField;
    struct Store;

    void SettlePending();
    void RequireOpen() const;
    [[noreturn]] void Fail(const std::string& message) const; // "cds: message"
    void Notify(void (TableObserver::*what)());
    void LayoutChanged();
    std::unique_ptr<Store> BuildStore() const;
    void CheckPosition(int position) const;
    std::uint64_t Parse(std::size_t column, std::string_view text);
    const FormatSettings& Settings() const;
    const Clock& CurrentClock() const;

    const TableEnvironment& env_;
    std::string name_;
    TFieldDefs fieldDefs_;
    State state_ = State::Closed;
    bool readOnly_ = false;
    bool changeLog_ = true;
    std::string providerName_, fileName_;
    std::unique_ptr<Store> store_;
    std::vector<std::unique_ptr<TField>> fields_; // in field order
    std::size_t current_ = 0;
    bool atEnd_ = true;
    int suspendCount_ = 0;
    State notedState_ = State::Closed;
    bool layoutChanged_ = false; // opened or closed while suspended
    TableObserver* observer_ = nullptr;
};

} // namespace pagora
