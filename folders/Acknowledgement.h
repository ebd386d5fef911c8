#pragma once
// 997 functional acknowledgements for received transaction sets: written as an outbound
// interchange file into the Outbound folder, loaded into the Outbox, and the acknowledged Inbox
// rows marked.

#include "core/Services.h"
#include "folders/Selection.h"

#include <string_view>

namespace vt::folders {

// Tools > Generate Acknowledgement on the Inbox selection (one kind, never 997s): one 997 set per
// acknowledged functional group, all in one interchange named by the clock ("mmddyy-hhmmss AMPM.OC",
// "-2" and on when taken). The rows become Acknowledged "Yes" only once the file was written and
// loaded; true then. The caller logs the menu command first.
bool GenerateAcknowledgement(const core::Services& s, const FolderSelection& inbox);

// Writes `value` into Acknowledged of the selected rows and refreshes the list; failures are
// reported, false.
bool SetAcknowledged(const core::Services& s, const FolderSelection& list, std::string_view value);

}  // namespace vt::folders
