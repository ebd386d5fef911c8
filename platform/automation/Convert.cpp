// Conversions, text forms, parsing and comparison of Variants (VBScript rules, en-US).

#include "Variant.h"

#include "Object.h"
#include "platform/text/Text.h"

#include <array>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace vt::automation {

namespace {

// The first and last days an OLE date may hold (100-01-01, 9999-12-31 end of day).
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958465.99999999;

[[noreturn]] void mismatch() { raise(err::TypeMismatch); }
[[noreturn]] void overflow() { raise(err::Overflow); }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// A number read from text: either decimal text normalised for strtod / Decimal::parse
// ("-1234.5e3"), or an &H / &O value.
struct NumberText {
    bool radix = false;
    std::int64_t radixValue = 0;
    std::string text;
};

std::optional<NumberText> scanNumber(std::string_view s) {
    std::size_t i = 0, n = s.size();
    while (i < n && isBlank(s[i])) ++i;
    while (n > i && isBlank(s[n - 1])) --n;
    if (i == n) return std::nullopt;
    NumberText out;
    if (s[i] == '&' && i + 1 < n) {
        const char kind = lower(s[i + 1]);
        int base = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
        std::size_t k = i + 2;
        if (base == 0) {   // "&17" is octal too
            base = 8;
            k = i + 1;
        }
        std::uint64_t v = 0;
        int digits = 0;
        for (; k < n; ++k) {
            const char c = lower(s[k]);
            int d = isDigit(c) ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : 99;
            if (d >= base) return std::nullopt;
            v = v * std::uint64_t(base) + std::uint64_t(d);
            if (v > 0xFFFFFFFFull) return std::nullopt;
            ++digits;
        }
        if (digits == 0) return std::nullopt;
        out.radix = true;
        // As the literals: a value that fits 16 bits is an Integer pattern, else a Long pattern.
        if (v <= 0xFFFF) out.radixValue = std::int16_t(std::uint16_t(v));
        else out.radixValue = std::int32_t(std::uint32_t(v));
        return out;
    }
    if (s[i] == '+' || s[i] == '-') {
        if (s[i] == '-') out.text += '-';
        ++i;
        while (i < n && isBlank(s[i])) ++i;
    }
    bool intDigits = false, fracDigits = false, point = false;
    for (; i < n; ++i) {
        const char c = s[i];
        if (isDigit(c)) {
            (point ? fracDigits : intDigits) = true;
            out.text += c;
        } else if (c == ',' && intDigits && !point) {
            // thousands separator, wherever it stands among the integer digits
        } else if (c == '.' && !point) {
            point = true;
            out.text += '.';
        } else {
            break;
        }
    }
    if (!intDigits && !fracDigits) return std::nullopt;
    if (i < n && (lower(s[i]) == 'e' || lower(s[i]) == 'd')) {
        ++i;
        out.text += 'e';
        if (i < n && (s[i] == '+' || s[i] == '-')) out.text += s[i++];
        bool expDigits = false;
        for (; i < n && isDigit(s[i]); ++i) {
            expDigits = true;
            out.text += s[i];
        }
        if (!expDigits) return std::nullopt;
    }
    if (i != n) return std::nullopt;
    return out;
}

double numberFromText(const NumberText& t) {
    if (t.radix) return double(t.radixValue);
    return std::strtod(t.text.c_str(), nullptr);
}

// The double a string stands for, 13 when it is no number, 6 when it is too big.
double stringToDouble(const std::string& s) {
    const auto t = scanNumber(s);
    if (!t) mismatch();
    const double d = numberFromText(*t);
    if (!std::isfinite(d)) overflow();
    return d;
}

Variant reduce(const Variant& v) { return v.isObject() ? defaultValue(v) : v; }

std::int64_t roundToInt(double d, double lo, double hi) {
    const double r = std::nearbyint(d);   // ties to even in the default rounding mode
    if (!(r >= lo && r <= hi)) overflow();
    return std::int64_t(r);
}

std::int64_t integral(const Variant& v, std::int64_t lo, std::int64_t hi) {
    switch (v.type()) {
    case VarType::Empty: return 0;
    case VarType::Null: raise(err::InvalidUseOfNull);
    case VarType::Boolean: {
        const std::int64_t r = v.boolValue() ? -1 : 0;
        if (r < lo) overflow();
        return r;
    }
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long: {
        const std::int64_t r = v.type() == VarType::Byte ? v.byteValue()
                               : v.type() == VarType::Integer ? v.integerValue() : v.longValue();
        if (r < lo || r > hi) overflow();
        return r;
    }
    case VarType::Currency: {
        const Decimal d = Decimal::fromCurrency(v.currencyValue()).rounded(0);
        return roundToInt(d.toDouble(), double(lo), double(hi));
    }
    case VarType::Decimal: {
        const Decimal d = v.decimalValue().rounded(0);
        return roundToInt(d.toDouble(), double(lo), double(hi));
    }
    case VarType::Object: return integral(defaultValue(v), lo, hi);
    default: return roundToInt(toDouble(v), double(lo), double(hi));
    }
}

}  // namespace

