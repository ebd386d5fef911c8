#pragma once
// FTP, HTTP and HTTPS servers on loopback for transfer tests (tests/support/loopback_servers.py,
// run by the system's python3 with python3-pyftpdlib). One set per test program, started on
// first use on free ports with a certificate made by the openssl command at that moment; the
// servers end when the program ends (their standard input closes).

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <poll.h>
#include <unistd.h>

namespace vt::test {

class LoopbackServers {
public:
    static LoopbackServers& instance() {
        static LoopbackServers servers;
        return servers;
    }

    int ftpPort = 0, httpPort = 0, httpsPort = 0;
    std::filesystem::path root;   // ftp/ (the FTP user's home) and http/ (served, uploads/)
    std::filesystem::path certificate;

    std::filesystem::path ftpHome() const { return root / "ftp"; }
    std::filesystem::path httpFolder() const { return root / "http"; }
    std::string http(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(httpPort) + path; }
    std::string https(const std::string& path) const { return "https://127.0.0.1:" + std::to_string(httpsPort) + path; }
    std::string ftp(const std::string& path = "/") const { return "ftp://127.0.0.1:" + std::to_string(ftpPort) + path; }

    ~LoopbackServers() {
        if (toChild_ >= 0) ::close(toChild_);
        if (pid_ > 0) {
            for (int i = 0; i < 50; ++i) {
                if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                    pid_ = 0;
                    break;
                }
                ::usleep(20000);
            }
            if (pid_ > 0) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
            }
        }
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

private:
    LoopbackServers() {
        const char* source = std::getenv("VELTRANE_SOURCE_DIR");
        if (!source) throw std::runtime_error("VELTRANE_SOURCE_DIR is not set");
        root = std::filesystem::temp_directory_path() / ("vt_servers_" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        certificate = root / "cert.pem";
        const std::filesystem::path key = root / "key.pem";
        const std::string make = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout '" +
                                 key.string() + "' -out '" + certificate.string() +
                                 "' -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 >/dev/null 2>&1";
        if (std::system(make.c_str()) != 0) throw std::runtime_error("openssl could not make a test certificate");

        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) throw std::runtime_error("pipe");
        const std::string script = std::string(source) + "/tests/support/loopback_servers.py";
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::close(in[1]);
            ::close(out[0]);
            ::execl("/usr/bin/python3", "python3", script.c_str(), root.c_str(), certificate.c_str(), key.c_str(),
                    static_cast<char*>(nullptr));
            std::_Exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        toChild_ = in[1];

        // The first line names the ports; give up after ten seconds.
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (line.find('\n') == std::string::npos) {
            pollfd p{out[0], POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || ::poll(&p, 1, int(left.count())) <= 0) break;
            char buf[256];
            const ssize_t n = ::read(out[0], buf, sizeof buf);
            if (n <= 0) break;
            line.append(buf, std::size_t(n));
        }
        ::close(out[0]);
        if (std::sscanf(line.c_str(), "{\"ftp\": %d, \"http\": %d, \"https\": %d}", &ftpPort, &httpPort, &httpsPort) != 3)
            throw std::runtime_error("the loopback servers did not start: " + line);
    }

    pid_t pid_ = 0;
    int toChild_ = -1;
};

}  // namespace vt::test
