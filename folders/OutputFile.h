#pragma once
// Writing a whole output file safely: into a temporary file in the target folder first, then put
// in place under a name that is not taken yet ("name.OC", else "name-2.OC", "name-3.OC", ...), so
// a failure leaves no half file and no earlier file is replaced. The file is the owner's alone (0600).

#include <filesystem>
#include <string_view>

namespace vt::folders {

// Whether a file-name part taken from data (partner names, keys) stays inside its folder: no
// "/", NUL or "..".
bool IsPlainNamePart(std::string_view part);

// Writes `bytes` as <folder>/<stem><extension> (or the first free "-n" variant) and returns the
// path. The stem and extension must be plain name parts (no "/", NUL or ".."); RunError 5 else.
// A missing folder is RunError 76 "Path not found"; write failures throw filesystem errors.
std::filesystem::path WriteNewFile(const std::filesystem::path& folder, std::string_view stem,
                                   std::string_view extension, std::string_view bytes);

// Writes `bytes` as `file`, replacing it: through a temporary file in its folder renamed over it,
// so a failure keeps the previous file whole. A missing folder is RunError 76 "Path not found".
void ReplaceFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace vt::folders