Variant defaultValue(const Variant& v) {
    Variant cur = v;
    for (int depth = 0; cur.isObject(); ++depth) {
        Object* o = cur.object();
        if (!o) raise(err::ObjectNotSet);
        if (depth > 16) raise(err::NoSuchMember);
        cur = o->invoke("", InvokeKind::PropertyGet | InvokeKind::Method, {});
    }
    return cur;
}

bool toBool(const Variant& v) {
    switch (v.type()) {
    case VarType::Empty: return false;
    case VarType::Null: raise(err::InvalidUseOfNull);
    case VarType::Boolean: return v.boolValue();
    case VarType::String: {
        const std::string t = text::trim(v.stringValue());
        if (text::equalsNoCase(t, "True") || text::equalsNoCase(t, "#TRUE#")) return true;
        if (text::equalsNoCase(t, "False") || text::equalsNoCase(t, "#FALSE#")) return false;
        return stringToDouble(v.stringValue()) != 0;
    }
    case VarType::Object: return toBool(defaultValue(v));
    case VarType::Currency: return v.currencyValue().scaled != 0;
    case VarType::Decimal: return !v.decimalValue().isZero();
    default: return toDouble(v) != 0;
    }
}

std::uint8_t toByte(const Variant& v) { return std::uint8_t(integral(v, 0, 255)); }

std::uint8_t toByteBits(const Variant& v) {
    if (v.type() == VarType::Boolean) return v.boolValue() ? 255 : 0;
    return toByte(v);
}
std::int16_t toInt16(const Variant& v) { return std::int16_t(integral(v, -32768, 32767)); }
std::int32_t toInt32(const Variant& v) { return std::int32_t(integral(v, INT32_MIN, INT32_MAX)); }

double toDouble(const Variant& v) {
    switch (v.type()) {
    case VarType::Empty: return 0;
    case VarType::Null: raise(err::InvalidUseOfNull);
    case VarType::Boolean: return v.boolValue() ? -1 : 0;
    case VarType::Byte: return v.byteValue();
    case VarType::Integer: return v.integerValue();
    case VarType::Long: return v.longValue();
    case VarType::Single: return v.singleValue();
    case VarType::Double: return v.doubleValue();
    case VarType::Currency: return v.currencyValue().toDouble();
    case VarType::Decimal: return v.decimalValue().toDouble();
    case VarType::Date: return v.dateValue().value;
    case VarType::String: return stringToDouble(v.stringValue());
    case VarType::Object: return toDouble(defaultValue(v));
    default: mismatch();
    }
}

float toSingle(const Variant& v) {
    const double d = toDouble(v);
    if (std::fabs(d) > double(FLT_MAX)) overflow();
    return float(d);
}

