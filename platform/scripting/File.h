#pragma once
// The File object of the file-system object (GetFile, Files collection): one file by its
// absolute path. Default member Path.

#include "platform/automation/Object.h"

#include <filesystem>

namespace vt::scripting {

class File final : public automation::Dispatch<File> {
public:
    explicit File(std::filesystem::path path) : path_(std::move(path)) {}
    static const automation::Members<File>& members();
    const std::filesystem::path& path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

// A size as the objects report it: Long while it fits, else Double.
automation::Variant sizeValue(double bytes);
// The modification time of `path` as a local OLE date (53 when the file is not there).
automation::Variant modifiedDate(const std::filesystem::path& path, std::int32_t missing);

}  // namespace vt::scripting
