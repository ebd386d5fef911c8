#include "maps/MapEditor.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "maps/MapReport.h"
#include "maps/RecordLayoutFile.h"
#include "platform/automation/Variant.h"
#include "platform/db/Database.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <cmath>

namespace vt::maps {

namespace {

constexpr std::size_t kMaxSegments = 99;
constexpr std::size_t kMaxElements = 99;

std::optional<std::int64_t> wholeNumber(std::string_view text) {
    const std::optional<double> n = automation::parseNumber(text);
    if (!n || !std::isfinite(*n) || std::fabs(*n) > 2147483647.0) return std::nullopt;
    return std::int64_t(text::roundHalfEven(*n));
}

std::string twoDigits(std::int64_t n) { return text::formatNumber(double(n), "00"); }

// Segment and element positions follow the vectors: 1..N, 1..M, elements carrying their
// segment's index and id.
void renumber(Map& map) {
    std::int64_t s = 0;
    for (SegmentRow& seg : map.segments) {
        seg.segmentIndex = ++s;
        std::int64_t e = 0;
        for (ElementRow& el : seg.elements) {
            el.segment = seg.segment;
            el.segmentIndex = s;
            el.elementIndex = ++e;
        }
    }
}

std::optional<std::size_t> previousSibling(const Map& map, std::size_t i) {
    const std::vector<int> p = SegmentParents(map);
    for (std::size_t j = i; j-- > 0;)
        if (p[j] == p[i]) return j;
    return std::nullopt;
}

std::optional<std::size_t> nextSibling(const Map& map, std::size_t i) {
    const std::vector<int> p = SegmentParents(map);
    for (std::size_t j = i + 1; j < p.size(); ++j)
        if (p[j] == p[i]) return j;
    return std::nullopt;
}

// The segment a segment key names; a stale key is an error for the caller's report.
std::size_t segmentAt(const Map& map, const TreeKey& key) {
    if (key.segmentIndex < 1 || std::size_t(key.segmentIndex) > map.segments.size())
        throw core::noCurrentRecordError();
    return std::size_t(key.segmentIndex - 1);
}

std::size_t elementAt(const SegmentRow& seg, const TreeKey& key) {
    if (key.elementIndex < 1 || std::size_t(key.elementIndex) > seg.elements.size())
        throw core::noCurrentRecordError();
    return std::size_t(key.elementIndex - 1);
}

void panelIntoSegment(SegmentRow& row, SegmentPanel& panel, bool newRow) {
    row.looping = panel.looping;
    row.exclude = panel.exclude;
    row.segmentName = panel.segmentName;
    if (const std::string code = SegmentUsageCode(panel.usageIndex); !code.empty()) row.segmentUsage = code;
    if (const std::string code = SegmentLevelCode(panel.levelIndex); !code.empty()) row.level = code;
    row.maxUsageLoop = MaxUsageLoopOf(panel.maxUsageLoop);
    if (const auto n = wholeNumber(panel.placeholders)) {
        if (*n == 0) panel.placeholders = "1";
        row.placeholders = *n == 0 ? 1 : *n;
    } else if (newRow) {
        row.placeholders = 1;
    }
    row.segmentScript = panel.script;
}

void panelIntoElement(ElementRow& row, ElementPanel& panel, bool withReference) {
    NormaliseElementPanel(panel);
    if (withReference) row.reference = wholeNumber(panel.reference).value_or(1);
    row.exclude = panel.exclude;
    row.elementName = panel.elementName;
    if (const std::string code = ElementUsageCode(panel.usageIndex); !code.empty()) row.elementUsage = code;
    if (const std::string code = ElementTypeCode(panel.typeIndex); !code.empty()) row.type = code;
    row.minimum = wholeNumber(panel.minimum).value_or(1);
    row.maximum = wholeNumber(panel.maximum).value_or(1);
    row.elementScript = panel.script;
    row.format = panel.format;
}

}  // namespace

std::vector<int> SegmentParents(const Map& map) {
    std::vector<int> p(map.segments.size(), -1);
    for (std::size_t i = 1; i < map.segments.size(); ++i) {
        const std::int64_t node = map.segments[i].node, before = map.segments[i - 1].node;
        if (node == 1) p[i] = -1;
        else if (node > before) p[i] = int(i - 1);
        else p[i] = p[i - 1];
    }
    return p;
}

std::int64_t MaxUsageLoopOf(std::string_view text) {
    if (text == "0") return 1;
    if (text == ">1") return kManyUses;
    return wholeNumber(text).value_or(1);
}

void NormaliseElementPanel(ElementPanel& panel) {
    if (!automation::parseNumber(panel.reference)) panel.reference = "1";
    if (!automation::parseNumber(panel.minimum)) panel.minimum = "1";
    if (!automation::parseNumber(panel.maximum)) panel.maximum = "1";
    if (*automation::parseNumber(panel.maximum) > 32760) panel.maximum = "32760";
    if (*automation::parseNumber(panel.maximum) < *automation::parseNumber(panel.minimum)) panel.maximum = panel.minimum;
}

std::optional<std::string> CheckSegmentId(std::string_view typed, std::string* refusal) {
    std::string id = text::trim(typed);
    if (id.size() < 2) {
        if (refusal) *refusal = "Invalid Segment Length Min(2)";
        return std::nullopt;
    }
    id = text::toUpper(id);
    for (char c : id)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            if (refusal) *refusal = "Invalid Segment Name";
            return std::nullopt;
        }
    return id;
}

