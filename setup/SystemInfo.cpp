#include "setup/SystemInfo.h"

#include <unistd.h>

namespace vt::setup {

std::filesystem::path findSystemInfoProgram(std::string_view searchPath) {
    for (std::string_view program : kSystemInfoPrograms) {
        std::string_view rest = searchPath;
        while (!rest.empty()) {
            const auto colon = rest.find(':');
            const std::string_view dir = rest.substr(0, colon);
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
            if (dir.empty()) continue;
            const std::filesystem::path candidate = std::filesystem::path(dir) / program;
            std::error_code ec;
            if (std::filesystem::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
    }
    return {};
}

}  // namespace vt::setup
