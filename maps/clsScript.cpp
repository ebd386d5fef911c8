#include "maps/clsScript.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "folders/OutputFile.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace vt::maps {

using automation::Args;
using automation::Members;
using automation::Recordset;
using automation::Variant;
namespace adtype = automation::adtype;

namespace {

// A text register: Let stores the value as text, Get returns it unchanged.
void textRegister(Members<clsScript>& t, std::string_view name, std::string clsScript::*field) {
    t.let(name, [field](clsScript& o, Args&, const Variant& v) { o.*field = automation::toString(v); });
    t.get(name, [field](clsScript& o, Args&) { return Variant(o.*field); });
}

std::vector<std::string> linesOf(const Variant& value) {
    const Variant v = value.isObject() ? automation::defaultValue(value) : value;
    if (!v.isArray() || v.arrayValue().dimensions() != 1) automation::raise(automation::err::TypeMismatch);
    std::vector<std::string> lines;
    lines.reserve(v.arrayValue().size());
    for (const Variant& item : v.arrayValue().elements()) lines.push_back(automation::toText(item));
    return lines;
}

// The "Type = .." row of a refused value, by the field's type ("" for other types).
std::string_view typeCode(int adoType) {
    switch (adoType) {
    case adtype::VarChar: return "ID";
    case adtype::Date: return "DT";
    case adtype::DBTime: return "TM";
    case adtype::Single: return "R";
    case adtype::Numeric: return "N";
    default: return {};
    }
}

}  // namespace

clsScript::clsScript(const core::Services& s, std::function<void(std::string_view)> echo)
    : s_(s), echo_(std::move(echo)) {}

const Members<clsScript>& clsScript::members() {
    static const Members<clsScript> m = [] {
        Members<clsScript> t("clsScript");
        auto method0 = [&t](std::string_view name, void (clsScript::*fn)()) {
            t.method(name, {}, [fn](clsScript& o, Args&) {
                (o.*fn)();
                return Variant();
            });
        };
        method0("ElementToSegment", &clsScript::ElementToSegment);
        method0("SegmentToSegments", &clsScript::SegmentToSegments);
        method0("SegmentsToHead", &clsScript::SegmentsToHead);
        method0("SegmentsToDetail", &clsScript::SegmentsToDetail);
        method0("SegmentsToTail", &clsScript::SegmentsToTail);
        method0("WriteToLines", &clsScript::WriteToLines);
        method0("AppendToLines", &clsScript::AppendToLines);
        t.method("WriteToFile", {2, 2}, [](clsScript& o, Args& a) {
            o.WriteToFile(a.string(0), a.string(1));
            return Variant();
        });
        t.method("ReadLines", {1, 1}, [](clsScript& o, Args& a) {
            const double index = automation::toDouble(a.value(0));
            if (index < -2147483648.0 || index > 2147483647.0) automation::raise(automation::err::SubscriptOutOfRange);
            return Variant(o.ReadLines(a.int32(0)));
        });
        textRegister(t, "SubElementSeparator", &clsScript::SubElementSeparator);
        textRegister(t, "Segments", &clsScript::Segments);
        textRegister(t, "Segment", &clsScript::Segment);
        textRegister(t, "Tail", &clsScript::Tail);
        textRegister(t, "Detail", &clsScript::Detail);
        textRegister(t, "Head", &clsScript::Head);
        textRegister(t, "NextElement", &clsScript::NextElement);
        textRegister(t, "PreviousElement", &clsScript::PreviousElement);
        textRegister(t, "PreviousSegment", &clsScript::PreviousSegment);
        textRegister(t, "NextSegment", &clsScript::NextSegment);
        textRegister(t, "CurrentSegment", &clsScript::CurrentSegment);
        textRegister(t, "CurrentElement", &clsScript::CurrentElement);
        textRegister(t, "ElementDelimiter", &clsScript::ElementDelimiter);
        textRegister(t, "SegmentTerminator", &clsScript::SegmentTerminator);
        textRegister(t, "FileName", &clsScript::FileName);
        // Write-only: objScript.Record = arr, and objScript.Record arr.
        t.let("Record", [](clsScript& o, Args&, const Variant& v) { o.SetRecord(linesOf(v)); });
        t.method("Record", {1, 1}, [](clsScript& o, Args& a) {
            o.SetRecord(linesOf(a.raw(0)));
            return Variant();
        });
        t.get("Lines", [](clsScript& o, Args&) {
            std::vector<Variant> items(o.Lines().begin(), o.Lines().end());
            return Variant::array(std::move(items));
        });
        t.method("LinesToRecord", {1, 1}, [](clsScript& o, Args& a) {
            auto* record = a.raw(0).objectAs<Recordset>();
            if (!record) {
                core::LogHistory(o.s_, "Error", "Error - Object required - Element = " + o.CurrentSegment +
                                                    " Verify Mapping");
                automation::raise(automation::err::ObjectRequired);
            }
            o.LinesToRecord(*record);
            return Variant();
        });
        return t;
    }();
    return m;
}