Currency toCurrency(const Variant& v) {
    switch (v.type()) {
    case VarType::Currency: return v.currencyValue();
    case VarType::Decimal: return v.decimalValue().toCurrency();
    case VarType::Byte: case VarType::Integer: case VarType::Long: case VarType::Boolean:
        return Currency{integral(v, INT64_MIN / 10000, INT64_MAX / 10000) * Currency::kScale};
    case VarType::String: {
        const auto t = scanNumber(v.stringValue());
        if (!t) mismatch();
        if (t->radix) return Currency{t->radixValue * Currency::kScale};
        const auto d = Decimal::parse(t->text);
        if (!d) overflow();
        return d->toCurrency();
    }
    case VarType::Object: return toCurrency(defaultValue(v));
    default: return Currency::fromDouble(toDouble(v));
    }
}

Decimal toDecimal(const Variant& v) {
    switch (v.type()) {
    case VarType::Decimal: return v.decimalValue();
    case VarType::Currency: return Decimal::fromCurrency(v.currencyValue());
    case VarType::Byte: case VarType::Integer: case VarType::Long: case VarType::Boolean: case VarType::Empty:
        return Decimal::fromInt64(integral(v, INT64_MIN, INT64_MAX));
    case VarType::String: {
        const auto t = scanNumber(v.stringValue());
        if (!t) mismatch();
        if (t->radix) return Decimal::fromInt64(t->radixValue);
        const auto d = Decimal::parse(t->text);
        if (!d) overflow();
        return *d;
    }
    case VarType::Object: return toDecimal(defaultValue(v));
    default: return Decimal::fromDouble(toDouble(v));
    }
}

double toDate(const Variant& v) {
    double d = 0;
    switch (v.type()) {
    case VarType::Date: return v.dateValue().value;
    case VarType::String: {
        const auto p = parseDate(v.stringValue());
        if (!p) mismatch();
        return *p;
    }
    case VarType::Object: return toDate(defaultValue(v));
    default: d = toDouble(v);
    }
    if (!(d >= kMinDate && d <= kMaxDate)) overflow();
    return d;
}

std::string toString(const Variant& v) {
    switch (v.type()) {
    case VarType::Empty: return {};
    case VarType::Null: raise(err::InvalidUseOfNull);
    case VarType::Boolean: return boolText(v.boolValue());
    case VarType::Byte: return std::to_string(v.byteValue());
    case VarType::Integer: return std::to_string(v.integerValue());
    case VarType::Long: return std::to_string(v.longValue());
    case VarType::Single: return formatSingle(v.singleValue());
    case VarType::Double: return formatDouble(v.doubleValue());
    case VarType::Currency: return formatCurrency(v.currencyValue());
    case VarType::Decimal: return v.decimalValue().toString();
    case VarType::Date: return formatDate(v.dateValue().value);
    case VarType::String: return v.stringValue();
    case VarType::Object: return toString(defaultValue(v));
    case VarType::Error: return "Error " + std::to_string(v.errorValue().scode);
    default: mismatch();
    }
}

std::string toText(const Variant& v) {
    if (v.isNull()) return {};
    if (v.isObject()) return toText(defaultValue(v));
    return toString(v);
}

Variant changeType(const Variant& v, VarType type) {
    switch (type) {
    case VarType::Empty: case VarType::Null: case VarType::Variant: return v;
    case VarType::Boolean: return Variant(toBool(v));
    case VarType::Byte: return Variant(toByte(v));
    case VarType::Integer: return Variant(toInt16(v));
    case VarType::Long: return Variant(toInt32(v));
    case VarType::Single: return Variant(toSingle(v));
    case VarType::Double: return Variant(toDouble(v));
    case VarType::Currency: return Variant(toCurrency(v));
    case VarType::Decimal: return Variant(toDecimal(v));
    case VarType::Date: return Variant(Date{toDate(v)});
    case VarType::String: return Variant(toString(v));
    case VarType::Object:
        if (v.isObject()) return v;
        raise(err::ObjectRequired);
    default: mismatch();
    }
}

// ---- Text forms ----

std::string formatDouble(double v) {
    if (v == 0) return "0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", v);
    return buf;
}

