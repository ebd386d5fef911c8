#pragma once
// An Exchange test with the loopback FTP, HTTP and HTTPS servers, each test in its own folder on
// them.

#include "tests/exchange/ExchangeFixture.h"
#include "tests/support/LoopbackServers.h"

namespace vt::test {

class LoopbackExchangeTest : public ExchangeTest {
protected:
    void SetUp() override {
        ExchangeTest::SetUp();
        servers = &LoopbackServers::instance();
        inet::Options o;
        o.extraCaFile = servers->certificate;
        inet::setOptions(o);
        folder = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    std::string http() const { return "http://127.0.0.1:" + std::to_string(servers->httpPort); }
    std::string https() const { return "https://127.0.0.1:" + std::to_string(servers->httpsPort); }

    LoopbackServers* servers = nullptr;
    std::string folder;   // this test's own folder on the servers
};

}  // namespace vt::test
