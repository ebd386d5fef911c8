// A user whom neither HOME nor the user database gives a home folder to use (none at all, one that
// does not exist, one the user cannot write in): the program refuses to start and says why,
// rather than keeping its data where other users can reach it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Refusal {
    int status = -1;
    std::string said;   // standard error
};

// The program, started as `uid`/`gid` without HOME or any XDG folder.
Refusal startAs(uid_t uid, gid_t gid) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string_view v(*e);
        if (v.starts_with("HOME=") || v.starts_with("XDG_") || v.starts_with("VELTRANE_HOME=") ||
            v.starts_with("QT_QPA_PLATFORM="))
            continue;
        env.emplace_back(v);
    }
    env.emplace_back("QT_QPA_PLATFORM=offscreen");
    env.emplace_back("VELTRANE_SPLASH_MS=0");
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    Refusal r;
    int out[2];
    if (::pipe(out) != 0) return r;
    const pid_t child = ::fork();
    if (child < 0) return r;
    if (child == 0) {
        ::dup2(out[1], 2);
        ::close(out[0]);
        ::close(out[1]);
        if (::chdir("/") != 0 || ::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(100);
        ::alarm(60);   // a program that starts after all would wait for its login for ever
        char* argv[] = {const_cast<char*>(VT_VELTRANE), nullptr};
        ::execve(VT_VELTRANE, argv, envp.data());
        ::_exit(101);
    }
    ::close(out[1]);
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) r.said.append(buffer, std::size_t(n));
    ::close(out[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) == child && WIFEXITED(status)) r.status = WEXITSTATUS(status);
    return r;
}

bool writableBy(const passwd& user, const std::filesystem::path& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return false;
    return (st.st_uid == user.pw_uid && (st.st_mode & S_IWUSR)) || (st.st_gid == user.pw_gid && (st.st_mode & S_IWGRP)) ||
           (st.st_mode & S_IWOTH);
}

// Started as the user, the program ends at once and says `message`.
void expectRefusal(uid_t uid, gid_t gid, const std::string& message) {
    const Refusal r = startAs(uid, gid);
    EXPECT_EQ(r.status, 1) << r.said;
    EXPECT_NE(r.said.find(message + ". Set HOME and start Veltrane again."), std::string::npos) << r.said;
}

TEST(Start, WithoutAnyHomeFolderTheProgramRefusesWithAMessage) {
    if (::geteuid() != 0) GTEST_SKIP() << "a user without an entry needs root to become";
    uid_t stranger = 54321;
    while (::getpwuid(stranger)) ++stranger;
    expectRefusal(stranger, stranger,
                  "Veltrane cannot find your home folder: HOME is not set and the user database names none for you");
}

// Debian's own accounts: "nobody" has a home folder that does not exist, "daemon" one it cannot
// write in.
TEST(Start, AHomeFolderThatDoesNotExistIsRefusedAlike) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || !nobody || std::filesystem::exists(nobody->pw_dir))
        GTEST_SKIP() << "needs root and a user \"nobody\" whose home folder is missing";
    expectRefusal(nobody->pw_uid, nobody->pw_gid,
                  "Veltrane cannot use your home folder: HOME is not set and the folder the user database names for you, " +
                      std::string(nobody->pw_dir) + ", does not exist");
}

TEST(Start, AHomeFolderTheUserCannotWriteInIsRefusedAlike) {
    const passwd* daemon = ::getpwnam("daemon");
    if (::geteuid() != 0 || !daemon || !std::filesystem::is_directory(daemon->pw_dir) || writableBy(*daemon, daemon->pw_dir))
        GTEST_SKIP() << "needs root and a user \"daemon\" whose home folder it cannot write in";
    expectRefusal(daemon->pw_uid, daemon->pw_gid,
                  "Veltrane cannot use your home folder: HOME is not set and you cannot write in the folder the user "
                  "database names for you, " + std::string(daemon->pw_dir));
}

}  // namespace
