// Writes a key's record layout file and data file through the Import folder's pair writer and
// kills itself with SIGKILL at the point VT_KILL_AT names: "writing" (half the data written),
// "1", "2" or "3" (after that step of putting the pair in place); unset, it runs to its end.
// Usage: vt_pair_writer_child <folder> <key> <label> <fields> <lines>

#include "integrator/ImportPair.h"

#include <csignal>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 6) return 2;
    const std::filesystem::path folder = argv[1];
    const std::string key = argv[2], label = argv[3];
    const int fields = std::atoi(argv[4]), lines = std::atoi(argv[5]);
    const char* at = std::getenv("VT_KILL_AT");
    const std::string killAt = at ? at : "";
    auto killHere = [&](const std::string& point) {
        if (point == killAt) ::raise(SIGKILL);
    };

    vt::integrator::ImportPair pair(folder / (key + ".ADO"), folder / (key + ".IMP"));
    std::string layout;
    for (int f = 1; f <= fields; ++f) layout += label + std::to_string(f) + "\t200\t20\r\n";
    pair.writeLayout(layout + "\r\n");
    for (int l = 1; l <= lines; ++l) {
        if (l == lines / 2 + 1) {
            pair.flush();
            killHere("writing");
        }
        std::string line;
        for (int f = 1; f <= fields; ++f) line += (f > 1 ? "\t" : "") + label + std::to_string(l);
        pair.append(line + "\r\n");
    }
    pair.commit([&](int step) { killHere(std::to_string(step)); });
    return 0;
}
