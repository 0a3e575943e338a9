#include "ClientDataSet.h"

#include "Exceptions.h"
#include "TextConv.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

namespace pagora {

namespace {

// Longest field name that the store accepts.
constexpr std::size_t kMaxFieldNameLength = 31;

// Every cell is one 8-byte slot. Null is a pattern that no value can take:
// integers are kept zero-extended, floats and dates are never NaN (no text
// reads as NaN), and a text's offset and length never both reach 2^32 - 1.
constexpr std::uint64_t kNull = ~std::uint64_t{0};

bool AsciiSameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        return lower(x) == lower(y);
    });
}

bool SameName(const TableEnvironment& env, std::string_view a, std::string_view b) {
    return env.SameText ? env.SameText(a, b) : AsciiSameText(a, b);
}

std::uint64_t DoubleSlot(double value) {
    std::uint64_t slot;
    std::memcpy(&slot, &value, sizeof slot);
    return slot;
}

double SlotDouble(std::uint64_t slot) {
    double value;
    std::memcpy(&value, &slot, sizeof value);
    return value;
}

std::string Quoted(std::string_view format, std::string_view a, std::string_view b = {}) {
    // The formats here have one or two %s; nothing else needs formatting.
    std::string out;
    std::string_view args[2] = {a, b};
    int next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's' && next < 2) {
            out.append(args[next++]);
            ++i;
        } else {
            out.push_back(format[i]);
        }
    }
    return out;
}

} // namespace

int DisplayWidth(TFieldType type, int size) {
    switch (type) {
    case TFieldType::ftString:
        return size;
    case TFieldType::ftInteger:
    case TFieldType::ftFloat:
        return 10;
    case TFieldType::ftDateTime:
        return 18;
    default:
        return 0;
    }
}

// ------------------------------------------------------------- definitions

void TFieldDef::SetName(const std::string& name) {
    const TableEnvironment& env = owner_->env_;
    if (!name.empty() && !SameName(env, name, name_)) {
        for (const auto& def : owner_->defs_)
            if (SameName(env, name, def->name_))
                throw EDatabaseError(Quoted("A component named %s already exists", name));
    }
    name_ = name;
}

void TFieldDef::SetDataType(TFieldType type) {
    type_ = type;
    size_ = type == TFieldType::ftString ? 20 : 0;
}

TFieldDef& TFieldDefs::NewFieldDef() {
    defs_.push_back(std::unique_ptr<TFieldDef>(new TFieldDef(*this)));
    return *defs_.back();
}

// ------------------------------------------------------------------- store

// Columnar: one vector of slots per column and one arena for all texts, so
// a million records cost no allocation per cell and the grid reads any cell
// directly. The pending record is the last row while it is pending.
struct TClientDataSet::Store {
    struct Column {
        std::string name;
        TFieldType type;
        std::size_t size;
        std::vector<std::uint64_t> slots;
    };
    std::vector<Column> columns;
    std::vector<char> arena;
    std::size_t rows = 0; // the pending record included
    bool pending = false;
    bool modified = false;
    std::size_t arenaMark = 0; // arena size when the pending record began

    std::string_view Text(std::uint64_t slot) const {
        auto offset = static_cast<std::size_t>(slot & 0xFFFFFFFFu);
        auto length = static_cast<std::size_t>(slot >> 32);
        return {arena.data() + offset, length};
    }

    // A text set again on the pending record takes the place of the one
    // before when it fits, so repeated settings do not grow the arena.
    std::uint64_t PutText(std::uint64_t old, std::string_view text) {
        if (old != kNull && (old >> 32) >= text.size()) {
            std::copy(text.begin(), text.end(), arena.begin() + (old & 0xFFFFFFFFu));
            return (old & 0xFFFFFFFFu) | (static_cast<std::uint64_t>(text.size()) << 32);
        }
        return AddText(text);
    }

