#pragma once
// The scripts of the kill tests and where their process lays its folders, shared by the test and
// the process it kills (exchange_crash_step).

#include "exchange/ExchangeSessions.h"

#include <filesystem>
#include <sys/resource.h>
#include <string>

namespace vt::test::crash {

// Outbound, Inbound and Sent below the data folder, as the settings of both processes name them.
inline std::filesystem::path outbound(const std::filesystem::path& data) { return data / "Outbound"; }
inline std::filesystem::path inbound(const std::filesystem::path& data) { return data / "Inbound"; }
inline std::filesystem::path sent(const std::filesystem::path& data) { return data / "Sent"; }

// Sends the Outbox as "partner.edi" into the URL's folder, when it holds rows (IsOutboxEmpty
// answers True then).
inline const char* const kSend =
    "If IsOutboxEmpty Then\n"
    "  CreateOutboundEDI\n"
    "  Inet.Execute Exchange.URL, \"PUT \"\"\" & Exchange.LocaleFile & \"\"\" partner.edi\"\n"
    "  WaitForResponse\n"
    "  If Inet.ResponseCode <> 226 Then Err.Raise 5, , \"upload failed: \" & Inet.ResponseInfo\n"
    "End If\n";

// Fetches every .edi of the URL's folder, loads it and deletes it there once it is loaded.
inline const char* const kReceive =
    "Inet.Execute Exchange.URL, \"DIR *.edi\"\n"
    "WaitForResponse\n"
    "For Each n In Split(Inet.GetChunk(4096), vbCrLf)\n"
    "  If n <> \"\" Then\n"
    "    Exchange.LocaleFile = GetInboundPath & n\n"
    "    Inet.Execute , \"GET \" & n & \" \"\"\" & Exchange.LocaleFile & \"\"\"\"\n"
    "    WaitForResponse\n"
    "    If LoadInBox(Exchange.LocaleFile) = \"\" Then Inet.Execute , \"DELETE \" & n : WaitForResponse\n"
    "  End If\n"
    "Next\n";

// A download that never ends (the URL is the HTTP server's).
inline const char* const kDownload = "SaveChunk Exchange.URL & \"/trickle\", GetInboundPath & \"slow.edi\"\n";

// Unpacks the archive the URL names into the Inbound folder.
inline const char* const kUnzip = "Exchange.LocaleFile = Exchange.URL\nUnZip\n";
// What an extraction may write before the step "extracting" kills it: past the database's size.
inline constexpr rlim_t kExtractedBytes = 4 << 20;

inline exchange::NetworkControls network(const std::string& url, const std::string& protocol, const std::string& script) {
    exchange::NetworkControls n;
    n.url = url;
    n.userName = "veltrane";
    n.password = "secret";
    n.timeOut = "10";
    n.protocolIndex = protocol == "FTP" ? 2 : 4;
    n.protocolText = protocol;
    n.sendScript = n.receiveScript = script;
    return n;
}

}  // namespace vt::test::crash
