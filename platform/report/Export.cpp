#include "Export.h"

#include "Layout.h"
#include "OdbcExport.h"
#include "ReportFile.h"
#include "Sheets.h"
#include "WordDocument.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace vt::report {

using automation::Variant;
using automation::VarType;

namespace {

constexpr std::array<FormatInfo, 28> kFormats = {{
    {format::None, "No Format", false, ""},
    {format::ReportFile, "binary report file (RPT)", false, "rpt"},
    {format::DIF, "Data Interchange Format (DIF)", true, "dif"},
    {format::RecordStyle, "Record style (REC)", true, "rec"},
    {format::CSV, "Comma-separated values (CSV)", true, "csv"},
    {format::TSV, "Tab-separated values (TSV)", true, "tsv"},
    {format::CharSeparated, "Character-separated values (CHR)", true, "chr"},
    {format::Text, "Text (TXT)", true, "txt"},
    {format::TabText, "Tab-separated text (TTX)", true, "ttx"},
    {format::PaginatedText, "Paginated Text (TXT)", true, "txt"},
    {format::WKS, "Lotus 1-2-3 (WKS)", true, "wks"},
    {format::WK1, "Lotus 1-2-3 (WK1)", true, "wk1"},
    {format::WK3, "Lotus 1-2-3 (WK3)", true, "wk3"},
    {format::WordDoc, "Word for Windows document (DOC)", true, "doc"},
    {format::Excel5, "Excel 5.0 (XLS)", true, "xls"},
    {format::Excel5Extended, "Excel 5.0 (Extended) (XLS)", true, "xls"},
    {format::ODBC, "ODBC", true, ""},
    {format::HTML32, "HTML 3.2 Standard (HTM)", true, "htm"},
    {format::Excel7, "Excel 7.0 (XLS)", true, "xls"},
    {format::Excel7Extended, "Excel 7.0 (Extended) (XLS)", true, "xls"},
    {format::Excel8, "Excel 8.0 (XLS)", true, "xls"},
    {format::Excel8Extended, "Excel 8.0 (Extended) (XLS)", true, "xls"},
    {format::PDF, "Portable Document Format (PDF)", true, "pdf"},
    {format::HTML40, "HTML 4.0 (HTM)", true, "htm"},
    {format::ReportFile7, "binary report file, version 7 (RPT)", false, "rpt"},
    {format::ReportDefinition, "Report definition (TXT)", true, "txt"},
    {format::RTF, "Rich Text (Exact) Format (RTF)", true, "rtf"},
    {format::XML, "XML (XML)", true, "xml"},
}};

// ---- Character-separated ----

bool needsQuotes(std::string_view s, char sep, char quote) {
    return s.find_first_of(std::string{sep, quote, '\r', '\n'}) != std::string_view::npos ||
           (!s.empty() && (s.front() == ' ' || s.back() == ' '));
}

std::string quoted(std::string_view s, char quote) {
    std::string out(1, quote);
    for (char c : s) {
        if (c == quote) out += quote;
        out += c;
    }
    return out + quote;
}

bool isTextValue(const Variant& v) { return v.type() == VarType::String; }

// always: quote every text value (CHR, TTX); otherwise only where needed (CSV, TSV).
std::string separated(const detail::ExportTable& t, char sep, char quote, bool always) {
    std::string out;
    auto cell = [&](std::string_view s, bool text) {
        if (text && always) out += quoted(s, quote);
        else if (needsQuotes(s, sep, quote)) out += quoted(s, quote);
        else out += s;
    };
    for (size_t c = 0; c < t.columns.size(); ++c) {
        if (c) out += sep;
        cell(t.columns[c].caption, true);
    }
    out += "\r\n";
    for (size_t r = 0; r < t.order.size(); ++r) {
        for (size_t c = 0; c < t.columns.size(); ++c) {
            if (c) out += sep;
            cell(t.text(c, r), isTextValue(t.value(c, r)));
        }
        out += "\r\n";
    }
    return out;
}

// ---- Record style: fixed-width columns wide enough for every value ----

std::string recordStyle(const detail::ExportTable& t) {
    std::vector<std::vector<std::string>> cells(t.order.size(), std::vector<std::string>(t.columns.size()));
    std::vector<size_t> width(t.columns.size());
    for (size_t c = 0; c < t.columns.size(); ++c) width[c] = size_t(t.widthChars(c));
    for (size_t r = 0; r < t.order.size(); ++r)
        for (size_t c = 0; c < t.columns.size(); ++c) {
            std::string s = t.text(c, r);
            std::replace(s.begin(), s.end(), '\r', ' ');
            std::replace(s.begin(), s.end(), '\n', ' ');
            width[c] = std::max(width[c], s.size());
            cells[r][c] = std::move(s);
        }
    std::string out;
    for (size_t r = 0; r < t.order.size(); ++r) {
        std::string line;
        for (size_t c = 0; c < t.columns.size(); ++c) {
            const std::string& s = cells[r][c];
            if (c) line += ' ';
            const bool right = t.value(c, r).hasNumericType();
            if (right) line.append(width[c] - s.size(), ' ');
            line += s;
            if (!right) line.append(width[c] - s.size(), ' ');
        }
        out += text::rtrim(line) + "\r\n";
    }
    return out;
}

// ---- Text on a character grid, from the laid-out pages ----

// Whether an item shows a number, a date, a date-time or a time: a value that is never cut to
// its width, since a cut one can read as another valid value.
bool keptWhole(const PlacedItem& it, const DataTable* data) {
    const ReportObject& o = *it.object;
    if (o.kind == ObjectKind::Special) return o.special != SpecialKind::PageNofM;
    if (o.kind != ObjectKind::Field || !data || it.row < 0) return false;
    const int col = data->find(o.field);
    if (col < 0) return false;
    const Variant& v = data->rows[size_t(it.row)][size_t(col)];
    return v.hasNumericType() || v.type() == VarType::Date;
}

// One item's text on one line of the grid: its column, the cells it was given and the text.
struct GridPiece {
    size_t at, cells;
    std::string text;
};

// The pieces of a line from left to right; a value wider than its cells pushes what follows it
// on the line to the right, and keeps a blank before it.
std::string gridLine(std::vector<GridPiece>& pieces) {
    std::stable_sort(pieces.begin(), pieces.end(), [](const GridPiece& a, const GridPiece& b) { return a.at < b.at; });
    std::string line;
    size_t pushed = 0, clearFrom = 0;
    for (const GridPiece& p : pieces) {
        size_t at = p.at + pushed;
        if (at < clearFrom) {
            pushed += clearFrom - at;
            at = clearFrom;
        }
        if (line.size() < at + p.text.size()) line.resize(at + p.text.size(), ' ');
        line.replace(at, p.text.size(), p.text);
        if (p.text.size() > p.cells) {
            pushed += p.text.size() - p.cells;
            clearFrom = at + p.text.size() + 1;
        }
    }
    return text::rtrim(line);
}

std::string gridText(const Report& report, const DataTable* data, const RunInfo& run, bool paginated,
                     int linesPerPage) {
    constexpr int kCellW = 120, kCellH = 240;
    CellMeasurer measurer(kCellW, kCellH);
    LayoutOptions opt;
    opt.endless = !paginated;
    Report r = report;
    if (paginated && linesPerPage > 0)
        r.page.height = r.page.marginTop + r.page.marginBottom + linesPerPage * kCellH;
    const Layout layout = layoutReport(r, data, run, measurer, opt);
    std::string out;
    for (size_t p = 0; p < layout.pages.size(); ++p) {
        std::vector<std::vector<GridPiece>> lines;
        for (const PlacedItem& it : layout.pages[p].items) {
            if (it.object->kind == ObjectKind::Line || it.object->kind == ObjectKind::Box) continue;
            const int row0 = std::max(0, (it.y - r.page.marginTop) / kCellH);
            const int col = std::max(0, (it.x - r.page.marginLeft) / kCellW);
            const size_t cols = size_t(std::max(1, it.width / kCellW));
            const int rows = std::max(1, it.height / kCellH);
            const bool whole = keptWhole(it, data);
            // Wrap into the object's rows as the layout measured it.
            std::vector<std::string> wrapped;
            size_t pos = 0;
            const std::string& s = it.text;
            while (pos <= s.size() && int(wrapped.size()) < rows) {
                size_t eol = s.find('\n', pos);
                if (eol == std::string::npos) eol = s.size();
                std::string_view part(s.data() + pos, eol - pos);
                if (!part.empty() && part.back() == '\r') part.remove_suffix(1);
                if (whole) {
                    wrapped.emplace_back(part);
                } else {
                    do {
                        wrapped.emplace_back(part.substr(0, cols));
                        part.remove_prefix(std::min(part.size(), cols));
                    } while (!part.empty() && it.object->canGrow && int(wrapped.size()) < rows);
                }
                if (eol == s.size()) break;
                pos = eol + 1;
            }
            for (size_t k = 0; k < wrapped.size(); ++k) {
                const size_t row = size_t(row0) + k;
                if (lines.size() <= row) lines.resize(row + 1);
                std::string& w = wrapped[k];
                size_t at = size_t(col);
                if (w.size() < cols) {
                    if (it.object->align == Align::Right) at += cols - w.size();
                    else if (it.object->align == Align::Center) at += (cols - w.size()) / 2;
                }
                const size_t cells = cols - (at - size_t(col));
                lines[row].push_back({at, cells, std::move(w)});
            }
        }
        std::vector<std::string> text;
        for (auto& pieces : lines) text.push_back(gridLine(pieces));
        while (!text.empty() && text.back().empty()) text.pop_back();
        if (p && paginated) out += "\f";
        for (auto& l : text) out += l + "\r\n";
    }
    return out;
}

// ---- HTML ----

std::string html(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\n': out += "<BR>"; break;
        case '\r': break;
        default: out += c;
        }
    }
    return out;
}

