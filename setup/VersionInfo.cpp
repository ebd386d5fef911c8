#include "setup/VersionInfo.h"

#include "platform/text/Clock.h"
#include "platform/text/Text.h"

#include <sys/stat.h>

namespace vt::setup {

const VersionInfo& programVersion() {
    static const VersionInfo v{VT_VERSION_MAJOR,
                               VT_VERSION_MINOR,
                               VT_VERSION_PATCH,
                               "Veltrane",
                               "Copyright \xA9 2026 Veltrane. All rights reserved.",
                               "Warning: this program is protected by copyright law. Unauthorized copying or "
                               "distribution of it, or of any part of it, may result in civil and criminal "
                               "penalties."};
    return v;
}

std::filesystem::path executablePath() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : p;
}

std::string versionText(const VersionInfo& v) {
    return "Version " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.revision);
}

std::string buildDateText(const std::filesystem::path& executable) {
    struct stat st {};
    if (executable.empty() || ::stat(executable.c_str(), &st) != 0) return "Build Date: Developing";
    return "Build Date: " + text::formatDate(localDateTime(st.st_mtime), "mmmm d, yyyy");
}

}  // namespace vt::setup
