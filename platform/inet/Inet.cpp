#include "Inet.h"

#include "platform/files/SafeFile.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fnmatch.h>
#include <mutex>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace vt::inet {

using automation::Variant;

namespace {

std::mutex gOptionsMutex;
Options gOptions;

void globalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

[[noreturn]] void fail(std::int32_t number, std::string_view description) {
    throw automation::Error(number, "Inet", WithoutPasswords(description));
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return out;
}

bool equalNoCase(std::string_view a, std::string_view b) { return upper(a) == upper(b); }

// Splits an operation into words; double quotes keep blanks inside a file name.
std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false, any = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) out.push_back(cur);
            cur.clear();
            any = false;
        } else {
            cur += c;
            any = true;
        }
    }
    if (any) out.push_back(cur);
    return out;
}

std::vector<std::string> splitPath(std::string_view p) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : p) {
        if (c == '/' || c == '\\') {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

std::string bytesOf(const Variant& v) {
    if (v.isArray()) {
        const auto& array = v.arrayValue();
        if (array.holdsBytes()) return std::string(array.bytes().begin(), array.bytes().end());
        std::string out;
        for (const Variant& e : v.arrayValue().elements()) out += char(automation::toByte(e));
        return out;
    }
    if (v.isEmpty() || v.isMissing()) return {};
    return automation::toText(v);
}

int defaultPort(std::string_view scheme) {
    if (scheme == "ftp") return 21;
    if (scheme == "https") return 443;
    return 80;
}

std::string schemeOf(int protocol) {
    switch (protocol) {
    case icFTP: return "ftp";
    case icHTTPS: return "https";
    case icReserved: return "reserved";   // kept, so the request is refused by protocol
    default: return "http";
    }
}

std::string megabytes(std::int64_t bytes) {
    if (bytes % (1024 * 1024) == 0) return std::to_string(bytes / (1024 * 1024)) + " MB";
    return std::to_string(bytes) + " bytes";
}

// A local file name a download may write: none of its parts is "..", so it stays in the folder
// the script named.
void checkLocalName(const std::string& name) {
    for (const std::string& part : splitPath(name))
        if (part == "..") fail(75, "The local file name \"" + name + "\" leads out of its folder; nothing was written");
}

}  // namespace

bool IsPlainListingName(std::string_view name) {
    // A script passes a listed name through a blank-split operation: a blank, tab, quote or
    // control character in it would make a word of its own, possibly a local file name.
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == ' ' || c == '"') return false;
    return !name.empty() && name.find('/') == std::string_view::npos && name.find('\\') == std::string_view::npos &&
           name.find("..") == std::string_view::npos;
}

void setOptions(const Options& o) {
    std::lock_guard lock(gOptionsMutex);
    gOptions = o;
}
Options options() {
    std::lock_guard lock(gOptionsMutex);
    return gOptions;
}

std::string joinFtpPath(const std::vector<std::string>& parts, bool absolute) {
    std::string out = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out += '/';
        out += parts[i];
    }
    return out;
}

// ---- Sockets of one Inet, so a cancel can wake a transfer that waits on the network ----

class Sockets {
public:
    void add(int fd) {
        std::lock_guard lock(m_);
        fds_.push_back(fd);
    }
    void remove(int fd) {
        std::lock_guard lock(m_);
        fds_.erase(std::remove(fds_.begin(), fds_.end(), fd), fds_.end());
    }
    void shutdownAll() {
        std::lock_guard lock(m_);
        for (int fd : fds_) ::shutdown(fd, SHUT_RDWR);
    }

private:
    std::mutex m_;
    std::vector<int> fds_;
};

// ---- The state shared with the worker ----

class Transfer {
public:
    std::mutex m;
    std::condition_variable cv;
    std::string body;
    std::size_t readPos = 0;
    std::string headers;
    std::vector<int> events;
    int lastState = icNone;
    bool done = false, ok = false;
    long responseCode = 0;
    std::string responseInfo;
    std::string entryPath;
    std::atomic<bool> abort{false};
    bool emitEvents = true;
    std::function<void()> notify;

    void emit(int state) {
        {
            std::lock_guard lock(m);
            if (!emitEvents) return;
            if (state <= lastState && state != icError) return;
            lastState = state;
            events.push_back(state);
        }
        cv.notify_all();
        if (notify) notify();
    }
    int state() {
        std::lock_guard lock(m);
        return lastState;
    }
};

