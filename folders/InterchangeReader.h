#pragma once
// The one road by which X12 reaches the database: reads an interchange file, checks every
// envelope and files each transaction set in Inbox ("I") or Outbox ("O"), all in one
// transaction that is committed only when the file ends with an IEA.

#include "core/Services.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace vt::folders {

// "" when the file was read and committed; otherwise why it was refused (nothing is kept).
std::string LoadBox(const core::Services& s, const std::filesystem::path& file, std::string_view direction);

// True while a read holds its transaction open; other writers must wait or refuse.
bool IsReadingInterchange();

// The folder row's date and time from GS04 and GS05 ("" time only for a GS05 that is no time).
std::string ConvertGroupDate(std::string_view gs04);
std::string ConvertGroupTime(std::string_view gs05, const Clock& clock);

}  // namespace vt::folders
