#pragma once
// The common handler of trapped run-time errors and the History log.

#include "core/Services.h"

#include <exception>
#include <string>
#include <string_view>

namespace vt::core {

struct ErrorInfo {
    long number = 0;
    std::string description;
};

// The number and description of a caught exception (RunError, database error, ...).
ErrorInfo describeError(std::exception_ptr error);

// Reports the error being handled: call it only inside a catch block. Shows the description
// in status panel 1 and in a critical message box (not when unattended), then logs
// "<number> <description>" as an "Error" History row.
void ReportError(const Services& s);
void ReportError(const Services& s, const ErrorInfo& error);

// Appends a History row (type, date "mm/d/yyyy", time "hh:mm:ss AMPM", gUserName, description),
// shows it in the History list, updates the History node's count and status panel 1.
// Never throws: a failure is shown in a box (in status panel 1 when unattended).
void LogHistory(const Services& s, std::string_view logType, std::string_view description);

// Shows an informative message box; in an unattended run the text goes to the History log
// instead (type by icon: critical "Error", exclamation "Warning", else "Info").
void ShowNotice(const Services& s, std::string_view text, int style);

// A status text with a pointer to the History folder when `errors` "Error" rows were logged
// meanwhile ("2 errors logged: see the History folder  -  <text>"); the text itself otherwise.
std::string PointToHistory(std::string_view text, int errors);

}  // namespace vt::core
