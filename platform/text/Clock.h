#pragma once
// The current date and time, as a port so tests can fix it.
#include "Text.h"

namespace vt {

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
