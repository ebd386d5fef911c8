#include "ReportFile.h"

#include "platform/files/SafeFile.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vt::report {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "REPORT 1";

// ---- Writing ----

std::string quote(std::string_view s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02X", c);
                out += buf;
            } else {
                out += char(c);
            }
        }
    }
    return out + '"';
}

std::string colorText(std::uint32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%06X", unsigned(c & 0xFFFFFF));
    return buf;
}

// The shortest text that reads back as the same number.
std::string numberText(double v) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
    return std::string(buf, end);
}

struct KindName {
    ObjectKind kind;
    std::string_view name;
};
constexpr std::array<KindName, 5> kObjectKinds = {{{ObjectKind::Text, "Text"},
                                                   {ObjectKind::Field, "Field"},
                                                   {ObjectKind::Special, "Special"},
                                                   {ObjectKind::Line, "Line"},
                                                   {ObjectKind::Box, "Box"}}};

struct SpecialName {
    SpecialKind kind;
    std::string_view name;
};
constexpr std::array<SpecialName, 8> kSpecialNames = {{{SpecialKind::PrintDate, "PrintDate"},
                                                       {SpecialKind::PrintTime, "PrintTime"},
                                                       {SpecialKind::DataDate, "DataDate"},
                                                       {SpecialKind::DataTime, "DataTime"},
                                                       {SpecialKind::RecordNumber, "RecordNumber"},
                                                       {SpecialKind::PageNumber, "PageNumber"},
                                                       {SpecialKind::TotalPages, "TotalPages"},
                                                       {SpecialKind::PageNofM, "PageNofM"}}};

constexpr std::array<std::string_view, 3> kAlignNames = {"Left", "Center", "Right"};

std::string_view objectKindName(ObjectKind k) {
    for (auto& e : kObjectKinds)
        if (e.kind == k) return e.name;
    return "Text";
}

std::string_view specialName(SpecialKind k) {
    for (auto& e : kSpecialNames)
        if (e.kind == k) return e.name;
    return "PrintDate";
}

void writeObject(std::string& out, const ReportObject& o) {
    out += "  ";
    out += objectKindName(o.kind);
    if (!o.name.empty()) out += " Name=" + quote(o.name);
    out += " Left=" + std::to_string(o.left) + " Top=" + std::to_string(o.top) + " Width=" +
           std::to_string(o.width) + " Height=" + std::to_string(o.height);
    const bool textual = o.kind == ObjectKind::Text || o.kind == ObjectKind::Field || o.kind == ObjectKind::Special;
    if (o.kind == ObjectKind::Text) out += " Text=" + quote(o.text);
    if (o.kind == ObjectKind::Field) out += " Field=" + quote(o.field);
    if (o.kind == ObjectKind::Special) out += " Kind=" + std::string(specialName(o.special));
    if (!o.format.empty() && (o.kind == ObjectKind::Field || o.kind == ObjectKind::Special))
        out += " Format=" + quote(o.format);
    if (textual) {
        out += " Font=" + quote(o.font.name) + " Size=" + numberText(o.font.size);
        if (o.font.bold) out += " Bold";
        if (o.font.italic) out += " Italic";
        if (o.font.underline) out += " Underline";
        out += " Align=" + std::string(kAlignNames[size_t(o.align)]);
        if (o.canGrow) out += " CanGrow";
        if (o.borderStyle) out += " Border=" + std::to_string(o.borderStyle);
        if (o.borderColor) out += " BorderColor=" + colorText(o.borderColor);
    }
    out += " Color=" + colorText(o.color);
    out += " LineWidth=" + std::to_string(o.lineWidth);
    out += "\r\n";
}

// ---- Reading ----

struct Token {
    std::string key;     // the attribute name, or the bare word
    std::string value;
    bool hasValue = false;
};

class LineParser {
public:
    LineParser(std::string_view source, int line) : source_(source), line_(line) {}

    [[noreturn]] void fail(const std::string& message) const {
        throw TemplateError(std::string(source_) + " line " + std::to_string(line_) + ": " + message, line_);
    }

