#pragma once
// The Word document export (internal to the engine): a Word 97 binary document of the records,
// the title as a bold first paragraph, then the field names and one paragraph a record, values
// separated by tabs.

#include "Sheets.h"

#include <string>

namespace vt::report::detail {

std::string writeWordDocument(const ExportTable& t);

}  // namespace vt::report::detail