std::string formatSingle(float v) {
    if (v == 0) return "0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.7G", double(v));
    return buf;
}

std::string formatCurrency(Currency v) { return Decimal::fromCurrency(v).toString(); }

std::string boolText(bool v) { return v ? "True" : "False"; }

std::string formatDate(double oleDate) {
    double day = std::trunc(oleDate);
    long secs = std::lround(std::fabs(oleDate - day) * 86400.0);
    if (secs >= 86400) {   // rounds up to the next midnight, unless that is past the last day
        if (day >= std::trunc(kMaxDate)) {
            secs = 86399;
        } else {
            secs = 0;
            day += 1;
        }
    }
    const text::DateTime d = text::fromOleDate(day);
    char date[32], time[32];
    std::snprintf(date, sizeof date, "%d/%d/%d", d.month, d.day, d.year);
    const int h = int(secs / 3600), m = int(secs / 60 % 60), s = int(secs % 60);
    std::snprintf(time, sizeof time, "%d:%02d:%02d %s", h % 12 == 0 ? 12 : h % 12, m, s, h < 12 ? "AM" : "PM");
    if (day == 0) return time;
    if (secs == 0) return date;
    return std::string(date) + " " + time;
}

// ---- Parsing ----

std::optional<double> parseNumber(std::string_view text) {
    const auto t = scanNumber(text);
    if (!t) return std::nullopt;
    const double d = numberFromText(*t);
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

namespace {
struct Token {
    enum Kind { Number, Word, Separator } kind;
    std::string text;
    int value = 0;
};

int monthOfName(const std::string& w) {
    static const std::array<const char*, 12> names = {"january", "february", "march",     "april",   "may",      "june",
                                                      "july",    "august",   "september", "october", "november", "december"};
    for (std::size_t m = 0; m < names.size(); ++m) {
        const std::string full = names[m];
        if (w == full || (w.size() >= 3 && full.compare(0, w.size(), w) == 0)) return int(m) + 1;
    }
    return 0;
}

bool isWeekdayName(const std::string& w) {
    static const std::array<const char*, 7> names = {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};
    for (const char* n : names) {
        const std::string full = n;
        if (w == full || (w.size() >= 3 && full.compare(0, w.size(), w) == 0)) return true;
    }
    return false;
}

int currentYear() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm.tm_year + 1900;
}

int fullYear(const Token& t) {
    if (t.text.size() <= 2) return t.value < 30 ? 2000 + t.value : 1900 + t.value;
    return t.value;
}
}  // namespace

