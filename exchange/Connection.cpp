#include "exchange/Connection.h"

#include "core/RunError.h"
#include "platform/inet/Inet.h"
#include "platform/text/Text.h"

#include <charconv>
#include <optional>

namespace vt::exchange {

namespace {

[[noreturn]] void refuse(const std::string& text) { throw core::RunError(380, text); }

// A whole number from `low` to `high` in a box's text; nothing for an empty box.
std::optional<long> number(const std::string& box, const std::string& text, long low, long high,
                           const std::string& expected) {
    const std::string t = text::trim(text);
    if (t.empty()) return std::nullopt;
    long n = 0;
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (error != std::errc() || end != t.data() + t.size() || n < low || n > high)
        refuse(box + ": \"" + t + "\" is not " + expected);
    return n;
}

// "" for an address without one; what stands before a "://" that is no scheme (a password
// holding "://") is not quoted as one.
std::string schemeOf(const std::string& url) {
    const std::size_t at = url.find("://");
    if (at == std::string::npos) return {};
    const std::string scheme = text::toLower(text::trim(url.substr(0, at)));
    const bool valid = !scheme.empty() && scheme[0] >= 'a' && scheme[0] <= 'z' &&
                       scheme.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789+-.") == std::string::npos;
    return valid ? scheme : std::string();
}

}  // namespace

Connection ResolveConnection(const ConnectionInput& in) {
    Connection c;
    const long limit = number("Size Limit", in.sizeLimit, 1, 1024 * 1024, "a number of megabytes (1 or more)")
                           .value_or(kDefaultSizeLimitMb);
    c.maxBytes = std::int64_t(limit) * 1024 * 1024;
    if (in.protocol == kProtocolSftp) return c;

    if (in.protocol < -1 || in.protocol > 5) refuse("Protocol: there is no protocol " + std::to_string(in.protocol));
    const std::string scheme = schemeOf(in.url);
    if (!scheme.empty() && scheme != "ftp" && scheme != "http" && scheme != "https")
        refuse("URL: only ftp, http and https addresses are taken, not " + scheme + "://");
    if (in.protocol == inet::icHTTPS && !scheme.empty() && scheme != "https")
        refuse("URL: a network set to HTTPS takes only https:// addresses; " + scheme + ":// would send in clear");
    c.protocol = in.protocol;
    if (c.protocol < 0)
        c.protocol = scheme == "ftp" ? inet::icFTP : scheme == "https" ? inet::icHTTPS
                   : scheme == "http" ? inet::icHTTP : inet::icDefault;
    c.remotePort = int(number("Remote Port", in.remotePort, 0, 65535,
                              "a port number (1 to 65535; empty for the protocol's own)")
                           .value_or(0));
    c.timeOut = number("Time Out", in.timeOut, 0, 99999, "a number of seconds (empty for the program's time-out)")
                    .value_or(0);
    if (c.timeOut == 0) c.timeOut = inet::options().defaultTimeoutSeconds;
    if (in.accessType < -1 || in.accessType > 2)
        refuse("Access Type: there is no access type " + std::to_string(in.accessType));
    c.accessType = in.accessType < 0 ? inet::icDirect : in.accessType;
    if (c.accessType == inet::icNamedProxy && text::trim(in.proxy).empty())
        refuse("Proxy: the access type \"Named Proxy\" needs the proxy's name");
    return c;
}

std::string CheckConnection(const ConnectionInput& input) {
    try {
        ResolveConnection(input);
        return {};
    } catch (const core::RunError& e) {
        return e.what();
    }
}

}  // namespace vt::exchange
