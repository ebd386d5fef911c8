// The outbound translator: an Import folder's layout and data files through an outbound map (or
// a plug-in's Map method) into a byte-exact interchange for a fixed clock, filed in the Outbox by
// LoadBox and read back by an outside X12 parser; control numbers; the failure rows.

#include "MapFixture.h"

#include "core/Globals.h"
#include "maps/MapTranslator.h"
#include "platform/automation/ClassRegistry.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>

namespace vt::test {
namespace {

using maps::MapTranslator;

// As the Integrator writes it: every value followed by a TAB; Null as an empty value.
const char* kData = "PO-1\t1\tWIDGET\t10\t9.95\t\t\r\n"
                    "PO-1\t2\tGADGET\t4\t12.5\tX\t\r\n"
                    "PO-2\t1\tBOLT\t100\t0.1\t\t\r\n";

const std::string kIsa =
    "ISA*00*          *00*          *ZZ*OWNID          *ZZ*PARTID         *240305*1407*U*00401*000000001*0*P*>~";
const std::string kSets =
    "ST*850*000000001~BEG*00*SA*PO-1**20240305~DTM*002*20240320~PO1*1*00010*EA*9.95**BP*WIDGET~"
    "PO1*2*00004*EA*12.5**BP*GADGET~REF*ZZ*X~CTT*2~SE*8*000000001~"
    "ST*850*000000002~BEG*00*SA*PO-2**20240305~DTM*002*20240320~PO1*1*00100*EA*0.1**BP*BOLT~CTT*1~SE*6*000000002~";

struct OutboundRun {
    OutboundDb d;
    MapTranslator tr;
    std::filesystem::path import = d.import, outbound = d.outbound;

