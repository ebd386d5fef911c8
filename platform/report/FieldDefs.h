#pragma once
// Field-definition files (".ttx") and the starter report made from them.
//
// A field-definition file holds one field a line, CR LF ended, 1252 text: the field name, a TAB,
// its type word (String, Integer, Number, Currency, Boolean, Date, Time, DateTime, Blob), a TAB
// and its size. It describes the rows a report will be given, so a report can be designed
// before any data exists.

#include "DataTable.h"
#include "Report.h"
#include "platform/automation/Recordset.h"

#include <filesystem>
#include <string>
#include <vector>

namespace vt::report {

// The type word of an ADO type number, and the type number a word stands for.
std::string_view fieldTypeWord(int adoType);
int fieldTypeFromWord(std::string_view word);   // -1 for an unknown word

// Writes the definitions of the record set's fields (written whole, then renamed into place).
// ReportError when the file exists and overwrite is false, or it cannot be written.
void createFieldDefFile(automation::Recordset& fields, const std::filesystem::path& file, bool overwrite);
void writeFieldDefFile(const std::vector<Column>& fields, const std::filesystem::path& file, bool overwrite);

// The fields of a definition file; ReportError (with the line) for a malformed one.
std::vector<Column> readFieldDefFile(const std::filesystem::path& file);

// A report with one column per field: captions in the page header, the fields in the details
// (a row of columns continues on the next line when the page is full), an empty report header
// 1300 twips high for the title block callers add, and page N of M in the page footer.
Report starterReport(const std::vector<Column>& fields, std::string title);

// Makes the starter report of the definition file `fieldDefs` (written from the record set
// first when it does not exist) and saves it as `reportFile`. The report names its definition
// file. ReportError when the report exists and overwrite is false, when a designer is asked for
// (this engine has none to launch here), or on a write failure.
void createReportOnRuntimeDS(automation::Recordset& fields, const std::filesystem::path& reportFile,
                             const std::filesystem::path& fieldDefs, bool overwrite, bool launchDesigner);

}  // namespace vt::report
