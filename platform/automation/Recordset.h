#pragma once
// The in-memory record set with the ADO behaviour that scripts, translators, reports and plug-ins
// rely on: fields appended before Open, AddNew/Update/CancelUpdate with an implicit Update on a
// move, BOF/EOF, an exact RecordCount, Delete, Filter and a stable Sort. Late-bound as
// "Recordset" (default member Fields), "Fields" (default Item) and "Field" (default Value), so
// Record("x"), Record.Fields("x") and Record.Fields.Item("x").Value read and write alike.
// Failures are Errors with ADO's numbers and texts.

#include "Object.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vt::automation {

// ADO data type numbers.
namespace adtype {
inline constexpr int Empty = 0;
inline constexpr int SmallInt = 2;
inline constexpr int Integer = 3;
inline constexpr int Single = 4;
inline constexpr int Double = 5;
inline constexpr int Currency = 6;
inline constexpr int Date = 7;
inline constexpr int BSTR = 8;
inline constexpr int IDispatch = 9;
inline constexpr int Error = 10;
inline constexpr int Boolean = 11;
inline constexpr int Variant = 12;
inline constexpr int IUnknown = 13;
inline constexpr int Decimal = 14;
inline constexpr int TinyInt = 16;
inline constexpr int UnsignedTinyInt = 17;
inline constexpr int UnsignedSmallInt = 18;
inline constexpr int UnsignedInt = 19;
inline constexpr int BigInt = 20;
inline constexpr int UnsignedBigInt = 21;
inline constexpr int FileTime = 64;
inline constexpr int GUID = 72;
inline constexpr int Binary = 128;
inline constexpr int Char = 129;
inline constexpr int WChar = 130;
inline constexpr int Numeric = 131;
inline constexpr int DBDate = 133;
inline constexpr int DBTime = 134;
inline constexpr int DBTimeStamp = 135;
inline constexpr int VarNumeric = 139;
inline constexpr int VarChar = 200;
inline constexpr int LongVarChar = 201;
inline constexpr int VarWChar = 202;
inline constexpr int LongVarWChar = 203;
inline constexpr int VarBinary = 204;
inline constexpr int LongVarBinary = 205;
}  // namespace adtype

// Whether a field of that type number can be appended to an in-memory record set.
bool isSupportedFieldType(int adoType) noexcept;
// Whether values of that type are text (compared and filtered as text).
bool isTextType(int adoType);

// ADO error numbers.
namespace aderr {
inline constexpr std::int32_t InvalidArgument = 3001;        // wrong type / out of range / in conflict
inline constexpr std::int32_t NoCurrentRecord = 3021;        // BOF or EOF
inline constexpr std::int32_t IllegalOperation = 3219;       // not allowed in this context
inline constexpr std::int32_t ItemNotFound = 3265;           // not in the collection
inline constexpr std::int32_t ObjectInCollection = 3367;     // already in the collection
inline constexpr std::int32_t ObjectClosed = 3704;           // not allowed when closed
inline constexpr std::int32_t ObjectOpen = 3705;             // not allowed when open
inline constexpr std::int32_t InvalidConnection = 3709;      // no connection, no fields
inline constexpr std::int32_t ErrorsOccurred = -2147217887;  // Multiple-step operation generated errors
inline constexpr std::int32_t DeletedRow = -2147217885;      // the current record has been deleted
}  // namespace aderr

struct FieldDef {
    std::string name;
    int type = adtype::VarChar;
    std::int32_t definedSize = 0;
    std::uint8_t precision = 0;
    std::uint8_t numericScale = 0;
    std::int32_t attributes = 0;
};

class Fields;
class Field;

class Recordset final : public Dispatch<Recordset> {
public:
    enum EditMode { EditNone = 0, EditInProgress = 1, EditAdd = 2 };

    Recordset();
    ~Recordset() override;
    static Ref<Recordset> create() { return makeRef<Recordset>(); }
    static const Members<Recordset>& members();