    std::uint64_t AddText(std::string_view text) {
        if (arena.size() + text.size() >= 0xFFFFFFFFu)
            throw EOutOfMemory("Out of memory");
        std::uint64_t offset = arena.size();
        arena.insert(arena.end(), text.begin(), text.end());
        return offset | (static_cast<std::uint64_t>(text.size()) << 32);
    }

    // All columns grow by one slot, or none does.
    void AddRow() {
        std::size_t grown = 0;
        try {
            for (auto& column : columns) {
                column.slots.push_back(kNull);
                ++grown;
            }
        } catch (...) {
            for (std::size_t i = 0; i < grown; ++i)
                columns[i].slots.pop_back();
            throw;
        }
        ++rows;
    }

    void DropLastRow() {
        for (auto& column : columns)
            column.slots.pop_back();
        --rows;
        arena.resize(arenaMark);
    }

    // Appends rather than returns, so that walking a large table to build
    // text costs no allocation per cell.
    void AppendCellText(std::size_t col, std::size_t row, const FormatSettings& fs,
                        std::string& out) const {
        const Column& column = columns[col];
        const std::uint64_t slot = column.slots[row];
        if (slot == kNull)
            return;
        switch (column.type) {
        case TFieldType::ftString:
            out.append(Text(slot));
            break;
        case TFieldType::ftInteger: {
            char digits[16];
            const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(slot));
            const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
            out.append(digits, end);
            break;
        }
        case TFieldType::ftFloat:
            AppendFloatText(out, SlotDouble(slot), fs);
            break;
        case TFieldType::ftDateTime:
            AppendDateTimeText(out, SlotDouble(slot), fs);
            break;
        default:
            break;
        }
    }

    std::string CellText(std::size_t col, std::size_t row, const FormatSettings& fs) const {
        std::string text;
        AppendCellText(col, row, fs, text);
        return text;
    }

    std::size_t Bytes() const {
        std::size_t bytes = arena.capacity();
        for (const auto& column : columns)
            bytes += column.slots.capacity() * sizeof(std::uint64_t);
        return bytes;
    }
};

// ------------------------------------------------------------------- table

TClientDataSet::TClientDataSet(const TableEnvironment& env, std::string name)
    : env_(env), name_(std::move(name)), fieldDefs_(env) {}

TClientDataSet::~TClientDataSet() = default;

void TClientDataSet::Fail(const std::string& message) const {
    throw EDatabaseError(name_ + ": " + message);
}

void TClientDataSet::RequireOpen() const {
    if (state_ == State::Closed)
        Fail("Cannot perform this operation on a closed dataset");
}

void TClientDataSet::Notify(void (TableObserver::*what)()) {
    if (observer_ && suspendCount_ == 0)
        (observer_->*what)();
}

void TClientDataSet::CloseTable() {
    if (state_ == State::Closed)
        return;
    fields_.clear();
    store_.reset();
    state_ = State::Closed;
    current_ = 0;
    atEnd_ = true;
    LayoutChanged();
}

// A layout change while the grid is suspended must reach it as a change of
// state even when the table ends up in the state it was noted in (closed
// and opened again with other columns), or the grid keeps stale columns.
void TClientDataSet::LayoutChanged() {
    if (suspendCount_ > 0)
        layoutChanged_ = true;
    else
        Notify(&TableObserver::StateChanged);
}

std::unique_ptr<TClientDataSet::Store> TClientDataSet::BuildStore() const {
    auto store = std::make_unique<Store>();
    for (std::size_t i = 0; i < fieldDefs_.Count(); ++i) {
        const TFieldDef& def = fieldDefs_[i];
        switch (def.DataType()) {
        case TFieldType::ftString:
            // A text column of no length would silently drop every text.
            if (def.Size() < 1)
                throw EDatabaseError("Invalid field size");
            break;
        case TFieldType::ftInteger:
        case TFieldType::ftFloat:
        case TFieldType::ftDateTime:
            break;
        default:
            throw EDatabaseError(Quoted("Field '%s' is of an unknown type", def.Name()));
        }
        store->columns.push_back(
            {def.Name(), def.DataType(), static_cast<std::size_t>(std::max(def.Size(), 0)), {}});
    }
    return store;
}

