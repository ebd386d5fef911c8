#include "integrator/Extraction.h"

#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "platform/odbc/Odbc.h"
#include "platform/settings/Settings.h"
#include "setup/SetupSettings.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace vt::integrator {

namespace fs = std::filesystem;

namespace {

fs::path temporaryBeside(const fs::path& target) {
    static int serial = 0;
    return target.parent_path() /
           (target.filename().string() + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
}

void writeTemporary(const fs::path& temp, std::string_view bytes) {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw core::RunError(75, "Path/File access error: " + temp.string());
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    if (!out) throw core::RunError(61, "Disk full: " + temp.string());
}

void removeQuietly(const fs::path& p) {
    std::error_code ec;
    fs::remove(p, ec);
}

// Values that would break the line format; replaced by blanks.
bool breaksLine(char c) { return c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

// ---- Grid ----

void ResultGrid::clear() {
    ++generation;
    cells.clear();
    noRecords = false;
    row = 1;
    col = 0;
}

void ResultGrid::keyPress(int ascii) {
    if (cells.empty() || row >= cells.size() || col >= cells[row].size()) return;
    std::string& cell = cells[row][col];
    if (ascii == 8) {
        if (!cell.empty()) cell.pop_back();
    } else if (ascii == 9) {
        if (col + 1 < colCount()) {
            ++col;
        } else {
            col = 0;
            row = row + 1 < rowCount() ? row + 1 : 0;
        }
    } else if (ascii >= 32 && ascii <= 255 && ascii != 127) {
        cell += char(ascii);
    }
}

bool ResultGrid::deleteRow() {
    if (row == 0 || row >= cells.size() || cells.size() <= 2) return false;
    cells.erase(cells.begin() + std::ptrdiff_t(row));
    if (row >= cells.size()) row = cells.size() - 1;
    return true;
}

void ResultGrid::setCode(std::string_view code) {
    if (row < cells.size() && col < cells[row].size()) cells[row][col] = std::string(code);
}

const std::vector<StatusCode>& statusCodes() {
    static const std::vector<StatusCode> codes = {
        {"DR", "Item Accepted - Date Rescheduled"}, {"IA", "Item Accepted"},
        {"IC", "Item Accepted - Changes Made"},     {"ID", "Item Deleted"},
        {"IE", "Item Accepted, Price Pending"},     {"IP", "Item Accepted - Price Changed"},
        {"IQ", "Item Accepted - Quantity Changed"}, {"IR", "Item Rejected"}};
    return codes;
}

// ---- Files ----

std::string FillDateParameters(std::string_view sql, const std::optional<text::DateTime>& start,
                               const std::optional<text::DateTime>& end) {
    std::string s(sql);
    for (const auto* d : {&start, &end}) {
        if (!*d) continue;
        const std::size_t at = s.find('?');
        if (at == std::string::npos) continue;
        s.replace(at, 1, "'" + text::formatDate(**d, "mm/dd/yyyy") + "'");
    }
    return s;
}

fs::path importFile(const core::Services& s, std::string_view key, std::string_view extension) {
    if (key.empty() || key.find('/') != std::string_view::npos || key.find('\0') != std::string_view::npos ||
        key.find("..") != std::string_view::npos)
        throw core::invalidCallError();
    return fs::path(setup::folderSetting(s.settings, "Import")) / (std::string(key) + std::string(extension));
}

void writeWholeFile(const fs::path& target, std::string_view bytes) {
    const fs::path temp = temporaryBeside(target);
    try {
        writeTemporary(temp, bytes);
        fs::rename(temp, target);
    } catch (...) {
        removeQuietly(temp);
        throw;
    }
}

bool ExtractToImport(const core::Services& s, odbc::Connection& connection, std::string_view sql,
                     std::string_view key, ResultGrid& grid) {
    fs::path layoutTemp, dataTemp;
    try {
        const fs::path layoutFile = importFile(s, key, ".ADO");
        const fs::path dataFile = importFile(s, key, ".IMP");
        odbc::Result result = connection.execute(sql);
        grid.clear();
        grid.key = std::string(key);
        if (!result.hasRowset()) {
            core::LogHistory(s, "Info", "No rowset returned");
            return false;
        }
        const std::vector<odbc::Column>& columns = result.columns();
        std::vector<std::string> names;
        std::string layout;
        int idCount = 0;
        for (const odbc::Column& c : columns) {
            std::string name = c.name == "_ID" ? "_ID" + std::to_string(++idCount) : c.name;
            layout += name + "\t" + std::to_string(c.adoType) + "\t";
            if (c.adoType == 131 || c.adoType == 14)
                layout += std::to_string(c.precision) + "\t" + std::to_string(c.scale);
            else
                layout += std::to_string(c.size);
            layout += "\r\n";
            names.push_back(std::move(name));
        }
        layout += "\r\n";
        grid.cells.push_back(names);

        std::string data;
        std::vector<bool> warned(columns.size(), false);
        std::size_t records = 0;
        while (result.fetch()) {
            std::vector<std::string> cells;
            cells.reserve(columns.size());
            for (std::size_t i = 0; i < columns.size(); ++i) {
                std::string v = result.value(i).value_or(std::string());
                bool changed = false;
                for (char& ch : v)
                    if (breaksLine(ch)) {
                        ch = ' ';
                        changed = true;
                    }
                if (changed && !warned[i]) {
                    warned[i] = true;
                    core::LogHistory(s, "Warning",
                                     "Tab or line break replaced by a blank in field " + names[i] + " of " +
                                         std::string(key));
                }
                if (i) data += '\t';
                data += v;
                cells.push_back(std::move(v));
            }
            data += "\r\n";
            grid.cells.push_back(std::move(cells));
            if (++records % 1024 == 0) s.ui.yield();
        }
        // A result without records still shows one empty row to type into.
        if (records == 0) {
            grid.cells.emplace_back(columns.size());
            grid.noRecords = true;
        }

        layoutTemp = temporaryBeside(layoutFile);
        dataTemp = temporaryBeside(dataFile);
        writeTemporary(layoutTemp, layout);
        writeTemporary(dataTemp, data);
        fs::rename(layoutTemp, layoutFile);
        fs::rename(dataTemp, dataFile);
        core::LogHistory(s, "Info", std::to_string(records) + " record" + (records == 1 ? "" : "s") +
                                        " returned from statement.");
        return true;
    } catch (const odbc::Error& e) {
        removeQuietly(layoutTemp);
        removeQuietly(dataTemp);
        core::ReportError(s, core::ErrorInfo{-2147467259, e.what()});
    } catch (...) {
        removeQuietly(layoutTemp);
        removeQuietly(dataTemp);
        core::ReportError(s);
    }
    return false;
}

bool SaveResultsToImportFile(const core::Services& s, const ResultGrid& grid) {
    try {
        if (grid.key.empty()) return false;
        std::string data;
        for (std::size_t r = 1; r < grid.cells.size(); ++r) {
            // Saving an untouched empty result must not invent a blank record to send.
            if (grid.noRecords && std::all_of(grid.cells[r].begin(), grid.cells[r].end(),
                                              [](const std::string& c) { return c.empty(); }))
                continue;
            for (const std::string& cell : grid.cells[r]) {
                for (char ch : cell) data += breaksLine(ch) ? ' ' : ch;
                data += '\t';
            }
            data += "\r\n";
        }
        writeWholeFile(importFile(s, grid.key, ".IMP"), data);
        return true;
    } catch (...) {
        core::ReportError(s);
    }
    return false;
}

}  // namespace vt::integrator
