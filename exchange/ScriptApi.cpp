// The script API members that serve the sessions: names and folders, received files, downloads,
// waiting for the transfer control and zip archives.
#include "exchange/ExchangeSessions.h"

#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "exchange/FileJournal.h"
#include "exchange/ZipArchive.h"
#include "folders/InterchangeReader.h"
#include "platform/db/Database.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"

#include <openssl/evp.h>

#include <fstream>
#include <memory>
#include <optional>

namespace vt::exchange {

namespace {

// The file's SHA-256 in hex and the control number of its first ISA ("" when none is there).
std::pair<std::string, std::string> fingerprint(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> md(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    EVP_DigestInit_ex(md.get(), EVP_sha256(), nullptr);
    std::string head;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        if (head.size() < 128) head.append(buffer, std::size_t(std::min<std::streamsize>(in.gcount(), 128)));
        EVP_DigestUpdate(md.get(), buffer, std::size_t(in.gcount()));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(md.get(), digest, &size);
    static const char* const hex = "0123456789abcdef";
    std::string text;
    for (unsigned i = 0; i < size; ++i) {
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 15];
    }
    std::string icn;
    if (head.size() > 4 && head.compare(0, 3, "ISA") == 0) {
        std::vector<std::string_view> elements;
        text::split(head, std::string_view(&head[3], 1), elements);
        if (elements.size() > 13) icn = std::string(elements[13]);
    }
    return {text, icn};
}

}  // namespace

std::string ExchangeSessions::LoadInBox(const std::string& fileName) {
    if (cancelled()) return {};
    if (exchange().LocaleFile.empty()) {
        // Nothing is loaded while no file was received, but a script that forgot to say which
        // file it received learns why its file is not in the Inbox, and leaves it on the server.
        const std::string result = "Not loaded into the Inbox: " + fileName +
                                   " (Exchange.LocaleFile is empty: nothing was received in this run)";
        LogExchange("Warning", result);
        say(result);
        return result;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec)) {
        const std::string result = "File not found: " + fileName;
        record(true, "Error", result);
        LogExchange("Error", result);
        return result;
    }
    // A file that a killed receive had loaded already, offered again by the partner's server
    // because the session never came to delete it there, is not filed twice.
    FileJournal journal = fileJournal();
    const auto [hash, icn] = fingerprint(fileName);
    if (const auto earlier = journal.earlierLoad(hash)) {
        journal.remove(*earlier);
        LogExchange("Warning", "Loaded already by an interrupted receive: " + fileName);
        return {};
    }
    std::int64_t mark = 0;
    patiently([&] { mark = s_.db.scalarInt("SELECT coalesce(max(Id), 0) FROM ISA"); });
    const std::int64_t entry = journal.loading(fileName, hash, mark, icn);
    step("loading");
    // In a session the reader starts once the database takes a write, and its transaction waits
    // on a busy database as one operation does.
    const bool waitHere = mSessionBusy && !s_.db.inTransaction();
    if (waitHere) {
        patiently([this] {
            s_.db.exec("BEGIN IMMEDIATE");
            s_.db.exec("ROLLBACK");
        });
    }
    std::string result;
    {
        std::optional<db::BusyWait> wait;
        if (waitHere) wait.emplace(s_.db, options_.busyPatience.count());
        result = folders::LoadBox(s_, fileName, "I");
    }
    if (!result.empty()) {
        journal.remove(entry);
        record(true, "Error", result);
        LogExchange("Error", result);
        return result;
    }
    step("load committed");
    journal.loaded(entry);
    step("loaded");
    return result;
}

std::string ExchangeSessions::GenerateFileName() {
    // Unique among the names given before and the files of the Inbound and Outbound folders.
    return names_.take(text::formatDate(s_.clock.now(), "mmddyyhhmmss"), "", {folder("Inbound"), folder("Outbound")});
}

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
        UnzipResult result = UnzipInto(archive, inbound, maxBytes_);
        if (!result.failure.empty()) result = UnzipInto(archive, inbound, maxBytes_);
        if (!result.failure.empty()) LogExchange("Error", result.failure);
        // The good entries are there; each refused one is named.
        for (const std::string& refusal : result.refused) LogExchange("Error", refusal);
    } catch (...) {
        logFailure(true);
    }
}

void ExchangeSessions::SaveChunk(const std::string& url, const std::string& fileName) {
    try {
        if (cancelled()) return;
        // Streamed to the file, which is replaced only by a whole document within the size limit.
        inet::Inet& i = inet();
        i.download(url, fileName);
        // An error page is no document: nothing is saved as if it had been received.
        if ((i.protocol == inet::icHTTP || i.protocol == inet::icHTTPS) && i.responseCode >= 400)
            throw core::RunError(75, "The server answered " + std::to_string(i.responseCode) + " for " + url +
                                         "; nothing was saved");
    } catch (...) {
        logFailure(true);
    }
}

void ExchangeSessions::WaitForResponse() {
    // No limit of its own: the request's time-out, a cancel or the session's budget end it.
    inet().waitForCompletion();
}

}  // namespace vt::exchange
