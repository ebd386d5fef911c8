#pragma once
// Writing a whole file safely. The bytes go to a temporary file beside the target, created
// exclusively under an unpredictable name and readable by its owner only; they reach the disk
// before the file takes its name, and the folder's entry reaches it after. A failure at any step
// leaves no half file and keeps the file that was there whole; the temporary files of a killed
// write are found again by their prefix and removed by RemoveLeftovers.
//
// Errors are std::filesystem::filesystem_error carrying the system's error code; callers that
// report numbered errors translate them at their own edge.

#include <filesystem>
#include <functional>
#include <string_view>

namespace vt::files {

// Whether a file-name part taken from data (partner names, keys) stays inside its folder: no
// "/", NUL or "..".
bool IsPlainNamePart(std::string_view part);

// The name every temporary file starts with.
inline constexpr std::string_view kTemporaryPrefix = ".vt-write-";

class SafeFile {
public:
    // A file that will replace `target`. A symbolic link there is followed: the file it names is
    // written. A target that is a folder or that nobody may write is refused before anything is
    // written (EISDIR, EACCES); a missing folder is ENOENT, a file where the folder should be
    // ENOTDIR.
    explicit SafeFile(const std::filesystem::path& target);
    // A file that will get a new name in `folder` (placeNew).
    static SafeFile inFolder(const std::filesystem::path& folder);

    SafeFile(SafeFile&& other) noexcept;
    SafeFile& operator=(SafeFile&&) = delete;
    SafeFile(const SafeFile&) = delete;
    ~SafeFile();   // removes the temporary file unless it was placed

    // The temporary file, for writers that open it by name; the descriptor stays open until
    // placed.
    const std::filesystem::path& path() const { return path_; }
    int fd() const { return fd_; }
    void write(std::string_view bytes);

    // Replaces the target in one step. A replaced file keeps the mode its owner gave it; a new
    // one is the owner's alone (0600). With `replace` false a file already there is never
    // replaced (EEXIST).
    void commit(bool replace = true);
    // Gives the file the first free name of <stem><extension>, <stem>-2<extension>, ... in the
    // folder and returns it; no file is ever replaced.
    std::filesystem::path placeNew(std::string_view stem, std::string_view extension);

private:
    friend void CommitPair(SafeFile&, SafeFile&, const std::function<void(int)>&);
    explicit SafeFile(const std::filesystem::path& folder, const std::filesystem::path& target);
    void flush();
    void rename(unsigned mode);
    bool placeAt(const std::filesystem::path& target);   // false when the name is taken
    void placed();
    std::filesystem::path folder_, target_, path_;
    int fd_ = -1;
};

// Replaces two files that are only valid together (a data file and the file describing it) so
// that a kill at any point leaves the old pair, the new pair, or `first` without its `second`,
// which readers must refuse: both reach the disk, then the old `second` goes, `first` takes its
// name, and `second` takes its name last. `second` keeps the mode of the file it replaces.
// `reached` hears each step done (1 synced, 2 old second removed, 3 first placed), for tests
// that stop a writer there.
void CommitPair(SafeFile& first, SafeFile& second, const std::function<void(int)>& reached = {});

// Puts `from`, a whole file another writer made beside `target` (a database copy), in place of
// `target` with the same durability: its data reaches the disk before the rename, the folder's
// entry after. `from` keeps its own mode.
void PutInPlace(const std::filesystem::path& from, const std::filesystem::path& target);

// Writes `bytes` as `file`, replacing it whole (see SafeFile).
void ReplaceFile(const std::filesystem::path& file, std::string_view bytes);

// Writes `bytes` under the first free name <stem><extension>, <stem>-2<extension>, ... in
// `folder` and returns it. Stem and extension must be plain name parts (EINVAL else).
std::filesystem::path WriteNewFile(const std::filesystem::path& folder, std::string_view stem,
                                   std::string_view extension, std::string_view bytes);

// Removes the temporary files that a killed write left in `folder`; those this process is
// writing stay. Returns how many were removed.
int RemoveLeftovers(const std::filesystem::path& folder);

}  // namespace vt::files