void clsScript::ElementToSegment() { Segment += CurrentElement + ElementDelimiter; }

void clsScript::SegmentToSegments() {
    Segments += Segment;
    Segment.clear();
}

void clsScript::SegmentsToHead() {
    Head = Segments;
    Segments.clear();
    Segment.clear();
}

void clsScript::SegmentsToDetail() {
    Detail = Segments;
    Segments.clear();
    Segment.clear();
}

void clsScript::SegmentsToTail() {
    Tail = Segments;
    Segments.clear();
    Segment.clear();
}

void clsScript::WriteToFile(std::string_view fileName, std::string_view data) {
    std::string name(fileName);
    for (char& c : name)
        if (c == '\\') c = '/';
    try {
        folders::ReplaceFile(std::filesystem::path(name), data);
    } catch (const core::RunError& e) {
        automation::raise(std::int32_t(e.number()), "clsScript", e.description());
    } catch (const std::exception&) {
        automation::raise(75, "clsScript", "Path/File access error");
    }
}

void clsScript::WriteToLines() {
    lines_.resize(std::size_t(lineCount_) + 1);
    lines_[std::size_t(lineCount_)] = Head + Detail + Tail + Segments;
    ++lineCount_;
    Segment.clear();
    Segments.clear();
}

void clsScript::AppendToLines() {
    for (std::string& line : lines_) line += Segments;
    Segment.clear();
    Segments.clear();
}

const std::string& clsScript::ReadLines(std::int64_t index) const {
    if (index < 0 || std::uint64_t(index) >= lines_.size()) automation::raise(automation::err::SubscriptOutOfRange);
    return lines_[std::size_t(index)];
}

void clsScript::SetRecord(std::vector<std::string> lines) { lines_ = std::move(lines); }

std::optional<std::string> clsScript::typeDefault(int adoType) const {
    switch (adoType) {
    case adtype::VarChar: return std::string();
    case adtype::Date: return text::formatDate(s_.clock.now(), "MM/DD/YYYY");
    case adtype::DBTime: return text::formatDate(s_.clock.now(), "HHMM");
    case adtype::Single:
    case adtype::Numeric: return std::string("0");
    default: return std::nullopt;
    }
}

void clsScript::LinesToRecord(Recordset& record) {
    if (lines_.empty()) {
        core::LogHistory(s_, "Error", "Report Record is Empty");
        return;
    }
    const std::size_t fieldCount = record.isOpen() ? record.fieldCount() : 0;
    const bool echo = echo_ && !core::gSilent;
    const std::string_view delimiter = ElementDelimiter;
    std::string value;
    for (const std::string& line : lines_) {
        bool adding = false;
        std::size_t field = 0;
        try {
            record.addNew();
            adding = true;
            std::string_view rest = line;
            bool piecesLeft = true;
            for (; field < fieldCount; ++field) {
                const int type = record.fieldDef(field).type;
                // A line built with ElementToSegment ends with the delimiter: nothing after it is a piece.
                if (piecesLeft && rest.empty() && !delimiter.empty() && line.size() >= delimiter.size() &&
                    std::string_view(line).substr(line.size() - delimiter.size()) == delimiter)
                    piecesLeft = false;
                if (piecesLeft) {
                    const std::size_t at = delimiter.empty() ? std::string_view::npos : rest.find(delimiter);
                    if (at == std::string_view::npos) {
                        value.assign(rest);
                        piecesLeft = false;
                    } else {
                        value.assign(rest.substr(0, at));
                        rest.remove_prefix(at + delimiter.size());
                    }
                    if (value == SubElementSeparator)
                        if (auto def = typeDefault(type)) value = std::move(*def);
                } else if (auto def = typeDefault(type)) {
                    // Past the last piece of a short line.
                    value = std::move(*def);
                } else {
                    value.clear();
                    if (echo) echo_(record.fieldDef(field).name + " = \r\n");
                    continue;   // left Null
                }
                record.setValue(field, Variant(value));
                if (echo) echo_(record.fieldDef(field).name + " = " + value + "\r\n");
            }
            record.update();
            adding = false;
            record.moveFirst();
        } catch (const automation::Error& e) {
            if (e.number == automation::aderr::ErrorsOccurred && field < fieldCount) {
                const std::string_view code = typeCode(record.fieldDef(field).type);
                if (!code.empty()) core::LogHistory(s_, "Error", "Type = " + std::string(code));
                core::LogHistory(s_, "Error", "Name = " + record.fieldDef(field).name);
                core::LogHistory(s_, "Error", "Value = " + value);
            } else {
                core::LogHistory(s_, "Error", "Error - " + e.description + " - Element = " + CurrentSegment +
                                                  " Verify Mapping");
            }
            if (adding) {
                try {
                    record.cancelUpdate();
                } catch (...) {
                }
            }
            throw;
        }
        s_.ui.yield();
    }
}

}  // namespace vt::maps
