// Dates and times: Date, Time, Now, Timer (from the host's clock), DateAdd, DateDiff, DatePart,
// DateSerial, DateValue, TimeSerial, TimeValue, Day, Month, Year, Hour, Minute, Second, Weekday,
// WeekdayName, MonthName. Dates are OLE dates read to the nearest second, as the runtime shows
// them; a day before 12/30/1899 still counts its time forward from midnight (-1.25 is 12/29/1899
// 6:00 AM), so arithmetic across it goes through a linear count of seconds.

#include "Builtins.h"
#include "Engine.h"

#include "platform/text/Text.h"

#include <array>
#include <cmath>
#include <optional>

namespace vt::vbscript {

namespace {
using namespace automation;

constexpr long long kFirstDay = -657434;   // 1/1/100
constexpr long long kLastDay = 2958465;    // 12/31/9999
constexpr long long kDaySeconds = 86400;

[[noreturn]] void invalidCall() { raise(automation::err::InvalidCall); }

long long floorDiv(long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
long long floorMod(long long a, long long b) { return a - floorDiv(a, b) * b; }

// A calendar day (0 = 12/30/1899) and the seconds into it.
struct Moment {
    long long day = 0;
    long long secs = 0;
    long long linear() const { return day * kDaySeconds + secs; }
};

Moment momentOf(double ole) {
    const double whole = std::trunc(ole);
    Moment m{static_cast<long long>(whole), std::llround(std::fabs(ole - whole) * double(kDaySeconds))};
    if (m.secs >= kDaySeconds) {   // rounds up to the next calendar day
        m.secs -= kDaySeconds;
        ++m.day;
    }
    return m;
}

Moment fromLinear(long long s) { return Moment{floorDiv(s, kDaySeconds), floorMod(s, kDaySeconds)}; }

double oleOf(const Moment& m) {
    const double t = double(m.secs) / double(kDaySeconds);
    return m.day >= 0 ? double(m.day) + t : double(m.day) - t;
}

// Outside 1/1/100 .. 12/31/9999: error 5.
Variant dateResult(const Moment& m) {
    if (m.day < kFirstDay || m.day > kLastDay) invalidCall();
    return Variant(automation::Date{oleOf(m)});
}

long long dayOf(long long y, long long m, long long d) {
    return static_cast<long long>(text::toOleDate(text::DateTime{int(y), int(m), int(d)}));
}

text::DateTime civil(long long day) { return text::fromOleDate(double(day)); }

int daysInMonth(long long y, int m) {
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return days[std::size_t(m - 1)] + (m == 2 && leap ? 1 : 0);
}

// 1 = Sunday ... 7 = Saturday.
int weekdayOf(long long day) { return int(floorMod(day + 6, 7)) + 1; }
// The weekday counted from `firstDay` (1 = that day).
int weekdayFrom(long long day, int firstDay) { return (weekdayOf(day) - firstDay + 7) % 7 + 1; }
long long weekStart(long long day, int firstDay) { return day - (weekdayFrom(day, firstDay) - 1); }

// ---- Arguments ----

// An argument that must not be Null (94), as a rounded Long.
long long whole(ArgSpan a, std::size_t i) {
    const Variant v = arg::value(a, i);
    if (v.isNull()) raise(automation::err::InvalidUseOfNull);
    return toInt32(v);
}

// A date argument; nothing for Null.
std::optional<Moment> dateArg(ArgSpan a, std::size_t i) {
    const Variant v = arg::value(a, i);
    if (v.isNull()) return std::nullopt;
    return momentOf(toDate(v));
}

// firstdayofweek: 0 (the system's, Sunday for en-US) or 1..7; default Sunday.
int firstDayArg(ArgSpan a, std::size_t i) {
    if (!arg::has(a, i)) return 1;
    const long long d = whole(a, i);
    if (d < 0 || d > 7) invalidCall();
    return d == 0 ? 1 : int(d);
}

// firstweekofyear: 0 (the system's, the week of January 1 for en-US), 1 vbFirstJan1,
// 2 vbFirstFourDays, 3 vbFirstFullWeek; default 1.
int firstWeekArg(ArgSpan a, std::size_t i) {
    if (!arg::has(a, i)) return 1;
    const long long w = whole(a, i);
    if (w < 0 || w > 3) invalidCall();
    return w == 0 ? 1 : int(w);
}

enum class Unit { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Unit intervalArg(ArgSpan a, std::size_t i) {
    const Variant v = arg::value(a, i);
    if (v.isNull()) raise(automation::err::InvalidUseOfNull);
    const std::string s = text::toLower(toString(v));
    if (s == "yyyy") return Unit::Year;
    if (s == "q") return Unit::Quarter;
    if (s == "m") return Unit::Month;
    if (s == "y") return Unit::DayOfYear;
    if (s == "d") return Unit::Day;
    if (s == "w") return Unit::Weekday;
    if (s == "ww") return Unit::Week;
    if (s == "h") return Unit::Hour;
    if (s == "n") return Unit::Minute;
    if (s == "s") return Unit::Second;
    invalidCall();
}

// ---- The clock ----

Moment nowMoment(Engine& e) {
    const text::DateTime t = e.clock().now();
    return Moment{dayOf(t.year, t.month, t.day), t.hour * 3600LL + t.minute * 60 + t.second};
}

Variant dateOf(Engine& e, ArgSpan) { return Variant(automation::Date{double(nowMoment(e).day)}); }

Variant timeOf(Engine& e, ArgSpan) { return Variant(automation::Date{oleOf(Moment{0, nowMoment(e).secs})}); }

Variant nowOf(Engine& e, ArgSpan) { return Variant(automation::Date{oleOf(nowMoment(e))}); }

Variant timerOf(Engine& e, ArgSpan) {
    const text::DateTime t = e.clock().now();
    return Variant(float(t.hour * 3600 + t.minute * 60 + t.second + t.millisecond / 1000.0));
}

// ---- Parts ----

template <class F>
Variant part(ArgSpan a, F get) {
    const std::optional<Moment> m = dateArg(a, 0);
    if (!m) return Variant::null();
    return Variant(std::int16_t(get(*m)));
}

Variant dayOfDate(Engine&, ArgSpan a) { return part(a, [](const Moment& m) { return civil(m.day).day; }); }
Variant monthOf(Engine&, ArgSpan a) { return part(a, [](const Moment& m) { return civil(m.day).month; }); }
Variant yearOf(Engine&, ArgSpan a) { return part(a, [](const Moment& m) { return civil(m.day).year; }); }
Variant hourOf(Engine&, ArgSpan a) { return part(a, [](const Moment& m) { return int(m.secs / 3600); }); }
Variant minuteOf(Engine&, ArgSpan a) { return part(a, [](const Moment& m) { return int(m.secs / 60 % 60); }); }
Variant secondOf(Engine&, ArgSpan a) { return part(a, [](const Moment& m) { return int(m.secs % 60); }); }

Variant weekdayFn(Engine&, ArgSpan a) {
    const int first = firstDayArg(a, 1);
    return part(a, [first](const Moment& m) { return weekdayFrom(m.day, first); });
}

// The first day of week 1 of `year`.
long long weekOne(long long year, int firstDay, int firstWeek) {
    const int anchor = firstWeek == 2 ? 4 : firstWeek == 3 ? 7 : 1;
    return weekStart(dayOf(year, 1, anchor), firstDay);
}

// Days before week 1 belong to the last week of the year before; with vbFirstFourDays the last
// days of December may already be week 1 of the next year.
int weekOfYear(long long day, int firstDay, int firstWeek) {
    const long long year = civil(day).year;
    long long start = weekOne(year, firstDay, firstWeek);
    if (day < start) start = weekOne(year - 1, firstDay, firstWeek);
    else if (firstWeek != 1 && day >= weekOne(year + 1, firstDay, firstWeek)) start = weekOne(year + 1, firstDay, firstWeek);
    return int((day - start) / 7 + 1);
}

Variant datePart(Engine&, ArgSpan a) {
    const Unit u = intervalArg(a, 0);
    const int firstDay = firstDayArg(a, 2);
    const int firstWeek = firstWeekArg(a, 3);
    const std::optional<Moment> m = dateArg(a, 1);
    if (!m) return Variant::null();
    const text::DateTime c = civil(m->day);
    int r = 0;
    switch (u) {
    case Unit::Year: r = c.year; break;
    case Unit::Quarter: r = (c.month - 1) / 3 + 1; break;
    case Unit::Month: r = c.month; break;
    case Unit::DayOfYear: r = int(m->day - dayOf(c.year, 1, 1)) + 1; break;
    case Unit::Day: r = c.day; break;
    case Unit::Weekday: r = weekdayFrom(m->day, firstDay); break;
    case Unit::Week: r = weekOfYear(m->day, firstDay, firstWeek); break;
    case Unit::Hour: r = int(m->secs / 3600); break;
    case Unit::Minute: r = int(m->secs / 60 % 60); break;
    case Unit::Second: r = int(m->secs % 60); break;
    }
    return Variant(std::int16_t(r));
}

// ---- Arithmetic ----

// Adds months, keeping the day of the month or, where the month is shorter, its last day.
Moment addMonths(const Moment& m, long long months) {
    const text::DateTime c = civil(m.day);
    const long long total = c.year * 12LL + (c.month - 1) + months;
    const long long year = floorDiv(total, 12);
    const int month = int(floorMod(total, 12)) + 1;
    if (year < 100 || year > 9999) invalidCall();
    return Moment{dayOf(year, month, std::min(c.day, daysInMonth(year, month))), m.secs};
}

Variant dateAdd(Engine&, ArgSpan a) {
    const Unit u = intervalArg(a, 0);
    const long long n = whole(a, 1);
    const std::optional<Moment> d = dateArg(a, 2);
    if (!d) return Variant::null();
    Moment m = *d;
    switch (u) {
    case Unit::Year: m = addMonths(m, n * 12); break;
    case Unit::Quarter: m = addMonths(m, n * 3); break;
    case Unit::Month: m = addMonths(m, n); break;
    case Unit::DayOfYear: case Unit::Day: case Unit::Weekday: m.day += n; break;
    case Unit::Week: m.day += n * 7; break;
    case Unit::Hour: m = fromLinear(m.linear() + n * 3600); break;
    case Unit::Minute: m = fromLinear(m.linear() + n * 60); break;
    case Unit::Second: m = fromLinear(m.linear() + n); break;
    }
    return dateResult(m);
}

// Counts boundaries crossed: "d" midnights, "ww" first days of the week (date2 counts, date1
// does not), "w" whole weeks of seven days, "m" month ends, and so on.
Variant dateDiff(Engine&, ArgSpan a) {
    const Unit u = intervalArg(a, 0);
    const int firstDay = firstDayArg(a, 3);
    firstWeekArg(a, 4);
    const std::optional<Moment> d1 = dateArg(a, 1);
    const std::optional<Moment> d2 = dateArg(a, 2);
    if (!d1 || !d2) return Variant::null();
    const text::DateTime c1 = civil(d1->day), c2 = civil(d2->day);
    long long r = 0;
    switch (u) {
    case Unit::Year: r = c2.year - c1.year; break;
    case Unit::Quarter: r = (c2.year * 4LL + (c2.month - 1) / 3) - (c1.year * 4LL + (c1.month - 1) / 3); break;
    case Unit::Month: r = (c2.year * 12LL + c2.month) - (c1.year * 12LL + c1.month); break;
    case Unit::DayOfYear: case Unit::Day: r = d2->day - d1->day; break;
    case Unit::Weekday: r = (d2->day - d1->day) / 7; break;
    case Unit::Week: r = (weekStart(d2->day, firstDay) - weekStart(d1->day, firstDay)) / 7; break;
    case Unit::Hour: r = floorDiv(d2->linear(), 3600) - floorDiv(d1->linear(), 3600); break;
    case Unit::Minute: r = floorDiv(d2->linear(), 60) - floorDiv(d1->linear(), 60); break;
    case Unit::Second: r = d2->linear() - d1->linear(); break;
    }
    if (r < INT32_MIN || r > INT32_MAX) raise(automation::err::Overflow);
    return Variant(std::int32_t(r));
}

// ---- Building dates ----

// Years 0-29 are 2000-2029, 30-99 are 1930-1999. Months and days beyond their range carry over
// (month 14 is February of the next year, day 0 the last day of the month before).
Variant dateSerial(Engine&, ArgSpan a) {
    long long year = whole(a, 0);
    const long long month = whole(a, 1);
    const long long day = whole(a, 2);
    if (year >= 0 && year <= 99) year += year < 30 ? 2000 : 1900;
    const long long m0 = month - 1;
    year += floorDiv(m0, 12);
    if (year < 0 || year > 20000) invalidCall();
    return dateResult(Moment{dayOf(year, floorMod(m0, 12) + 1, 1) + day - 1, 0});
}

// Hours, minutes and seconds beyond their range carry over into the next (or previous) day.
Variant timeSerial(Engine&, ArgSpan a) {
    const long long h = whole(a, 0), m = whole(a, 1), s = whole(a, 2);
    return dateResult(fromLinear(h * 3600 + m * 60 + s));
}

// DateValue reads a date or a text; a number is no date to it.
Variant dateValue(Engine&, ArgSpan a) {
    const Variant v = arg::value(a, 0);
    if (v.isNull()) raise(automation::err::InvalidUseOfNull);
    if (!v.isString() && !v.isEmpty() && v.type() != VarType::Date) raise(automation::err::TypeMismatch);
    return dateResult(Moment{momentOf(toDate(v)).day, 0});
}

Variant timeValue(Engine&, ArgSpan a) {
    const std::optional<Moment> m = dateArg(a, 0);
    if (!m) raise(automation::err::InvalidUseOfNull);
    return dateResult(Moment{0, m->secs});
}

// ---- Names ----

constexpr std::array<const char*, 12> kMonths = {"January", "February", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kDays = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

bool abbreviateArg(ArgSpan a, std::size_t i) {
    if (!arg::has(a, i)) return false;
    const Variant v = arg::value(a, i);
    if (v.isNull()) raise(automation::err::InvalidUseOfNull);
    return toBool(v);
}

std::string named(const char* name, bool abbreviate) {
    const std::string s = name;
    return abbreviate ? s.substr(0, 3) : s;
}

Variant monthName(Engine&, ArgSpan a) {
    const bool abbreviate = abbreviateArg(a, 1);
    const long long m = whole(a, 0);
    if (m < 1 || m > 12) invalidCall();
    return Variant(named(kMonths[std::size_t(m - 1)], abbreviate));
}

Variant weekdayName(Engine&, ArgSpan a) {
    const bool abbreviate = abbreviateArg(a, 1);
    const int first = firstDayArg(a, 2);
    const long long d = whole(a, 0);
    if (d < 1 || d > 7) invalidCall();
    return Variant(named(kDays[std::size_t((d - 1 + first - 1) % 7)], abbreviate));
}

}  // namespace

void addDateBuiltins(BuiltinTable& t) {
    t.add("Date", 0, 0, dateOf);
    t.add("Time", 0, 0, timeOf);
    t.add("Now", 0, 0, nowOf);
    t.add("Timer", 0, 0, timerOf);
    t.add("Day", 1, 1, dayOfDate);
    t.add("Month", 1, 1, monthOf);
    t.add("Year", 1, 1, yearOf);
    t.add("Hour", 1, 1, hourOf);
    t.add("Minute", 1, 1, minuteOf);
    t.add("Second", 1, 1, secondOf);
    t.add("Weekday", 1, 2, weekdayFn);
    t.add("DatePart", 2, 4, datePart);
    t.add("DateAdd", 3, 3, dateAdd);
    t.add("DateDiff", 3, 5, dateDiff);
    t.add("DateSerial", 3, 3, dateSerial);
    t.add("TimeSerial", 3, 3, timeSerial);
    t.add("DateValue", 1, 1, dateValue);
    t.add("TimeValue", 1, 1, timeValue);
    t.add("MonthName", 1, 2, monthName);
    t.add("WeekdayName", 1, 3, weekdayName);
}

}  // namespace vt::vbscript
