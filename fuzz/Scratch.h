#pragma once
// A scratch folder of this fuzzing process, removed at exit; those of runs that died are removed
// when the next one starts. The program's writers sync every file to disk, so it lies in memory
// (/dev/shm) when it can, where that costs nothing.

#include <sys/types.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace vt::fuzz {

inline std::filesystem::path scratchFolder(const std::string& name) {
    namespace fs = std::filesystem;
    static fs::path folder;
    if (!folder.empty()) return folder;
    std::error_code ec;
    const fs::path shm = "/dev/shm";
    const fs::path base = (fs::is_directory(shm, ec) && ::access(shm.c_str(), W_OK) == 0 ? shm : fs::temp_directory_path()) /
                          ("vt_fuzz_" + name);
    fs::create_directories(base, ec);
    for (const auto& e : fs::directory_iterator(base, ec)) {
        const pid_t pid = pid_t(std::atol(e.path().filename().c_str()));
        if (pid <= 0 || (::kill(pid, 0) != 0 && errno == ESRCH)) fs::remove_all(e.path(), ec);
    }
    folder = base / std::to_string(::getpid());
    fs::create_directories(folder);
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    });
    return folder;
}

}  // namespace vt::fuzz
