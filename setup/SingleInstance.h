#pragma once
// One running copy per user: a lock on a file in the data root. The kernel drops the lock with
// its holder, so a copy that was killed leaves nothing that blocks the next start.

#include <filesystem>
#include <string>

namespace vt::setup {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock on `file` (created when missing); false when another process holds it.
    // Errors other than a held lock (no such folder, no rights) also give false, with why().
    bool acquire(const std::filesystem::path& file);
    bool held() const { return fd_ >= 0; }
    void release();
    // Why the last acquire failed when no other copy holds the lock; "" otherwise.
    const std::string& why() const { return why_; }

private:
    int fd_ = -1;
    std::string why_;
};

// The lock file of this user's copies: "Veltrane.lock" in the data root.
std::filesystem::path instanceLockFile();

// The message of a second start: "The file' <executable>' is already open."
std::string alreadyOpenText(const std::filesystem::path& executable);

}  // namespace vt::setup