void TClientDataSet::CreateTable() {
    if (state_ != State::Closed)
        Fail("Cannot perform this operation on an open dataset");
    if (fieldDefs_.Count() == 0)
        throw EDatabaseError("No fields defined.  Cannot create dataset");
    for (std::size_t i = 0; i < fieldDefs_.Count(); ++i) {
        const std::string& name = fieldDefs_[i].Name();
        if (name.size() > kMaxFieldNameLength)
            throw EDSWriter(
                Quoted("Fieldname %s exceeds %s chars", name, std::to_string(kMaxFieldNameLength)));
    }
    auto store = BuildStore();
    std::vector<std::unique_ptr<TField>> fields;
    for (std::size_t i = 0; i < store->columns.size(); ++i) {
        if (store->columns[i].name.empty())
            Fail("Field name missing");
        fields.push_back(std::unique_ptr<TField>(new TField(*this, i)));
    }
    store_ = std::move(store);
    fields_ = std::move(fields);
    state_ = State::Browse;
    current_ = 0;
    atEnd_ = true;
    LayoutChanged();
}

void TClientDataSet::SetChangeLogEnabled(bool value) {
    RequireOpen();
    SettlePending();
    changeLog_ = value;
}

// A pending record with a set field joins the records; one without is
// dropped, and the cursor goes to the last record. A record left pending
// when the table was made read-only during a failed fill is still posted:
// its fields were set while the table was writable, and the grid shows it.
void TClientDataSet::SettlePending() {
    if (state_ != State::Pending)
        return;
    Store& store = *store_;
    const bool posted = store.modified;
    if (!posted) {
        store.DropLastRow();
        current_ = store.rows == 0 ? 0 : store.rows - 1;
        atEnd_ = store.rows == 0;
    }
    store.pending = false;
    store.modified = false;
    state_ = State::Browse;
    Notify(posted ? &TableObserver::RecordChanged : &TableObserver::DataChanged);
}

void TClientDataSet::AddRecord() {
    RequireOpen();
    SettlePending();
    if (readOnly_)
        Fail("Cannot modify a read-only dataset");
    Store& store = *store_;
    store.arenaMark = store.arena.size();
    store.AddRow();
    store.pending = true;
    store.modified = false;
    state_ = State::Pending;
    current_ = store.rows - 1;
    atEnd_ = false;
    Notify(&TableObserver::DataChanged);
}

void TClientDataSet::MoveToFirst() {
    RequireOpen();
    SettlePending();
    current_ = 0;
    atEnd_ = store_->rows == 0;
    Notify(&TableObserver::RecordChanged);
}

void TClientDataSet::MoveToNext() {
    RequireOpen();
    SettlePending();
    if (atEnd_)
        return;
    if (current_ + 1 < store_->rows)
        ++current_;
    else
        atEnd_ = true;
    Notify(&TableObserver::RecordChanged);
}

void TClientDataSet::MoveTo(std::size_t record) {
    RequireOpen();
    SettlePending();
    if (record >= store_->rows)
        return;
    current_ = record;
    atEnd_ = false;
    Notify(&TableObserver::RecordChanged);
}

int TClientDataSet::NumFields() const {
    return state_ == State::Closed ? 0 : static_cast<int>(fields_.size());
}

void TClientDataSet::CheckPosition(int position) const {
    if (position < 0 || position >= NumFields())
        Fail("Field index out of range");
}

TField& TClientDataSet::FieldAt(int position) {
    CheckPosition(position);
    return *fields_[static_cast<std::size_t>(position)];
}

// The grid moved the column itself, so it is not told of the move again.
void TClientDataSet::MoveField(int from, int to) {
    CheckPosition(from);
    CheckPosition(to);
    auto first = fields_.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else if (to < from)
        std::rotate(first + to, first + from, first + from + 1);
}

std::size_t TClientDataSet::RecordCount() const {
    return store_ ? store_->rows : 0;
}

std::size_t TClientDataSet::CurrentIndex() const {
    return current_;
}

