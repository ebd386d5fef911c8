#pragma once
// An opened report: its template, its data source and its export options — what the program
// holds while it shows, prints, exports or designs a report. Painting (PDF, printer, screen)
// is in Engine.h; everything here runs headless.

#include "DataTable.h"
#include "Export.h"
#include "Report.h"
#include "platform/text/Clock.h"

#include <filesystem>
#include <memory>

namespace vt::report {

class ReportDocument {
public:
    // Open methods: 0 the file itself, 1 from a temporary copy. Both read the whole template at
    // once and keep no handle on the file. ReportError for a missing or malformed template or an
    // unknown method. Without a clock the system clock is used.
    static std::shared_ptr<ReportDocument> open(const std::filesystem::path& file, int openMethod = 1,
                                                const Clock* clock = nullptr);
    // A report made in memory (the starter report before it is saved, tests).
    explicit ReportDocument(Report report, const Clock* clock = nullptr);

    Report& report() noexcept { return report_; }
    const Report& report() const noexcept { return report_; }
    const std::filesystem::path& path() const noexcept { return path_; }

    // The rows come from a snapshot taken now (the record set's visible records in its order;
    // the query is stepped to its end). The record set is kept alive with the report.
    void setDataSource(const automation::Ref<automation::Recordset>& recordset);
    void setDataSource(db::Statement& query);
    void setDataSource(std::shared_ptr<DataTable> table);
    const DataTable* data() const noexcept { return data_.get(); }
    // Takes the snapshot again from the record set it was given (a viewer's refresh); a table
    // or query source stays as it is.
    void refresh();

    ExportOptions& exportOptions() noexcept { return options_; }
    const ExportOptions& exportOptions() const noexcept { return options_; }

    // When the report is made (now) and when its data was taken.
    RunInfo runInfo() const;

    // Saves the template; the file-format number is accepted for callers that name one (this
    // engine has one template format).
    void save(const std::filesystem::path& file, int fileFormat = 0) const;

private:
    Report report_;
    std::filesystem::path path_;
    const Clock* clock_;
    automation::Ref<automation::Recordset> recordset_;
    std::shared_ptr<DataTable> data_;
    text::DateTime dataRead_;
    ExportOptions options_;
};

// The output file of the export options: the XML file name for XML when set, else the disk
// file name.
std::filesystem::path exportTarget(const ExportOptions& options);

}  // namespace vt::report
