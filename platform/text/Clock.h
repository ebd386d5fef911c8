#pragma once
// The current date and time, as a port so tests can fix it.
#include "Text.h"

#include <ctime>

namespace vt {

// A moment of the system clock as local date and time (no leap second).
text::DateTime localDateTime(std::time_t seconds, int millisecond = 0);

class Clock {
public:
    virtual ~Clock() = default;
    virtual text::DateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    text::DateTime now() const override;   // local time
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(text::DateTime t) : t_(t) {}
    text::DateTime now() const override { return t_; }
    void set(text::DateTime t) { t_ = t; }
private:
    text::DateTime t_;
};

}  // namespace vt
