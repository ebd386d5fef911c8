#include "Detail.h"

#include <cmath>

namespace vt::text {
namespace detail {

namespace {
// 0001-03-01 based day numbers (H. Hinnant's algorithm), shifted to the OLE epoch.
constexpr long long civilDays(long long y, long long m, long long d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}
constexpr long long kEpoch = civilDays(1899, 12, 30);
constexpr long long kFirstDay = civilDays(100, 1, 1) - kEpoch;     // -657434
constexpr long long kLastDay = civilDays(9999, 12, 31) - kEpoch;   // 2958465
constexpr long long kMsPerDay = 86400000;
}  // namespace

long long daysFromCivil(int y, int m, int d) { return civilDays(y, m, d) - kEpoch; }

void civilFromDays(long long days, int& y, int& m, int& d) {
    const long long z = days + kEpoch + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}

DateTime fromOleDate(double oleDate, int unitMs) {
    DateTime dt;
    if (!std::isfinite(oleDate) || oleDate <= double(kFirstDay - 1) || oleDate >= double(kLastDay + 1))
        return dt;
    const double whole = std::trunc(oleDate);
    long long days = static_cast<long long>(whole);
    // Binary fractions of a day are never exact; round to the unit so 0.5 + 1e-12 is noon.
    long long ms = std::llround(std::fabs(oleDate - whole) * double(kMsPerDay) / unitMs) * unitMs;
    if (ms >= kMsPerDay) {   // the next calendar day, also before the epoch
        ms -= kMsPerDay;
        ++days;
    }
    civilFromDays(days, dt.year, dt.month, dt.day);
    dt.hour = int(ms / 3600000);
    dt.minute = int(ms / 60000 % 60);
    dt.second = int(ms / 1000 % 60);
    dt.millisecond = int(ms % 1000);
    return dt;
}

}  // namespace detail

bool isValidDate(int year, int month, int day) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

double toOleDate(const DateTime& dt) {
    const long long days = detail::daysFromCivil(dt.year, dt.month, dt.day);
    const double time =
        (dt.hour * 3600000.0 + dt.minute * 60000.0 + dt.second * 1000.0 + dt.millisecond) / 86400000.0;
    // Before the epoch the whole part counts back but the time still counts forward.
    return days >= 0 ? double(days) + time : double(days) - time;
}

DateTime fromOleDate(double oleDate) { return detail::fromOleDate(oleDate, 1); }

int weekday(const DateTime& dt) {
    // 1899-12-30 was a Saturday (7).
    const long long days = detail::daysFromCivil(dt.year, dt.month, dt.day);
    return int(((days + 6) % 7 + 7) % 7) + 1;
}

}  // namespace vt::text
