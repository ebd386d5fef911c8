#include "setup/PluginChoice.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/settings/Settings.h"

namespace vt::setup {

std::filesystem::path pluginFolder(const Settings& settings) {
    const std::string folder = settings.get("Folders", "ActiveX");
    return folder.empty() ? dataRoot() : std::filesystem::path(folder);
}

automation::ClassRegistry& pluginRegistry(const Settings& settings) {
    auto& registry = automation::ClassRegistry::instance();
    registry.setPluginFolder([&settings] { return pluginFolder(settings); });
    return registry;
}

std::string pluginClassName(const std::filesystem::path& library, const SetKey& key) {
    return library.stem().string() + "." + selectionKey(key);
}

void storeTransactionActiveX(db::Database& db, const SetKey& key, std::string_view className) {
    auto q = db.prepare(
        "SELECT Id FROM Transactions WHERE Partner = ?1 AND \"Transaction\" = ?2 AND Version = ?3 AND Direction = ?4 "
        "ORDER BY Id LIMIT 1");
    q.bindAll(key.partner, key.transaction, key.version, key.direction);
    if (!q.step()) throw core::noCurrentRecordError();
    auto u = db.prepare("UPDATE Transactions SET ActiveX = ?1 WHERE Id = ?2");
    u.bindAll(className, q.int64(0));
    u.run();
}

bool ChooseTransactionActiveX(const core::Services& s, automation::ClassRegistry& registry, const SetKey& key) {
    try {
        const auto files = s.ui.openFiles("", kPluginFilter, pluginFolder(s.settings), false);
        if (files.empty() || files.front().filename().empty()) return false;
        const std::string className = pluginClassName(files.front(), key);
        // Created and released at once: a class that cannot be made is never stored.
        registry.create(className);
        storeTransactionActiveX(s.db, key, className);
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

bool ClearTransactionActiveX(const core::Services& s, const SetKey& key, std::string_view current) {
    if (current.empty()) return false;
    const int answer = s.ui.messageBox("Remove the ActiveX class " + std::string(current) + " from " +
                                           selectionKey(key) + "?",
                                       core::vbYesNo | core::vbQuestion, core::kApplicationName);
    if (answer != core::vbYes) return false;
    try {
        storeTransactionActiveX(s.db, key, "");
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

}  // namespace vt::setup
