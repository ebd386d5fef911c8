#include "folders/OutputFile.h"

#include "core/RunError.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

namespace vt::folders {

namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& p, int error) {
    throw std::filesystem::filesystem_error(what, p, std::error_code(error, std::generic_category()));
}

class TempFile {
public:
    explicit TempFile(const std::filesystem::path& folder) {
        std::string pattern = (folder / ".vt-write-XXXXXX").string();
        fd_ = ::mkstemp(pattern.data());
        if (fd_ < 0) fail("cannot create a file in the folder", folder, errno);
        path_ = pattern;
    }
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void write(std::string_view bytes) {
        // mkstemp made the file 0600 and so it stays: it holds partner data.
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0) {
                if (errno == EINTR) continue;
                fail("cannot write the file", path_, errno);
            }
            bytes.remove_prefix(std::size_t(n));
        }
        if (::fsync(fd_) != 0) fail("cannot write the file", path_, errno);
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) fail("cannot write the file", path_, errno);
    }

    // Gives the written file its final name unless that name is taken.
    bool placeAs(const std::filesystem::path& target) {
        if (::link(path_.c_str(), target.c_str()) == 0) return true;
        const int error = errno;
        if (error == EEXIST) return false;
        // Folders without hard links (some network and FAT mounts) still get a safe rename.
        if (error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == EXDEV || error == EMLINK) {
            std::error_code ec;
            if (std::filesystem::exists(target, ec)) return false;
            if (::rename(path_.c_str(), target.c_str()) != 0) fail("cannot name the file", target, errno);
            path_.clear();
            return true;
        }
        fail("cannot name the file", target, error);
    }

    // Gives the written file the target's name, replacing a file there in one step; a replaced
    // file keeps the mode its owner gave it.
    void replace(const std::filesystem::path& target) {
        struct stat old {};
        if (::stat(target.c_str(), &old) == 0 && ::chmod(path_.c_str(), old.st_mode & 07777) != 0)
            fail("cannot write the file", path_, errno);
        if (::rename(path_.c_str(), target.c_str()) != 0) fail("cannot name the file", target, errno);
        path_.clear();
    }

private:
    int fd_ = -1;
    std::filesystem::path path_;
};

}  // namespace

bool IsPlainNamePart(std::string_view part) {
    return part.find('/') == std::string_view::npos && part.find('\0') == std::string_view::npos &&
           part.find("..") == std::string_view::npos;
}

std::filesystem::path WriteNewFile(const std::filesystem::path& folder, std::string_view stem,
                                   std::string_view extension, std::string_view bytes) {
    if (stem.empty() || !IsPlainNamePart(stem) || !IsPlainNamePart(extension)) throw core::invalidCallError();
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) throw core::RunError(76, "Path not found");

    TempFile temp(folder);
    temp.write(bytes);
    for (int n = 1;; ++n) {
        std::string name(stem);
        if (n > 1) name += "-" + std::to_string(n);
        name += extension;
        if (temp.placeAs(folder / name)) return folder / name;
    }
}

void ReplaceFile(const std::filesystem::path& file, std::string_view bytes) {
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) throw core::RunError(76, "Path not found");
    if (std::filesystem::is_directory(file, ec)) throw core::RunError(75, "Path/File access error");
    TempFile temp(folder);
    temp.write(bytes);
    temp.replace(file);
}

}  // namespace vt::folders
