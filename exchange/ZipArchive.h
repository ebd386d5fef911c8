#pragma once
// Zip archives for network scripts (libzip): packing one file, unpacking into a folder.

#include "core/RunError.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace vt::exchange {

// Packs `file` as the one entry (its bare name) of a new archive `archive`, written beside it
// under a temporary name first. Throws RunError with the reason.
void ZipFile(const std::filesystem::path& file, const std::filesystem::path& archive);

// What an unpacking did: the archive's own failure (it could not be opened or read; nothing
// was written) and the entries it refused, each with why.
struct UnzipResult {
    std::string failure;
    std::vector<std::string> refused;   // "Zip entry "name" ...: reason"
    int written = 0;
};

// Unpacks the entries of `archive` into `folder` (sub-folders kept, existing files replaced),
// each streamed to its file. An entry that would land outside the folder (absolute, "..", a
// link), that cannot be written where it would go, or that would grow beyond `maxBytes`
// (0: no limit; also the limit of all entries together) is refused by itself; the others are
// written.
UnzipResult UnzipInto(const std::filesystem::path& archive, const std::filesystem::path& folder,
                      std::int64_t maxBytes = 0);

// A file that could not be written, as the numbers scripts know it: 61 for a full disk, 75 for
// any other failure (`error` is the system's).
core::RunError WriteError(const std::filesystem::path& file, int error);
// The same for an error of the safe writer, whose message may be its own reason.
core::RunError WriteError(const std::filesystem::path& file, const std::error_code& error);

}  // namespace vt::exchange
