#include "core/StoredNumber.h"

#include "core/RunError.h"
#include "platform/text/Text.h"

#include <cmath>
#include <limits>
#include <string>

namespace vt::core {

std::int64_t storedWholeNumber(const db::Value& value) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    if (std::holds_alternative<std::monostate>(value)) throw invalidNullError();
    if (const auto* n = std::get_if<std::int64_t>(&value)) {
        if (*n > kMax || *n < kMin) throw overflowError();
        return *n;
    }
    if (const auto* d = std::get_if<double>(&value)) {
        const double r = text::roundHalfEven(*d);
        if (!std::isfinite(r) || r > double(kMax) || r < double(kMin)) throw overflowError();
        return static_cast<std::int64_t>(r);
    }
    const std::string digits = text::trim(std::get<std::string>(value));
    if (digits.empty()) throw typeMismatchError();
    std::int64_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') throw typeMismatchError();
        n = n * 10 + (c - '0');
        if (n > kMax) throw overflowError();
    }
    return n;
}

}  // namespace vt::core
