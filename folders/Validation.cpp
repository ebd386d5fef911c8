#include "folders/Validation.h"

#include "core/Envelopes.h"
#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "core/Savepoint.h"
#include "core/UiSink.h"
#include "folders/PreviewEdit.h"
#include "folders/Progress.h"
#include "platform/db/Database.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <optional>

namespace vt::folders {

namespace {

using text::split;

std::string twoDigits(std::size_t j) { return text::formatNumber(double(j), "00"); }

// The working state of one set, kept between sets only to reuse its buffers.
class SetValidator {
public:
    SetValidator(const core::Services& s, const ValidationMap& map, std::string_view terminator,
                 std::string_view element, std::string_view sub, const ValidationPreview& preview,
                 ItemProgress* progress)
        : s_(s), map_(map), term_(terminator), elem_(element), sub_(sub), preview_(preview), progress_(progress),
          usage_(std::size_t(map.slotCount())) {}

    bool check(std::string_view tset);

private:
    struct Usage {
        std::uint64_t set = 0;   // the set the count belongs to
        std::int32_t count = 0;
        std::vector<std::string> ids;   // ids matched at the position in that set
    };

    bool finding(std::string_view type, const std::string& text) {
        core::LogHistory(s_, type, text);
        return false;
    }
    void highlight(std::string_view id, std::size_t& from) {
        if (!preview_.select) return;
        if (auto hit = FindWholeWord(previewText_, id, from)) {
            from = hit->offset;
            preview_.select(hit->offset, hit->length);
        }
    }
    bool checkSegments(std::string_view tset, std::string& id);

