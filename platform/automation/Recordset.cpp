#include "Recordset.h"

#include "Criteria.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vt::automation {

bool isTextType(int t) {
    switch (t) {
    case adtype::BSTR: case adtype::Char: case adtype::WChar: case adtype::VarChar:
    case adtype::LongVarChar: case adtype::VarWChar: case adtype::LongVarWChar: case adtype::GUID:
        return true;
    default:
        return false;
    }
}

namespace {

constexpr std::string_view kRecordset = "ADODB.Recordset";
constexpr std::string_view kFields = "ADODB.Fields";
constexpr std::string_view kField = "ADODB.Field";


bool isNumeric(int t) { return t == adtype::Numeric || t == adtype::Decimal || t == adtype::VarNumeric; }

bool isBinary(int t) { return t == adtype::Binary || t == adtype::VarBinary || t == adtype::LongVarBinary; }

// "1405" or "140509" (an X12 time) as a time of day; nullopt for anything else.
std::optional<double> compactTime(std::string_view s) {
    const std::string t = text::trim(s);
    if (t.size() != 4 && t.size() != 6) return std::nullopt;
    for (char c : t)
        if (c < '0' || c > '9') return std::nullopt;
    const int h = (t[0] - '0') * 10 + (t[1] - '0'), m = (t[2] - '0') * 10 + (t[3] - '0');
    const int sec = t.size() == 6 ? (t[4] - '0') * 10 + (t[5] - '0') : 0;
    if (h > 23 || m > 59 || sec > 59) return std::nullopt;
    return (h * 3600 + m * 60 + sec) / 86400.0;
}

double timeOfDay(double oleDate) { return std::fabs(oleDate - std::trunc(oleDate)); }

std::int64_t wholeNumber(const Variant& v, double lo, double hi) {
    const Decimal d = toDecimal(v).rounded(0);
    const double x = d.toDouble();
    if (x < lo || x > hi) raise(err::Overflow);
    return std::int64_t(x);
}

// The value a field of `def` stores for `v`; Error -2147217887 when it cannot take it.
Variant coerce(const FieldDef& def, const Variant& in) {
    try {
        const Variant v = in.isObject() ? defaultValue(in) : in;
        if (v.isEmpty() || v.isNull()) return Variant::null();
        if (v.isArray() && !isBinary(def.type) && def.type != adtype::Variant) raise(err::TypeMismatch);
        const int t = def.type;
        if (isTextType(t)) {
            std::string s = toString(v);
            if (def.definedSize > 0 && s.size() > std::size_t(def.definedSize)) raise(err::Overflow);
            return Variant(std::move(s));
        }
        if (isNumeric(t)) {
            Decimal d = toDecimal(v).rounded(def.numericScale);
            if (def.precision > 0 && d.integerDigits() > int(def.precision) - int(def.numericScale)) raise(err::Overflow);
            return Variant(d);
        }
        switch (t) {
        case adtype::SmallInt: return Variant(toInt16(v));
        case adtype::Integer: return Variant(toInt32(v));
        case adtype::TinyInt: return Variant(std::int16_t(wholeNumber(v, -128, 127)));
        case adtype::UnsignedTinyInt: return Variant(toByte(v));
        case adtype::UnsignedSmallInt: return Variant(std::int32_t(wholeNumber(v, 0, 65535)));
        case adtype::UnsignedInt: return Variant(double(wholeNumber(v, 0, 4294967295.0)));
        case adtype::BigInt: {
            const Decimal d = toDecimal(v).rounded(0);
            if (d > Decimal::fromInt64(std::numeric_limits<std::int64_t>::max()) ||
                d < Decimal::fromInt64(std::numeric_limits<std::int64_t>::min()))
                raise(err::Overflow);
            return Variant(d);
        }
        case adtype::UnsignedBigInt: {
            const Decimal d = toDecimal(v).rounded(0);
            if (d.negative && !d.isZero()) raise(err::Overflow);
            if (d.mantissa > std::numeric_limits<std::uint64_t>::max()) raise(err::Overflow);
            return Variant(d);
        }
        case adtype::Single: return Variant(toSingle(v));
        case adtype::Double: return Variant(toDouble(v));
        case adtype::Currency: return Variant(toCurrency(v));
        case adtype::Boolean: return Variant(toBool(v));
        case adtype::Date: case adtype::DBTimeStamp: case adtype::FileTime: return Variant(Date{toDate(v)});
        case adtype::DBDate: return Variant(Date{std::trunc(toDate(v))});
        case adtype::DBTime: {
            if (v.isString())
                if (auto t4 = compactTime(v.stringValue())) return Variant(Date{*t4});
            return Variant(Date{timeOfDay(toDate(v))});
        }
        case adtype::Binary: case adtype::VarBinary: case adtype::LongVarBinary: {
            Variant b = v.isArray() ? v : Variant::bytes(toString(v));
            if (def.definedSize > 0 && b.arrayValue().size() > std::size_t(def.definedSize)) raise(err::Overflow);
            return b;
        }
        default: return v;   // adVariant
        }
    } catch (const Error&) {
        raise(aderr::ErrorsOccurred, kField);
    }
}

struct Row {
    std::vector<Variant> values;
    bool deleted = false;
};

}  // namespace

