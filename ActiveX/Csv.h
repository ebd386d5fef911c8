#pragma once
// Comma-separated lines as RFC 4180 reads them: a field in double quotes keeps its delimiters, and
// a doubled quote inside it stands for one quote; a quote inside an unquoted field is kept.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::brackwen {

struct CsvLine {
    std::vector<std::string> fields;
    // Set when the line cannot be read: the 1-based column and what is wrong with it.
    std::optional<std::string> error;
};

CsvLine splitCsvLine(std::string_view line, char delimiter = ',');

// The lines of a text file's bytes: CR LF, LF or CR ends a line; a last line without its end
// counts, an empty file has none.
std::vector<std::string_view> textLines(std::string_view bytes);

}  // namespace vt::brackwen
