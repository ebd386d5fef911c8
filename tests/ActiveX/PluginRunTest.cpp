// A plug-in run as the main window makes it, from an interchange file to the exported report:
// the 830 read into the Inbox, translated through the partner's map, the handler created by the
// class name stored for the set and called by name, and the partner report laid over the record
// set it hands back, exported and read back.

#include "BrackwenFixture.h"

#include "mainwindow/InterchangeReader.h"
#include "platform/report/Document.h"
#include "platform/report/Engine.h"
#include "platform/report/FieldDefs.h"
#include "tests/mainwindow/X12Builder.h"

#include "ActiveX/Csv.h"

#include <gtest/gtest.h>

#include <map>

namespace vt::test {
namespace {

using automation::Variant;

// An 830 interchange from the partner (sender SENDER) to us (RECEIVER).
std::string interchange830() {
    X12 x;
    x.isa("000000007", "SENDER", "RECEIVER", "00200").gs("7", "PS", "20261209", "1407", "002000").st("830", "0001");
    for (const char* s : {"BFR*05*REL-1*R1*DL*A*20261207*20270331*20261207***PO-4500", "NTE*GEN*FIRM",
                          "N1*ST*PLANT 1*92*D01", "LIN**BP*P-100*EC*R3", "UIT*EA", "J2X*A*B*WIDGET",
                          "FST*10*C*D*20261207", "FST*6*C*D*20261214", "SHP*01*4*ZZ3*20261208",
                          "LIN**BP*P-050*EC*R2", "UIT*EA", "J2X*A*B*SPRING", "FST*4*C*D*20270104", "CTT*2"})
        x.seg(s);
    return x.se().ge().iea().text();
}

TEST(PluginRun, From830FileToTheExportedPartnerReport) {
    application();
    PartnerDb d;
    d.clock.set({2026, 12, 9, 14, 7, 9});
    d.db.exec("UPDATE Partner SET ISA06 = 'RECEIVER       ', ISA08 = 'SENDER         ' WHERE Partner = 'Vozezididide'");
    d.writeImport("Orders.csv", "P-100,WO-1,25,12/15/2026,R3\n");
    d.writeImport("Inventory.csv", "P-100,\"WIDGET, BLUE\",40,12\n");

    const auto file = d.folder() / "in830.edi";
    std::ofstream(file, std::ios::binary) << interchange830();
    ASSERT_EQ(mainwindow::LoadBox(d.services, file, "I"), "") << d.history();
    ASSERT_EQ(d.db.scalarText("SELECT Partner || ' ' || \"Transaction\" || ' ' || Version FROM Inbox"), "Vozezididide 830 002000");

    // The run: translate the selection, create the class stored for the set, call it by name.
    Variant rs1(d.translate("Inbox", k830, {0})), rs2 = Variant::nothing();
    ASSERT_EQ(rs1.objectAs<automation::Recordset>()->recordCount(), 3) << d.history();
    const Variant ok = callActiveX(d.registry.create("Brackwen." + k830.text()), rs1, rs2, k830);
    ASSERT_TRUE(automation::toBool(ok));

    // The partner report over what the handler handed back, exported as CSV and read back.
    auto* planning = rs1.objectAs<automation::Recordset>();
    const auto reports = d.folder() / "Reports" / "ActiveX";
    std::filesystem::create_directories(reports);
    report::createReportOnRuntimeDS(*planning, reports / (k830.text() + ".RPT"), reports / (k830.text() + ".ttx"),
                                    true, false);
    auto doc = report::ReportDocument::open(reports / (k830.text() + ".RPT"), 1);
    doc->setDataSource(automation::Ref<automation::Recordset>(planning));
    auto& o = doc->exportOptions();
    o.destinationType = 1;
    o.formatType = 5;
    o.diskFileName = (d.folder() / "planning.csv").string();
    report::exportReport(*doc);
    // Read back by the header's field names (the starter report arranges its columns itself).
    std::ifstream in(d.folder() / "planning.csv", std::ios::binary);
    std::string line;
    std::vector<std::string> names;
    std::vector<std::map<std::string, std::string>> records;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto fields = brackwen::splitCsvLine(line).fields;
        if (names.empty()) {
            names = fields;
            continue;
        }
        auto& r = records.emplace_back();
        for (std::size_t i = 0; i < names.size() && i < fields.size(); ++i) r[names[i]] = fields[i];
    }
    EXPECT_EQ(names.size(), 54u);
    ASSERT_EQ(records.size(), 2u);
    const auto pick = [&](std::size_t i, std::initializer_list<const char*> fields) {
        std::string out;
        for (const char* f : fields) out += std::string(f) + "=" + records[i][f] + " ";
        return out;
    };
    const auto fields = {"PartNumber", "Description", "WO_Total", "WO1_ID", "Required", "InTransit", "Day1",
                         "Day6", "Week5", "W5Date"};
    EXPECT_EQ(pick(0, fields), "PartNumber=P-050 Description=SPRING WO_Total= WO1_ID=N/A Required=4 InTransit= Day1= "
                               "Day6= Week5=4 W5Date=1/4/2027 ");
    // P-100 takes its stock and order from the files and nets 4 in transit off the 10 of December 7.
    EXPECT_EQ(pick(1, fields), "PartNumber=P-100 Description=WIDGET, BLUE WO_Total=25 WO1_ID=WO-1 Required=10 "
                               "InTransit=4 Day1=6 Day6=6 Week5= W5Date=1/4/2027 ");
}

}  // namespace
}  // namespace vt::test
