#pragma once
// Send and receive sessions of the Exchange window and the script API they offer.
//
// A session runs one network's send or receive script in the script host with three objects:
// "Inet" (the transfer control; none for the protocol "SFTP"), "Exchange" (clsExchange) and
// "Form" (the operations below, in their fixed order), each also reachable by bare member
// names. Every session writes the Exchange log and the window's session text. The window
// (frmExchange) owns one ExchangeSessions, implements SessionView and hands each run the
// network's controls as they stand on the screen.
//
// Sessions can be cancelled; a script lets window events run at its statement checks, so the
// window stays alive and Cancel ends any session within a second. The script's time-out counts
// the time it spends in the program's operations as well, but not waits on a running transfer
// or a box the user has to answer. Runs nobody watches (scheduled, or an unattended UiSink)
// also stop at their time budget. While a session runs the main window keeps the database open
// (core::SessionGuard), and no session starts while an interchange read holds its transaction.
//
// Files a session writes are recorded (FileJournal) before they can matter, so that a session
// killed at any point is completed or undone when the next one starts or the window loads.
//
// While a session runs, the database answers a busy lock at once (SQLite's own wait is short, as
// its busy handler must never run window events); the session asks again in short steps, with
// window events between them, for at most the usual five seconds per operation, and in all for
// what follows the script. A cancelled session asks no more. Log rows that cannot wait are kept
// and written later.

#include "core/Services.h"
#include "exchange/Connection.h"
#include "exchange/FileJournal.h"
#include "exchange/Networks.h"
#include "exchange/UniqueNames.h"
#include "exchange/clsExchange.h"
#include "platform/automation/Object.h"
#include "platform/inet/Inet.h"
#include "platform/vbscript/ScriptControl.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::exchange {

// Entries of the protocol and access-type lists, by stored position.
inline constexpr std::array<std::string_view, 7> kProtocols = {"Unknown", "Default", "FTP", "SMTP",
                                                               "HTTP",    "HTTPS",   "SFTP"};
inline constexpr std::array<std::string_view, 3> kAccessTypes = {"Use Default", "Dirrect", "Named Proxy"};

// The script API of "Form", in its fixed order.
inline constexpr std::array<std::string_view, 18> kFormOperations = {
    "MoveOutToSent", "IsOutboxValidated", "IsOutboxEmpty",  "WriteOutBoxToFile", "LogSession",
    "LogExchange",   "LoadInBox",         "GenerateFileName", "GetOutboundPath", "GetInboundPath",
    "Zip",           "UnZip",             "SaveChunk",      "CreateOutboundEDI", "GetOutboundEDI",
    "WaitForResponse", "GetHashType",     "SendAS2"};

// A network's detail controls as a run reads them (unsaved edits included).
struct NetworkControls {
    std::string url;            // txtURL
    std::string userName;       // txtUserName
    std::string password;       // txtPassword
    std::string remotePort;     // mebRemotePort text
    std::string timeOut;        // mebTimeOut text (seconds)
    int protocolIndex = -1;     // cboProtocol position
    std::string protocolText;   // the text cboProtocol shows
    int accessTypeIndex = -1;   // cboAccessType position
    std::string proxy;          // txtProxy
    std::string sendScript;     // txtSend
    std::string receiveScript;  // txtReceive
    int hash = -1;              // cboHash position
    std::string sizeLimit;      // megabytes one download or unpacked file may hold; "" the default
};

// What a run reads of a network's settings.
NetworkControls ControlsFor(const NetworkSettings& network);
// The connection settings among them.
ConnectionInput ConnectionOf(const NetworkControls& network);
// "" when a network's connection settings can work, else the message that names the box that cannot.
std::string ValidateNetworkSettings(const NetworkSettings& network);

// A network's certificate choice as its Encryption tab shows it.
struct SigningChoice {
    std::string storeLocation;   // the text cboStoreLocation shows
    std::string storeName;       // the text cboStoreName shows
    int certificateRow = -1;     // 0-based selected row of lvwCertificate; -1 none
};

// What a session needs of the Exchange window.
class SessionView {
public:
    virtual ~SessionView() = default;
    // cmdModify, cmdSend and cmdReceive together.
    virtual void setSessionButtonsEnabled(bool enabled) = 0;
    virtual void clearSessionText() = 0;
    // Appends to txtSession; `text` ends with CR LF.
    virtual void appendSessionText(std::string_view text) = 0;
    // Network `index`'s certificate choice; nothing when there is no such network.
    virtual std::optional<SigningChoice> signingChoice(int index) const {
        (void)index;
        return std::nullopt;
    }
};

struct SessionOptions {
    long scriptTimeoutMs = 60000;   // the script's time, transfer waits and the user's boxes not counted
    std::chrono::milliseconds unattendedBudget{30 * 60 * 1000};   // whole run, when nobody watches
    // How long one operation, and everything after the script together, waits for a busy database.
    std::chrono::milliseconds busyPatience{5000};
    // Told each step that changes files or tables ("outbox written", "script ended", "rows
    // moving", "rows committed", "rows moved", "file linked", "file moved", "loading", "load
    // committed", "loaded"); for tests that stop a process between two steps.
    std::function<void(std::string_view step)> onStep;
};

enum class RunMode { Interactive, Scheduled };

class ExchangeSessions {
public:
    ExchangeSessions(const core::Services& services, SessionView& view, SessionOptions options = {});
    ~ExchangeSessions();
    ExchangeSessions(const ExchangeSessions&) = delete;
    ExchangeSessions& operator=(const ExchangeSessions&) = delete;

