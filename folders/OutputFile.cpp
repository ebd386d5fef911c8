#include "folders/OutputFile.h"

#include "core/RunError.h"

namespace vt::folders {

namespace {

void requireFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder.empty() ? std::filesystem::path(".") : folder, ec))
        throw core::RunError(76, "Path not found");
}

}  // namespace

std::filesystem::path WriteNewFile(const std::filesystem::path& folder, std::string_view stem,
                                   std::string_view extension, std::string_view bytes) {
    if (stem.empty() || !IsPlainNamePart(stem) || !IsPlainNamePart(extension)) throw core::invalidCallError();
    requireFolder(folder);
    return files::WriteNewFile(folder, stem, extension, bytes);
}

void ReplaceFile(const std::filesystem::path& file, std::string_view bytes) {
    requireFolder(file.parent_path());
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) throw core::RunError(75, "Path/File access error");
    files::ReplaceFile(file, bytes);
}

}  // namespace vt::folders