bool isSupportedFieldType(int t) noexcept {
    switch (t) {
    case adtype::SmallInt: case adtype::Integer: case adtype::Single: case adtype::Double:
    case adtype::Currency: case adtype::Date: case adtype::BSTR: case adtype::Boolean:
    case adtype::Variant: case adtype::Decimal: case adtype::TinyInt: case adtype::UnsignedTinyInt:
    case adtype::UnsignedSmallInt: case adtype::UnsignedInt: case adtype::BigInt: case adtype::UnsignedBigInt:
    case adtype::FileTime: case adtype::GUID: case adtype::Binary: case adtype::Char: case adtype::WChar:
    case adtype::Numeric: case adtype::DBDate: case adtype::DBTime: case adtype::DBTimeStamp:
    case adtype::VarNumeric: case adtype::VarChar: case adtype::LongVarChar: case adtype::VarWChar:
    case adtype::LongVarWChar: case adtype::VarBinary: case adtype::LongVarBinary:
        return true;
    default:
        return false;
    }
}

struct Recordset::Impl {
    std::vector<FieldDef> fields;
    bool open = false;
    std::vector<std::unique_ptr<Row>> rows;   // in order of addition
    std::vector<Row*> view;                    // visible rows: filtered, sorted
    std::ptrdiff_t pos = -1;                   // into view; -1 BOF, view.size() EOF
    // Deleted rows stay in the view until it is built again; these many at its front and at its
    // back are known to be deleted, so MoveFirst and MoveLast after many deletions stay cheap.
    std::size_t headDeleted = 0;
    std::size_t tailDeleted = 0;
    std::string filterText;
    std::unique_ptr<criteria::Filter> filter;
    std::string sortText;
    std::vector<criteria::SortKey> sortKeys;
    std::size_t live = 0;                      // rows of the view not deleted
    EditMode edit = EditNone;
    std::vector<Variant> pending;              // values of an edit in progress
    Row* rowBeforeAdd = nullptr;               // current before AddNew (null at BOF/EOF)
    std::ptrdiff_t posBeforeAdd = -1;          // and its place in the view
    bool eofBeforeAdd = false;

    std::size_t visibleCount() const { return live; }
    bool onRow() const { return pos >= 0 && pos < std::ptrdiff_t(view.size()); }
    Row* current() const { return onRow() ? view[std::size_t(pos)] : nullptr; }
    bool onDeleted() const { return onRow() && view[std::size_t(pos)]->deleted; }

