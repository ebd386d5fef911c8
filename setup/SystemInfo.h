#pragma once
// The desktop's system-information program, for the About box's System Info button.

#include <filesystem>
#include <string_view>

namespace vt::setup {

// The programs tried, in order.
inline constexpr std::string_view kSystemInfoPrograms[] = {"hardinfo", "kinfocenter", "gnome-system-monitor"};
inline constexpr std::string_view kSystemInfoUnavailable = "System Information Is Unavailable At This Time";

// The first of them found as an executable file on `searchPath` (":"-separated, as $PATH);
// empty when none is installed.
std::filesystem::path findSystemInfoProgram(std::string_view searchPath);

}  // namespace vt::setup
