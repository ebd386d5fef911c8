#pragma once
// The record-layout reader: a ".ADO" file (one field a line: name, TAB, ADO type number, TAB,
// defined size; for types 131 and 14 the size is the precision and a fourth column the scale)
// becomes an open, empty in-memory record set.

#include "core/Services.h"
#include "platform/automation/Recordset.h"

#include <filesystem>
#include <functional>
#include <string>

namespace vt::core {

// Reads `layoutFile` (1252 text) up to its first empty line or its end. Throws
// automation::Error: 53 missing file, 62 empty file, 9 a line without its size (or a numeric
// line without its scale), 13 a type or size that is not a number, 6 a precision or scale
// outside 0..255, 3367 a duplicate name, 3001 an unsupported type, 3709 no fields at all.
// `onField` hears each field's name once its line is accepted, so a caller that only lists the
// fields keeps the ones before a refused line.
automation::Ref<automation::Recordset> readRecordLayout(
    const std::filesystem::path& layoutFile, const std::function<void(const std::string&)>& onField = {});

// As readRecordLayout, but an error goes to ReportError and the result is empty.
automation::Ref<automation::Recordset> OpenRecordsetFromLayout(const Services& s,
                                                              const std::filesystem::path& layoutFile);

}  // namespace vt::core
