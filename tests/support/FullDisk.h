#pragma once
// Writes that fail part-way. SmallFileSystem is a real file system that fills up: a tmpfs of a
// few kilobytes mounted in a mount namespace of this process alone (nothing outside the test
// sees it, and it goes with the process); it needs the right to mount, else reason() says why.
// FileSizeLimit makes write() fail with EFBIG past a size, as a full disk fails it with ENOSPC.

#include <csignal>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace vt::test {

class SmallFileSystem {
public:
    // A file system of `bytes` (whole pages), empty.
    explicit SmallFileSystem(std::size_t bytes) {
        char pattern[] = "/tmp/vt-full-XXXXXX";
        if (!::mkdtemp(pattern)) {
            reason_ = std::strerror(errno);
            return;
        }
        path_ = pattern;
        static const std::string kPrivate = privateNamespace();
        if (!kPrivate.empty()) {
            reason_ = kPrivate;
            return;
        }
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        if (::mount("vt-full", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
            reason_ = std::string("mount: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallFileSystem() {
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool ready() const { return mounted_; }
    const std::string& reason() const { return reason_; }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Takes all free space but `leave` bytes with a file of its own.
    void fill(std::size_t leave) {
        const std::filesystem::path filler = path_ / "filler";
        {
            std::ofstream out(filler, std::ios::binary);
            const std::string block(4096, 'f');
            while (out.write(block.data(), std::streamsize(block.size())) && out.flush()) {
            }
        }
        const auto size = std::filesystem::file_size(filler);
        std::filesystem::resize_file(filler, size > leave ? size - leave : 0);
    }

private:
    // Mounts made from now on stay in this process.
    static std::string privateNamespace() {
        if (::unshare(CLONE_NEWNS) != 0) return std::string("unshare: ") + std::strerror(errno);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return std::string("private mounts: ") + std::strerror(errno);
        return "";
    }
    std::filesystem::path path_;
    std::string reason_;
    bool mounted_ = false;
};

struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old);
        previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = old;
        lim.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    rlimit old{};
    void (*previous)(int) = nullptr;
};

}  // namespace vt::test
