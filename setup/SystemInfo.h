#pragma once
// What the About box's System Info button shows: the details a support request needs, and the
// desktop's own system-information program for the rest.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vt {
class Settings;
}
namespace vt::db {
class Database;
}

namespace vt::setup {

// The programs tried, in order.
inline constexpr std::string_view kSystemInfoPrograms[] = {"hardinfo", "kinfocenter", "gnome-system-monitor"};
inline constexpr std::string_view kSystemInfoUnavailable = "System Information Is Unavailable At This Time";

// The first of them found as an executable file on `searchPath` (":"-separated, as $PATH);
// empty when none is installed.
std::filesystem::path findSystemInfoProgram(std::string_view searchPath);

struct SystemDetail {
    std::string name, value;
};

// The program's version and build date, the versions of the libraries it runs on (the database
// engine's as `db` reports it, the toolkit's is `qtVersion`), its folders and settings file, and
// `operatingSystem`.
std::vector<SystemDetail> SystemDetails(db::Database& db, const Settings& settings, std::string_view qtVersion,
                                        std::string_view operatingSystem);
// One "name: value" line each, for the clipboard.
std::string SystemDetailsText(const std::vector<SystemDetail>& details);

}  // namespace vt::setup
