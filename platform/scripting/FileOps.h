#pragma once
// The file and folder operations behind the file-system object and its File and Folder objects.
// Sources are script path texts whose last name may hold wildcards; a destination that ends with
// a separator (or any destination of a wildcard source) is an existing folder to copy or move
// into, otherwise the name to create. Errors are the runtime's: 53 file not found, 76 path not
// found, 58 name taken, 70 permission denied (read-only, a file onto a folder, a folder into
// itself), 5 an empty path.

#include "Paths.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace vt::scripting {

enum class EntryKind { File, Folder };

// A file here is anything that exists and is not a folder.
bool isFile(const std::filesystem::path& path);
bool isFolder(const std::filesystem::path& path);
bool fileExists(std::string_view path);
bool folderExists(std::string_view path);

// Absolute path of an existing file (53) or folder (76); 5 for "".
std::filesystem::path existingFile(std::string_view path);
std::filesystem::path existingFolder(std::string_view path);

// The files or folders directly in `folder`, sorted by name (76 when the folder is not there).
std::vector<std::filesystem::path> listFolder(const std::filesystem::path& folder, EntryKind kind);
// Bytes of the files in `folder` and all its subfolders.
double folderSize(const std::filesystem::path& folder);

// The file-system object's operations (wildcards allowed in the source's last name).
void copyFiles(std::string_view source, std::string_view destination, bool overwrite);
void moveFiles(std::string_view source, std::string_view destination);
void deleteFiles(std::string_view spec, bool force);
void copyFolders(std::string_view source, std::string_view destination, bool overwrite);
void moveFolders(std::string_view source, std::string_view destination);
void deleteFolders(std::string_view spec, bool force);
// Creates one folder (its parent must exist: 76; 58 when the name is taken); its absolute path.
std::filesystem::path createFolder(std::string_view path);

// The same for one file or folder already resolved (File.Copy, Folder.Move, ...); a move gives
// the new path.
void copyFileTo(const std::filesystem::path& source, std::string_view destination, bool overwrite);
std::filesystem::path moveFileTo(const std::filesystem::path& source, std::string_view destination);
void deleteFile(const std::filesystem::path& file, bool force);
void copyFolderTo(const std::filesystem::path& source, std::string_view destination, bool overwrite);
std::filesystem::path moveFolderTo(const std::filesystem::path& source, std::string_view destination);
void deleteFolder(const std::filesystem::path& folder, bool force);

}  // namespace vt::scripting
