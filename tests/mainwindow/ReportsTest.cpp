// Reports of a selection and the plug-in runner over the 850 fixture map: missing templates with
// their texts (boxed, or History only when unattended), exports read back by independent
// readers, print and view handing over the translated rows, the designers, the export format
// of a set without a Transactions row, and the plug-in runner with the test plug-in.

#include "tests/maps/MapFixture.h"
#include "tests/support/FullDisk.h"
#include "tests/support/OdbcFixture.h"

#include "core/RunError.h"
#include "mainwindow/ReportEngineHost.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/report/Document.h"
#include "platform/report/ReportFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <functional>
#include <map>

namespace vt::test {
namespace {

namespace fs = std::filesystem;
using mainwindow::TemplateKind;

// Export goes to the engine and lands as a file; print, view and design are recorded.
struct RecordingHost : mainwindow::EngineReportHost {
    std::vector<std::string> calls;
    std::vector<std::string> xmlNames;   // the XML file name option of each export
    std::shared_ptr<report::ReportDocument> last;

    static std::string rows(const report::ReportDocument& doc) {
        return std::to_string(doc.data() ? doc.data()->rows.size() : 0);
    }
    void exportReport(report::ReportDocument& doc) override {
        calls.push_back("export " + report::exportTarget(doc.exportOptions()).filename().string() + " " + rows(doc));
        xmlNames.push_back(fs::path(doc.exportOptions().xmlFileName).filename().string());
        EngineReportHost::exportReport(doc);
    }
    void printReport(report::ReportDocument& doc, int copies) override {
        calls.push_back("print " + std::to_string(copies) + " " + rows(doc));
    }
    void viewReport(std::shared_ptr<report::ReportDocument> doc) override {
        calls.push_back("view " + rows(*doc));
        last = doc;
    }
    void designReport(std::shared_ptr<report::ReportDocument> doc) override {
        calls.push_back("design " + doc->path().parent_path().filename().string() + "/" + doc->path().filename().string() +
                        " " + rows(*doc));
        last = doc;
    }
};

// Counts the plug-in's calls: it asks for one setting each time.
struct CountingHost : automation::HostServices {
    mutable int calls = 0;
    std::string setting(std::string_view section, std::string_view, std::string_view def) const override {
        if (section == "Test") ++calls;
        return std::string(def);
    }
    automation::ObjectRef database() const override { return {}; }
};

const std::string kKey = "ACME_850_004010_I";

struct Env {
    MapDb d;
    RecordingHost host;
    fs::path reports, exports;

