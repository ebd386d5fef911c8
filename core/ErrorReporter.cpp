#include "core/ErrorReporter.h"

#include "core/Globals.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "platform/automation/Object.h"
#include "platform/db/Database.h"
#include "platform/text/Clock.h"

#include <filesystem>
#include <new>
#include <string>
#include <system_error>

namespace vt::core {

namespace {

// "<what> <file>: <why>" (or "<what> <file> to <other>: <why>") from the library's
// "filesystem error: <what>: <why> [<file>] [<other>]"; any other form stays as it is.
std::string fileErrorText(const std::filesystem::filesystem_error& e) {
    const std::string text = e.what();
    constexpr std::string_view prefix = "filesystem error: ";
    const std::string why = ": " + e.code().message();
    const std::size_t end = text.find(why, prefix.size());
    if (text.rfind(prefix, 0) != 0 || end == std::string::npos || end == prefix.size()) return text;
    std::string out = text.substr(prefix.size(), end - prefix.size());
    if (out[0] >= 'a' && out[0] <= 'z') out[0] = char(out[0] - 'a' + 'A');
    if (!e.path1().empty()) out += " " + e.path1().string();
    if (!e.path2().empty()) out += " to " + e.path2().string();
    return out + why;
}

}  // namespace

ErrorInfo describeError(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
        return {0, ""};
    } catch (const RunError& e) {
        return {e.number(), e.what()};
    } catch (const db::Error& e) {
        return {e.number(), e.what()};
    } catch (const automation::Error& e) {
        return {e.number, e.description};
    } catch (const std::bad_alloc&) {
        return {7, "Out of memory"};
    } catch (const std::filesystem::filesystem_error& e) {
        const bool missing = e.code() == std::errc::no_such_file_or_directory;
        return {missing ? 53L : 75L, fileErrorText(e)};
    } catch (const std::exception& e) {
        return {51, e.what()};
    } catch (...) {
        return {51, "Internal error"};
    }
}

void ReportError(const Services& s) { ReportError(s, describeError(std::current_exception())); }

void ReportError(const Services& s, const ErrorInfo& error) {
    s.ui.status(1, error.description);
    if (!s.ui.unattended())
        s.ui.messageBox(error.description, vbCritical | vbOKOnly, kApplicationName);
    LogHistory(s, "Error", std::to_string(error.number) + " " + error.description);
}

namespace {

std::string iconFor(std::string_view logType) {
    if (logType == "Info" || logType == "Warning") return std::string(logType);
    return "Error";
}

}  // namespace

void LogHistory(const Services& s, std::string_view logType, std::string_view description) {
    try {
        // One reading of the clock, so the row's date and time belong together.
        const text::DateTime now = s.clock.now();
        // Kept prepared: a validation run may log a finding for every set it checks.
        auto& insert = s.db.cached(
            "INSERT INTO History (Type, Date, Time, User, Description) VALUES (?1, ?2, ?3, ?4, ?5)");
        insert.bindAll(logType, text::formatDate(now, "mm/d/yyyy"), text::formatDate(now, "hh:mm:ss AMPM"),
                       gUserName, description);
        insert.run();

        HistoryItem item;
        item.index = s.db.lastInsertId();
        item.type = std::string(logType);
        item.icon = iconFor(logType);
        item.date = text::formatDate(now, "m/d/yyyy");
        item.time = text::formatDate(now, "hh:mm:ss AMPM");
        item.user = gUserName;
        item.description = std::string(description);
        const int count = s.ui.appendHistoryItem(item);
        s.ui.setFolderNodeText("History", "History (" + std::to_string(count) + ")");
        s.ui.status(1, description);
    } catch (...) {
        // Never through ReportError: that logs again and would recurse on a broken log.
        try {
            const ErrorInfo error = describeError(std::current_exception());
            if (s.ui.unattended())
                s.ui.status(1, error.description);
            else
                s.ui.messageBox(error.description, vbCritical | vbOKOnly, kApplicationName);
        } catch (...) {
        }
    }
}

std::string PointToHistory(std::string_view text, int errors) {
    if (errors <= 0) return std::string(text);
    std::string pointer = errors == 1 ? "1 error logged" : std::to_string(errors) + " errors logged";
    pointer += ": see the History folder";
    // First, so that a narrow window or a long text never cuts it off.
    return text.empty() ? pointer : pointer + "  -  " + std::string(text);
}

void ShowNotice(const Services& s, std::string_view text, int style) {
    if (!s.ui.unattended()) {
        s.ui.messageBox(text, style, kApplicationName);
        return;
    }
    const int icon = style & 0x70;
    LogHistory(s, icon == vbCritical ? "Error" : icon == vbExclamation ? "Warning" : "Info", text);
}

}  // namespace vt::core
