#pragma once
// The results grid: row 0 the field names, rows 1.. the records; one current cell. The records
// are a view over the data file the extraction wrote, with the user's edits and deleted rows
// kept beside it, so a result of any size is held once, in the file. It remembers the key and
// the layout of the result it holds, so a save writes that row's pair.

#include "integrator/DataFileView.h"

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vt::integrator {

class ResultGrid {
public:
    std::string key;
    std::size_t row = 1, col = 0;
    unsigned generation = 0;   // advanced by every clear: a new result
    bool noRecords = false;    // the result had none; row 1 is only a place to type one
    bool complete = true;      // false: the extraction stopped before the result's end
    std::string layout;        // the record layout file text of the result

    void clear();
    // Shows a result: its field names and the records written to `data` (all of them when
    // `complete`, else those read before the extraction stopped).
    void show(std::vector<std::string> names, std::string layoutText, DataFileView data, bool whole);

    std::size_t rowCount() const;   // the header row and the record rows
    std::size_t colCount() const { return names_.size(); }
    std::size_t recordsRead() const { return data_.lines(); }
    std::string cell(std::size_t r, std::size_t c) const;
    std::vector<std::string> rowCells(std::size_t r) const;

    // Editing of the current cell: Backspace (8) removes the last character, Tab (9) moves to the
    // next cell (wrapping to the next row, and from the last row to row 0); other characters from
    // 32 on are appended; every other control character is ignored.
    void keyPress(int ascii);
    // Delete: removes the current record row; never the header or the last record row.
    bool deleteRow();
    // A line-item status code from the pop-up menu replaces the current cell's text.
    void setCode(std::string_view code);

    // The record rows in grid order with their edits, each once; the untouched empty row of a
    // result without records is none.
    void forEachRecord(const std::function<void(const std::vector<std::string>&)>& visit) const;

private:
    std::size_t records() const;
    std::size_t fileLine(std::size_t record) const;   // grid record (from 0) -> line of the file
    std::vector<std::string> lineCells(std::size_t line) const;
    std::string* editable(std::size_t r, std::size_t c);

    std::vector<std::string> names_;
    DataFileView data_;
    std::map<std::size_t, std::vector<std::string>> edits_;   // by line of the file
    std::vector<std::size_t> deleted_;                        // lines of the file, ascending
};

// The line-item status codes of the pop-up menu, in menu order, with their captions.
struct StatusCode {
    std::string_view code, caption;
};
const std::vector<StatusCode>& statusCodes();

}  // namespace vt::integrator
