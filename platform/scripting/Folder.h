#pragma once
// The Folder object of the file-system object and its Files and SubFolders collections. The
// collections read the folder when asked (Count, Item, For Each), in name order. Default
// members: Folder.Path, Files.Item and Folders.Item (by name: 53 or 76 when not there).

#include "platform/automation/Object.h"

#include <filesystem>
#include <memory>

namespace vt::scripting {

class Folder final : public automation::Dispatch<Folder> {
public:
    explicit Folder(std::filesystem::path path) : path_(std::move(path)) {}
    static const automation::Members<Folder>& members();
    const std::filesystem::path& path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

class Files final : public automation::Dispatch<Files> {
public:
    explicit Files(std::filesystem::path folder) : folder_(std::move(folder)) {}
    static const automation::Members<Files>& members();
    std::unique_ptr<automation::Enumerator> enumerate() override;

private:
    std::filesystem::path folder_;
};

class Folders final : public automation::Dispatch<Folders> {
public:
    explicit Folders(std::filesystem::path folder) : folder_(std::move(folder)) {}
    static const automation::Members<Folders>& members();
    std::unique_ptr<automation::Enumerator> enumerate() override;

private:
    std::filesystem::path folder_;
};

}  // namespace vt::scripting