template <class Change>
EditResult MapEditor::edit(Change change) {
    try {
        Map map = LoadMap(s_.db, key_);
        EditResult result = change(map);
        if (result.changed) {
            renumber(map);
            SaveMap(s_.db, map);
        }
        return result;
    } catch (...) {
        core::ReportError(s_);
        return {};
    }
}

void MapEditor::writeDerivedFiles() {
    WriteRecordLayout(s_, key_);
    CreateMapReport(s_, key_);
}

EditResult MapEditor::SaveSegment(std::string_view key, SegmentPanel& panel) {
    const TreeKey k = ParseTreeKey(key);
    EditResult r = edit([&](Map& map) {
        SegmentRow& row = map.segments[segmentAt(map, k)];
        panelIntoSegment(row, panel, false);
        return EditResult{true, SegmentKey(k.node, k.segmentIndex)};
    });
    if (r.changed) writeDerivedFiles();
    return r;
}

EditResult MapEditor::AddSegment(std::string_view selectedKey, std::string_view typedId) {
    const TreeKey k = ParseTreeKey(selectedKey);
    if (k.kind != TreeKey::Segment) return {};
    std::string refusal;
    const std::optional<std::string> id = CheckSegmentId(typedId, &refusal);
    if (!id) {
        core::ShowNotice(s_, refusal, core::vbCritical | core::vbOKOnly);
        return {};
    }
    return edit([&](Map& map) -> EditResult {
        const std::size_t at = segmentAt(map, k);
        if (map.segments.size() >= kMaxSegments) return {};
        SegmentRow row;
        row.segment = *id;
        row.node = map.segments[at].node;
        ElementRow first;
        row.elements.push_back(first);
        map.segments.insert(map.segments.begin() + std::ptrdiff_t(at + 1), std::move(row));
        return {true, SegmentKey(map.segments[at].node, std::int64_t(at + 2))};
    });
}

EditResult MapEditor::DeleteSegment(std::string_view selectedKey) {
    const TreeKey k = ParseTreeKey(selectedKey);
    if (k.kind != TreeKey::Segment) return {};
    if (k.segmentIndex == 1) {
        core::ShowNotice(s_, "Last Segment Not Allowed", core::vbCritical | core::vbOKOnly);
        return {};
    }
    return edit([&](Map& map) -> EditResult {
        const std::size_t at = segmentAt(map, k);
        const std::string question = "Delete " + twoDigits(k.segmentIndex) + map.segments[at].segment + " Segment";
        if (s_.ui.unattended() ||
            s_.ui.messageBox(question, core::vbYesNo | core::vbQuestion, core::kApplicationName) != core::vbYes)
            return {};
        map.segments.erase(map.segments.begin() + std::ptrdiff_t(at));
        return {true, SegmentKey(map.segments[at - 1].node, std::int64_t(at))};
    });
}