    // ---- Shape (before Open) ----
    // 3219 when open, 3367 for a name already there, 3001 for an unsupported type or a name "".
    void appendField(std::string_view name, int type, std::int32_t definedSize = 0, std::int32_t attributes = 0);
    // Precision and scale of numeric fields (131, 14, 139); may be set before Open only (3219).
    void setPrecision(std::size_t field, std::uint8_t precision);
    void setNumericScale(std::size_t field, std::uint8_t scale);
    // Opens with no records: 3705 when already open, 3709 without fields.
    void open();
    // Drops the records (fields stay); 3704 when closed.
    void close();
    bool isOpen() const noexcept;

    std::size_t fieldCount() const noexcept;
    const FieldDef& fieldDef(std::size_t field) const;
    // Index of the field of that name (without regard to case), or -1.
    int findField(std::string_view name) const noexcept;
    // A field by name or 0-based ordinal (any numeric subtype); 3265 when there is none.
    std::size_t resolveField(const Variant& nameOrOrdinal) const;

    // ---- Values of the current record (3021 without one, -2147217885 when it was deleted) ----
    Variant value(std::size_t field) const;
    Variant value(std::string_view name) const;
    // Converts to the field's type: text longer than the defined size, a value the type cannot
    // take, or a number beyond the precision gives -2147217887. Starts an edit when none runs.
    void setValue(std::size_t field, const Variant& v);
    void setValue(std::string_view name, const Variant& v);

    // ---- Editing ----
    // Appends a record (every value Null) and makes it current; a pending edit is stored first.
    void addNew();
    // Stores the pending edit or new record; nothing happens when none is pending.
    void update();
    // Drops the pending edit; a new record disappears and the record current before it returns.
    void cancelUpdate();
    // Deletes the current record. It stays current (its values unreadable: -2147217885) until the
    // next move; RecordCount drops at once.
    void deleteCurrent();
    EditMode editMode() const noexcept;

    // ---- Position ----
    // Every move stores a pending edit first. MoveNext at EOF and MovePrevious at BOF give 3021;
    // MoveFirst and MoveLast give 3021 on an empty record set.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    bool bof() const;
    bool eof() const;
    // Records visible through the filter (deleted ones excluded); 3704 when closed.
    std::int32_t recordCount() const;
    // 1-based position, or -2 (BOF) / -3 (EOF).
    std::int32_t absolutePosition() const;

    // ---- Filter and Sort ----
    // Criteria: Field op value, joined by AND / OR, with parentheses; op one of = <> < > <= >=
    // LIKE; values 'text' ('' for a quote), #date#, numbers, Null (with = and <>). Text compares
    // without regard to case. "" removes the filter. Malformed criteria give 3001, an unknown
    // field 3265. The first visible record becomes current.
    void setFilter(std::string_view criteria);
    const std::string& filter() const noexcept;
    // "Field [ASC|DESC], ...": a stable sort of the visible records ("" gives the order of
    // addition). Unknown field 3265, malformed text 3001. The first record becomes current.
    void setSort(std::string_view sort);
    const std::string& sort() const noexcept;

    // Late-bound collections of this record set.
    Ref<Fields> fields();

    // Keyset (1) and optimistic (3) are what the system uses; kept only to be read back.
    std::int32_t cursorType = 1;
    std::int32_t lockType = 3;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// Recordset.Fields.
class Fields final : public Dispatch<Fields> {
public:
    explicit Fields(Ref<Recordset> owner) : owner_(std::move(owner)) {}
    static const Members<Fields>& members();
    std::unique_ptr<Enumerator> enumerate() override;
    const Ref<Recordset>& recordset() const noexcept { return owner_; }
    Ref<Field> item(const Variant& nameOrOrdinal) const;

private:
    Ref<Recordset> owner_;
};

// One field of a record set: its definition and the value in the current record.
class Field final : public Dispatch<Field> {
public:
    Field(Ref<Recordset> owner, std::size_t index) : owner_(std::move(owner)), index_(index) {}
    static const Members<Field>& members();
    std::size_t index() const noexcept { return index_; }
    const Ref<Recordset>& recordset() const noexcept { return owner_; }

private:
    Ref<Recordset> owner_;
    std::size_t index_;
};

}  // namespace vt::automation
