// Whole sessions with real send and receive scripts against servers on loopback.
#include "tests/exchange/CrashScripts.h"
#include "tests/exchange/LoopbackFixture.h"

#include <thread>

using namespace vt;
using namespace vt::test;

namespace {

using EndToEnd = LoopbackExchangeTest;

TEST_F(EndToEnd, FtpSendPutsTheOutboxOnTheServerAndMovesItToSent) {
    load(outboundPo().text());
    fs::create_directories(servers->ftpHome() / folder);
    const std::string script =
        "CreateOutboundEDI\n"
        "Inet.Execute Exchange.URL, \"CD " + folder + "\"\n"
        "WaitForResponse\n"
        "Inet.Execute , \"PUT \"\"\" & Exchange.LocaleFile & \"\"\" partner.edi\"\n"
        "WaitForResponse\n"
        "If Inet.ResponseCode <> 226 Then Err.Raise 5, , \"upload failed: \" & Inet.ResponseInfo\n";
    EXPECT_TRUE(sessions->RunSendScript(network(script, "FTP", servers->ftp())));
    EXPECT_EQ(readAll(servers->ftpHome() / folder / "partner.edi"), outboundPo().text());
    EXPECT_EQ(count("Outbox"), 0);
    EXPECT_EQ(count("Sent"), 3);
    EXPECT_EQ(filesIn(sent), std::vector<std::string>{"030524-020709-PM.OC"});
    const auto rows = log();
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows.front(), "Info:Running send script");
    EXPECT_TRUE(logged("Info:Connecting to the remote server."));
    EXPECT_TRUE(logged("Info:The request was completed, all data has been received."));
    EXPECT_EQ(rows.back(), "Info:Send script execution complete");
    EXPECT_NE(view.session.find("The request was completed, all data has been received.\r\n"), std::string::npos);
}

TEST_F(EndToEnd, FtpReceiveFetchesEveryFileLoadsItAndDeletesItThere) {
    const fs::path remote = servers->ftpHome() / folder;
    writeAll(remote / "a.edi", X12().isa("000000601", "PARTNERID", "OWNID").gs("61").po().ge().iea().text());
    writeAll(remote / "b.edi", X12().isa("000000602", "PARTNERID", "OWNID").gs("62").po().po("0002").ge().iea().text());
    EXPECT_TRUE(sessions->RunReceiveScript(network(crash::kReceive, "FTP", servers->ftp("/" + folder + "/"))));
    EXPECT_EQ(log().back(), "Info:Receive script execution complete");
    EXPECT_EQ(count("Inbox"), 3);
    EXPECT_EQ(filesIn(remote), std::vector<std::string>{});
    EXPECT_EQ(filesIn(inbound), (std::vector<std::string>{"a.edi", "b.edi"}));
}

TEST_F(EndToEnd, HttpReceiveAndHttpsSend) {
    const std::string interchange = X12().isa("000000701", "PARTNERID", "OWNID").gs("71").po().ge().iea().text();
    writeAll(servers->httpFolder() / (folder + ".edi"), interchange);
    const fs::path target = inbound / "received.edi";
    writeAll(target, std::string(4000, 'x'));   // an older, longer file is replaced whole
    const std::string receive =
        "Exchange.LocaleFile = \"" + target.string() + "\"\n"
        "SaveChunk Exchange.URL & \"/" + folder + ".edi\", Exchange.LocaleFile\n"
        "SaveChunk Exchange.URL & \"/status/404\", GetInboundPath & \"error.edi\"\n"
        "LoadInBox Exchange.LocaleFile\n";
    const std::string http = "http://127.0.0.1:" + std::to_string(servers->httpPort);
    EXPECT_TRUE(sessions->RunReceiveScript(network(receive, "HTTP", http)));
    EXPECT_EQ(readAll(target), interchange);
    EXPECT_FALSE(fs::exists(inbound / "error.edi"));
    EXPECT_TRUE(logged("Error:The server answered 404 for " + http + "/status/404; nothing was saved"));
    EXPECT_EQ(count("Inbox"), 1);

    load(outboundPo().text());
    const std::string send =
        "Inet.Execute Exchange.URL & \"/" + folder + "-sent.edi\", \"POST\", GetOutboundEDI, \"Content-Type: application/edi-x12\"\n"
        "WaitForResponse\n"
        "LogSession Inet.GetChunk(100)\n";
    const std::string https = "https://127.0.0.1:" + std::to_string(servers->httpsPort);
    EXPECT_TRUE(sessions->RunSendScript(network(send, "HTTPS", https)));
    EXPECT_EQ(readAll(servers->httpFolder() / "uploads" / (folder + "-sent.edi")), outboundPo().text());
    EXPECT_TRUE(logged("Info:stored " + std::to_string(outboundPo().text().size()) + " bytes"));
    EXPECT_EQ(count("Sent"), 3);
}

TEST_F(EndToEnd, ASessionWaitingOnTheNetworkCanBeCancelled) {
    load(outboundPo().text());
    std::thread canceller([this] {
        while (!sessions->isBusy()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        sessions->cancelSession();
    });
    const auto start = std::chrono::steady_clock::now();
    const std::string http = "http://127.0.0.1:" + std::to_string(servers->httpPort);
    sessions->RunSendScript(network("CreateOutboundEDI\nInet.Execute Exchange.URL & \"/slow\", \"GET\"\nWaitForResponse\n",
                                    "HTTP", http));
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(log().back(), "Error:Session cancelled");
    EXPECT_FALSE(sessions->inet().stillExecuting());
    EXPECT_EQ(count("Outbox"), 3);   // nothing moved
    EXPECT_EQ(count("Sent"), 0);
}

}  // namespace
