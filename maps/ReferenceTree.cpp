#include "maps/ReferenceTree.h"

#include "core/ErrorReporter.h"
#include "core/RecordLayout.h"
#include "core/RunError.h"
#include "folders/OutputFile.h"
#include "maps/RecordLayoutFile.h"
#include "platform/automation/Object.h"
#include "platform/automation/Recordset.h"
#include "platform/automation/Variant.h"
#include "platform/settings/Settings.h"

#include <fstream>

namespace vt::maps {

const std::array<std::string_view, 93> kScriptFunctions = {
    "Abs", "Array", "Asc", "Atn", "CBool", "CByte", "CCur", "CDate", "CDbl", "Chr", "CInt", "CLng", "Cos",
    "CreateObject", "CSng", "CStr", "Date", "DateAdd", "DateDiff", "DatePart", "DateSerial", "DateValue", "Day",
    "Eval", "Exp", "Filter", "Fix", "FormatCurrency", "FormatDateTime", "FormatNumber", "FormatPercent",
    "GetLocale", "GetObject", "GetRef", "Hex", "Hour", "InputBox", "InStr", "InStrRev", "Int", "IsArray",
    "IsDate", "IsEmpty", "IsNull", "IsNumeric", "IsObject", "Join", "LBound", "LCase", "Left", "Len",
    "LoadPicture", "Log", "LTrim", "Mid", "Minute", "Month", "MonthName", "MsgBox", "Now", "Oct", "Replace",
    "RGB", "Right", "Rnd", "Round", "RTrim", "ScriptEngine", "ScriptEngineBuildVersion",
    "ScriptEngineMajorVersion", "ScriptEngineMinorVersion", "Second", "SetLocale", "Sgn", "Sin", "Space",
    "Split", "Sqr", "StrComp", "String", "StrReverse", "Tan", "Time", "Timer", "TimeSerial", "TimeValue", "Trim",
    "UBound", "UCase", "VarType", "Weekday", "WeekdayName", "Year"};

const std::array<std::string_view, 27> kScriptStatements = {
    "Call", "Class ... End Class", "Const", "Dim", "Do ... Loop", "Erase", "Execute", "Exit", "For ... Next",
    "For Each ... Next", "Function", "If", "On Error", "Option Explicit", "Private", "Property Get",
    "Property Let", "Property Set", "Public", "Randomize", "ReDim", "Rem", "Select Case", "Set", "Sub", "While",
    "With ... End With"};

const std::array<std::string_view, 21> kScriptOperators = {"And", "Eqv", "Imp", "Is", "Mod", "Not", "Or",
                                                           "Xor", "=",   "<",   ">",   "<=", ">=", "<>",
                                                           "+",   "&",   "-",   "/",   "\\", "*",  "^"};

namespace {

ReferenceNode leaf(std::string_view branch, std::string_view key, std::string_view text) {
    return ReferenceNode{BranchKey(branch, key), std::string(text), std::string(branch)};
}


}  // namespace

std::string RecordFieldText(std::string_view name) { return "Record.Fields.Item(\"" + std::string(name) + "\")"; }

std::string BranchKey(std::string_view branch, std::string_view key) {
    return std::string(branch) + "/" + std::string(key);
}

std::vector<ReferenceNode> ReferenceMethods(bool outbound) {
    std::vector<ReferenceNode> out;
    for (std::string_view m : {"objScript.ElementToSegment", "objScript.SegmentToSegments", "objScript.SegmentsToHead",
                               "objScript.SegmentsToDetail", "objScript.SegmentsToTail", "objScript.WriteToLines",
                               "objScript.AppendToLines"})
        out.push_back(leaf("Methods", m, m));
    // A dragged call of LinesToRecord is ready for the next word on an inbound map.
    out.push_back(leaf("Methods", "objScript.LinesToRecord Record",
                       outbound ? "objScript.LinesToRecord Record" : "objScript.LinesToRecord Record "));
    if (!outbound) out.push_back(leaf("Methods", "objScript.WriteToFile FileName, Data", "objScript.WriteToFile FileName, Data"));
    return out;
}

std::vector<ReferenceNode> ReferenceProperties(bool outbound) {
    static constexpr std::string_view outboundList[] = {"objScript.CurrentElement", "objScript.CurrentSegment"};
    static constexpr std::string_view inboundList[] = {
        "objScript.ElementDelimiter", "objScript.SegmentTerminator", "objScript.SubElementSeparator",
        "objScript.CurrentElement",   "objScript.PreviousElement",   "objScript.NextElement",
        "objScript.CurrentSegment",   "objScript.PreviousSegment",   "objScript.NextSegment",
        "objScript.Segment",          "objScript.Segments",          "objScript.Head",
        "objScript.Detail",           "objScript.Tail",              "objScript.Lines"};
    std::vector<ReferenceNode> out;
    if (outbound)
        for (std::string_view p : outboundList) out.push_back(leaf("Properties", p, p));
    else
        for (std::string_view p : inboundList) out.push_back(leaf("Properties", p, p));
    return out;
}

std::filesystem::path ResultsLayoutPath(const Settings& settings, const MapKey& key) {
    const std::string name = MapKey{key.partner, key.transaction, key.version, "O"}.text() + ".ADO";
    if (!folders::IsPlainNamePart(name)) throw core::invalidCallError();
    return FoldersSetting(settings, "Import") / name;
}

std::vector<ReferenceNode> LoadResultsLayout(const core::Services& s, const MapKey& key) {
    std::vector<ReferenceNode> out;
    try {
        const std::filesystem::path file = ResultsLayoutPath(s.settings, key);
        if (!std::ifstream(file, std::ios::binary)) return out;   // no extraction yet: nothing to offer, nothing to say
        // The translator's own reader decides which fields there are, so both give one answer.
        core::readRecordLayout(file, [&out](const std::string& name) {
            out.push_back(leaf("Results", name, RecordFieldText(name)));
        });
    } catch (const automation::Error& e) {
        core::ReportError(s, core::ErrorInfo{e.number, e.description});
    } catch (...) {
        core::ReportError(s);
    }
    return out;
}

std::vector<ReferenceBranch> BuildReferenceTree(const core::Services& s, const MapKey& key) {
    std::vector<ReferenceBranch> tree;
    tree.reserve(7);
    auto branch = [&](std::string_view name) -> ReferenceBranch& {
        tree.push_back(ReferenceBranch{ReferenceNode{std::string(name), std::string(name), std::string(name)}, {}});
        return tree.back();
    };
    const bool outbound = key.direction == "O";
    if (outbound) branch("Results").children = LoadResultsLayout(s, key);
    ReferenceBranch& record = branch("Record");
    try {
        if (auto fields = WriteRecordLayout(s, key))
            for (const LayoutField& f : *fields)
                record.children.push_back(leaf("Record", RecordFieldText(f.name), RecordFieldText(f.name)));
    } catch (...) {
        // The writer reports its own failures; the branch stays as far as it got.
    }
    branch("Methods").children = ReferenceMethods(outbound);
    branch("Properties").children = ReferenceProperties(outbound);
    ReferenceBranch& functions = branch("Functions");
    for (std::string_view w : kScriptFunctions) functions.children.push_back(leaf("Functions", w, w));
    ReferenceBranch& statements = branch("Statements");
    for (std::string_view w : kScriptStatements) statements.children.push_back(leaf("Statements", w, w));
    ReferenceBranch& operators = branch("Operators");
    for (std::string_view w : kScriptOperators) operators.children.push_back(leaf("Operators", w, w));
    return tree;
}

}  // namespace vt::maps
