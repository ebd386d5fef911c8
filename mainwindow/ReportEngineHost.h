#pragma once
// The report host of the report engine itself: exports and prints through the painting engine
// (a QGuiApplication must exist); viewing and designing go to the functions the windows give,
// and do nothing without them (unattended runs never view or design).

#include "mainwindow/Reports.h"

#include <functional>
#include <string>

namespace vt::report {
struct PrintOptions;
}

namespace vt::mainwindow {

class EngineReportHost : public ReportHost {
public:
    using Show = std::function<void(std::shared_ptr<report::ReportDocument>)>;

    // Fills in where prints go (a printer by name, "" the default one, or a PDF file).
    using Target = std::function<void(report::PrintOptions&)>;

    EngineReportHost() = default;
    EngineReportHost(Show view, Show design, Target target = {})
        : view_(std::move(view)), design_(std::move(design)), target_(std::move(target)) {}

    void exportReport(report::ReportDocument& doc) override;
    void printReport(report::ReportDocument& doc, int copies) override;
    void viewReport(std::shared_ptr<report::ReportDocument> doc) override;
    void designReport(std::shared_ptr<report::ReportDocument> doc) override;

private:
    Show view_, design_;
    Target target_;
};

}  // namespace vt::mainwindow
