#pragma once
// The Exchange log (table Exchange) and the texts of the transfer control's states.

#include "core/Services.h"

#include <string>
#include <string_view>

namespace vt::exchange {

// Appends one row: type as given, date "mm/d/yyyy", time "hh:mm:ss AMPM", the current user and
// the description. Never throws: a failure is shown in a critical box (status panel 1 when
// nobody watches).
void LogExchange(const core::Services& s, std::string_view logType, std::string_view description);

// Appends one row with the date and time given; throws when the database does not take it.
void WriteExchangeRow(db::Database& db, std::string_view logType, std::string_view date, std::string_view time,
                      std::string_view description);

// "Connecting to the remote server." and the other state texts; "Unknown state: 13" otherwise.
std::string InetStateText(int state);

}  // namespace vt::exchange
