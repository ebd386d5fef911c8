#pragma once
// The report engine as late-bound objects, for scripts and plug-ins (and for callers that hold
// a report as a Variant). "Report.Application" creates them:
//
//   Set app = CreateObject("Report.Application")
//   Set rpt = app.OpenReport(path, 1)
//   rpt.Database.SetDataSource Record
//   rpt.ExportOptions.DestinationType = 1 : .DiskFileName = f : .FormatType = 5 : .XMLFileName = f
//   rpt.Export False                  ' no prompt (a prompt is refused: no dialogs here)
//   rpt.PrintOut False, 2             ' no dialog, two copies
//   Set t = rpt.Sections(1).AddTextObject("Title", 0, 0)
//   t.Font.Size = 18 : t.Font.Bold = True : t.TextColor = &H808000 : t.Height = 400 : t.Width = 8500
//   rpt.Sections(1).AddSpecialField 17, 2000, 900
//   rpt.SaveAs path, 2048
//
// Colours are taken and given the Windows way (&HBBGGRR). Engine failures raise error
// kReportEngineError with the engine's message.

#include "Document.h"
#include "platform/automation/Object.h"

#include <memory>

namespace vt::report {

inline constexpr std::int32_t kReportEngineError = 20500;

class ReportHandle final : public automation::Dispatch<ReportHandle> {
public:
    explicit ReportHandle(std::shared_ptr<ReportDocument> doc) : doc_(std::move(doc)) {}
    static const automation::Members<ReportHandle>& members();
    const std::shared_ptr<ReportDocument>& document() const noexcept { return doc_; }

private:
    std::shared_ptr<ReportDocument> doc_;
};

class ReportApplication final : public automation::Dispatch<ReportApplication> {
public:
    static const automation::Members<ReportApplication>& members();
};

// The report of a Variant holding a ReportHandle, or null.
std::shared_ptr<ReportDocument> documentOf(const automation::Variant& v);

// Registers "Report.Application" with the program's class registry.
void registerReportClasses();

}  // namespace vt::report