std::optional<double> parseDate(std::string_view s) {
    std::vector<Token> toks;
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (isDigit(c)) {
            std::size_t k = i;
            while (k < s.size() && isDigit(s[k])) ++k;
            if (k - i > 9) return std::nullopt;
            toks.push_back({Token::Number, std::string(s.substr(i, k - i)), std::atoi(std::string(s.substr(i, k - i)).c_str())});
            i = k;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            std::size_t k = i;
            std::string w;
            while (k < s.size() && std::isalpha(static_cast<unsigned char>(s[k]))) w += lower(s[k++]);
            toks.push_back({Token::Word, w, 0});
            i = k;
        } else if (isBlank(c)) {
            ++i;
        } else if (c == '/' || c == '-' || c == ',' || c == ':' || c == '.') {
            toks.push_back({Token::Separator, std::string(1, c), 0});
            ++i;
        } else {
            return std::nullopt;
        }
    }
    std::vector<Token> nums;
    int monthName = 0;
    bool haveTime = false;
    int hour = 0, minute = 0, second = 0;
    int ampm = 0;   // 1 AM, 2 PM
    auto sep = [&](std::size_t k, char ch) { return k < toks.size() && toks[k].kind == Token::Separator && toks[k].text[0] == ch; };
    auto num = [&](std::size_t k) { return k < toks.size() && toks[k].kind == Token::Number; };
    auto ampmAt = [&](std::size_t k) -> int {
        if (k < toks.size() && toks[k].kind == Token::Word) {
            if (toks[k].text == "am" || toks[k].text == "a") return 1;
            if (toks[k].text == "pm" || toks[k].text == "p") return 2;
        }
        return 0;
    };
    for (std::size_t k = 0; k < toks.size(); ++k) {
        const Token& t = toks[k];
        if (t.kind == Token::Number && (sep(k + 1, ':') || ampmAt(k + 1))) {
            if (haveTime) return std::nullopt;
            haveTime = true;
            hour = t.value;
            if (sep(k + 1, ':')) {
                if (!num(k + 2)) return std::nullopt;
                minute = toks[k + 2].value;
                k += 2;
                if (sep(k + 1, ':')) {
                    if (!num(k + 2)) return std::nullopt;
                    second = toks[k + 2].value;
                    k += 2;
                    if (sep(k + 1, '.') && num(k + 2)) k += 2;   // fractions of a second are dropped
                }
            }
            if (const int a = ampmAt(k + 1)) {
                ampm = a;
                ++k;
            }
            continue;
        }
        if (t.kind == Token::Number) {
            nums.push_back(t);
            if (nums.size() > 3) return std::nullopt;
        } else if (t.kind == Token::Word) {
            if (const int m = monthOfName(t.text)) {
                if (monthName) return std::nullopt;
                monthName = m;
            } else if (!isWeekdayName(t.text)) {
                return std::nullopt;
            }
        } else if (t.text[0] == ':' || t.text[0] == '.') {
            return std::nullopt;
        }
    }
    if (haveTime) {
        if (ampm) {
            if (hour < 1 || hour > 12) return std::nullopt;
            hour = hour % 12 + (ampm == 2 ? 12 : 0);
        }
        if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
    }
    text::DateTime dt;   // 1899-12-30 when only a time is given
    if (monthName) {
        dt.month = monthName;
        if (nums.size() == 2) {
            const bool yearFirst = nums[0].value > 31 || nums[0].text.size() > 2;
            dt.day = yearFirst ? nums[1].value : nums[0].value;
            dt.year = fullYear(yearFirst ? nums[0] : nums[1]);
        } else if (nums.size() == 1) {
            if (nums[0].value <= 31 && nums[0].text.size() <= 2) {
                dt.day = nums[0].value;
                dt.year = currentYear();
            } else {
                dt.day = 1;
                dt.year = fullYear(nums[0]);
            }
        } else {
            return std::nullopt;
        }
    } else if (nums.size() == 3) {
        if (nums[0].value > 31 || nums[0].text.size() > 2) {
            dt.year = fullYear(nums[0]);
            dt.month = nums[1].value;
            dt.day = nums[2].value;
        } else {
            dt.month = nums[0].value;
            dt.day = nums[1].value;
            dt.year = fullYear(nums[2]);
            if (dt.month > 12 && dt.day <= 12) std::swap(dt.month, dt.day);
        }
    } else if (nums.size() == 2) {
        if (nums[1].value > 31 || nums[1].text.size() > 2) {
            dt.month = nums[0].value;
            dt.day = 1;
            dt.year = fullYear(nums[1]);
        } else {
            dt.month = nums[0].value;
            dt.day = nums[1].value;
            dt.year = currentYear();
            if (dt.month > 12 && dt.day <= 12) std::swap(dt.month, dt.day);
        }
    } else if (!nums.empty() || !haveTime) {
        return std::nullopt;
    }
    if (dt.year < 100 || dt.year > 9999 || !text::isValidDate(dt.year, dt.month, dt.day)) return std::nullopt;
    dt.hour = hour;
    dt.minute = minute;
    dt.second = second;
    return text::toOleDate(dt);
}

bool isNumeric(const Variant& v0) {
    const Variant v = v0.isObject() && v0.object() ? defaultValue(v0) : v0;
    switch (v.type()) {
    case VarType::Empty: case VarType::Boolean: return true;
    case VarType::String: return parseNumber(v.stringValue()).has_value();
    case VarType::Date: return false;
    default: return v.hasNumericType();
    }
}

