#pragma once
// A scratch database with Outbound, Inbound and Sent folders, a recording Exchange window and
// the sessions object over them; interchanges are loaded through the real reader.

#include "core/Globals.h"
#include "core/SessionGuard.h"
#include "exchange/ExchangeSessions.h"
#include "folders/InterchangeReader.h"
#include "tests/folders/X12Builder.h"
#include "tests/support/ScratchDatabase.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace vt::test {

namespace fs = std::filesystem;

class RecordingView : public exchange::SessionView {
public:
    std::string session;             // txtSession
    std::vector<std::string> calls;  // "buttons off", "clear", ...
    bool busyWhenCleared = false;
    void setSessionButtonsEnabled(bool enabled) override { calls.push_back(enabled ? "buttons on" : "buttons off"); }
    void clearSessionText() override {
        calls.push_back("clear");
        session.clear();
        busyWhenCleared = core::IsSessionRunning();
    }
    void appendSessionText(std::string_view text) override { session += text; }
    std::vector<exchange::SigningChoice> choices;   // by network index
    std::optional<exchange::SigningChoice> signingChoice(int index) const override {
        if (index < 0 || index >= int(choices.size())) return std::nullopt;
        return choices[std::size_t(index)];
    }
};

inline std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeAll(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

// Files directly in a folder, by name.
inline std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> out;
    if (fs::is_directory(folder))
        for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

class ExchangeTest : public ::testing::Test {
protected:
    ScratchDatabase scratch;
    RecordingView view;
    fs::path outbound, inbound, sent;
    std::unique_ptr<exchange::ExchangeSessions> sessions;

    void SetUp() override {
        scratch.db.exec("INSERT INTO Standard (\"Transaction\", \"Group\", Description) VALUES "
                        "('850', 'PO', 'Purchase Order'), ('810', 'IN', 'Invoice')");
        outbound = scratch.folder() / "Outbound";
        inbound = scratch.folder() / "Inbound";
        sent = scratch.folder() / "sent folder";
        for (const auto& f : {outbound, inbound, sent}) fs::create_directories(f);
        scratch.settings.set("Folders", "Outbound", outbound.string());
        scratch.settings.set("Folders", "Inbound", inbound.string());
        scratch.settings.set("Folders", "Sent", sent.string());
        core::gSilent = false;
        exchange::SessionOptions o;
        o.scriptTimeoutMs = 20000;
        sessions = std::make_unique<exchange::ExchangeSessions>(scratch.services, view, o);
    }
    void TearDown() override {
        sessions.reset();
        core::gSilent = false;
    }

    // Loads an interchange through the reader; fails the test on a refusal.
    void load(const std::string& text, const char* direction = "O") {
        static int n = 0;
        const fs::path p = scratch.folder() / ("load" + std::to_string(++n) + ".edi");
        writeAll(p, text);
        ASSERT_EQ(folders::LoadBox(scratch.services, p, direction), "");
    }

    // Exchange log rows as "Type:Description".
    std::vector<std::string> log() {
        std::vector<std::string> out;
        auto q = scratch.db.prepare("SELECT Type, Description FROM Exchange ORDER BY \"Index\"");
        while (q.step()) out.push_back(q.text(0) + ":" + q.text(1));
        return out;
    }
    bool logged(const std::string& row) {
        auto l = log();
        return std::find(l.begin(), l.end(), row) != l.end();
    }
    long long count(const std::string& table) { return scratch.db.scalarInt("SELECT count(*) FROM \"" + table + "\""); }

    // A network of the given protocol whose scripts are given.
    static exchange::NetworkControls network(const std::string& script, const std::string& protocol = "FTP",
                                             const std::string& url = "ftp://127.0.0.1/") {
        exchange::NetworkControls n;
        n.url = url;
        n.userName = "veltrane";
        n.password = "secret";
        n.remotePort = "0";
        n.timeOut = "5";
        for (std::size_t i = 0; i < exchange::kProtocols.size(); ++i)
            if (exchange::kProtocols[i] == protocol) n.protocolIndex = int(i);
        n.protocolText = protocol;
        n.accessTypeIndex = 1;
        n.sendScript = n.receiveScript = script;
        return n;
    }
};

// Interchanges from our own ids to a partner's.
inline X12 outboundPo(const std::string& icn = "000000101", const std::string& gcn = "101") {
    return X12().isa(icn, "OWNID", "PARTNERID").gs(gcn).po("0001").po("0002").po("0003").ge().iea();
}

}  // namespace vt::test
