#include "setup/VersionInfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <utime.h>

namespace {

namespace fs = std::filesystem;
using namespace vt::setup;

TEST(VersionInfo, VersionNumbersArePlainDecimals) {
    EXPECT_EQ(versionText({6, 0, 0, {}, {}, {}}), "Version 6.0.0");
    EXPECT_EQ(versionText({1, 12, 305, {}, {}, {}}), "Version 1.12.305");
    EXPECT_EQ(versionText(programVersion()).rfind("Version ", 0), 0u);
}

TEST(VersionInfo, BuildDateIsTheFilesDateWithoutLeadingZero) {
    const fs::path file = fs::temp_directory_path() / ("vt_build_date_" + std::to_string(::getpid()));
    std::ofstream(file) << "x";
    struct Case {
        int month, day;
        const char* text;
    } cases[] = {{5, 9, "Build Date: May 9, 2014"}, {12, 31, "Build Date: December 31, 2014"}};
    for (const Case& c : cases) {
        std::tm tm{};
        tm.tm_year = 2014 - 1900;
        tm.tm_mon = c.month - 1;
        tm.tm_mday = c.day;
        tm.tm_hour = 12;
        tm.tm_isdst = -1;
        const std::time_t t = std::mktime(&tm);
        utimbuf times{t, t};
        ASSERT_EQ(::utime(file.c_str(), &times), 0);
        EXPECT_EQ(buildDateText(file), c.text);
    }
    fs::remove(file);
    EXPECT_EQ(buildDateText(file), "Build Date: Developing");
    EXPECT_EQ(buildDateText({}), "Build Date: Developing");
    EXPECT_NE(buildDateText(executablePath()), "Build Date: Developing");
}

}  // namespace
