#pragma once
// The record-layout reader: a ".ADO" file (one field a line: name, TAB, ADO type number, TAB,
// defined size; for types 131 and 14 the size is the precision and a fourth column the scale)
// becomes an open, empty in-memory record set.

#include "core/Services.h"
#include "platform/automation/Recordset.h"

#include <filesystem>
#include <istream>
#include <string>
#include <vector>

namespace vt::core {

// Line pieces for readers that check a layout file's lines as readRecordLayout does.
std::vector<std::string> splitLayoutLine(const std::string& line);          // at each TAB
const std::string& layoutPiece(const std::vector<std::string>& pieces, std::size_t i);   // error 9 past the end
bool readLayoutLine(std::istream& in, std::string& line);                   // without its CR; false past the end

// Reads `layoutFile` (1252 text) up to its first empty line or its end. Throws
// automation::Error: 53 missing file, 62 empty file, 9 a line without its size (or a numeric
// line without its scale), 13 a type or size that is not a number, 6 a precision or scale
// outside 0..255, 3367 a duplicate name, 3001 an unsupported type, 3709 no fields at all.
automation::Ref<automation::Recordset> readRecordLayout(const std::filesystem::path& layoutFile);

// As readRecordLayout, but an error goes to ReportError and the result is empty.
automation::Ref<automation::Recordset> OpenRecordsetFromLayout(const Services& s,
                                                              const std::filesystem::path& layoutFile);

}  // namespace vt::core
