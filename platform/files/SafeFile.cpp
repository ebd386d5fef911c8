#include "platform/files/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <string>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace vt::files {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const char* what, const fs::path& p, int error) {
    throw fs::filesystem_error(what, p, std::error_code(error, std::generic_category()));
}

// The writer's own reasons, where the system's text for the code would not say what happened.
// Each compares equal to the system code of its value.
class Reasons final : public std::error_category {
public:
    const char* name() const noexcept override { return "safe file"; }
    std::string message(int code) const override {
        switch (code) {
        case EACCES: return "it is a link another user made, in a folder other users can write";
        case ESTALE: return "its temporary file was replaced by another file before it took the name";
        default: return std::generic_category().message(code);
        }
    }
    std::error_condition default_error_condition(int code) const noexcept override {
        return std::generic_category().default_error_condition(code);
    }
};

[[noreturn]] void refuse(const char* what, const fs::path& p, int code) {
    static const Reasons reasons;
    throw fs::filesystem_error(what, p, std::error_code(code, reasons));
}

// A temporary file is its owner's to read only, with the sticky bit, which means nothing on a file
// and which no placed file keeps; it is named the prefix and kRandom letters or digits, and its
// writer holds a lock on it until it is placed.
constexpr mode_t kTemporaryMode = S_ISVTX | S_IRUSR;
mode_t placedMode(int mode) { return mode_t(mode) & 07777 & ~mode_t(S_ISVTX); }
constexpr std::size_t kRandom = 12;

std::string temporaryName() {
    static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char random[kRandom];
    std::size_t got = 0;
    while (got < kRandom) {
        const ssize_t n = ::getrandom(random + got, kRandom - got, 0);
        if (n < 0 && errno != EINTR) fail("cannot make a file name", {}, errno);
        if (n > 0) got += std::size_t(n);
    }
    std::string name(kTemporaryPrefix);
    for (unsigned char r : random) name += letters[r % (sizeof letters - 1)];
    return name;
}

bool isTemporaryName(std::string_view name) {
    if (name.size() != kTemporaryPrefix.size() + kRandom || name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix)
        return false;
    for (char c : name.substr(kTemporaryPrefix.size()))
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

bool looksLeftover(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 07777) == kTemporaryMode &&
           st.st_nlink == 1;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The temporary files this process is writing, for file systems whose locks do not keep a
// process from its own files.
using FileId = std::pair<dev_t, ino_t>;
std::mutex gLiveMutex;
std::set<FileId>& liveFiles() {
    static std::set<FileId> files;
    return files;
}

fs::path folderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

// Whether a link may be followed: when the user made it, or when nobody else could have put it
// there (its folder is the user's or the system's and no other user can write it).
bool followable(const fs::path& link, const struct stat& st) {
    const uid_t me = ::geteuid();
    if (st.st_uid == me) return true;
    struct stat folder {};
    return ::stat(folderOf(link).c_str(), &folder) == 0 && (folder.st_uid == me || folder.st_uid == 0) &&
           (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The file a write to `target` lands in: a link that may be followed is followed, as opening it
// would, also one that names a file not made yet.
fs::path resolved(const fs::path& target) {
    fs::path p = target;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        if (!followable(p, st)) refuse("not written through the link", p, EACCES);
        std::error_code ec;
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) fail("cannot follow the link", target, ec.value());
        p = next.is_absolute() ? next : folderOf(p) / next;
    }
    fail("cannot follow the link", target, ELOOP);
}

// Makes the folder's new entry durable; file systems that cannot sync a folder, and folders the
// user may not read, lose nothing by it.
void syncFolder(int dirFd, const fs::path& folder) {
    const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) {
        const int error = errno;
        ::close(fd);
        fail("cannot write the folder", folder, error);
    }
    ::close(fd);
}

int openFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    // The system's own reason: a folder that is missing, or a file where the folder should be.
    if (fd < 0) fail(errno == ENOTDIR ? "the folder is not a folder" : "the folder does not exist", folder, errno);
    return fd;
}

// Whether `name` in the folder is the file `fd` holds.
bool names(int dirFd, const std::string& name, int fd) {
    struct stat held {}, named {};
    return ::fstat(fd, &held) == 0 && ::fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           sameFile(held, named);
}

}  // namespace

