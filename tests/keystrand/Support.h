#pragma once
// Helpers of the Keystrand tests: hex texts, errors caught, a private data root per test, and
// OpenSSL's own keys made from the numbers of a blob.

#include "keystrand/Engine.h"
#include "keystrand/Errors.h"
#include "keystrand/OpenSsl.h"

#include "platform/automation/Object.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/param_build.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace keystrand::test {

inline std::vector<std::uint8_t> unhex(std::string_view hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(std::uint8_t(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return out;
}

inline std::string hex(const std::vector<std::uint8_t>& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (auto b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

inline std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

// The number of the engine failure `f` throws; 0 when it throws none.
inline std::int32_t failureOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Failure& e) {
        return e.number;
    }
    return 0;
}

// The error a class member raises; number 0 when it raises none.
inline vt::automation::Error errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const vt::automation::Error& e) {
        return e;
    }
    return vt::automation::Error(0);
}

// Appends the key's number `name` in `width` bytes, least significant first.
inline void appendParam(EVP_PKEY* key, const char* name, std::size_t width, std::vector<std::uint8_t>& out) {
    BIGNUM* b = nullptr;
    EVP_PKEY_get_bn_param(key, name, &b);
    const std::size_t at = out.size();
    out.resize(at + width);
    BN_bn2lebinpad(b, out.data() + at, int(width));
    BN_free(b);
}

// OpenSSL's key of `type` ("RSA", "DSA") from numbers given least significant byte first.
inline ossl::Pkey opensslKey(const char* type, int selection,
                             const std::vector<std::pair<const char*, std::vector<std::uint8_t>>>& numbers) {
    OSSL_PARAM_BLD* bld = OSSL_PARAM_BLD_new();
    std::vector<BIGNUM*> held;
    for (const auto& [name, le] : numbers) {
        held.push_back(BN_lebin2bn(le.data(), int(le.size()), nullptr));
        OSSL_PARAM_BLD_push_BN(bld, name, held.back());
    }
    OSSL_PARAM* params = OSSL_PARAM_BLD_to_param(bld);
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_name(nullptr, type, nullptr);
    EVP_PKEY* key = nullptr;
    EVP_PKEY_fromdata_init(ctx);
    EVP_PKEY_fromdata(ctx, &key, selection, params);
    EVP_PKEY_CTX_free(ctx);
    OSSL_PARAM_free(params);
    OSSL_PARAM_BLD_free(bld);
    for (BIGNUM* b : held) BN_free(b);
    return ossl::adopt(key);
}

// Gives each test its own data root (key containers, certificate stores).
class DataRootTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = std::filesystem::temp_directory_path() /
               ("keystrand-test-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        setDataRoot(root);
    }
    void TearDown() override {
        setDataRoot({});
        std::filesystem::remove_all(root);
    }
    std::filesystem::path root;
};

}  // namespace keystrand::test
