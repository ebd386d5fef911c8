#include "ActiveX/Csv.h"

namespace vt::brackwen {

CsvLine splitCsvLine(std::string_view line, char delimiter) {
    CsvLine out;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        std::string field;
        const std::size_t column = out.fields.size() + 1;
        if (i < n && line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (line[i] == '"') {
                    if (i + 1 < n && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                field += line[i++];
            }
            if (!closed) {
                out.error = "Column " + std::to_string(column) + " opens a quote that is never closed";
                return out;
            }
            if (i < n && line[i] != delimiter) {
                out.error = "Column " + std::to_string(column) + " has text after its closing quote";
                return out;
            }
        } else {
            // A quote inside an unquoted column is text (an inch mark in a description).
            while (i < n && line[i] != delimiter) field += line[i++];
        }
        out.fields.push_back(std::move(field));
        if (i >= n) break;
        ++i;   // the delimiter; a line ending in one has an empty last field
    }
    return out;
}

std::vector<std::string_view> textLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        lines.push_back(bytes.substr(start, end - start));
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return lines;
}

}  // namespace vt::brackwen
