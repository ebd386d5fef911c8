#pragma once
// Filter and Sort texts of the record set, parsed against its fields. Internal to vt_automation.

#include "Recordset.h"

#include <memory>
#include <string_view>
#include <vector>

namespace vt::automation::criteria {

// A parsed Filter text; matches() reads one record's values.
class Filter {
public:
    virtual ~Filter() = default;
    virtual bool matches(const std::vector<Variant>& values) const = 0;
};

// Parses `text` against `fields`: 3001 when malformed, 3265 for an unknown field.
std::unique_ptr<Filter> parseFilter(std::string_view text, const std::vector<FieldDef>& fields);

struct SortKey {
    std::size_t field = 0;
    bool descending = false;
};
// Parses "Field [ASC|DESC], ...": 3001 when malformed, 3265 for an unknown field. "" gives none.
std::vector<SortKey> parseSort(std::string_view text, const std::vector<FieldDef>& fields);

// Order of two values of a field for Sort: Null first, text without regard to case (then by
// byte value), numbers and dates by value. -1, 0 or 1.
int orderValues(const Variant& a, const Variant& b);

// The index of a field by name (without regard to case), or -1.
int fieldIndex(const std::vector<FieldDef>& fields, std::string_view name) noexcept;

}  // namespace vt::automation::criteria
