#include "maps/MapPanels.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "core/UiSink.h"

namespace vt::maps {

namespace {

template <class Index>
void setIndex(int& target, Index index) {
    if (index) target = *index;   // a code outside the list leaves the list where it was
}

}  // namespace

EditResult MapPanels::chooseMap(const MapKey& key) {
    EditResult saved;
    if (hasMap_ && !(key == map_)) {
        saved = askToSave();
        segmentDirty_ = elementDirty_ = false;
    }
    map_ = key;
    hasMap_ = true;
    return saved;
}

EditResult MapPanels::askToSave() { return question().value_or(EditResult{}); }

int MapPanels::ask(const char* what, int buttons) {
    if (s_.ui.unattended()) return core::vbYes;
    return s_.ui.messageBox(std::string(what) + "\rSave Changes?", buttons | core::vbQuestion, core::kApplicationName);
}

std::optional<EditResult> MapPanels::question() {
    if (!hasMap_) return std::nullopt;
    if (segmentDirty_) {
        if (ask("Segment Properties", core::vbYesNo) == core::vbYes) return saveSegment(panelKey_);
        segmentDirty_ = false;
    }
    if (elementDirty_) {
        if (ask("Element Properties", core::vbYesNo) == core::vbYes) return saveElement(panelKey_);
        elementDirty_ = false;
    }
    return std::nullopt;
}

bool MapPanels::askBeforeClosing() {
    if (!hasMap_) return true;
    if (segmentDirty_) {
        const int a = ask("Segment Properties", core::vbYesNoCancel);
        if (a == core::vbCancel) return false;
        if (a == core::vbYes && !saveSegment(panelKey_).changed) return false;
        segmentDirty_ = false;
    }
    if (elementDirty_) {
        const int a = ask("Element Properties", core::vbYesNoCancel);
        if (a == core::vbCancel) return false;
        if (a == core::vbYes && !saveElement(panelKey_).changed) return false;
        elementDirty_ = false;
    }
    return true;
}

EditResult MapPanels::saveSegment(std::string_view key) {
    EditResult r = editor().SaveSegment(key, segment_);
    if (r.changed) segmentDirty_ = false;
    return r;
}

EditResult MapPanels::saveElement(std::string_view key) {
    EditResult r = editor().SaveElement(key, element_);
    if (r.changed) elementDirty_ = false;
    return r;
}

MapPanels::ShowResult MapPanels::showSegment(std::string_view key, Expand expand) {
    // Yes ends the display even when the save failed: the edits stay in the panel.
    if (std::optional<EditResult> saved = question()) return {false, *saved};
    panelKey_ = std::string(key);
    visible_ = Visible::Segment;
    enabled_ = true;
    try {
        const TreeKey k = ParseTreeKey(key);
        const Map map = LoadMap(s_.db, map_);
        if (k.segmentIndex < 1 || std::size_t(k.segmentIndex) > map.segments.size())
            throw core::noCurrentRecordError();
        const SegmentRow& row = map.segments[std::size_t(k.segmentIndex - 1)];
        segment_.looping = row.looping;
        segment_.exclude = row.exclude;
        segment_.segment = row.segment;
        segment_.segmentName = row.segmentName;
        setIndex(segment_.usageIndex, SegmentUsageIndex(row.segmentUsage));
        setIndex(segment_.levelIndex, SegmentLevelIndex(row.level));
        segment_.loopLevel = std::to_string(row.node);
        segment_.maxUsageLoop = row.maxUsageLoop == kManyUses ? ">1" : std::to_string(row.maxUsageLoop);
        segment_.script = row.segmentScript;
        segment_.placeholders = std::to_string(row.placeholders);
        if (expand != Expand::Leave) editor().SetExpanded(key, expand == Expand::Expand);
        segmentDirty_ = false;
    } catch (...) {
        core::ReportError(s_);
    }
    return {true, {}};
}

MapPanels::ShowResult MapPanels::showElement(std::string_view key) {
    // Yes ends the display even when the save failed: the edits stay in the panel.
    if (std::optional<EditResult> saved = question()) return {false, *saved};
    panelKey_ = std::string(key);
    visible_ = Visible::Element;
    enabled_ = true;
    try {
        const TreeKey k = ParseTreeKey(key);
        const Map map = LoadMap(s_.db, map_);
        if (k.segmentIndex < 1 || std::size_t(k.segmentIndex) > map.segments.size())
            throw core::noCurrentRecordError();
        const SegmentRow& seg = map.segments[std::size_t(k.segmentIndex - 1)];
        if (k.elementIndex < 1 || std::size_t(k.elementIndex) > seg.elements.size())
            throw core::noCurrentRecordError();
        const ElementRow& row = seg.elements[std::size_t(k.elementIndex - 1)];
        element_.exclude = row.exclude;
        element_.reference = std::to_string(row.reference);
        element_.elementName = row.elementName;
        setIndex(element_.usageIndex, ElementUsageIndex(row.elementUsage));
        setIndex(element_.typeIndex, ElementTypeIndex(row.type));
        element_.maximum = std::to_string(row.maximum);
        element_.minimum = std::to_string(row.minimum);
        element_.script = row.elementScript;
        element_.format = row.format;
        elementDirty_ = false;
    } catch (...) {
        core::ReportError(s_);
    }
    return {true, {}};
}

std::size_t MapPanels::InsertTab(std::string& text, std::size_t selectionStart, std::size_t selectionLength) {
    selectionStart = std::min(selectionStart, text.size());
    selectionLength = std::min(selectionLength, text.size() - selectionStart);
    text.erase(selectionStart, selectionLength);
    text.insert(selectionStart, 1, '\t');
    return selectionStart + 1;
}

}  // namespace vt::maps
