#pragma once
// A small record set with text, numbers, dates and Null, and a report over it.

#include "platform/automation/Recordset.h"
#include "platform/report/Report.h"
#include "platform/text/Clock.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace vt::report::test {

using automation::Variant;
namespace adtype = automation::adtype;

inline automation::Ref<automation::Recordset> sampleRecords() {
    auto rs = automation::Recordset::create();
    rs->appendField("Name", adtype::VarChar, 30);
    rs->appendField("Qty", adtype::Integer);
    rs->appendField("Price", adtype::Double);
    rs->appendField("Shipped", adtype::Date, 8);
    rs->appendField("Note", adtype::VarChar, 20);
    rs->open();
    struct Row { const char* name; int qty; double price; double shipped; const char* note; };
    // 45366 is 2024-03-15, 45291 is 2023-12-31; 0 stands for a Null date, "" for a Null note.
    const Row rows[] = {{"Widget \"A\", large", 12, 3.5, 45366, "first"},
                        {"Caf\xE9", -4, 0.25, 45291, ""},
                        {"Bolt", 1000000, 1234.5678, 0, "x"}};
    for (auto& r : rows) {
        rs->addNew();
        rs->setValue("Name", Variant(r.name));
        rs->setValue("Qty", Variant(std::int32_t(r.qty)));
        rs->setValue("Price", Variant(r.price));
        rs->setValue("Shipped", r.shipped ? Variant(automation::Date{r.shipped}) : Variant::null());
        rs->setValue("Note", *r.note ? Variant(r.note) : Variant::null());
        rs->update();
    }
    return rs;
}

// Title in the report header, captions in the page header, one field per column in the details.
inline Report sampleReport() {
    Report r;
    r.title = "Sample Report";
    r.section(SectionKind::ReportHeader).height = 600;
    auto& title = r.addTextObject(1, "Sample Report", 0, 0);
    title.width = 6000;
    title.height = 400;
    title.font.size = 16;
    title.font.bold = true;
    const char* fields[] = {"Name", "Qty", "Price", "Shipped", "Note"};
    const int widths[] = {3000, 1200, 1500, 1800, 1500};
    int left = 0;
    for (int i = 0; i < 5; ++i) {
        auto& cap = r.addTextObject(2, fields[i], left, 0);
        cap.width = widths[i];
        cap.font.bold = true;
        auto& f = r.addFieldObject(3, fields[i], left, 0);
        f.width = widths[i] - 120;
        left += widths[i];
    }
    r.section(SectionKind::Details).objects[2].format = "0.00";
    r.section(SectionKind::Details).objects[3].format = "yyyy-mm-dd";
    r.section(SectionKind::Details).objects[1].align = Align::Right;
    r.section(SectionKind::Details).objects[2].align = Align::Right;
    r.addSpecialField(4, int(SpecialKind::PageNofM), 0, 0);
    return r;
}

inline const Clock& fixedClock() {
    static FixedClock clock({2024, 5, 6, 14, 30, 0});
    return clock;
}

// A fresh folder removed with the object.
class TempDir {
public:
    TempDir() {
        static int n = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("vt_report_" + std::to_string(::getpid()) + "_" + std::to_string(++n));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
private:
    std::filesystem::path path_;
};

}  // namespace vt::report::test
