#include "Document.h"

#include "ReportFile.h"

namespace vt::report {

namespace {
const Clock& systemClock() {
    static SystemClock clock;
    return clock;
}
}  // namespace

ReportDocument::ReportDocument(Report report, const Clock* clock)
    : report_(std::move(report)), clock_(clock ? clock : &systemClock()) {
    dataRead_ = clock_->now();
}

std::shared_ptr<ReportDocument> ReportDocument::open(const std::filesystem::path& file, int openMethod,
                                                     const Clock* clock) {
    if (openMethod != 0 && openMethod != 1)
        throw ReportError("Unknown open method " + std::to_string(openMethod) + " (0 or 1)");
    auto doc = std::make_shared<ReportDocument>(loadReport(file), clock);
    doc->path_ = findReportFile(file);
    return doc;
}

void ReportDocument::setDataSource(const automation::Ref<automation::Recordset>& rs) {
    if (!rs) throw ReportError("The data source is not a record set");
    data_ = DataTable::fromRecordset(*rs);
    recordset_ = rs;
    dataRead_ = clock_->now();
}

void ReportDocument::setDataSource(db::Statement& query) {
    data_ = DataTable::fromQuery(query);
    recordset_.reset();
    dataRead_ = clock_->now();
}

void ReportDocument::setDataSource(std::shared_ptr<DataTable> table) {
    data_ = std::move(table);
    recordset_.reset();
    dataRead_ = clock_->now();
}

void ReportDocument::refresh() {
    if (!recordset_) return;
    data_ = DataTable::fromRecordset(*recordset_);
    dataRead_ = clock_->now();
}

RunInfo ReportDocument::runInfo() const { return {clock_->now(), dataRead_}; }

void ReportDocument::save(const std::filesystem::path& file, int) const { saveReport(report_, file); }

std::filesystem::path exportTarget(const ExportOptions& o) {
    if (o.formatType == format::XML && !o.xmlFileName.empty()) return o.xmlFileName;
    return o.diskFileName;
}

}  // namespace vt::report