    void requireOpen() const {
        if (!open) raise(aderr::ObjectClosed, kRecordset);
    }
    Row& requireCurrent() const {
        requireOpen();
        Row* r = current();
        if (!r) raise(aderr::NoCurrentRecord, kRecordset);
        if (r->deleted) raise(aderr::DeletedRow, kRecordset);
        return *r;
    }

    // Deleted rows go; the view is filtered and sorted again; the first record becomes current.
    void rebuild() {
        rows.erase(std::remove_if(rows.begin(), rows.end(), [](const auto& r) { return r->deleted; }), rows.end());
        view.clear();
        for (const auto& r : rows)
            if (!filter || filter->matches(r->values)) view.push_back(r.get());
        if (!sortKeys.empty()) {
            // The keys side by side, so that the sort does not chase every row through memory.
            const std::size_t width = sortKeys.size();
            std::vector<Variant> keys;
            keys.reserve(view.size() * width);
            for (const Row* r : view)
                for (const auto& k : sortKeys) keys.push_back(r->values[k.field]);
            std::vector<std::size_t> order(view.size());
            for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
            std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
                for (std::size_t j = 0; j < width; ++j) {
                    int c = criteria::orderValues(keys[a * width + j], keys[b * width + j]);
                    if (sortKeys[j].descending) c = -c;
                    if (c != 0) return c < 0;
                }
                return false;
            });
            std::vector<Row*> sorted(view.size());
            for (std::size_t i = 0; i < order.size(); ++i) sorted[i] = view[order[i]];
            view = std::move(sorted);
        }
        live = view.size();
        pos = view.empty() ? -1 : 0;
        headDeleted = tailDeleted = 0;
    }

    // Drops deleted rows from the view once they outnumber the others, so that walks do not
    // keep stepping over them. Only while no row is current (a move follows).
    void compact() {
        const std::size_t deleted = view.size() - live;
        if (deleted < 64 || deleted < live) return;
        view.erase(std::remove_if(view.begin(), view.end(), [](const Row* r) { return r->deleted; }), view.end());
        rows.erase(std::remove_if(rows.begin(), rows.end(), [](const auto& r) { return r->deleted; }), rows.end());
        headDeleted = tailDeleted = 0;
        pos = -1;
    }

    void commitEdit() {
        if (edit == EditInProgress) {
            if (Row* r = current()) r->values = std::move(pending);
            pending.clear();
        }
        edit = EditNone;
        rowBeforeAdd = nullptr;
    }

    // Removes a row that is in the view (a new record being cancelled: the last of both lists).
    void removeRow(Row* row) {
        if (!row->deleted) --live;
        if (!view.empty() && view.back() == row) view.pop_back();
        else view.erase(std::remove(view.begin(), view.end(), row), view.end());
        if (!rows.empty() && rows.back().get() == row) rows.pop_back();
        else rows.erase(std::remove_if(rows.begin(), rows.end(), [row](const auto& r) { return r.get() == row; }), rows.end());
        headDeleted = std::min(headDeleted, view.size());
        tailDeleted = std::min(tailDeleted, view.size());
    }
};

Recordset::Recordset() : d_(std::make_unique<Impl>()) {}
Recordset::~Recordset() = default;

// ---- Shape ----

void Recordset::appendField(std::string_view name, int type, std::int32_t definedSize, std::int32_t attributes) {
    if (d_->open) raise(aderr::IllegalOperation, kRecordset);
    if (name.empty() || !isSupportedFieldType(type) || definedSize < 0) raise(aderr::InvalidArgument, kFields);
    if (findField(name) >= 0) raise(aderr::ObjectInCollection, kFields);
    FieldDef f;
    f.name = std::string(name);
    f.type = type;
    f.definedSize = definedSize;
    f.attributes = attributes;
    d_->fields.push_back(std::move(f));
}

void Recordset::setPrecision(std::size_t field, std::uint8_t precision) {
    if (d_->open) raise(aderr::IllegalOperation, kField);
    if (field >= d_->fields.size()) raise(aderr::ItemNotFound, kFields);
    d_->fields[field].precision = precision;
}