EditResult MapEditor::SegmentIn(std::string_view selectedKey) {
    const TreeKey k = ParseTreeKey(selectedKey);
    if (k.kind != TreeKey::Segment) return {};
    return edit([&](Map& map) -> EditResult {
        const std::size_t at = segmentAt(map, k);
        const std::int64_t node = map.segments[at].node;
        if (!previousSibling(map, at) || node == 1) return {};
        const std::int64_t before = map.segments[at - 1].node;
        const std::int64_t level = before == node ? 1 : before < node ? before : node;
        for (std::size_t i = at; i < map.segments.size(); ++i) map.segments[i].node = level;
        return {true, SegmentKey(level, k.segmentIndex)};
    });
}

EditResult MapEditor::SegmentOut(std::string_view selectedKey) {
    const TreeKey k = ParseTreeKey(selectedKey);
    if (k.kind != TreeKey::Segment) return {};
    return edit([&](Map& map) -> EditResult {
        const std::size_t at = segmentAt(map, k);
        const std::int64_t node = map.segments[at].node;
        if (!previousSibling(map, at)) return {};
        const std::int64_t before = map.segments[at - 1].node;
        if (before < node) return {};
        const std::int64_t level = before == node ? before + 1 : before;
        if (level > 99) return {};   // the tree's keys carry two digits
        for (std::size_t i = at; i < map.segments.size(); ++i) map.segments[i].node = level;
        return {true, SegmentKey(level, k.segmentIndex)};
    });
}

EditResult MapEditor::SegmentUp(std::string_view selectedKey) {
    const TreeKey k = ParseTreeKey(selectedKey);
    if (k.kind != TreeKey::Segment) return {};
    return edit([&](Map& map) -> EditResult {
        const std::size_t at = segmentAt(map, k);
        const auto sibling = previousSibling(map, at);
        if (!sibling || *sibling + 1 != at) return {};
        std::swap(map.segments[at - 1], map.segments[at]);
        return {true, SegmentKey(k.node, k.segmentIndex - 1)};
    });
}

EditResult MapEditor::SegmentDown(std::string_view selectedKey) {
    const TreeKey k = ParseTreeKey(selectedKey);
    if (k.kind != TreeKey::Segment) return {};
    return edit([&](Map& map) -> EditResult {
        const std::size_t at = segmentAt(map, k);
        const auto sibling = nextSibling(map, at);
        if (!sibling || *sibling != at + 1) return {};
        std::swap(map.segments[at], map.segments[at + 1]);
        return {true, SegmentKey(k.node, k.segmentIndex + 1)};
    });
}

EditResult MapEditor::DuplicateSegment(std::string_view selectedKey, std::string_view typedId, SegmentPanel& panel) {
    const TreeKey k = ParseTreeKey(selectedKey);
    if (k.kind != TreeKey::Segment) return {};
    std::string refusal;
    const std::optional<std::string> id = CheckSegmentId(typedId, &refusal);
    if (!id) {
        core::ShowNotice(s_, refusal, core::vbCritical | core::vbOKOnly);
        return {};
    }
    return edit([&](Map& map) -> EditResult {
        const std::size_t at = segmentAt(map, k);
        if (map.segments.size() >= kMaxSegments) return {};
        const SegmentRow& selected = map.segments[at];
        SegmentRow row;
        row.segment = *id;
        row.node = selected.node;
        panelIntoSegment(row, panel, true);
        // The copies belong to the new segment wherever the selected one stands.
        row.elements = selected.elements;
        map.segments.insert(map.segments.begin() + std::ptrdiff_t(at + 1), std::move(row));
        return {true, SegmentKey(map.segments[at].node, std::int64_t(at + 2))};
    });
}

EditResult MapEditor::SaveElement(std::string_view key, ElementPanel& panel) {
    const TreeKey k = ParseTreeKey(key);
    if (k.kind != TreeKey::Element) return {};
    NormaliseElementPanel(panel);
    EditResult r = edit([&](Map& map) {
        SegmentRow& seg = map.segments[segmentAt(map, k)];
        panelIntoElement(seg.elements[elementAt(seg, k)], panel, true);
        return EditResult{true, ElementKey(k.node, k.segmentIndex, k.elementIndex)};
    });
    if (r.changed) writeDerivedFiles();
    return r;
}

