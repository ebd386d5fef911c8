#include "Passwords.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace vt::inet {

namespace {

// A raw password may hold any character, "@", "/", "#", "?", "://" and blanks included, and an
// address may come without a scheme ("partner1:secret@host:2221") or with a user name that
// holds an "@" ("me@corp.com:secret@host"). So a password is taken to run from the colon after
// the user name to the last "@" before a host, within the line and before the next address.
// Blanking a little too much is harmless; a password left half in a message is not.

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSchemeChar(char c) { return isLetter(c) || isDigit(c) || c == '+' || c == '-' || c == '.'; }
bool isHostStart(char c) { return isLetter(c) || isDigit(c) || c == '['; }
// What may stand before an address in a message.
bool isBoundary(std::string_view t, std::size_t i) {
    return i == 0 || std::string_view(" \t\r\n\"'(<[,;=").find(t[i - 1]) != std::string_view::npos;
}
bool isUserChar(char c) { return std::string_view(":/ \t\r\n\"'<>()[],;=").find(c) == std::string_view::npos; }

// Where the user name of an address starting at `i` begins: after its "scheme://", or at `i` for
// one without a scheme (`scheme` false); npos when no address starts there.
std::size_t userStart(std::string_view t, std::size_t i, bool& scheme) {
    if (!isBoundary(t, i)) return std::string_view::npos;
    std::size_t j = i;
    while (j < t.size() && isSchemeChar(t[j])) ++j;
    if (t.substr(j, 3) == "://" && (j == i || isLetter(t[i]))) {
        scheme = true;
        return j + 3;
    }
    scheme = false;
    return i < t.size() && isUserChar(t[i]) ? i : std::string_view::npos;
}

// The colon ending the user name that starts at `u`, when a password may follow it; npos
// otherwise. `lenient` for a text that is one address: no user name needed, a blank may follow.
std::size_t passwordColon(std::string_view t, std::size_t u, bool lenient) {
    std::size_t c = u;
    while (c < t.size() && isUserChar(t[c])) ++c;
    if (c + 1 >= t.size() || t[c] != ':' || (c == u && !lenient) || isLineBreak(t[c + 1]) ||
        (!lenient && isBlank(t[c + 1])))
        return std::string_view::npos;
    // host:port
    std::size_t d = c + 1;
    while (d < t.size() && isDigit(t[d])) ++d;
    if (d > c + 1 && (d == t.size() || std::string_view("/?#\"' \t\r\n<>)],;").find(t[d]) != std::string_view::npos))
        return std::string_view::npos;
    return c;
}

// Where the next address after `from` begins, before `limit`: one with a scheme, or (`plain`)
// one without a scheme that has a password.
std::size_t nextAddress(std::string_view t, std::size_t from, std::size_t limit, bool plain) {
    for (std::size_t p = from; p < limit;) {
        bool scheme = false;
        const std::size_t u = userStart(t, p, scheme);
        if (u != std::string_view::npos && (scheme || (plain && passwordColon(t, u, false) != std::string_view::npos)))
            return p;
        ++p;
        while (p < limit && isUserChar(t[p]) && isUserChar(t[p - 1])) ++p;
    }
    return limit;
}

// The password of the address whose user name starts at `u`: its colon and the "@" after it.
std::optional<std::pair<std::size_t, std::size_t>> passwordAt(std::string_view t, std::size_t u, bool scheme,
                                                              bool wholeAddress) {
    const std::size_t c = passwordColon(t, u, scheme || wholeAddress);
    if (c == std::string_view::npos) return std::nullopt;
    std::size_t end = t.size();
    if (!wholeAddress) {
        end = std::min(t.find_first_of("\r\n", c), t.size());
        end = nextAddress(t, c + 1, end, !scheme);
    }
    for (std::size_t a = end; a-- > c + 1;)
        if (t[a] == '@' && a + 1 < t.size() && isHostStart(t[a + 1])) return std::pair{c, a};
    return std::nullopt;
}

std::string cut(std::string_view text, const std::vector<std::pair<std::size_t, std::size_t>>& spans) {
    std::string out;
    std::size_t at = 0;
    for (const auto& [from, to] : spans) {
        out.append(text.substr(at, from - at));
        at = to;
    }
    out.append(text.substr(at));
    return out;
}

std::optional<std::pair<std::size_t, std::size_t>> urlPassword(std::string_view url) {
    bool scheme = false;
    std::size_t u = userStart(url, 0, scheme);
    if (u == std::string_view::npos) u = 0;
    return passwordAt(url, u, scheme, true);
}


int hexDigit(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percentDecoded(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 && hexDigit(s[i + 2]) >= 0) {
            out += char(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string percentEncoded(std::string_view s) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : s) {
        if (isLetter(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += hex[static_cast<unsigned char>(c) >> 4];
            out += hex[static_cast<unsigned char>(c) & 15];
        }
    }
    return out;
}

bool isWordChar(char c) { return isLetter(c) || isDigit(c) || static_cast<unsigned char>(c) >= 0x80; }

}  // namespace

std::string WithoutPasswords(std::string_view text) {
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    for (std::size_t i = 0; i < text.size();) {
        bool scheme = false;
        const std::size_t u = userStart(text, i, scheme);
        if (u == std::string_view::npos) {
            ++i;
            continue;
        }
        if (const auto span = passwordAt(text, u, scheme, false)) {
            spans.push_back(*span);
            i = span->second + 1;
        } else if (scheme) {
            i = u;
        } else {
            while (i < text.size() && isUserChar(text[i])) ++i;
        }
    }
    return cut(text, spans);
}

std::string WithoutPasswords(std::string_view text, const std::vector<std::string>& secrets) {
    std::string out = WithoutPasswords(text);
    // Each as given, as a URL carries it and as it means there; the longest first, so no part of
    // a longer one is left behind a shorter one's mark.
    std::vector<std::string> forms;
    for (const std::string& s : secrets)
        for (std::string form : {s, percentDecoded(s), percentEncoded(s)})
            if (!form.empty()) forms.push_back(std::move(form));
    std::sort(forms.begin(), forms.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    for (const std::string& secret : forms) {
        // A short one would blank every word it happens to be part of: it is hidden where it
        // stands alone.
        const bool alone = secret.size() < 4;
        for (std::size_t at = out.find(secret); at != std::string::npos; at = out.find(secret, at)) {
            const std::size_t end = at + secret.size();
            if (alone && ((at > 0 && isWordChar(out[at - 1])) || (end < out.size() && isWordChar(out[end])))) {
                ++at;
                continue;
            }
            out.replace(at, secret.size(), "***");
            at += 3;
        }
    }
    return out;
}

std::string UrlPassword(std::string_view url) {
    const auto span = urlPassword(url);
    return span ? std::string(url.substr(span->first + 1, span->second - span->first - 1)) : std::string();
}

std::string UrlForMessage(std::string_view url) {
    if (const auto span = urlPassword(url)) return WithoutPasswords(cut(url, {*span}));
    return WithoutPasswords(url);
}

}  // namespace vt::inet