    OutboundRun() { write("ACME_850_004010_O.IMP", kData); }
    void write(const std::string& name, const std::string& bytes) { d.write(name, bytes); }
    std::string run(bool silent = true, automation::ClassRegistry* registry = nullptr) {
        return tr.ProcessOutbound(d.services, kOut, silent, registry);
    }
    std::vector<std::string> outputs() {
        std::vector<std::string> names;
        if (!std::filesystem::exists(outbound)) return names;
        for (auto& f : std::filesystem::directory_iterator(outbound)) names.push_back(f.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string read(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string stored(const std::string& sql) { return d.db.scalarText(sql); }
};

struct Outbound : ::testing::Test, OutboundRun {};

std::string runCommand(const std::string& command) {
    std::array<char, 512> buffer{};
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    while (pipe && std::fgets(buffer.data(), int(buffer.size()), pipe.get())) out += buffer.data();
    return out;
}

TEST_F(Outbound, WritesTheInterchangeLoadsItIntoTheOutboxAndAnOutsideParserReadsIt) {
    ASSERT_EQ(run(), "");
    ASSERT_EQ(outputs(), std::vector<std::string>{"030524-020709 PM.OC"});
    const std::filesystem::path file = outbound / "030524-020709 PM.OC";
    EXPECT_EQ(tr.lastOutboundFile(), file);
    // An empty override takes the map's version for GS08; 004010 dates are eight digits.
    EXPECT_EQ(read(file), kIsa + "GS*PO*OWNAPP*PARTAPP*20240305*140709*000000001*X*004010~" + kSets +
                              "GE*2*000000001~IEA*1*000000001~");
    EXPECT_EQ(tr.setCount(), 2);

    EXPECT_EQ(d.column("Outbox", "TSet"),
              "ST*850*000000001~BEG*00*SA*PO-1**20240305~DTM*002*20240320~PO1*1*00010*EA*9.95**BP*WIDGET~"
              "PO1*2*00004*EA*12.5**BP*GADGET~REF*ZZ*X~CTT*2~SE*8*000000001~|"
              "ST*850*000000002~BEG*00*SA*PO-2**20240305~DTM*002*20240320~PO1*1*00100*EA*0.1**BP*BOLT~CTT*1~"
              "SE*6*000000002~");
    EXPECT_EQ(d.column("Outbox", "Partner"), "ACME|ACME");
    // Numbers taken are never handed out again, also after the reader saw ST02 2.
    EXPECT_EQ(stored("SELECT ControlNumber FROM Transactions WHERE Direction = 'O'"), "3");
    EXPECT_EQ(stored("SELECT ISA13 || ',' || GS06 FROM Partner"), "1,1");
    EXPECT_EQ(d.history().find("Error"), std::string::npos) << d.history();
    EXPECT_EQ(d.ui.panels[3], "");
    EXPECT_EQ(d.ui.progressValue, 0);
    EXPECT_TRUE(core::gSilent);

    const std::string parsed = runCommand("node '" VT_MAPS_TEST_DIR "/x12check.js' '" + file.string() + "' 2>&1");
    EXPECT_EQ(parsed,
              "ISA 1 from OWNID to PARTID\n"
              "GS PO 20240305 140709 000000001 004010 sets=2\n"
              "ST 850 000000001: BEG DTM PO1 PO1 REF CTT\n"
              "ST 850 000000002: BEG DTM PO1 CTT\n");

    // A second run in the same second gets its own file; the numbers go on.
    ASSERT_EQ(run(), "");
    EXPECT_EQ(outputs(), (std::vector<std::string>{"030524-020709 PM-2.OC", "030524-020709 PM.OC"}));
    EXPECT_NE(read(outbound / "030524-020709 PM-2.OC").find("ST*850*000000003~"), std::string::npos);
    EXPECT_EQ(stored("SELECT ControlNumber FROM Transactions WHERE Direction = 'O'"), "5");
    EXPECT_EQ(d.count("Outbox"), 4);
}

TEST_F(Outbound, ShowsTheSetsAndTheElementValuesUnlessSilent) {
    struct View : maps::TranslatorView {
        std::string immediate, transaction;
        std::vector<bool> enabled;
        void setControlsEnabled(bool on) override { enabled.push_back(on); }
        void appendImmediate(std::string_view text) override { immediate += text; }
        void showTransaction(std::string_view text) override { transaction = text; }
    } view;
    tr.setView(&view);
    d.db.exec("UPDATE Transactions SET Versionoverride = '004030' WHERE Direction = 'O'");
    ASSERT_EQ(run(false), "");
    EXPECT_EQ(view.enabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(view.immediate.substr(0, 51), "BEG01 = 00\r\nBEG02 = SA\r\nBEG03 = PO-1\r\nBEG04 = \r\nBEG");
    EXPECT_NE(view.immediate.find("PO102 = 00010\r\n"), std::string::npos);
    EXPECT_EQ(view.transaction.substr(0, 40), "ST*850*000000001\r\nBEG*00*SA*PO-1**202403");
    EXPECT_NE(read(tr.lastOutboundFile()).find("*X*004030~ST"), std::string::npos);
}

TEST_F(Outbound, RunsStartedFromEventsDuringARunAreRefused) {
    // Window events run inside the run's yields; here the Immediate pane's update stands for them.
    struct View : maps::TranslatorView {
        std::function<void()> event;
        void appendImmediate(std::string_view) override {
            if (event) std::exchange(event, nullptr)();
        }
    } view;
    std::string second, mapped;
    view.event = [&] {
        second = tr.ProcessOutbound(d.services, kOut, true);
        mapped = tr.MapOutbound(d.services, automation::Recordset::create(), kOut, {"~", "*", ">"});
    };
    tr.setView(&view);
    ASSERT_EQ(run(false), "");
    EXPECT_EQ(second, "ACME_850_004010_O Process Refused: a translation is already running");
    EXPECT_EQ(mapped, "");
    EXPECT_EQ(d.history(), "Error:ACME_850_004010_O Process Refused: a translation is already running|"
                           "Error:Translation Refused: a translation is already running");
    EXPECT_EQ(d.count("Outbox"), 2);
}

TEST_F(Outbound, ReadsDataLinesIntoFieldsAsTheyStand) {
    struct Case {
        const char* data;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        // Fewer values than fields: the last one fills the rest; surplus values are dropped.
        {"A\tB", {"A|B|B"}},
        {"A\tB\tC\tD\tE", {"A|B|C"}},
        {"A\t\tX\r\n", {"A||X"}},
        {"\r\nZ\t1\t2\r\n", {"||", "Z|1|2"}},
        {"A\tB\tC\nD\tE\tF", {"A|B|C", "D|E|F"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        auto record = automation::Recordset::create();
        for (const char* name : {"P", "Q", "R"}) record->appendField(name, automation::adtype::VarChar, 10);
        record->open();
        maps::ReadOutboundData(d.services, *record, c.data);
        EXPECT_EQ(rows(*record), c.rows);
    }
    // A numeric field takes an empty value as Null; a text field as the empty text.
    auto record = automation::Recordset::create();
    record->appendField("Qty", automation::adtype::Numeric, 9);
    record->appendField("Note", automation::adtype::VarChar, 9);
    record->open();
    maps::ReadOutboundData(d.services, *record, "\tX\t\r\n\t\t\r\n");
    record->moveFirst();
    EXPECT_TRUE(record->value(std::size_t(0)).isNull());
    EXPECT_EQ(automation::toText(record->value(std::size_t(1))), "X");
    record->moveNext();
    EXPECT_EQ(automation::toText(record->value(std::size_t(1))), "");
    EXPECT_FALSE(record->value(std::size_t(1)).isNull());
}

TEST_F(Outbound, FailuresWriteNoFileAndSayWhy) {
    struct Case {
        const char* name;
        std::function<void(OutboundRun&)> arrange;
        std::string result;
        std::string history;
        const char* isa13;   // partner's ISA13 afterwards
    };
    const std::string failed = "Process Failed - ACME_850_004010_O";
    const Case cases[] = {
        {"empty data file", [](OutboundRun& t) { t.write("ACME_850_004010_O.IMP", ""); },
         "File length zero, No resutlts available for processing!",
         "Info:File length zero, No resutlts available for processing!", "0"},
        {"no map of that key", [](OutboundRun& t) { t.d.db.exec("DELETE FROM Transactions WHERE Direction = 'O'"); },
         "Map Not Found - ACME_850_004010_O", "Error:Map Not Found - ACME_850_004010_O", "0"},
        // What a write killed before it put the layout beside its data file leaves.
        {"missing layout file", [](OutboundRun& t) { std::filesystem::remove(t.import / "ACME_850_004010_O.ADO"); },
         "Record Layout Not Found - <import>/ACME_850_004010_O.ADO: extract the data again",
         "Error:Record Layout Not Found - <import>/ACME_850_004010_O.ADO: extract the data again", "0"},
        {"neither file", [](OutboundRun& t) {
             std::filesystem::remove(t.import / "ACME_850_004010_O.ADO");
             std::filesystem::remove(t.import / "ACME_850_004010_O.IMP");
         },
         "File not found", "Error:File not found", "0"},
        {"no Outbound folder", [](OutboundRun& t) { std::filesystem::remove_all(t.outbound); }, "Path not found",
         "Error:Path not found", "0"},
        {"a field the data has not",
         [](OutboundRun& t) {
             t.d.db.exec("UPDATE Element SET ElementScript = 'objScript.CurrentElement = Record(\"Colour\")' "
                         "WHERE Direction = 'O' AND Segment = 'PO1' AND ElementIndex = 7");
         },
         failed,
         // The script host's five rows (silent run), the level's row, the run's row.
         "Error:Description: Item cannot be found in the collection corresponding to the requested name or "
         "ordinal.|Error:Script Text: objScript.CurrentElement = Record(\"Colour\")|Error:Error Number: 3265|"
         "Error:Line Number: 1|Error:Column Number: 0|"
         "Error:Item cannot be found in the collection corresponding to the requested name or ordinal.-"
         "objScript.CurrentElement = Record(\"Colour\")-Element = PO103|Error:" + failed, "1"},
        {"a map without rows for any level", [](OutboundRun& t) { t.d.db.exec("UPDATE Segment SET Level = '' "
                                                                           "WHERE Direction = 'O'"); },
         failed, "Error:Empty Transaction Set - ACME_850_004010_O|Error:" + failed, "1"},
        {"a plug-in that fails",
         [](OutboundRun& t) { t.d.db.exec("UPDATE Transactions SET ActiveX = 'VtMapPlugin.Broken' WHERE Direction = 'O'"); },
         "Map Failed", "Error:Map Failed", "1"},
        {"a plug-in text without a set",
         [](OutboundRun& t) { t.d.db.exec("UPDATE Transactions SET ActiveX = 'VtMapPlugin.NoSets' WHERE Direction = 'O'"); },
         failed, "Error:" + failed, "1"},
        {"a plug-in library that is not there",
         [](OutboundRun& t) { t.d.db.exec("UPDATE Transactions SET ActiveX = 'NoSuch.Thing' WHERE Direction = 'O'"); },
         "ActiveX component can't create object: 'NoSuch.Thing'",
         "Error:ActiveX component can't create object: 'NoSuch.Thing'", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OutboundRun t;
        automation::ClassRegistry registry;
        registry.setPluginFolder(std::filesystem::path(VT_MAPS_PLUGIN_FOLDER));
        c.arrange(t);
        auto placed = [&](std::string text) {
            if (const std::size_t at = text.find("<import>"); at != std::string::npos)
                text.replace(at, 8, t.import.string());
            return text;
        };
        EXPECT_EQ(t.run(true, &registry), placed(c.result));
        EXPECT_EQ(t.d.history(), placed(c.history));
        EXPECT_TRUE(t.outputs().empty());
        EXPECT_EQ(t.d.count("Outbox"), 0);
        EXPECT_EQ(t.stored("SELECT ISA13 FROM Partner"), c.isa13);
        EXPECT_EQ(t.d.ui.panels[3], "");
    }
}

TEST_F(Outbound, OneRunWritesMoreSetsThanASixteenBitCountHolds) {
    // One heading segment a set and one set a line keep the run short.
    maps::Map tiny = makeMap(kOut, {{"BEG", 1, {{"AN", 22, element("Record(\"PO\")")}}}});
    tiny.segments[0].level = "H";
    d.store(tiny);
    constexpr int kSets = 32770;
    std::string data;
    for (int n = 1; n <= kSets; ++n) data += std::to_string(n) + "\r\n";
    write("ACME_850_004010_O.IMP", data);

    ASSERT_EQ(run(), "") << d.history();
    EXPECT_EQ(tr.setCount(), kSets);
    const std::string x12 = read(tr.lastOutboundFile());
    EXPECT_NE(x12.find("~SE*3*000032767~ST*850*000032768~BEG*32768~SE*3*000032768~"), std::string::npos);
    EXPECT_EQ(x12.substr(x12.rfind("~ST*") + 1),
              "ST*850*000032770~BEG*32770~SE*3*000032770~GE*32770*000000001~IEA*1*000000001~");
    EXPECT_EQ(d.count("Outbox"), kSets);
    EXPECT_EQ(stored("SELECT ControlNumber FROM Transactions WHERE Direction = 'O'"), "32771");
    EXPECT_EQ(d.history().find("Error"), std::string::npos) << d.history();
}

TEST_F(Outbound, APluginsSetsAreCountedFromTheirStSegments) {
    automation::ClassRegistry registry;
    registry.setPluginFolder(std::filesystem::path(VT_MAPS_PLUGIN_FOLDER));
    d.db.exec("UPDATE Transactions SET ActiveX = 'VtMapPlugin.ACME_850_004010_O' WHERE Direction = 'O'");
    ASSERT_EQ(run(true, &registry), "");
    // Three rows, three sets numbered 7, 9 and 11 by the plug-in: GE01 is 3, not 11.
    EXPECT_EQ(tr.setCount(), 3);
    const std::string x12 = read(tr.lastOutboundFile());
    EXPECT_EQ(x12.substr(x12.find("~ST*") + 1),
              "ST*850*7~BEG*00*SA*PO-1**20240305~SE*3*7~ST*850*9~BEG*00*SA*PO-1**20240305~SE*3*9~"
              "ST*850*11~BEG*00*SA*PO-2**20240305~SE*3*11~GE*3*000000001~IEA*1*000000001~");
    EXPECT_EQ(d.count("Outbox"), 3);
}

}  // namespace
}  // namespace vt::test
