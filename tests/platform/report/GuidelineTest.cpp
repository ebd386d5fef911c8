#include "Fixture.h"
#include "platform/report/Export.h"
#include "platform/report/Layout.h"
#include "platform/report/ReportFile.h"

#include <gtest/gtest.h>

#include <set>

namespace vt::report::test {
namespace {

const RunInfo kRun{{2024, 5, 6, 14, 30, 0}, {2024, 5, 6, 9, 5, 7}};

// The twenty columns the map designer's guideline query gives.
const std::vector<std::string> kColumns = {
    "Partner", "Version", "Transactions", "Description", "Segment", "SegmentName", "SegmentIndex",
    "SegmentUsage", "MaxUsageLoop", "SegmentLevel", "Looping", "Node", "ElementName", "ElementIndex",
    "Reference", "ElementUsage", "Type", "Minimum", "Maximum", "Exclude"};

std::filesystem::path guideline() {
    const char* source = std::getenv("VELTRANE_SOURCE_DIR");
    return std::filesystem::path(source ? source : ".") / "data" / "Guideline.rpt";
}

TEST(Guideline, BindsToTheGuidelineColumnsGroupedBySegmentInMapOrder) {
    const Report r = loadReport(guideline());
    std::set<std::string> bound;
    for (auto& s : r.sections())
        for (auto& o : s.objects)
            if (o.kind == ObjectKind::Field) bound.insert(o.field);
    for (auto& g : r.groups()) bound.insert(g.field);
    for (auto& name : bound)
        EXPECT_NE(std::find(kColumns.begin(), kColumns.end(), name), kColumns.end()) << name;

    auto data = std::make_shared<DataTable>();
    for (auto& c : kColumns) data->columns.push_back({c, adtype::VarChar, 0});
    data->columns[6].type = data->columns[13].type = adtype::Integer;
    auto row = [&](int segIndex, const char* seg, const char* segName, int elIndex, const char* elName) {
        std::vector<Variant> v = {Variant("ACME"), Variant("004010"), Variant("850"), Variant("Purchase Order"),
                                  Variant(seg), Variant(segName), Variant(std::int32_t(segIndex)),
                                  Variant("Mandatory"), Variant("1"), Variant("0"), Variant(""), Variant("n"),
                                  Variant(elName), Variant(std::int32_t(elIndex)), Variant("353"),
                                  Variant("M"), Variant("ID"), Variant("2"), Variant("2"), Variant(false)};
        data->rows.push_back(std::move(v));
    };
    // The query has no order: rows arrive mixed.
    row(10, "BEG", "Beginning Segment", 2, "Purchase Order Type Code");
    row(1, "ST", "Transaction Set Header", 2, "Control Number");
    row(10, "BEG", "Beginning Segment", 1, "Purpose Code");
    row(1, "ST", "Transaction Set Header", 1, "Identifier Code");
    row(2, "BSS", "Beginning Segment", 1, "Purpose");

    ExportOptions o;
    o.formatType = format::Text;
    const std::string text = exportBytes(r, data.get(), kRun, o);
    std::vector<std::string> order;
    for (const char* key : {"Transaction Set Guideline", "ACME", "850", "Transaction Set Header", "Identifier Code", "Control Number",
                            "BSS", "Purpose", "BEG", "Purpose Code", "Purchase Order Type Code", "Page 1 of 1"}) {
        const size_t at = text.find(key, order.empty() ? 0 : text.find(order.back()) + order.back().size());
        EXPECT_NE(at, std::string::npos) << key << "\n" << text;
        if (at != std::string::npos) order.push_back(key);
    }
    EXPECT_EQ(text.find('?'), std::string::npos) << text;
    EXPECT_EQ(formatReport(parseReport(formatReport(r))), formatReport(r));
}

}  // namespace
}  // namespace vt::report::test
