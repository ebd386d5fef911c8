#pragma once
// Moving transaction sets between folders, recycling, deleting and closing them. Each command is
// one transaction: it completes, or (on any failure) leaves every table as it was.

#include "core/Services.h"
#include "folders/Selection.h"

#include <string_view>

namespace vt::folders {

// Moves the selected rows (all 17 fields, values unchanged) from the list's table to
// `destination` after asking "Are you sure you want to move these n <source> Item(s) to the
// <destination>"; logs "n <source> Item(s) moved to the <destination>" and refreshes both lists.
void MoveItems(const core::Services& s, const FolderSelection& source, std::string_view destination);

// Sends the selected rows of Inbox, Outbox or Sent to Recycled after asking; logs
// "n <source> Item(s) Recycled" and refreshes Recycled, then the source list.
void RecycleItems(const core::Services& s, const FolderSelection& source);

// Deletes the selected Recycled rows for good after asking; logs "n Item(s) deleted ".
// Nothing happens without a selected row.
void DeleteItems(const core::Services& s, const FolderSelection& list);

// Writes `value` into Status of the selected rows and refreshes the list; no question, no History.
void SetStatus(const core::Services& s, const FolderSelection& list, std::string_view value);

// Sets Status or Acknowledged of every selected row, all or nothing, and refreshes the list.
// Throws on failure (callers report).
enum class SelectedField { Status, Acknowledged };
void SetFieldOfSelected(const core::Services& s, const FolderSelection& list, SelectedField field,
                        std::string_view value);

}  // namespace vt::folders
