#pragma once
// The preview pane's text and its two commands: writing an edited set back into its folder row,
// and finding a word and the segment it stands on. The pane shows a set one segment a line.

#include "core/Services.h"
#include "folders/Selection.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vt::folders {

// The set as the preview shows it: every segment terminator replaced by CR LF.
std::string PreviewText(std::string_view tset, std::string_view segmentTerminator);
// The stored set from the preview: every CR LF replaced by the segment terminator.
std::string TSetFromPreview(std::string_view preview, std::string_view segmentTerminator);

struct TextMatch {
    std::size_t offset = 0;
    std::size_t length = 0;
};

// The first occurrence of `word` at or after `from` that stands as a whole word (no letter, digit
// or underscore on either side), compared without case.
std::optional<TextMatch> FindWholeWord(std::string_view text, std::string_view word, std::size_t from = 0);

// The line (from 0) on which an offset of the text stands; CR LF, CR and LF each end a line.
int LineOfOffset(std::string_view text, std::size_t offset);

enum class EditResult {
    Saved,      // the row's TSet holds the preview's text
    Declined,   // the user answered No: lock the preview again, keep its text
    Failed,     // reported; the preview stays editable
    Refused,    // another operation runs; nothing was asked or written
};

// Writes the preview back into the TSet of the list's current row. `edited` (the bold preview)
// first asks "WARNING: Saving changes can cause serious errors!". Status and Acknowledged stay;
// the list is not refreshed. The caller logs "Selected [Edit] - [Edit Transaction]" first.
EditResult EditTransaction(const core::Services& s, const FolderSelection& list, std::string_view previewText,
                           bool edited);

// Edit > Find (the caller logs the command first): asks "Find What:", searches the preview for the
// answer as a whole word and tells "Found on Segment n" or "Not found.". `select` shows the hit in
// the pane before the message appears; the hit is also returned.
std::optional<TextMatch> FindInPreview(const core::Services& s, std::string_view previewText,
                                       const std::function<void(const TextMatch&)>& select = {});

}  // namespace vt::folders
