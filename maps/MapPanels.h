#pragma once
// What the designer's property panels know and decide, without widgets: the current map, the
// segment and element panel values, the node whose row they show (PanelKey), the changed flags
// and the "Save Changes?" question. The window copies widget values into `segment()` and
// `element()` as the user types, calls the *Edited() handlers, and shows what the panels hold
// after each show*(); it rebuilds the tree when a result says `changed`.

#include "core/Services.h"
#include "maps/MapEditor.h"
#include "maps/MapModel.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vt::maps {

class MapPanels {
public:
    enum class Visible { Segment, Element };
    enum class Expand { Collapse = 0, Expand = 1, Leave = 2 };

    explicit MapPanels(const core::Services& s) : s_(s) {}

    // ---- The current map ----
    // The map list's choice. Choosing another map first asks the save question for the current
    // map's unsaved panel (Yes saves it there), then clears the flags; choosing the same map
    // again keeps them. The result is that of the save, if one was made.
    EditResult chooseMap(const MapKey& key);
    const MapKey& map() const { return map_; }
    bool hasMap() const { return hasMap_; }

    // ---- Showing a node ----
    struct ShowResult {
        bool shown = false;   // false: the save question saved instead (rebuild with saved.selectedKey)
        EditResult saved;
    };
    // Asks the save question, then fills the segment panel from the row of `key`; Expand or
    // Collapse also store the node's state. Codes outside a list leave that list's index as it was.
    ShowResult showSegment(std::string_view key, Expand expand);
    ShowResult showElement(std::string_view key);
    // The root node: both panels and the script tabs are disabled; the flags stay.
    void rootSelected() { enabled_ = false; }

    // ---- The save question ----
    // "Segment Properties" CR "Save Changes?" (then the element's) for a dirty panel. Yes saves
    // the panel into the row of PanelKey; No drops the edit. The result of the save, if any.
    EditResult askToSave();
    // Before add, delete, move, in/out and duplicate: the same question, so unsaved values are
    // saved into their own row before rows move (or dropped), never into another row.
    EditResult confirmPendingEdits() { return askToSave(); }
    // Before the window closes: the same question with Cancel. False when the window must stay
    // open: Cancel, or a save that failed (the edits would exist nowhere else).
    bool askBeforeClosing();

    // ---- Saving (the panels' Save buttons) ----
    EditResult saveSegment(std::string_view key);
    EditResult saveElement(std::string_view key);

    // ---- Changed flags ----
    void segmentEdited() { segmentDirty_ = true; }
    void elementEdited() { elementDirty_ = true; }
    // The shared script editor marks the panel that is visible.
    void scriptEdited() { (visible_ == Visible::Segment ? segmentDirty_ : elementDirty_) = true; }
    bool segmentDirty() const { return segmentDirty_; }
    bool elementDirty() const { return elementDirty_; }

    // ---- Panel state ----
    SegmentPanel& segment() { return segment_; }
    ElementPanel& element() { return element_; }
    const std::string& panelKey() const { return panelKey_; }
    Visible visible() const { return visible_; }
    bool enabled() const { return enabled_; }

    // The Tab key of the script editor: the selection becomes one TAB; the caret's new place.
    static std::size_t InsertTab(std::string& text, std::size_t selectionStart, std::size_t selectionLength);

    MapEditor editor() const { return MapEditor(s_, map_); }

private:
    // The save question; a value when it was answered Yes (the save's result).
    std::optional<EditResult> question();
    // "<what>\rSave Changes?" with `buttons`; unattended runs answer Yes.
    int ask(const char* what, int buttons);

    const core::Services& s_;
    MapKey map_;
    bool hasMap_ = false;
    SegmentPanel segment_;
    ElementPanel element_;
    std::string panelKey_;
    Visible visible_ = Visible::Segment;
    bool enabled_ = true;
    bool segmentDirty_ = false, elementDirty_ = false;
};

}  // namespace vt::maps
