#include "exchange/UniqueNames.h"

#include "platform/text/Text.h"

namespace vt::exchange {

namespace fs = std::filesystem;

bool UniqueNames::taken(const std::string& stem, std::string_view extension,
                        std::initializer_list<fs::path> folders) const {
    const std::string name = stem + std::string(extension);
    if (given_.count(text::toUpper(name))) return true;
    // A received file keeps the extension the script adds: "stem.edi" takes the stem as well.
    const std::string key = text::toUpper(stem);
    for (const fs::path& folder : folders) {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string file = text::toUpper(it->path().filename().string());
            if (file == key || file.rfind(key + ".", 0) == 0) return true;
        }
    }
    return false;
}

std::string UniqueNames::take(std::string_view stem, std::string_view extension,
                              std::initializer_list<fs::path> folders) {
    std::string candidate(stem);
    for (int n = 2; taken(candidate, extension, folders); ++n) candidate = std::string(stem) + "-" + std::to_string(n);
    const std::string name = candidate + std::string(extension);
    given_.insert(text::toUpper(name));
    return name;
}

std::string UniqueNames::firstFree(std::string_view stem, std::string_view extension, const fs::path& folder) {
    return UniqueNames().take(stem, extension, {folder});
}

void UniqueNames::keep(std::string_view name) { given_.insert(text::toUpper(name)); }

}  // namespace vt::exchange
