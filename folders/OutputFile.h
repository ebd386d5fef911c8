#pragma once
// Output files of the folders (997s, outbound interchanges, record layouts, script files) through
// the one safe writer, with the error numbers their callers and scripts know.

#include "platform/files/SafeFile.h"

#include <filesystem>
#include <string_view>

namespace vt::folders {

using files::IsPlainNamePart;

// Writes `bytes` as <folder>/<stem><extension> (or the first free "-n" variant) and returns the
// path. The stem and extension must be plain name parts (no "/", NUL or ".."); RunError 5 else.
// A missing folder is RunError 76 "Path not found"; write failures throw filesystem errors.
std::filesystem::path WriteNewFile(const std::filesystem::path& folder, std::string_view stem,
                                   std::string_view extension, std::string_view bytes);

// Writes `bytes` as `file`, replacing it whole. A missing folder is RunError 76 "Path not found",
// a folder in the file's place RunError 75.
void ReplaceFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace vt::folders
