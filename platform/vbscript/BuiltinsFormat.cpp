// FormatNumber, FormatCurrency, FormatPercent and FormatDateTime with the en-US settings: "."
// decimal point, "," groups of three, "$" before the amount, two decimals by default. Halves
// round away from zero, on the number's shortest decimal form (2.675 is a half), as these
// functions always did (unlike Round and CInt).

#include "Builtins.h"

#include "platform/text/Text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vt::vbscript {

namespace {
using namespace automation;

[[noreturn]] void invalidCall() { raise(automation::err::InvalidCall); }

// A decimal number: the value is 0.digits x 10^point.
struct DecimalDigits {
    std::string digits;   // no leading zeros; empty for zero
    int point = 0;
    bool negative = false;
};

// From "1234.5678" or "-0.5".
DecimalDigits fromPlain(std::string_view s) {
    DecimalDigits d;
    if (!s.empty() && s[0] == '-') {
        d.negative = true;
        s.remove_prefix(1);
    }
    const std::size_t dot = s.find('.');
    const std::string_view intPart = s.substr(0, dot);
    const std::string_view fracPart = dot == std::string_view::npos ? std::string_view() : s.substr(dot + 1);
    std::string all = std::string(intPart) + std::string(fracPart);
    int point = int(intPart.size());
    std::size_t lead = 0;
    while (lead < all.size() && all[lead] == '0') ++lead;
    d.digits = all.substr(lead);
    d.point = point - int(lead);
    return d;
}

// From a double, read as its `significant`-digit decimal form.
DecimalDigits fromDouble(double v, int significant) {
    DecimalDigits d;
    if (v == 0 || !std::isfinite(v)) return d;
    d.negative = v < 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", significant - 1, std::fabs(v));
    const std::string_view s(buf);
    const std::size_t e = s.find('e');
    for (char c : s.substr(0, e))
        if (c >= '0' && c <= '9') d.digits += c;
    d.point = std::atoi(buf + e + 1) + 1;
    return d;
}

DecimalDigits digitsOf(const Variant& v) {
    switch (v.type()) {
    case VarType::Currency: {
        const std::int64_t c = v.currencyValue().scaled;
        const std::uint64_t mag = c < 0 ? 0 - std::uint64_t(c) : std::uint64_t(c);
        std::string s = std::to_string(mag);
        if (s.size() < 5) s.insert(0, 5 - s.size(), '0');
        s.insert(s.size() - 4, 1, '.');
        DecimalDigits d = fromPlain(s);
        d.negative = c < 0;
        return d;
    }
    case VarType::Decimal: return fromPlain(v.decimalValue().toString());
    case VarType::Single: return fromDouble(double(v.singleValue()), 7);
    default: return fromDouble(toDouble(v), 15);
    }
}

struct Options {
    int decimals = 2;
    bool leadingDigit = true;
    bool parens = false;
    bool grouping = true;
};

// -1 (or omitted) for the default, True -1, False 0, vbUseDefault -2.
bool tristate(ArgSpan a, std::size_t i, bool def) {
    if (!arg::has(a, i)) return def;
    const Variant v = arg::value(a, i);
    if (v.isNull()) raise(automation::err::InvalidUseOfNull);
    const std::int32_t n = toInt32(v);
    return n == -2 ? def : n != 0;
}

Options options(ArgSpan a, bool parensDefault) {
    Options o;
    o.parens = parensDefault;
    if (arg::has(a, 1)) {
        const Variant v = arg::value(a, 1);
        if (v.isNull()) raise(automation::err::InvalidUseOfNull);
        const std::int32_t n = toInt32(v);
        if (n < -1 || n > 255) invalidCall();
        if (n >= 0) o.decimals = n;
    }
    o.leadingDigit = tristate(a, 2, true);
    o.parens = tristate(a, 3, parensDefault);
    o.grouping = tristate(a, 4, true);
    return o;
}

// The number to format; Null and text that is no number are a type mismatch (13).
Variant numberArg(ArgSpan a) {
    const Variant v = arg::value(a, 0);
    if (v.isNull()) raise(automation::err::TypeMismatch);
    if (v.isString()) {
        const auto n = parseNumber(v.stringValue());
        if (!n) raise(automation::err::TypeMismatch);
        return Variant(*n);
    }
    if (v.type() == VarType::Currency || v.type() == VarType::Decimal || v.type() == VarType::Single) return v;
    return Variant(toDouble(v));
}

// "1,234.50", "(1,234.50)" or "-$1,234.50"; `shift` moves the point (2 for percent).
std::string render(DecimalDigits d, int shift, const Options& o, std::string_view prefix, std::string_view suffix) {
    d.point += d.digits.empty() ? 0 : shift;
    // Digits kept: those before the point and `decimals` after it; the next one rounds.
    const int keep = d.point + o.decimals;
    std::string kept;
    if (keep > 0) {
        kept = d.digits.substr(0, std::size_t(std::min<int>(keep, int(d.digits.size()))));
        if (int(kept.size()) < keep) kept.append(std::size_t(keep) - kept.size(), '0');
        if (std::size_t(keep) < d.digits.size() && d.digits[std::size_t(keep)] >= '5') {
            int i = int(kept.size()) - 1;
            while (i >= 0 && kept[std::size_t(i)] == '9') kept[std::size_t(i--)] = '0';
            if (i >= 0) {
                ++kept[std::size_t(i)];
            } else {
                kept.insert(0, 1, '1');
                ++d.point;
            }
        }
    } else if (keep == 0 && !d.digits.empty() && d.digits[0] >= '5') {
        kept = "1";
        ++d.point;
    }
    // Integer and fraction digits of the rounded value.
    std::string intDigits, fracDigits;
    if (d.point > 0) {
        intDigits = kept.substr(0, std::min<std::size_t>(std::size_t(d.point), kept.size()));
        if (int(intDigits.size()) < d.point) intDigits.append(std::size_t(d.point) - intDigits.size(), '0');
        fracDigits = kept.size() > std::size_t(d.point) ? kept.substr(std::size_t(d.point)) : std::string();
    } else {
        fracDigits = std::string(std::size_t(-d.point), '0') + kept;
    }
    fracDigits.resize(std::size_t(o.decimals), '0');
    const std::size_t lead = intDigits.find_first_not_of('0');
    intDigits = lead == std::string::npos ? std::string() : intDigits.substr(lead);
    const bool zero = intDigits.empty() && fracDigits.find_first_not_of('0') == std::string::npos;

    std::string body;
    if (intDigits.empty()) {
        if (o.leadingDigit || o.decimals == 0) body = "0";
    } else if (o.grouping) {
        for (std::size_t i = 0; i < intDigits.size(); ++i) {
            if (i > 0 && (intDigits.size() - i) % 3 == 0) body += ',';
            body += intDigits[i];
        }
    } else {
        body = intDigits;
    }
    if (o.decimals > 0) body += "." + fracDigits;
    body = std::string(prefix) + body + std::string(suffix);
    // A negative that rounds to nothing shows no sign.
    if (!d.negative || zero) return body;
    return o.parens ? "(" + body + ")" : "-" + body;
}

Variant formatNumber(Engine&, ArgSpan a) {
    const Options o = options(a, false);
    return Variant(render(digitsOf(numberArg(a)), 0, o, "", ""));
}

// Negative amounts in parentheses unless told otherwise, as en-US writes them.
Variant formatCurrency(Engine&, ArgSpan a) {
    const Options o = options(a, true);
    return Variant(render(digitsOf(numberArg(a)), 0, o, "$", ""));
}

Variant formatPercent(Engine&, ArgSpan a) {
    const Options o = options(a, false);
    return Variant(render(digitsOf(numberArg(a)), 2, o, "", "%"));
}

// 0 vbGeneralDate (as CStr), 1 vbLongDate, 2 vbShortDate, 3 vbLongTime, 4 vbShortTime (24-hour).
Variant formatDateTime(Engine&, ArgSpan a) {
    int format = 0;
    if (arg::has(a, 1)) {
        const Variant f = arg::value(a, 1);
        if (f.isNull()) raise(automation::err::InvalidUseOfNull);
        format = toInt32(f);
    }
    const Variant v = arg::value(a, 0);
    if (v.isNull()) raise(automation::err::TypeMismatch);
    const double d = toDate(v);
    switch (format) {
    case 0: return Variant(automation::formatDate(d));
    case 1: return Variant(text::formatDate(d, "dddd, mmmm d, yyyy"));
    case 2: return Variant(text::formatDate(d, "m/d/yyyy"));
    case 3: return Variant(text::formatDate(d, "h:nn:ss AMPM"));
    case 4: return Variant(text::formatDate(d, "hh:nn"));
    default: invalidCall();
    }
}

}  // namespace

void addFormatBuiltins(BuiltinTable& t) {
    t.add("FormatNumber", 1, 5, formatNumber);
    t.add("FormatCurrency", 1, 5, formatCurrency);
    t.add("FormatPercent", 1, 5, formatPercent);
    t.add("FormatDateTime", 1, 2, formatDateTime);
}

}  // namespace vt::vbscript