    Env() {
        reports = d.folder() / "Reports";
        exports = d.folder() / "Export";
        for (const fs::path& p : {reports / "Export", reports / "ActiveX", exports}) fs::create_directories(p);
        d.settings.set("Folders", "Reports", reports.string());
        d.settings.set("Folders", "Export", exports.string());
        setRow(k850, 1, "");
    }
    void setRow(const maps::MapKey& k, int format, const std::string& activeX) {
        d.db.exec("DELETE FROM Transactions");
        auto q = d.db.prepare("INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction, ExportFormat, "
                              "ActiveX) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
        q.bindAll(k.partner, k.transaction, k.version, k.direction, format, activeX);
        q.run();
    }
    fs::path templatePath(TemplateKind kind, const std::string& key = kKey) {
        return mainwindow::ReportTemplatePath(d.settings, kind, key);
    }
    // The PO number and the first two PO1 elements in the details.
    void writeTemplate(TemplateKind kind, std::vector<std::string> fields = {"1BEG03", "7PO101", "7PO102"},
                       const std::string& key = kKey) {
        report::Report r;
        int left = 0;
        for (const auto& f : fields) {
            r.addFieldObject(3, f, left, 0);
            left += 1800;
        }
        report::ReportDocument(r).save(templatePath(kind, key));
    }
    folders::FolderSelection inbox(std::initializer_list<int> selected = {0}) { return d.list("Inbox", selected); }
};

// Runs the independent readers over the export folder: "== file" sections, cells joined by "|".
std::map<std::string, std::string> readBack(const fs::path& folder) {
    std::map<std::string, std::string> out;
    const std::string cmd = "/usr/bin/python3 " VT_REPORT_READERS " '" + folder.string() + "' 2>&1";
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return out;
    std::string all;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) all.append(buf, n);
    EXPECT_EQ(::pclose(p), 0) << all;
    std::string current;
    size_t pos = 0;
    while (pos < all.size()) {
        size_t eol = all.find('\n', pos);
        if (eol == std::string::npos) eol = all.size();
        const std::string line = all.substr(pos, eol - pos);
        pos = eol + 1;
        if (line.rfind("== ", 0) == 0)
            current = line.substr(3);
        else
            out[current] += line + "\n";
    }
    return out;
}

// The export template a person is offered to have made, answered No here.
const std::string kOffer = "\r\n\r\nCreate it from the map's field definitions?";

TEST(Reports, MissingTemplatesAreBoxedUnlessUnattendedAndAlwaysLogged) {
    struct Case {
        const char* name;
        std::function<bool(Env&)> run;
        TemplateKind kind;
        std::string box;       // "" = no box
        std::string history;   // the last History row
        bool translated;
        std::string offer = "";   // the question after the path; "" for a critical box
    };
    using namespace mainwindow;
    const Case cases[] = {
        {"export", [](Env& e) { return ExportReport(e.d.services, e.host, e.inbox(), false); }, TemplateKind::Export,
         "Export Report Not Found: ", "Error:Export Report Not Found ", true, kOffer},
        {"export unattended", [](Env& e) { return ExportReport(e.d.services, e.host, e.inbox(), true); },
         TemplateKind::Export, "", "Error:Export Report Not Found ", true},
        {"export, sink unattended",
         [](Env& e) {
             e.d.ui.isUnattended = true;
             return ExportReport(e.d.services, e.host, e.inbox(), false);
         },
         TemplateKind::Export, "", "Error:Export Report Not Found ", true},
        {"print", [](Env& e) { return PrintReport(e.d.services, e.host, e.inbox(), false); }, TemplateKind::Viewer,
         "Veiwer Report Not Found: ", "Error:Viewer Report Not Found: ", true},
        {"print unattended", [](Env& e) { return PrintReport(e.d.services, e.host, e.inbox(), true); },
         TemplateKind::Viewer, "", "Error:Viewer Report Not Found: ", true},
        {"view", [](Env& e) { return ViewReport(e.d.services, e.host, e.inbox()); }, TemplateKind::Viewer, "",
         "Error:Viewer Report Not Found: ", true},
        {"design viewer", [](Env& e) { return DesignReport(e.d.services, e.host, e.inbox(), TemplateKind::Viewer); },
         TemplateKind::Viewer, "Viewer Report Not Found: ", "Error:Viewer Report Not Found: ", false},
        {"design export", [](Env& e) { return DesignReport(e.d.services, e.host, e.inbox(), TemplateKind::Export); },
         TemplateKind::Export, "Export Report Not Found: ", "Error:Export Report Not Found: ", false, kOffer},
        {"design plug-in",
         [](Env& e) { return DesignReport(e.d.services, e.host, e.inbox(), TemplateKind::ActiveX); },
         TemplateKind::ActiveX, "ActiveX Report Not Found: ", "Error:ActiveX Report Not Found: ", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Env e;
        e.d.addSet(set850());
        e.d.ui.boxAnswers = {core::vbNo};
        EXPECT_FALSE(c.run(e));
        const std::string path = e.templatePath(c.kind).string();
        const std::string style = c.offer.empty() ? "16" : "36";
        EXPECT_EQ(e.d.boxes(), c.box.empty() ? std::vector<std::string>{}
                                             : std::vector<std::string>{"box " + style + " Veltrane: " + c.box + path +
                                                                        c.offer});
        EXPECT_FALSE(fs::exists(path));
        const std::string summary = "Info:" + kKey + " Translated: 1 Errors: 0|";
        EXPECT_EQ(e.d.history(), (c.translated ? summary : "") + c.history + path);
        // Nothing was exported, so nothing is marked so.
        EXPECT_EQ(e.d.column("Inbox", "Status"), c.translated ? "Opened" : "Closed");
        EXPECT_TRUE(e.host.calls.empty());
    }
}

// A person's export, or design of the export template, with the template missing: Yes makes it
// from the set's viewer report, else from the map's field definitions, and the command goes on;
// with neither there is nothing to offer and the critical box stays.
TEST(Reports, AMissingExportTemplateIsMadeWhenAPersonSaysYes) {
    using namespace mainwindow;
    struct Case {
        const char* name;
        bool viewer;    // the set has a viewer report
        bool design;    // Tools > Designer > Export Report, else File > Export
        bool map = true;
    } cases[] = {
        {"export from the viewer report", true, false},
        {"export from the map", false, false},
        {"design from the viewer report", true, true},
        {"design from the map", false, true},
        {"design with nothing to make it from", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Env e;
        e.d.addSet(set850());
        const fs::path viewer = e.templatePath(TemplateKind::Viewer), made = e.templatePath(TemplateKind::Export);
        fs::remove_all(made.parent_path());   // a fresh Reports folder has no Export folder
        if (c.viewer) {
            report::Report r;
            r.title = "Viewer";
            r.dataDefinition = kKey + ".ttx";
            r.addFieldObject(3, "1BEG03", 0, 0);
            report::ReportDocument(r).save(viewer);
        }
        if (!c.map) e.d.db.exec("DELETE FROM Element");
        const bool done = c.design ? DesignReport(e.d.services, e.host, e.inbox(), TemplateKind::Export)
                                   : ExportReport(e.d.services, e.host, e.inbox(), false);
        const std::string translated = c.design ? "" : "Info:" + kKey + " Translated: 1 Errors: 0|";
        if (!c.map) {
            EXPECT_FALSE(done);
            EXPECT_EQ(e.d.boxes(), std::vector<std::string>{"box 16 Veltrane: Export Report Not Found: " + made.string()});
            EXPECT_EQ(e.d.history(), "Error:Export Report Not Found: " + made.string());
            EXPECT_FALSE(fs::exists(made));
            continue;
        }
        EXPECT_TRUE(done);
        const std::string source = c.viewer ? "the viewer report " + viewer.string() : "the map's field definitions";
        EXPECT_EQ(e.d.boxes(), std::vector<std::string>{"box 36 Veltrane: Export Report Not Found: " + made.string() +
                                                        "\r\n\r\nCreate it from " + source + "?"});
        EXPECT_EQ(e.d.history(), translated + "Info:Export Report Created: " + made.string());
        ASSERT_TRUE(fs::exists(made));
        const report::Report r = report::loadReport(made);
        // The definition file the template names is found from where the template stands.
        EXPECT_EQ(r.dataDefinition, "../" + kKey + ".ttx");
        if (c.viewer) {
            EXPECT_EQ(r.title, "Viewer");
        } else {
            EXPECT_TRUE(fs::exists(e.reports / (kKey + ".ttx")));
            EXPECT_EQ(r.section(1).objects.front().text, "ACME_850_004010");   // the map's title block
        }
        EXPECT_EQ(e.host.calls, std::vector<std::string>{c.design ? "design Export/" + kKey + ".RPT 0"
                                                                  : "export " + kKey + ".CSV 2"});
        EXPECT_EQ(e.d.column("Inbox", "Status"), c.design ? "Closed" : "Exported");
    }
}

TEST(Reports, NoSelectedItemOrAMixedSelectionDoesNothing) {
    Env e;
    e.writeTemplate(TemplateKind::Viewer);
    e.d.addSet(set850());
    e.d.addSet(set810(), "810");
    EXPECT_FALSE(mainwindow::ViewReport(e.d.services, e.host, e.inbox({})));
    EXPECT_EQ(e.d.history(), "");
    EXPECT_FALSE(mainwindow::ViewReport(e.d.services, e.host, e.inbox({0, 1})));
    EXPECT_EQ(e.d.boxes().size(), 1u);   // the unique-selection test's own message
    EXPECT_EQ(e.d.history(), "");
    EXPECT_TRUE(e.host.calls.empty());
}

TEST(Reports, ExportsLandAsFilesTheReadersReadAndOnlyThenMarkTheRowsExported) {
    struct Case {
        int index;
        const char* file;
        const char* content;   // as the reader prints it
    };
    // Index 1 is CSV, 6 Excel 5.0, 27 XML (its XML file name set too).
    const Case cases[] = {
        {1, "ACME_850_004010_I.CSV", "1BEG03|7PO101|7PO102\nPO-1|1|10\nPO-1|2|4\nPO-2|1|10\nPO-2|2|4\n"},
        {6, "ACME_850_004010_I.XLS",
         "1BEG03|7PO101|7PO102\nPO-1|1|10\nPO-1|2|4\nPO-2|1|10\nPO-2|2|4\nbiff 50|General/0|General/0|General/0\n"},
        {27, "ACME_850_004010_I.XML", "1BEG03|7PO101|7PO102\nPO-1|1|10\nPO-1|2|4\nPO-2|1|10\nPO-2|2|4\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        Env e;
        e.setRow(k850, c.index, "");
        e.writeTemplate(TemplateKind::Export);
        e.d.addSet(set850("0001", "PO-1"));
        e.d.addSet(set850("0002", "PO-2"));
        ASSERT_TRUE(mainwindow::ExportReport(e.d.services, e.host, e.inbox({0, 1}), true));
        EXPECT_EQ(e.host.calls, std::vector<std::string>{std::string("export ") + c.file + " 4"});
        // Only XML names its file in the XML option as well.
        EXPECT_EQ(e.host.xmlNames, std::vector<std::string>{c.index == 27 ? c.file : ""});
        EXPECT_EQ(e.d.column("Inbox", "Status"), "Exported|Exported");
        EXPECT_EQ(e.d.history(), "Info:" + kKey + " Translated: 2 Errors: 0");
        const auto files = readBack(e.exports);
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(files.begin()->first, c.file);
        EXPECT_EQ(files.begin()->second, c.content);
    }
}

TEST(Reports, AnExportThatFailsMarksNothingAndWritesNothing) {
    // No Transactions row: no format anybody chose. Format 17 (No Format): the engine refuses.
    for (int format : {-1, 17}) {
        SCOPED_TRACE(format);
        Env e;
        if (format < 0)
            e.d.db.exec("DELETE FROM Transactions");
        else
            e.setRow(k850, format, "");
        e.writeTemplate(TemplateKind::Export);
        e.d.addSet(set850());
        EXPECT_FALSE(mainwindow::ExportReport(e.d.services, e.host, e.inbox(), false));
        EXPECT_EQ(e.d.column("Inbox", "Status"), "Opened");
        EXPECT_TRUE(fs::is_empty(e.exports));
        const auto boxes = e.d.boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].rfind("box 16 Veltrane: ", 0), 0u) << boxes[0];
        const std::string history = e.d.history();
        if (format < 0)
            EXPECT_NE(history.find("|Error:3021 No export format: transaction set ACME_850_004010_I is not set up"),
                      std::string::npos)
                << history;
        else
            EXPECT_NE(history.find("|Error:"), std::string::npos) << history;
    }
}

// A full disk: the export fails with the system's text, the file of the last export stays whole and
// no row is marked "Exported" (PDF is painted, CSV written as text: both go through one writer).
TEST(Reports, AnExportOntoAFullDiskFailsKeepsThePreviousFileAndMarksNothing) {
    SmallFileSystem disk(128 * 1024);
    if (!disk.ready()) GTEST_SKIP() << "no small file system could be mounted here (" << disk.reason() << ")";
    for (int index : {20, 1}) {
        SCOPED_TRACE(index);
        Env e;
        e.d.settings.set("Folders", "Export", disk.path().string());
        e.setRow(k850, index, "");
        e.writeTemplate(TemplateKind::Export);
        e.d.addSet(set850());
        const fs::path file = mainwindow::ExportFilePath(e.d.settings, kKey, index);
        { std::ofstream(file, std::ios::binary) << "the previous good file"; }
        disk.fill(0);
        EXPECT_FALSE(mainwindow::ExportReport(e.d.services, e.host, e.inbox(), false));
        EXPECT_EQ(e.d.column("Inbox", "Status"), "Opened");
        std::ifstream in(file, std::ios::binary);
        std::ostringstream kept;
        kept << in.rdbuf();
        EXPECT_EQ(kept.str(), "the previous good file");
        const std::string why = "Cannot write \"" + file.string() + "\": " + std::strerror(ENOSPC);
        const auto boxes = e.d.boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find(why), std::string::npos) << boxes[0];
        EXPECT_NE(e.d.history().find("|Error:"), std::string::npos);
        EXPECT_NE(e.d.history().find(why), std::string::npos) << e.d.history();
        fs::remove(disk / "filler");
        fs::remove(file);
    }
}

// Format 18: the records go into a new table named by the key, in the data source of the set's
// Integrator row; Python's sqlite3 reads them back.
TEST(Reports, AnOdbcExportFillsANewTableOfTheSetsDataSource) {
    OdbcConfig::instance().addDataSource("VtReportsLite", "VtSQLite3", "Database=" + (fs::temp_directory_path() /
                                         ("vt_reports_odbc_" + std::to_string(::getpid()) + ".db")).string());
    const fs::path db = fs::temp_directory_path() / ("vt_reports_odbc_" + std::to_string(::getpid()) + ".db");
    fs::remove(db);
    Env e;
    e.setRow(k850, 18, "");
    e.d.db.exec("UPDATE Transactions SET DataSourceName = 'VtReportsLite'");
    e.writeTemplate(TemplateKind::Export);
    e.d.addSet(set850("0001", "PO-1"));
    ASSERT_TRUE(mainwindow::ExportReport(e.d.services, e.host, e.inbox(), true)) << e.d.history();
    EXPECT_EQ(e.d.column("Inbox", "Status"), "Exported");
    EXPECT_TRUE(fs::is_empty(e.exports));
    const std::string cmd = "/usr/bin/python3 -c \"import sqlite3,sys; c=sqlite3.connect(sys.argv[1]); "
                            "[print('|'.join(str(v) for v in r)) for r in c.execute('SELECT * FROM ACME_850_004010_I')]\" '" +
                            db.string() + "' 2>&1";
    FILE* p = ::popen(cmd.c_str(), "r");
    std::string back;
    char buf[512];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) back.append(buf, n);
    EXPECT_EQ(::pclose(p), 0) << back;
    EXPECT_EQ(back, "PO-1|1|10\nPO-1|2|4\n");
    // A second export finds the table there and marks nothing more.
    e.d.addSet(set850("0002", "PO-2"));
    EXPECT_FALSE(mainwindow::ExportReport(e.d.services, e.host, e.inbox({1}), true));
    EXPECT_EQ(e.d.column("Inbox", "Status"), "Exported|Opened");
    EXPECT_NE(e.d.history().find("already exists; no records were exported"), std::string::npos) << e.d.history();
    fs::remove(db);
}

TEST(Reports, PrintViewAndDesignHandOverTheTemplateWithTheTranslatedRows) {
    Env e;
    e.writeTemplate(TemplateKind::Viewer);
    e.writeTemplate(TemplateKind::Export);
    e.writeTemplate(TemplateKind::ActiveX);
    e.d.addSet(set850());
    EXPECT_TRUE(mainwindow::PrintReport(e.d.services, e.host, e.inbox(), false));
    EXPECT_TRUE(mainwindow::ViewReport(e.d.services, e.host, e.inbox()));
    ASSERT_TRUE(e.host.last);
    EXPECT_EQ(e.host.last->path(), e.templatePath(TemplateKind::Viewer));
    for (auto kind : {TemplateKind::Viewer, TemplateKind::Export, TemplateKind::ActiveX})
        EXPECT_TRUE(mainwindow::DesignReport(e.d.services, e.host, e.inbox(), kind));
    EXPECT_EQ(e.host.calls, (std::vector<std::string>{"print 1 2", "view 2", "design Reports/" + kKey + ".RPT 0",
                                                      "design Export/" + kKey + ".RPT 0",
                                                      "design ActiveX/" + kKey + ".RPT 0"}));
    // Two translations, no designer translates; rows stay "Opened" (not exported).
    EXPECT_EQ(e.d.history(), "Info:" + kKey + " Translated: 1 Errors: 0|Info:" + kKey + " Translated: 1 Errors: 0");
    EXPECT_EQ(e.d.column("Inbox", "Status"), "Opened");
    EXPECT_TRUE(e.d.boxes().empty());
}

TEST(Reports, PrintOfAnEmptyRecordSetPrintsNothingAndSaysNothing) {
    Env e;
    e.writeTemplate(TemplateKind::Viewer);
    Item empty;   // ST and SE only: the map writes no line
    e.d.add("Inbox", empty);
    EXPECT_FALSE(mainwindow::PrintReport(e.d.services, e.host, e.inbox(), false));
    EXPECT_TRUE(e.host.calls.empty());
    EXPECT_TRUE(e.d.boxes().empty());
}

TEST(Reports, KeysThatWouldLeaveTheirFolderAreRefused) {
    Env e;
    for (const char* key : {"../ACME_850_004010_I", "A/B_850_004010_I", ""}) {
        SCOPED_TRACE(key);
        EXPECT_THROW(e.templatePath(TemplateKind::Viewer, key), core::RunError);
        EXPECT_THROW(mainwindow::ExportFilePath(e.d.settings, key, 1), core::RunError);
    }
    EXPECT_EQ(mainwindow::ExportFilePath(e.d.settings, kKey, 6), e.exports / (kKey + ".XLS"));
    EXPECT_EQ(mainwindow::ExportFilePath(e.d.settings, kKey, 17), e.exports / (kKey + ".No Format"));
}

// ---- The plug-in runner ----

struct PluginEnv : Env {
    automation::ClassRegistry registry;
    CountingHost counter;
    PluginEnv(const std::string& className = "VtReportPlugin.Replace") {
        registry.setPluginFolder(fs::path(VT_REPORT_PLUGIN_FOLDER));
        registry.setHostServices(&counter);
        setRow(k850, 1, className);
        writeTemplate(TemplateKind::ActiveX, {"Key", "Rows", "Previous"});
    }
    bool run(int mode, std::initializer_list<int> selected = {0}) {
        return mainwindow::ActiveX(d.services, host, registry, inbox(selected), d.list("Recycled", {}), mode);
    }
};

TEST(PluginRunner, ThePluginsRecordSetIsViewedPrintedExportedOrLeftByMode) {
    struct Case {
        int mode;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {0, {"view 1"}}, {1, {"print 1 1"}}, {2, {"export ACME_850_004010_I.CSV 1"}}, {5, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        PluginEnv e;
        e.d.addSet(set850());
        EXPECT_TRUE(e.run(c.mode));
        EXPECT_EQ(e.counter.calls, 1);
        EXPECT_EQ(e.host.calls, c.calls);
        EXPECT_TRUE(e.d.boxes().empty());
        EXPECT_EQ(e.d.column("Inbox", "Status"), "Opened");
    }
    // The report runs over argument 0 as the plug-in left it: its own record of what it got.
    PluginEnv e;
    e.d.addSet(set850());
    ASSERT_TRUE(e.run(2));
    EXPECT_EQ(readBack(e.exports)[kKey + ".CSV"], "Key|Rows|Previous\nACME_850_004010_I|2|-1\n");
}

TEST(PluginRunner, FalseErrorsAndMissingPiecesEndWithFalse) {
    struct Case {
        const char* name;
        std::string className;
        const char* tset;          // nullptr: the 850 of the fixture
        bool withTemplate;
        int pluginCalls;
        std::string box;           // the start of the one box, "" for none
        std::string lastHistory;   // the start of the last History row
    };
    const Case cases[] = {
        {"declined", "VtReportPlugin.Decline", nullptr, true, 1, "", "Info:ACME_850_004010_I Translated: 1"},
        {"raises", "VtReportPlugin.Failing", nullptr, true, 1, "ActiveX Failed", "Error:1001 ActiveX Failed"},
        {"no class name", "", nullptr, true, 0,
         "No plug-in is chosen for ACME 850 004010 I: choose one in Setup > Partners, on the Transactions tab "
         "(column ActiveX).",
         "Error:429 No plug-in is chosen for ACME 850 004010 I: choose one in Setup > Partners"},
        {"no such class", "VtReportPlugin.Nope", nullptr, true, 0, "ActiveX component can't create object",
         "Error:429 ActiveX component can't create object"},
        {"empty translation", "VtReportPlugin.Replace", "ST*850*0001~SE*2*0001~", true, 0, "",
         "Info:ACME_850_004010_I Translated: 1"},
        {"no plug-in template", "VtReportPlugin.Replace", nullptr, false, 1, "", "Error:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PluginEnv e(c.className);
        if (!c.withTemplate) fs::remove(e.templatePath(TemplateKind::ActiveX));
        e.d.addSet(c.tset ? std::string(c.tset) : set850());
        EXPECT_FALSE(e.run(0));
        EXPECT_EQ(e.counter.calls, c.pluginCalls);
        EXPECT_TRUE(e.host.calls.empty());
        const auto boxes = e.d.boxes();
        if (c.name == std::string("no plug-in template")) {
            // The engine's own open error, boxed and logged with its number.
            const std::string text =
                "Cannot open \"" + e.templatePath(TemplateKind::ActiveX).string() + "\": No such file or directory";
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0], "box 16 Veltrane: " + text);
            EXPECT_NE(e.d.history().find("|Error:51 " + text), std::string::npos) << e.d.history();
        } else if (c.box.empty()) {
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].rfind("box 16 Veltrane: " + c.box, 0), 0u) << boxes[0];
        }
        const std::string history = e.d.history();
        const std::string last = history.substr(history.rfind('|') == std::string::npos ? 0 : history.rfind('|') + 1);
        EXPECT_EQ(last.rfind(c.lastHistory, 0), 0u) << history;
        // Nothing is translated before the plug-in class exists.
        if (c.className.empty()) {
            EXPECT_EQ(history.find("Translated"), std::string::npos);
        }
    }
}