std::string htmlExport(const detail::ExportTable& t, bool v40) {
    std::string out;
    auto tag = [&](std::string_view s) { return v40 ? text::toLower(s) : std::string(s); };
    auto esc = [&](std::string_view s) {
        std::string e = html(s);
        if (v40) {
            for (size_t p; (p = e.find("<BR>")) != std::string::npos;) e.replace(p, 4, "<br>");
        }
        return e;
    };
    if (v40)
        out += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\" \"http://www.w3.org/TR/REC-html40/strict.dtd\">\r\n";
    else
        out += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">\r\n";
    out += tag("<HTML>") + "\r\n" + tag("<HEAD>") + "\r\n";
    out += v40 ? "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n"
               : "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">\r\n";
    out += tag("<TITLE>") + esc(t.title) + tag("</TITLE>") + "\r\n";
    if (v40)
        out += "<style type=\"text/css\">table { border-collapse: collapse } th, td { border: 1px solid #808080; "
               "padding: 2px 4px } td.n { text-align: right }</style>\r\n";
    out += tag("</HEAD>") + "\r\n" + tag("<BODY>") + "\r\n";
    if (!t.title.empty()) out += tag("<H1>") + esc(t.title) + tag("</H1>") + "\r\n";
    out += v40 ? "<table>\r\n<thead>\r\n<tr>" : "<TABLE BORDER=\"1\" CELLPADDING=\"2\">\r\n<TR>";
    for (auto& c : t.columns) out += tag("<TH>") + esc(c.caption) + tag("</TH>");
    out += tag("</TR>") + "\r\n";
    if (v40) out += "</thead>\r\n<tbody>\r\n";
    for (size_t r = 0; r < t.order.size(); ++r) {
        out += tag("<TR>");
        for (size_t c = 0; c < t.columns.size(); ++c) {
            const bool num = t.value(c, r).hasNumericType();
            out += num ? (v40 ? "<td class=\"n\">" : "<TD ALIGN=\"RIGHT\">") : tag("<TD>");
            out += esc(t.text(c, r)) + tag("</TD>");
        }
        out += tag("</TR>") + "\r\n";
    }
    if (v40) out += "</tbody>\r\n";
    out += tag("</TABLE>") + "\r\n" + tag("</BODY>") + "\r\n" + tag("</HTML>") + "\r\n";
    return out;
}

