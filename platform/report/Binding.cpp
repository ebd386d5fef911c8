#include "Binding.h"

#include <algorithm>
#include <numeric>

namespace vt::report {

using automation::Variant;
using automation::VarType;

int compareValues(const Variant& a, const Variant& b) {
    const bool an = a.isNull() || a.isEmpty(), bn = b.isNull() || b.isEmpty();
    if (an || bn) return an == bn ? 0 : an ? -1 : 1;
    try {
        auto r = automation::compare(a, b, automation::CompareMode::Text);
        return r ? *r : 0;
    } catch (...) {
        return 0;   // arrays and objects do not order; keep them where they are
    }
}

std::vector<size_t> reportOrder(const Report& report, const DataTable& data) {
    std::vector<size_t> order(data.rows.size());
    std::iota(order.begin(), order.end(), size_t(0));
    struct Key {
        int column;
        bool descending;
    };
    std::vector<Key> keys;
    for (auto& g : report.groups()) keys.push_back({data.find(g.field), g.descending});
    for (auto& s : report.sorts) keys.push_back({data.find(s.field), s.descending});
    std::erase_if(keys, [](const Key& k) { return k.column < 0; });
    if (keys.empty()) return order;
    std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) {
        for (auto& k : keys) {
            int c = compareValues(data.rows[x][size_t(k.column)], data.rows[y][size_t(k.column)]);
            if (c) return k.descending ? c > 0 : c < 0;
        }
        return false;
    });
    return order;
}

std::string formatValue(const Variant& v, std::string_view picture) {
    try {
        switch (v.type()) {
        case VarType::Empty:
        case VarType::Null: return "";
        case VarType::Date: return text::formatDate(v.dateValue().value, picture);
        case VarType::String: return v.stringValue();
        case VarType::Boolean: return automation::boolText(v.boolValue());
        default:
            if (v.hasNumericType() && !picture.empty()) return text::formatNumber(automation::toDouble(v), picture);
            return automation::toText(v);
        }
    } catch (...) {
        return "#Error";
    }
}

std::string missingFieldText(std::string_view field) { return "?" + std::string(field) + "?"; }

std::string fieldText(const ReportObject& o, const DataTable* data, long row) {
    const int col = data ? data->find(o.field) : -1;
    if (col < 0) return missingFieldText(o.field);
    if (row < 0) return "";
    return formatValue(data->rows[size_t(row)][size_t(col)], o.format);
}

std::string specialText(const ReportObject& o, const RunInfo& run, long recordNumber, int page, int pages) {
    auto pic = [&](std::string_view def) { return o.format.empty() ? def : std::string_view(o.format); };
    switch (o.special) {
    case SpecialKind::PrintDate: return text::formatDate(run.printed, pic("m/d/yyyy"));
    case SpecialKind::PrintTime: return text::formatDate(run.printed, pic("h:nn:ss AM/PM"));
    case SpecialKind::DataDate: return text::formatDate(run.dataRead, pic("m/d/yyyy"));
    case SpecialKind::DataTime: return text::formatDate(run.dataRead, pic("h:nn:ss AM/PM"));
    case SpecialKind::RecordNumber: return recordNumber > 0 ? std::to_string(recordNumber) : "";
    case SpecialKind::PageNumber: return std::to_string(page);
    case SpecialKind::TotalPages: return std::to_string(pages);
    case SpecialKind::PageNofM: return "Page " + std::to_string(page) + " of " + std::to_string(pages);
    }
    return "";
}

std::vector<ExportColumn> exportColumns(const Report& report, const DataTable& data) {
    std::vector<const ReportObject*> fields;
    for (auto& o : report.section(SectionKind::Details).objects)
        if (o.kind == ObjectKind::Field) fields.push_back(&o);
    std::stable_sort(fields.begin(), fields.end(), [](auto* a, auto* b) {
        return a->left != b->left ? a->left < b->left : a->top < b->top;
    });
    std::vector<ExportColumn> cols;
    if (fields.empty()) {
        for (size_t i = 0; i < data.columns.size(); ++i)
            cols.push_back({data.columns[i].name, nullptr, int(i), data.columns[i].type});
        return cols;
    }
    for (auto* o : fields) {
        const int c = data.find(o->field);
        cols.push_back({o->field, o, c, c < 0 ? automation::adtype::VarChar : data.columns[size_t(c)].type});
    }
    return cols;
}

Variant exportValue(const ExportColumn& c, const DataTable& data, size_t row) {
    if (c.dataColumn < 0) return Variant(missingFieldText(c.caption));
    return data.rows[row][size_t(c.dataColumn)];
}

std::string exportText(const ExportColumn& c, const DataTable& data, size_t row) {
    if (c.dataColumn < 0) return missingFieldText(c.caption);
    return formatValue(data.rows[row][size_t(c.dataColumn)], c.object ? std::string_view(c.object->format) : "");
}

}  // namespace vt::report