bool IsPlainNamePart(std::string_view part) {
    return part.find('/') == std::string_view::npos && part.find('\0') == std::string_view::npos &&
           part.find("..") == std::string_view::npos;
}

SafeFile::SafeFile(const fs::path& target) : SafeFile(fs::path(), resolved(target)) {}

SafeFile SafeFile::inFolder(const fs::path& folder) { return SafeFile(folder.empty() ? fs::path(".") : folder, {}); }

SafeFile::SafeFile(const fs::path& folder, const fs::path& target)
    : folder_(target.empty() ? folder : folderOf(target)), target_(target) {
    dirFd_ = openFolder(folder_);
    try {
        if (!target_.empty()) {
            const std::string name = target_.filename().string();
            if (name.empty() || name == "." || name == "..") fail("cannot replace a folder", target_, EISDIR);
            struct stat st {};
            if (::fstatat(dirFd_, name.c_str(), &st, 0) == 0) {
                if (S_ISDIR(st.st_mode)) fail("cannot replace a folder", target_, EISDIR);
                // A read-only file is a choice of its owner; root would pass the access test.
                if ((st.st_mode & 0222) == 0 || ::faccessat(dirFd_, name.c_str(), W_OK, 0) != 0)
                    fail("cannot replace the file", target_, EACCES);
            }
        }
        create();
    } catch (...) {
        ::close(dirFd_);
        throw;
    }
}

void SafeFile::create() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = temporaryName();
        const int fd = ::openat(dirFd_, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kTemporaryMode);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            fail("cannot create a file in the folder", folder_, errno);
        }
        ::fchmod(fd, kTemporaryMode);   // whatever the umask took away
        // Locked before anything is written. A cleanup that came in between holds the lock or
        // has taken the name away: the file is left to it. Where the file system has no locks,
        // no cleanup can take them either.
        int locked;
        while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
        }
        struct stat st {};
        if ((locked != 0 && errno == EWOULDBLOCK) || ::fstat(fd, &st) != 0 || st.st_nlink == 0) {
            ::close(fd);
            continue;
        }
        fd_ = fd;
        name_ = name;
        path_ = folder_ / name;
        device_ = st.st_dev;
        inode_ = st.st_ino;
        std::lock_guard lock(gLiveMutex);
        liveFiles().insert({device_, inode_});
        return;
    }
    fail("cannot create a file in the folder", folder_, EEXIST);
}

SafeFile::SafeFile(SafeFile&& other) noexcept
    : folder_(std::move(other.folder_)), target_(std::move(other.target_)), path_(std::move(other.path_)),
      name_(std::move(other.name_)), dirFd_(other.dirFd_), fd_(other.fd_), mode_(other.mode_),
      device_(other.device_), inode_(other.inode_) {
    other.dirFd_ = other.fd_ = -1;
    other.path_.clear();
    other.name_.clear();
}

SafeFile::~SafeFile() {
    if (fd_ >= 0) {
        // Only while the name is still this file's: whatever else stands there is not ours.
        if (!name_.empty() && names(dirFd_, name_, fd_)) ::unlinkat(dirFd_, name_.c_str(), 0);
        ::close(fd_);
        std::lock_guard lock(gLiveMutex);
        liveFiles().erase({device_, inode_});
    }
    if (dirFd_ >= 0) ::close(dirFd_);
}

void SafeFile::write(std::string_view bytes) {
    if (fd_ < 0) fail("cannot write the file", path_, EBADF);
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("cannot write the file", path_, errno);
        }
        bytes.remove_prefix(std::size_t(n));
    }
}

void SafeFile::writeFrom(const fs::path& source) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) fail("cannot open the file", source, errno);
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : 0;
            ::close(in);
            if (error) fail("cannot read the file", source, error);
            return;
        }
        try {
            write(std::string_view(buffer, std::size_t(n)));
        } catch (...) {
            ::close(in);
            throw;
        }
    }
}

