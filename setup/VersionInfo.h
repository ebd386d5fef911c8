#pragma once
// What the splash and the About box show of the program: version, build date and the texts of
// its version information.

#include <filesystem>
#include <optional>
#include <string>

namespace vt::setup {

struct VersionInfo {
    int major = 0, minor = 0, revision = 0;
    std::string companyName;
    std::string legalCopyright;
    std::string legalTrademarks;   // the program's legal warning
};

// This build's.
const VersionInfo& programVersion();
// The running executable's full name.
std::filesystem::path executablePath();

// "Version 6.0.0".
std::string versionText(const VersionInfo& v);
// "Build Date: May 9, 2014" from the file's last change, "Build Date: Developing" when that
// cannot be read.
std::string buildDateText(const std::filesystem::path& executable);

}  // namespace vt::setup
