#pragma once
// Whole numbers kept in text fields (control numbers, separator codes), read as the rest of the
// program reads them: surrounding blanks allowed, digits only, within the 32-bit range.

#include "platform/db/Database.h"

#include <cstdint>

namespace vt::core {

// Throws RunError: 94 for Null, 13 for a text that is not a whole number, 6 beyond 2147483647.
std::int64_t storedWholeNumber(const db::Value& value);

// The control number after n: n + 1, back to 1 past 999999999.
inline std::int64_t nextControlNumber(std::int64_t n) {
    return (n + 1 > 999999999 || n + 1 < 1) ? 1 : n + 1;
}

}  // namespace vt::core