std::string TClientDataSet::CellText(std::size_t record, int position) const {
    if (!store_ || record >= store_->rows || position < 0 || position >= NumFields())
        return {};
    return store_->CellText(fields_[static_cast<std::size_t>(position)]->column_, record,
                            Settings());
}

const FormatSettings& TClientDataSet::Settings() const {
    static const FormatSettings defaults;
    return env_.Settings ? *env_.Settings : defaults;
}

void TClientDataSet::SuspendControls() {
    if (suspendCount_ == 0) {
        notedState_ = state_;
        layoutChanged_ = false;
    }
    ++suspendCount_;
}

void TClientDataSet::ResumeControls() {
    if (suspendCount_ == 0)
        return;
    if (--suspendCount_ > 0)
        return;
    if (state_ != notedState_ || layoutChanged_)
        Notify(&TableObserver::StateChanged);
    if (notedState_ != State::Closed && state_ != State::Closed)
        Notify(&TableObserver::DataChanged);
    layoutChanged_ = false;
}

std::size_t TClientDataSet::MemoryBytes() const {
    return store_ ? store_->Bytes() : 0;
}

// ------------------------------------------------------------------ fields

const std::string& TField::FieldName() const {
    return table_->store_->columns[column_].name;
}

TFieldType TField::DataType() const {
    return table_->store_->columns[column_].type;
}

int TField::Size() const {
    return static_cast<int>(table_->store_->columns[column_].size);
}

bool TField::IsNull() const {
    const auto& store = *table_->store_;
    return store.rows == 0 || store.columns[column_].slots[table_->current_] == kNull;
}

std::string TField::ValueText() const {
    std::string text;
    AppendValueText(text);
    return text;
}

void TField::AppendValueText(std::string& out) const {
    const auto& store = *table_->store_;
    if (store.rows != 0)
        store.AppendCellText(column_, table_->current_, table_->Settings(), out);
}

void TField::SetValueText(std::string_view text) {
    TClientDataSet& table = *table_;
    if (table.state_ != TClientDataSet::State::Pending)
        table.Fail("Dataset not in edit or insert mode");
    auto& store = *table.store_;
    auto& column = store.columns[column_];
    column.slots[table.current_] = table.Parse(column_, text);
    store.modified = true;
    table.Notify(&TableObserver::RecordChanged);
}

// The slot for a text in a column of the given type; throws and changes
// nothing when the text does not fit the type.
std::uint64_t TClientDataSet::Parse(std::size_t columnIndex, std::string_view text) {
    const Store::Column& column = store_->columns[columnIndex];
    if (column.type == TFieldType::ftString) {
        text = text.substr(0, text.find('\0'));
        // A text longer than the column keeps its first bytes, but no half
        // of a character that takes more than one.
        if (text.size() > column.size)
            text = text.substr(0, env_.PrefixLength ? env_.PrefixLength(text, column.size)
                                                    : column.size);
        return store_->PutText(column.slots[current_], text);
    }
    if (text.empty())
        return kNull;
    switch (column.type) {
    case TFieldType::ftInteger: {
        std::int32_t value;
        if (!TryTextToInt(text, value))
            throw EDatabaseError(
                Quoted("'%s' is not a valid integer value for field '%s'", text, column.name));
        return static_cast<std::uint32_t>(value);
    }
    case TFieldType::ftFloat: {
        double value;
        if (!TryTextToFloat(text, Settings(), value))
            throw EDatabaseError(Quoted("'%s' is not a valid floating point value for field '%s'",
                                        text, column.name));
        return DoubleSlot(value);
    }
    default: {
        double value;
        if (!TryTextToDateTime(text, Settings(), CurrentClock(), value, env_.SameText))
            throw EConvertError(Quoted("'%s' is not a valid date and time", text));
        return DoubleSlot(value);
    }
    }
}

const Clock& TClientDataSet::CurrentClock() const {
    static const FixedClock fallback{LocalTime{}};
    return env_.Now ? *env_.Now : fallback;
}

} // namespace pagora
