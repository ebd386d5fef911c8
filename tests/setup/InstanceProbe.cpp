// A second copy for the single-instance tests: "probe <lock file> try" exits 0 when it got the
// lock and 3 when another process holds it; "probe <lock file> hold" takes it, writes "held" and
// waits to be killed.
#include "setup/SingleInstance.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    vt::setup::InstanceLock lock;
    if (!lock.acquire(argv[1])) return lock.why().empty() ? 3 : 4;
    if (std::strcmp(argv[2], "hold") == 0) {
        std::fputs("held\n", stdout);
        std::fflush(stdout);
        for (;;) ::pause();
    }
    return 0;
}
