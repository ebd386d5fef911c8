#include "FieldDefs.h"

#include "ReportFile.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace vt::report {

namespace fs = std::filesystem;
namespace adtype = automation::adtype;

namespace {

struct TypeWord {
    int type;
    std::string_view word;
    int size;   // the size written for types without a defined size
};

// The first entry of each word is the type a word reads back as.
constexpr std::array<TypeWord, 21> kTypes = {{
    {adtype::VarChar, "String", 0},       {adtype::Char, "String", 0},
    {adtype::WChar, "String", 0},         {adtype::VarWChar, "String", 0},
    {adtype::LongVarChar, "String", 0},   {adtype::LongVarWChar, "String", 0},
    {adtype::BSTR, "String", 0},          {adtype::Integer, "Integer", 4},
    {adtype::SmallInt, "Integer", 2},     {adtype::TinyInt, "Integer", 1},
    {adtype::UnsignedTinyInt, "Integer", 1}, {adtype::BigInt, "Integer", 8},
    {adtype::Double, "Number", 8},        {adtype::Single, "Number", 4},
    {adtype::Numeric, "Number", 8},       {adtype::Decimal, "Number", 8},
    {adtype::Currency, "Currency", 8},    {adtype::Boolean, "Boolean", 2},
    {adtype::Date, "Date", 8},            {adtype::DBTime, "Time", 8},
    {adtype::DBTimeStamp, "DateTime", 8},
}};

const TypeWord* entry(int type) {
    for (auto& t : kTypes)
        if (t.type == type) return &t;
    return nullptr;
}

}  // namespace

std::string_view fieldTypeWord(int type) {
    if (type == adtype::DBDate) return "Date";
    const TypeWord* t = entry(type);
    return t ? t->word : "Blob";
}

int fieldTypeFromWord(std::string_view word) {
    for (auto& t : kTypes)
        if (text::equalsNoCase(t.word, word)) return t.type;
    if (text::equalsNoCase(word, "Blob")) return adtype::LongVarBinary;
    return -1;
}

void writeFieldDefFile(const std::vector<Column>& fields, const fs::path& file, bool overwrite) {
    std::error_code ec;
    if (!overwrite && fs::exists(file, ec))
        throw ReportError("The field definition file \"" + file.string() + "\" already exists");
    std::string out;
    for (auto& f : fields) {
        if (f.name.find_first_of("\t\r\n") != std::string::npos)
            throw ReportError("The field name \"" + f.name + "\" cannot be written to a field definition file");
        const TypeWord* t = entry(f.type);
        const int size = t && t->size ? t->size : f.size;
        out += f.name + "\t" + std::string(fieldTypeWord(f.type)) + "\t" + std::to_string(size) + "\r\n";
    }
    writeFileAtomic(file, out);
}

void createFieldDefFile(automation::Recordset& rs, const fs::path& file, bool overwrite) {
    std::vector<Column> fields;
    for (size_t i = 0; i < rs.fieldCount(); ++i) {
        const auto& d = rs.fieldDef(i);
        fields.push_back({d.name, d.type, d.definedSize});
    }
    writeFieldDefFile(fields, file, overwrite);
}

std::vector<Column> readFieldDefFile(const fs::path& file) {
    const std::string text = readFile(file);
    std::vector<Column> out;
    int lineNo = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        std::string_view line(text.data() + pos, eol - pos);
        pos = eol + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        auto fail = [&](const std::string& m) {
            throw ReportError(file.filename().string() + " line " + std::to_string(lineNo) + ": " + m);
        };
        const size_t t1 = line.find('\t');
        const size_t t2 = t1 == std::string_view::npos ? t1 : line.find('\t', t1 + 1);
        if (t2 == std::string_view::npos) fail("a field needs a name, a type and a size separated by TAB");
        Column c;
        c.name = std::string(line.substr(0, t1));
        const std::string_view word = line.substr(t1 + 1, t2 - t1 - 1);
        c.type = fieldTypeFromWord(word);
        if (c.name.empty()) fail("a field needs a name");
        if (std::string problem = tooLong("A field name", c.name, kMaxNameLength); !problem.empty()) fail(problem);
        if (c.type < 0) fail("unknown field type \"" + std::string(word) + "\"");
        std::string_view size = line.substr(t2 + 1);
        if (auto t3 = size.find('\t'); t3 != std::string_view::npos) size = size.substr(0, t3);
        auto [p, ec] = std::from_chars(size.data(), size.data() + size.size(), c.size);
        if (ec != std::errc() || p != size.data() + size.size() || c.size < 0)
            fail("the size \"" + std::string(size) + "\" is not a whole number");
        out.push_back(std::move(c));
    }
    return out;
}

namespace {

// Room for a field's name in the bold 10-point caption, in twips: a little more than the widest
// glyphs of the usual sans fonts take, so the caption prints whole.
int captionWidth(std::string_view name) {
    int width = 60;
    for (const char c : name) width += c == 'M' || c == 'W' || c == 'm' || c == 'w' ? 190 : 150;
    return width;
}

}  // namespace

Report starterReport(const std::vector<Column>& fields, std::string title) {
    Report r;
    r.title = std::move(title);
    const int contentWidth = r.page.width - r.page.marginLeft - r.page.marginRight;
    constexpr int kRow = 300, kGap = 120;
    r.section(SectionKind::ReportHeader).height = 1300;
    int left = 0, top = 0;
    for (auto& f : fields) {
        const bool text = automation::isTextType(f.type);
        const int chars = text ? std::clamp(std::max<int>(f.size, int(f.name.size())), 4, 40)
                               : std::max<int>(10, int(f.name.size()));
        const int width = std::min(std::max(chars * 120, captionWidth(f.name)), contentWidth);
        if (left > 0 && left + width > contentWidth) {
            left = 0;
            top += kRow;
        }
        auto& caption = r.addTextObject(2, f.name, left, top);
        caption.width = width;
        caption.font.bold = true;
        auto& field = r.addFieldObject(3, f.name, left, top);
        field.width = width;
        if (!text && f.type != adtype::Date && f.type != adtype::DBTime && f.type != adtype::DBTimeStamp &&
            f.type != adtype::DBDate && f.type != adtype::Boolean)
            field.align = Align::Right;
        left += width + kGap;
    }
    r.section(SectionKind::PageHeader).height = top + kRow + 60;
    r.section(SectionKind::Details).height = top + kRow;
    r.addSpecialField(r.sectionCount() - 1, int(SpecialKind::PageNofM), 0, 0);
    return r;
}

void createReportOnRuntimeDS(automation::Recordset& rs, const fs::path& reportFile, const fs::path& fieldDefs,
                             bool overwrite, bool launchDesigner) {
    if (launchDesigner) throw ReportError("The report designer cannot be launched from here; no report was made");
    std::error_code ec;
    if (!overwrite && fs::exists(findReportFile(reportFile), ec))
        throw ReportError("The report \"" + reportFile.string() + "\" already exists");
    if (!fs::exists(fieldDefs, ec)) createFieldDefFile(rs, fieldDefs, false);
    Report r = starterReport(readFieldDefFile(fieldDefs), reportFile.stem().string());
    r.dataDefinition = fieldDefs.filename().string();
    saveReport(r, reportFile);
}

}  // namespace vt::report