void SafeFile::finish() {
    if (fd_ < 0 || name_.empty()) fail("cannot write the file", path_, EBADF);
    // A full disk often shows only here, when the delayed blocks are allocated.
    if (::fsync(fd_) != 0) fail("cannot write the file", path_, errno);
}

unsigned SafeFile::modeReplacing() const {
    if (mode_ >= 0) return unsigned(mode_);
    struct stat old {};
    return ::fstatat(dirFd_, target_.filename().c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode)
               ? old.st_mode & 07777
               : 0600;
}

void SafeFile::commit(bool replace) {
    if (target_.empty() || path_.empty()) fail("nothing to replace", path_, EINVAL);
    finish();
    if (!replace) {
        if (::fchmod(fd_, placedMode(mode_ >= 0 ? mode_ : 0600)) != 0) fail("cannot write the file", path_, errno);
        if (!placeAt(target_.filename().string())) fail("cannot name the file", target_, EEXIST);
        return;
    }
    renameOver(modeReplacing());
}

// The mode is set last, just before the rename: until then the file is a temporary one, which a
// cleanup may take once its writer is gone.
void SafeFile::renameOver(unsigned mode) {
    const std::string name = target_.filename().string();
    if (::fchmod(fd_, placedMode(int(mode))) != 0) fail("cannot write the file", path_, errno);
    if (!names(dirFd_, name_, fd_)) refuse("cannot name the file", target_, ESTALE);
    if (::renameat(dirFd_, name_.c_str(), dirFd_, name.c_str()) != 0) fail("cannot name the file", target_, errno);
    // Swapped in the moment between the look and the rename: what took the name is not this file.
    if (!names(dirFd_, name, fd_)) {
        name_.clear();
        refuse("cannot name the file", target_, ESTALE);
    }
    placed();
}

void CommitPair(SafeFile& first, SafeFile& second, const std::function<void(int)>& reached) {
    for (const SafeFile* f : {&first, &second})
        if (f->target_.empty() || f->path_.empty()) fail("nothing to replace", f->path_, EINVAL);
    auto step = [&](int n) {
        if (reached) reached(n);
    };
    first.finish();
    second.finish();
    // A name swapped already fails the pair before the old one is touched.
    for (const SafeFile* f : {&first, &second})
        if (!names(f->dirFd_, f->name_, f->fd_)) refuse("cannot name the file", f->target_, ESTALE);
    step(1);
    // Without its old partner the old first is refused, never read as the new one's.
    const unsigned mode = second.modeReplacing();
    if (::unlinkat(second.dirFd_, second.target_.filename().c_str(), 0) != 0 && errno != ENOENT)
        fail("cannot replace the file", second.target_, errno);
    syncFolder(second.dirFd_, second.folder_);
    step(2);
    first.renameOver(first.modeReplacing());
    step(3);
    second.renameOver(mode);
}

fs::path SafeFile::placeNew(std::string_view stem, std::string_view extension) {
    if (stem.empty() || !IsPlainNamePart(stem) || !IsPlainNamePart(extension) || path_.empty())
        fail("not a plain file name", folder_ / std::string(stem), EINVAL);
    finish();
    if (::fchmod(fd_, placedMode(mode_ >= 0 ? mode_ : 0600)) != 0) fail("cannot write the file", path_, errno);
    for (int n = 1;; ++n) {
        std::string name(stem);
        if (n > 1) name += "-" + std::to_string(n);
        name += extension;
        if (placeAt(name)) return folder_ / name;
    }
}

