#pragma once
// The partner Vozezididide as the plug-in sees it: its 830 and 862 maps (stored with their layout
// files), sets to translate through the real translator, the plug-in loaded by name from the
// build's ActiveX folder with the program's host services over a scratch database.
//
// The maps' scripts keep every element in an array slot named by its field and write one line
// per FST: values that come after the FST in the set (the SHP records of an 830 item, the CTT
// totals of an 862) are taken when the lines are written.

#include "core/PluginHost.h"
#include "maps/MapTranslator.h"
#include "platform/automation/ClassRegistry.h"
#include "tests/maps/MapFixture.h"

#include <QApplication>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

namespace vt::test {

// The one application object of the suite, made on first use (windows and reports need it).
inline QApplication& application() {
    static int argc = 1;
    static char name[] = "test_brackwen";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

inline const maps::MapKey k830{"Vozezididide", "830", "002000", "I"};
inline const maps::MapKey k862{"Vozezididide", "862", "003020", "I"};

// One map row: its segment, how many elements, each element's type and maximum length.
struct PlanRow {
    std::string id;
    std::vector<std::pair<std::string, int>> elements;
    // How far back the translator looks for a new segment after this row (a loop's last rows
    // lead back to its first).
    std::int64_t node = 1;
};

// Builds a map whose element scripts store into v(field index). Consecutive rows of one segment
// id take that id's 1st, 2nd, ... occurrence in a set (the translator matches a repeated id to its
// first row). The FST row's last element snapshots a line; lines are written by Flush, which fills
// fields from `lateRow` on from the current values.
inline maps::Map scriptedMap(const maps::MapKey& key, const std::vector<PlanRow>& rows, std::size_t lateRow,
                             const std::vector<std::string>& flushAtSegments, bool flushAtLastElementOfCtt) {
    // Field indexes in layout order.
    std::vector<std::size_t> firstField;
    std::size_t fields = 0;
    for (const PlanRow& r : rows) {
        firstField.push_back(fields);
        fields += r.elements.size();
    }
    const std::size_t late = firstField[lateRow - 1];
    std::ostringstream helpers;
    helpers << "Dim v(" << fields << "), snaps(500), nf, counts(40)\n"
            << "nf = 0\n"
            << "Function P(x)\n  If x = \"\" Then\n    P = objScript.SubElementSeparator\n  Else\n    P = x\n  End If\n"
               "End Function\n"
            << "Sub Flush()\n  Dim i, j, s, line\n  For i = 1 To nf\n    s = snaps(i)\n"
            << "    For j = " << late << " To " << fields - 1 << "\n      s(j) = v(j)\n    Next\n"
            << "    line = P(s(0))\n    For j = 1 To " << fields - 1
            << "\n      line = line & objScript.ElementDelimiter & P(s(j))\n    Next\n"
            << "    objScript.Head = line\n    objScript.WriteToLines\n  Next\n  nf = 0\n"
            << "  For j = " << late << " To " << fields - 1 << "\n    v(j) = \"\"\n  Next\n"
            << "  For j = 0 To 39\n    If j >= " << lateRow << " Then counts(j) = 0\n  Next\nEnd Sub\n";

    maps::Map map;
    map.key = key;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const PlanRow& row = rows[r];
        // The first row of a run of rows with this id, and how many rows the run has.
        std::size_t first = r;
        while (first > 0 && rows[first - 1].id == row.id) --first;
        std::size_t runLength = 0;
        while (first + runLength < rows.size() && rows[first + runLength].id == row.id) ++runLength;
        const bool repeats = runLength > 1;

        maps::SegmentRow sr;
        sr.segment = row.id;
        sr.segmentIndex = std::int64_t(r + 1);
        sr.node = row.node;
        sr.placeholders = 1;
        std::string segmentScript = r == 0 ? helpers.str() : std::string();
        if (std::find(flushAtSegments.begin(), flushAtSegments.end(), row.id) != flushAtSegments.end())
            segmentScript += "Flush\n";
        if (repeats && r == first) segmentScript += "counts(" + std::to_string(first + 1) + ") = counts(" +
                                                   std::to_string(first + 1) + ") + 1\n";
        sr.segmentScript = segmentScript;
        for (std::size_t e = 0; e < row.elements.size(); ++e) {
            maps::ElementRow er;
            er.segment = row.id;
            er.segmentIndex = sr.segmentIndex;
            er.elementIndex = std::int64_t(e + 1);
            er.type = row.elements[e].first;
            er.maximum = row.elements[e].second;
            if (er.type == "DT") er.format = "0000-00-00";
            std::string script;
            if (r == first) {
                if (repeats) {
                    const std::string c = "counts(" + std::to_string(first + 1) + ")";
                    for (std::size_t k = 0; k < runLength; ++k)
                        script += "If " + c + " = " + std::to_string(k + 1) + " Then v(" +
                                  std::to_string(firstField[first + k] + e) + ") = objScript.CurrentElement\n";
                } else {
                    script = "v(" + std::to_string(firstField[r] + e) + ") = objScript.CurrentElement\n";
                }
            } else {
                script = "' matched through row " + std::to_string(first + 1) + "\n";
            }
            const bool last = e + 1 == row.elements.size();
            if (row.id == "FST" && last) script += "nf = nf + 1\nsnaps(nf) = v\n";
            if (row.id == "CTT" && last) {
                if (flushAtLastElementOfCtt) script += "Flush\n";
                script += "objScript.LinesToRecord Record\n";
            }
            er.elementScript = script;
            sr.elements.push_back(er);
        }
        map.segments.push_back(std::move(sr));
    }
    return map;
}

inline maps::Map map830() {
    const std::pair<std::string, int> id{"ID", 3}, an{"AN", 30}, dt{"DT", 8};
    const PlanRow shp{"SHP", {id, {"N0", 10}, id, dt}, 8};
    return scriptedMap(k830,
                       {
                           {"BFR", {id, an, an, id, id, dt, dt, dt, an, an, {"AN", 22}}},
                           {"NTE", {id, {"AN", 80}}},
                           {"NTE", {id, {"AN", 80}}},
                           {"N1", {id, an, id, an}},
                           {"REF", {id, an}},
                           {"LIN", {an, id, an, id, {"AN", 7}}},
                           {"UIT", {id}},
                           {"J2X", {id, id, {"AN", 80}}},
                           {"PER", {id, an}},
                           {"ATH", {id, dt}},
                           {"FST", {{"N0", 10}, id, id, dt}, 6},
                           {"SDP", {id, id}},
                           shp,
                           shp,
                           shp,
                           {"CTT", {{"N0", 6}}},
                       },
                       13, {"LIN", "CTT"}, false);
}

inline maps::Map map862() {
    const std::pair<std::string, int> id{"ID", 3}, an{"AN", 30}, dt{"DT", 8};
    const PlanRow n1{"N1", {id, an, id, an}};
    return scriptedMap(k862,
                       {
                           {"BSS", {id, an, dt, id, dt, dt, an, an, an, an, an}},
                           n1,
                           n1,
                           n1,
                           {"LIN", {an, id, an, id, an, id, an, id, an}},
                           {"UIT", {id}},
                           {"FST", {{"N0", 10}, id, id, dt}, 3},
                           {"CTT", {{"N0", 6}, {"N0", 10}}},
                           {"EXCE", {{"AN", 40}}},
                       },
                       8, {}, true);
}

// A folder database with the partner, both maps and their layouts, and the plug-in's host.
struct PartnerDb : MapDb {
    PartnerDb() {
        db.exec("INSERT INTO Standard (\"Transaction\", \"Group\", Description) VALUES "
                "('830', 'PS', 'Planning Schedule with Release Capability'), ('862', 'SS', 'Shipping Schedule')");
        db.exec("INSERT INTO Partner (Partner, Segment, element, Sub) VALUES ('Vozezididide', 126, 42, 62)");
        store(map830());
        store(map862());
        import = folder() / "Import";
        std::filesystem::create_directories(import);
        settings.set("Folders", "Import", import.string());
        registry.setHostServices(&host);
        registry.setPluginFolder(std::filesystem::path(VT_BRACKWEN_FOLDER));
    }

