// A session killed at each step of a send and of a receive (SIGKILL to a child process that runs
// it) leaves a state that the next session completes or undoes: the tables agree with the
// folders and the partner's server, and a re-sent interchange keeps its control numbers.
#include "exchange/FileJournal.h"
#include "platform/files/SafeFile.h"
#include "tests/exchange/CrashScripts.h"
#include "tests/exchange/ExchangeFixture.h"
#include "tests/support/LoopbackServers.h"

#include <csignal>
#include <zip.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vt;
using namespace vt::test;

namespace {

// Runs the helper to its end or its death; true when it died by SIGKILL. The test's own
// connection is opened afresh first: a statement of the reader left on a row would hold a read
// lock that keeps the helper from committing.
bool killedAt(db::Database& own, const fs::path& data, const std::string& mode, const std::string& url,
              const std::string& step) {
    own.close();
    core::openApplicationDatabase(own, data);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(VT_CRASH_STEP, VT_CRASH_STEP, data.c_str(), mode.c_str(), url.c_str(), step.c_str(),
                static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status)) EXPECT_EQ(WEXITSTATUS(status), 0) << "the helper failed";
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

class Crash : public ::testing::Test {
protected:
    void SetUp() override {
        servers = &LoopbackServers::instance();
        for (const fs::path& f : {crash::outbound(data()), crash::inbound(data()), crash::sent(data())})
            fs::create_directories(f);
        scratch.settings.set("Folders", "Outbound", crash::outbound(data()).string());
        scratch.settings.set("Folders", "Inbound", crash::inbound(data()).string());
        scratch.settings.set("Folders", "Sent", crash::sent(data()).string());
        scratch.db.exec("INSERT INTO Standard (\"Transaction\", \"Group\", Description) VALUES ('850', 'PO', 'Purchase Order')");
    }
    const fs::path& data() const { return scratch.folder(); }
    long long count(const std::string& sql) { return scratch.db.scalarInt(sql); }
    void load(const std::string& text, const char* direction) {
        const fs::path p = data() / "load.edi";
        writeAll(p, text);
        ASSERT_EQ(folders::LoadBox(scratch.services, p, direction), "");
        fs::remove(p);
    }
    // The server folder of one case, emptied.
    fs::path remote(const std::string& name) {
        const fs::path p = servers->ftpHome() / name;
        fs::remove_all(p);
        fs::create_directories(p);
        return p;
    }
    // What the next start does, then the next session of the same kind.
    void recoverAndRunAgain(const exchange::NetworkControls& n, bool send) {
        exchange::ExchangeSessions next(scratch.services, view, {});
        next.recoverInterruptedWork();
        // Whatever the point of the kill: a file in the Sent folder has its rows in Sent.
        if (!filesIn(crash::sent(data())).empty()) {
            EXPECT_EQ(count("SELECT count(*) FROM Sent"), 3);
        }
        EXPECT_EQ(count("SELECT count(*) FROM Outbox") + count("SELECT count(*) FROM Sent"), send ? 3 : 0);
        if (send && count("SELECT count(*) FROM Outbox") == 0) return;
        if (send)
            next.RunSendScript(n);
        else
            next.RunReceiveScript(n);
    }

