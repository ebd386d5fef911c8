#pragma once
// Real ODBC sources for tests: a private driver and data-source configuration (ODBCSYSINI and
// ODBCINI point into a temporary folder before the driver manager first reads them), SQLite
// databases through the SQLite ODBC driver, and a throw-away PostgreSQL cluster on a free
// loopback port, run as an unprivileged user when the tests run as root.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

namespace vt::test {

namespace fs = std::filesystem;

inline fs::path findDriver(const char* file) {
    for (const char* dir : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc", "/usr/lib/odbc",
                            "/usr/lib64"}) {
        fs::path p = fs::path(dir) / file;
        if (fs::exists(p)) return p;
    }
    throw std::runtime_error(std::string("ODBC driver not installed: ") + file);
}

inline fs::path findPostgresBin(const char* tool) {
    const fs::path root = "/usr/lib/postgresql";
    if (fs::exists(root))
        for (const auto& v : fs::directory_iterator(root))
            if (fs::exists(v.path() / "bin" / tool)) return v.path() / "bin" / tool;
    throw std::runtime_error(std::string("PostgreSQL server not installed: ") + tool);
}

inline int freeLoopbackPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

inline void writeText(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << text;
}

// The private ODBC configuration of one test program: drivers "VtSQLite3" and "VtPostgreSQL";
// data sources are added with addDataSource before the first ODBC call that reads them.
class OdbcConfig {
public:
    static OdbcConfig& instance() {
        static OdbcConfig config;
        return config;
    }
    const fs::path& folder() const { return folder_; }
    void addDataSource(const std::string& name, const std::string& driver, const std::string& attributes) {
        dataSources_ += "[" + name + "]\nDriver=" + driver + "\n" + attributes + "\n";
        writeText(folder_ / "odbc.ini", dataSources_);
    }
    void clearDataSources() {
        dataSources_.clear();
        writeText(folder_ / "odbc.ini", "");
    }

private:
    OdbcConfig() {
        folder_ = fs::temp_directory_path() / ("vt_odbc_" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        writeText(folder_ / "odbcinst.ini", "[VtSQLite3]\nDescription=SQLite3 test driver\nDriver=" +
                                                findDriver("libsqlite3odbc.so").string() +
                                                "\n\n[VtPostgreSQL]\nDescription=PostgreSQL test driver\nDriver=" +
                                                findDriver("psqlodbca.so").string() + "\n");
        // The drivers stay loaded, so what they leave behind is still named by its library when
        // the leak checker looks at the end (cmake/lsan.supp).
        for (const char* driver : {"libsqlite3odbc.so", "psqlodbca.so"})
            ::dlopen(findDriver(driver).c_str(), RTLD_NOW | RTLD_NODELETE);
        writeText(folder_ / "odbc.ini", "");
        ::setenv("ODBCSYSINI", folder_.c_str(), 1);
        ::setenv("ODBCINI", (folder_ / "odbc.ini").c_str(), 1);
        ::setenv("HOME", folder_.c_str(), 1);   // no ~/.odbc.ini of the user
    }
    ~OdbcConfig() {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    fs::path folder_;
    std::string dataSources_;
};

// A PostgreSQL cluster of its own: initdb, pg_ctl start on 127.0.0.1:<free port>, a role "vt"
// with a password (scram over TCP), database "vt"; stopped and removed by the destructor.
class PostgresCluster {
public:
    static constexpr const char* kUser = "vt";
    static constexpr const char* kPassword = "p;w{d}=x";

    PostgresCluster() {
        folder_ = fs::temp_directory_path() / ("vt_pg_" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        port_ = freeLoopbackPort();
        if (::geteuid() == 0) {
            runAs_ = "runuser -u postgres -- ";
            const passwd* pw = ::getpwnam("postgres");
            if (!pw) runAs_ = "runuser -u nobody -- ";
            const std::string who = pw ? "postgres" : "nobody";
            sh("chown " + who + " " + quote(folder_));
        }
        const fs::path data = folder_ / "data";
        sh(runAs_ + quote(findPostgresBin("initdb")) + " -D " + quote(data) +
           " -U postgres --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C >" + quote(folder_ / "initdb.log") +
           " 2>&1");
        sh(runAs_ + quote(findPostgresBin("pg_ctl")) + " -D " + quote(data) + " -l " + quote(folder_ / "server.log") +
           " -w -t 30 -o \"-p " + std::to_string(port_) + " -k " + folder_.string() +
           " -c listen_addresses=127.0.0.1 -c fsync=off\" start >/dev/null");
        started_ = true;
        psql("postgres", "CREATE ROLE vt LOGIN PASSWORD '" + std::string(kPassword) + "'");
        psql("postgres", "CREATE DATABASE vt OWNER vt");
    }
    ~PostgresCluster() {
        if (started_)
            std::system((runAs_ + quote(findPostgresBin("pg_ctl")) + " -D " + quote(folder_ / "data") +
                         " -m immediate stop >/dev/null 2>&1")
                            .c_str());
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    int port() const { return port_; }
    // Runs SQL as the superuser over the cluster's socket.
    void psql(const std::string& database, const std::string& sql) {
        sh(runAs_ + quote(findPostgresBin("psql")) + " -q -v ON_ERROR_STOP=1 -h " + folder_.string() + " -p " +
           std::to_string(port_) + " -U postgres -d " + database + " -c " + quote(sql) + " >/dev/null");
    }

private:
    static std::string quote(const fs::path& p) { return quote(p.string()); }
    static std::string quote(const std::string& s) {
        std::string out = "'";
        for (char c : s) {
            if (c == '\'') out += "'\\''";
            else out += c;
        }
        return out + "'";
    }
    static void sh(const std::string& command) {
        if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
    }
    fs::path folder_;
    int port_ = 0;
    std::string runAs_;
    bool started_ = false;
};

}  // namespace vt::test
