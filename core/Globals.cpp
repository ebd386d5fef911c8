#include "Globals.h"

#include "platform/files/SafeFile.h"
#include "platform/settings/Settings.h"

#include <system_error>

namespace vt::core {

namespace {
// The key of every application database. Plug-ins reach the database through the host and
// never see it.
constexpr std::string_view kDatabaseKey = "quintabrel7";
}  // namespace

db::Database& gConnection() {
    static db::Database connection;
    return connection;
}

std::string gUserName = "System";
std::string gPassword;
bool gCancel = false;
bool gSilent = false;

void openApplicationDatabase(db::Database& db, const std::filesystem::path& folder) {
    db.open(folder / std::string(kDatabaseFileName), kDatabaseKey);
}

void compactApplicationDatabase(const std::filesystem::path& folder, const db::ReplaceFile& replace) {
    db::compact(folder / std::string(kDatabaseFileName), kDatabaseKey, std::string(kCompactFileName), replace);
}

void createApplicationDatabase(db::Database& db, const std::filesystem::path& file) {
    db.open(file, kDatabaseKey, true);
}

std::filesystem::path databaseFolder(Settings& settings) {
    std::string stored = settings.get("Folders", "Database");
    if (!stored.empty()) return std::filesystem::path(stored);
    std::filesystem::path root = dataRoot();
    std::filesystem::path target = root / std::string(kDatabaseFileName);
    std::error_code ec;
    if (!std::filesystem::exists(target, ec)) {
        std::filesystem::path delivered = shareFolder() / std::string(kDatabaseFileName);
        if (std::filesystem::exists(delivered, ec)) {
            std::filesystem::create_directories(root, ec);
            // Through the safe writer, so a failed copy never leaves half a database.
            try {
                files::SafeFile copy(target);
                std::filesystem::copy_file(delivered, copy.path(), std::filesystem::copy_options::overwrite_existing);
                copy.commit();
            } catch (const std::filesystem::filesystem_error&) {
                // The login then asks for the database folder, as it does when none was delivered.
            }
        }
    }
    return root;
}

}  // namespace vt::core
