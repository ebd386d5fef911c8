// A plug-in run as the main window and the Integrator make it, from an interchange file to the
// exported report: the 830 read into the Inbox, the run over its selection (translation through
// the partner's map, the handler created by the class name stored for the set and called by
// name, the partner report laid over the record set it hands back), the export read back by an
// independent reader.

#include "BrackwenFixture.h"

#include "ActiveX/Handlers.h"
#include "folders/InterchangeReader.h"
#include "mainwindow/ReportEngineHost.h"
#include "mainwindow/Reports.h"
#include "platform/report/FieldDefs.h"
#include "setup/PluginChoice.h"
#include "tests/folders/X12Builder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

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

// The export folder as the independent readers see it: "== file" sections, cells joined by "|".
std::map<std::string, std::vector<std::string>> readBack(const std::filesystem::path& folder) {
    std::map<std::string, std::vector<std::string>> out;
    const std::string cmd = "/usr/bin/python3 " VT_REPORT_READERS " '" + folder.string() + "' 2>&1";
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return out;
    std::string all;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) all.append(buf, n);
    EXPECT_EQ(::pclose(p), 0) << all;
    std::string current;
    std::istringstream lines(all);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("== ", 0) == 0)
            current = line.substr(3);
        else
            out[current].push_back(line);
    }
    return out;
}

TEST(PluginRun, From830FileToTheExportedPartnerReport) {
    application();
    PartnerDb d;
    d.clock.set({2026, 12, 9, 14, 7, 9});
    d.db.exec("UPDATE Partner SET ISA06 = 'RECEIVER       ', ISA08 = 'SENDER         ' WHERE Partner = 'Vozezididide'");
    d.writeImport("Orders.csv", "P-100,WO-1,25,12/15/2026,R3\n");
    d.writeImport("Inventory.csv", "P-100,\"WIDGET, BLUE\",40,12\n");
    // The ActiveX folder holds the layouts and the library; the Reports folder the partner report.
    std::filesystem::copy_file(std::filesystem::path(VT_BRACKWEN_FOLDER) / "Brackwen.so", d.activeX / "Brackwen.so");
    const auto reports = d.folder() / "Reports", exports = d.folder() / "Export";
    std::filesystem::create_directories(reports / "ActiveX");
    std::filesystem::create_directories(exports);
    d.settings.set("Folders", "Reports", reports.string());
    d.settings.set("Folders", "Export", exports.string());
    auto planning = brackwen::planningRecordset();
    report::createReportOnRuntimeDS(*planning, reports / "ActiveX" / (k830.text() + ".RPT"),
                                    reports / "ActiveX" / (k830.text() + ".ttx"), true, false);

    const auto file = d.folder() / "in830.edi";
    std::ofstream(file, std::ios::binary) << interchange830();
    ASSERT_EQ(folders::LoadBox(d.services, file, "I"), "") << d.history();
    ASSERT_EQ(d.db.scalarText("SELECT Partner || ' ' || \"Transaction\" || ' ' || Version FROM Inbox"),
              "Vozezididide 830 002000");
    d.db.exec("UPDATE Transactions SET ActiveX = 'Brackwen.Vozezididide_830_002000_I', ExportFormat = 1 "
              "WHERE Partner = 'Vozezididide' AND \"Transaction\" = '830'");

    // The program's registry, as the main window and the Integrator use it, with its host.
    automation::ClassRegistry& registry = setup::pluginRegistry(d.settings);
    registry.setHostServices(&d.host);
    mainwindow::EngineReportHost host;
    const bool ran = mainwindow::ActiveX(d.services, host, registry, d.list("Inbox", {0}), d.list("Recycled", {}),
                                         mainwindow::kPluginExport);
    // The registry outlives this scratch database: it keeps neither its host nor its folder.
    registry.setHostServices(nullptr);
    registry.setPluginFolder(std::filesystem::path());
    ASSERT_TRUE(ran) << d.history();

    const auto files = readBack(exports);
    ASSERT_EQ(files.count(k830.text() + ".CSV"), 1u) << d.history();
    const std::vector<std::string>& lines = files.at(k830.text() + ".CSV");
    ASSERT_EQ(lines.size(), 3u);
    // By the header's names: the starter report arranges its columns itself.
    std::vector<std::string> names;
    std::istringstream header(lines[0]);
    for (std::string n; std::getline(header, n, '|');) names.push_back(n);
    EXPECT_EQ(names.size(), 54u);
    const auto pick = [&](const std::string& line, std::initializer_list<const char*> fields) {
        std::vector<std::string> cells;
        std::istringstream in(line);
        for (std::string c; std::getline(in, c, '|');) cells.push_back(c);
        cells.resize(names.size());
        std::string out;
        for (const char* f : fields)
            out += std::string(f) + "=" + cells[std::size_t(std::find(names.begin(), names.end(), f) - names.begin())] + " ";
        return out;
    };
    const auto fields = {"PartNumber", "Description", "WO_Total", "WO1_ID", "Required", "InTransit", "Day1",
                         "Day6", "Week5", "W5Date"};
    EXPECT_EQ(pick(lines[1], fields), "PartNumber=P-050 Description=SPRING WO_Total= WO1_ID=N/A Required=4 "
                                      "InTransit= Day1= Day6= Week5=4 W5Date=1/4/2027 ");
    // P-100 takes its stock and order from the files and nets 4 in transit off the 10 of December 7.
    EXPECT_EQ(pick(lines[2], fields), "PartNumber=P-100 Description=WIDGET, BLUE WO_Total=25 WO1_ID=WO-1 "
                                      "Required=10 InTransit=4 Day1=6 Day6=6 Week5= W5Date=1/4/2027 ");
}

}  // namespace
}  // namespace vt::test
