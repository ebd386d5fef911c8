#pragma once
// The program's global state: the one database connection and the session values every
// window shares. Reports are handed over explicitly, so there is no global report object.

#include "platform/db/Database.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace vt {
class Settings;
}

namespace vt::core {

inline constexpr std::string_view kApplicationName = "Veltrane";
inline constexpr std::string_view kDatabaseFileName = "Veltrane.mdb";
inline constexpr std::string_view kCompactFileName = "NewVeltrane.mdb";

// The one connection. Created empty (closed) on first use; opened only by the main window's load.
db::Database& gConnection();

extern std::string gUserName;   // "System" until the login sets it
extern std::string gPassword;   // the stored account password (its hash), as the login compares it
extern bool gCancel;            // the transaction-set picker was cancelled
extern bool gSilent;            // the translator logs script errors instead of showing them

// Opens `db` on "<folder>/Veltrane.mdb" with the application's key.
void openApplicationDatabase(db::Database& db, const std::filesystem::path& folder);
// Compacts "<folder>/Veltrane.mdb" through "NewVeltrane.mdb" in the same folder. `reached` hears
// "copied" once the copy is whole and checked, and "renamed" once it has taken the database's
// name, for tests that stop the process there.
void compactApplicationDatabase(const std::filesystem::path& folder,
                                const std::function<void(std::string_view step)>& reached = {});
// Creates an empty keyed database file (the build step and tests fill it).
void createApplicationDatabase(db::Database& db, const std::filesystem::path& file);

// The database folder: setting "Folders"/"Database", else the data root. At the first start
// (setting unset, no database there) the delivered database is copied into the data root.
std::filesystem::path databaseFolder(Settings& settings);

inline constexpr std::string_view kDeliveredPluginFileName = "Brackwen.so";
// At the first start (setting "Folders"/"ActiveX" unset) the delivered plug-in library is copied
// into the ActiveX folder the login sets, unless a file of its name is there.
void installDeliveredPlugin(Settings& settings);

}  // namespace vt::core