    std::vector<Token> tokens(std::string_view text) const {
        std::vector<Token> out;
        size_t i = 0;
        while (true) {
            while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
            if (i >= text.size()) break;
            Token t;
            size_t start = i;
            while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '=') {
                if (text[i] == '"') fail("a quoted text must follow \"=\"");
                ++i;
            }
            t.key = std::string(text.substr(start, i - start));
            if (i < text.size() && text[i] == '=') {
                t.hasValue = true;
                ++i;
                if (i < text.size() && text[i] == '"') {
                    t.value = unquote(text, i);
                } else {
                    start = i;
                    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
                    t.value = std::string(text.substr(start, i - start));
                    if (t.value.empty()) fail("\"" + t.key + "=\" needs a value");
                }
            }
            out.push_back(std::move(t));
        }
        return out;
    }

    int integer(const Token& t) const {
        int v = 0;
        const char* b = t.value.data();
        const char* e = b + t.value.size();
        auto [p, ec] = std::from_chars(b, e, v);
        if (ec != std::errc() || p != e) fail(t.key + " must be a whole number, not \"" + t.value + "\"");
        return v;
    }

    int ranged(const Token& t, int low, int high, std::string_view unit = "twips") const {
        const int v = integer(t);
        if (v < low || v > high)
            fail(t.key + " must be from " + std::to_string(low) + " to " + std::to_string(high) + " " + std::string(unit) +
                 ", not " + t.value);
        return v;
    }

    double real(const Token& t) const {
        char* end = nullptr;
        errno = 0;
        const double v = std::strtod(t.value.c_str(), &end);
        if (t.value.empty() || *end || errno || !std::isfinite(v) || v <= 0 || v > 1638)
            fail(t.key + " must be a size in points, not \"" + t.value + "\"");
        return v;
    }

    std::uint32_t color(const Token& t) const {
        const std::string& s = t.value;
        std::uint32_t v = 0;
        if (s.size() != 7 || s[0] != '#' ||
            std::from_chars(s.data() + 1, s.data() + 7, v, 16).ptr != s.data() + 7)
            fail(t.key + " must be a colour #RRGGBB, not \"" + s + "\"");
        return v;
    }

    // The value of an attribute that holds a name, a text or a picture, refused past `most`.
    const std::string& bounded(const Token& t, std::size_t most) const {
        if (std::string problem = tooLong(t.key, t.value, most); !problem.empty()) fail(problem);
        return t.value;
    }

    void needValue(const Token& t) const {
        if (!t.hasValue) fail("\"" + t.key + "\" needs a value");
    }
    void noValue(const Token& t) const {
        if (t.hasValue) fail("\"" + t.key + "\" takes no value");
    }

private:
    std::string unquote(std::string_view text, size_t& i) const {
        std::string out;
        ++i;   // opening quote
        while (true) {
            if (i >= text.size()) fail("a quoted text is not closed");
            const char c = text[i++];
            if (c == '"') break;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i >= text.size()) fail("a quoted text is not closed");
            const char e = text[i++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x': {
                unsigned v = 0;
                if (i + 2 > text.size() || std::from_chars(text.data() + i, text.data() + i + 2, v, 16).ptr !=
                                               text.data() + i + 2)
                    fail("\\x needs two hexadecimal digits");
                out += char(v);
                i += 2;
                break;
            }
            default: fail(std::string("unknown escape \\") + e);
            }
        }
        if (i < text.size() && text[i] != ' ' && text[i] != '\t') fail("a blank must follow a quoted text");
        return out;
    }

    std::string_view source_;
    int line_;
};

bool orderDescending(const LineParser& p, const Token& t) {
    if (t.value == "Ascending") return false;
    if (t.value == "Descending") return true;
    p.fail("Order must be Ascending or Descending, not \"" + t.value + "\"");
}

