#include "folders/Selection.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "folders/InterchangeReader.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <array>

namespace vt::folders {

namespace {

bool gCommandRunning = false;

constexpr std::array<std::string_view, 4> kItemTables = {"Inbox", "Outbox", "Sent", "Recycled"};

}  // namespace

std::size_t FolderSelection::selectedCount() const {
    const std::size_t n = std::min(ids.size(), selected.size());
    return std::size_t(std::count(selected.begin(), selected.begin() + std::ptrdiff_t(n), true));
}

bool FolderSelection::anySelected() const {
    const std::size_t n = std::min(ids.size(), selected.size());
    return std::find(selected.begin(), selected.begin() + std::ptrdiff_t(n), true) != selected.begin() + std::ptrdiff_t(n);
}

std::vector<std::int64_t> FolderSelection::selectedIds() const {
    std::vector<std::int64_t> out;
    const std::size_t n = std::min(ids.size(), selected.size());
    for (std::size_t i = 0; i < n; ++i)
        if (selected[i]) out.push_back(ids[i]);
    return out;
}

std::string_view itemTable(std::string_view table) {
    for (std::string_view t : kItemTables)
        if (text::equalsNoCase(t, table)) return t;
    throw core::invalidCallError();
}

bool isItemTable(std::string_view table) {
    for (std::string_view t : kItemTables)
        if (text::equalsNoCase(t, table)) return true;
    return false;
}

bool IsFolderCommandRunning() { return gCommandRunning; }

FolderCommand::FolderCommand() : previous_(gCommandRunning) { gCommandRunning = true; }
FolderCommand::~FolderCommand() { gCommandRunning = previous_; }

bool RefuseWhileBusy(const core::Services& s) {
    if (IsReadingInterchange()) {
        core::ShowNotice(s, "Another interchange file is being read. Try again when it has finished.",
                         core::vbExclamation | core::vbOKOnly);
        return true;
    }
    if (gCommandRunning) {
        core::ShowNotice(s, "Another operation is in progress. Try again when it has finished.",
                         core::vbExclamation | core::vbOKOnly);
        return true;
    }
    return false;
}

bool Confirm(const core::Services& s, std::string_view question, int icon) {
    if (s.ui.unattended()) return false;
    return s.ui.messageBox(question, core::vbYesNo | icon, core::kApplicationName) == core::vbYes;
}

}  // namespace vt::folders
