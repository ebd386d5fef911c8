#pragma once
// The lists of the standard transaction-set picker and of the partner window's version list:
// the shipped tables Standard and Version, read only.

#include "platform/db/Database.h"

#include <string>
#include <vector>

namespace vt::setup {

struct StandardRow {
    std::string transaction, group, description;
};

// Every version in the table's stored order (the partner rows keep list positions).
std::vector<std::string> loadVersions(db::Database& db);
// Every transaction set, by transaction identifier.
std::vector<StandardRow> loadStandards(db::Database& db);

}  // namespace vt::setup
