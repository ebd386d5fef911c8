#include "platform/odbc/TextForms.h"

#include "platform/text/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vt::odbc::detail {

// Drivers write several lines (PostgreSQL adds the statement and a caret); the error is one
// line wherever it is shown or logged.
std::string oneLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t end = std::min(text.find_first_not_of(" \t\r\n", i), text.size());
        if (end == i) {
            out += text[i++];
            continue;
        }
        const std::string_view run(text.data() + i, end - i);
        // Blanks between words stay as written; a line break and its indentation become one.
        if (!out.empty() && end < text.size())
            out += run.find_first_of("\t\r\n") == std::string_view::npos ? std::string(run) : std::string(" ");
        i = end;
    }
    return out;
}

// "0012.500" -> "12.5", "-.50" -> "-0.5", "+3." -> "3": the general form of a decimal.
std::string generalDecimal(std::string s) {
    s = text::trim(s);
    if (s.empty()) return s;
    std::string sign;
    if (s[0] == '-' || s[0] == '+') {
        if (s[0] == '-') sign = "-";
        s.erase(0, 1);
    }
    if (s.find_first_not_of("0123456789.") != std::string::npos) return sign + s;   // exponent, NaN: as given
    std::size_t point = s.find('.');
    std::string whole = s.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : s.substr(point + 1);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (whole.empty()) whole = "0";
    if (whole == "0" && fraction.empty()) return "0";
    return sign + whole + (fraction.empty() ? "" : "." + fraction);
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

namespace {

void appendNumber(std::string& out, int n, int width = 1) {
    char digits[12];
    int length = 0;
    unsigned v = unsigned(n < 0 ? -n : n);
    do {
        digits[length++] = char('0' + v % 10);
        v /= 10;
    } while (v);
    if (n < 0) out += '-';
    for (int i = length; i < width; ++i) out += '0';
    while (length) out += digits[--length];
}

}  // namespace

// The general date form that text::formatDate gives without a picture ("m/d/yyyy",
// "h:mm:ss AM" or both), made without reading a picture for every value of a result.
void generalDate(const text::DateTime& d, std::string& out) {
    out.clear();
    const bool noDate = d.year == 1899 && d.month == 12 && d.day == 30;
    const bool noTime = d.hour == 0 && d.minute == 0 && d.second == 0;
    if (!noDate) {
        appendNumber(out, d.month);
        out += '/';
        appendNumber(out, d.day);
        out += '/';
        appendNumber(out, d.year, 4);
        if (noTime) return;
        out += ' ';
    }
    appendNumber(out, d.hour % 12 == 0 ? 12 : d.hour % 12);
    out += ':';
    appendNumber(out, d.minute, 2);
    out += ':';
    appendNumber(out, d.second, 2);
    out += d.hour >= 12 ? " PM" : " AM";
}

// The general number form of text::formatNumber without a picture, made directly for values
// with at most four decimals and fewer than 15 digits: such a value lies closer to its short
// decimal than the fifteenth digit's rounding can see, so both give that decimal.
void generalNumber(double v, std::string& out) {
    static constexpr double scales[] = {1, 10, 100, 1000, 10000};
    for (int places = 0; places < 5; ++places) {
        const double scaled = v * scales[places];
        if (!(std::fabs(scaled) < 1e15) || scaled != std::trunc(scaled)) continue;
        const long long whole = static_cast<long long>(scaled);
        if (whole == 0) {
            out = "0";
            return;
        }
        std::string digits = std::to_string(whole < 0 ? -whole : whole);
        if (int(digits.size()) <= places) digits.insert(0, std::size_t(places) + 1 - digits.size(), '0');
        out = whole < 0 ? "-" : "";
        out.append(digits, 0, digits.size() - std::size_t(places));
        std::string fraction = digits.substr(digits.size() - std::size_t(places));
        while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
        if (!fraction.empty()) out += "." + fraction;
        return;
    }
    out = text::formatNumber(v, "");
}

// Eight bytes at a time: most values are plain ASCII and need no conversion.
bool isAscii(std::string_view v) {
    std::size_t i = 0;
    for (; i + 8 <= v.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, v.data() + i, 8);
        if (word & 0x8080808080808080ull) return false;
    }
    for (; i < v.size(); ++i)
        if (static_cast<unsigned char>(v[i]) >= 0x80) return false;
    return true;
}

}  // namespace vt::odbc::detail
