#pragma once
// The object map scripts see as objScript: position registers (current, previous and next
// segment and element), the separators of the partner, a chain of text buffers (Segment,
// Segments, Head, Detail, Tail, numbered lines) and LinesToRecord, which turns the lines into
// rows of the translated record set. Late-bound as "clsScript"; members are case-insensitive.

#include "core/Services.h"
#include "platform/automation/Object.h"
#include "platform/automation/Recordset.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::maps {

class clsScript final : public automation::Dispatch<clsScript> {
public:
    // `echo`, when set, receives "name = value" CR LF for every stored field while core::gSilent
    // is false (the designer's Immediate pane).
    explicit clsScript(const core::Services& s, std::function<void(std::string_view)> echo = {});
    static const automation::Members<clsScript>& members();

    // Registers (read and written by scripts and the translators).
    std::string FileName, SegmentTerminator, ElementDelimiter, SubElementSeparator;
    std::string CurrentSegment, NextSegment, PreviousSegment;
    std::string CurrentElement, PreviousElement, NextElement;
    std::string Segment, Segments, Head, Detail, Tail;

    void ElementToSegment();
    void SegmentToSegments();
    void SegmentsToHead();
    void SegmentsToDetail();
    void SegmentsToTail();
    // Writes the text (1252 bytes, no line end added) as the file, replacing it; a failure is a
    // run-time error (76 path not found, 75 access error) for the script.
    void WriteToFile(std::string_view fileName, std::string_view data);
    // Head & Detail & Tail & Segments become line number LineCount; Segment and Segments empty.
    void WriteToLines();
    // Segments is appended to every line; Segment and Segments empty.
    void AppendToLines();
    // Error 9 outside the buffer.
    const std::string& ReadLines(std::int64_t index) const;
    // Replaces the line buffer (the line count stays).
    void SetRecord(std::vector<std::string> lines);
    const std::vector<std::string>& Lines() const { return lines_; }
    std::int64_t LineCount() const { return lineCount_; }

    // Appends one row per line to `record`, splitting each line at ElementDelimiter across the
    // fields in order. The missing-value marker (SubElementSeparator), and every field past the
    // last piece of a line, take the default of the field's type. A value the record set refuses
    // is logged ("Type = ..", "Name = ..", "Value = .."), its row is dropped and the error is
    // raised to the script; an empty buffer logs "Report Record is Empty" and adds nothing.
    void LinesToRecord(automation::Recordset& record);

private:
    // The value a missing element of a field of that type gets; nothing for other types.
    std::optional<std::string> typeDefault(int adoType) const;

    const core::Services& s_;
    std::function<void(std::string_view)> echo_;
    std::vector<std::string> lines_;
    std::int64_t lineCount_ = 0;
};

}  // namespace vt::maps
