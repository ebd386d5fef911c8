#include "exchange/ExchangeLog.h"
#include "exchange/ZipArchive.h"
#include "platform/files/SafeFile.h"
#include "tests/exchange/ExchangeFixture.h"

#include <zip.h>

#include <thread>

using namespace vt;
using namespace vt::test;
using exchange::RunMode;

namespace {

using Session = ExchangeTest;

TEST_F(Session, RunsLogAndReportAsTheWindowShowsThem) {
    struct Case {
        const char* name;
        std::string script;
        std::string protocol = "FTP";
        std::string port = "0";
        std::vector<std::string> rows;   // Exchange log
        std::string session;             // txtSession
    };
    const Case cases[] = {
        {"a line with breaks", "s = \"a\" & vbCrLf & \"b\" & vbTab : LogSession s : LogExchange \"Warning\", s",
         "FTP", "0",
         {"Info:Running receive script", "Info:a  b ", "Warning:a  b ", "Info:Receive script execution complete"},
         "a  b \r\n"},
        {"objects by bare names", "LogSession Exchange.UserName & \" \" & UserName & \" \" & TypeName(Inet)", "FTP", "0",
         {"Info:Running receive script", "Info:veltrane veltrane Inet", "Info:Receive script execution complete"},
         "veltrane veltrane Inet\r\n"},
        {"no Inet for SFTP", "LogSession TypeName(Inet)", "SFTP", "0",
         {"Info:Running receive script", "Info:Empty", "Info:Receive script execution complete"}, "Empty\r\n"},
        {"SFTP script using Inet", "Inet.Execute \"x\", \"DIR\"", "SFTP", "0",
         {"Info:Running receive script", "Error:Script error 424 in line 1: Object required: 'Inet'"},
         "Script error 424 in line 1: Object required: 'Inet'\r\n"},
        {"an empty port is the protocol's own", "LogSession \"ran \" & Inet.RemotePort", "FTP", "",
         {"Info:Running receive script", "Info:ran 0", "Info:Receive script execution complete"}, "ran 0\r\n"},
        {"a port beyond 65535 stops before the script, naming its box", "LogSession \"ran\"", "FTP", "65536",
         {"Info:Running receive script",
          "Error:Remote Port: \"65536\" is not a port number (1 to 65535; empty for the protocol's own)"},
         "Remote Port: \"65536\" is not a port number (1 to 65535; empty for the protocol's own)\r\n"},
        {"a port beyond 32767 is a port", "LogSession Inet.RemotePort", "FTP", "50000",
         {"Info:Running receive script", "Info:50000", "Info:Receive script execution complete"}, "50000\r\n"},
        {"hash of the running network, data types by name", "LogSession GetHashType & \" \" & icString & icByteArray",
         "FTP", "0", {"Info:Running receive script", "Info:32771 01", "Info:Receive script execution complete"},
         "32771 01\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scratch.db.exec("DELETE FROM Exchange");
        auto n = network(c.script, c.protocol);
        n.remotePort = c.port;
        n.hash = 2;   // MD5
        view.calls.clear();
        scratch.ui.refreshed.clear();
        EXPECT_TRUE(sessions->RunReceiveScript(n));
        EXPECT_EQ(log(), c.rows);
        // The main window's Exchange list shows the rows the run wrote, failed or not.
        EXPECT_EQ(scratch.ui.refreshed, std::vector<std::string>{"Exchange"});
        EXPECT_EQ(view.session, c.session);
        EXPECT_EQ(view.calls, (std::vector<std::string>{"buttons off", "clear", "buttons on"}));
        EXPECT_TRUE(view.busyWhenCleared);
        EXPECT_FALSE(sessions->isBusy());
        EXPECT_FALSE(core::IsSessionRunning());
    }
}

TEST_F(Session, ScriptErrorsAreShownOrLoggedOnce) {
    sessions->RunReceiveScript(network("x = 1\ny = 1 / 0"));
    const auto boxes = scratch.ui.eventsStartingWith("box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "box 16 Script Error: Description:   Division by zero\r\nScript Text:   y = 1 / 0\r\n"
                        "Error Number:  11\r\nLine Number:   2\r\nColumn Number: 0");
    EXPECT_EQ(log().back(), "Error:Script error 11 in line 2: Division by zero");

    core::gSilent = true;
    scratch.ui.events.clear();
    sessions->RunReceiveScript(network("y = 1 / 0"));
    EXPECT_EQ(scratch.ui.eventsStartingWith("box").size(), 0u);
    std::vector<std::string> history;
    for (const auto& h : scratch.ui.history) history.push_back(h.description);
    EXPECT_EQ(history, (std::vector<std::string>{"Description: Division by zero", "Script Text: y = 1 / 0",
                                                 "Error Number: 11", "Line Number: 1", "Column Number: 0"}));
}

TEST_F(Session, SendRunsMoveTheSentFileAndLocaleFileStartsEmpty) {
    load(outboundPo().text());
    sessions->exchange().LocaleFile = "/left/by/an/earlier/run";
    sessions->exchange().RemoteFile = "kept";
    // A failing send moves nothing.
    sessions->RunSendScript(network("CreateOutboundEDI : Err.Raise 5"));
    EXPECT_EQ(count("Outbox"), 3);
    EXPECT_EQ(log().back(), "Error:Script error 5 in line 1: Invalid procedure call or argument");
    // The failed send's file goes; its rows wait in the Outbox for the next send.
    EXPECT_EQ(filesIn(outbound), std::vector<std::string>{});
    EXPECT_FALSE(logged("Info:Send script execution complete"));

    scratch.db.exec("DELETE FROM Exchange");
    sessions->RunSendScript(network("LogSession \"[\" & Exchange.LocaleFile & \"] \" & Exchange.RemoteFile : CreateOutboundEDI"));
    EXPECT_EQ(log(), (std::vector<std::string>{"Info:Running send script", "Info:[] kept", "Info:Send script execution complete"}));
    EXPECT_EQ(count("Outbox"), 0);
    EXPECT_EQ(count("Sent"), 3);
    EXPECT_EQ(filesIn(sent).size(), 1u);

    // The Send button asks first.
    sessions->cmdSend_Click(network("LogSession \"ran\""));
    EXPECT_EQ(scratch.ui.eventsStartingWith("box").back(), "box 48 Veltrane: Outbox Empty");
    EXPECT_FALSE(logged("Info:ran"));
}

TEST_F(Session, LoadInBoxLoadsTheGivenFileAndTellsTheScriptWhyNot) {
    const fs::path good = inbound / "good.edi", bad = inbound / "bad.edi";
    writeAll(good, X12().isa("000000505", "PARTNERID", "OWNID").gs("51").po().ge().iea().text());
    writeAll(bad, "not an interchange");
    const std::string script = "LogSession \"[\" & LoadInBox(\"" + good.string() + "\") & \"]\"\n"
                               "Exchange.LocaleFile = \"anything\"\n"
                               "LogSession \"[\" & LoadInBox(\"" + bad.string() + "\") & \"]\"\n"
                               "LogSession \"[\" & LoadInBox(\"" + good.string() + "\") & \"]\"\n";
    sessions->RunReceiveScript(network(script));
    const std::string notReceived = "Not loaded into the Inbox: " + good.string() +
                                    " (Exchange.LocaleFile is empty: nothing was received in this run)";
    EXPECT_EQ(log(), (std::vector<std::string>{"Info:Running receive script", "Warning:" + notReceived,
                                               "Info:[" + notReceived + "]", "Error:Missing ISA Segment",
                                               "Info:[Missing ISA Segment]", "Info:[]",
                                               "Info:Receive script execution complete"}));
    EXPECT_EQ(count("Inbox"), 1);
    EXPECT_TRUE(std::any_of(scratch.ui.history.begin(), scratch.ui.history.end(), [](const core::HistoryItem& h) {
        return h.icon == "Error" && h.description == "Missing ISA Segment";
    }));

    // No session starts while a read holds its transaction; a scheduler defers.
    db::Transaction reading(scratch.db);
    EXPECT_FALSE(sessions->canStartScheduled());
    EXPECT_FALSE(sessions->RunReceiveScript(network("LogSession \"ran\""), RunMode::Scheduled));
    reading.rollback();
    EXPECT_TRUE(sessions->canStartScheduled());
}

TEST_F(Session, ZipAndUnzipStayInsideTheInboundFolder) {
    const fs::path file = outbound / "out.OC";
    writeAll(file, "ISA*zip~");
    sessions->Zip(file.string());
    ASSERT_TRUE(fs::exists(outbound / "out.OC.zip"));
    sessions->exchange().LocaleFile = (outbound / "out.OC.zip").string();
    sessions->UnZip();
    EXPECT_EQ(readAll(inbound / "out.OC"), "ISA*zip~");
    // Partner data is the owner's alone; a replaced file keeps the mode its owner gave it.
    const auto ownerOnly = fs::perms::owner_read | fs::perms::owner_write;
    EXPECT_EQ(fs::status(outbound / "out.OC.zip").permissions(), ownerOnly);
    EXPECT_EQ(fs::status(inbound / "out.OC").permissions(), ownerOnly);
    fs::permissions(inbound / "out.OC", ownerOnly | fs::perms::group_read);
    files::ReplaceFile(inbound / "out.OC", "ISA*again~");
    EXPECT_EQ(readAll(inbound / "out.OC"), "ISA*again~");
    EXPECT_EQ(fs::status(inbound / "out.OC").permissions(), ownerOnly | fs::perms::group_read);

    // An entry that would land elsewhere is refused by name; the archive's good entries arrive.
    for (const std::string evil : {"../escaped.edi", "/tmp/absolute.edi", "sub/../../escaped.edi", "..\\escaped.edi"}) {
        SCOPED_TRACE(evil);
        fs::remove(inbound / "fine.edi");
        const fs::path archive = scratch.folder() / "evil.zip";
        int code = 0;
        zip_t* z = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
        ASSERT_NE(z, nullptr);
        for (const std::string& name : {std::string("fine.edi"), evil}) {
            zip_source_t* s = zip_source_buffer(z, "x", 1, 0);
            ASSERT_GE(zip_file_add(z, name.c_str(), s, ZIP_FL_ENC_UTF_8), 0);
        }
        ASSERT_EQ(zip_close(z), 0);
        sessions->exchange().LocaleFile = archive.string();
        sessions->UnZip();
        EXPECT_EQ(readAll(inbound / "fine.edi"), "x");
        EXPECT_FALSE(fs::exists(scratch.folder() / "escaped.edi"));
        EXPECT_EQ(log().back().rfind("Error:Zip entry \"" + evil + "\"", 0), 0u) << log().back();
    }
    EXPECT_FALSE(fs::exists("/tmp/absolute.edi"));
}

TEST_F(Session, FormOffersItsEighteenOperations) {
    const automation::Variant form = sessions->formObject();
    EXPECT_EQ(automation::typeName(form), "frmExchange");
    for (std::string_view name : exchange::kFormOperations) EXPECT_TRUE(form.object()->hasMember(name)) << name;
    EXPECT_EQ(exchange::kFormOperations.front(), "MoveOutToSent");
    EXPECT_EQ(exchange::kFormOperations.back(), "SendAS2");
    // Outside a session no network's hash applies.
    EXPECT_EQ(automation::toInt32(automation::call(form, "GetHashType")), 0);
    // LogSession gives the caller's variable back changed.
    automation::Variant text("a\tb");
    automation::Variant* args[] = {&text};
    form.object()->invoke("LogSession", automation::InvokeKind::Method, args);
    EXPECT_EQ(text.stringValue(), "a b");
}

TEST_F(Session, StateTexts) {
    const std::pair<int, std::string> cases[] = {
        {0, "No state information is available."},
        {3, "Connecting to the remote server."},
        {12, "The request was completed, all data has been received."},
        {13, "Unknown state: 13"},
        {1234, "Unknown state: 1,234"},
    };
    for (const auto& [state, text] : cases) EXPECT_EQ(exchange::InetStateText(state), text);
    sessions->icInternet_StateChanged(4);
    EXPECT_EQ(view.session, "Connected to the remote server.\r\n");
    EXPECT_EQ(log(), std::vector<std::string>{"Info:Connected to the remote server."});
}

TEST_F(Session, ASessionCanBeCancelledAndUnattendedOnesHaveABudget) {
    std::thread canceller([this] {
        while (!sessions->isBusy()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        sessions->cancelSession();
    });
    sessions->RunReceiveScript(network("Do : Loop"));
    canceller.join();
    EXPECT_EQ(log().back(), "Error:Session cancelled");
    EXPECT_EQ(scratch.ui.eventsStartingWith("box").size(), 0u);

    exchange::SessionOptions o;
    o.unattendedBudget = std::chrono::milliseconds(200);
    exchange::ExchangeSessions scheduled(scratch.services, view, o);
    scheduled.RunReceiveScript(network("Do : WaitForResponse : Loop"), RunMode::Scheduled);
    EXPECT_EQ(log().back(), "Error:Session stopped: its time limit of 0.2 seconds was reached");
    // A whole number of seconds reads as one.
    o.unattendedBudget = std::chrono::milliseconds(1000);
    exchange::ExchangeSessions whole(scratch.services, view, o);
    whole.RunReceiveScript(network("Do : Loop"), RunMode::Scheduled);
    EXPECT_EQ(log().back(), "Error:Session stopped: its time limit of 1 second was reached");
}

}  // namespace