    std::int64_t addSet(const std::string& tset, const std::string& transaction, const std::string& version,
                        const std::string& table = "Inbox") {
        Item i;
        i.partner = "Vozezididide";
        i.transaction = transaction;
        i.version = version;
        i.tset = tset;
        return add(table, i);
    }

    // The translated record of the rows at the given positions.
    automation::Ref<automation::Recordset> translate(const std::string& table, const maps::MapKey& key,
                                                     std::initializer_list<int> selected) {
        return translator.TranslateAll(services, list(table, selected), key, false, true);
    }

    void writeImport(const std::string& name, const std::string& text) {
        std::ofstream(import / name, std::ios::binary) << text;
    }

    automation::ObjectRef create(const std::string& className) { return registry.create("Brackwen." + className); }

    std::filesystem::path import;
    maps::MapTranslator translator;
    core::PluginHost host{services};
    automation::ClassRegistry registry;
};

// Calls ActiveX as the main window does: six arguments by reference.
inline automation::Variant callActiveX(const automation::ObjectRef& handler, automation::Variant& rs1,
                                       automation::Variant& rs2, const maps::MapKey& key) {
    automation::Variant partner(key.partner), transaction(key.transaction), version(key.version),
        direction(key.direction);
    automation::Variant* args[] = {&rs1, &rs2, &partner, &transaction, &version, &direction};
    return handler->invoke("ActiveX", automation::InvokeKind::Method, args);
}

}  // namespace vt::test
