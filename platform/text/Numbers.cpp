#include "Detail.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace vt::text {
namespace detail {

Decimal toDecimal(double v) {
    Decimal d;
    v = std::fabs(v);
    if (v == 0 || !std::isfinite(v)) return d;
    char buf[64];
    // Whole numbers keep every digit that a double holds (large control numbers); fractions are
    // cut to 15 significant digits, which drops the binary noise of 0.1 + 0.2.
    const auto res = v == std::trunc(v)
                         ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific)
                         : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    const std::string_view s(buf, size_t(res.ptr - buf));
    const size_t e = s.find('e');
    for (char c : s.substr(0, e))
        if (c != '.') d.digits += c;
    int exp = 0;
    std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), exp);
    d.point = exp + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

void roundAt(Decimal& d, int decimals, Half half) {
    const long long keep = (long long)d.point + decimals;
    if (keep >= (long long)d.digits.size()) return;
    if (keep < 0) {
        d = Decimal{};
        return;
    }
    const char r = d.digits[size_t(keep)];
    const bool more = size_t(keep) + 1 < d.digits.size();   // no trailing zeros: the rest is > 0
    const char prev = keep > 0 ? d.digits[size_t(keep) - 1] : '0';
    const bool up = r > '5' || (r == '5' && (more || half == Half::AwayFromZero || (prev - '0') % 2 == 1));
    d.digits.resize(size_t(keep));
    if (up) {
        size_t i = d.digits.size();
        while (i > 0 && d.digits[i - 1] == '9') d.digits[--i] = '0';
        if (i == 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.point;
        } else {
            ++d.digits[i - 1];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.point = 0;
}

double toDouble(const Decimal& d, bool negative) {
    if (d.digits.empty()) return 0.0;
    const std::string s = "0." + d.digits + "e" + std::to_string(d.point);
    double v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return negative ? -v : v;
}

}  // namespace detail

double roundHalfEven(double value, int digits) {
    if (!std::isfinite(value) || (digits >= 0 && value == std::trunc(value))) return value;
    detail::Decimal d = detail::toDecimal(value);
    if ((long long)d.point + digits >= 15) return value;   // finer than a double's digits
    detail::roundAt(d, digits, detail::Half::Even);
    return detail::toDouble(d, value < 0);
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// &H / &O: a short value is a 16-bit Integer, a longer one a 32-bit Long, both two's complement.
double radixValue(std::string_view s, int radix) {
    std::uint64_t v = 0;
    double big = 0;   // past 32 bits there is no signed type to wrap into
    bool any = false;
    for (char c : s) {
        int digit;
        if (isDigit(c)) digit = c - '0';
        else if (radix == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (radix == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else break;
        if (digit >= radix) break;
        any = true;
        big = big * radix + digit;
        if (v <= 0xFFFFFFFFull) v = v * unsigned(radix) + unsigned(digit);
    }
    if (!any) return 0;
    if (v <= 0xFFFF) return double(std::int16_t(std::uint16_t(v)));
    if (v <= 0xFFFFFFFFull) return double(std::int32_t(std::uint32_t(v)));
    return big;
}

}  // namespace

double val(std::string_view s) {
    std::string c;
    c.reserve(s.size());
    for (char ch : s)
        if (ch != ' ' && ch != '\t' && ch != '\n') c += ch;

    size_t i = 0;
    if (c.size() >= 2 && c[0] == '&') {
        if (c[1] == 'H' || c[1] == 'h') return radixValue(std::string_view(c).substr(2), 16);
        if (c[1] == 'O' || c[1] == 'o') return radixValue(std::string_view(c).substr(2), 8);
        return 0;
    }

    bool negative = false;
    if (i < c.size() && (c[i] == '+' || c[i] == '-')) negative = c[i++] == '-';
    std::string intPart, fracPart;
    while (i < c.size() && isDigit(c[i])) intPart += c[i++];
    if (i < c.size() && c[i] == '.') {
        ++i;
        while (i < c.size() && isDigit(c[i])) fracPart += c[i++];
    }
    if (intPart.empty() && fracPart.empty()) return 0;

    std::string expPart;
    if (i < c.size() && (c[i] == 'E' || c[i] == 'e' || c[i] == 'D' || c[i] == 'd')) {
        size_t j = i + 1;
        std::string sign;
        if (j < c.size() && (c[j] == '+' || c[j] == '-')) sign = c[j++] == '-' ? "-" : "";
        std::string digits;
        while (j < c.size() && isDigit(c[j])) digits += c[j++];
        if (!digits.empty()) expPart = sign + digits;
    }

    const std::string text = (intPart.empty() ? "0" : intPart) + "." + (fracPart.empty() ? "0" : fracPart) +
                             (expPart.empty() ? "" : "e" + expPart);
    double v = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec == std::errc::result_out_of_range)
        v = (!expPart.empty() && expPart[0] != '-') ? HUGE_VAL : 0.0;
    if (v == 0) return 0.0;   // never -0
    return negative ? -v : v;
}

}  // namespace vt::text
