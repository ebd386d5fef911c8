#pragma once
// The options window's logic: loading and saving its settings, the database-folder warning and
// clearing the two logs.

#include "core/Services.h"

#include <array>
#include <string>
#include <string_view>

namespace vt::setup {

struct OptionValues {
    std::array<std::string, 8> folders;   // as kFolderKeys, Database first
    std::array<bool, 12> filter{};        // as the selection filter's fields
    std::array<bool, 22> viewer{};        // as kViewerKeys
};

// The stored options; a value that cannot be read as its form (a Filter value that is no truth
// value, a Viewer value that is no number) takes its default and the others still load.
OptionValues LoadPropertySettings(const Settings& settings);

// Writes the twelve Filter keys, then each folder whose folder exists (a missing one is refused
// with a message and its text box gets the stored value back), then the twenty-two Viewer keys,
// each step reaching the store before the next begins. A failure goes to the error reporter and
// ends the save there: false, with the earlier steps stored and the later ones not.
bool SaveOptions(const core::Services& s, OptionValues& values);

// The warning before browsing for the database folder; true on Yes.
bool ConfirmDatabaseChange(core::UiSink& ui);

// Clear History / Clear Exchange: asks, then (when the folder list holds items) deletes every row
// of `table` and refreshes its list. Failures are not shown; the list is refreshed in any case.
void ClearLog(const core::Services& s, std::string_view table, int listItems);

}  // namespace vt::setup
