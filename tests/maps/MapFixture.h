#pragma once
// Two small maps of partner ACME (~ * > separators) and sets to run through them:
// - an 850 whose element scripts collect every value and whose segment scripts make one line
//   per PO1 loop (heading in Head, the loop in Detail, CTT appended to every line);
// - an 810 whose BIG script declares a function and counts its runs (Reset clears both), with
//   one line per IT1 written by the IT1's last element.
// Maps are stored through the repository and their layout files written to a scratch folder.

#include "maps/MapModel.h"
#include "maps/RecordLayoutFile.h"
#include "platform/automation/Recordset.h"
#include "tests/folders/FolderFixture.h"

#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace vt::test {

struct El {
    std::string type = "AN";
    std::int64_t maximum = 30;
    std::string script = "objScript.ElementToSegment";
    std::string format = {};
    bool exclude = false;
};

struct Seg {
    std::string id;
    std::int64_t node = 1;
    std::vector<El> elements;
    std::string script = {};
    std::int64_t placeholders = 1;
    bool exclude = false;
};

inline maps::Map makeMap(const maps::MapKey& key, std::initializer_list<Seg> segments) {
    maps::Map map;
    map.key = key;
    std::int64_t index = 0;
    for (const Seg& s : segments) {
        maps::SegmentRow row;
        row.segment = s.id;
        row.segmentIndex = ++index;
        row.node = s.node;
        row.placeholders = s.placeholders;
        row.exclude = s.exclude;
        row.segmentScript = s.script;
        std::int64_t e = 0;
        for (const El& el : s.elements) {
            maps::ElementRow er;
            er.segment = s.id;
            er.segmentIndex = index;
            er.elementIndex = ++e;
            er.type = el.type;
            er.maximum = el.maximum;
            er.elementScript = el.script;
            er.format = el.format;
            er.exclude = el.exclude;
            row.elements.push_back(er);
        }
        map.segments.push_back(std::move(row));
    }
    return map;
}

inline const maps::MapKey k850{"ACME", "850", "004010", "I"};
inline const maps::MapKey k810{"ACME", "810", "004010", "I"};

inline const char* kCollect = "objScript.ElementToSegment";
// Moves the segment in hand (the heading, or the loop before) into its place; a later loop
// writes the line of the one before.
inline const char* kLoopStart =
    "objScript.SegmentToSegments\n"
    "If Len(objScript.Head) = 0 Then\n"
    "  objScript.SegmentsToHead\n"
    "Else\n"
    "  objScript.SegmentsToDetail\n"
    "  objScript.WriteToLines\n"
    "End If\n";

inline maps::Map map850() {
    const El id{"ID", 3}, an{"AN", 30};
    return makeMap(k850, {
        {"BEG", 1, {id, id, an, an, {"DT", 10, kCollect, "0000-00-00"}}},
        {"REF", 1, {id, an}, "", 2},
        {"DTM", 1, {id, {"DT", 10, kCollect, "0000-00-00"}, {"TM", 4}}},
        {"N1", 1, {id, an, id, an}},
        {"N3", 2, {an}},
        {"PO1", 1,
         {an, {"N0", 9}, id, {"N2", 9}, {"AN", 2, kCollect, "", true}, id,
          {"AN", 40, "objScript.CurrentElement = objScript.PreviousElement & \"-\" & objScript.CurrentElement\n"
                     "objScript.ElementToSegment"}},
         kLoopStart},
        {"PID", 2, {id, an, an, an, an}},
        {"CTT", 1,
         {{"N0", 6,
           "objScript.ElementToSegment\nobjScript.SegmentToSegments\nobjScript.AppendToLines\n"
           "objScript.LinesToRecord Record"}},
         "objScript.SegmentToSegments\nobjScript.SegmentsToDetail\nobjScript.WriteToLines"},
    });
}

inline maps::Map map810() {
    return makeMap(k810, {
        {"BIG", 1,
         {{"DT", 10, kCollect, "0000-00-00"}, {"AN", 22}, {"DT", 10, kCollect, "", true}, {"AN", 22}},
         "runs = runs + 1\nFunction Cents(v)\n  Cents = CStr(CDbl(v) / 100)\nEnd Function"},
        {"IT1", 1,
         {{"AN", 6}, {"N0", 9}, {"ID", 2},
          {"R", 9, "objScript.ElementToSegment\nobjScript.SegmentToSegments\nobjScript.WriteToLines"}},
         "If Len(objScript.Head) = 0 Then objScript.SegmentToSegments : objScript.SegmentsToHead"},
        {"TDS", 1,
         {{"N2", 9,
           "objScript.CurrentElement = Cents(objScript.CurrentElement)\nobjScript.ElementToSegment\n"
           "objScript.SegmentToSegments\nobjScript.AppendToLines"}}},
        {"CTT", 1,
         {{"N0", 6,
           "objScript.CurrentElement = CStr(runs)\nobjScript.ElementToSegment\nobjScript.SegmentToSegments\n"
           "objScript.AppendToLines\nobjScript.LinesToRecord Record"}}},
    });
}

// An 850 set: the heading, two PO1 loops and the CTT.
inline std::string set850(const std::string& control = "0001", const std::string& po = "PO-1") {
    return "ST*850*" + control +
           "~BEG*00*SA*" + po + "**20240305~REF*DP*038~REF*IA*VEND1~DTM*002*20240320*1407~"
           "N1*ST*ACME WAREHOUSE~N3*12 DOCK ROAD~"
           "PO1*1*10*EA*9.95**BP*WIDGET~PID*F****BLUE WIDGET~"
           "PO1*2*4*BX*12.5**BP*GADGET~PID*F****GADGET BOX~"
           "CTT*2~SE*13*" + control + "~";
}

