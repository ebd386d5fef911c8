#include "setup/SetupSettings.h"

#include "platform/settings/Settings.h"
#include "platform/text/Text.h"

#include <cmath>

namespace vt::setup {

std::filesystem::path programFolder() { return dataRoot(); }

std::string folderSetting(const Settings& settings, std::string_view key) {
    return settings.get("Folders", key, programFolder().string());
}

std::optional<int> smallInteger(std::string_view text) {
    const std::string t = text::trim(text);
    if (t.empty() || t.find_first_not_of("+-0123456789.") != std::string::npos) return std::nullopt;
    if (t.find_first_of("0123456789") == std::string::npos) return std::nullopt;
    const double v = text::roundHalfEven(text::val(t));
    if (!std::isfinite(v) || v < -32768 || v > 32767) return std::nullopt;
    return int(v);
}

}  // namespace vt::setup
