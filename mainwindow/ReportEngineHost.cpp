#include "mainwindow/ReportEngineHost.h"

#include "platform/report/Engine.h"

namespace vt::mainwindow {

void EngineReportHost::exportReport(report::ReportDocument& doc) { report::exportReport(doc); }

void EngineReportHost::printReport(report::ReportDocument& doc, int copies) {
    report::PrintOptions options;
    options.copies = copies;
    if (target_) target_(options);
    report::printOut(doc, options);
}

void EngineReportHost::viewReport(std::shared_ptr<report::ReportDocument> doc) {
    if (view_) view_(std::move(doc));
}

void EngineReportHost::designReport(std::shared_ptr<report::ReportDocument> doc) {
    if (design_) design_(std::move(doc));
}

}  // namespace vt::mainwindow
