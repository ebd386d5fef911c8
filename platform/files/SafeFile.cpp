#include "platform/files/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vt::files {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const char* what, const fs::path& p, int error) {
    throw fs::filesystem_error(what, p, std::error_code(error, std::generic_category()));
}

// The temporary files this process is writing, so that RemoveLeftovers never takes one.
std::mutex gLiveMutex;
std::set<std::string>& liveFiles() {
    static std::set<std::string> files;
    return files;
}

fs::path folderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

// The file a write to `target` lands in: a symbolic link is followed, as opening it would, also
// one that names a file not made yet.
fs::path resolved(const fs::path& target) {
    fs::path p = target;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec))) return p;
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) fail("cannot follow the link", target, ec.value());
        p = next.is_absolute() ? next : folderOf(p) / next;
    }
    fail("cannot follow the link", target, ELOOP);
}

// Makes the folder's new entry durable; file systems that cannot sync a folder lose nothing by it.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) {
        const int error = errno;
        ::close(fd);
        fail("cannot write the folder", folder, error);
    }
    ::close(fd);
}

// The mode a file replacing `target` takes: the one its owner gave the file there, else 0600.
mode_t keptMode(const fs::path& target) {
    struct stat old {};
    return ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) ? old.st_mode & 07777 : mode_t(0600);
}

}  // namespace

bool IsPlainNamePart(std::string_view part) {
    return part.find('/') == std::string_view::npos && part.find('\0') == std::string_view::npos &&
           part.find("..") == std::string_view::npos;
}

SafeFile::SafeFile(const fs::path& target) : SafeFile(folderOf(resolved(target)), resolved(target)) {}

SafeFile SafeFile::inFolder(const fs::path& folder) { return SafeFile(folder.empty() ? fs::path(".") : folder, {}); }

SafeFile::SafeFile(const fs::path& folder, const fs::path& target) : folder_(folder), target_(target) {
    // The system's own reason: a folder that is missing, or a file where the folder should be.
    struct stat where {};
    if (::stat(folder_.c_str(), &where) != 0) fail("the folder does not exist", folder_, errno);
    if (!S_ISDIR(where.st_mode)) fail("the folder is not a folder", folder_, ENOTDIR);
    if (!target_.empty()) {
        struct stat st {};
        if (::stat(target_.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) fail("cannot replace a folder", target_, EISDIR);
            // A read-only file is a choice of its owner; root would pass the access test.
            if ((st.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0)
                fail("cannot replace the file", target_, EACCES);
        }
    }
    std::string pattern = (folder_ / (std::string(kTemporaryPrefix) + "XXXXXX")).string();
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);   // exclusive, 0600 whatever the umask
    if (fd_ < 0) fail("cannot create a file in the folder", folder_, errno);
    path_ = pattern;
    std::lock_guard lock(gLiveMutex);
    liveFiles().insert(path_.string());
}

SafeFile::SafeFile(SafeFile&& other) noexcept
    : folder_(std::move(other.folder_)), target_(std::move(other.target_)), path_(std::move(other.path_)),
      fd_(other.fd_) {
    other.fd_ = -1;
    other.path_.clear();
}

