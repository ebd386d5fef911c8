#pragma once
// The ODBC export: the records as a new table of an ODBC data source chosen by its name.

#include "Binding.h"
#include "Export.h"

namespace vt::report {

// Creates the table (ExportOptions::odbcTable, else the export file's name without its
// extension, else "Report") in the data source ExportOptions::odbcDataSource and inserts the
// records in one transaction. A table of that name already there is never touched: ReportError,
// as for a source that cannot be reached or refuses a row; nothing is left in the source then.
void exportOdbc(const Report& report, const DataTable* data, const ExportOptions& options);

}  // namespace vt::report
