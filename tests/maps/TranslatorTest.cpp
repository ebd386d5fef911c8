// The inbound translator over the 850 and 810 fixture maps: records filled by the scripts,
// Status and History, segment matching, element registers, the error paths with their texts
// (boxed and silent), the time-out, an unreadable layout and a run refused while one runs.

#include "MapFixture.h"

#include "core/Globals.h"
#include "maps/MapTranslator.h"
#include "platform/vbscript/ScriptControl.h"

#include <gtest/gtest.h>

#include <chrono>

namespace vt::test {
namespace {

using maps::MapTranslator;

struct Translator : ::testing::Test {
    MapDb d;
    MapTranslator tr;

    automation::Ref<automation::Recordset> run(const maps::MapKey& key, std::initializer_list<int> selected,
                                               bool silent = true, bool exportRun = false) {
        return tr.TranslateAll(d.services, d.list("Inbox", selected), key, exportRun, silent);
    }
    // A map of one partner set whose rows the test gives, stored with its layout.
    void storeMap(const maps::MapKey& key, std::initializer_list<Seg> segments) { d.store(makeMap(key, segments)); }
};

TEST_F(Translator, FillsTheRecordOfAn850PerLoopAndMarksTheRows) {
    d.addSet(set850("0001", "PO-1"));
    d.addSet(set850("0002", "PO-2"));
    d.addSet(set810(), "810");   // not selected
    auto record = run(k850, {0, 1});
    ASSERT_TRUE(record);
    EXPECT_EQ(fieldNames(*record),
              "1BEG01 1BEG02 1BEG03 1BEG04 1BEG05 2REF01 2REF02 3REF01 3REF02 4DTM01 4DTM02 4DTM03 "
              "5N101 5N102 5N103 5N104 6N301 7PO101 7PO102 7PO103 7PO104 7PO106 7PO107 "
              "8PID01 8PID02 8PID03 8PID04 8PID05 9CTT01");
    const std::string head1 = "00|SA|PO-1||3/5/2024|DP|038|IA|VEND1|002|3/20/2024|2:07:00 PM|ST|ACME WAREHOUSE|||"
                              "12 DOCK ROAD|";
    const std::string head2 = "00|SA|PO-2||3/5/2024|DP|038|IA|VEND1|002|3/20/2024|2:07:00 PM|ST|ACME WAREHOUSE|||"
                              "12 DOCK ROAD|";
    EXPECT_EQ(rows(*record), (std::vector<std::string>{
                                 head1 + "1|10|EA|9.95|BP|BP-WIDGET|F||||BLUE WIDGET|2",
                                 head1 + "2|4|BX|12.5|BP|BP-GADGET|F||||GADGET BOX|2",
                                 head2 + "1|10|EA|9.95|BP|BP-WIDGET|F||||BLUE WIDGET|2",
                                 head2 + "2|4|BX|12.5|BP|BP-GADGET|F||||GADGET BOX|2",
                             }));
    EXPECT_EQ(d.column("Inbox", "Status"), "Opened|Opened|Closed");
    EXPECT_EQ(d.history(), "Info:ACME_850_004010_I Translated: 2 Errors: 0");
    EXPECT_EQ(d.ui.refreshed, std::vector<std::string>{"Inbox"});
    EXPECT_TRUE(core::gSilent);
    EXPECT_EQ(d.ui.panels[3], "");
    EXPECT_EQ(d.ui.progressValue, 0);
}

TEST_F(Translator, ResetsTheHostBetweenSetsAndExportMarksExported) {
    d.addSet(set810("0001"), "810");
    d.addSet(set810("0002"), "810");
    auto record = run(k810, {0, 1}, true, true);
    ASSERT_TRUE(record);
    EXPECT_EQ(fieldNames(*record), "1BIG01 1BIG02 1BIG04 2IT101 2IT102 2IT103 2IT104 3TDS01 4CTT01");
    // The function of the BIG script works in the TDS script; "runs" starts again in every set.
    const std::string line1 = "3/10/2024|INV-1|PO-1|1|3|EA|14.95|49.85|1";
    const std::string line2 = "3/10/2024|INV-1|PO-1|2|1|EA|5|49.85|1";
    EXPECT_EQ(rows(*record), (std::vector<std::string>{line1, line2, line1, line2}));
    EXPECT_EQ(d.column("Inbox", "Status"), "Exported|Exported");
}

TEST_F(Translator, NothingSelectedGivesTheEmptyRecordAndASummary) {
    d.addSet(set850());
    auto record = run(k850, {});
    ASSERT_TRUE(record);
    EXPECT_EQ(record->recordCount(), 0);
    EXPECT_EQ(d.history(), "Info:ACME_850_004010_I Translated: 0 Errors: 0");
    EXPECT_EQ(d.ui.refreshed, std::vector<std::string>{"Inbox"});
}

// The registers each element script sees, written out as one line per element.
constexpr const char* kTrace =
    "objScript.CurrentElement = objScript.PreviousSegment & \"<\" & objScript.CurrentElement & \">\" & "
    "objScript.NextSegment & \" p=\" & objScript.PreviousElement & \" n=\" & objScript.NextElement\n"
    "objScript.ElementToSegment\nobjScript.SegmentToSegments\nobjScript.WriteToLines";

TEST_F(Translator, MatchesSegmentsToMapRowsAndPadsShortSegments) {
    const El t{"AN", 80, kTrace};
    storeMap(k850, {
        {"BEG", 1, {t}},
        {"REF", 1, {t, t}},
        {"N1", 1, {{"AN", 80, kTrace, "00"}}},
        {"N3", 2, {t, t, {"AN", 80, kTrace, "", true}, t}},
        {"CTT", 1, {{"AN", 80, "objScript.LinesToRecord Record"}}},
    });
    // REF repeats on its row; N1 comes back after N3 (level 2) to its loop start; DTM is absent
    // from the map.
    d.addSet("ST*850*1~BEG*A~REF*R1~REF*R2*X~N1*7~N3*C~N1*8~N3*D*E~CTT*1~SE*10*1~");
    d.addSet("ST*850*2~BEG*A~DTM*002~SE*4*2~");
    // N3 three positions after BEG is found on the third probe.
    d.addSet("ST*850*3~BEG*B~N3*Q~CTT*1~SE*5*3~");
    auto record = run(k850, {0, 1, 2});
    ASSERT_TRUE(record);
    std::vector<std::string> got;
    for (const std::string& r : rows(*record)) got.push_back(r.substr(0, r.find('|')));
    EXPECT_EQ(got, (std::vector<std::string>{
                       "ST<A>REF p=A n=A",
                       "BEG<R1>REF p=R1 n=>",   // the second element is missing: the marker
                       "BEG<>>REF p=R1 n=>",
                       "REF<R2>N1 p=R2 n=X",
                       "REF<X>N1 p=R2 n=X",
                       "REF<07>N3 p=7 n=7",     // Format "00"; registers hold raw texts
                       "N1<C>N1 p=C n=>",
                       "N1<>>N1 p=C n=>",       // N303 is excluded but still a neighbour
                       "N1<>>N1 p=> n=>",
                       "N3<08>N3 p=8 n=8",
                       "N1<D>CTT p=D n=E",
                       "N1<E>CTT p=D n=>",
                       "N1<>>CTT p=> n=>",
                       "ST<B>N3 p=B n=B",
                       "BEG<Q>CTT p=Q n=>",
                       "BEG<>>CTT p=Q n=>",
                       "BEG<>>CTT p=> n=>",
                   }));
    EXPECT_EQ(d.column("Inbox", "Status"), "Opened|Error|Opened");
    EXPECT_EQ(d.history(),
              "Error:DTM - Segment Sequence - Verify Mapping|Error:Translation Failed|"
              "Info:ACME_850_004010_I Translated: 3 Errors: 1");
}

TEST_F(Translator, FailsASetAtItsFirstSurplusElement) {
    d.addSet(set850());
    d.addSet("ST*850*2~BEG*00*SA*PO-2**20240305*EXTRA~SE*3*2~");
    run(k850, {1});
    EXPECT_EQ(d.history(),
              "Error:Error - Either BOF or EOF is True, or the current record has been deleted. Requested operation "
              "requires a current record. - Element = BEG06 Verify Mapping|Error:Translation Failed|"
              "Info:ACME_850_004010_I Translated: 1 Errors: 1");
}

struct ErrorCase {
    const char* name;
    const char* script;
    bool silent;
    std::vector<std::string> boxes;
    std::string history;
};

TEST_F(Translator, ReportsScriptErrorsBoxedOrSilent) {
    const std::string box = "box 16 Script Error: ";
    const ErrorCase cases[] = {
        {"compile, boxed", "x = (1", false,
         {box + "Description:   Expected ')'\r\nScript Text:   x = (1\r\nError Number:  1006\r\n"
                "Line Number:   1\r\nColumn Number: 6"},
         "Error:Error - Expected ')' - Element = N101 Verify Mapping|Error:Translation Failed|"
         "Info:ACME_850_004010_I Translated: 1 Errors: 1"},
        {"compile, silent", "x = (1", true, {},
         "Error:Description: Expected ')'|Error:Script Text: x = (1|Error:Error Number: 1006|"
         "Error:Line Number: 1|Error:Column Number: 6|"
         "Error:Error - Expected ')' - Element = N101 Verify Mapping|Error:Translation Failed|"
         "Info:ACME_850_004010_I Translated: 1 Errors: 1"},
        {"run time, boxed", "objScript.ElementToSegment\ny = 1 / 0", false,
         {box + "Description:   Division by zero\r\nScript Text:   y = 1 / 0\r\nError Number:  11\r\n"
                "Line Number:   2\r\nColumn Number: 0"},
         "Error:Error - Division by zero - Element = N101 Verify Mapping|Error:Translation Failed|"
         "Info:ACME_850_004010_I Translated: 1 Errors: 1"},
        {"run time, silent", "objScript.ElementToSegment\ny = 1 / 0", true, {},
         "Error:Description: Division by zero|Error:Script Text: y = 1 / 0|Error:Error Number: 11|"
         "Error:Line Number: 2|Error:Column Number: 0|"
         "Error:Error - Division by zero - Element = N101 Verify Mapping|Error:Translation Failed|"
         "Info:ACME_850_004010_I Translated: 1 Errors: 1"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        MapDb db;
        maps::MapTranslator translator;
        db.store(makeMap(k850, {{"BEG", 1, {{}}}, {"N1", 1, {{"AN", 30, c.script}}}}));
        db.addSet("ST*850*1~BEG*A~N1*B~SE*4*1~");
        translator.TranslateAll(db.services, db.list("Inbox", {0}), k850, false, c.silent);
        EXPECT_EQ(db.boxes(), c.boxes);
        EXPECT_EQ(db.history(), c.history);
        EXPECT_EQ(db.column("Inbox", "Status"), "Error");
    }
}

TEST_F(Translator, AValueTheRecordRefusesFailsItsSetWithoutARow) {
    d.addSet("ST*810*1~BIG*20240310*INV-1*20240305*PO-1~IT1*1*X*EA*14.95~IT1*2*1*EA*5~TDS*4985~CTT*2~SE*7*1~", "810");
    d.addSet(set810("0002"), "810");
    auto record = run(k810, {0, 1});
    ASSERT_TRUE(record);
    EXPECT_EQ(record->recordCount(), 2);
    EXPECT_EQ(d.column("Inbox", "Status"), "Error|Opened");
    EXPECT_EQ(d.history(),
              "Error:Type = N|Error:Name = 2IT102|Error:Value = X|"
              "Error:Description: Multiple-step operation generated errors. Check each status value.|"
              "Error:Script Text: objScript.LinesToRecord Record|Error:Error Number: -2147217887|"
              "Error:Line Number: 5|Error:Column Number: 0|"
              "Error:Error - Multiple-step operation generated errors. Check each status value. - Element = CTT01 "
              "Verify Mapping|Error:Translation Failed|Info:ACME_810_004010_I Translated: 2 Errors: 1");
}

TEST_F(Translator, ASegmentScriptErrorNamesTheSegmentAlone) {
    storeMap(k850, {{"BEG", 1, {{}}, "Err.Raise 5"}});
    d.addSet("ST*850*1~BEG*A~SE*3*1~");
    run(k850, {0});
    EXPECT_NE(d.history().find("Error:Error - Invalid procedure call or argument - Element = BEG00 Verify Mapping"),
              std::string::npos);
}

// A clock that moves on by one millisecond at every reading.
struct SteppingTime {
    std::chrono::steady_clock::time_point t{};
    std::chrono::steady_clock::time_point operator()() { return t += std::chrono::milliseconds(1); }
};

TEST_F(Translator, ATimeOutFailsTheRestOfTheRunButNotTheNextRun) {
    SteppingTime time;
    tr.scriptControl().setTimeSource(std::ref(time));
    tr.scriptControl().setTimeout(200);
    vbscript::ScriptLimits limits;
    limits.checkInterval = 1;
    tr.scriptControl().setLimits(limits);
    storeMap(k850, {{"BEG", 1, {{"AN", 30, "If objScript.CurrentElement = \"LOOP\" Then\n Do\n Loop\nEnd If"}}}});
    d.addSet("ST*850*1~BEG*LOOP~SE*3*1~");
    d.addSet("ST*850*2~BEG*A~SE*3*2~");
    run(k850, {0, 1});
    EXPECT_TRUE(tr.scriptTimedOut());
    EXPECT_EQ(d.column("Inbox", "Status"), "Error|Error");
    EXPECT_EQ(d.history(),
              "Error:Error - Script timed out - Element = BEG01 Verify Mapping|Error:Translation Failed|"
              "Error:Translation Failed|Info:ACME_850_004010_I Translated: 2 Errors: 2");
    d.db.exec("DELETE FROM History");
    run(k850, {1});
    EXPECT_FALSE(tr.scriptTimedOut());
    EXPECT_EQ(d.column("Inbox", "Status"), "Error|Opened");
    // A run with boxes tells the time-out the same way, in History: the host's time-out shows none.
    d.db.exec("DELETE FROM History");
    run(k850, {0, 1}, false);
    EXPECT_TRUE(d.boxes().empty());
    EXPECT_EQ(d.history(),
              "Error:Error - Script timed out - Element = BEG01 Verify Mapping|Error:Translation Failed|"
              "Error:Translation Failed|Info:ACME_850_004010_I Translated: 2 Errors: 2");
}

TEST_F(Translator, AnUnreadableLayoutEndsTheRunWithoutARecord) {
    for (bool silent : {false, true}) {
        SCOPED_TRACE(silent);
        MapDb db;
        maps::MapTranslator translator;
        db.addSet(set850());
        std::filesystem::remove(db.activeX / "ACME_850_004010_I.ADO");
        EXPECT_FALSE(translator.TranslateAll(db.services, db.list("Inbox", {0}), k850, false, silent));
        EXPECT_EQ(db.history(), "Error:53 File not found");
        EXPECT_EQ(db.boxes(), silent ? std::vector<std::string>{}
                                     : std::vector<std::string>{"box 16 Veltrane: File not found"});
        EXPECT_EQ(db.column("Inbox", "Status"), "Closed");
        EXPECT_TRUE(db.ui.refreshed.empty());
    }
}

// A sink that starts a second translation when the run yields for the n-th time.
struct ReenteringSink : RecordingUiSink {
    std::function<void()> onYield;
    int fireAt = 1;
    void yield() override {
        RecordingUiSink::yield();
        if (yields == fireAt)
            if (auto f = std::exchange(onYield, nullptr)) f();
    }
};

TEST_F(Translator, RefusesATranslationStartedWhileOneRuns) {
    ReenteringSink sink;
    core::Services s{d.db, sink, d.clock, d.settings};
    d.addSet(set850());
    automation::Ref<automation::Recordset> inner;
    bool called = false;
    sink.onYield = [&] {
        called = true;
        inner = tr.TranslateAll(s, d.list("Inbox", {0}), k850, false, true);
    };
    auto outer = tr.TranslateAll(s, d.list("Inbox", {0}), k850, false, true);
    ASSERT_TRUE(called);
    EXPECT_FALSE(inner);
    ASSERT_TRUE(outer);
    EXPECT_EQ(outer->recordCount(), 2);
    EXPECT_EQ(d.history(),
              "Error:ACME_850_004010_I Translation Refused: a translation is already running|"
              "Info:ACME_850_004010_I Translated: 1 Errors: 0");

    // Inside a set (a timer or a plug-in calling in while a script runs) the set is refused too.
    d.db.exec("DELETE FROM History");
    sink.fireAt = sink.yields + 5;
    bool mapped = true;
    sink.onYield = [&] {
        mapped = tr.MapInbound(s, automation::Recordset::create(), maps::LoadMap(d.db, k850), set850(),
                               maps::Separators{"~", "*", ">"});
    };
    outer = tr.TranslateAll(s, d.list("Inbox", {0}), k850, false, true);
    EXPECT_FALSE(mapped);
    ASSERT_TRUE(outer);
    EXPECT_EQ(outer->recordCount(), 2);
    EXPECT_EQ(d.history(),
              "Error:Translation Refused: a translation is already running|"
              "Info:ACME_850_004010_I Translated: 1 Errors: 0");

    // A run started under a set that runs on its own is refused whole: no row is marked "Error".
    d.db.exec("DELETE FROM History");
    sink.fireAt = sink.yields + 1;
    bool fired = false;
    sink.onYield = [&] {
        fired = true;
        inner = tr.TranslateAll(s, d.list("Inbox", {0}), k850, false, true);
    };
    tr.MapInbound(s, automation::Recordset::create(), maps::LoadMap(d.db, k850), set850(),
                  maps::Separators{"~", "*", ">"});
    ASSERT_TRUE(fired);
    EXPECT_FALSE(inner);
    EXPECT_EQ(d.column("Inbox", "Status"), "Opened");
    EXPECT_EQ(d.history().rfind("Error:ACME_850_004010_I Translation Refused: a translation is already running", 0), 0u)
        << d.history();
}

TEST_F(Translator, ProcessInboundChecksTheSelectionAgainstTheMap) {
    d.addSet(set810(), "810");
    tr.ProcessInbound(d.services, d.list("Inbox", {}), k810);
    tr.ProcessInbound(d.services, d.list("Inbox", {0}), k850);
    EXPECT_EQ(d.boxes(), (std::vector<std::string>{
                             "box 48 Veltrane: The Inbox is empty! ",
                             "box 48 Veltrane: Selected Inbox Transaction does not match currently selected "
                             "Transaction"}));
    EXPECT_EQ(d.column("Inbox", "Status"), "Closed");
    tr.ProcessInbound(d.services, d.list("Inbox", {0}), k810);
    EXPECT_EQ(d.column("Inbox", "Status"), "Opened");
    EXPECT_FALSE(core::gSilent);
}

// The designer's panes as printed events.
struct RecordingView : maps::TranslatorView {
    std::vector<std::string> events;
    std::string immediate;
    void setControlsEnabled(bool enabled) override { events.push_back(enabled ? "enable" : "disable"); }
    void clearImmediate() override {
        immediate.clear();
        events.push_back("clear");
    }
    void appendImmediate(std::string_view text) override { immediate += text; }
    void showTransaction(std::string_view text) override { events.push_back("transaction " + std::string(text)); }
    void selectTransaction(std::size_t offset, std::size_t length) override {
        events.push_back("select " + std::to_string(offset) + "," + std::to_string(length));
    }
    void showPreview(std::string_view text) override { events.push_back("preview " + std::string(text)); }
};

TEST_F(Translator, ATestRunShowsTheSetItsSegmentsAndTheStoredFields) {
    storeMap(k850, {{"BEG", 1, {{}}},
                    {"REF", 1, {{}}, "", 2},
                    {"CTT", 1, {{"AN", 30, "objScript.ElementToSegment\nobjScript.SegmentToSegments\n"
                                           "objScript.WriteToLines\nobjScript.LinesToRecord Record"}}}});
    d.addSet("ST*850*1~BEG*A~REF*X~REF*Y~CTT*1~SE*6*1~");
    RecordingView view;
    tr.setView(&view);
    tr.ProcessInbound(d.services, d.list("Inbox", {0}), k850);
    const std::string pane = "ST*850*1\r\nBEG*A\r\nREF*X\r\nREF*Y\r\nCTT*1\r\nSE*6*1\r\n";
    EXPECT_EQ(view.events, (std::vector<std::string>{"clear", "disable", "preview " + pane, "transaction " + pane,
                                                     "select 10,3", "select 17,3", "select 24,3", "select 31,3",
                                                     "enable"}));
    EXPECT_EQ(view.immediate, "1BEG01 = A\r\n2REF01 = X\r\n3REF01 = Y\r\n4CTT01 = 1\r\n");
    EXPECT_EQ(d.ui.eventsStartingWith("status 3"),
              (std::vector<std::string>{"status 3: 25% Complete", "status 3: 50% Complete", "status 3: 75% Complete",
                                        "status 3: 100% Complete", "status 3: ", "status 3: "}));

    // A silent run shows only the preview.
    view.events.clear();
    tr.TranslateAll(d.services, d.list("Inbox", {0}), k850, false, true);
    EXPECT_EQ(view.events, (std::vector<std::string>{"clear", "disable", "preview " + pane, "enable"}));
    EXPECT_EQ(view.immediate, "");
}

TEST(FormatElementValue, AppliesNumberAndDatePictures) {
    const struct {
        const char *value, *picture, *expected;
    } cases[] = {
        {"7", "00", "07"},           {"9.5", "0.00", "9.50"},      {"1234.5", "#,##0.0", "1,234.5"},
        {"20240305", "0000-00-00", "2024-03-05"},                 {"ABC", "00", "ABC"},
        {"", "00", ""},              {">", "0", ">"},              {"3/5/2024", "yyyymmdd", "20240305"},
        {"14:07", "hhmm", "1407"},   {"X1", "", "X1"},
    };
    for (const auto& c : cases) EXPECT_EQ(maps::FormatElementValue(c.value, c.picture), c.expected) << c.value;
}

}  // namespace
}  // namespace vt::test