SafeFile::~SafeFile() {
    if (fd_ >= 0) ::close(fd_);
    if (path_.empty()) return;
    ::unlink(path_.c_str());
    std::lock_guard lock(gLiveMutex);
    liveFiles().erase(path_.string());
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

void SafeFile::flush() {
    // A full disk often shows only here, when the delayed blocks are allocated.
    if (::fsync(fd_) != 0) fail("cannot write the file", path_, errno);
    // A writer that worked by name may have put a file of its own in the temporary one's place.
    struct stat held {}, named {};
    if (::fstat(fd_, &held) == 0 && ::stat(path_.c_str(), &named) == 0 &&
        (held.st_ino != named.st_ino || held.st_dev != named.st_dev)) {
        const int other = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        const bool synced = other >= 0 && ::fsync(other) == 0;
        const int error = errno;
        if (other >= 0) ::close(other);
        if (!synced) fail("cannot write the file", path_, error);
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail("cannot write the file", path_, errno);
}

void SafeFile::commit(bool replace) {
    if (target_.empty() || path_.empty()) fail("nothing to replace", path_, EINVAL);
    if (fd_ >= 0) flush();
    if (!replace) {
        if (::chmod(path_.c_str(), 0600) != 0) fail("cannot write the file", path_, errno);
        if (!placeAt(target_)) fail("cannot name the file", target_, EEXIST);
        return;
    }
    rename(keptMode(target_));
}

void SafeFile::rename(unsigned mode) {
    if (::chmod(path_.c_str(), mode_t(mode)) != 0) fail("cannot write the file", path_, errno);
    if (::rename(path_.c_str(), target_.c_str()) != 0) fail("cannot name the file", target_, errno);
    placed();
}

void CommitPair(SafeFile& first, SafeFile& second, const std::function<void(int)>& reached) {
    for (const SafeFile* f : {&first, &second})
        if (f->target_.empty() || f->path_.empty()) fail("nothing to replace", f->path_, EINVAL);
    auto step = [&](int n) {
        if (reached) reached(n);
    };
    if (first.fd_ >= 0) first.flush();
    if (second.fd_ >= 0) second.flush();
    step(1);
    // Without its old partner the old first is refused, never read as the new one's.
    const mode_t mode = keptMode(second.target_);
    if (::unlink(second.target_.c_str()) != 0 && errno != ENOENT)
        fail("cannot replace the file", second.target_, errno);
    syncFolder(folderOf(second.target_));
    step(2);
    first.commit();
    step(3);
    second.rename(mode);
}

fs::path SafeFile::placeNew(std::string_view stem, std::string_view extension) {
    if (stem.empty() || !IsPlainNamePart(stem) || !IsPlainNamePart(extension) || path_.empty())
        fail("not a plain file name", folder_ / std::string(stem), EINVAL);
    if (fd_ >= 0) flush();
    if (::chmod(path_.c_str(), 0600) != 0) fail("cannot write the file", path_, errno);
    for (int n = 1;; ++n) {
        std::string name(stem);
        if (n > 1) name += "-" + std::to_string(n);
        name += extension;
        if (placeAt(folder_ / name)) return folder_ / name;
    }
}

bool SafeFile::placeAt(const fs::path& target) {
    if (::link(path_.c_str(), target.c_str()) == 0) {
        ::unlink(path_.c_str());
    } else if (errno == EEXIST) {
        return false;
    } else if (errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP || errno == EXDEV || errno == EMLINK) {
        // Folders without hard links (some network and FAT mounts) still get a rename that
        // never replaces.
        if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST) return false;
            if (errno != EINVAL && errno != ENOSYS) fail("cannot name the file", target, errno);
            std::error_code ec;
            if (fs::exists(fs::symlink_status(target, ec))) return false;
            if (::rename(path_.c_str(), target.c_str()) != 0) fail("cannot name the file", target, errno);
        }
    } else {
        fail("cannot name the file", target, errno);
    }
    placed();
    return true;
}

void SafeFile::placed() {
    {
        std::lock_guard lock(gLiveMutex);
        liveFiles().erase(path_.string());
    }
    path_.clear();
    syncFolder(folder_);
}

void PutInPlace(const fs::path& from, const fs::path& target) {
    const int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("cannot open the file", from, errno);
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!synced) fail("cannot write the file", from, error);
    if (::rename(from.c_str(), target.c_str()) != 0) fail("cannot name the file", target, errno);
    syncFolder(folderOf(target));
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

int RemoveLeftovers(const fs::path& folder) {
    std::error_code ec;
    int removed = 0;
    std::set<std::string> live;
    {
        std::lock_guard lock(gLiveMutex);
        live = liveFiles();
    }
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(kTemporaryPrefix, 0) != 0 || live.count(it->path().string())) continue;
        std::error_code st;
        if (!it->is_regular_file(st)) continue;
        if (fs::remove(it->path(), st)) ++removed;
    }
    return removed;
}

}  // namespace vt::files
