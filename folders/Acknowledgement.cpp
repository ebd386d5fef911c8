#include "folders/Acknowledgement.h"

#include "core/Envelopes.h"
#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "core/Savepoint.h"
#include "core/UiSink.h"
#include "folders/FolderOperations.h"
#include "folders/InterchangeReader.h"
#include "folders/OutputFile.h"
#include "folders/UniqueSelection.h"
#include "platform/db/Database.h"
#include "platform/settings/Settings.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"

#include <unordered_map>
#include <vector>

namespace vt::folders {

namespace {

std::string nineDigits(std::size_t n) {
    std::string digits = std::to_string(n);
    return std::string(digits.size() < 9 ? 9 - digits.size() : 0, '0') + digits;
}

// Element n of a segment (0 is its id); RunError 9 when it has fewer.
std::string_view element(std::string_view segment, std::string_view separator, std::size_t n) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = segment.find(separator, start);
        if (at == std::string_view::npos) throw core::subscriptError();
        start = at + separator.size();
    }
    const std::size_t end = segment.find(separator, start);
    return segment.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// One acknowledged functional group: its AK1 values and the AK2/AK5 pairs of its sets.
struct Group {
    std::string functionalGroup, controlNumber;
    std::string pairs;
    std::size_t sets = 0;
};

}  // namespace

bool SetAcknowledged(const core::Services& s, const FolderSelection& list, std::string_view value) {
    try {
        SetFieldOfSelected(s, list, SelectedField::Acknowledged, value);
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

bool GenerateAcknowledgement(const core::Services& s, const FolderSelection& inbox) {
    if (!inbox.anySelected()) return false;
    if (RefuseWhileBusy(s)) return false;
    const auto kind = UniqueSelection(s, inbox);
    if (!kind) return false;
    if (kind->transaction == "997") {
        core::ShowNotice(s, "You Can't Acknowledge an Acknowlegement", core::vbCritical | core::vbOKOnly);
        return false;
    }

    FolderCommand running;
    FolderSelection acknowledged{inbox.table, {}, {}, inbox.current};
    std::filesystem::path file;
    try {
        if (itemTable(inbox.table) != "Inbox") throw core::invalidCallError();
        const std::string t = core::GetSegmentTerminator(s, kind->partner);
        const std::string e = core::GetElementSeparator(s, kind->partner);
        if (t.empty() || e.empty()) throw core::subscriptError();

        // Every selected set is read before a control number is used, so a set that cannot be
        // acknowledged wastes none.
        std::vector<Group> groups;
        std::unordered_map<std::string, std::size_t> groupOf;
        core::Savepoint reading(s.db, "acknowledge_read");
        auto& read = s.db.cached("SELECT FunctionalGroup, GroupControlNumber, TSet FROM Inbox WHERE Id = ?1");
        for (std::int64_t id : inbox.selectedIds()) {
            read.reset();
            read.bind(1, id);
            if (!read.step()) continue;   // deleted since the list was filled
            std::string functionalGroup = read.text(0), controlNumber = read.text(1);
            const std::string tset = read.text(2);
            read.reset();
            const std::string_view st = std::string_view(tset).substr(0, tset.find(t));
            const std::string_view st01 = element(st, e, 1), st02 = element(st, e, 2);

            const std::string key = functionalGroup + '\x1f' + controlNumber;
            auto [at, added] = groupOf.emplace(key, groups.size());
            if (added) groups.push_back(Group{std::move(functionalGroup), std::move(controlNumber), {}, 0});
            Group& g = groups[at->second];
            g.pairs.append("AK2").append(e).append(st01).append(e).append(st02).append(t);
            g.pairs.append("AK5").append(e).append("A").append(t);
            ++g.sets;
            acknowledged.ids.push_back(id);
            acknowledged.selected.push_back(true);
        }
        reading.release();
        if (groups.empty()) return false;

        const std::string setting = s.settings.get("Folders", "Outbound");
        const std::filesystem::path folder = setting.empty() ? dataRoot() : std::filesystem::path(setting);
        std::error_code missing;
        if (!std::filesystem::is_directory(folder, missing)) throw core::RunError(76, "Path not found");

        const std::string isa = core::BuildISASegment(s, kind->partner);
        if (isa.empty()) return false;   // reported by the builder
        const std::string gs = core::BuildGSSegment(s, kind->partner, "FA", kind->version);
        if (gs.empty()) return false;
        const std::string isa13(element(isa, e, 13)), gs06(element(gs, e, 6));

        std::string x12;
        x12.reserve(isa.size() + gs.size() + acknowledged.ids.size() * 24 + groups.size() * 64 + 64);
        x12 += isa;
        x12 += gs;
        for (std::size_t i = 0; i < groups.size(); ++i) {
            const Group& g = groups[i];
            const std::string st02 = nineDigits(i + 1);
            const std::string k = std::to_string(g.sets);
            x12.append("ST").append(e).append("997").append(e).append(st02).append(t);
            x12.append("AK1").append(e).append(g.functionalGroup).append(e).append(g.controlNumber).append(t);
            x12 += g.pairs;
            x12.append("AK9").append(e).append("A").append(e).append(k).append(e).append(k).append(e).append(k).append(t);
            x12.append("SE").append(e).append(std::to_string(2 * g.sets + 4)).append(e).append(st02).append(t);
        }
        x12.append("GE").append(e).append(std::to_string(groups.size())).append(e).append(gs06).append(t);
        x12.append("IEA").append(e).append("1").append(e).append(isa13).append(t);

        file = WriteNewFile(folder, text::formatDate(s.clock.now(), "mmddyy-hhmmss AMPM"), ".OC", x12);
    } catch (...) {
        core::ReportError(s);
        return false;
    }

    const std::string refused = LoadBox(s, file, "O");
    if (!refused.empty()) {
        core::LogHistory(s, "Error", refused);
        return false;
    }
    return SetAcknowledged(s, acknowledged, "Yes");
}

}  // namespace vt::folders