// ---- XML (UTF-8) ----

std::string xml(std::string_view ansi) {
    std::string out;
    for (unsigned char c : ansi) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\t': out += "&#9;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        default:
            if (c < 0x20) out += "&#xFFFD;";   // XML 1.0 has no way to carry these
            else out += text::ansiToUtf8(std::string_view(reinterpret_cast<const char*>(&c), 1));
        }
    }
    return out;
}

std::string xmlExport(const detail::ExportTable& t) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    out += "<Report Title=\"" + xml(t.title) + "\">\r\n";
    out += "  <Columns>\r\n";
    for (auto& c : t.columns)
        out += "    <Column Name=\"" + xml(c.caption) + "\" Type=\"" + std::to_string(c.type) + "\"/>\r\n";
    out += "  </Columns>\r\n";
    for (size_t r = 0; r < t.order.size(); ++r) {
        out += "  <Record>\r\n";
        for (size_t c = 0; c < t.columns.size(); ++c) {
            const Variant v = t.value(c, r);
            out += "    <Field Name=\"" + xml(t.columns[c].caption) + "\"";
            if (v.isNull() || v.isEmpty()) out += " Null=\"true\"/>\r\n";
            else out += ">" + xml(t.text(c, r)) + "</Field>\r\n";
        }
        out += "  </Record>\r\n";
    }
    out += "</Report>\r\n";
    return out;
}