bool SafeFile::placeAt(const std::string& name) {
    const fs::path target = folder_ / name;
    // The link is made to the file the descriptor holds, whatever stands at the temporary name.
    const std::string held = "/proc/self/fd/" + std::to_string(fd_);
    int error = ::linkat(AT_FDCWD, held.c_str(), dirFd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
    if (error == ENOENT && ::access("/proc/self/fd", X_OK) != 0) {
        // No process file system: by the temporary name, looked at first and checked after.
        if (!names(dirFd_, name_, fd_)) refuse("cannot name the file", target, ESTALE);
        error = ::linkat(dirFd_, name_.c_str(), dirFd_, name.c_str(), 0) == 0 ? 0 : errno;
        if (error == 0 && !names(dirFd_, name, fd_)) refuse("cannot name the file", target, ESTALE);
    } else if (error == ENOENT) {
        // The file has no name left: someone took the temporary name away.
        refuse("cannot name the file", target, ESTALE);
    }
    if (error == 0) {
        if (names(dirFd_, name_, fd_)) ::unlinkat(dirFd_, name_.c_str(), 0);
    } else if (error == EEXIST) {
        return false;
    } else if (error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == EXDEV || error == EMLINK) {
        // Folders without hard links (some network and FAT mounts) still get a rename that
        // never replaces.
        if (!names(dirFd_, name_, fd_)) refuse("cannot name the file", target, ESTALE);
        if (::renameat2(dirFd_, name_.c_str(), dirFd_, name.c_str(), RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST) return false;
            if (errno != EINVAL && errno != ENOSYS) fail("cannot name the file", target, errno);
            struct stat st {};
            if (::fstatat(dirFd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return false;
            if (::renameat(dirFd_, name_.c_str(), dirFd_, name.c_str()) != 0) fail("cannot name the file", target, errno);
        }
        if (!names(dirFd_, name, fd_)) {
            name_.clear();
            refuse("cannot name the file", target, ESTALE);
        }
    } else {
        fail("cannot name the file", target, error);
    }
    placed();
    return true;
}

void SafeFile::placed() {
    ::close(fd_);
    fd_ = -1;
    {
        std::lock_guard lock(gLiveMutex);
        liveFiles().erase({device_, inode_});
    }
    path_.clear();
    name_.clear();
    syncFolder(dirFd_, folder_);
}

void PutInPlace(const fs::path& from, const fs::path& target) {
    const int fd = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) fail("cannot open the file", from, errno);
    struct Close {
        int fd;
        ~Close() {
            if (fd >= 0) ::close(fd);
        }
    } file{fd}, folder{-1};
    if (::fsync(fd) != 0) fail("cannot write the file", from, errno);
    folder.fd = openFolder(folderOf(target));
    const std::string name = target.filename().string();
    if (::renameat(AT_FDCWD, from.c_str(), folder.fd, name.c_str()) != 0) fail("cannot name the file", target, errno);
    if (!names(folder.fd, name, fd)) refuse("cannot name the file", target, ESTALE);
    syncFolder(folder.fd, folderOf(target));
}

void ReplaceFile(const fs::path& file, std::string_view bytes) {
    SafeFile out(file);
    out.write(bytes);
    out.commit();
}

fs::path WriteNewFile(const fs::path& folder, std::string_view stem, std::string_view extension,
                      std::string_view bytes) {
    if (stem.empty() || !IsPlainNamePart(stem) || !IsPlainNamePart(extension))
        fail("not a plain file name", folder / std::string(stem), EINVAL);
    SafeFile out = SafeFile::inFolder(folder);
    out.write(bytes);
    return out.placeNew(stem, extension);
}

namespace {

constexpr int kDeepestFolder = 32;

// A leftover is removed only while its lock is taken here, and only if its name still holds it:
// a writer that holds the lock, or that made its file in between, keeps it.
int removeLeftoversIn(int dirFd, const std::set<FileId>& live, bool subfolders, int depth) {
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return 0;
    }
    int removed = 0;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            if (!subfolders || depth >= kDeepestFolder) continue;
            const int sub = ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) removed += removeLeftoversIn(sub, live, subfolders, depth + 1);
            continue;
        }
        if (!isTemporaryName(name) || !looksLeftover(st) || live.count({st.st_dev, st.st_ino})) continue;
        const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat held {}, now {};
        const bool gone = ::fstat(fd, &held) == 0 && sameFile(held, st) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                          ::fstatat(dirFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(now, held) &&
                          looksLeftover(now) && ::unlinkat(dirFd, name.c_str(), 0) == 0;
        ::close(fd);
        if (gone) ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace

int RemoveLeftovers(const fs::path& folder, bool subfolders) {
    std::set<FileId> live;
    {
        std::lock_guard lock(gLiveMutex);
        live = liveFiles();
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fd < 0 ? 0 : removeLeftoversIn(fd, live, subfolders, 0);
}

}  // namespace vt::files
