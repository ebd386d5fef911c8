#pragma once
// Writing a whole file safely. The bytes go to a temporary file beside the target, created
// exclusively under an unpredictable name, readable by its owner only and locked while it is
// written; they reach the disk before the file takes its name, and the folder's entry reaches it
// after. From its creation to its final rename or link the writer acts on the temporary file only
// through its open descriptor, so another user who can write the folder cannot make it change a
// file of their choosing. A failure at any step leaves no half file and keeps the file that was
// there whole; the temporary files of a killed write are found again and removed by
// RemoveLeftovers.
//
// Errors are std::filesystem::filesystem_error carrying the system's error code, or the writer's
// own reason where the system has no words for it (its message() says why, and it compares equal
// to the nearest system code); callers that report numbered errors translate them at their own
// edge.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace vt::files {

// Whether a file-name part taken from data (partner names, keys) stays inside its folder: no
// "/", NUL or "..".
bool IsPlainNamePart(std::string_view part);

// The name every temporary file starts with.
inline constexpr std::string_view kTemporaryPrefix = ".vt-write-";

class SafeFile {
public:
    // A file that will replace `target`. A symbolic link there is followed, and the file it names
    // is written, only when the link is the user's own or no other user can write the folder it
    // stands in; another user's link in a shared folder is refused (EACCES, with the reason). A
    // target that is a folder or that nobody may write is refused before anything is written
    // (EISDIR, EACCES); a missing folder is ENOENT, a file where the folder should be
    // ENOTDIR.
    explicit SafeFile(const std::filesystem::path& target);
    // A file that will get a new name in `folder` (placeNew).
    static SafeFile inFolder(const std::filesystem::path& folder);

    SafeFile(SafeFile&& other) noexcept;
    SafeFile& operator=(SafeFile&&) = delete;
    SafeFile(const SafeFile&) = delete;
    ~SafeFile();   // removes the temporary file unless it was placed

    // The temporary file's name, for messages. Its bytes go through write() or fd(): the file
    // is its owner's to read only until it is placed, and a file put at that name by anyone
    // else is never placed.
    const std::filesystem::path& path() const { return path_; }
    int fd() const { return fd_; }
    void write(std::string_view bytes);
    // Writes the whole of the file `source`.
    void writeFrom(const std::filesystem::path& source);
    // The mode the placed file takes instead of the one commit would give it (a copy takes its
    // source's).
    void setMode(unsigned mode) { mode_ = int(mode & 07777); }

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
    void create();
    void finish();
    unsigned modeReplacing() const;
    void renameOver(unsigned mode);
    bool placeAt(const std::string& name);   // false when the name is taken
    void placed();
    std::filesystem::path folder_, target_, path_;
    std::string name_;   // the temporary file's name in the folder
    int dirFd_ = -1, fd_ = -1;
    int mode_ = -1;      // set by setMode, else -1
    dev_t device_ = 0;
    ino_t inode_ = 0;
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
// entry after. `from` keeps its own mode. A link at `from` is never renamed into place.
void PutInPlace(const std::filesystem::path& from, const std::filesystem::path& target);

// Writes `bytes` as `file`, replacing it whole (see SafeFile).
void ReplaceFile(const std::filesystem::path& file, std::string_view bytes);

// Writes `bytes` under the first free name <stem><extension>, <stem>-2<extension>, ... in
// `folder` and returns it. Stem and extension must be plain name parts (EINVAL else).
std::filesystem::path WriteNewFile(const std::filesystem::path& folder, std::string_view stem,
                                   std::string_view extension, std::string_view bytes);

// Removes the temporary files that a killed write left in `folder` (and in the folders below it
// with `subfolders`, as an extraction writes them): only the writer's own temporary files, and of
// those only the ones no writer holds, in this process or another. A file that has taken its name
// is never one of them, whatever its name. Returns how many were removed.
int RemoveLeftovers(const std::filesystem::path& folder, bool subfolders = false);

}  // namespace vt::files
