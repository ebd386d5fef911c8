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

// Whole-file helpers shared by the exports.
std::string readFile(const std::filesystem::path& file);
void writeFileAtomic(const std::filesystem::path& file, std::string_view bytes);

// A temporary file beside `target`, removed unless committed. Exports and templates hold user
// data: the file is its owner's alone, or keeps the mode of the file it replaces.
class ReplacingFile {
public:
    explicit ReplacingFile(const std::filesystem::path& target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Open for writing (mode 0600); the caller may write through it or by path().
    int fd() const { return fd_; }
    // Closes the descriptor, takes the replaced file's mode and renames into place.
    void commit();
private:
    std::filesystem::path target_, path_;
    int fd_ = -1;
};

}  // namespace vt::report
