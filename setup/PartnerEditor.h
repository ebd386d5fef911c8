#pragma once
// The partner window's state without its widgets: the walk over the Partner rows in table order,
// view and edit mode, and the partner commands Add, Edit/Save and Remove. The window shows
// row() after every call that returns true and copies its fields back for a save.

#include "core/Services.h"
#include "setup/PartnerFields.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::setup {

// The warning Remove shows, with the partner's numbers of inbound and outbound sets.
std::string removePartnerWarning(std::string_view name, int inbound, int outbound);

class PartnerEditor {
public:
    explicit PartnerEditor(const core::Services& s) : s_(s) {}

    // Reads the rows' ids in table order and makes the first one current. Throws on failure.
    void requery();
    bool empty() const { return ids_.empty(); }
    int count() const { return int(ids_.size()); }
    int position() const { return pos_; }   // from 0
    // The current row as stored (read again by reload()).
    const PartnerRow& row() const { return row_; }
    // Reads the current row again. Throws RunError 3021 when it is gone.
    void reload();
    // "Trading Partner Setup", or "Partner <n> of <count> -- <name>".
    std::string title() const;
    bool editing() const { return editing_; }

    // Each returns true when another row is to be shown; none moves while editing.
    bool moveFirst();
    bool movePrevious();
    bool moveNext();
    bool moveLast();
    // "P", "N", "<" and ">" in either case; returns true when a row is to be shown.
    bool navigateByKey(char key);

    enum class EditStep { Nothing, Editing, KeepEditing, Shown };
    // Edit in view mode; in edit mode asks "Save Changes?" and on Yes saves `screen` (the fields
    // as the window holds them; id is ignored). A refused name or a failed save keeps edit mode
    // with the edits. Errors are reported.
    EditStep editOrSave(const PartnerRow& screen);

    // Asks for a name (a refused one is offered again for correcting) and adds the partner with
    // the separators "~", "*" and ">"; true when one was added (it is then current).
    bool addPartner();
    // Warns, then removes the current partner with its sets and maps; true when removed.
    bool removePartner();

private:
    // Writes the screen's values; false when refused (message shown) or failed (reported).
    bool savePartner(PartnerRow screen);
    bool nameTaken(std::string_view name, std::int64_t exceptId);

    const core::Services& s_;
    std::vector<std::int64_t> ids_;
    int pos_ = 0;
    PartnerRow row_;
    bool editing_ = false;
};

}  // namespace vt::setup
