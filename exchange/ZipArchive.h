#pragma once
// Zip archives for network scripts (libzip): packing one file, unpacking into a folder.

#include <filesystem>
#include <string>

namespace vt::exchange {

// Packs `file` as the one entry (its bare name) of a new archive `archive`, written beside it
// under a temporary name first. Throws RunError with the reason.
void ZipFile(const std::filesystem::path& file, const std::filesystem::path& archive);

// Unpacks every entry of `archive` into `folder` (sub-folders kept, existing files replaced).
// An entry that would land outside the folder (absolute, "..", a link) refuses the whole
// archive before anything is written. "" on success, else the reason.
std::string UnzipInto(const std::filesystem::path& archive, const std::filesystem::path& folder);

// Writes `bytes` as `file` through a temporary file in the same folder, replacing it whole.
void ReplaceFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace vt::exchange
