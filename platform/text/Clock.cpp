#include "Clock.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace vt {

text::DateTime SystemClock::now() const {
    const auto t = std::chrono::system_clock::now();
    const std::time_t secs = std::chrono::system_clock::to_time_t(t);
    std::tm local{};
    localtime_r(&secs, &local);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count() % 1000;
    text::DateTime dt;
    dt.year = local.tm_year + 1900;
    dt.month = local.tm_mon + 1;
    dt.day = local.tm_mday;
    dt.hour = local.tm_hour;
    dt.minute = local.tm_min;
    dt.second = std::min(local.tm_sec, 59);   // no leap second in a DateTime
    dt.millisecond = int(ms < 0 ? ms + 1000 : ms);
    return dt;
}

}  // namespace vt
