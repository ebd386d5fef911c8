// Writing a large Outbox as one interchange file and moving it to Sent.
#include "exchange/ExchangeSessions.h"
#include "exchange/Signing.h"
#include "folders/InterchangeReader.h"
#include "tests/exchange/ExchangeFixture.h"

#include <benchmark/benchmark.h>

using namespace vt;

namespace {

class NullView : public exchange::SessionView {
    void setSessionButtonsEnabled(bool) override {}
    void clearSessionText() override {}
    void appendSessionText(std::string_view) override {}
};

// `interchanges` interchanges of 10 groups with `sets` sets each.
std::string outbox(int interchanges, int sets) {
    std::string text;
    for (int i = 1; i <= interchanges; ++i) {
        test::X12 x;
        x.isa(std::to_string(100000000 + i), "OWNID", "PARTNERID");
        for (int g = 1; g <= 10; ++g) {
            x.gs(std::to_string(i * 100 + g));
            for (int s = 1; s <= sets; ++s) x.po(std::to_string(1000 + s));
            x.ge();
        }
        text += x.iea().text();
    }
    return text;
}

void WriteAndMoveOutbox(benchmark::State& state) {
    const int interchanges = int(state.range(0));
    const std::string text = outbox(interchanges, 100);
    for (auto _ : state) {
        state.PauseTiming();
        test::ScratchDatabase scratch;
        scratch.db.exec("INSERT INTO Standard (\"Transaction\", \"Group\", Description) VALUES ('850', 'PO', 'PO')");
        for (const char* f : {"Outbound", "Sent"}) {
            std::filesystem::create_directories(scratch.folder() / f);
            scratch.settings.set("Folders", f, (scratch.folder() / f).string());
        }
        test::writeAll(scratch.folder() / "in.edi", text);
        if (!folders::LoadBox(scratch.services, scratch.folder() / "in.edi", "O").empty()) state.SkipWithError("load");
        NullView view;
        exchange::ExchangeSessions sessions(scratch.services, view);
        state.ResumeTiming();
        sessions.CreateOutboundEDI();
        if (!sessions.MoveOutToSent()) state.SkipWithError("move");
    }
    state.SetItemsProcessed(state.iterations() * interchanges * 1000);
}
BENCHMARK(WriteAndMoveOutbox)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// A detached signature of an Outbox interchange of `range(0)` interchanges (about 75 KB each).
void SignOutbox(benchmark::State& state) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vt_sign_bench";
    std::filesystem::create_directories(folder / "CurrentUser" / "My");
    const std::string cmd = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Bench -keyout '" +
                            (folder / "key.pem").string() + "' -out '" + (folder / "cert.pem").string() +
                            "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return state.SkipWithError("openssl");
    test::writeAll(folder / "CurrentUser" / "My" / "signer.pem",
                   test::readAll(folder / "cert.pem") + test::readAll(folder / "key.pem"));
    const auto store = certstore::Store::open(folder, certstore::Location::CurrentUser, "My");
    const std::string text = outbox(int(state.range(0)), 100);
    for (auto _ : state) benchmark::DoNotOptimize(exchange::SignDetached(store.certificates().at(0), text));
    state.SetBytesProcessed(state.iterations() * std::int64_t(text.size()));
    std::filesystem::remove_all(folder);
}
BENCHMARK(SignOutbox)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
