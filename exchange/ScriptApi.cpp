// The script API members that serve the sessions: names and folders, received files, downloads,
// waiting for the transfer control and zip archives.
#include "exchange/ExchangeSessions.h"

#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "exchange/ZipArchive.h"
#include "folders/InterchangeReader.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"

namespace vt::exchange {

std::string ExchangeSessions::LoadInBox(const std::string& fileName) {
    if (exchange().LocaleFile.empty() || cancelled()) return {};
    const std::string result = folders::LoadBox(s_, fileName, "I");
    if (!result.empty()) {
        core::LogHistory(s_, "Error", result);
        LogExchange("Error", result);
    }
    return result;
}

std::string ExchangeSessions::GenerateFileName() { return text::formatDate(s_.clock.now(), "mmddyyhhmmss"); }

std::string ExchangeSessions::GetOutboundPath() { return folder("Outbound").string() + "/"; }

std::string ExchangeSessions::GetInboundPath() { return folder("Inbound").string() + "/"; }

void ExchangeSessions::Zip(const std::string& fileName) {
    try {
        if (cancelled()) return;
        // The archive lands beside the file, named after it: "<file>.zip".
        ZipFile(fileName, fileName + ".zip");
    } catch (...) {
        logFailure(true);
    }
}

void ExchangeSessions::UnZip() {
    try {
        if (cancelled()) return;
        const std::string archive = exchange().LocaleFile;
        const std::filesystem::path inbound = folder("Inbound");
        std::string error = UnzipInto(archive, inbound);
        if (!error.empty()) error = UnzipInto(archive, inbound);
        if (!error.empty()) LogExchange("Error", error);
    } catch (...) {
        logFailure(true);
    }
}

void ExchangeSessions::SaveChunk(const std::string& url, const std::string& fileName) {
    try {
        if (cancelled()) return;
        inet::Inet& i = inet();
        std::string bytes;
        auto append = [&bytes](const automation::Variant& chunk) {
            if (chunk.isArray())
                for (const auto& b : chunk.arrayValue().elements()) bytes += char(automation::toByte(b));
        };
        append(i.openUrl(url, inet::icByteArray));
        // An error page is no document: nothing is saved as if it had been received.
        if ((i.protocol == inet::icHTTP || i.protocol == inet::icHTTPS) && i.responseCode >= 400)
            throw core::RunError(75, "The server answered " + std::to_string(i.responseCode) + " for " + url +
                                         "; nothing was saved");
        for (;;) {
            const automation::Variant chunk = i.getChunk(1024, inet::icByteArray);
            if (!chunk.isArray() || chunk.arrayValue().size() == 0) break;
            append(chunk);
        }
        ReplaceFile(fileName, bytes);
    } catch (...) {
        logFailure(true);
    }
}

void ExchangeSessions::WaitForResponse() {
    // No limit of its own: the request's time-out, a cancel or the session's budget end it.
    inet().waitForCompletion();
}

}  // namespace vt::exchange