    // ---- Starting runs ----
    // Send button: runs when the Outbox holds rows, else says "Outbox Empty".
    void cmdSend_Click(const NetworkControls& network);
    void cmdReceive_Click(const NetworkControls& network);
    // False when the run did not start (one runs already, or an interchange read holds its
    // transaction); a run that started always ends with buttons enabled and not busy.
    bool RunSendScript(const NetworkControls& network, RunMode mode = RunMode::Interactive);
    bool RunReceiveScript(const NetworkControls& network, RunMode mode = RunMode::Interactive);

    bool isBusy() const { return mSessionBusy; }
    // Whether a scheduler tick may start a run now (otherwise it defers to a later tick).
    bool canStartScheduled() const;
    // Stops the running session at its next statement or wait; any thread may call it.
    void cancelSession();
    // Completes or undoes what a killed session left (files, rows, temporary files); run when
    // a session starts and when the window loads. Failures are logged.
    void recoverInterruptedWork();
    // Removes the Outbox files this run wrote that did not go to Sent: their rows stay in the
    // Outbox and go with the next send.
    void dropUnsentFiles();
    // Writes the log rows that could not be written when the database was busy.
    void flushPendingLog();
    bool hasPendingLog() const { return !pending_.empty(); }

    // ---- Script API (the "Form" object) ----
    bool MoveOutToSent();
    bool IsOutboxValidated();
    bool IsOutboxEmpty();   // True when the Outbox holds at least one row
    std::string WriteOutBoxToFile();
    void LogSession(std::string& text);
    void LogExchange(std::string_view logType, std::string_view description);
    // "" when loaded; otherwise why not (the reader's refusal, or no file received), also logged.
    std::string LoadInBox(const std::string& fileName);
    std::string GenerateFileName();
    std::string GetOutboundPath();
    std::string GetInboundPath();
    void Zip(const std::string& fileName);
    void UnZip();
    void SaveChunk(const std::string& url, const std::string& fileName);
    void CreateOutboundEDI();
    std::string GetOutboundEDI();
    void WaitForResponse();
    // The hash identifier of the running network's hash choice (0 for none).
    std::int32_t GetHashType();
    // Signs a new Outbox interchange with network `index`'s chosen certificate; the Base64
    // signature, or "" when nothing was signed (the reason shown or logged).
    std::string SendAS2(int index);

    // ---- Objects ----
    clsExchange& exchange();              // created on first use, kept for the object's life
    inet::Inet& inet();                    // the transfer control icInternet
    automation::Variant formObject();      // "Form"

    void icInternet_StateChanged(int state);

private:
    struct PendingRow {
        bool history = false;
        std::string type, description, date, time;
    };
    bool run(const NetworkControls& network, bool send, RunMode mode);
    void configure(const NetworkControls& network);
    void onScriptCheck();
    std::chrono::steady_clock::duration scriptTimeUsed(std::chrono::steady_clock::time_point now) const;
    void step(std::string_view name);
    // Every message of a session reaches the session text (say) or the Exchange log and History
    // (record) through these two, which take its passwords out (redact).
    std::string redact(std::string_view text) const;
    void say(const std::string& text);
    void record(bool history, std::string_view type, std::string_view description);
    bool writePending(bool waited);
    // Runs `work`; while a session runs, a busy database is asked again (see above).
    void patiently(const std::function<void()>& work);
    FileJournal fileJournal();
    static bool busyDatabase(const std::exception_ptr& error);
    void scScript_Error(const vbscript::ScriptError& error);
    bool unattended() const;
    bool cancelled() const { return cancel_.load(); }
    void stop(std::string reason);
    std::filesystem::path folder(std::string_view key) const;
    void logFailure(bool toSession);
    std::string seconds(long milliseconds) const;

    const core::Services& s_;
    SessionView& view_;
    SessionOptions options_;
    std::atomic<bool> mSessionBusy{false};
    bool scheduled_ = false;
    int runningHash_ = -1;
    std::atomic<bool> cancel_{false};
    mutable std::mutex reasonMutex_;
    std::string stopReason_;
    automation::Ref<clsExchange> exchange_;
    automation::Ref<inet::Inet> inet_;
    automation::ObjectRef form_;
    vbscript::ScriptControl scScript_;
    // Why the last WriteOutBoxToFile wrote nothing ("" after a write), and why the last
    // MoveOutToSent moved nothing ("" when it moved, or had nothing to move).
    std::string writeFailure_, moveFailure_;
    bool outboxWasEmpty_ = false;   // the last WriteOutBoxToFile found no rows
    // When the writes after the script stop waiting for a busy database; unset while it runs.
    std::optional<std::chrono::steady_clock::time_point> patienceEnds_;
    UniqueNames names_;
    std::int64_t maxBytes_ = 0;
    // The script's time: since the run began, less the user's boxes and transfer waits.
    std::chrono::steady_clock::time_point runStart_{}, lastYield_{};
    std::chrono::steady_clock::duration dialogTime_{}, networkWaitAtStart_{};
    bool timing_ = false;
    std::vector<PendingRow> pending_;
    std::vector<std::string> runSecrets_;   // the running network's password and its URL's
    std::vector<std::int64_t> writtenThisRun_;   // journal entries of the Outbox files this run wrote
    bool flushing_ = false;
};

}  // namespace vt::exchange
