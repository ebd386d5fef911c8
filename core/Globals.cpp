#include "Globals.h"

#include "platform/files/SafeFile.h"
#include "platform/settings/Settings.h"

#include <system_error>

namespace vt::core {

namespace {
// The key of every application database. Plug-ins reach the database through the host and
// never see it.
constexpr std::string_view kDatabaseKey = "quintabrel7";

// Through the safe writer, so a failed copy never leaves half a file; a new copy is the user's
// alone.
void copyDelivered(const std::filesystem::path& delivered, const std::filesystem::path& target, bool replace = true) {
    try {
        files::SafeFile copy(target);
        copy.writeFrom(delivered);
        copy.commit(replace);
    } catch (const std::filesystem::filesystem_error&) {
    }
}

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

void compactApplicationDatabase(const std::filesystem::path& folder,
                                const std::function<void(std::string_view step)>& reached) {
    auto step = [&](std::string_view name) {
        if (reached) reached(name);
    };
    db::compact(folder / std::string(kDatabaseFileName), kDatabaseKey, std::string(kCompactFileName),
                [&](const std::filesystem::path& from, const std::filesystem::path& to) {
                    step("copied");
                    files::PutInPlace(from, to);
                    step("renamed");
                });
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
            createDataRoot();
            // The login then asks for the database folder, as it does when none was delivered.
            copyDelivered(delivered, target);
        }
    }
    return root;
}

void installDeliveredPlugin(Settings& settings) {
    if (!settings.get("Folders", "ActiveX").empty()) return;
    const std::filesystem::path folder = deliveredPluginFolder();
    if (folder.empty()) return;
    const std::filesystem::path delivered = folder / std::string(kDeliveredPluginFileName);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(delivered, ec)) return;
    const std::filesystem::path target = defaultFolder("ActiveX") / std::string(kDeliveredPluginFileName);
    // A library of that name is the user's own: never replaced. Without the copy the program
    // still loads the delivered one from its own folder.
    if (!std::filesystem::exists(std::filesystem::symlink_status(target, ec))) copyDelivered(delivered, target, false);
}

}  // namespace vt::core
