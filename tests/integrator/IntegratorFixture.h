#pragma once
// A scratch database with Transactions rows, an Import folder, the private ODBC configuration
// and a SQLite database behind driver "VtSQLite3"; a fake of the program's run steps that
// records its calls.

#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "integrator/Integrator.h"
#include "platform/odbc/Odbc.h"
#include "tests/folders/FolderFixture.h"
#include "tests/support/OdbcFixture.h"

#include <filesystem>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>
#include <functional>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vt::test {

// A grid over a data file holding `rows` (the first is the header), as an extraction shows it.
inline integrator::ResultGrid gridOf(const std::vector<std::vector<std::string>>& rows, bool complete = true) {
    std::string data;
    integrator::DataFileView::Index index;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const std::size_t start = data.size();
        for (std::size_t c = 0; c < rows[r].size(); ++c) data += (c ? "\t" : "") + rows[r][c];
        data += "\r\n";
        index.addLine(data.size() - start);
    }
    const int fd = ::memfd_create("grid", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, data.data(), data.size()) != ssize_t(data.size())) throw std::runtime_error("memfd");
    integrator::ResultGrid g;
    g.show(rows.at(0), "", integrator::DataFileView::over(fd, std::move(index)), complete);
    ::close(fd);
    g.key = "K";
    return g;
}

struct FakeSteps : integrator::IntegratorSteps {
    std::vector<std::string> calls;
    std::vector<std::int64_t> inbox;            // what selectInbox answers
    std::map<std::string, bool> results;         // step -> result (default true)
    std::function<void()> during;                // runs inside every step after the selection
    bool result(const std::string& step) {
        if (during) during();
        auto it = results.find(step);
        return it == results.end() || it->second;
    }
    std::vector<std::int64_t> selectInbox(const core::Services& s, const integrator::RowKey& key) override {
        calls.push_back("select " + key.text());
        return inbox;
    }
    bool acknowledge(const core::Services&) override { calls.push_back("acknowledge"); return result("acknowledge"); }
    bool runPlugin(const core::Services&, int mode) override {
        calls.push_back("plugin " + std::to_string(mode));
        return result("plugin");
    }
    bool printReport(const core::Services& s) override {
        calls.push_back(std::string("print") + (s.ui.unattended() ? " unattended" : ""));
        return result("print");
    }
    bool exportReport(const core::Services& s) override {
        calls.push_back(std::string("export") + (s.ui.unattended() ? " unattended" : ""));
        return result("export");
    }
    bool processOutbound(const core::Services&, const integrator::RowKey& key, int position) override {
        calls.push_back("outbound " + key.text() + " " + std::to_string(position));
        return result("outbound");
    }
};

struct TRow {
    std::string partner = "ACME", transaction = "850", version = "004010", direction = "I";
    std::string extra = {};   // ", Field = value" assignments run after the insert
};

struct IntegratorDb : FolderDb {
    IntegratorDb() {
        OdbcConfig::instance();
        import = folder() / "Import";
        std::filesystem::create_directories(import);
        settings.set("Folders", "Import", import.string());
        source = folder() / "source.db";
    }
    void addRow(const TRow& r) {
        auto q = db.prepare("INSERT INTO Transactions (Partner, \"Transaction\", Version, Direction) VALUES (?1, ?2, ?3, ?4)");
        q.bindAll(r.partner, r.transaction, r.version, r.direction);
        q.run();
        if (!r.extra.empty())
            db.exec("UPDATE Transactions SET " + r.extra + " WHERE Id = " + std::to_string(db.lastInsertId()));
    }
    // Row settings that reach the SQLite source database through the driver.
    std::string sqliteSettings(const std::string& sql) {
        std::string quoted;
        for (char c : sql) quoted += c == '\'' ? std::string("''") : std::string(1, c);
        return "Driver = 'VtSQLite3', Database = '" + source.string() + "', ExecuteSQL = 1, SQL = '" + quoted + "'";
    }
    std::string read(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::filesystem::path import, source;
};

}  // namespace vt::test