// ---- RTF: the records as a table under the title ----

std::string rtf(std::string_view s) {
    std::string out;
    for (unsigned char c : s) {
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += char(c);
        } else if (c == '\n') {
            out += "\\line ";
        } else if (c == '\r') {
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c >= 0x80 || c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\'%02x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string rtfExport(const detail::ExportTable& t) {
    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n";
    out += "\\paperw12240\\paperh15840\\margl720\\margr720\\margt720\\margb720\\f0\\fs20\r\n";
    if (!t.title.empty()) out += "\\pard\\plain\\f0\\fs28\\b " + rtf(t.title) + "\\b0\\par\r\n";
    std::vector<int> edges;
    int x = 0;
    for (size_t c = 0; c < t.columns.size(); ++c) {
        x += t.columns[c].object ? std::max(360, t.columns[c].object->width) : 1440;
        edges.push_back(x);
    }
    auto row = [&](auto cellText, bool bold) {
        out += "\\trowd\\trgaph108";
        for (int e : edges) out += "\\cellx" + std::to_string(e);
        out += "\r\n";
        for (size_t c = 0; c < t.columns.size(); ++c)
            out += std::string("\\pard\\intbl\\plain\\f0\\fs20") + (bold ? "\\b " : " ") + rtf(cellText(c)) + "\\cell\r\n";
        out += "\\row\r\n";
    };
    row([&](size_t c) { return t.columns[c].caption; }, true);
    for (size_t r = 0; r < t.order.size(); ++r) row([&](size_t c) { return t.text(c, r); }, false);
    out += "\\pard\\plain\\par\r\n}\r\n";
    return out;
}

// ---- DIF ----

std::string difExport(const detail::ExportTable& t) {
    std::string out;
    auto add = [&](std::string_view head, std::string_view value) {
        out += head;
        out += "\r\n";
        out += value;
        out += "\r\n";
    };
    auto str = [&](std::string_view s) {
        std::string q = "\"";
        for (char c : s) {
            if (c == '"') q += "\"\"";
            else if (c == '\r' || c == '\n') q += ' ';
            else q += c;
        }
        add("1,0", q + "\"");
    };
    // Header: TABLE, VECTORS (columns), TUPLES (rows), DATA.
    out += "TABLE\r\n0,1\r\n\"\"\r\n";
    out += "VECTORS\r\n0," + std::to_string(t.columns.size()) + "\r\n\"\"\r\n";
    out += "TUPLES\r\n0," + std::to_string(t.order.size() + 1) + "\r\n\"\"\r\n";
    out += "DATA\r\n0,0\r\n\"\"\r\n";
    add("-1,0", "BOT");
    for (auto& c : t.columns) str(c.caption);
    for (size_t r = 0; r < t.order.size(); ++r) {
        add("-1,0", "BOT");
        for (size_t c = 0; c < t.columns.size(); ++c) {
            const Variant v = t.value(c, r);
            if (v.hasNumericType()) {
                add("0," + automation::formatDouble(automation::toDouble(v)), "V");
            } else if (v.type() == VarType::Boolean) {
                add(v.boolValue() ? "0,1" : "0,0", v.boolValue() ? "TRUE" : "FALSE");
            } else if (v.isNull() || v.isEmpty()) {
                str("");
            } else {
                str(t.text(c, r));
            }
        }
    }
    add("-1,0", "EOD");
    return out;
}

detail::ExportTable makeTable(const Report& report, const DataTable& data) {
    detail::ExportTable t{report.title, exportColumns(report, data), &data, reportOrder(report, data)};
    return t;
}

}  // namespace

