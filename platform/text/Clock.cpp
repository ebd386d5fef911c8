#include "Clock.h"

#include <algorithm>
#include <chrono>

namespace vt {

text::DateTime localDateTime(std::time_t seconds, int millisecond) {
    std::tm local{};
    localtime_r(&seconds, &local);
    text::DateTime dt;
    dt.year = local.tm_year + 1900;
    dt.month = local.tm_mon + 1;
    dt.day = local.tm_mday;
    dt.hour = local.tm_hour;
    dt.minute = local.tm_min;
    dt.second = std::min(local.tm_sec, 59);   // no leap second in a DateTime
    dt.millisecond = millisecond;
    return dt;
}

text::DateTime SystemClock::now() const {
    const auto t = std::chrono::system_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count() % 1000;
    return localDateTime(std::chrono::system_clock::to_time_t(t), int(ms < 0 ? ms + 1000 : ms));
}

}  // namespace vt
