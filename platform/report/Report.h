#pragma once
// The report template: page set-up, groups, record sort and sections holding text, field,
// special-field, line and box objects. Positions and sizes are twips; colours are 0xRRGGBB.
// Sections stand in one fixed order: report header, page header, the group headers (outer
// first), details, the group footers (inner first), page footer, report footer. Section numbers
// count from 1 in that order.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vt::report {

// A failure of the engine: a malformed template, an unknown format, a refused export.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const std::string& text) : std::runtime_error(text) {}
};

// Bounds of a template, in twips: 200 inches, more than any paper, and small enough that no sum
// of positions and sizes overflows. A line or border is at most an inch wide.
inline constexpr int kMaxTwips = 288000;
inline constexpr int kMaxLineWidth = 1440;
// What one object shows at most, in characters: a longer value is cut there on the page (the
// record-based exports write it whole), so one field cannot make a page take long to lay out.
inline constexpr std::size_t kMaxShownText = 32767;
// The longest texts a template holds, so that no name, text or picture makes every record of an
// export or every value's formatting costly: names (of objects, fields, groups, fonts and the
// field-definition file) and Format pictures, and a text object's text or the title.
inline constexpr std::size_t kMaxNameLength = 255;
inline constexpr std::size_t kMaxPictureLength = 255;
inline constexpr std::size_t kMaxTextLength = kMaxShownText;
// "<what> must be at most <most> characters long, not <length>" when `value` is longer, else "".
std::string tooLong(std::string_view what, std::string_view value, std::size_t most);

struct Font {
    std::string name = "Arial";
    double size = 10;   // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const Font&) const = default;
};

enum class Align { Left, Center, Right };

enum class ObjectKind { Text, Field, Special, Line, Box };

// Kinds of special field, by the numbers callers pass.
enum class SpecialKind : int {
    PrintDate = 1,
    PrintTime = 2,
    DataDate = 4,
    DataTime = 5,
    RecordNumber = 6,
    PageNumber = 7,
    TotalPages = 9,
    PageNofM = 17,
};
bool isSpecialKind(int number) noexcept;

struct ReportObject {
    ObjectKind kind = ObjectKind::Text;
    std::string name;
    int left = 0, top = 0, width = 1440, height = 240;
    std::string text;     // Text: the text
    std::string field;    // Field: the data field it shows
    std::string format;   // Field, Special: a Format picture ("" = general)
    SpecialKind special = SpecialKind::PrintDate;
    Font font;
    std::uint32_t color = 0;   // text colour, or the line/box colour
    Align align = Align::Left;
    bool canGrow = false;
    int borderStyle = 0;        // Text/Field/Special: 0 none, 1 a single line around the object
    std::uint32_t borderColor = 0;
    int lineWidth = 20;         // Line, Box, borders
    bool operator==(const ReportObject&) const = default;
};

enum class SectionKind { ReportHeader, PageHeader, GroupHeader, Details, GroupFooter, PageFooter, ReportFooter };

struct Section {
    SectionKind kind = SectionKind::Details;
    int group = 0;   // 1-based group level for group headers and footers, else 0
    int height = 0;
    bool suppress = false;
    bool newPageBefore = false;
    std::vector<ReportObject> objects;
    bool operator==(const Section&) const = default;
};

struct GroupDef {
    std::string field;
    bool descending = false;
    bool operator==(const GroupDef&) const = default;
};

struct SortDef {
    std::string field;
    bool descending = false;
    bool operator==(const SortDef&) const = default;
};

struct PageSetup {
    int width = 12240, height = 15840;   // US Letter
    int marginLeft = 720, marginTop = 720, marginRight = 720, marginBottom = 720;
    bool operator==(const PageSetup&) const = default;
};

class Report {
public:
    // A new report with its five standard sections and no groups.
    Report();

    std::string title;
    std::string dataDefinition;   // the field-definition file the report was made for, if any
    PageSetup page;
    std::vector<SortDef> sorts;   // record order inside the innermost group

    const std::vector<GroupDef>& groups() const noexcept { return groups_; }
    const std::vector<Section>& sections() const noexcept { return sections_; }
    std::vector<Section>& sections() noexcept { return sections_; }
    int sectionCount() const noexcept { return int(sections_.size()); }
    // By number from 1; ReportError outside.
    Section& section(int number);
    const Section& section(int number) const;
    // The section of that kind (and group level for group sections); ReportError when none.
    Section& section(SectionKind kind, int group = 0);
    const Section& section(SectionKind kind, int group = 0) const;
    // Adds an innermost group with its (empty) header and footer; returns its level.
    int addGroup(std::string field, bool descending = false);

    // Objects added as the program and scripts add them; each returns the new object.
    ReportObject& addTextObject(int section, std::string text, int left, int top);
    ReportObject& addFieldObject(int section, std::string field, int left, int top);
    // `kind` is a special-field number (SpecialKind); ReportError for an unknown one.
    ReportObject& addSpecialField(int section, int kind, int left, int top);

    bool operator==(const Report&) const = default;

private:
    std::vector<GroupDef> groups_;
    std::vector<Section> sections_;
};

// A colour given the Windows way (&HBBGGRR) as 0xRRGGBB.
constexpr std::uint32_t colorFromBgr(std::uint32_t bgr) noexcept {
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

// The text of a section kind as the template file writes it.
std::string_view sectionKindName(SectionKind kind);

}  // namespace vt::report
