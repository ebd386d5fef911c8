#pragma once
// Work run in a child process under a CPU-time and an address-space limit: a fault that makes
// work grow with the square of its input, or takes memory without end, ends the child instead of
// hanging or swapping the test. Not a timing test: the limits are far above the work. Builds with
// a sanitizer reserve terabytes of address space, so there only the peak memory tells.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <functional>
#include <string>

namespace vt::test {

struct LimitedRun {
    bool finished = false;   // the child ended normally (not killed by the limit or a fault)
    long peakMiB = 0;        // the child's peak resident memory
    std::string out;         // what the work returned, or "exception: " and its text
};

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

inline LimitedRun runLimited(int cpuSeconds, long memoryMiB, const std::function<std::string()>& work) {
    LimitedRun run;
    int fds[2];
    if (::pipe(fds) != 0) return run;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const rlimit cpu{rlim_t(cpuSeconds), rlim_t(cpuSeconds)};
        ::setrlimit(RLIMIT_CPU, &cpu);
        if (!kSanitized) {
            const rlimit memory{rlim_t(memoryMiB) << 20, rlim_t(memoryMiB) << 20};
            ::setrlimit(RLIMIT_AS, &memory);
        }
        std::string out;
        try {
            out = work();
        } catch (const std::exception& e) {
            out = std::string("exception: ") + e.what();
        }
        for (size_t at = 0; at < out.size();) {
            const ssize_t n = ::write(fds[1], out.data() + at, out.size() - at);
            if (n <= 0) break;
            at += size_t(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) run.out.append(buf, size_t(n));
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid) {
        run.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        run.peakMiB = usage.ru_maxrss / 1024;
    }
    return run;
}

}  // namespace vt::test