// What the worker does: everything it needs, taken on the owner's thread.
struct Inet::Request {
    enum class Result { Buffer, File, Size, Pwd, None };
    bool ftp = false;
    std::string target;               // the URL curl works on
    std::string user, password;
    bool hasUser = false;
    long timeout = 60;
    int accessType = icUseDefault;
    std::string proxy;
    std::string method;               // HTTP: GET, HEAD, POST, PUT
    std::string data;                 // HTTP request body
    std::vector<std::string> headers;
    bool emitEvents = true;
    // FTP
    std::string ftpRoot;              // "ftp://host:port/"
    bool nobody = false, listOnly = false;
    std::string pattern;              // names a listing keeps
    std::vector<std::pair<std::string, FtpSession>> commands;   // verb and path, made absolute by the worker
    std::filesystem::path upload;     // file sent (FTP and HTTP PUT)
    std::filesystem::path download;   // file received
    Result result = Result::Buffer;
    FtpSession pwd;                   // the folder PWD reports
    bool secureOnly = false;          // https only
    std::int64_t maxBytes = 0;        // the response's limit; 0 none
};

namespace {

struct Callbacks {
    Transfer* t = nullptr;
    files::SafeFile* out = nullptr;   // a download: renamed over its file only when it succeeded
    bool ftp = false;
    std::string writeError;
    std::int64_t maxBytes = 0;
    std::int64_t received = 0;
    bool tooLarge = false;
};

size_t onWrite(char* data, size_t size, size_t n, void* user) {
    auto* c = static_cast<Callbacks*>(user);
    const size_t bytes = size * n;
    c->t->emit(icReceivingResponse);
    c->received += std::int64_t(bytes);
    if (c->maxBytes > 0 && c->received > c->maxBytes) {
        c->tooLarge = true;
        return 0;   // the transfer ends here
    }
    if (c->out) {
        try {
            c->out->write(std::string_view(data, bytes));
            return bytes;
        } catch (const std::exception& e) {
            c->writeError = e.what();
            return 0;   // the transfer ends with a write error
        }
    }
    {
        std::lock_guard lock(c->t->m);
        c->t->body.append(data, bytes);
    }
    c->t->cv.notify_all();
    return bytes;
}

size_t onHeader(char* data, size_t size, size_t n, void* user) {
    auto* c = static_cast<Callbacks*>(user);
    const size_t bytes = size * n;
    if (c->t->state() < icConnected) c->t->emit(icConnected);
    if (c->t->state() >= icRequesting) {
        c->t->emit(icRequestSent);
        c->t->emit(icReceivingResponse);
    }
    if (!c->ftp) {
        std::string_view line(data, bytes);
        std::lock_guard lock(c->t->m);
        // A later status line (after 100 Continue or an authentication round) starts afresh.
        if (line.substr(0, 5) == "HTTP/") c->t->headers.clear();
        c->t->headers.append(line);
    }
    return bytes;
}

int onSocket(void* user, curl_socket_t, curlsocktype) {
    auto* c = static_cast<Callbacks*>(user);
    c->t->emit(icHostResolvingHost);
    c->t->emit(icHostResolved);
    c->t->emit(icConnecting);
    return CURL_SOCKOPT_OK;
}

int onPrereq(void* user, char*, char*, int, int) {
    auto* c = static_cast<Callbacks*>(user);
    c->t->emit(icConnected);
    c->t->emit(icRequesting);
    return CURL_PREREQFUNC_OK;
}

curl_socket_t onOpenSocket(void* user, curlsocktype, curl_sockaddr* address) {
    const int fd = ::socket(address->family, address->socktype, address->protocol);
    if (fd >= 0) static_cast<Sockets*>(user)->add(fd);
    return fd >= 0 ? fd : CURL_SOCKET_BAD;
}

int onCloseSocket(void* user, curl_socket_t fd) {
    static_cast<Sockets*>(user)->remove(fd);
    return ::close(fd);
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* c = static_cast<Callbacks*>(user);
    return c->t->abort.load() ? 1 : 0;
}

struct SList {
    curl_slist* list = nullptr;
    ~SList() { curl_slist_free_all(list); }
    void add(const std::string& s) { list = curl_slist_append(list, s.c_str()); }
};

void commonOptions(CURL* h, const Inet::Request& r, Callbacks& cb, char* errorBuffer, Sockets* sockets) {
    curl_easy_reset(h);
    curl_easy_setopt(h, CURLOPT_OPENSOCKETFUNCTION, onOpenSocket);
    curl_easy_setopt(h, CURLOPT_OPENSOCKETDATA, sockets);
    curl_easy_setopt(h, CURLOPT_CLOSESOCKETFUNCTION, onCloseSocket);
    curl_easy_setopt(h, CURLOPT_CLOSESOCKETDATA, sockets);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, r.timeout);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, r.timeout);
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, r.timeout);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &cb);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onWrite);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &cb);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &cb);
    const char* protocols = r.secureOnly ? "https" : "ftp,http,https";
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, protocols);
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, protocols);
    if (r.maxBytes > 0) curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(r.maxBytes));
    curl_easy_setopt(h, CURLOPT_SOCKOPTFUNCTION, onSocket);
    curl_easy_setopt(h, CURLOPT_SOCKOPTDATA, &cb);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, onPrereq);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, &cb);
    if (r.hasUser) {
        curl_easy_setopt(h, CURLOPT_USERNAME, r.user.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, r.password.c_str());
        if (!r.ftp) curl_easy_setopt(h, CURLOPT_HTTPAUTH, long(CURLAUTH_ANY));
    }
    if (r.accessType == icDirect) curl_easy_setopt(h, CURLOPT_PROXY, "");
    else if (r.accessType == icNamedProxy) curl_easy_setopt(h, CURLOPT_PROXY, r.proxy.c_str());
    const Options o = options();
    if (!o.extraCaFile.empty()) {
        curl_easy_setopt(h, CURLOPT_CAINFO, o.extraCaFile.c_str());
        curl_easy_setopt(h, CURLOPT_CAPATH, "/etc/ssl/certs");
    }
}