inline std::string set810(const std::string& control = "0001") {
    return "ST*810*" + control +
           "~BIG*20240310*INV-1*20240305*PO-1~IT1*1*3*EA*14.95~IT1*2*1*EA*5~TDS*4985~CTT*2~SE*7*" + control + "~";
}

// An outbound 850 map over the Integrator's columns PO, Line, Item, Qty, Price and Note, and their
// layout file.
inline const maps::MapKey kOut{"ACME", "850", "004010", "O"};

inline std::string element(const std::string& value) { return "objScript.CurrentElement = " + value; }

// Heading BEG and DTM, detail PO1 (and REF only for a row with a note), summary CTT counting the
// group's lines from the group's last row.
inline maps::Map outboundMap() {
    maps::Map map = makeMap(kOut, {
        {"BEG", 1, {{"ID", 2, element("\"00\"")}, {"ID", 2, element("\"SA\"")}, {"AN", 22, element("Record(\"PO\")")},
                    {"AN", 30, ""}, {"DT", 8, element("\"20240305\"")}}},
        {"DTM", 1, {{"ID", 3, element("\"002\"")}, {"DT", 8, element("\"20240320\"")}}},
        {"PO1", 1, {{"AN", 6, element("Record(\"Line\")")}, {"N0", 9, element("Record(\"Qty\")"), "00000"},
                    {"ID", 2, element("\"EA\"")}, {"R", 9, element("Record(\"Price\")")},
                    {"AN", 2, element("\"XX\""), "", true}, {"ID", 2, element("\"BP\"")},
                    {"AN", 40, element("Record(\"Item\")")}}},
        {"REF", 1, {{"ID", 2, element("\"ZZ\"")}, {"AN", 30, element("Record(\"Note\")")}},
         "If Len(Record(\"Note\")) = 0 Then objScript.CurrentSegment = \"\""},
        {"CTT", 1, {{"N0", 6, element("Record(\"Line\")")}}},
    });
    const char* levels[] = {"H", "H", "D", "D", "S"};
    for (std::size_t i = 0; i < map.segments.size(); ++i) map.segments[i].level = levels[i];
    return map;
}

inline const char* kLayout = "PO\t200\t20\r\nLine\t3\t4\r\nItem\t200\t40\r\nQty\t131\t9\t0\r\nPrice\t131\t9\t2\r\n"
                             "Note\t200\t30\r\n\r\n";

// A folder database with both maps stored and their layout files in its own ActiveX folder.
struct MapDb : FolderDb {
    MapDb() {
        activeX = folder() / "ActiveX";
        std::filesystem::create_directories(activeX);
        settings.set("Folders", "ActiveX", activeX.string());
        store(map850());
        store(map810());
    }
    void store(maps::Map map) {
        maps::SaveMap(db, map);
        maps::WriteRecordLayout(services, map.key);
    }
    std::int64_t addSet(const std::string& tset, const std::string& transaction = "850") {
        Item i;
        i.transaction = transaction;
        i.tset = tset;
        return add("Inbox", i);
    }
    std::filesystem::path activeX;
};

// Every row of a record set as its values joined by "|" (the record's own text forms).
// A MapDb with the outbound map, partner ACME's envelope values, the map's Transactions row
// (group PO, no override, next control number 1), Import and Outbound folders and the layout file.
struct OutboundDb : MapDb {
    std::filesystem::path import = folder() / "Import", outbound = folder() / "Outbound";
    OutboundDb() {
        std::filesystem::create_directories(import);
        std::filesystem::create_directories(outbound);
        settings.set("Folders", "Import", import.string());
        settings.set("Folders", "Outbound", outbound.string());
        db.exec("UPDATE Partner SET ISA01 = '00', ISA02 = '          ', ISA03 = '00', ISA04 = '          ', "
                "ISA05 = 'ZZ', ISA06 = 'OWNID          ', ISA07 = 'ZZ', ISA08 = 'PARTID         ', ISA11 = 'U', "
                "ISA12 = '00401', ISA14 = '0', ISA15 = 'P', GS02 = 'OWNAPP', GS03 = 'PARTAPP', GS07 = 'X'");
        db.exec("INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction, \"Group\", Versionoverride, "
                "ControlNumber) VALUES ('ACME', '850', '004010', 'O', 'PO', '', '1')");
        store(outboundMap());
        write("ACME_850_004010_O.ADO", kLayout);
    }
    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(import / name, std::ios::binary) << bytes;
    }
};

inline std::vector<std::string> rows(automation::Recordset& rs) {
    std::vector<std::string> out;
    if (rs.recordCount() == 0) return out;
    rs.moveFirst();
    while (!rs.eof()) {
        std::string line;
        for (std::size_t f = 0; f < rs.fieldCount(); ++f) {
            if (f) line += "|";
            line += automation::toText(rs.value(f));
        }
        out.push_back(line);
        rs.moveNext();
    }
    return out;
}

inline std::string fieldNames(const automation::Recordset& rs) {
    std::string out;
    for (std::size_t f = 0; f < rs.fieldCount(); ++f) out += (f ? " " : "") + rs.fieldDef(f).name;
    return out;
}

}  // namespace vt::test
