#pragma once
// Test certificates made with the openssl command line, once per test program: a
// self-signed CA ("Alpha CA", with e-mail and DNS alternative names) and a leaf it signed
// ("Beta Leaf", no e-mail), each with its private key, and the CA's revocation list.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace vt::certstore::test {

struct TestCertificates {
    std::filesystem::path folder;
    std::filesystem::path caPem, caKey, caDer, leafPem, leafKey;
    std::filesystem::path crlPem, crlDer;   // an empty revocation list of the CA

    static const TestCertificates& get() {
        static const TestCertificates made = make();
        return made;
    }

private:
    static void run(const std::string& command) {
        ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
    }
    static TestCertificates make() {
        TestCertificates t;
        t.folder = std::filesystem::temp_directory_path() / ("vt-test-certs-" + std::to_string(::getpid()));
        std::filesystem::create_directories(t.folder);
        static struct Cleanup {
            std::filesystem::path folder;
            ~Cleanup() {
                std::error_code ec;
                std::filesystem::remove_all(folder, ec);
            }
        } cleanup;
        cleanup.folder = t.folder;
        const std::string f = t.folder.string() + "/";
        t.caPem = f + "ca.pem";
        t.caKey = f + "ca.key";
        t.caDer = f + "ca.der";
        t.leafPem = f + "leaf.pem";
        t.leafKey = f + "leaf.key";
        run("openssl req -x509 -newkey rsa:1024 -nodes -days 30 -keyout '" + t.caKey.string() + "' -out '" +
            t.caPem.string() + "' -subj '/C=US/O=Example Org/CN=Alpha CA' -addext "
            "'subjectAltName=email:alpha@example.com,DNS:alpha.example.com,URI:http://example.com/alpha'");
        run("openssl x509 -in '" + t.caPem.string() + "' -outform DER -out '" + t.caDer.string() + "'");
        run("openssl req -newkey rsa:1024 -nodes -keyout '" + t.leafKey.string() + "' -out '" + f +
            "leaf.csr' -subj '/O=Example Org/OU=Shipping, Receiving/CN=Beta Leaf'");
        run("openssl x509 -req -days 10 -in '" + f + "leaf.csr' -CA '" + t.caPem.string() + "' -CAkey '" +
            t.caKey.string() + "' -set_serial 2 -out '" + t.leafPem.string() + "'");
        t.crlPem = f + "ca.crl";
        t.crlDer = f + "ca.crl.der";
        std::ofstream(f + "index.txt").flush();
        std::ofstream(f + "crlnumber") << "01\n";
        std::ofstream(f + "ca.cnf") << "[ca]\ndefault_ca=d\n[d]\ndatabase=" << f << "index.txt\ncrlnumber=" << f
                                    << "crlnumber\ndefault_md=sha256\ndefault_crl_days=30\n";
        run("openssl ca -gencrl -config '" + f + "ca.cnf' -keyfile '" + t.caKey.string() + "' -cert '" +
            t.caPem.string() + "' -out '" + t.crlPem.string() + "'");
        run("openssl crl -in '" + t.crlPem.string() + "' -outform DER -out '" + t.crlDer.string() + "'");
        return t;
    }
};

inline void copyFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::create_directories(to.parent_path());
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

inline void appendFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::app);
    out << in.rdbuf();
}

}  // namespace vt::certstore::test