void Recordset::setNumericScale(std::size_t field, std::uint8_t scale) {
    if (d_->open) raise(aderr::IllegalOperation, kField);
    if (field >= d_->fields.size()) raise(aderr::ItemNotFound, kFields);
    d_->fields[field].numericScale = scale;
}

void Recordset::open() {
    if (d_->open) raise(aderr::ObjectOpen, kRecordset);
    if (d_->fields.empty()) raise(aderr::InvalidConnection, kRecordset);
    d_->open = true;
    d_->rows.clear();
    d_->rebuild();
}

void Recordset::close() {
    d_->requireOpen();
    d_->open = false;
    d_->edit = EditNone;
    d_->pending.clear();
    d_->rows.clear();
    d_->view.clear();
    d_->live = 0;
    d_->pos = -1;
}

bool Recordset::isOpen() const noexcept { return d_->open; }

std::size_t Recordset::fieldCount() const noexcept { return d_->fields.size(); }

const FieldDef& Recordset::fieldDef(std::size_t field) const {
    if (field >= d_->fields.size()) raise(aderr::ItemNotFound, kFields);
    return d_->fields[field];
}

int Recordset::findField(std::string_view name) const noexcept { return criteria::fieldIndex(d_->fields, name); }

std::size_t Recordset::resolveField(const Variant& key0) const {
    const Variant key = key0.isObject() ? defaultValue(key0) : key0;
    if (key.isString()) {
        const int i = findField(key.stringValue());
        if (i < 0) raise(aderr::ItemNotFound, kFields);
        return std::size_t(i);
    }
    if (key.hasNumericType()) {
        double n = 0;
        try {
            n = toDouble(key);
        } catch (const Error&) {
            raise(aderr::ItemNotFound, kFields);
        }
        n = std::nearbyint(n);
        if (n < 0 || n >= double(d_->fields.size())) raise(aderr::ItemNotFound, kFields);
        return std::size_t(n);
    }
    raise(aderr::ItemNotFound, kFields);
}

// ---- Values ----

Variant Recordset::value(std::size_t field) const {
    Row& r = d_->requireCurrent();
    if (field >= d_->fields.size()) raise(aderr::ItemNotFound, kFields);
    if (d_->edit == EditInProgress) return d_->pending[field];
    return r.values[field];
}

Variant Recordset::value(std::string_view name) const {
    const int i = findField(name);
    if (i < 0) raise(aderr::ItemNotFound, kFields);
    return value(std::size_t(i));
}

void Recordset::setValue(std::size_t field, const Variant& v) {
    Row& r = d_->requireCurrent();
    if (field >= d_->fields.size()) raise(aderr::ItemNotFound, kFields);
    Variant stored = coerce(d_->fields[field], v);
    if (d_->edit == EditNone) {
        d_->pending = r.values;
        d_->edit = EditInProgress;
    }
    if (d_->edit == EditInProgress) d_->pending[field] = std::move(stored);
    else r.values[field] = std::move(stored);
}

void Recordset::setValue(std::string_view name, const Variant& v) {
    const int i = findField(name);
    if (i < 0) raise(aderr::ItemNotFound, kFields);
    setValue(std::size_t(i), v);
}

// ---- Editing ----

void Recordset::addNew() {
    d_->requireOpen();
    d_->commitEdit();
    Row* before = d_->current();
    const std::ptrdiff_t posBefore = d_->pos;
    const bool wasEof = d_->pos >= std::ptrdiff_t(d_->view.size());
    auto row = std::make_unique<Row>();
    row->values.assign(d_->fields.size(), Variant::null());
    d_->view.push_back(row.get());
    d_->rows.push_back(std::move(row));
    ++d_->live;
    d_->tailDeleted = 0;
    d_->pos = std::ptrdiff_t(d_->view.size()) - 1;
    d_->edit = EditAdd;
    d_->rowBeforeAdd = before && !before->deleted ? before : nullptr;
    d_->posBeforeAdd = before ? posBefore : -1;
    d_->eofBeforeAdd = wasEof;
}