std::span<const FormatInfo> formatTable() { return kFormats; }

const FormatInfo* findFormat(int number) {
    for (auto& f : kFormats)
        if (f.number == number) return &f;
    return nullptr;
}

void requireWritable(int number) {
    const FormatInfo* f = findFormat(number);
    if (!f) throw ReportError("Unknown export format " + std::to_string(number) + "; no file was written");
    if (!f->writable)
        throw ReportError("The report engine cannot export in the format \"" + std::string(f->name) + "\" (" +
                          std::to_string(number) + "); no file was written");
}

std::string exportBytes(const Report& report, const DataTable* data, const RunInfo& run, const ExportOptions& o) {
    requireWritable(o.formatType);
    DataTable empty;
    const DataTable& d = data ? *data : empty;
    switch (o.formatType) {
    case format::CSV: return separated(makeTable(report, d), ',', '"', false);
    case format::TSV: return separated(makeTable(report, d), '\t', '"', false);
    case format::CharSeparated: return separated(makeTable(report, d), o.separator, o.quote, true);
    case format::TabText: return separated(makeTable(report, d), '\t', '"', true);
    case format::RecordStyle: return recordStyle(makeTable(report, d));
    case format::Text: return gridText(report, data, run, false, 0);
    case format::PaginatedText: return gridText(report, data, run, true, o.linesPerPage);
    case format::ReportDefinition: return formatReport(report);
    case format::HTML32: return htmlExport(makeTable(report, d), false);
    case format::HTML40: return htmlExport(makeTable(report, d), true);
    case format::XML: return xmlExport(makeTable(report, d));
    case format::RTF: return rtfExport(makeTable(report, d));
    case format::DIF: return difExport(makeTable(report, d));
    case format::Excel5: case format::Excel7: return detail::writeXls(makeTable(report, d), false, false);
    case format::Excel5Extended: case format::Excel7Extended: return detail::writeXls(makeTable(report, d), false, true);
    case format::Excel8: return detail::writeXls(makeTable(report, d), true, false);
    case format::Excel8Extended: return detail::writeXls(makeTable(report, d), true, true);
    case format::WKS: return detail::writeLotus(makeTable(report, d), false);
    case format::WK1: return detail::writeLotus(makeTable(report, d), true);
    case format::WK3: return detail::writeWk3(makeTable(report, d));
    case format::WordDoc: return detail::writeWordDocument(makeTable(report, d));
    case format::ODBC: throw ReportError("ODBC exports go into a data source, not a file; no file was written");
    default:
        throw ReportError("The format \"" + std::string(findFormat(o.formatType)->name) +
                          "\" is written by the page renderer; no file was written");
    }
}

void exportData(const Report& report, const DataTable* data, const RunInfo& run, const ExportOptions& o,
                const std::filesystem::path& file) {
    if (o.destinationType != 1)
        throw ReportError("Export destination " + std::to_string(o.destinationType) +
                          " is not supported; only a disk file (1) is");
    if (o.formatType == format::ODBC) return exportOdbc(report, data, o);
    if (file.empty()) throw ReportError("No export file name is set; no file was written");
    writeFileAtomic(file, exportBytes(report, data, run, o));
}

}  // namespace vt::report
