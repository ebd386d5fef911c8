#include "setup/SingleInstance.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using vt::setup::InstanceLock;

struct Probe {
    pid_t pid = -1;
    int out = -1;   // its standard output
};

Probe startProbe(const fs::path& lock, const char* mode) {
    int pipeFds[2];
    EXPECT_EQ(::pipe(pipeFds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::string file = lock.string();
    char* argv[] = {const_cast<char*>(VT_INSTANCE_PROBE), file.data(), const_cast<char*>(mode), nullptr};
    Probe p;
    EXPECT_EQ(posix_spawn(&p.pid, VT_INSTANCE_PROBE, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    p.out = pipeFds[0];
    return p;
}

int exitCode(Probe& p) {
    int status = 0;
    ::waitpid(p.pid, &status, 0);
    ::close(p.out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Waits for the holder to say it has the lock.
bool holding(Probe& p) {
    char buffer[8] = {};
    return ::read(p.out, buffer, 5) == 5 && std::string(buffer, 4) == "held";
}

class SingleInstance : public ::testing::Test {
protected:
    SingleInstance() {
        folder = fs::temp_directory_path() / ("vt_instance_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        lockFile = folder / "Veltrane.lock";
    }
    ~SingleInstance() override { fs::remove_all(folder); }
    fs::path folder, lockFile;
};

TEST_F(SingleInstance, ASecondProcessIsRefusedWhileTheFirstRuns) {
    InstanceLock first;
    ASSERT_TRUE(first.acquire(lockFile));   // the folder is made as needed
    Probe second = startProbe(lockFile, "try");
    EXPECT_EQ(exitCode(second), 3);
    // Once the first copy ends, a new start gets the lock.
    first.release();
    Probe third = startProbe(lockFile, "try");
    EXPECT_EQ(exitCode(third), 0);
    EXPECT_TRUE(first.acquire(lockFile));
    EXPECT_TRUE(first.why().empty());
}

TEST_F(SingleInstance, TheLockOfAKilledHolderIsTakenOver) {
    Probe holder = startProbe(lockFile, "hold");
    ASSERT_TRUE(holding(holder));
    InstanceLock me;
    EXPECT_FALSE(me.acquire(lockFile));
    EXPECT_TRUE(me.why().empty());   // refused because it is held, not because of an error
    ::kill(holder.pid, SIGKILL);
    exitCode(holder);
    EXPECT_TRUE(me.acquire(lockFile));
    EXPECT_TRUE(fs::exists(lockFile));   // the stale file is still there and did not matter
}

TEST_F(SingleInstance, AnUnusableLockFileIsAnErrorNotARefusal) {
    fs::create_directories(lockFile);   // a folder where the file should be
    InstanceLock lock;
    EXPECT_FALSE(lock.acquire(lockFile));
    EXPECT_FALSE(lock.why().empty());
}

TEST(SingleInstanceText, NamesTheRunningProgram) {
    EXPECT_EQ(vt::setup::alreadyOpenText("/opt/veltrane/bin/veltrane"),
              "The file' /opt/veltrane/bin/veltrane' is already open.");
}

}  // namespace
