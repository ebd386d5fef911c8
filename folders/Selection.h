#pragma once
// What an operation on a folder list needs of the list: its table, the rows it shows in its
// order, which of them are selected and which one is current. The main window fills it from its
// model; operations act on row ids, never on positions, and hand changed selections back in it.

#include "core/Services.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::folders {

struct FolderSelection {
    std::string table;                     // "Inbox", "Outbox", "Sent", "Recycled", "History", "Exchange"
    std::vector<std::int64_t> ids;         // row ids in list order
    std::vector<bool> selected;            // parallel to ids
    std::optional<std::int64_t> current;   // the list's current item, when it has one

    std::size_t selectedCount() const;
    bool anySelected() const;
    std::vector<std::int64_t> selectedIds() const;   // in list order
};

// The canonical spelling of one of the four transaction-set folders; RunError 5 for anything else
// (table names reach SQL text only through this).
std::string_view itemTable(std::string_view table);
bool isItemTable(std::string_view table);

// Set while a folder command holds its transaction; a command started from a window event in the
// middle of another (they yield) is refused rather than mixed into it.
bool IsFolderCommandRunning();

// Marks a folder command as running for its lifetime.
class FolderCommand {
public:
    FolderCommand();
    ~FolderCommand();
    FolderCommand(const FolderCommand&) = delete;
    FolderCommand& operator=(const FolderCommand&) = delete;

private:
    bool previous_;
};

// True (after telling the user) when a command that writes must not start now: an interchange
// file is being read, or another folder command is running.
bool RefuseWhileBusy(const core::Services& s);

// Asks a Yes/No question (the application's title, `icon` added); true only on Yes. Nobody can
// answer in an unattended run, so there it is No.
bool Confirm(const core::Services& s, std::string_view question, int icon);

}  // namespace vt::folders