TEST(PluginRunner, An862HandsTheRecycledSelectionAsPreviousData) {
    const maps::MapKey k862{"ACME", "862", "004010", "I"};
    auto set862 = [](const std::string& control) {
        std::string s = set810(control);
        s.replace(s.find("ST*810"), 6, "ST*862");
        return s;
    };
    PluginEnv e;
    maps::Map map = map810();
    map.key = k862;
    e.d.store(map);
    e.setRow(k862, 1, "VtReportPlugin.Replace");
    e.writeTemplate(TemplateKind::ActiveX, {"Key", "Rows", "Previous"}, "ACME_862_004010_I");
    e.d.addSet(set862("0001"), "862");
    Item old;
    old.transaction = "862";
    old.tset = set862("0009");
    e.d.add("Recycled", old);

    // Nothing selected in the Recycled list: the previous data is empty, the plug-in is not called.
    EXPECT_FALSE(mainwindow::ActiveX(e.d.services, e.host, e.registry, e.inbox(), e.d.list("Recycled", {}), 0));
    EXPECT_EQ(e.counter.calls, 0);
    EXPECT_TRUE(e.d.boxes().empty());

    ASSERT_TRUE(mainwindow::ActiveX(e.d.services, e.host, e.registry, e.inbox(), e.d.list("Recycled", {0}), 0));
    EXPECT_EQ(e.counter.calls, 1);
    ASSERT_TRUE(e.host.last && e.host.last->data());
    const auto& row = e.host.last->data()->rows.at(0);
    EXPECT_EQ(automation::toText(row[0]), "ACME_862_004010_I");
    EXPECT_EQ(automation::toText(row[1]), "2");
    EXPECT_EQ(automation::toText(row[2]), "2");
    EXPECT_EQ(e.d.column("Recycled", "Status"), "Opened");
}

}  // namespace
}  // namespace vt::test