ReportObject parseObject(const LineParser& p, ObjectKind kind, const std::vector<Token>& tokens) {
    ReportObject o;
    o.kind = kind;
    const bool textual = kind == ObjectKind::Text || kind == ObjectKind::Field || kind == ObjectKind::Special;
    bool haveField = false, haveKind = false;
    for (size_t i = 1; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        const std::string& k = t.key;
        auto onlyTextual = [&] {
            if (!textual) p.fail("a " + std::string(objectKindName(kind)) + " object has no " + k);
        };
        if (k == "Bold" || k == "Italic" || k == "Underline" || k == "CanGrow") {
            p.noValue(t);
            onlyTextual();
            (k == "Bold" ? o.font.bold : k == "Italic" ? o.font.italic : k == "Underline" ? o.font.underline : o.canGrow) = true;
            continue;
        }
        p.needValue(t);
        if (k == "Name") o.name = p.bounded(t, kMaxNameLength);
        else if (k == "Left") o.left = p.ranged(t, -kMaxTwips, kMaxTwips);
        else if (k == "Top") o.top = p.ranged(t, -kMaxTwips, kMaxTwips);
        else if (k == "Width") o.width = p.ranged(t, 0, kMaxTwips);
        else if (k == "Height") o.height = p.ranged(t, 0, kMaxTwips);
        else if (k == "Color") o.color = p.color(t);
        else if (k == "LineWidth") o.lineWidth = p.ranged(t, 0, kMaxLineWidth);
        else if (k == "Text" && kind == ObjectKind::Text) o.text = p.bounded(t, kMaxTextLength);
        else if (k == "Field" && kind == ObjectKind::Field) {
            o.field = p.bounded(t, kMaxNameLength);
            haveField = true;
        }
        else if (k == "Kind" && kind == ObjectKind::Special) {
            bool found = false;
            for (auto& e : kSpecialNames)
                if (e.name == t.value) { o.special = e.kind; found = true; }
            if (!found) p.fail("unknown special field kind \"" + t.value + "\"");
            haveKind = true;
        }
        else if (k == "Format" && (kind == ObjectKind::Field || kind == ObjectKind::Special))
            o.format = p.bounded(t, kMaxPictureLength);
        else if (k == "Font") { onlyTextual(); o.font.name = p.bounded(t, kMaxNameLength); }
        else if (k == "Size") { onlyTextual(); o.font.size = p.real(t); }
        else if (k == "Align") {
            onlyTextual();
            size_t a = 0;
            while (a < kAlignNames.size() && kAlignNames[a] != t.value) ++a;
            if (a == kAlignNames.size()) p.fail("Align must be Left, Center or Right, not \"" + t.value + "\"");
            o.align = Align(a);
        }
        else if (k == "Border") {
            onlyTextual();
            o.borderStyle = p.integer(t);
            if (o.borderStyle != 0 && o.borderStyle != 1) p.fail("Border must be 0 or 1");
        }
        else if (k == "BorderColor") { onlyTextual(); o.borderColor = p.color(t); }
        else p.fail("a " + std::string(objectKindName(kind)) + " object has no attribute \"" + k + "\"");
    }
    if (kind == ObjectKind::Field && !haveField) p.fail("a Field object needs Field=\"name\"");
    if (kind == ObjectKind::Special && !haveKind) p.fail("a Special object needs Kind=");
    return o;
}

}  // namespace

std::string formatReport(const Report& r) {
    std::string out;
    out += kMagic;
    out += "\r\n";
    out += "Title Text=" + quote(r.title) + "\r\n";
    if (!r.dataDefinition.empty()) out += "Data File=" + quote(r.dataDefinition) + "\r\n";
    const PageSetup& pg = r.page;
    out += "Page Width=" + std::to_string(pg.width) + " Height=" + std::to_string(pg.height) +
           " Left=" + std::to_string(pg.marginLeft) + " Top=" + std::to_string(pg.marginTop) +
           " Right=" + std::to_string(pg.marginRight) + " Bottom=" + std::to_string(pg.marginBottom) + "\r\n";
    for (auto& g : r.groups())
        out += "Group Field=" + quote(g.field) + " Order=" + (g.descending ? "Descending" : "Ascending") + "\r\n";
    for (auto& s : r.sorts)
        out += "Sort Field=" + quote(s.field) + " Order=" + (s.descending ? "Descending" : "Ascending") + "\r\n";
    for (auto& s : r.sections()) {
        out += "Section ";
        out += sectionKindName(s.kind);
        if (s.group) out += " " + std::to_string(s.group);
        out += " Height=" + std::to_string(s.height);
        if (s.suppress) out += " Suppress";
        if (s.newPageBefore) out += " NewPageBefore";
        out += "\r\n";
        for (auto& o : s.objects) writeObject(out, o);
    }
    out += "End\r\n";
    return out;
}

