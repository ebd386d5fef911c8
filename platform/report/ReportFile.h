#pragma once
// The ".RPT" template file: a line-oriented text of 1252 bytes (grammar in README.md). Saving
// and loading again gives an identical Report.

#include "Report.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace vt::report {

// A malformed template: the message names the source and the line.
class TemplateError : public ReportError {
public:
    TemplateError(const std::string& text, int line) : ReportError(text), line_(line) {}
    int line() const noexcept { return line_; }
private:
    int line_;
};

// `source` names the text in messages (usually the file name).
Report parseReport(std::string_view text, std::string_view source = "report");
std::string formatReport(const Report& report);

// The template's file: the name itself, or when no such file exists, the same name with its
// ".rpt" extension in the other case (some callers name templates ".rpt", others ".RPT").
std::filesystem::path findReportFile(const std::filesystem::path& file);

// Reads the whole file first, so the template is never held open (the file may be replaced
// or removed while the report is in use). ReportError for a missing or unreadable file.
Report loadReport(const std::filesystem::path& file);
// Written to a temporary file in the same folder and renamed into place; over the file
// findReportFile names, so ".rpt" and ".RPT" never become two templates.
void saveReport(const Report& report, const std::filesystem::path& file);

// Whole-file helpers shared by the exports. Writes go through the one safe writer (temporary
// file, then renamed into place); a failure is a ReportError naming the file with the system's
// text, and the file that was there stays whole.
std::string readFile(const std::filesystem::path& file);
void writeFileAtomic(const std::filesystem::path& file, std::string_view bytes);
[[noreturn]] void cannotWrite(const std::filesystem::path& file, int error);
[[noreturn]] void cannotWrite(const std::filesystem::path& file, const std::error_code& error);

// Runs `write` (which uses the safe writer for `file`) and reports its failure as cannotWrite.
template <class Write>
void writingFile(const std::filesystem::path& file, Write&& write) {
    try {
        write();
    } catch (const std::filesystem::filesystem_error& e) {
        cannotWrite(file, e.code());
    }
}

}  // namespace vt::report
