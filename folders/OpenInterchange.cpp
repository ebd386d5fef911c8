#include "OpenInterchange.h"

#include "InterchangeReader.h"
#include "core/ErrorReporter.h"
#include "core/UiSink.h"
#include "platform/settings/Settings.h"

namespace vt::folders {

void LoadInterchangeFiles(const core::Services& s, const std::vector<std::filesystem::path>& files,
                          std::string_view direction) {
    for (const auto& file : files) {
        std::string result = LoadBox(s, file, direction);
        if (!result.empty()) core::LogHistory(s, "Error", result);
    }
}

void OpenInterchangeFiles(const core::Services& s, std::string_view direction) {
    const bool inbound = direction == "I";
    core::LogHistory(s, "Info", inbound ? "Selected [File] - [Open] - [Inbound]" : "Selected [File] - [Open] - [Outbound]");
    try {
        std::string folder = s.settings.get("Folders", inbound ? "Inbound" : "Outbound");
        std::filesystem::path start = folder.empty() ? dataRoot() : std::filesystem::path(folder);
        // Besides all files, the names X12 interchanges usually come under.
        auto files = s.ui.openFiles(
            inbound ? "Open Inbound" : "Open Outbound",
            inbound ? "All Files (*.*)|*.*|X12 Files (*.x12;*.edi;*.txt;*.dat)|*.x12;*.edi;*.txt;*.dat|"
                      "Inbound Characters (*.IC)|*.IC|Electronic Document Interchange (*.EDI)|*.EDI"
                    : "All Files (*.*)|*.*|X12 Files (*.x12;*.edi;*.txt;*.dat)|*.x12;*.edi;*.txt;*.dat|"
                      "Outbound Characters (*.OC)|*.OC|Electronic Document Interchange (*.EDI)|*.EDI",
            start, true);
        LoadInterchangeFiles(s, files, direction);
    } catch (...) {
        core::ReportError(s);
    }
}

}  // namespace vt::folders
