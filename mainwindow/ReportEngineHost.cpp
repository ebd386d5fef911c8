#include "mainwindow/ReportEngineHost.h"

#include "platform/report/Engine.h"

namespace vt::mainwindow {

void EngineReportHost::exportReport(report::ReportDocument& doc) { report::exportReport(doc); }

void EngineReportHost::printReport(report::ReportDocument& doc, int copies) {
    report::PrintOptions options;
    options.copies = copies;
    options.printerName = printerName_;
    options.outputFile = outputFile_;
    report::printOut(doc, options);
}

void EngineReportHost::setPrinter(std::string printerName, std::string outputFile) {
    printerName_ = std::move(printerName);
    outputFile_ = std::move(outputFile);
}

void EngineReportHost::viewReport(std::shared_ptr<report::ReportDocument> doc) {
    if (view_) view_(std::move(doc));
}

void EngineReportHost::designReport(std::shared_ptr<report::ReportDocument> doc) {
    if (design_) design_(std::move(doc));
}

}  // namespace vt::mainwindow