void Recordset::update() {
    d_->requireOpen();
    d_->commitEdit();
}

void Recordset::cancelUpdate() {
    d_->requireOpen();
    if (d_->edit == EditAdd) {
        Row* added = d_->current();
        Row* back = d_->rowBeforeAdd;
        const bool wasEof = d_->eofBeforeAdd;
        if (added) d_->removeRow(added);
        d_->pos = -1;
        if (back) {
            // Only the new record left the view since AddNew, so the old place still holds.
            const std::ptrdiff_t p = d_->posBeforeAdd;
            if (p >= 0 && p < std::ptrdiff_t(d_->view.size()) && d_->view[std::size_t(p)] == back) {
                d_->pos = p;
            } else {
                auto it = std::find(d_->view.begin(), d_->view.end(), back);
                if (it != d_->view.end()) d_->pos = it - d_->view.begin();
            }
        } else if (wasEof) {
            d_->pos = std::ptrdiff_t(d_->view.size());
        }
    }
    d_->pending.clear();
    d_->edit = EditNone;
    d_->rowBeforeAdd = nullptr;
}

void Recordset::deleteCurrent() {
    Row& r = d_->requireCurrent();
    d_->pending.clear();
    d_->edit = EditNone;
    d_->rowBeforeAdd = nullptr;
    r.deleted = true;
    --d_->live;
}

Recordset::EditMode Recordset::editMode() const noexcept { return d_->edit; }

// ---- Position ----

void Recordset::moveFirst() {
    d_->requireOpen();
    d_->commitEdit();
    if (d_->live == 0) raise(aderr::NoCurrentRecord, kRecordset);
    d_->compact();
    std::size_t i = d_->headDeleted;
    while (d_->view[i]->deleted) ++i;
    d_->headDeleted = i;
    d_->pos = std::ptrdiff_t(i);
}

void Recordset::moveLast() {
    d_->requireOpen();
    d_->commitEdit();
    if (d_->live == 0) raise(aderr::NoCurrentRecord, kRecordset);
    d_->compact();
    std::size_t i = d_->view.size() - 1 - d_->tailDeleted;
    while (d_->view[i]->deleted) --i;
    d_->tailDeleted = d_->view.size() - 1 - i;
    d_->pos = std::ptrdiff_t(i);
}

void Recordset::moveNext() {
    d_->requireOpen();
    if (eof()) raise(aderr::NoCurrentRecord, kRecordset);
    d_->commitEdit();
    const auto n = std::ptrdiff_t(d_->view.size());
    std::ptrdiff_t p = d_->pos + 1;
    while (p < n && d_->view[std::size_t(p)]->deleted) ++p;
    d_->pos = p;
}

void Recordset::movePrevious() {
    d_->requireOpen();
    if (bof()) raise(aderr::NoCurrentRecord, kRecordset);
    d_->commitEdit();
    std::ptrdiff_t p = std::min(d_->pos, std::ptrdiff_t(d_->view.size())) - 1;
    while (p >= 0 && d_->view[std::size_t(p)]->deleted) --p;
    d_->pos = p;
}

bool Recordset::bof() const {
    d_->requireOpen();
    if (d_->visibleCount() == 0 && !d_->onDeleted()) return true;
    return d_->pos < 0;
}

bool Recordset::eof() const {
    d_->requireOpen();
    if (d_->visibleCount() == 0 && !d_->onDeleted()) return true;
    return d_->pos >= std::ptrdiff_t(d_->view.size());
}

std::int32_t Recordset::recordCount() const {
    d_->requireOpen();
    return std::int32_t(d_->visibleCount());
}

