// objScript as scripts use it: the buffer chain, the line buffer, WriteToFile, and LinesToRecord
// with its type defaults, short lines, the echo and its History texts.

#include "MapFixture.h"

#include "core/Globals.h"
#include "maps/clsScript.h"
#include "platform/vbscript/ScriptControl.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vt::test {
namespace {

using automation::Variant;
namespace adtype = automation::adtype;

struct ScriptRig {
    FolderDb d;
    std::string echoed;
    automation::Ref<maps::clsScript> obj =
        automation::makeRef<maps::clsScript>(d.services, [this](std::string_view t) { echoed += t; });
    automation::Ref<automation::Recordset> record = automation::Recordset::create();
    vbscript::ScriptControl sc;

    ScriptRig() {
        obj->ElementDelimiter = "+";
        obj->SubElementSeparator = ">";
        sc.addObject("objScript", Variant(obj));
        core::gSilent = true;
    }
    ~ScriptRig() { core::gSilent = false; }
    void fields(std::initializer_list<std::pair<int, int>> typeAndSize) {
        int n = 0;
        for (auto [type, size] : typeAndSize) {
            record->appendField("F" + std::to_string(++n), type, size);
            if (type == adtype::Numeric) record->setPrecision(record->fieldCount() - 1, 9);
        }
        record->open();
        sc.addObject("Record", Variant(record));
    }
    std::string eval(const std::string& code, const std::string& expression) {
        sc.addCode(code);
        return automation::toText(sc.eval(expression));
    }
};

struct ScriptObject : ::testing::Test, ScriptRig {};

TEST_F(ScriptObject, BufferChain) {
    const struct {
        const char *code, *expression, *expected;
    } cases[] = {
        {"objScript.CurrentElement = \"A\" : objScript.ElementToSegment", "objScript.Segment", "A+"},
        {"objScript.CurrentElement = \"B\" : objScript.ElementToSegment", "objScript.Segment", "A+B+"},
        {"objScript.SegmentToSegments", "objScript.Segments & \"|\" & objScript.Segment", "A+B+|"},
        {"objScript.Segments = \"X+Y+\" : objScript.Segment = \"Q\" : objScript.SegmentsToHead",
         "objScript.Head & \"|\" & objScript.Segments & \"|\" & objScript.Segment", "X+Y+||"},
        {"objScript.Segments = \"D+\" : objScript.SegmentsToDetail : objScript.Segments = \"T+\" : "
         "objScript.SegmentsToTail : objScript.Segments = \"S+\" : objScript.WriteToLines",
         "objScript.ReadLines(0) & \"|\" & objScript.Segments", "X+Y+D+T+S+|"},
        {"objScript.WriteToLines : objScript.Segments = \"Z+\" : objScript.AppendToLines",
         "Join(objScript.Lines, \",\") & \"|\" & objScript.Segments", "X+Y+D+T+S+Z+,X+Y+D+T+Z+|"},
        // Replacing the buffer keeps the line count: the next line goes to index 2.
        {"objScript.Record = Array(\"a\", \"b\", \"c\", \"d\") : objScript.Head = \"n\" : objScript.Detail = \"\" : "
         "objScript.Tail = \"\" : objScript.WriteToLines",
         "Join(objScript.Lines, \",\")", "a,b,n"},
        {"objScript.Record Array(1, \"x\")", "Join(objScript.Lines, \",\") & UBound(objScript.Lines)", "1,x1"},
        {"objScript.FileName = \"f\" : objScript.NextSegment = \"N1\"", "objScript.FileName & objScript.NEXTSEGMENT",
         "fN1"},
    };
    for (const auto& c : cases) EXPECT_EQ(eval(c.code, c.expression), c.expected) << c.code;
}

TEST_F(ScriptObject, ReadLinesOutsideTheBufferIsError9) {
    EXPECT_EQ(eval("", "UBound(objScript.Lines)"), "-1");
    EXPECT_EQ(eval("On Error Resume Next : x = objScript.ReadLines(0) : e = Err.Number", "e"), "9");
    EXPECT_EQ(eval("objScript.WriteToLines : objScript.WriteToLines : objScript.WriteToLines", "UBound(objScript.Lines)"),
              "2");
    EXPECT_EQ(eval("On Error Resume Next : x = objScript.ReadLines(3) : e = Err.Number", "e"), "9");
    // No 16-bit counter: lines past 32,767 are kept, not wrapped over earlier ones.
    EXPECT_EQ(eval("For i = 1 To 33000 : objScript.Head = CStr(i) : objScript.WriteToLines : Next",
                   "objScript.ReadLines(32770) & \" \" & objScript.ReadLines(3)"),
              "32768 1");
}

TEST_F(ScriptObject, LinesToRecordFillsDefaultsForMarkersAndShortLines) {
    fields({{adtype::VarChar, 10}, {adtype::Date, 8}, {adtype::DBTime, 4}, {adtype::Numeric, 9}, {adtype::Single, 9}});
    sc.addCode("objScript.Record = Array(\"ABC+>+>+>+>+\", \"A+\", \"A+12/1/2023\", \">+12/31/2023+0930+12.5+1.5\")\n"
               "objScript.LinesToRecord Record");
    EXPECT_EQ(record->absolutePosition(), 1);
    EXPECT_EQ(rows(*record), (std::vector<std::string>{
                                 "ABC|3/5/2024|2:07:00 PM|0|0",
                                 "A|3/5/2024|2:07:00 PM|0|0",
                                 "A|12/1/2023|2:07:00 PM|0|0",
                                 "|12/31/2023|9:30:00 AM|12|1.5",   // N0: no decimals
                             }));
    EXPECT_EQ(d.history(), "");
    EXPECT_EQ(echoed, "");
}

TEST_F(ScriptObject, LinesToRecordEchoesFieldsUnlessSilent) {
    fields({{adtype::VarChar, 10}, {adtype::VarChar, 10}});
    core::gSilent = false;
    sc.addCode("objScript.Record = Array(\"A+B+\") : objScript.LinesToRecord Record");
    EXPECT_EQ(echoed, "F1 = A\r\nF2 = B\r\n");
    core::gSilent = true;
    sc.addCode("objScript.LinesToRecord Record");
    EXPECT_EQ(echoed, "F1 = A\r\nF2 = B\r\n");
    EXPECT_EQ(record->recordCount(), 2);
}

TEST_F(ScriptObject, LinesToRecordLogsAnEmptyBuffer) {
    fields({{adtype::VarChar, 10}});
    sc.addCode("objScript.LinesToRecord Record");
    EXPECT_EQ(record->recordCount(), 0);
    EXPECT_EQ(d.history(), "Error:Report Record is Empty");
}

TEST_F(ScriptObject, ARefusedValueDropsItsRowAndFailsTheScript) {
    // The first line is short: its second field takes the type's default (Null for other types).
    const struct {
        int type;
        const char *line, *history, *firstRow;
    } cases[] = {
        {adtype::VarChar, "OK+TOO LONG+", "Error:Type = ID|Error:Name = F2|Error:Value = TOO LONG", "A|"},
        {adtype::Date, "OK+NOT A DATE+", "Error:Type = DT|Error:Name = F2|Error:Value = NOT A DATE", "A|3/5/2024"},
        {adtype::Numeric, "OK+1234567890+", "Error:Type = N|Error:Name = F2|Error:Value = 1234567890", "A|0"},
        {adtype::Integer, "OK+X+", "Error:Name = F2|Error:Value = X", "A|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ScriptRig t;
        t.fields({{adtype::VarChar, 5}, {c.type, 5}});
        t.sc.addCode(std::string("objScript.Record = Array(\"A+\", \"") + c.line + "\", \"B+\")");
        try {
            t.sc.addCode("objScript.LinesToRecord Record");
            ADD_FAILURE() << "no error";
        } catch (const vbscript::ScriptException& e) {
            EXPECT_EQ(e.error.number, automation::aderr::ErrorsOccurred);
        }
        EXPECT_EQ(rows(*t.record), std::vector<std::string>{c.firstRow});
        EXPECT_EQ(t.d.history(), c.history);
    }
}

TEST_F(ScriptObject, WriteToFileWritesTheTextOrRaisesToTheScript) {
    const std::filesystem::path file = d.folder() / "out.txt";
    sc.addCode("objScript.WriteToFile \"" + file.string() + "\", \"A\" & Chr(233) & vbCrLf & \"B\"");
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes, "A\xe9\r\nB");
    EXPECT_EQ(eval("On Error Resume Next : objScript.WriteToFile \"" + (d.folder() / "none" / "x.txt").string() +
                       "\", \"A\" : e = Err.Number",
                   "e"),
              "76");
    EXPECT_FALSE(std::filesystem::exists(d.folder() / "none"));
}

}  // namespace
}  // namespace vt::test
