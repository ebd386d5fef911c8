#include "setup/Password.h"

#include "core/RunError.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <charconv>
#include <vector>

namespace vt::setup {

namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr int kIterations = 210000;   // a login takes well under a second
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;
constexpr int kMaxIterations = 10000000;   // a hand-edited value cannot freeze the login

std::string toHex(const unsigned char* p, std::size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(n * 2);
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[p[i] >> 4];
        out += digits[p[i] & 15];
    }
    return out;
}

bool fromHex(std::string_view hex, std::vector<unsigned char>& out) {
    if (hex.size() % 2) return false;
    out.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        auto [end, ec] = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
        if (ec != std::errc() || end != hex.data() + i + 2) return false;
        out.push_back(static_cast<unsigned char>(value));
    }
    return true;
}

struct Parsed {
    int iterations = 0;
    std::vector<unsigned char> salt, hash;
};

bool parse(std::string_view stored, Parsed& p) {
    auto next = [&](std::string_view& field) {
        const auto at = stored.find('$');
        field = stored.substr(0, at);
        stored = at == std::string_view::npos ? std::string_view() : stored.substr(at + 1);
        return at != std::string_view::npos;
    };
    std::string_view scheme, iterations, salt;
    if (!next(scheme) || scheme != kScheme || !next(iterations) || !next(salt)) return false;
    auto [end, ec] = std::from_chars(iterations.data(), iterations.data() + iterations.size(), p.iterations);
    if (ec != std::errc() || end != iterations.data() + iterations.size()) return false;
    if (p.iterations < 1 || p.iterations > kMaxIterations) return false;
    return fromHex(salt, p.salt) && !p.salt.empty() && fromHex(stored, p.hash) && !p.hash.empty() &&
           p.hash.size() <= 64;
}

std::vector<unsigned char> derive(std::string_view password, const std::vector<unsigned char>& salt,
                                  int iterations, std::size_t length) {
    std::vector<unsigned char> out(length);
    if (PKCS5_PBKDF2_HMAC(password.data(), int(password.size()), salt.data(), int(salt.size()), iterations,
                          EVP_sha256(), int(out.size()), out.data()) != 1)
        throw core::RunError(5, "The password could not be hashed");
    return out;
}

}  // namespace

std::string hashPassword(std::string_view password) {
    std::vector<unsigned char> salt(kSaltBytes);
    if (RAND_bytes(salt.data(), int(salt.size())) != 1)
        throw core::RunError(5, "No random numbers for the password's salt");
    const auto hash = derive(password, salt, kIterations, kHashBytes);
    return std::string(kScheme) + "$" + std::to_string(kIterations) + "$" + toHex(salt.data(), salt.size()) +
           "$" + toHex(hash.data(), hash.size());
}

bool isPasswordHash(std::string_view stored) {
    Parsed p;
    return parse(stored, p);
}

bool verifyPassword(std::string_view stored, std::string_view password) {
    Parsed p;
    if (!parse(stored, p)) return equalConstantTime(stored, password);
    const auto hash = derive(password, p.salt, p.iterations, p.hash.size());
    return CRYPTO_memcmp(hash.data(), p.hash.data(), hash.size()) == 0;
}

bool equalConstantTime(std::string_view a, std::string_view b) {
    // Compare as many bytes as the longer text has, so the time tells nothing but that length.
    const std::size_t n = std::max(a.size(), b.size());
    unsigned diff = a.size() != b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        diff |= unsigned(x ^ y);
    }
    return diff == 0;
}

}  // namespace vt::setup
