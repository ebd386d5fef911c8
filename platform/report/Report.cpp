#include "Report.h"

#include <algorithm>

namespace vt::report {

bool isSpecialKind(int n) noexcept {
    switch (SpecialKind(n)) {
    case SpecialKind::PrintDate: case SpecialKind::PrintTime: case SpecialKind::DataDate:
    case SpecialKind::DataTime: case SpecialKind::RecordNumber: case SpecialKind::PageNumber:
    case SpecialKind::TotalPages: case SpecialKind::PageNofM:
        return true;
    }
    return false;
}

std::string tooLong(std::string_view what, std::string_view value, std::size_t most) {
    if (value.size() <= most) return {};
    return std::string(what) + " must be at most " + std::to_string(most) + " characters long, not " +
           std::to_string(value.size());
}

std::string_view sectionKindName(SectionKind kind) {
    switch (kind) {
    case SectionKind::ReportHeader: return "ReportHeader";
    case SectionKind::PageHeader: return "PageHeader";
    case SectionKind::GroupHeader: return "GroupHeader";
    case SectionKind::Details: return "Details";
    case SectionKind::GroupFooter: return "GroupFooter";
    case SectionKind::PageFooter: return "PageFooter";
    case SectionKind::ReportFooter: return "ReportFooter";
    }
    return "";
}

Report::Report() {
    for (auto [kind, height] : {std::pair{SectionKind::ReportHeader, 0}, {SectionKind::PageHeader, 360},
                               {SectionKind::Details, 300}, {SectionKind::PageFooter, 360},
                               {SectionKind::ReportFooter, 0}}) {
        Section s;
        s.kind = kind;
        s.height = height;
        sections_.push_back(std::move(s));
    }
}

Section& Report::section(int number) {
    if (number < 1 || number > sectionCount())
        throw ReportError("Section " + std::to_string(number) + " does not exist; the report has " +
                          std::to_string(sectionCount()) + " sections");
    return sections_[size_t(number - 1)];
}

const Section& Report::section(int number) const { return const_cast<Report*>(this)->section(number); }

Section& Report::section(SectionKind kind, int group) {
    for (auto& s : sections_)
        if (s.kind == kind && s.group == group) return s;
    throw ReportError("The report has no " + std::string(sectionKindName(kind)) +
                      (group ? " " + std::to_string(group) : std::string()) + " section");
}

const Section& Report::section(SectionKind kind, int group) const {
    return const_cast<Report*>(this)->section(kind, group);
}

namespace {
void requirePosition(int left, int top) {
    if (left < -kMaxTwips || left > kMaxTwips || top < -kMaxTwips || top > kMaxTwips)
        throw ReportError("An object's position must be from " + std::to_string(-kMaxTwips) + " to " +
                          std::to_string(kMaxTwips) + " twips");
}
void requireLength(std::string_view what, std::string_view value, std::size_t most) {
    if (std::string problem = tooLong(what, value, most); !problem.empty()) throw ReportError(problem);
}
}  // namespace

int Report::addGroup(std::string field, bool descending) {
    requireLength("A group's field name", field, kMaxNameLength);
    groups_.push_back({std::move(field), descending});
    const int level = int(groups_.size());
    // The innermost header goes just before the details, its footer just after them.
    auto details = std::find_if(sections_.begin(), sections_.end(),
                                [](const Section& s) { return s.kind == SectionKind::Details; });
    Section header;
    header.kind = SectionKind::GroupHeader;
    header.group = level;
    header.height = 300;
    Section footer = header;
    footer.kind = SectionKind::GroupFooter;
    footer.height = 0;
    details = sections_.insert(details, std::move(header)) + 1;
    sections_.insert(details + 1, std::move(footer));
    return level;
}

ReportObject& Report::addTextObject(int number, std::string text, int left, int top) {
    requirePosition(left, top);
    requireLength("A text object's text", text, kMaxTextLength);
    ReportObject o;
    o.kind = ObjectKind::Text;
    o.text = std::move(text);
    o.left = left;
    o.top = top;
    return section(number).objects.emplace_back(std::move(o));
}

ReportObject& Report::addFieldObject(int number, std::string field, int left, int top) {
    requirePosition(left, top);
    requireLength("A field name", field, kMaxNameLength);
    ReportObject o;
    o.kind = ObjectKind::Field;
    o.field = std::move(field);
    o.left = left;
    o.top = top;
    return section(number).objects.emplace_back(std::move(o));
}

ReportObject& Report::addSpecialField(int number, int kind, int left, int top) {
    if (!isSpecialKind(kind)) throw ReportError("Unknown special field kind " + std::to_string(kind));
    requirePosition(left, top);
    ReportObject o;
    o.kind = ObjectKind::Special;
    o.special = SpecialKind(kind);
    o.left = left;
    o.top = top;
    o.width = 2000;
    return section(number).objects.emplace_back(std::move(o));
}

}  // namespace vt::report
