#include "integrator/ResultGrid.h"

#include <algorithm>

namespace vt::integrator {

void ResultGrid::clear() {
    ++generation;
    names_.clear();
    data_ = DataFileView();
    edits_.clear();
    deleted_.clear();
    layout.clear();
    noRecords = false;
    complete = true;
    row = 1;
    col = 0;
}

void ResultGrid::show(std::vector<std::string> names, std::string layoutText, DataFileView data, bool whole) {
    clear();
    names_ = std::move(names);
    layout = std::move(layoutText);
    data_ = std::move(data);
    complete = whole;
    noRecords = data_.lines() == 0;
}

std::size_t ResultGrid::records() const {
    if (names_.empty()) return 0;
    // A result without records still shows one empty row to type into.
    return noRecords ? 1 : data_.lines() - deleted_.size();
}

std::size_t ResultGrid::rowCount() const { return names_.empty() ? 0 : 1 + records(); }

std::size_t ResultGrid::fileLine(std::size_t record) const {
    // The line whose number, less the deleted lines up to it, is `record`.
    std::size_t line = record;
    for (;;) {
        const std::size_t before = std::size_t(std::upper_bound(deleted_.begin(), deleted_.end(), line) - deleted_.begin());
        if (record + before == line) return line;
        line = record + before;
    }
}

std::vector<std::string> ResultGrid::lineCells(std::size_t line) const {
    if (auto it = edits_.find(line); it != edits_.end()) return it->second;
    std::vector<std::string> cells(names_.size());
    // Values in field order; what follows the last field (a saved file's closing TAB) is not one.
    std::string_view rest = data_.line(line);
    for (std::size_t c = 0; c < cells.size() && !rest.empty(); ++c) {
        const std::size_t tab = rest.find('\t');
        cells[c] = std::string(rest.substr(0, tab));
        rest = tab == std::string_view::npos ? std::string_view() : rest.substr(tab + 1);
    }
    return cells;
}

std::vector<std::string> ResultGrid::rowCells(std::size_t r) const {
    if (r == 0) return names_;
    if (r >= rowCount()) return {};
    return lineCells(fileLine(r - 1));
}

std::string ResultGrid::cell(std::size_t r, std::size_t c) const {
    if (c >= names_.size()) return {};
    if (r == 0) return names_[c];
    if (r >= rowCount()) return {};
    const std::size_t line = fileLine(r - 1);
    if (auto it = edits_.find(line); it != edits_.end()) return it->second[c];
    // Only the c-th value of the line, as lineCells would give it; painting reads cell by cell.
    std::string_view rest = data_.line(line);
    for (std::size_t i = 0; i < c && !rest.empty(); ++i) {
        const std::size_t tab = rest.find('\t');
        rest = tab == std::string_view::npos ? std::string_view() : rest.substr(tab + 1);
    }
    return std::string(rest.substr(0, rest.find('\t')));
}

std::string* ResultGrid::editable(std::size_t r, std::size_t c) {
    if (r >= rowCount() || c >= names_.size()) return nullptr;
    if (r == 0) return &names_[c];
    const std::size_t line = fileLine(r - 1);
    auto it = edits_.find(line);
    if (it == edits_.end()) it = edits_.emplace(line, lineCells(line)).first;
    return &it->second[c];
}

void ResultGrid::keyPress(int ascii) {
    if (row >= rowCount() || col >= colCount()) return;
    if (ascii == 9) {
        if (col + 1 < colCount()) {
            ++col;
        } else {
            col = 0;
            row = row + 1 < rowCount() ? row + 1 : 0;
        }
        return;
    }
    std::string* cell = editable(row, col);
    if (!cell) return;
    if (ascii == 8) {
        if (!cell->empty()) cell->pop_back();
    } else if (ascii >= 32 && ascii <= 255 && ascii != 127) {
        *cell += char(ascii);
    }
}

bool ResultGrid::deleteRow() {
    if (row == 0 || row >= rowCount() || records() <= 1) return false;
    const std::size_t line = fileLine(row - 1);
    deleted_.insert(std::upper_bound(deleted_.begin(), deleted_.end(), line), line);
    edits_.erase(line);
    if (row >= rowCount()) row = rowCount() - 1;
    return true;
}

void ResultGrid::setCode(std::string_view code) {
    if (std::string* cell = editable(row, col)) *cell = std::string(code);
}

void ResultGrid::forEachRecord(const std::function<void(const std::vector<std::string>&)>& visit) const {
    if (names_.empty()) return;
    if (noRecords) {
        // Saving an untouched empty result must not invent a blank record to send.
        const std::vector<std::string> typed = lineCells(0);
        if (std::any_of(typed.begin(), typed.end(), [](const std::string& v) { return !v.empty(); })) visit(typed);
        return;
    }
    auto gone = deleted_.begin();
    for (std::size_t line = 0; line < data_.lines(); ++line) {
        if (gone != deleted_.end() && *gone == line) {
            ++gone;
            continue;
        }
        visit(lineCells(line));
    }
}

const std::vector<StatusCode>& statusCodes() {
    static const std::vector<StatusCode> codes = {
        {"DR", "Item Accepted - Date Rescheduled"}, {"IA", "Item Accepted"},
        {"IC", "Item Accepted - Changes Made"},     {"ID", "Item Deleted"},
        {"IE", "Item Accepted, Price Pending"},     {"IP", "Item Accepted - Price Changed"},
        {"IQ", "Item Accepted - Quantity Changed"}, {"IR", "Item Rejected"}};
    return codes;
}

}  // namespace vt::integrator
