#include "setup/Options.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/UiSink.h"
#include "folders/SelectionFilter.h"
#include "platform/db/Database.h"
#include "platform/settings/Settings.h"
#include "setup/SetupSettings.h"

#include <filesystem>

namespace vt::setup {

namespace {

bool folderExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

}  // namespace

OptionValues LoadPropertySettings(const Settings& settings) {
    OptionValues v;
    for (std::size_t i = 0; i < kFolderKeys.size(); ++i) v.folders[i] = folderSetting(settings, kFolderKeys[i].key);
    const auto& fields = folders::filterFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        try {
            v.filter[i] = folders::filterSetting(settings, fields[i]);
        } catch (...) {
            v.filter[i] = fields[i].byDefault;
        }
    }
    for (std::size_t i = 0; i < kViewerKeys.size(); ++i)
        v.viewer[i] = smallInteger(settings.get("Viewer", kViewerKeys[i].key, "1")).value_or(1) != 0;
    return v;
}

bool SaveOptions(const core::Services& s, OptionValues& values) {
    try {
        const auto& fields = folders::filterFields();
        for (std::size_t i = 0; i < fields.size(); ++i)
            s.settings.set("Filter", fields[i].key, values.filter[i] ? "True" : "False");
        s.settings.flush();

        for (std::size_t i = 0; i < kFolderKeys.size(); ++i) {
            const std::string_view key = kFolderKeys[i].key;
            std::string& text = values.folders[i];
            if (folderExists(text)) {
                s.settings.set("Folders", key, text);
                continue;
            }
            const bool capital = key == "Outbound" || key == "Sent";
            s.ui.messageBox(std::string(capital ? "Specified Folder does not exist" : "Specified folder does not exist") +
                                "\r\n\r\n" + text + "\r\n",
                            core::vbCritical | core::vbOKOnly, core::kApplicationName);
            text = folderSetting(s.settings, key);
        }
        s.settings.flush();

        for (std::size_t i = 0; i < kViewerKeys.size(); ++i)
            s.settings.set("Viewer", kViewerKeys[i].key, values.viewer[i] ? "1" : "0");
        s.settings.flush();
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

bool ConfirmDatabaseChange(core::UiSink& ui) {
    return ui.messageBox("WARNING: Are you sure you want to change\r\nthe application database location?",
                         core::vbYesNo | core::vbQuestion, core::kApplicationName) == core::vbYes;
}

void ClearLog(const core::Services& s, std::string_view table, int listItems) {
    const bool history = table == "History";
    if (s.ui.messageBox(history ? "Are you sure you want to delete the history folder?"
                                : "Are you sure you want to delete the Exchange folder?",
                        core::vbYesNo | core::vbQuestion, core::kApplicationName) != core::vbYes)
        return;
    if (listItems == 0) return;
    try {
        s.db.exec(history ? "DELETE FROM History" : "DELETE FROM Exchange");
    } catch (...) {
        // Clearing tells nothing of a failure; the list below shows what is left.
    }
    s.ui.folderChanged(history ? "History" : "Exchange");
}

}  // namespace vt::setup