std::int32_t Recordset::absolutePosition() const {
    d_->requireOpen();
    if (bof()) return -2;
    if (eof()) return -3;
    if (d_->live == d_->view.size()) return std::int32_t(d_->pos + 1);
    std::int32_t n = 0;
    for (auto i = std::ptrdiff_t(d_->headDeleted); i <= d_->pos; ++i) n += !d_->view[std::size_t(i)]->deleted;
    return std::max(n, 1);
}

// ---- Filter and Sort ----

void Recordset::setFilter(std::string_view criteria) {
    auto parsed = criteria::parseFilter(criteria, d_->fields);
    if (d_->open) d_->commitEdit();
    d_->filter = std::move(parsed);
    d_->filterText = d_->filter ? std::string(criteria) : std::string();
    if (d_->open) d_->rebuild();
}

const std::string& Recordset::filter() const noexcept { return d_->filterText; }

void Recordset::setSort(std::string_view sort) {
    auto keys = criteria::parseSort(sort, d_->fields);
    if (d_->open) d_->commitEdit();
    d_->sortKeys = std::move(keys);
    d_->sortText = d_->sortKeys.empty() ? std::string() : std::string(sort);
    if (d_->open) d_->rebuild();
}

const std::string& Recordset::sort() const noexcept { return d_->sortText; }

Ref<Fields> Recordset::fields() { return makeRef<Fields>(Ref<Recordset>(this)); }

// ---- Late-bound members ----

const Members<Recordset>& Recordset::members() {
    using R = Recordset;
    static const Members<R> m = [] {
        Members<R> t("Recordset");
        auto noResult = [](void (R::*fn)()) {
            return [fn](R& r, Args&) { (r.*fn)(); return Variant(); };
        };
        t.method("AddNew", {}, noResult(&R::addNew))
            .method("Update", {}, noResult(&R::update))
            .method("CancelUpdate", {}, noResult(&R::cancelUpdate))
            .method("Delete", {0, 1}, [](R& r, Args& a) {
                if (a.has(0) && a.int32(0) != 1) raise(aderr::InvalidArgument, kRecordset);
                r.deleteCurrent();
                return Variant();
            })
            .method("MoveFirst", {}, noResult(&R::moveFirst))
            .method("MoveLast", {}, noResult(&R::moveLast))
            .method("MoveNext", {}, noResult(&R::moveNext))
            .method("MovePrevious", {}, noResult(&R::movePrevious))
            .method("Open", {0, 5}, [](R& r, Args& a) {
                // Only an in-memory open: no source, no connection.
                for (std::size_t i = 0; i < std::min<std::size_t>(a.size(), 2); ++i)
                    if (a.has(i) && !a.raw(i).isNothing() && !(a.raw(i).isString() && a.raw(i).stringValue().empty()))
                        raise(aderr::InvalidConnection, kRecordset);
                r.open();
                if (a.has(2)) r.cursorType = a.int32(2);
                if (a.has(3)) r.lockType = a.int32(3);
                return Variant();
            })
            .method("Close", {}, noResult(&R::close))
            .get("BOF", [](R& r, Args&) { return Variant(r.bof()); })
            .get("EOF", [](R& r, Args&) { return Variant(r.eof()); })
            .get("RecordCount", [](R& r, Args&) { return Variant(r.recordCount()); })
            .get("AbsolutePosition", [](R& r, Args&) { return Variant(r.absolutePosition()); })
            .get("EditMode", [](R& r, Args&) { return Variant(std::int32_t(r.editMode())); })
            .get("State", [](R& r, Args&) { return Variant(std::int32_t(r.isOpen() ? 1 : 0)); })
            .get("Filter", [](R& r, Args&) { return Variant(r.filter()); })
            .let("Filter", [](R& r, Args&, const Variant& v) {
                const Variant x = v.isObject() ? defaultValue(v) : v;
                if (x.hasNumericType()) {
                    if (toInt32(x) != 0) raise(aderr::InvalidArgument, kRecordset);
                    r.setFilter("");   // adFilterNone
                } else if (x.isString() || x.isEmpty()) {
                    r.setFilter(toText(x));
                } else {
                    raise(aderr::InvalidArgument, kRecordset);
                }
            })
            .get("Sort", [](R& r, Args&) { return Variant(r.sort()); })
            .let("Sort", [](R& r, Args&, const Variant& v) { r.setSort(toText(v)); })
            .get("CursorType", [](R& r, Args&) { return Variant(r.cursorType); })
            .let("CursorType", [](R& r, Args&, const Variant& v) { r.cursorType = toInt32(v); })
            .get("LockType", [](R& r, Args&) { return Variant(r.lockType); })
            .let("LockType", [](R& r, Args&, const Variant& v) { r.lockType = toInt32(v); })
            .get("Fields", [](R& r, Args&) { return Variant(r.fields()); })
            .defaultMember("Fields");
        return t;
    }();
    return m;
}