EditResult MapEditor::AddElement(std::string_view selectedKey) {
    const TreeKey k = ParseTreeKey(selectedKey);
    if (k.kind != TreeKey::Element) return {};
    return edit([&](Map& map) -> EditResult {
        SegmentRow& seg = map.segments[segmentAt(map, k)];
        if (seg.elements.size() >= kMaxElements) return {};
        seg.elements.emplace_back();
        return {true, ElementKey(k.node, k.segmentIndex, std::int64_t(seg.elements.size()))};
    });
}

EditResult MapEditor::DeleteElement(std::string_view selectedKey) {
    const TreeKey k = ParseTreeKey(selectedKey);
    if (k.kind != TreeKey::Element) return {};
    return edit([&](Map& map) -> EditResult {
        SegmentRow& seg = map.segments[segmentAt(map, k)];
        const std::size_t at = elementAt(seg, k);
        if (seg.elements.size() == 1) {
            core::ShowNotice(s_, "Last Element Not Allowed", core::vbCritical | core::vbOKOnly);
            return {};
        }
        const std::string question = "Delete " + seg.segment + twoDigits(k.elementIndex) + " Element";
        if (s_.ui.unattended() ||
            s_.ui.messageBox(question, core::vbYesNo | core::vbQuestion, core::kApplicationName) != core::vbYes)
            return {};
        seg.elements.erase(seg.elements.begin() + std::ptrdiff_t(at));
        return {true, ElementKey(k.node, k.segmentIndex, at == 0 ? 1 : std::int64_t(at))};
    });
}

EditResult MapEditor::MoveElementUp(std::string_view selectedKey) {
    const TreeKey k = ParseTreeKey(selectedKey);
    if (k.kind != TreeKey::Element) return {};
    return edit([&](Map& map) -> EditResult {
        SegmentRow& seg = map.segments[segmentAt(map, k)];
        const std::size_t at = elementAt(seg, k);
        if (at == 0) return {};
        std::swap(seg.elements[at - 1], seg.elements[at]);
        return {true, ElementKey(k.node, k.segmentIndex, k.elementIndex - 1)};
    });
}

EditResult MapEditor::MoveElementDown(std::string_view selectedKey) {
    const TreeKey k = ParseTreeKey(selectedKey);
    if (k.kind != TreeKey::Element) return {};
    return edit([&](Map& map) -> EditResult {
        SegmentRow& seg = map.segments[segmentAt(map, k)];
        const std::size_t at = elementAt(seg, k);
        if (at + 1 >= seg.elements.size()) return {};
        std::swap(seg.elements[at], seg.elements[at + 1]);
        return {true, ElementKey(k.node, k.segmentIndex, k.elementIndex + 1)};
    });
}

EditResult MapEditor::DuplicateElement(std::string_view selectedKey, ElementPanel& panel) {
    const TreeKey k = ParseTreeKey(selectedKey);
    if (k.kind != TreeKey::Element) return {};
    return edit([&](Map& map) -> EditResult {
        SegmentRow& seg = map.segments[segmentAt(map, k)];
        if (seg.elements.size() >= kMaxElements) return {};
        ElementRow copy;
        panelIntoElement(copy, panel, false);
        seg.elements.push_back(std::move(copy));
        return {true, ElementKey(k.node, k.segmentIndex, std::int64_t(seg.elements.size()))};
    });
}

void MapEditor::SetExpanded(std::string_view segmentKey, bool expanded) {
    const TreeKey k = ParseTreeKey(segmentKey);
    if (k.kind != TreeKey::Segment) return;
    try {
        auto u = s_.db.prepare(
            "UPDATE Segment SET Expanded = ?1 WHERE Partner = ?2 AND Version = ?3 AND \"Transaction\" = ?4 AND "
            "Direction = ?5 AND SegmentIndex = ?6");
        u.bindAll(std::int64_t(expanded ? 1 : 0), key_.partner, key_.version, key_.transaction, key_.direction, std::int64_t(k.segmentIndex));
        u.run();
    } catch (...) {
        core::ReportError(s_);
    }
}

}  // namespace vt::maps
