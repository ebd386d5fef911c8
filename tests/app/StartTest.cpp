// A user for whom neither HOME nor the user database names a home folder: the program refuses to
// start and says why, rather than keeping its data where other users can reach it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

TEST(Start, WithoutAnyHomeFolderTheProgramRefusesWithAMessage) {
    if (::geteuid() != 0) GTEST_SKIP() << "a user without an entry needs root to become";
    uid_t stranger = 54321;
    while (::getpwuid(stranger)) ++stranger;

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

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(out[1], 2);
        ::close(out[0]);
        ::close(out[1]);
        if (::chdir("/") != 0 || ::setgroups(0, nullptr) != 0 || ::setgid(stranger) != 0 || ::setuid(stranger) != 0)
            ::_exit(100);
        ::alarm(60);   // a program that starts after all would wait for its login for ever
        char* argv[] = {const_cast<char*>(VT_VELTRANE), nullptr};
        ::execve(VT_VELTRANE, argv, envp.data());
        ::_exit(101);
    }
    ::close(out[1]);
    std::string said;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) said.append(buffer, std::size_t(n));
    ::close(out[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << said;
    EXPECT_EQ(WEXITSTATUS(status), 1) << said;
    EXPECT_NE(said.find("Veltrane cannot find your home folder: HOME is not set and the user database names none "
                        "for you. Set HOME and start Veltrane again."),
              std::string::npos)
        << said;
}

}  // namespace
