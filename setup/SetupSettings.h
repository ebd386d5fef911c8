#pragma once
// The settings sections of start-up and setup: Account, Folders, Filter (its keys live with the
// selection filter that reads them) and Viewer. Every reader passes the default given here.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vt {
class Settings;
}

namespace vt::setup {

// ---- Account ----
inline constexpr std::string_view kDefaultUserName = "tulip";
inline constexpr std::string_view kDefaultPassword = "tulip";

// ---- Folders ----
struct FolderKey {
    std::string_view key;     // the setting under "Folders"
    std::string_view label;   // the options window's label
    std::string_view tip;     // the tip of its browse button
};
// In the order the options window shows, checks and writes them; Database comes first.
inline constexpr std::array<FolderKey, 8> kFolderKeys = {{
    {"Database", "Database:", "Database Path"},
    {"Export", "Export:", "Export Path"},
    {"Import", "Import:", "Import Path"},
    {"Inbound", "Inbound:", "Inbound Path"},
    {"Outbound", "Outbound:", "Outbound Path"},
    {"Sent", "Sent:", "Sent Path"},
    {"Reports", "Reports:", "Reports Path"},
    {"ActiveX", "ActiveX:", "Plugins Path"},
}};

// The folder every folder setting falls back to: the per-user data root.
std::filesystem::path programFolder();
// Folders/<key>, or the program's folder when the key is missing.
std::string folderSetting(const Settings& settings, std::string_view key);

// ---- Viewer ----
struct ViewerKey {
    std::string_view key;       // the setting under "Viewer", also the check box's name after "chk"
    std::string_view caption;   // the check box's caption, "&" before the access key
    bool display;               // on the "Display Properties" tab, else "Enable Properties"
};
// In the order the options window reads and writes them.
inline constexpr std::array<ViewerKey, 22> kViewerKeys = {{
    {"AnimationControl", "&Animation Control", false},
    {"DisplayBackgroundEdge", "&Background Edge", true},
    {"DisplayBorder", "&Border", true},
    {"DisplayGroupTree", "&Group Tree", true},
    {"DisplayTabs", "&Tabs", true},
    {"DisplayToolbar", "&Display Toolbar", true},
    {"EnableCloseButton", "C&lose Button", false},
    {"EnableDrillDown", "&Drill Down", false},
    {"EnableGroupTree", "&Group Tree", false},
    {"EnablePrintButton", "&Print Button", false},
    {"EnableProgressControl", "Progress Con&trol", false},
    {"EnableRefreshButton", "&Refresh Button", false},
    {"EnableSearchControl", "&Search Control", false},
    {"SearchExpertButton", "&Search Expert Button", false},
    {"SelectExpertButton", "&Select Expert Button", false},
    {"EnableStopButton", "&Stop Button", false},
    {"EnableToolbar", "&Enable Toolbar", false},
    {"EnableZoomControl", "&Zoom Control", false},
    {"ExportButton", "&Export Button", false},
    {"HelpButton", "&Help Button", false},
    {"NavigationControls", "&Navigation Controls", false},
    {"PopupMenu", "&Pop-up Menu", false},
}};

// ---- Value forms ----
// A stored check-box value ("1", "0", any whole number) as a small integer; nothing when the text
// is no number at all or out of range, so the caller can fall back to its default.
std::optional<int> smallInteger(std::string_view text);

}  // namespace vt::setup
