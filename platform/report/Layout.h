#pragma once
// Pagination: the bound report laid out as pages of placed items in page twips. The painting
// library draws these pages on the screen, the printer and PDF; the text exports print them on
// a character grid. Page N of M is filled in a second pass once the page count is known.

#include "Binding.h"

#include <memory>
#include <string>
#include <vector>

namespace vt::report {

// How tall wrapped text is; the painting library measures with real fonts.
class Measurer {
public:
    virtual ~Measurer() = default;
    // Height in twips of `text` in `font` wrapped to `width` twips.
    virtual int textHeight(const Font& font, int width, std::string_view text) const = 0;
};

// Fixed cells: every character one cell wide, every line one cell high.
class CellMeasurer final : public Measurer {
public:
    CellMeasurer(int cellWidth = 120, int cellHeight = 240) : w_(cellWidth), h_(cellHeight) {}
    int textHeight(const Font& font, int width, std::string_view text) const override;
private:
    int w_, h_;
};

// Where an item came from: its section (from 1) and object (from 0) in the template.
struct ObjectId {
    int section = 0;
    int object = -1;
    bool operator==(const ObjectId&) const = default;
};

struct PlacedItem {
    int x = 0, y = 0, width = 0, height = 0;   // twips on the page
    const ReportObject* object = nullptr;
    ObjectId id;
    std::string text;   // Text, Field and Special objects
    long row = -1;      // data row behind it, or -1
};

struct Page {
    std::vector<PlacedItem> items;
};

// One group as a viewer's group tree lists it: where its header was placed.
struct GroupEntry {
    int level = 1;       // from 1, outermost first
    std::string text;    // the group field's value as text
    int page = 0;        // from 0
    int y = 0;           // twips on that page
};

struct Layout {
    int pageWidth = 0, pageHeight = 0;
    std::vector<Page> pages;
    std::vector<GroupEntry> groups;   // in report order
};

struct LayoutOptions {
    // One page as long as the report (the plain text export): no page breaks.
    bool endless = false;
};

// What a report bound to data without records shows where its records would be.
inline constexpr std::string_view kNoRecordsText = "There are no records in this report.";

// The report needs the data it is bound to (null: no rows, fields show their placeholder).
Layout layoutReport(const Report& report, const DataTable* data, const RunInfo& run, const Measurer& measurer,
                    const LayoutOptions& options = {});

// The topmost item under a point of a page (twips), or null; for viewers.
const PlacedItem* hitTest(const Page& page, int x, int y);

// For designers: the template drawn as its sections stacked one under another (sectionTops),
// on one page as wide as the report's page, without margins. Text objects show their text,
// fields their name in braces ("{Name}"), special fields what they stand for ("Page N of M").
Layout designLayout(const Report& report);

// For designers: the topmost object of a section (number from 1) under a point relative to
// the section's top-left corner, as an index into its objects, or -1.
int objectAt(const Report& report, int section, int x, int y);
// The sections stacked as a designer shows them: the top of each section (index 0 for section
// 1) and, last, the total height.
std::vector<int> sectionTops(const Report& report);

}  // namespace vt::report
