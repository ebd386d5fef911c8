#include "folders/SelectionFilter.h"

#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "platform/db/Database.h"
#include "platform/settings/Settings.h"
#include "platform/text/Text.h"

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vt::folders {

const std::array<FilterField, 12>& filterFields() {
    static constexpr std::array<FilterField, 12> fields = {{
        {"Partner", "Partner", true},
        {"Transaction", "Transaction", true},
        {"Version", "Version", true},
        {"Date", "Date", true},
        {"Time", "Time", true},
        {"Used", "Used", false},
        {"Interchange Control Number", "InterchangeControlNumber", false},
        {"Group Control Number", "GroupControlNumber", false},
        {"Sender ID", "SenderID", false},
        {"Sender Division", "SenderDivision", false},
        {"Receiver ID", "ReceiverID", false},
        {"Receiver Division", "ReceiverDivision", false},
    }};
    return fields;
}

bool filterSetting(const Settings& settings, const FilterField& f) {
    const std::string value = text::trim(settings.get("Filter", f.key, f.byDefault ? "True" : "False"));
    if (text::equalsNoCase(value, "True")) return true;
    if (text::equalsNoCase(value, "False")) return false;
    const bool numeric = !value.empty() && value.find_first_not_of("+-0123456789.") == std::string::npos;
    if (!numeric) throw core::typeMismatchError();
    return text::val(value) != 0.0;
}

void SelectAllItems(FolderSelection& list) {
    if (!list.anySelected()) return;
    list.selected.assign(list.ids.size(), true);
}

void SelectionFilter(const core::Services& s, FolderSelection& list) {
    if (!list.anySelected()) return;
    if (!isItemTable(list.table)) return;   // the log folders have no filter fields
    try {
        const std::string table(itemTable(list.table));
        std::vector<std::string_view> ticked;
        for (const FilterField& f : filterFields())
            if (filterSetting(s.settings, f)) ticked.push_back(f.field);

        // The ticked values of every row as one text, each value behind its length.
        std::string sql = "SELECT Id";
        for (std::string_view field : ticked) sql += ", \"" + std::string(field) + "\"";
        sql += " FROM \"" + table + "\"";
        auto q = s.db.prepare(sql);
        std::unordered_map<std::int64_t, std::string> values;
        values.reserve(list.ids.size());
        while (q.step()) {
            std::string v;
            for (int c = 1; c <= int(ticked.size()); ++c) {
                const std::string field = q.text(c);
                v += std::to_string(field.size());
                v += ':';
                v += field;
            }
            values.emplace(q.int64(0), std::move(v));
        }

        list.selected.resize(list.ids.size());
        const std::string* reference = nullptr;
        for (std::size_t i = 0; i < list.ids.size(); ++i) {
            if (!list.selected[i]) continue;
            auto at = values.find(list.ids[i]);
            if (at != values.end()) reference = &at->second;
        }
        if (!reference) return;
        for (std::size_t i = 0; i < list.ids.size(); ++i) {
            auto at = values.find(list.ids[i]);
            if (at != values.end() && at->second == *reference) list.selected[i] = true;
        }
    } catch (...) {
        core::ReportError(s);
    }
}

}  // namespace vt::folders
