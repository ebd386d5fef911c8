#pragma once
// Helpers of the Keystrand tests: hex texts, a private data root per test.

#include "keystrand/Engine.h"

#include <gtest/gtest.h>

#include <cstdint>
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
