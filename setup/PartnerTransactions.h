#pragma once
// A partner's transaction sets as the partner window's Inbound and Outbound tabs list and edit
// them: listing, showing, saving the tab's three fields, adding a set picked from the standard
// list (with its empty ".EXP" or ".IMP" file and starter map) and deleting a set with its map.
// Every routine reports its own errors and returns its failure value.

#include "core/Services.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::setup {

// One item of a tab's list: text and sub-items 1 to 3.
struct TransactionSetItem {
    std::string transaction, version, group, activeX;
    bool operator==(const TransactionSetItem&) const = default;
};

// A set of a partner: Partner, Transaction, Version and Direction ("I" or "O").
struct SetKey {
    std::string partner, transaction, version, direction;
};
// Partner, Transaction, Version and Direction joined by "_".
std::string selectionKey(const SetKey& key);

// The partner's sets of one direction, by transaction. Empty on failure (reported).
std::vector<TransactionSetItem> LoadTransactionSets(const core::Services& s, std::string_view partner,
                                                    std::string_view direction);

struct TransactionSetDetail {
    std::string versionOverride, controlNumber, description;   // description: "<set>: <text>"
    bool acknowledge = false;
};
// The set's row as the tab shows it; nothing when it has none or on failure (reported).
std::optional<TransactionSetDetail> ShowTransactionSet(const core::Services& s, const SetKey& key);

// Stores the override in upper case, the control number only when the box holds a number, and
// the acknowledgement flag. False when the set has no row or on failure.
bool SaveTransactionSet(const core::Services& s, const SetKey& key, std::string_view versionOverride,
                        std::string_view controlNumberText, bool acknowledge);

// What the standard picker hands back.
struct StandardChoice {
    std::string transaction, group, description, version;
};
// The message refusing a set the tab already lists (same transaction and version, exactly).
std::string duplicateSetMessage(std::string_view transaction, std::string_view version);
// Where the empty per-transaction file of a new set goes: "<Export>/<key>.EXP" for inbound,
// "<Import>/<key>.IMP" for outbound. Throws RunError 52 for a key that is no plain file name.
std::filesystem::path perTransactionFile(const core::Services& s, const SetKey& key);
// Adds the chosen set to the partner in `direction` unless `listed` (the tab's items) has it:
// creates (or empties) its per-transaction file, then writes its row and starter map in one
// transaction; a file it created is removed again when the rows fail. True when added.
bool AddTransactionSet(const core::Services& s, std::string_view partner, std::string_view direction,
                       const StandardChoice& choice, const std::vector<TransactionSetItem>& listed);

// The question Delete asks; `description` is the tab's description caption.
std::string deleteSetWarning(std::string_view partner, std::string_view description, std::string_view version);
// Asks, then deletes the set's row and every Segment and Element row of its map, in one
// transaction. True when deleted.
bool DeleteTransactionSet(const core::Services& s, const SetKey& key, std::string_view description);

// Removes the set's row and its map without asking; throws on failure. For callers that hold
// their own transaction.
void removeTransactionSetRows(db::Database& db, const SetKey& key);

}  // namespace vt::setup
