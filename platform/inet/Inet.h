#pragma once
// The internet transfer control over libcurl, as a late-bound object ("Inet" in network scripts).
// FTP, HTTP and HTTPS: OpenURL fetches a document whole; Execute starts a request (FTP commands
// such as "PUT local remote", HTTP "GET", "HEAD", "POST", "PUT") and returns at once, the
// response is read with GetChunk and GetHeader, StillExecuting tells when it is done.
//
// Transfers run on a worker thread; everything else, the state-change events included, happens
// on the thread that owns the object. Events are queued by the worker and delivered by
// deliverEvents(), which the object itself calls whenever a script asks it something and while
// it waits; a window may also call it from its event loop when the notifier fires. While it
// waits (OpenURL, GetChunk before data arrived) it calls the host's yield hook, so the window
// stays alive, and stops waiting when the host's stop hook says so.
//
// Every request has a time-out: connecting, and any stall of the transfer, are limited by
// RequestTimeout seconds (the default time-out when it is 0). Only ftp, http and https addresses
// are taken. What a server sends is held to a size limit the host sets, and no name it sends
// can make a download land outside the folder the script named.

#include "platform/automation/Object.h"
#include "platform/inet/Passwords.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vt::inet {

// Protocol numbers. 3 is kept for scripts that name it; no transfer is offered for it.
enum Protocol : int { icUnknown = 0, icDefault = 1, icFTP = 2, icReserved = 3, icHTTP = 4, icHTTPS = 5 };
enum AccessType : int { icUseDefault = 0, icDirect = 1, icNamedProxy = 2 };
enum DataType : int { icString = 0, icByteArray = 1 };
// States of the state-change event.
enum State : int {
    icNone = 0,
    icHostResolvingHost = 1,
    icHostResolved = 2,
    icConnecting = 3,
    icConnected = 4,
    icRequesting = 5,
    icRequestSent = 6,
    icReceivingResponse = 7,
    icResponseReceived = 8,
    icDisconnecting = 9,
    icDisconnected = 10,
    icError = 11,
    icResponseCompleted = 12,
};

// Errors raised to callers (source "Inet").
namespace err {
inline constexpr std::int32_t RequestFailed = 35750;      // the transfer failed; text says why
inline constexpr std::int32_t UrlMalformed = 35752;
inline constexpr std::int32_t NoProtocol = 35753;         // no transfer for that protocol / operation
inline constexpr std::int32_t Cancelled = 35754;          // the host stopped the wait or Cancel was called
inline constexpr std::int32_t StillExecuting = 35764;     // a request is running already
}  // namespace err

// Process-wide settings that scripts do not see.
struct Options {
    // Certificates trusted for HTTPS besides the system's (PEM); empty: the system's only.
    std::filesystem::path extraCaFile;
    // Seconds a request may stall when RequestTimeout is 0.
    long defaultTimeoutSeconds = 60;
};
void setOptions(const Options& options);
Options options();


// Whether a name from an FTP listing may be used as a local file name and passed through an
// operation: no "/", "\", "..", blank, quote or control character.
bool IsPlainListingName(std::string_view name);

class Transfer;
class Sockets;

class Inet final : public automation::Dispatch<Inet> {
public:
    static const automation::Members<Inet>& members();

    Inet();
    ~Inet() override;

    // ---- Properties ----
    int protocol = icDefault;
    std::string remoteHost;
    int remotePort = 0;          // 0: the URL's port or the protocol's default
    long requestTimeout = 60;    // seconds; 0: the default time-out
    int accessType = icUseDefault;
    std::string proxy;
    std::string userName;
    std::string password;
    std::string document;
    long responseCode = 0;
    std::string responseInfo;

    const std::string& url() const { return url_; }
    // Also sets Protocol, RemoteHost, Document and, for an explicit port, RemotePort; user and
    // password in the URL set UserName and Password. Error UrlMalformed for an unusable URL.
    void setUrl(std::string_view url);

    // ---- Methods ----
    // The whole document as text or bytes (icByteArray). Waits, yielding, until it arrived.
    automation::Variant openUrl(std::string_view url, int dataType = icString);
    // Starts a request; returns at once. `url` empty: the current URL.
    void execute(std::string_view url, std::string_view operation, const automation::Variant& data = {},
                 std::string_view requestHeaders = {});
    // Up to `size` bytes of the response not read yet; waits while the request runs and nothing
    // is there. Empty once everything was read.
    automation::Variant getChunk(long size, int dataType = icString);
    // One response header's value ("" when absent), or with an empty name all of them.
    std::string getHeader(std::string_view name = {});
    // Delivers pending events, then tells whether a request still runs.
    bool stillExecuting();
    // Stops the running request (if any) and forgets its response.
    void cancel();

    // ---- Host side (scripts do not see these) ----
    // Only https: other addresses, and a protocol other than HTTPS, are refused.
    bool secureOnly = false;
    // Bytes one response may hold, in memory or in a file; 0: no limit.
    std::int64_t maxResponseBytes = 0;
    // Downloads `url` into `file` (replaced only when the whole response arrived and, over HTTP,
    // the server's answer is below 400), waiting as OpenURL does. The response code tells the
    // HTTP answer. Error RequestFailed (or Cancelled) when it failed.
    void download(std::string_view url, const std::filesystem::path& file);
    // Time spent waiting for running requests since the object was made.
    std::chrono::steady_clock::duration networkWaitTime() const { return networkWait_; }

    std::function<void(int state)> onStateChanged;
    // Called while waiting (let window events run) and asked whether to stop waiting.
    void setWaitHooks(std::function<void()> yield, std::function<bool()> stop);
    // Called on the worker thread whenever an event is queued (e.g. to post a delivery).
    void setEventNotifier(std::function<void()> notifier);
    // Runs onStateChanged for every queued event, in order, on the calling thread.
    void deliverEvents();
    // Waits, yielding, until the running request ended; false when the stop hook ended the wait.
    bool waitForCompletion();

    // The worker's view of one request and of an FTP login (Inet.cpp).
    struct Request;
    struct FtpSession {
        std::string key;                 // scheme, host, port and user it belongs to
        std::string entryPath;           // the login folder ("" until known)
        std::vector<std::string> cwd;    // folders below the root ("/" based) or the entry folder
        bool absolute = false;
    };

private:
    void startRequest(Request request);
    // A GET of `url` (or the current URL) to its end: into `file`, or kept for reading.
    void fetch(std::string_view url, const std::filesystem::path& file);
    void finishIfDone();
    void waitWhile(const std::function<bool()>& keepWaiting);
    void joinWorker();
    std::string effectiveUrl(std::string_view url) const;

    std::string url_;
    FtpSession pending_;                   // the folder a running CD moves to
    bool hasPending_ = false;
    std::shared_ptr<Transfer> transfer_;   // the running or last request
    std::thread worker_;
    std::unique_ptr<Sockets> sockets_;     // outlives the handle, whose close calls reach it
    void* curl_ = nullptr;                  // one handle, so an FTP login is reused
    FtpSession ftp_;
    std::function<void()> yield_;
    std::function<bool()> stop_;
    std::function<void()> notifier_;
    bool delivering_ = false;
    std::chrono::steady_clock::duration networkWait_{};
};

// The text of an FTP path for commands: "/" joined components.
std::string joinFtpPath(const std::vector<std::string>& parts, bool absolute);

}  // namespace vt::inet
