#include "Detail.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace vt::text {
namespace {

using detail::Decimal;

constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

char lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

bool startsNoCase(std::string_view s, size_t i, std::string_view word) {
    if (s.size() - i < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k)
        if (lower(s[i + k]) != lower(word[k])) return false;
    return true;
}

std::string padded(long long n, int width) {
    std::string s = std::to_string(n);
    if (int(s.size()) < width) s.insert(0, size_t(width) - s.size(), '0');
    return s;
}

// Reads a quoted run or a backslash escape at s[i] into `out`; false when s[i] starts neither.
bool readQuoted(std::string_view s, size_t& i, std::string& out) {
    if (s[i] == '"') {
        const size_t end = s.find('"', i + 1);
        const size_t stop = end == std::string_view::npos ? s.size() : end;
        out.append(s.substr(i + 1, stop - i - 1));
        i = end == std::string_view::npos ? s.size() : end + 1;
        return true;
    }
    if (s[i] == '\\') {
        if (i + 1 < s.size()) out += s[i + 1];
        i += 2;
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Dates

enum class Tok {
    Literal, Day, Day2, DayAbbr, DayName, Month, Month2, MonthAbbr, MonthName, Minute, Minute2,
    DayOfYear, Year2, Year4, Hour, Hour2, Second, Second2, Weekday, Week, Quarter,
    AmPm,        // AMPM: the locale's designators
    AmPmLong,    // AM/PM, am/pm: spelled as written
    AmPmShort,   // A/P, a/p
};

struct DateTok {
    Tok kind;
    std::string text;
};

// How many of `letter` start at s[i], counted up to `most` only: a token takes at most four, and
// counting a whole long run at each of its tokens would cost the square of its length.
size_t runLength(std::string_view s, size_t i, char letter, size_t most = 4) {
    size_t n = 0;
    while (n < most && i + n < s.size() && lower(s[i + n]) == letter) ++n;
    return n;
}

std::vector<DateTok> tokenizeDate(std::string_view pic) {
    std::vector<DateTok> toks;
    auto literal = [&](std::string text) {
        if (!toks.empty() && toks.back().kind == Tok::Literal) toks.back().text += text;
        else toks.push_back({Tok::Literal, std::move(text)});
    };
    size_t i = 0;
    while (i < pic.size()) {
        std::string quoted;
        if (readQuoted(pic, i, quoted)) {
            literal(quoted);
            continue;
        }
        if (startsNoCase(pic, i, "AM/PM")) {
            toks.push_back({Tok::AmPmLong, std::string(pic.substr(i, 5))});
            i += 5;
            continue;
        }
        if (startsNoCase(pic, i, "AMPM")) {
            toks.push_back({Tok::AmPm, {}});
            i += 4;
            continue;
        }
        if (startsNoCase(pic, i, "A/P")) {
            toks.push_back({Tok::AmPmShort, std::string(pic.substr(i, 3))});
            i += 3;
            continue;
        }
        const char c = lower(pic[i]);
        const size_t n = runLength(pic, i, c);
        Tok kind;
        size_t used;
        switch (c) {
        case 'd':
            used = std::min<size_t>(n, 4);
            kind = used == 1 ? Tok::Day : used == 2 ? Tok::Day2 : used == 3 ? Tok::DayAbbr : Tok::DayName;
            break;
        case 'm':
            used = std::min<size_t>(n, 4);
            kind = used == 1 ? Tok::Month : used == 2 ? Tok::Month2 : used == 3 ? Tok::MonthAbbr : Tok::MonthName;
            break;
        case 'y':
            used = n >= 4 ? 4 : n >= 2 ? 2 : 1;
            kind = used == 4 ? Tok::Year4 : used == 2 ? Tok::Year2 : Tok::DayOfYear;
            break;
        case 'h':
            used = std::min<size_t>(n, 2);
            kind = used == 2 ? Tok::Hour2 : Tok::Hour;
            break;
        case 'n':
            used = std::min<size_t>(n, 2);
            kind = used == 2 ? Tok::Minute2 : Tok::Minute;
            break;
        case 's':
            used = std::min<size_t>(n, 2);
            kind = used == 2 ? Tok::Second2 : Tok::Second;
            break;
        case 'w':
            used = std::min<size_t>(n, 2);
            kind = used == 2 ? Tok::Week : Tok::Weekday;
            break;
        case 'q':
            used = 1;
            kind = Tok::Quarter;
            break;
        default:
            literal(std::string(1, pic[i]));
            ++i;
            continue;
        }
        toks.push_back({kind, {}});
        i += used;
    }

    // m and mm are minutes right after an hour or right before seconds, literals aside.
    for (size_t k = 0; k < toks.size(); ++k) {
        if (toks[k].kind != Tok::Month && toks[k].kind != Tok::Month2) continue;
        auto neighbour = [&](long step) -> Tok {
            for (long j = long(k) + step; j >= 0 && j < long(toks.size()); j += step)
                if (toks[size_t(j)].kind != Tok::Literal) return toks[size_t(j)].kind;
            return Tok::Literal;
        };
        const Tok before = neighbour(-1), after = neighbour(+1);
        if (before == Tok::Hour || before == Tok::Hour2 || after == Tok::Second || after == Tok::Second2)
            toks[k].kind = toks[k].kind == Tok::Month ? Tok::Minute : Tok::Minute2;
    }
    return toks;
}

std::string generalDate(const DateTime& dt) {
    const bool noDate = dt.year == 1899 && dt.month == 12 && dt.day == 30;
    const bool noTime = dt.hour == 0 && dt.minute == 0 && dt.second == 0;
    if (noDate) return formatDate(dt, "h:mm:ss AMPM");
    if (noTime) return formatDate(dt, "m/d/yyyy");
    return formatDate(dt, "m/d/yyyy h:mm:ss AMPM");
}

// ---------------------------------------------------------------------------------------------
// Numbers

struct Item {
    enum Kind { Literal, IntPlace, FracPlace, Point, Exponent } kind;
    std::string text;   // literal text; for Exponent the letter, sign and digit places
};

struct Section {
    std::vector<Item> items;
    int intPlaces = 0;
    int fracPlaces = 0;
    int firstIntZero = -1;   // index of the leftmost '0' among the integer places
    bool grouping = false;
    int scale = 0;           // thousands divided out by commas that end the integer places
    int percent = 0;
    bool scientific = false;
};

std::vector<std::string_view> splitSections(std::string_view pic) {
    std::vector<std::string_view> out;
    size_t start = 0;
    bool inQuote = false;
    for (size_t i = 0; i < pic.size(); ++i) {
        if (pic[i] == '"') inQuote = !inQuote;
        else if (!inQuote && pic[i] == '\\') ++i;
        else if (!inQuote && pic[i] == ';') {
            out.push_back(pic.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(pic.substr(start));
    return out;
}

Section parseSection(std::string_view pic) {
    Section s;
    enum { Int, Frac, AfterExp } state = Int;
    std::vector<int> commas;   // integer places seen before each comma
    auto literal = [&](std::string text) {
        if (!s.items.empty() && s.items.back().kind == Item::Literal) s.items.back().text += text;
        else s.items.push_back({Item::Literal, std::move(text)});
    };
    size_t i = 0;
    while (i < pic.size()) {
        std::string quoted;
        if (readQuoted(pic, i, quoted)) {
            literal(quoted);
            continue;
        }
        const char c = pic[i];
        if ((c == '0' || c == '#') && state != AfterExp) {
            if (state == Int) {
                if (c == '0' && s.firstIntZero < 0) s.firstIntZero = s.intPlaces;
                ++s.intPlaces;
                s.items.push_back({Item::IntPlace, std::string(1, c)});
            } else {
                ++s.fracPlaces;
                s.items.push_back({Item::FracPlace, std::string(1, c)});
            }
        } else if (c == '.' && state == Int) {
            state = Frac;
            s.items.push_back({Item::Point, "."});
        } else if (c == ',' && state == Int) {
            commas.push_back(s.intPlaces);
        } else if ((c == 'E' || c == 'e') && state != AfterExp && i + 2 < pic.size() &&
                   (pic[i + 1] == '+' || pic[i + 1] == '-') && (pic[i + 2] == '0' || pic[i + 2] == '#')) {
            size_t j = i + 2;
            while (j < pic.size() && (pic[j] == '0' || pic[j] == '#')) ++j;
            s.items.push_back({Item::Exponent, std::string(pic.substr(i, j - i))});
            s.scientific = true;
            state = AfterExp;
            i = j;
            continue;
        } else {
            if (c == '%') ++s.percent;
            literal(std::string(1, c));
        }
        ++i;
    }
    for (int at : commas) {
        if (at < s.intPlaces) s.grouping = true;
        else ++s.scale;
    }
    return s;
}

std::string generalNumber(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v < 0 ? "-Infinity" : "Infinity";
    Decimal d = detail::toDecimal(v);
    detail::roundAt(d, 15 - d.point, detail::Half::AwayFromZero);
    if (d.digits.empty()) return "0";
    std::string out = v < 0 ? "-" : "";
    const int exp10 = d.point - 1;
    if (exp10 >= 15 || exp10 < -4) {
        out += d.digits[0];
        if (d.digits.size() > 1) out += "." + d.digits.substr(1);
        out += exp10 < 0 ? "E-" : "E+";
        out += padded(std::abs(exp10), 2);
    } else if (d.point <= 0) {
        out += "0." + std::string(size_t(-d.point), '0') + d.digits;
    } else {
        std::string digits = d.digits;
        if (int(digits.size()) < d.point) digits.append(size_t(d.point) - digits.size(), '0');
        out += digits.substr(0, size_t(d.point));
        if (int(digits.size()) > d.point) out += "." + digits.substr(size_t(d.point));
    }
    return out;
}

// Formats |v| by one section; `zero` tells whether every digit shown is zero.
std::string renderSection(const Section& s, double v, bool& zero) {
    Decimal d = detail::toDecimal(v);
    if (!d.digits.empty()) d.point += 2 * s.percent - 3 * s.scale;
    int exponent = 0;
    if (s.scientific && !d.digits.empty()) {
        const int lead = std::max(1, s.intPlaces);
        exponent = d.point - lead;
        d.point = lead;
        detail::roundAt(d, s.fracPlaces, detail::Half::AwayFromZero);
        if (d.point > lead) {   // 9.99 became 10.0
            exponent += d.point - lead;
            d.point = lead;
        }
    } else {
        detail::roundAt(d, s.fracPlaces, detail::Half::AwayFromZero);
    }
    zero = d.digits.empty();

    auto digitAt = [&](int pos) {   // pos-th digit after the leading "0."
        return pos >= 0 && pos < int(d.digits.size()) ? d.digits[size_t(pos)] : '0';
    };
    std::string intDigits;
    for (int p = 0; p < d.point; ++p) intDigits += digitAt(p);
    const int minDigits = s.firstIntZero < 0 ? 0 : s.intPlaces - s.firstIntZero;
    if (int(intDigits.size()) < minDigits) intDigits.insert(0, size_t(minDigits) - intDigits.size(), '0');
    std::string fracDigits;
    for (int j = 0; j < s.fracPlaces; ++j) fracDigits += digitAt(d.point + j);

    // Trailing '#' decimal places are left out while their digit is zero.
    std::vector<char> fracPlaces;
    for (const Item& it : s.items)
        if (it.kind == Item::FracPlace) fracPlaces.push_back(it.text[0]);
    int fracShown = s.fracPlaces;
    while (fracShown > 0 && fracPlaces[size_t(fracShown) - 1] == '#' && fracDigits[size_t(fracShown) - 1] == '0')
        --fracShown;

    std::string out;
    const int len = int(intDigits.size());
    auto emitDigit = [&](int k) {   // k counts from the units digit leftward
        out += intDigits[size_t(len - 1 - k)];
        if (s.grouping && k > 0 && k % 3 == 0) out += ',';
    };
    int intIndex = 0, fracIndex = 0;
    for (const Item& it : s.items) {
        switch (it.kind) {
        case Item::Literal:
            out += it.text;
            break;
        case Item::IntPlace: {
            const int k = s.intPlaces - 1 - intIndex;
            if (intIndex == 0)   // digits beyond the places all go to the leftmost one
                for (int extra = len - 1; extra > k; --extra) emitDigit(extra);
            if (k < len) emitDigit(k);
            ++intIndex;
            break;
        }
        case Item::Point:
            if (s.intPlaces == 0)
                for (int k = len - 1; k >= 0; --k) emitDigit(k);
            out += '.';
            break;
        case Item::FracPlace:
            if (fracIndex < fracShown) out += fracDigits[size_t(fracIndex)];
            ++fracIndex;
            break;
        case Item::Exponent: {
            out += it.text[0];
            if (exponent < 0) out += '-';
            else if (it.text[1] == '+') out += '+';
            int zeros = 0;
            for (char c : it.text.substr(2)) zeros += c == '0';
            out += padded(std::abs(exponent), zeros);
            break;
        }
        }
    }
    return out;
}

}  // namespace

std::string formatDate(const DateTime& dt, std::string_view picture) {
    if (picture.empty()) return generalDate(dt);
    const std::vector<DateTok> toks = tokenizeDate(picture);
    bool twelveHour = false;
    for (const DateTok& t : toks)
        twelveHour |= t.kind == Tok::AmPm || t.kind == Tok::AmPmLong || t.kind == Tok::AmPmShort;
    const bool pm = dt.hour >= 12;
    int hour = dt.hour;
    if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
    const int wd = weekday(dt);
    const int dayOfYear = int(detail::daysFromCivil(dt.year, dt.month, dt.day) - detail::daysFromCivil(dt.year, 1, 1)) + 1;
    const int firstWeekday = weekday(DateTime{dt.year, 1, 1});
    const int monthIndex = (dt.month >= 1 && dt.month <= 12) ? dt.month - 1 : 0;

    std::string out;
    for (const DateTok& t : toks) {
        switch (t.kind) {
        case Tok::Literal: out += t.text; break;
        case Tok::Day: out += std::to_string(dt.day); break;
        case Tok::Day2: out += padded(dt.day, 2); break;
        case Tok::DayAbbr: out += std::string(kDayNames[wd - 1]).substr(0, 3); break;
        case Tok::DayName: out += kDayNames[wd - 1]; break;
        case Tok::Month: out += std::to_string(dt.month); break;
        case Tok::Month2: out += padded(dt.month, 2); break;
        case Tok::MonthAbbr: out += std::string(kMonthNames[monthIndex]).substr(0, 3); break;
        case Tok::MonthName: out += kMonthNames[monthIndex]; break;
        case Tok::Minute: out += std::to_string(dt.minute); break;
        case Tok::Minute2: out += padded(dt.minute, 2); break;
        case Tok::DayOfYear: out += std::to_string(dayOfYear); break;
        case Tok::Year2: out += padded(dt.year % 100, 2); break;
        case Tok::Year4: out += padded(dt.year, 4); break;
        case Tok::Hour: out += std::to_string(hour); break;
        case Tok::Hour2: out += padded(hour, 2); break;
        case Tok::Second: out += std::to_string(dt.second); break;
        case Tok::Second2: out += padded(dt.second, 2); break;
        case Tok::Weekday: out += std::to_string(wd); break;
        case Tok::Week: out += std::to_string((dayOfYear - 1 + firstWeekday - 1) / 7 + 1); break;
        case Tok::Quarter: out += std::to_string((dt.month - 1) / 3 + 1); break;
        case Tok::AmPm: out += pm ? "PM" : "AM"; break;
        case Tok::AmPmLong: out += pm ? t.text.substr(3, 2) : t.text.substr(0, 2); break;
        case Tok::AmPmShort: out += pm ? t.text[2] : t.text[0]; break;
        }
    }
    return out;
}

std::string formatDate(double oleDate, std::string_view picture) {
    // A date shows to the second, rounded, as the classic runtime shows it.
    return formatDate(detail::fromOleDate(oleDate, 1000), picture);
}

std::string formatNumber(double value, std::string_view picture) {
    if (!std::isfinite(value)) return generalNumber(value);
    const std::vector<std::string_view> sections = splitSections(picture);
    std::string_view chosen = sections[0];
    bool minus = false;
    if (value < 0) {
        if (sections.size() >= 2 && !sections[1].empty()) chosen = sections[1];
        else minus = true;
    } else if (value == 0 && sections.size() >= 3 && !sections[2].empty()) {
        chosen = sections[2];
    }
    if (chosen.empty()) return generalNumber(value);
    bool zero = false;
    std::string out = renderSection(parseSection(chosen), std::fabs(value), zero);
    // A negative that rounds to nothing shows no sign: "-0" would read as a value of its own.
    if (minus && !zero) out.insert(0, 1, '-');
    return out;
}

}  // namespace vt::text