std::string describe(CURLcode rc, const char* errorBuffer) {
    std::string text = errorBuffer[0] ? errorBuffer : curl_easy_strerror(rc);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}


}  // namespace

// Runs on the worker thread.
static void perform(CURL* h, Sockets* sockets, Inet::Request r, std::shared_ptr<Transfer> t) {
    Callbacks cb;
    cb.t = t.get();
    cb.ftp = r.ftp;
    cb.maxBytes = r.maxBytes;
    char errorBuffer[CURL_ERROR_SIZE] = {0};
    CURLcode rc = CURLE_OK;
    std::string failure;
    std::optional<files::SafeFile> part;
    FILE* in = nullptr;
    SList headers, quote;

    auto finish = [&](bool ok, std::string info) {
        long code = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
        if (ok) t->emit(icResponseReceived);
        {
            std::lock_guard lock(t->m);
            t->ok = ok;
            t->responseCode = code ? code : (ok ? 0 : long(rc));
            t->responseInfo = WithoutPasswords(info);
        }
        t->emit(ok ? icResponseCompleted : icError);
        {
            std::lock_guard lock(t->m);
            t->done = true;
        }
        t->cv.notify_all();
        if (t->notify) t->notify();
    };

    // Absolute FTP paths need the login folder, which only the server knows.
    std::string entry;
    if (r.ftp && (!r.commands.empty() || r.result == Inet::Request::Result::Pwd)) {
        commonOptions(h, r, cb, errorBuffer, sockets);
        curl_easy_setopt(h, CURLOPT_URL, r.ftpRoot.c_str());
        curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
        rc = curl_easy_perform(h);
        if (rc != CURLE_OK) return finish(false, describe(rc, errorBuffer));
        char* path = nullptr;
        curl_easy_getinfo(h, CURLINFO_FTP_ENTRY_PATH, &path);
        entry = path ? path : "";
    }
    auto absolute = [&](const Inet::FtpSession& s) {
        std::string base = entry;
        if (!base.empty() && base.back() == '/') base.pop_back();
        std::string p = s.absolute ? joinFtpPath(s.cwd, true) : base + (s.cwd.empty() ? "" : "/" + joinFtpPath(s.cwd, false));
        if (p.empty()) p = "/";
        return p;
    };

    commonOptions(h, r, cb, errorBuffer, sockets);
    curl_easy_setopt(h, CURLOPT_URL, r.target.c_str());
    if (r.ftp) {
        curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
        if (r.nobody) curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
        if (r.listOnly) curl_easy_setopt(h, CURLOPT_DIRLISTONLY, 1L);
        for (const auto& [verb, path] : r.commands) quote.add(verb + " " + absolute(path));
        if (quote.list) curl_easy_setopt(h, CURLOPT_QUOTE, quote.list);
    } else {
        for (const auto& line : r.headers) headers.add(line);
        if (headers.list) curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.list);
        if (r.method == "HEAD") {
            curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
        } else if (r.method == "POST") {
            curl_easy_setopt(h, CURLOPT_POST, 1L);
            curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(r.data.size()));
            curl_easy_setopt(h, CURLOPT_COPYPOSTFIELDS, r.data.c_str());
        } else if (r.method == "PUT" && r.upload.empty()) {
            // A body given as data: sent from memory.
            curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, "PUT");
            curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(r.data.size()));
            curl_easy_setopt(h, CURLOPT_COPYPOSTFIELDS, r.data.c_str());
        }
    }
    if (!r.upload.empty()) {
        in = std::fopen(r.upload.c_str(), "rb");
        if (!in) return finish(false, "File not found: " + r.upload.string());
        std::error_code ec;
        const auto size = std::filesystem::file_size(r.upload, ec);
        curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(h, CURLOPT_READDATA, in);
        if (!ec) curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, curl_off_t(size));
    }
    if (!r.download.empty()) {
        try {
            part.emplace(r.download);
        } catch (const std::exception& e) {
            return finish(false, "Cannot write the file " + r.download.string() + ": " + e.what());
        }
        cb.out = &*part;
    }

    rc = curl_easy_perform(h);
    if (in) std::fclose(in);
    if (rc != CURLE_OK) {
        if (t->abort.load()) return finish(false, "The request was cancelled");
        if (cb.tooLarge || rc == CURLE_FILESIZE_EXCEEDED)
            return finish(false, "The response is larger than the limit of " + megabytes(r.maxBytes) +
                                     "; nothing of it was kept");
        if (!cb.writeError.empty())
            return finish(false, "Cannot write the file " + r.download.string() + ": " + cb.writeError);
        if (rc == CURLE_OPERATION_TIMEDOUT)
            return finish(false, "Request timed out after " + std::to_string(r.timeout) + " seconds (" +
                                     describe(rc, errorBuffer) + ")");
        return finish(false, describe(rc, errorBuffer));
    }
    if (r.listOnly) {
        // One name a line, CR LF ended, as Windows-made scripts expect; a pattern keeps matches.
        std::lock_guard lock(t->m);
        std::string out, name;
        for (char c : t->body) {
            if (c == '\r') continue;
            if (c != '\n') {
                name += c;
                continue;
            }
            // A name that is a path could make the script write outside its folder: dropped.
            if (IsPlainListingName(name) && (r.pattern.empty() || ::fnmatch(r.pattern.c_str(), name.c_str(), 0) == 0))
                out += name + "\r\n";
            name.clear();
        }
        if (IsPlainListingName(name) && (r.pattern.empty() || ::fnmatch(r.pattern.c_str(), name.c_str(), 0) == 0))
            out += name + "\r\n";
        t->body = out;
    }
    switch (r.result) {
    case Inet::Request::Result::File:
        try {
            long code = 0;
            curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
            // An HTTP error page is no document: the file is left as it was.
            if (!r.ftp && code >= 400) break;
            part->commit();
        } catch (const std::exception& e) {
            return finish(false, "Cannot write the file " + r.download.string() + ": " + e.what());
        }
        break;
    case Inet::Request::Result::Size: {
        curl_off_t size = -1;
        curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
        if (size < 0) return finish(false, "The server did not tell the size");
        std::lock_guard lock(t->m);
        t->body = std::to_string(size);
        break;
    }
    case Inet::Request::Result::Pwd: {
        std::lock_guard lock(t->m);
        t->body = absolute(r.pwd);
        break;
    }
    default: break;
    }
    {
        std::lock_guard lock(t->m);
        t->entryPath = entry;
    }
    finish(true, "");
}

