// The script engine: each input is compiled and run as a script in a fresh control, with a short
// time-out. The process may write only beneath its own temporary folder (and where libFuzzer
// keeps its corpus and findings), so the file objects cannot touch anything else; without that
// confinement the file objects are not offered at all.

#include "platform/automation/ClassRegistry.h"
#include "platform/vbscript/ScriptControl.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path gFolder;

// Landlock: every kind of write is refused outside `writable` (reads stay open).
bool confineWrites(const std::vector<fs::path>& writable) {
    const long abi = syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1) return false;
    std::uint64_t handled = LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                            LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_CHAR |
                            LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
                            LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO |
                            LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SYM;
#ifdef LANDLOCK_ACCESS_FS_REFER
    if (abi >= 2) handled |= LANDLOCK_ACCESS_FS_REFER;
#endif
#ifdef LANDLOCK_ACCESS_FS_TRUNCATE
    if (abi >= 3) handled |= LANDLOCK_ACCESS_FS_TRUNCATE;
#endif
    landlock_ruleset_attr attr{};
    attr.handled_access_fs = handled;
    const int ruleset = int(syscall(SYS_landlock_create_ruleset, &attr, sizeof attr, 0));
    if (ruleset < 0) return false;
    auto allow = [&](const fs::path& p, std::uint64_t access) {
        const int fd = open(p.c_str(), O_PATH | O_CLOEXEC);
        if (fd < 0) return;
        landlock_path_beneath_attr rule{};
        rule.allowed_access = access;
        rule.parent_fd = fd;
        syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0);
        close(fd);
    };
    for (const auto& p : writable) allow(p, handled);
    std::uint64_t fileWrite = LANDLOCK_ACCESS_FS_WRITE_FILE;
#ifdef LANDLOCK_ACCESS_FS_TRUNCATE
    if (abi >= 3) fileWrite |= LANDLOCK_ACCESS_FS_TRUNCATE;
#endif
    allow("/dev/null", fileWrite);
    const bool ok = prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
    close(ruleset);
    return ok;
}

void emptyFolder() {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(gFolder, ec)) fs::remove_all(e.path(), ec);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // One folder per process under a shared parent, which is the part that stays writable: so
    // the folder can still be removed at exit, and those of runs that died are removed here.
    const fs::path parent = fs::temp_directory_path() / "vt_fuzz_script";
    std::error_code ec;
    fs::create_directories(parent, ec);
    for (const auto& e : fs::directory_iterator(parent, ec)) {
        const pid_t pid = pid_t(std::atol(e.path().filename().c_str()));
        if (pid <= 0 || (kill(pid, 0) != 0 && errno == ESRCH)) fs::remove_all(e.path(), ec);
    }
    gFolder = parent / std::to_string(getpid());
    fs::create_directories(gFolder);
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(gFolder, ignored);
    });
    // The scripts' temporary folder (GetSpecialFolder(2), GetTempName) is ours.
    setenv("TMPDIR", gFolder.c_str(), 1);

    // Where libFuzzer writes: the corpus folders given and the findings' folder.
    std::vector<fs::path> writable{parent};
    bool prefixed = false;
    for (int i = 1; i < *argc; ++i) {
        const std::string_view arg((*argv)[i]);
        if (arg.starts_with("-artifact_prefix=")) {
            writable.push_back(fs::absolute(fs::path(arg.substr(17)).parent_path().empty()
                                                ? fs::path(".")
                                                : fs::path(arg.substr(17)).parent_path()));
            prefixed = true;
        } else if (!arg.starts_with("-") && fs::is_directory(arg)) {
            writable.push_back(fs::absolute(arg));
        }
    }
    if (!prefixed) writable.push_back(fs::current_path());

    // The first control registers the scripting classes; then no plug-in can be loaded.
    { vt::vbscript::ScriptControl first; }
    auto& registry = vt::automation::ClassRegistry::instance();
    registry.setPluginFolder(gFolder / "no-plugins");
    if (!confineWrites(writable)) {
        std::fprintf(stderr, "No Landlock: scripts run without Scripting.FileSystemObject.\n");
        registry.registerBuiltin("Scripting.FileSystemObject", []() -> vt::automation::ObjectRef {
            vt::automation::raise(429);
        });
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        vt::vbscript::ScriptControl sc;
        sc.setTimeout(200);
        vt::vbscript::ScriptLimits limits;
        limits.maxMemoryGrowth = std::size_t(512) << 20;
        sc.setLimits(limits);
        try {
            sc.addCode(std::string_view(reinterpret_cast<const char*>(data), size));
        } catch (const vt::vbscript::ScriptException&) {
        }
    }
    emptyFolder();
    return 0;
}
