#include "exchange/ExchangeSessions.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "core/SessionGuard.h"
#include "core/UiSink.h"
#include "exchange/ExchangeLog.h"
#include "exchange/FileJournal.h"
#include "exchange/ProviderChoice.h"
#include "exchange/Signing.h"
#include "folders/InterchangeReader.h"
#include "platform/db/Database.h"
#include "platform/settings/Settings.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"

#include <condition_variable>
#include <optional>
#include <thread>

namespace vt::exchange {

using automation::Args;
using automation::Variant;

namespace {

// The "Form" object: the window's script API over the sessions object.
class FormObject final : public automation::Dispatch<FormObject> {
public:
    explicit FormObject(ExchangeSessions* owner) : owner_(owner) {}
    static const automation::Members<FormObject>& members();
    ExchangeSessions& owner() {
        if (!owner_) automation::raise(automation::err::ObjectNotSet, "frmExchange");
        return *owner_;
    }
    void detach() { owner_ = nullptr; }

private:
    ExchangeSessions* owner_;
};

const automation::Members<FormObject>& FormObject::members() {
    using M = automation::Members<FormObject>;
    static const M m = [] {
        M m("frmExchange");
        auto none = [](auto&& f) {
            return [f](FormObject& o, Args& a) {
                f(o.owner(), a);
                return Variant();
            };
        };
        m.method("MoveOutToSent", {0, 0}, [](FormObject& o, Args&) { return Variant(o.owner().MoveOutToSent()); });
        m.method("IsOutboxValidated", {0, 0}, [](FormObject& o, Args&) { return Variant(o.owner().IsOutboxValidated()); });
        m.method("IsOutboxEmpty", {0, 0}, [](FormObject& o, Args&) { return Variant(o.owner().IsOutboxEmpty()); });
        m.method("WriteOutBoxToFile", {0, 0}, [](FormObject& o, Args&) { return Variant(o.owner().WriteOutBoxToFile()); });
        m.method("LogSession", {1, 1}, none([](ExchangeSessions& x, Args& a) {
                     // The caller's variable comes back with its line breaks and tabs blanked.
                     std::string text = automation::toText(a.value(0));
                     x.LogSession(text);
                     a.ref(0) = Variant(text);
                 }));
        m.method("LogExchange", {2, 2}, none([](ExchangeSessions& x, Args& a) { x.LogExchange(a.string(0), a.string(1)); }));
        m.method("LoadInBox", {1, 1}, [](FormObject& o, Args& a) { return Variant(o.owner().LoadInBox(a.string(0))); });
        m.method("GenerateFileName", {0, 0}, [](FormObject& o, Args&) { return Variant(o.owner().GenerateFileName()); });
        m.method("GetOutboundPath", {0, 0}, [](FormObject& o, Args&) { return Variant(o.owner().GetOutboundPath()); });
        m.method("GetInboundPath", {0, 0}, [](FormObject& o, Args&) { return Variant(o.owner().GetInboundPath()); });
        m.method("Zip", {1, 1}, none([](ExchangeSessions& x, Args& a) { x.Zip(a.string(0)); }));
        m.method("UnZip", {0, 1}, none([](ExchangeSessions& x, Args&) { x.UnZip(); }));
        m.method("SaveChunk", {2, 2}, none([](ExchangeSessions& x, Args& a) { x.SaveChunk(a.string(0), a.string(1)); }));
        m.method("CreateOutboundEDI", {0, 0}, none([](ExchangeSessions& x, Args&) { x.CreateOutboundEDI(); }));
        m.method("GetOutboundEDI", {0, 0}, [](FormObject& o, Args&) { return Variant(o.owner().GetOutboundEDI()); });
        m.method("WaitForResponse", {0, 0}, none([](ExchangeSessions& x, Args&) { x.WaitForResponse(); }));
        m.method("GetHashType", {0, 0}, [](FormObject& o, Args&) { return Variant(o.owner().GetHashType()); });
        m.method("SendAS2", {1, 1}, [](FormObject& o, Args& a) { return Variant(o.owner().SendAS2(a.int32(0))); });
        // The transfer control's data types, which scripts pass to GetChunk and OpenURL.
        m.get("icString", [](FormObject&, Args&) { return Variant(std::int32_t(inet::icString)); });
        m.get("icByteArray", [](FormObject&, Args&) { return Variant(std::int32_t(inet::icByteArray)); });
        return m;
    }();
    return m;
}

// Sets the stop flag when a run's time budget is spent.
class Watchdog {
public:
    Watchdog(std::chrono::milliseconds budget, std::function<void()> onExpiry) {
        thread_ = std::thread([this, budget, onExpiry = std::move(onExpiry)] {
            std::unique_lock lock(m_);
            if (!cv_.wait_for(lock, budget, [this] { return done_; })) onExpiry();
        });
    }
    ~Watchdog() {
        {
            std::lock_guard lock(m_);
            done_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread thread_;
};

// Time the user spends answering a box is not the script's.
class DialogTime {
public:
    explicit DialogTime(std::chrono::steady_clock::duration& total) : total_(total) {}
    ~DialogTime() { total_ += std::chrono::steady_clock::now() - start_; }
    DialogTime(const DialogTime&) = delete;
    DialogTime& operator=(const DialogTime&) = delete;

private:
    std::chrono::steady_clock::duration& total_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// While a session runs, SQLite waits this long for a busy lock before the session takes over.
constexpr int kBusyStepMs = 50;
// Log rows that waited once are asked this briefly.
constexpr int kBriefWaitMs = 200;

}  // namespace

ExchangeSessions::ExchangeSessions(const core::Services& services, SessionView& view, SessionOptions options)
    : s_(services), view_(view), options_(options) {
    // The session keeps the time itself: the engine's clock leaves out the program's operations.
    scScript_.setTimeout(vbscript::ScriptControl::kNoTimeout);
    scScript_.setCancelFlag(&cancel_);
    scScript_.setCheckHook([this] { onScriptCheck(); });
    scScript_.setClock(&s_.clock);
    scScript_.setErrorHandler([this](const vbscript::ScriptError& e) { scScript_Error(e); });
    vbscript::ScriptUi ui;
    ui.messageBox = [this](std::string_view prompt, int buttons, std::string_view title) {
        DialogTime answering(dialogTime_);
        return s_.ui.messageBox(prompt, buttons, title);
    };
    ui.inputBox = [this](std::string_view prompt, std::string_view title, std::string_view def) {
        DialogTime answering(dialogTime_);
        return s_.ui.inputBox(prompt, title, def);
    };
    ui.unattended = [this] { return unattended(); };
    scScript_.setUi(std::move(ui));
    form_ = automation::makeRef<FormObject>(this);
}

ExchangeSessions::~ExchangeSessions() {
    if (auto* f = dynamic_cast<FormObject*>(form_.get())) f->detach();
    try {
        scScript_.reset();
    } catch (...) {
    }
}

clsExchange& ExchangeSessions::exchange() {
    if (!exchange_) exchange_ = automation::makeRef<clsExchange>();
    return *exchange_;
}

inet::Inet& ExchangeSessions::inet() {
    if (!inet_) {
        inet_ = automation::makeRef<inet::Inet>();
        inet_->onStateChanged = [this](int state) { icInternet_StateChanged(state); };
        inet_->setWaitHooks([this] { s_.ui.yield(); }, [this] { return cancelled(); });
    }
    return *inet_;
}

Variant ExchangeSessions::formObject() { return Variant(form_); }

bool ExchangeSessions::unattended() const { return scheduled_ || s_.ui.unattended(); }

bool ExchangeSessions::canStartScheduled() const {
    return !mSessionBusy && !folders::IsReadingInterchange() && !s_.db.inTransaction();
}

void ExchangeSessions::stop(std::string reason) {
    {
        std::lock_guard lock(reasonMutex_);
        if (stopReason_.empty()) stopReason_ = std::move(reason);
    }
    cancel_ = true;
}

void ExchangeSessions::cancelSession() {
    if (mSessionBusy) stop("Session cancelled");
}

void ExchangeSessions::cmdSend_Click(const NetworkControls& network) {
    if (IsOutboxEmpty())
        RunSendScript(network);
    else
        core::ShowNotice(s_, "Outbox Empty", core::vbExclamation | core::vbOKOnly);
}

void ExchangeSessions::cmdReceive_Click(const NetworkControls& network) { RunReceiveScript(network); }

bool ExchangeSessions::RunSendScript(const NetworkControls& network, RunMode mode) { return run(network, true, mode); }

bool ExchangeSessions::RunReceiveScript(const NetworkControls& network, RunMode mode) {
    return run(network, false, mode);
}

NetworkControls ControlsFor(const NetworkSettings& n) {
    NetworkControls c;
    c.url = n.url;
    c.userName = n.userName;
    c.password = n.password;
    c.remotePort = n.remotePort;
    c.timeOut = n.timeOut;
    c.protocolIndex = n.protocol;
    if (n.protocol >= 0 && n.protocol < int(kProtocols.size())) c.protocolText = kProtocols[std::size_t(n.protocol)];
    c.accessTypeIndex = n.accessType;
    c.proxy = n.proxy;
    c.sendScript = n.sendScript;
    c.receiveScript = n.receiveScript;
    c.hash = n.hash;
    c.sizeLimit = std::to_string(n.sizeLimit);
    return c;
}

ConnectionInput ConnectionOf(const NetworkControls& n) {
    ConnectionInput input;
    input.protocol = n.protocolText == "SFTP" ? kProtocolSftp : n.protocolIndex;
    input.url = n.url;
    input.remotePort = n.remotePort;
    input.timeOut = n.timeOut;
    input.accessType = n.accessTypeIndex;
    input.proxy = n.proxy;
    input.sizeLimit = n.sizeLimit;
    return input;
}

std::string ValidateNetworkSettings(const NetworkSettings& n) { return CheckConnection(ConnectionOf(ControlsFor(n))); }

std::string ExchangeSessions::seconds(long milliseconds) const {
    if (milliseconds % 1000 == 0) return std::to_string(milliseconds / 1000);
    return text::formatNumber(double(milliseconds) / 1000.0, "0.###");
}

void ExchangeSessions::step(std::string_view name) {
    if (options_.onStep) options_.onStep(name);
}

std::chrono::steady_clock::duration ExchangeSessions::scriptTimeUsed(std::chrono::steady_clock::time_point now) const {
    auto used = now - runStart_ - dialogTime_;
    if (inet_) used -= inet_->networkWaitTime() - networkWaitAtStart_;
    return used;
}

void ExchangeSessions::onScriptCheck() {
    const auto now = std::chrono::steady_clock::now();
    // Window events run here too, so a script that never calls the program can be cancelled.
    if (now - lastYield_ >= std::chrono::milliseconds(50)) {
        lastYield_ = now;
        try {
            s_.ui.yield();
            if (inet_) inet_->deliverEvents();
        } catch (...) {
        }
    }
    if (timing_ && options_.scriptTimeoutMs >= 0 && !cancelled() &&
        scriptTimeUsed(now) >= std::chrono::milliseconds(options_.scriptTimeoutMs))
        stop("Script timed out after " + seconds(options_.scriptTimeoutMs) + " seconds");
}

void ExchangeSessions::configure(const NetworkControls& n) {
    const ConnectionInput input = ConnectionOf(n);
    const Connection c = ResolveConnection(input);
    maxBytes_ = c.maxBytes;
    inet::Inet& i = inet();
    i.maxResponseBytes = c.maxBytes;
    if (input.protocol == kProtocolSftp) return;
    i.protocol = c.protocol;
    i.remotePort = c.remotePort;
    i.requestTimeout = c.timeOut;
    i.accessType = c.accessType;
    i.proxy = n.proxy;
    i.userName = n.userName;
    i.password = n.password;
    i.secureOnly = c.protocol == inet::icHTTPS;
    scScript_.addObject("Inet", Variant(inet_), true);
}

bool ExchangeSessions::run(const NetworkControls& n, bool send, RunMode mode) {
    if (mSessionBusy) return false;
    if (folders::IsReadingInterchange() || s_.db.inTransaction()) {
        // The reader's transaction must hold only its own writes; a scheduler tries again later.
        if (mode == RunMode::Interactive)
            core::ShowNotice(s_, "Another interchange file is being read. Try again when it has finished.",
                             core::vbExclamation | core::vbOKOnly);
        return false;
    }
    // Busy locks are answered quickly from here on; the session waits for them itself.
    const db::BusyWait quick(s_.db, kBusyStepMs, true);
    scheduled_ = mode == RunMode::Scheduled;
    patienceEnds_.reset();
    runningHash_ = n.hash;
    runSecrets_ = {n.password, inet::UrlPassword(n.url)};
    LogExchange("Info", send ? "Running send script" : "Running receive script");
    {
        std::lock_guard lock(reasonMutex_);
        stopReason_.clear();
    }
    cancel_ = false;
    // Busy only now, so a cancel that arrives from here on is never lost.
    mSessionBusy = true;
    core::SessionGuard guard;
    view_.setSessionButtonsEnabled(false);
    view_.clearSessionText();
    std::optional<Watchdog> watchdog;
    if (unattended()) {
        const std::string limit = seconds(long(options_.unattendedBudget.count()));
        watchdog.emplace(options_.unattendedBudget, [this, limit] {
            stop("Session stopped: its time limit of " + limit + " " + (limit == "1" ? "second" : "seconds") +
                 " was reached");
        });
    }
    bool completed = false;
    writtenThisRun_.clear();
    try {
        recoverInterruptedWork();
        clsExchange& x = exchange();
        x.URL = n.url;
        x.UserName = n.userName;
        x.Password = n.password;
        if (send) x.RemotePort = n.remotePort;
        // A send run starts without a file too: an earlier run's file is never moved by mistake.
        x.LocaleFile.clear();
        scScript_.reset();
        configure(n);
        scScript_.addObject("Exchange", Variant(exchange_), true);
        scScript_.addObject("Form", Variant(form_), true);
        runStart_ = lastYield_ = std::chrono::steady_clock::now();
        dialogTime_ = {};
        networkWaitAtStart_ = inet_ ? inet_->networkWaitTime() : std::chrono::steady_clock::duration{};
        timing_ = true;
        try {
            scScript_.addCode(send ? n.sendScript : n.receiveScript);
        } catch (const vbscript::ScriptException& e) {
            // The script's own error says where it happened; a stop says why it stopped.
            if (cancelled()) throw;
            const std::string where = e.error.line > 0 ? " in line " + std::to_string(e.error.line) : "";
            throw core::RunError(e.error.number,
                                 "Script error " + std::to_string(e.error.number) + where + ": " + e.error.description);
        }
        timing_ = false;
        if (inet_) inet_->deliverEvents();
        if (cancelled()) throw core::RunError(18, "Session cancelled");
        step("script ended");
        patienceEnds_ = std::chrono::steady_clock::now() + options_.busyPatience;
        if (send && !MoveOutToSent() && !moveFailure_.empty()) {
            // Logged already; the session says so and does not claim success.
            say(moveFailure_);
        } else {
            LogExchange("Info", send ? "Send script execution complete" : "Receive script execution complete");
            completed = true;
        }
    } catch (...) {
        timing_ = false;
        if (!patienceEnds_) patienceEnds_ = std::chrono::steady_clock::now() + options_.busyPatience;
        std::string text = core::describeError(std::current_exception()).description;
        {
            std::lock_guard lock(reasonMutex_);
            if (!stopReason_.empty()) text = stopReason_;
        }
        // A failed or stopped session leaves no transfer running behind it.
        if (inet_) inet_->cancel();
        LogExchange("Error", text);
        say(text);
    }
    watchdog.reset();
    dropUnsentFiles();
    // A receive that ended well fetched again whatever an earlier, killed one left on the server.
    if (completed && !send) {
        try {
            fileJournal().forgetReceives();
        } catch (...) {
        }
    }
    flushPendingLog();
    if (!pending_.empty()) s_.ui.status(1, "The Exchange log waits for the database; its rows are written later");
    // Not busy first: the window enables Send, Receive and Modify only for an idle session.
    mSessionBusy = false;
    scheduled_ = false;
    patienceEnds_.reset();
    view_.setSessionButtonsEnabled(true);
    s_.ui.folderChanged("Exchange");
    return true;
}

std::string ExchangeSessions::redact(std::string_view text) const {
    // Whatever form an address takes, the passwords of this run are known: the network's, its
    // URL's, and those a script gave the objects since.
    std::vector<std::string> secrets = runSecrets_;
    if (exchange_) {
        secrets.push_back(exchange_->Password);
        secrets.push_back(inet::UrlPassword(exchange_->URL));
    }
    if (inet_) {
        secrets.push_back(inet_->password);
        secrets.push_back(inet::UrlPassword(inet_->url()));
    }
    return inet::WithoutPasswords(text, secrets);
}

void ExchangeSessions::say(const std::string& text) { view_.appendSessionText(redact(text) + "\r\n"); }

void ExchangeSessions::scScript_Error(const vbscript::ScriptError& error) {
    // A stopped session is reported once, by the run, with the reason it stopped.
    if (cancelled()) return;
    const vbscript::ScriptError& e = error;
    if (core::gSilent || unattended()) {
        record(true, "Error", "Description: " + e.description);
        record(true, "Error", "Script Text: " + e.lineText);
        record(true, "Error", "Error Number: " + std::to_string(e.number));
        record(true, "Error", "Line Number: " + std::to_string(e.line));
        record(true, "Error", "Column Number: " + std::to_string(e.column));
        return;
    }
    const std::string text = "Description:   " + redact(e.description) + "\r\n" +
                             "Script Text:   " + redact(e.lineText) + "\r\n" +
                             "Error Number:  " + std::to_string(e.number) + "\r\n" +
                             "Line Number:   " + std::to_string(e.line) + "\r\n" +
                             "Column Number: " + std::to_string(e.column);
    s_.ui.messageBox(text, core::vbCritical | core::vbOKOnly, "Script Error");
}

void ExchangeSessions::LogExchange(std::string_view logType, std::string_view description) {
    record(false, logType, description);
}

void ExchangeSessions::record(bool history, std::string_view type, std::string_view description) {
    const text::DateTime now = s_.clock.now();
    const bool waiting = !pending_.empty();
    pending_.push_back({history, std::string(type), redact(description),
                        text::formatDate(now, "mm/d/yyyy"), text::formatDate(now, "hh:mm:ss AMPM")});
    writePending(waiting);
}

bool ExchangeSessions::writePending(bool waited) {
    if (flushing_ || pending_.empty()) return pending_.empty();
    flushing_ = true;
    struct Done {
        bool& b;
        ~Done() { b = false; }
    } done{flushing_};
    // Rows already waiting mean a busy database: it is asked briefly, so the window never waits
    // on it for every row.
    std::optional<db::BusyWait> brief;
    if (waited) brief.emplace(s_.db, kBriefWaitMs, true);
    try {
        while (!pending_.empty()) {
            const PendingRow& row = pending_.front();
            if (row.history) {
                // History shows its own box when it cannot write: it is called only once the
                // database takes a write.
                const bool own = !s_.db.inTransaction();
                if (own) s_.db.exec("BEGIN IMMEDIATE");
                core::LogHistory(s_, row.type, row.description);
                if (own) s_.db.exec("COMMIT");
            } else {
                WriteExchangeRow(s_.db, row.type, row.date, row.time, row.description);
            }
            pending_.erase(pending_.begin());
        }
        return true;
    } catch (...) {
        return false;
    }
}

void ExchangeSessions::flushPendingLog() { writePending(true); }

void ExchangeSessions::patiently(const std::function<void()>& work) {
    // Outside a session the database's own wait applies; inside a transaction its owner starts
    // again as a whole.
    if (!mSessionBusy || s_.db.inTransaction()) {
        work();
        return;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = patienceEnds_ ? *patienceEnds_ : Clock::now() + options_.busyPatience;
    for (;;) {
        const Clock::time_point tried = Clock::now();
        try {
            work();
            return;
        } catch (...) {
            if (!busyDatabase(std::current_exception()) || cancelled() || Clock::now() >= until) throw;
        }
        // A lock refused without a wait is not asked for again at once.
        if (Clock::now() - tried < std::chrono::milliseconds(kBusyStepMs / 2))
            std::this_thread::sleep_for(std::chrono::milliseconds(kBusyStepMs / 2));
        try {
            s_.ui.yield();
        } catch (...) {
        }
    }
}

bool ExchangeSessions::busyDatabase(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const db::Error& e) {
        return e.number() == db::kBusy || e.number() == db::kLocked;
    } catch (...) {
        return false;
    }
}

FileJournal ExchangeSessions::fileJournal() {
    return FileJournal(s_.db, [this](const std::function<void()>& step) { patiently(step); });
}

void ExchangeSessions::LogSession(std::string& text) {
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    say(text);
    LogExchange("Info", text);
}

void ExchangeSessions::icInternet_StateChanged(int state) {
    const std::string text = InetStateText(state);
    say(text);
    LogExchange("Info", text);
}

void ExchangeSessions::logFailure(bool toSession) {
    const std::string text = core::describeError(std::current_exception()).description;
    LogExchange("Error", text);
    if (toSession) say(text);
}

std::filesystem::path ExchangeSessions::folder(std::string_view key) const {
    const std::string stored = s_.settings.get("Folders", key);
    return stored.empty() ? defaultFolder(key) : std::filesystem::path(stored);
}

std::int32_t ExchangeSessions::GetHashType() { return HashAlgorithmId(runningHash_); }

std::string ExchangeSessions::SendAS2(int index) {
    try {
        if (cancelled()) return {};
        const std::optional<SigningChoice> choice = view_.signingChoice(index);
        if (!choice) throw core::RunError(9, "Subscript out of range: there is no network " + std::to_string(index));
        if (choice->storeName.empty()) return {};
        const int location = StoreLocationCode(choice->storeLocation);
        if (location == 0) return {};
        const certstore::Store store = certstore::Store::open(certstore::Location(location), choice->storeName);
        if (choice->certificateRow < 0) throw core::RunError(91, "No certificate is selected");
        if (std::size_t(choice->certificateRow) >= store.certificates().size())
            throw core::RunError(9, "The certificate chosen is no longer in the store");
        const certstore::Certificate& certificate = store.certificates()[std::size_t(choice->certificateRow)];
        if (!certificate.privateKey())
            throw core::RunError(5, "The certificate has no private key in its store: it cannot sign.");
        const std::string text = GetOutboundEDI();
        if (text.empty()) return {};   // the write failed and was logged
        return SignDetached(certificate, text);
    } catch (...) {
        const core::ErrorInfo e = core::describeError(std::current_exception());
        const std::string text = e.number < 0 ? "Signing error found : " + std::to_string(e.number)
                                              : "Signing failed: " + e.description;
        if (unattended())
            record(true, "Error", text);
        else
            s_.ui.messageBox(text, core::vbOKOnly, core::kApplicationName);
        return {};
    }
}

}  // namespace vt::exchange
