#include "setup/SystemInfo.h"

#include "platform/db/Database.h"
#include "platform/settings/Settings.h"
#include "setup/VersionInfo.h"

#include <curl/curl.h>
#include <openssl/crypto.h>
#include <unistd.h>

namespace vt::setup {

std::filesystem::path findSystemInfoProgram(std::string_view searchPath) {
    for (std::string_view program : kSystemInfoPrograms) {
        std::string_view rest = searchPath;
        while (!rest.empty()) {
            const auto colon = rest.find(':');
            const std::string_view dir = rest.substr(0, colon);
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
            if (dir.empty()) continue;
            const std::filesystem::path candidate = std::filesystem::path(dir) / program;
            std::error_code ec;
            if (std::filesystem::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
    }
    return {};
}

namespace {

std::string databaseEngine(db::Database& db) {
    if (!db.isOpen()) return "SQLCipher (no database open)";
    try {
        return "SQLCipher " + cipherVersion(db) + " (SQLite " + db.scalarText("SELECT sqlite_version()") + ")";
    } catch (...) {
        return "SQLCipher (version not readable)";
    }
}

}  // namespace

std::vector<SystemDetail> SystemDetails(db::Database& db, const Settings& settings, std::string_view qtVersion,
                                        std::string_view operatingSystem) {
    const VersionInfo& v = programVersion();
    std::string built = buildDateText(executablePath());
    if (const auto colon = built.find(": "); colon != std::string::npos) built.erase(0, colon + 2);
    const std::string stored = settings.get("Folders", "Database");
    std::string settingsFile = "(not a file)";
    if (const auto* file = dynamic_cast<const FileSettings*>(&settings)) settingsFile = file->fileName().string();
    const curl_version_info_data* curl = curl_version_info(CURLVERSION_NOW);
    return {
        {"Program", "Veltrane " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.revision)},
        {"Build Date", built},
        {"Program File", executablePath().string()},
        {"Qt", std::string(qtVersion)},
        {"Database Engine", databaseEngine(db)},
        {"OpenSSL", OpenSSL_version(OPENSSL_VERSION)},
        {"libcurl", curl && curl->version ? std::string(curl->version) : std::string("unknown")},
        {"Data Folder", dataRoot().string()},
        {"Database Folder", stored.empty() ? dataRoot().string() : stored},
        {"Settings File", settingsFile},
        {"Operating System", std::string(operatingSystem)},
    };
}

std::string SystemDetailsText(const std::vector<SystemDetail>& details) {
    std::string out;
    for (const SystemDetail& d : details) out += d.name + ": " + d.value + "\n";
    return out;
}

}  // namespace vt::setup
