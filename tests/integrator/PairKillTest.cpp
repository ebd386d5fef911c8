// A write of the Import pair killed at each of its steps (in a child process): what it leaves is
// the old pair, the new pair, or a data file without its layout, never a layout of one run beside
// the data of another; the next write removes the killed one's temporary files.

#include "core/RecordLayout.h"
#include "platform/files/SafeFile.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vt::integrator {
namespace {

namespace fs = std::filesystem;

// Runs the child writer; true when it ended as asked (killed, or normally without a kill point).
bool write(const fs::path& folder, const std::string& label, int fields, const std::string& killAt) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (killAt.empty())
            ::unsetenv("VT_KILL_AT");
        else
            ::setenv("VT_KILL_AT", killAt.c_str(), 1);
        ::execl(VT_PAIR_WRITER_CHILD, VT_PAIR_WRITER_CHILD, folder.c_str(), "K", label.c_str(),
                std::to_string(fields).c_str(), "5000", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return killAt.empty() ? WIFEXITED(status) && WEXITSTATUS(status) == 0
                          : WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

std::string read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// "old", "new", "refused" (a data file without its layout) or what else the folder holds.
std::string state(const fs::path& folder) {
    const bool layout = fs::exists(folder / "K.ADO"), data = fs::exists(folder / "K.IMP");
    if (!layout) return data ? "refused" : "nothing";
    // Readers take the layout's fields; every line must carry exactly those, named by one run.
    std::vector<std::string> names;
    core::readRecordLayout(folder / "K.ADO", [&](const std::string& n) { names.push_back(n); });
    const std::string label = names.at(0).substr(0, 3);
    std::istringstream lines(read(folder / "K.IMP"));
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        const std::string expected = label + std::to_string(count);
        std::string want;
        for (std::size_t f = 0; f < names.size(); ++f) want += (f ? "\t" : "") + expected;
        if (line != want + "\r") return "mismatched";
    }
    return count == 5000 ? label : "short " + label;
}

int temporaries(const fs::path& folder) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().rfind(files::kTemporaryPrefix, 0) == 0) ++n;
    return n;
}

TEST(PairKill, AKillAtAnyStepLeavesAPairThatMatchesOrOneThatIsRefused) {
    struct Case {
        const char* killAt;
        const char* left;
        bool temporariesLeft;
    };
    for (const Case& c : {Case{"writing", "old", true}, Case{"1", "old", true}, Case{"2", "refused", true},
                          Case{"3", "refused", true}, Case{"", "new", false}}) {
        SCOPED_TRACE(std::string("kill at ") + c.killAt);
        const fs::path folder = fs::temp_directory_path() / ("vt_pair_kill_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        ASSERT_TRUE(write(folder, "old", 13, ""));
        ASSERT_EQ(state(folder), "old");

        ASSERT_TRUE(write(folder, "new", 2, c.killAt));
        EXPECT_EQ(state(folder), c.left);
        EXPECT_EQ(temporaries(folder) > 0, c.temporariesLeft);
        if (std::string(c.left) == "refused") {
            // Whichever data file stands there, no layout of another run stands beside it.
            EXPECT_FALSE(fs::exists(folder / "K.ADO"));
        }

        // The next write finds the killed one's leftovers and removes them.
        ASSERT_TRUE(write(folder, "nxt", 3, ""));
        EXPECT_EQ(state(folder), "nxt");
        EXPECT_EQ(temporaries(folder), 0);
        fs::remove_all(folder);
    }
}

}  // namespace
}  // namespace vt::integrator
