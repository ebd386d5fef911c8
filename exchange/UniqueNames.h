#pragma once
// Names this program gives the files it receives and sends. A name made from the clock repeats
// within one second; each name given out is kept, and a name that was given before or that a
// file in one of the folders already has (with any extension) gets "-2", "-3", ... after it.

#include <filesystem>
#include <initializer_list>
#include <set>
#include <string>
#include <string_view>

namespace vt::exchange {

class UniqueNames {
public:
    // `stem`, or the first of "stem-2", "stem-3", ... that is new, as a name with `extension`.
    // Returns the name with its extension; it counts as given from now on.
    std::string take(std::string_view stem, std::string_view extension,
                     std::initializer_list<std::filesystem::path> folders);
    // The first of "stem", "stem-2", ... with `extension` that no file in `folder` has; not
    // counted as given (names of the program's own folders, which no partner sees).
    static std::string firstFree(std::string_view stem, std::string_view extension, const std::filesystem::path& folder);
    // Marks a name as given (a file placed under a name chosen elsewhere).
    void keep(std::string_view name);

private:
    bool taken(const std::string& stem, std::string_view extension,
               std::initializer_list<std::filesystem::path> folders) const;
    std::set<std::string> given_;
};

}  // namespace vt::exchange