    const core::Services& s_;
    const ValidationMap& map_;
    std::string term_, elem_, sub_;
    const ValidationPreview& preview_;
    ItemProgress* progress_;
    std::vector<Usage> usage_;
    std::uint64_t setNumber_ = 0;
    std::vector<std::string_view> pieces_, elements_;
    std::string previewText_;
};

bool SetValidator::check(std::string_view tset) {
    ++setNumber_;
    std::string id;   // the segment in hand, for the failure finding
    try {
        return checkSegments(tset, id);
    } catch (...) {
        return finding("Error", id + " - Segment - Verify Mapping");
    }
}

bool SetValidator::checkSegments(std::string_view tset, std::string& id) {
    if (preview_.show || preview_.select) previewText_ = PreviewText(tset, term_);
    if (preview_.show) preview_.show(previewText_);

    if (!map_.readable() || map_.segmentCount() == 0) throw core::noCurrentRecordError();
    if (map_.segmentCount() > 32767) throw core::overflowError();
    // A set read without its partner's terminator would pass unchecked as one piece.
    if (term_.empty() || elem_.empty()) throw core::invalidCallError();
    const std::int32_t mapCount = std::int32_t(map_.segmentCount());

    split(tset, term_, pieces_);
    std::int32_t position = 0;
    std::int16_t node = 1;
    std::int32_t attempts = 0;
    std::string previous;
    std::size_t highlightAt = 0;

    // ST, SE and the empty piece after the last terminator are not checked.
    for (std::size_t i = 1; i + 2 < pieces_.size(); ++i) {
        const std::string_view segment = pieces_[i];
        id.clear();
        if (segment.empty()) throw core::subscriptError();
        split(segment, elem_, elements_);
        id.assign(elements_[0]);

        const ValidationMap::Segment* row = nullptr;
        for (;;) {
            if (id != previous) {
                ++position;
                if (node > 1) {
                    position -= node;
                    node = 1;
                }
            } else {
                ++highlightAt;
            }
            highlight(id, highlightAt);
            row = map_.find(id, position);
            if (row) break;
            if (++attempts > mapCount + 10) return finding("Error", id + " - Segment Sequence - Verify Mapping");
        }
        attempts = 1;
        if (row->node < -32768 || row->node > 32767) throw core::overflowError();
        node = std::int16_t(row->node);

        Usage& usage = usage_[std::size_t(row->slot)];
        if (usage.set != setNumber_) {
            usage.set = setNumber_;
            usage.count = 0;
            usage.ids.clear();
        }
        if (std::find(usage.ids.begin(), usage.ids.end(), id) == usage.ids.end()) {
            usage.ids.push_back(id);
            usage.count = 0;
        }
        if (++usage.count > row->maxUsageLoop)
            return finding("Warning", "Segment " + id + " Maximum Usage/Loops = " + std::to_string(row->maxUsageLoop) +
                                          " Exceeded ");
        previous = id;

        const auto& rules = row->elements;
        if (rules.empty()) throw core::noCurrentRecordError();
        const std::size_t present = elements_.size() - 1;
        const std::size_t count = std::max(present, rules.size());
        for (std::size_t j = 1; j <= count; ++j) {
            // An element beyond the map's rows has no row to be read.
            if (j > rules.size()) throw core::noCurrentRecordError();
            const std::string_view value = j <= present ? elements_[j] : std::string_view(sub_);
            const ValidationMap::Element& rule = rules[j - 1];
            if (rule.exclude || value == sub_) continue;
            const auto length = std::int64_t(value.size());
            if (length > rule.maximum)
                return finding("Warning", id + twoDigits(j) + " > Maximum " + " Length = " + std::to_string(length));
            if (length != 0 && length < rule.minimum)
                return finding("Warning", id + twoDigits(j) + " < Minimum " + " Length = " + std::to_string(length));
        }
        if (progress_) progress_->tick();
    }
    return true;
}

}  // namespace

ValidationMap ValidationMap::Load(const core::Services& s, const SelectionKind& kind) {
    ValidationMap map;
    try {
        auto seg = s.db.prepare(
            "SELECT Segment, SegmentIndex, Node, MaxUsageLoop FROM Segment WHERE Partner = ?1 AND \"Transaction\" = ?2"
            " AND Version = ?3 AND Direction = ?4 ORDER BY SegmentIndex, Id");
        seg.bindAll(kind.partner, kind.transaction, kind.version, kind.direction);
        std::unordered_map<std::int64_t, int> slotOf;
        while (seg.step()) {
            Segment row;
            row.id = seg.text(0);
            row.index = seg.int64(1);
            row.node = seg.int64(2);
            row.maxUsageLoop = seg.int64(3);
            auto [it, added] = slotOf.emplace(row.index, map.slots_);
            if (added) ++map.slots_;
            row.slot = it->second;
            map.byPosition_[row.index].push_back(map.segments_.size());
            map.segments_.push_back(std::move(row));
        }

        auto el = s.db.prepare(
            "SELECT Segment, SegmentIndex, Exclude, Minimum, Maximum FROM Element WHERE Partner = ?1"
            " AND \"Transaction\" = ?2 AND Version = ?3 AND Direction = ?4 ORDER BY SegmentIndex, ElementIndex, Id");
        el.bindAll(kind.partner, kind.transaction, kind.version, kind.direction);
        while (el.step()) {
            auto at = map.byPosition_.find(el.int64(1));
            if (at == map.byPosition_.end()) continue;
            const std::string owner = el.text(0);
            const Element rule{el.int64(2) != 0, el.int64(3), el.int64(4)};
            for (std::size_t i : at->second)
                if (text::equalsNoCase(map.segments_[i].id, owner)) map.segments_[i].elements.push_back(rule);
        }
        map.readable_ = true;
    } catch (...) {
        map = ValidationMap();
    }
    return map;
}

const ValidationMap::Segment* ValidationMap::find(std::string_view id, std::int64_t position) const {
    auto at = byPosition_.find(position);
    if (at == byPosition_.end()) return nullptr;
    for (std::size_t i : at->second)
        if (text::equalsNoCase(segments_[i].id, id)) return &segments_[i];
    return nullptr;
}

bool ValidateTransactionSet(const core::Services& s, const ValidationMap& map, std::string_view tset,
                            std::string_view segmentTerminator, std::string_view elementSeparator,
                            std::string_view subElementSeparator, const ValidationPreview& preview,
                            ItemProgress* progress) {
    SetValidator validator(s, map, segmentTerminator, elementSeparator, subElementSeparator, preview, progress);
    return validator.check(tset);
}

bool ValidateTransactionSet(const core::Services& s, std::string_view partner, std::string_view transaction,
                            std::string_view version, std::string_view direction, std::string_view tset,
                            std::string_view segmentTerminator, std::string_view elementSeparator,
                            std::string_view subElementSeparator) {
    const ValidationMap map = ValidationMap::Load(
        s, SelectionKind{std::string(partner), std::string(transaction), std::string(version), std::string(direction)});
    ItemProgress ticks(s.ui, 0, ItemProgress::Rounding::HalfEven);
    return ValidateTransactionSet(s, map, tset, segmentTerminator, elementSeparator, subElementSeparator, {}, &ticks);
}

void ValidateBox(const core::Services& s, const FolderSelection& list, const ValidationPreview& preview) {
    if (!list.anySelected()) return;
    if (RefuseWhileBusy(s)) return;
    const auto kind = UniqueSelection(s, list);
    if (!kind) return;

    FolderCommand running;
    const std::int64_t selected = std::int64_t(list.selectedCount());
    ItemProgress progress(s.ui, selected, ItemProgress::Rounding::HalfEven);
    std::optional<core::Savepoint> batch;
    try {
        const std::string table(itemTable(list.table));
        const std::string terminator = core::GetSegmentTerminator(s, kind->partner);
        const std::string element = core::GetElementSeparator(s, kind->partner);
        const std::string sub = core::GetSubElementSeparator(s, kind->partner);
        const ValidationMap map = ValidationMap::Load(s, *kind);
        SetValidator validator(s, map, terminator, element, sub, preview, &progress);

        batch.emplace(s.db, "validate_box");
        auto& read = s.db.cached("SELECT TSet FROM \"" + table + "\" WHERE Id = ?1");
        // A one-row statement has nothing of its own to undo: OR FAIL spares it a statement journal.
        auto& write = s.db.cached("UPDATE OR FAIL \"" + table + "\" SET Status = ?1 WHERE Id = ?2");
        std::int64_t ordinal = 0, checked = 0, failed = 0;
        std::string tset;
        for (std::int64_t id : list.selectedIds()) {
            progress.show(++ordinal);
            read.reset();
            read.bind(1, id);
            if (!read.step()) continue;   // deleted since the list was filled
            tset = read.text(0);
            read.reset();
            const bool passed = validator.check(tset);
            ++checked;
            if (!passed) ++failed;
            write.reset();
            write.bindAll(std::string_view(passed ? "Validated" : "Error"), id);
            write.run();
        }
        batch->release();
        progress.finish();
        s.ui.folderChanged(table);
        core::LogHistory(s, "Info", kind->key() + " Validated: " + std::to_string(checked) +
                                        " Errors: " + std::to_string(failed));
    } catch (...) {
        const core::ErrorInfo error = core::describeError(std::current_exception());
        // The rows checked so far keep the status written for them.
        if (batch) {
            try {
                batch->release();
            } catch (...) {
            }
        }
        batch.reset();
        progress.finish();
        core::ReportError(s, error);
    }
}

}  // namespace vt::folders
