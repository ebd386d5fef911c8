#pragma once
// The report host of the report engine itself: exports and prints through the painting engine
// (a QGuiApplication must exist); viewing and designing go to the functions the windows give,
// and do nothing without them (unattended runs never view or design).

#include "mainwindow/Reports.h"

#include <functional>
#include <string>

namespace vt::mainwindow {

class EngineReportHost : public ReportHost {
public:
    using Show = std::function<void(std::shared_ptr<report::ReportDocument>)>;

    EngineReportHost() = default;
    EngineReportHost(Show view, Show design) : view_(std::move(view)), design_(std::move(design)) {}

    void exportReport(report::ReportDocument& doc) override;
    void printReport(report::ReportDocument& doc, int copies) override;
    void viewReport(std::shared_ptr<report::ReportDocument> doc) override;
    void designReport(std::shared_ptr<report::ReportDocument> doc) override;
    // Where prints go from now on: a printer by name ("" the default one), or a PDF file.
    void setPrinter(std::string printerName, std::string outputFile);

private:
    Show view_, design_;
    std::string printerName_, outputFile_;
};

}  // namespace vt::mainwindow