Ref<Field> Fields::item(const Variant& key) const { return makeRef<Field>(owner_, owner_->resolveField(key)); }

std::unique_ptr<Enumerator> Fields::enumerate() {
    std::vector<Variant> items;
    for (std::size_t i = 0; i < owner_->fieldCount(); ++i) items.emplace_back(makeRef<Field>(owner_, i));
    return std::make_unique<VectorEnumerator>(std::move(items));
}

const Members<Fields>& Fields::members() {
    static const Members<Fields> m = [] {
        Members<Fields> t("Fields");
        t.get("Count", [](Fields& f, Args&) { return Variant(std::int32_t(f.owner_->fieldCount())); })
            .get("Item", {1, 1}, [](Fields& f, Args& a) { return Variant(f.item(a.raw(0))); })
            .method("Append", {2, 5}, [](Fields& f, Args& a) {
                std::int32_t type = 0, size = 0, attributes = 0;
                try {
                    type = a.int32(1);
                    size = a.int32(2);
                    attributes = a.int32(3);
                } catch (const Error&) {
                    raise(aderr::InvalidArgument, kFields);
                }
                f.owner_->appendField(a.string(0), type, size, attributes);
                return Variant();
            })
            .defaultMember("Item");
        return t;
    }();
    return m;
}

const Members<Field>& Field::members() {
    static const Members<Field> m = [] {
        Members<Field> t("Field");
        t.get("Value", [](Field& f, Args&) { return f.owner_->value(f.index_); })
            .let("Value", [](Field& f, Args&, const Variant& v) { f.owner_->setValue(f.index_, v); })
            .get("Name", [](Field& f, Args&) { return Variant(f.owner_->fieldDef(f.index_).name); })
            .get("Type", [](Field& f, Args&) { return Variant(std::int32_t(f.owner_->fieldDef(f.index_).type)); })
            .get("DefinedSize", [](Field& f, Args&) { return Variant(f.owner_->fieldDef(f.index_).definedSize); })
            .get("Attributes", [](Field& f, Args&) { return Variant(f.owner_->fieldDef(f.index_).attributes); })
            .get("Precision", [](Field& f, Args&) { return Variant(f.owner_->fieldDef(f.index_).precision); })
            .let("Precision", [](Field& f, Args&, const Variant& v) { f.owner_->setPrecision(f.index_, toByte(v)); })
            .get("NumericScale", [](Field& f, Args&) { return Variant(f.owner_->fieldDef(f.index_).numericScale); })
            .let("NumericScale", [](Field& f, Args&, const Variant& v) { f.owner_->setNumericScale(f.index_, toByte(v)); })
            .get("ActualSize", [](Field& f, Args&) {
                const Variant v = f.owner_->value(f.index_);
                if (v.isNull()) return Variant(std::int32_t(0));
                if (v.isString()) return Variant(std::int32_t(v.stringValue().size()));
                if (v.isArray()) return Variant(std::int32_t(v.arrayValue().size()));
                return Variant(f.owner_->fieldDef(f.index_).definedSize);
            })
            .defaultMember("Value");
        return t;
    }();
    return m;
}

}  // namespace vt::automation
