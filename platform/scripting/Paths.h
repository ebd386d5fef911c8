#pragma once
// Paths as scripts write them and as the file system takes them, wildcard matching of one name,
// and the run-time errors that failed file operations give.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vt::scripting {

// Run-time error numbers of the file objects.
namespace fserr {
inline constexpr std::int32_t InvalidCall = 5;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t BadFileMode = 54;
inline constexpr std::int32_t DeviceIO = 57;
inline constexpr std::int32_t FileAlreadyExists = 58;
inline constexpr std::int32_t DiskFull = 61;
inline constexpr std::int32_t InputPastEnd = 62;
inline constexpr std::int32_t PermissionDenied = 70;
inline constexpr std::int32_t PathNotFound = 76;
}  // namespace fserr

bool isSeparator(char c) noexcept;   // "/" or "\"
bool endsWithSeparator(std::string_view text) noexcept;

// Script text (1252 bytes; "/" or "\" between names, as scripts written for either platform
// join them) as a file-system path (UTF-8 names). No other change.
std::filesystem::path toPath(std::string_view text);
// A path as script text: 1252 bytes, "/" between names.
std::string toText(const std::filesystem::path& path);
// Absolute (against the current folder) and normalised ("." and ".." resolved), without a
// trailing separator except for the root. The file need not exist.
std::filesystem::path absolutePath(std::string_view text);

// The name functions of the file-system object, on text alone (the file need not exist):
// trailing separators are ignored; the parent of "/a" is "/".
std::string fileNamePart(std::string_view path);
std::string baseNamePart(std::string_view path);
std::string extensionPart(std::string_view path);
std::string parentFolderPart(std::string_view path);
std::string buildPath(std::string_view path, std::string_view name);

bool hasWildcards(std::string_view name) noexcept;
// "*" matches any run of characters, "?" one character; a pattern ending in ".*" also matches
// the name without an extension ("*.*" matches every name). Case-sensitive, as the file names.
bool matchWildcard(std::string_view pattern, std::string_view name) noexcept;

// Raises the run-time error for a failed file-system call: `missing` for a name that is not
// there, 70 for access refused, 58 for a name taken, 61 for a full disk, 76 for a missing
// folder on the way, else 57.
[[noreturn]] void raiseFor(const std::error_code& ec, std::int32_t missing);

// Read-only, as the attribute of that name: the owner may not write.
bool isReadOnly(const std::filesystem::path& path);

}  // namespace vt::scripting