bool isDate(const Variant& v0) {
    const Variant v = v0.isObject() && v0.object() ? defaultValue(v0) : v0;
    if (v.type() == VarType::Date) return true;
    if (v.isString()) return parseDate(v.stringValue()).has_value();
    return false;
}

std::string typeName(const Variant& v) {
    switch (v.type()) {
    case VarType::Empty: return "Empty";
    case VarType::Null: return "Null";
    case VarType::Integer: return "Integer";
    case VarType::Long: return "Long";
    case VarType::Single: return "Single";
    case VarType::Double: return "Double";
    case VarType::Currency: return "Currency";
    case VarType::Date: return "Date";
    case VarType::String: return "String";
    case VarType::Object: return v.object() ? v.object()->className() : "Nothing";
    case VarType::Error: return "Error";
    case VarType::Boolean: return "Boolean";
    case VarType::Decimal: return "Decimal";
    case VarType::Byte: return "Byte";
    case VarType::Array: return v.arrayValue().elementType() == VarType::Byte ? "Byte()" : "Variant()";
    default: return "Unknown";
    }
}

// ---- Comparison ----

int compareStrings(std::string_view a, std::string_view b, CompareMode mode) {
    // The lower case of every 1252 byte, taken once: Text comparisons run inside sorts and filters.
    static const std::array<unsigned char, 256> kLower = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c) t[std::size_t(c)] = static_cast<unsigned char>(text::toLower(std::string(1, char(c)))[0]);
        return t;
    }();
    const bool fold = mode == CompareMode::Text;
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (fold) {
            x = kLower[x];
            y = kLower[y];
        }
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

namespace {
bool numberLike(const Variant& v) {
    return v.hasNumericType() || v.type() == VarType::Boolean || v.type() == VarType::Date;
}
bool integralLike(const Variant& v) {
    switch (v.type()) {
    case VarType::Byte: case VarType::Integer: case VarType::Long: case VarType::Boolean: case VarType::Currency:
        return true;
    default:
        return false;
    }
}
std::int64_t scaledInteger(const Variant& v) {
    if (v.type() == VarType::Currency) return v.currencyValue().scaled;
    return integral(v, INT32_MIN, INT32_MAX) * Currency::kScale;
}
}  // namespace

std::optional<int> compare(const Variant& a0, const Variant& b0, CompareMode mode) {
    const Variant a = reduce(a0), b = reduce(b0);
    if (a.isArray() || b.isArray() || a.type() == VarType::Error || b.type() == VarType::Error) mismatch();
    if (a.isNull() || b.isNull()) return std::nullopt;
    if (a.isEmpty() && b.isEmpty()) return 0;
    if (a.isString() && b.isString()) return compareStrings(a.stringValue(), b.stringValue(), mode);
    if (a.isEmpty() && b.isString()) return compareStrings("", b.stringValue(), mode);
    if (b.isEmpty() && a.isString()) return compareStrings(a.stringValue(), "", mode);
    if (a.isString()) return 1;    // a string is greater than any number
    if (b.isString()) return -1;
    // Both numbers (Empty as 0).
    const Variant x = a.isEmpty() ? Variant(std::int16_t(0)) : a;
    const Variant y = b.isEmpty() ? Variant(std::int16_t(0)) : b;
    if (!numberLike(x) || !numberLike(y)) mismatch();
    if (x.type() == VarType::Decimal || y.type() == VarType::Decimal) {
        try {
            const auto c = toDecimal(x) <=> toDecimal(y);
            return c < 0 ? -1 : c > 0 ? 1 : 0;
        } catch (const Error&) {
            // beyond the Decimal range: compare as doubles
        }
    }
    if (integralLike(x) && integralLike(y)) {
        const std::int64_t p = scaledInteger(x), q = scaledInteger(y);
        return p < q ? -1 : p > q ? 1 : 0;
    }
    const double p = toDouble(x), q = toDouble(y);
    return p < q ? -1 : p > q ? 1 : 0;
}

}  // namespace vt::automation
