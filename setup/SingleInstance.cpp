#include "setup/SingleInstance.h"

#include "platform/settings/Settings.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vt::setup {

InstanceLock::~InstanceLock() { release(); }

bool InstanceLock::acquire(const std::filesystem::path& file) {
    release();
    why_.clear();
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        why_ = file.string() + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) why_ = file.string() + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::release() {
    if (fd_ < 0) return;
    ::close(fd_);   // closing drops the lock
    fd_ = -1;
}

std::filesystem::path instanceLockFile() { return dataRoot() / "Veltrane.lock"; }

std::string alreadyOpenText(const std::filesystem::path& executable) {
    return "The file' " + executable.string() + "' is already open.";
}

}  // namespace vt::setup