// ---- Inet ----

Inet::Inet() : sockets_(std::make_unique<Sockets>()) {
    globalInit();
    curl_ = curl_easy_init();
}

Inet::~Inet() {
    if (transfer_) transfer_->abort = true;
    sockets_->shutdownAll();
    joinWorker();
    if (curl_) curl_easy_cleanup(static_cast<CURL*>(curl_));
}

void Inet::setWaitHooks(std::function<void()> yield, std::function<bool()> stop) {
    yield_ = std::move(yield);
    stop_ = std::move(stop);
}

void Inet::setEventNotifier(std::function<void()> notifier) { notifier_ = std::move(notifier); }

void Inet::joinWorker() {
    if (worker_.joinable()) worker_.join();
}

void Inet::deliverEvents() {
    if (delivering_ || !transfer_) return;
    delivering_ = true;
    struct Reset {
        bool& b;
        ~Reset() { b = false; }
    } reset{delivering_};
    for (;;) {
        std::vector<int> events;
        {
            std::lock_guard lock(transfer_->m);
            events.swap(transfer_->events);
        }
        if (events.empty()) break;
        for (int state : events)
            if (onStateChanged) onStateChanged(state);
    }
}

void Inet::finishIfDone() {
    if (!transfer_ || !worker_.joinable()) return;
    {
        std::lock_guard lock(transfer_->m);
        if (!transfer_->done) return;
    }
    joinWorker();
    std::lock_guard lock(transfer_->m);
    responseCode = transfer_->responseCode;
    responseInfo = transfer_->responseInfo;
    if (transfer_->ok && !transfer_->entryPath.empty()) ftp_.entryPath = transfer_->entryPath;
    if (hasPending_ && transfer_->ok) ftp_ = pending_;
    hasPending_ = false;
}

bool Inet::stillExecuting() {
    finishIfDone();
    deliverEvents();
    return worker_.joinable();
}

void Inet::waitWhile(const std::function<bool()>& keepWaiting) {
    struct Count {
        std::chrono::steady_clock::duration& total;
        std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
        ~Count() { total += std::chrono::steady_clock::now() - start; }
    } count{networkWait_};
    for (;;) {
        finishIfDone();
        deliverEvents();
        if (!keepWaiting()) return;
        if (stop_ && stop_()) {
            cancel();
            fail(err::Cancelled, "The request was cancelled");
        }
        if (yield_) yield_();
        std::unique_lock lock(transfer_->m);
        transfer_->cv.wait_for(lock, std::chrono::milliseconds(20), [&] {
            return transfer_->done || !transfer_->events.empty() || transfer_->readPos < transfer_->body.size();
        });
    }
}

