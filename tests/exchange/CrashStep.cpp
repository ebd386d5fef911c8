// exchange_crash_step DATA MODE URL STEP: runs one session over the database and folders of DATA
// and kills itself with SIGKILL when the session reaches STEP. MODE is send, receive, download or
// unzip (URL is then the archive). STEP "inside load" is the reader's open transaction; "writing"
// is a download half-way in its temporary file; "extracting" is an extraction that has written
// kExtractedBytes of an entry. Exits 0 when the session ended without reaching STEP.
#include "core/Globals.h"
#include "tests/exchange/CrashScripts.h"
#include "tests/exchange/ExchangeFixture.h"

#include <csignal>
#include <sys/resource.h>
#include <iostream>

using namespace vt;

namespace {

[[noreturn]] void die() {
    std::raise(SIGKILL);
    std::abort();
}

// Kills the process from inside the reader's transaction or a download, where it yields.
class KillingSink : public test::RecordingUiSink {
public:
    KillingSink(const db::Database& db, std::string step, std::filesystem::path inbound)
        : db_(db), step_(std::move(step)), inbound_(std::move(inbound)) {}
    void yield() override {
        if (step_ == "inside load" && db_.inTransaction()) die();
        if (step_ == "writing")
            for (const auto& f : test::filesIn(inbound_))
                if (f.rfind(".vt-write-", 0) == 0 && std::filesystem::file_size(inbound_ / f) > 0) die();
    }
    void progress(int, int) override { yield(); }

private:
    const db::Database& db_;
    std::string step_;
    std::filesystem::path inbound_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: exchange_crash_step DATA send|receive|download|unzip URL STEP\n";
        return 2;
    }
    const std::filesystem::path data = argv[1];
    const std::string mode = argv[2], url = argv[3], step = argv[4];
    if (step == "extracting") {
        // The write that would pass the limit kills the process, mid-file.
        const rlimit limit{test::crash::kExtractedBytes, test::crash::kExtractedBytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, [](int) { std::raise(SIGKILL); });
    }
    db::Database db;
    core::openApplicationDatabase(db, data);
    KillingSink ui(db, step, test::crash::inbound(data));
    FixedClock clock{text::DateTime{2024, 3, 5, 14, 7, 9}};
    MemorySettings settings;
    settings.set("Folders", "Outbound", test::crash::outbound(data).string());
    settings.set("Folders", "Inbound", test::crash::inbound(data).string());
    settings.set("Folders", "Sent", test::crash::sent(data).string());
    core::Services services{db, ui, clock, settings};
    test::RecordingView view;
    exchange::SessionOptions options;
    options.onStep = [&step](std::string_view reached) {
        if (reached == step) die();
    };
    exchange::ExchangeSessions sessions(services, view, options);
    if (mode == "send")
        sessions.RunSendScript(test::crash::network(url, "FTP", test::crash::kSend));
    else if (mode == "receive")
        sessions.RunReceiveScript(test::crash::network(url, "FTP", test::crash::kReceive));
    else if (mode == "unzip")
        sessions.RunReceiveScript(test::crash::network(url, "FTP", test::crash::kUnzip));
    else
        sessions.RunReceiveScript(test::crash::network(url, "HTTP", test::crash::kDownload));
    return 0;
}