Report parseReport(std::string_view text, std::string_view source) {
    Report r;
    Section* current = nullptr;
    int lastSectionIndex = -1;
    bool sawMagic = false, sawEnd = false, sawSection = false;
    int lineNo = 0, lastLine = 1;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        LineParser p(source, lineNo);
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == ';') {
            if (eol == text.size()) break;
            continue;
        }
        lastLine = lineNo;
        if (sawEnd) p.fail("text after End");
        if (!sawMagic) {
            if (line != kMagic) p.fail("not a report template (the first line must be \"REPORT 1\")");
            sawMagic = true;
            continue;
        }
        auto tokens = p.tokens(line);
        const std::string& word = tokens[0].key;
        if (tokens[0].hasValue) p.fail("a line must start with a keyword");
        if (word == "End") {
            if (tokens.size() > 1) p.fail("End takes nothing after it");
            sawEnd = true;
        } else if (word == "Title") {
            if (sawSection) p.fail("Title must come before the sections");
            if (tokens.size() != 2 || tokens[1].key != "Text" || !tokens[1].hasValue)
                p.fail("Title needs Text=\"...\"");
            r.title = p.bounded(tokens[1], kMaxTextLength);
        } else if (word == "Data") {
            if (sawSection) p.fail("Data must come before the sections");
            if (tokens.size() != 2 || tokens[1].key != "File" || !tokens[1].hasValue)
                p.fail("Data needs File=\"...\"");
            r.dataDefinition = p.bounded(tokens[1], kMaxNameLength);
        } else if (word == "Page") {
            if (sawSection) p.fail("Page must come before the sections");
            for (size_t i = 1; i < tokens.size(); ++i) {
                const Token& t = tokens[i];
                p.needValue(t);
                const int v = p.ranged(t, 0, kMaxTwips);
                if (t.key == "Width") r.page.width = v;
                else if (t.key == "Height") r.page.height = v;
                else if (t.key == "Left") r.page.marginLeft = v;
                else if (t.key == "Top") r.page.marginTop = v;
                else if (t.key == "Right") r.page.marginRight = v;
                else if (t.key == "Bottom") r.page.marginBottom = v;
                else p.fail("Page has no attribute \"" + t.key + "\"");
            }
            if (r.page.marginLeft + r.page.marginRight + 144 > r.page.width ||
                r.page.marginTop + r.page.marginBottom + 144 > r.page.height)
                p.fail("the margins leave no room on the page");
        } else if (word == "Group" || word == "Sort") {
            if (sawSection) p.fail(word + " must come before the sections");
            std::string field;
            bool descending = false, haveField = false;
            for (size_t i = 1; i < tokens.size(); ++i) {
                p.needValue(tokens[i]);
                if (tokens[i].key == "Field") { field = p.bounded(tokens[i], kMaxNameLength); haveField = true; }
                else if (tokens[i].key == "Order") descending = orderDescending(p, tokens[i]);
                else p.fail(word + " has no attribute \"" + tokens[i].key + "\"");
            }
            if (!haveField || field.empty()) p.fail(word + " needs Field=\"name\"");
            if (word == "Group") r.addGroup(field, descending);
            else r.sorts.push_back({field, descending});
        } else if (word == "Section") {
            sawSection = true;
            if (tokens.size() < 2 || tokens[1].hasValue) p.fail("Section needs a section kind");
            std::optional<SectionKind> kind;
            for (auto k : {SectionKind::ReportHeader, SectionKind::PageHeader, SectionKind::GroupHeader,
                           SectionKind::Details, SectionKind::GroupFooter, SectionKind::PageFooter,
                           SectionKind::ReportFooter})
                if (sectionKindName(k) == tokens[1].key) kind = k;
            if (!kind) p.fail("unknown section kind \"" + tokens[1].key + "\"");
            size_t i = 2;
            int group = 0;
            if (*kind == SectionKind::GroupHeader || *kind == SectionKind::GroupFooter) {
                if (tokens.size() < 3 || tokens[2].hasValue) p.fail("a group section needs its group number");
                Token t{"Group", tokens[2].key, true};
                group = p.integer(t);
                if (group < 1 || group > int(r.groups().size()))
                    p.fail("group " + tokens[2].key + " is not declared by a Group line");
                i = 3;
            }
            int index = 0;
            while (index < r.sectionCount() && !(r.sections()[size_t(index)].kind == *kind &&
                                                 r.sections()[size_t(index)].group == group))
                ++index;
            if (index <= lastSectionIndex) p.fail("sections must appear once each, in their fixed order");
            lastSectionIndex = index;
            current = &r.sections()[size_t(index)];
            for (; i < tokens.size(); ++i) {
                const Token& t = tokens[i];
                if (t.key == "Suppress") { p.noValue(t); current->suppress = true; }
                else if (t.key == "NewPageBefore") { p.noValue(t); current->newPageBefore = true; }
                else if (t.key == "Height") { p.needValue(t); current->height = p.ranged(t, 0, kMaxTwips); }
                else p.fail("Section has no attribute \"" + t.key + "\"");
            }
        } else {
            ObjectKind kind{};
            bool found = false;
            for (auto& e : kObjectKinds)
                if (e.name == word) { kind = e.kind; found = true; }
            if (!found) p.fail("unknown keyword \"" + word + "\"");
            if (!current) p.fail("an object must follow a Section line");
            current->objects.push_back(parseObject(p, kind, tokens));
        }
        if (eol == text.size()) break;
    }
    if (!sawMagic) throw TemplateError(std::string(source) + " line 1: the file is empty, not a report template", 1);
    if (!sawEnd)
        throw TemplateError(std::string(source) + " line " + std::to_string(lastLine) +
                                ": the template has no End line (the file is cut short)",
                            lastLine);
    return r;
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ReportError("Cannot open \"" + file.string() + "\": " + std::strerror(errno));
    std::ostringstream s;
    s << in.rdbuf();
    if (in.bad()) throw ReportError("Cannot read \"" + file.string() + "\"");
    return s.str();
}

void cannotWrite(const fs::path& file, int err) { cannotWrite(file, std::error_code(err, std::generic_category())); }

void cannotWrite(const fs::path& file, const std::error_code& error) {
    throw ReportError("Cannot write \"" + file.string() + "\": " + error.message());
}

void writeFileAtomic(const fs::path& file, std::string_view bytes) {
    writingFile(file, [&] { files::ReplaceFile(file, bytes); });
}

fs::path findReportFile(const fs::path& file) {
    std::error_code ec;
    if (fs::exists(file, ec)) return file;
    const std::string ext = file.extension().string();
    if (ext.size() == 4 && (ext[1] | 0x20) == 'r' && (ext[2] | 0x20) == 'p' && (ext[3] | 0x20) == 't')
        for (const char* other : {".RPT", ".rpt"}) {
            fs::path twin = file;
            twin.replace_extension(other);
            if (fs::exists(twin, ec)) return twin;
        }
    return file;
}

Report loadReport(const fs::path& file) {
    const fs::path found = findReportFile(file);
    return parseReport(readFile(found), found.filename().string());
}

void saveReport(const Report& report, const fs::path& file) {
    writeFileAtomic(findReportFile(file), formatReport(report));
}

}  // namespace vt::report