bool Inet::waitForCompletion() {
    try {
        waitWhile([this] { return worker_.joinable(); });
        return true;
    } catch (const automation::Error& e) {
        if (e.number == err::Cancelled) return false;
        throw;
    }
}

void Inet::cancel() {
    if (!transfer_) return;
    transfer_->abort = true;
    // Wakes a transfer that waits on the network now rather than at its next progress call.
    if (worker_.joinable()) sockets_->shutdownAll();
    joinWorker();
    transfer_.reset();
    hasPending_ = false;
}

void Inet::setUrl(std::string_view text) {
    std::string u(text);
    if (u.find("://") == std::string::npos) u = schemeOf(protocol) + "://" + u;
    CURLU* h = curl_url();
    struct Free {
        CURLU* h;
        ~Free() { curl_url_cleanup(h); }
    } free{h};
    if (curl_url_set(h, CURLUPART_URL, u.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        fail(err::UrlMalformed, "URL is malformed: " + UrlForMessage(text));
    auto part = [&](CURLUPart p, unsigned flags = 0) {
        char* s = nullptr;
        std::string out;
        if (curl_url_get(h, p, &s, flags) == CURLUE_OK && s) out = s;
        curl_free(s);
        return out;
    };
    const std::string scheme = part(CURLUPART_SCHEME);
    const std::string host = part(CURLUPART_HOST);
    // An address without a scheme takes the protocol's, which a request checks.
    const bool ownScheme = text.find("://") != std::string_view::npos;
    if (ownScheme && scheme != "ftp" && scheme != "http" && scheme != "https")
        fail(err::UrlMalformed, "Only ftp, http and https addresses are taken: " + UrlForMessage(text));
    if (ownScheme && secureOnly && scheme != "https")
        fail(err::NoProtocol, "This network sends only over HTTPS: " + UrlForMessage(text) + " is refused");
    if (host.empty()) fail(err::UrlMalformed, "URL is malformed: " + UrlForMessage(text));
    url_ = std::string(text);
    if (scheme == "ftp") protocol = icFTP;
    else if (scheme == "http") protocol = icHTTP;
    else if (scheme == "https") protocol = icHTTPS;
    remoteHost = host;
    const std::string port = part(CURLUPART_PORT);
    if (!port.empty()) remotePort = std::stoi(port);
    const std::string user = part(CURLUPART_USER, CURLU_URLDECODE);
    if (!user.empty()) {
        userName = user;
        password = part(CURLUPART_PASSWORD, CURLU_URLDECODE);
    }
    document = part(CURLUPART_PATH, CURLU_URLDECODE);
    const std::string query = part(CURLUPART_QUERY);
    if (!query.empty()) document += "?" + query;
}

// scheme://host:port and the rest of the current URL, with the port made explicit.
std::string Inet::effectiveUrl(std::string_view) const {
    std::string u = url_;
    if (u.find("://") == std::string::npos) u = schemeOf(protocol) + "://" + u;
    CURLU* h = curl_url();
    curl_url_set(h, CURLUPART_URL, u.c_str(), CURLU_NON_SUPPORT_SCHEME);
    char* scheme = nullptr;
    curl_url_get(h, CURLUPART_SCHEME, &scheme, 0);
    const std::string s = scheme ? scheme : "http";
    curl_free(scheme);
    const std::string port = std::to_string(remotePort ? remotePort : defaultPort(s));
    curl_url_set(h, CURLUPART_PORT, port.c_str(), 0);
    curl_url_set(h, CURLUPART_USER, nullptr, 0);
    curl_url_set(h, CURLUPART_PASSWORD, nullptr, 0);
    char* out = nullptr;
    curl_url_get(h, CURLUPART_URL, &out, 0);
    std::string result = out ? out : "";
    curl_free(out);
    curl_url_cleanup(h);
    return result;
}

namespace {

std::string escapePart(const std::string& s) {
    char* e = curl_easy_escape(nullptr, s.c_str(), int(s.size()));
    std::string out = e ? e : s;
    curl_free(e);
    return out;
}

// The folder `arg` names, seen from `cwd`.
Inet::FtpSession resolve(const Inet::FtpSession& cwd, std::string_view arg) {
    Inet::FtpSession out = cwd;
    if (!arg.empty() && (arg[0] == '/' || arg[0] == '\\')) {
        out.absolute = true;
        out.cwd.clear();
    }
    for (const std::string& p : splitPath(arg)) {
        if (p == ".") continue;
        if (p == ".." && !out.cwd.empty() && out.cwd.back() != "..") out.cwd.pop_back();
        else if (p == ".." && out.absolute) continue;
        else out.cwd.push_back(p);
    }
    return out;
}

}  // namespace

void Inet::startRequest(Request r) {
    // A host that stopped waiting wants no new transfer either.
    if (stop_ && stop_()) fail(err::Cancelled, "The request was cancelled");
    if (secureOnly && (r.ftp || r.target.rfind("https://", 0) != 0))
        fail(err::NoProtocol, "This network sends only over HTTPS: " + r.target + " is refused");
    r.secureOnly = secureOnly;
    r.maxBytes = maxResponseBytes;
    // The last request's events are told before the next one starts.
    deliverEvents();
    auto t = std::make_shared<Transfer>();
    t->emitEvents = r.emitEvents;
    t->notify = notifier_;
    transfer_ = t;
    r.timeout = requestTimeout > 0 ? requestTimeout : options().defaultTimeoutSeconds;
    r.accessType = accessType;
    r.proxy = proxy;
    r.user = userName;
    r.password = password;
    r.hasUser = !userName.empty();
    worker_ = std::thread(perform, static_cast<CURL*>(curl_), sockets_.get(), std::move(r), t);
}

void Inet::execute(std::string_view url, std::string_view operation, const Variant& data,
                   std::string_view requestHeaders) {
    finishIfDone();
    if (worker_.joinable()) fail(err::StillExecuting, "Still executing last request");
    // Another URL starts in its own folder; the same one (or none) goes on where the last left.
    const bool otherUrl = !url.empty() && url != url_;
    if (!url.empty()) setUrl(url);
    if (url_.empty()) fail(err::UrlMalformed, "No URL to work on");
    const std::string full = effectiveUrl(url_);
    std::vector<std::string> w = words(operation);
    const std::string op = w.empty() ? std::string() : upper(w[0]);
    auto arg = [&](std::size_t i) -> std::string { return i < w.size() ? w[i] : std::string(); };
    // A word more than the operation takes is refused, not ignored: a name with a blank would
    // otherwise leave its last word as the local file name.
    auto takes = [&](std::size_t least, std::size_t most) {
        const std::size_t n = w.empty() ? 0 : w.size() - 1;
        if (n < least)
            fail(5, "Invalid procedure call or argument: " + op + " needs " + std::to_string(least) + " name(s)");
        if (n > most)
            fail(5, "Invalid procedure call or argument: " + op + " takes at most " + std::to_string(most) + " name(s)");
    };

    Request r;
    if (protocol == icHTTP || protocol == icHTTPS) {
        r.target = full;
        r.method = op.empty() ? "GET" : op;
        if (r.method != "GET" && r.method != "HEAD" && r.method != "POST" && r.method != "PUT")
            fail(err::NoProtocol, "Operation not supported over HTTP: " + r.method);
        takes(0, r.method == "PUT" ? 1 : 0);
        r.data = bytesOf(data);
        if (r.method == "PUT" && !arg(1).empty()) {
            r.upload = arg(1);
            if (!std::filesystem::is_regular_file(r.upload)) fail(53, "File not found: " + arg(1));
        }
        std::string line;
        for (char c : std::string(requestHeaders)) {
            if (c == '\r' || c == '\n') {
                if (!line.empty()) r.headers.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        if (!line.empty()) r.headers.push_back(line);
        if (r.method != "HEAD") r.result = Request::Result::Buffer;
        startRequest(std::move(r));
        return;
    }
    if (protocol != icFTP) fail(err::NoProtocol, "No transfer is offered for protocol " + std::to_string(protocol));

    // FTP: one login per host, port and user; its current folder is kept between requests.
    CURLU* h = curl_url();
    curl_url_set(h, CURLUPART_URL, full.c_str(), 0);
    char *host = nullptr, *port = nullptr;
    curl_url_get(h, CURLUPART_HOST, &host, 0);
    curl_url_get(h, CURLUPART_PORT, &port, 0);
    const std::string root = "ftp://" + std::string(host ? host : "") + ":" + (port ? port : "21") + "/";
    curl_free(host);
    curl_free(port);
    curl_url_cleanup(h);
    const std::string key = root + "|" + userName;
    if (ftp_.key != key || otherUrl) {
        ftp_ = FtpSession{};
        ftp_.key = key;
        std::string start = document;
        if (start.rfind("//", 0) == 0) ftp_ = resolve(ftp_, start.substr(1));
        else ftp_ = resolve(ftp_, std::string_view(start).substr(start.empty() ? 0 : 1));
        ftp_.key = key;
    }
    auto dirUrl = [&](const FtpSession& s) {
        std::string u = root + (s.absolute ? "%2F" : "");
        for (const auto& p : s.cwd) u += escapePart(p) + "/";
        return u;
    };
    auto fileUrl = [&](std::string_view file) {
        FtpSession f = resolve(ftp_, file);
        if (f.cwd.empty()) fail(err::UrlMalformed, "No file name given");
        const std::string name = f.cwd.back();
        f.cwd.pop_back();
        return dirUrl(f) + escapePart(name);
    };
    r.ftp = true;
    r.ftpRoot = root;
    r.target = dirUrl(ftp_);
    auto pending = std::optional<FtpSession>();
    if (op.empty()) {
        takes(0, 0);
        r.target = document.empty() ? dirUrl(ftp_) : full;
    } else if (op == "CD" || op == "CDUP") {
        if (op == "CD") takes(1, 1);
        else takes(0, 0);
        FtpSession next = resolve(ftp_, op == "CDUP" ? ".." : arg(1));
        r.target = dirUrl(next);
        r.nobody = true;
        r.result = Request::Result::None;
        pending = next;
    } else if (op == "DIR" || op == "LS") {
        takes(0, 1);
        r.listOnly = true;
        const std::string a = arg(1);
        if (a.find_first_of("*?[") != std::string::npos) r.pattern = a;
        else if (!a.empty()) r.target = dirUrl(resolve(ftp_, a));
    } else if (op == "GET" || op == "RECV") {
        takes(2, 2);
        checkLocalName(arg(2));
        r.target = fileUrl(arg(1));
        r.download = arg(2);
        r.result = Request::Result::File;
    } else if (op == "PUT" || op == "SEND") {
        takes(1, 2);
        r.upload = arg(1);
        if (!std::filesystem::is_regular_file(r.upload)) fail(53, "File not found: " + arg(1));
        r.target = fileUrl(w.size() > 2 ? arg(2) : r.upload.filename().string());
        r.result = Request::Result::None;
    } else if (op == "DELETE" || op == "MKDIR" || op == "RMDIR") {
        takes(1, 1);
        const char* verb = op == "DELETE" ? "DELE" : op == "MKDIR" ? "MKD" : "RMD";
        r.commands.emplace_back(verb, resolve(ftp_, arg(1)));
        r.target = root;
        r.nobody = true;
        r.result = Request::Result::None;
    } else if (op == "RENAME") {
        takes(2, 2);
        r.commands.emplace_back("RNFR", resolve(ftp_, arg(1)));
        r.commands.emplace_back("RNTO", resolve(ftp_, arg(2)));
        r.target = root;
        r.nobody = true;
        r.result = Request::Result::None;
    } else if (op == "SIZE") {
        takes(1, 1);
        r.target = fileUrl(arg(1));
        r.nobody = true;
        r.result = Request::Result::Size;
    } else if (op == "PWD") {
        takes(0, 0);
        r.target = root;
        r.nobody = true;
        r.pwd = ftp_;
        r.result = Request::Result::Pwd;
    } else if (op == "QUIT" || op == "CLOSE") {
        takes(0, 0);
        // Ends the login: the next request logs in afresh.
        transfer_ = std::make_shared<Transfer>();
        transfer_->emit(icDisconnecting);
        curl_easy_cleanup(static_cast<CURL*>(curl_));
        curl_ = curl_easy_init();
        ftp_ = FtpSession{};
        transfer_->emit(icDisconnected);
        transfer_->done = transfer_->ok = true;
        return;
    } else {
        fail(err::NoProtocol, "Operation not supported over FTP: " + op);
    }
    startRequest(std::move(r));
    if (pending) {
        // The folder changes once the server accepted it.
        pending_ = std::move(*pending);
        hasPending_ = true;
    }
}

void Inet::fetch(std::string_view url, const std::filesystem::path& file) {
    finishIfDone();
    if (worker_.joinable()) fail(err::StillExecuting, "Still executing last request");
    if (!file.empty()) checkLocalName(file.string());
    if (!url.empty()) setUrl(url);
    if (url_.empty()) fail(err::UrlMalformed, "No URL to open");
    if (protocol != icFTP && protocol != icHTTP && protocol != icHTTPS)
        fail(err::NoProtocol, "No transfer is offered for protocol " + std::to_string(protocol));
    Request r;
    r.ftp = protocol == icFTP;
    r.target = effectiveUrl(url_);
    r.method = "GET";
    r.emitEvents = false;
    if (!file.empty()) {
        r.download = file;
        r.result = Request::Result::File;
    }
    startRequest(std::move(r));
    waitWhile([this] { return worker_.joinable(); });
    if (!transfer_->ok) fail(err::RequestFailed, "Unable to complete the request: " + transfer_->responseInfo);
}

Variant Inet::openUrl(std::string_view url, int dataType) {
    fetch(url, {});
    std::string body;
    {
        std::lock_guard lock(transfer_->m);
        body = transfer_->body.substr(transfer_->readPos);
        transfer_->readPos = transfer_->body.size();
    }
    return dataType == icByteArray ? Variant::bytes(body) : Variant(std::move(body));
}

void Inet::download(std::string_view url, const std::filesystem::path& file) {
    if (file.empty()) fail(75, "No file to download into");
    fetch(url, file);
}

Variant Inet::getChunk(long size, int dataType) {
    std::string chunk;
    if (transfer_ && size > 0) {
        waitWhile([this] {
            std::lock_guard lock(transfer_->m);
            return !transfer_->done && transfer_->readPos >= transfer_->body.size();
        });
        std::lock_guard lock(transfer_->m);
        const std::size_t n = std::min<std::size_t>(std::size_t(size), transfer_->body.size() - transfer_->readPos);
        chunk = transfer_->body.substr(transfer_->readPos, n);
        transfer_->readPos += n;
    }
    return dataType == icByteArray ? Variant::bytes(chunk) : Variant(std::move(chunk));
}

std::string Inet::getHeader(std::string_view name) {
    finishIfDone();
    if (!transfer_) return {};
    std::string all;
    {
        std::lock_guard lock(transfer_->m);
        all = transfer_->headers;
    }
    while (all.size() >= 2 && all.substr(all.size() - 2) == "\r\n" &&
           (all.size() < 4 || all.substr(all.size() - 4) == "\r\n\r\n"))
        all.resize(all.size() - 2);
    if (name.empty()) return all;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\n', start);
        if (end == std::string::npos) end = all.size();
        std::string line = all.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto colon = line.find(':');
        if (colon != std::string::npos && equalNoCase(line.substr(0, colon), name)) {
            std::size_t v = colon + 1;
            while (v < line.size() && line[v] == ' ') ++v;
            return line.substr(v);
        }
        start = end + 1;
    }
    return {};
}

// ---- Members ----

namespace {

[[noreturn]] void invalidValue() { throw automation::Error(380, "Inet", "Invalid property value"); }

std::int32_t ranged(const Variant& v, std::int32_t low, std::int32_t high) {
    const std::int32_t n = automation::toInt32(v);
    if (n < low || n > high) invalidValue();
    return n;
}

}  // namespace

const automation::Members<Inet>& Inet::members() {
    using automation::Args;
    using M = automation::Members<Inet>;
    static const M m = [] {
        M m("Inet");
        auto text = [&m](std::string_view name, std::string Inet::*field) {
            m.get(name, [field](Inet& i, Args&) { return Variant(i.*field); });
            m.let(name, [field](Inet& i, Args&, const Variant& v) { i.*field = automation::toText(v); });
        };
        text("RemoteHost", &Inet::remoteHost);
        text("Proxy", &Inet::proxy);
        text("UserName", &Inet::userName);
        text("Password", &Inet::password);
        text("Document", &Inet::document);
        m.get("URL", [](Inet& i, Args&) { return Variant(i.url()); });
        m.let("URL", [](Inet& i, Args&, const Variant& v) { i.setUrl(automation::toText(v)); });
        m.get("Protocol", [](Inet& i, Args&) { return Variant(std::int16_t(i.protocol)); });
        m.let("Protocol", [](Inet& i, Args&, const Variant& v) { i.protocol = ranged(v, 0, 5); });
        m.get("RemotePort", [](Inet& i, Args&) { return Variant(std::int32_t(i.remotePort)); });
        m.let("RemotePort", [](Inet& i, Args&, const Variant& v) { i.remotePort = ranged(v, 0, 65535); });
        m.get("RequestTimeout", [](Inet& i, Args&) { return Variant(std::int32_t(i.requestTimeout)); });
        m.let("RequestTimeout", [](Inet& i, Args&, const Variant& v) { i.requestTimeout = ranged(v, 0, 0x7fffffff); });
        m.get("AccessType", [](Inet& i, Args&) { return Variant(std::int16_t(i.accessType)); });
        m.let("AccessType", [](Inet& i, Args&, const Variant& v) { i.accessType = ranged(v, 0, 2); });
        m.get("ResponseCode", [](Inet& i, Args&) {
            i.finishIfDone();
            return Variant(std::int32_t(i.responseCode));
        });
        m.get("ResponseInfo", [](Inet& i, Args&) {
            i.finishIfDone();
            return Variant(i.responseInfo);
        });
        m.get("StillExecuting", [](Inet& i, Args&) { return Variant(i.stillExecuting()); });
        m.method("OpenURL", {0, 2}, [](Inet& i, Args& a) {
            return i.openUrl(a.string(0), a.int32(1, icString));
        });
        m.method("Execute", {0, 4}, [](Inet& i, Args& a) {
            i.execute(a.string(0), a.string(1), a.has(2) ? a.value(2) : Variant(), a.string(3));
            return Variant();
        });
        m.method("GetChunk", {1, 2}, [](Inet& i, Args& a) { return i.getChunk(a.int32(0), a.int32(1, icString)); });
        m.method("GetHeader", {0, 1}, [](Inet& i, Args& a) { return Variant(i.getHeader(a.string(0))); });
        m.method("Cancel", {0, 0}, [](Inet& i, Args&) {
            i.cancel();
            return Variant();
        });
        return m;
    }();
    return m;
}

}  // namespace vt::inet