    ScratchDatabase scratch;
    RecordingView view;
    LoopbackServers* servers = nullptr;
};

TEST_F(Crash, ASendKilledAtAnyStepIsCompletedOrUndone) {
    const std::string interchange = outboundPo().text();
    for (const std::string step : {"outbox written", "script ended", "rows moving", "rows committed", "rows moved",
                                   "file linked", "file moved", "none"}) {
        SCOPED_TRACE(step);
        scratch.db.exec("DELETE FROM Outbox; DELETE FROM Sent; DELETE FROM Exchange");
        for (const fs::path& f : {crash::outbound(data()), crash::sent(data())})
            for (const auto& name : filesIn(f)) fs::remove(f / name);
        load(interchange, "O");
        const fs::path server = remote("crash-send-" + std::string(step == "none" ? "none" : step.substr(0, 4)) +
                                       std::to_string(step.size()));
        const std::string url = servers->ftp("/") + server.filename().string() + "/";
        EXPECT_EQ(killedAt(scratch.db, data(), "send", url, step), step != "none");
        // At the moment of the kill already: a file in the Sent folder has its rows in Sent.
        if (!filesIn(crash::sent(data())).empty()) {
            EXPECT_EQ(count("SELECT count(*) FROM Sent"), 3);
        }
        // Killed after the upload: the partner has the file already.
        if (step != "outbox written" && step != "none") {
            EXPECT_EQ(readAll(server / "partner.edi"), interchange);
        }

        recoverAndRunAgain(crash::network(url, "FTP", crash::kSend), true);
        EXPECT_EQ(count("SELECT count(*) FROM Outbox"), 0);
        EXPECT_EQ(count("SELECT count(*) FROM Sent"), 3);
        const auto sentFiles = filesIn(crash::sent(data()));
        ASSERT_EQ(sentFiles.size(), 1u);
        EXPECT_EQ(readAll(crash::sent(data()) / sentFiles[0]), interchange);
        EXPECT_EQ(filesIn(crash::outbound(data())), std::vector<std::string>{});
        EXPECT_EQ(exchange::FileJournal(scratch.db).entries().size(), 0u);
        // A re-send is the same interchange, control numbers and all.
        EXPECT_EQ(filesIn(server), std::vector<std::string>{"partner.edi"});
        EXPECT_EQ(readAll(server / "partner.edi"), interchange);
    }
}

TEST_F(Crash, AReceiveKilledAtAnyStepFilesEachInterchangeOnce) {
    const std::string a = X12().isa("000000611", "PARTNERID", "OWNID").gs("611").po().ge().iea().text();
    const std::string b = X12().isa("000000612", "PARTNERID", "OWNID").gs("612").po().ge().iea().text();
    for (const std::string step : {"loading", "inside load", "load committed", "loaded", "script ended", "none"}) {
        SCOPED_TRACE(step);
        scratch.db.exec("DELETE FROM Inbox; DELETE FROM ISA; DELETE FROM Exchange");
        for (const auto& name : filesIn(crash::inbound(data()))) fs::remove(crash::inbound(data()) / name);
        const fs::path server = remote("crash-receive-" + std::to_string(step.size()));
        writeAll(server / "a.edi", a);
        writeAll(server / "b.edi", b);
        const std::string url = servers->ftp("/") + server.filename().string() + "/";
        EXPECT_EQ(killedAt(scratch.db, data(), "receive", url, step), step != "none");
        // A killed load left nothing half-filed.
        EXPECT_EQ(count("SELECT count(*) FROM Inbox") == count("SELECT count(*) FROM ISA"), true);

        recoverAndRunAgain(crash::network(url, "FTP", crash::kReceive), false);
        EXPECT_EQ(count("SELECT count(*) FROM Inbox"), 2);
        EXPECT_EQ(count("SELECT count(DISTINCT InterchangeControlNumber) FROM Inbox"), 2);
        EXPECT_EQ(filesIn(server), std::vector<std::string>{});
        EXPECT_EQ(filesIn(crash::inbound(data())), (std::vector<std::string>{"a.edi", "b.edi"}));
        EXPECT_EQ(exchange::FileJournal(scratch.db).entries().size(), 0u);
    }
}

// An extraction killed while it writes an entry into a folder of its own leaves a temporary file
// there, which the next start removes; a file received under a temporary file's name stays.
TEST_F(Crash, AnUnzipKilledWhileWritingLeavesNothingTheNextStartKeeps) {
    const fs::path inbound = crash::inbound(data());
    const fs::path archive = data() / "in.zip";
    const std::string received = std::string(files::kTemporaryPrefix) + "AbCdEfGhIjKl";
    const std::string small = "ISA*received~", large(2 * crash::kExtractedBytes, 'x');
    int code = 0;
    zip_t* z = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(z, nullptr);
    for (const auto& [name, bytes] : {std::pair{received, &small}, std::pair{std::string("sub/x.edi"), &large}})
        ASSERT_GE(zip_file_add(z, name.c_str(), zip_source_buffer(z, bytes->data(), bytes->size(), 0), 0), 0);
    ASSERT_EQ(zip_close(z), 0);

    EXPECT_TRUE(killedAt(scratch.db, data(), "unzip", archive.string(), "extracting"));
    ASSERT_EQ(filesIn(inbound / "sub").size(), 1u);
    EXPECT_EQ(filesIn(inbound / "sub")[0].rfind(files::kTemporaryPrefix, 0), 0u);

    exchange::ExchangeSessions next(scratch.services, view, {});
    next.recoverInterruptedWork();
    EXPECT_EQ(filesIn(inbound / "sub"), std::vector<std::string>{});
    EXPECT_EQ(readAll(inbound / received), small);
}

TEST_F(Crash, ADownloadKilledHalfWayLeavesNoFile) {
    const std::string url = "http://127.0.0.1:" + std::to_string(servers->httpPort);
    EXPECT_TRUE(killedAt(scratch.db, data(), "download", url, "writing"));
    // The half-written temporary file is the only trace, and the next start removes it.
    EXPECT_EQ(filesIn(crash::inbound(data())).size(), 1u);
    exchange::ExchangeSessions next(scratch.services, view, {});
    next.recoverInterruptedWork();
    EXPECT_EQ(filesIn(crash::inbound(data())), std::vector<std::string>{});
}

}  // namespace
