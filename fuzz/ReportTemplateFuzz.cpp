// The ".RPT" template reader: a text either names its fault or gives a report that, saved and
// read again, is the same report and saves to the same text.

#include "FuzzCheck.h"
#include "platform/report/ReportFile.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vt::report;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Report report;
    try {
        report = parseReport(text, "fuzz.RPT");
    } catch (const ReportError&) {
        return 0;
    }
    const std::string saved = formatReport(report);
    Report again;
    try {
        again = parseReport(saved, "saved.RPT");
    } catch (const ReportError& e) {
        VT_FUZZ_CHECK(false, e.what());
    }
    VT_FUZZ_CHECK(again == report, "a saved template reads back as another report");
    VT_FUZZ_CHECK(formatReport(again) == saved, "a template read back saves differently");
    return 0;
}
