#pragma once
// How long the connection waits inside SQLite for a busy lock, set for a scope.

#include "platform/db/Database.h"

#include <cstdint>
#include <string>

namespace vt::exchange {

class BusyWait {
public:
    // Sets the wait to `ms`; with `onlyShorter`, only when that shortens it.
    BusyWait(db::Database& db, std::int64_t ms, bool onlyShorter = false) : db_(db) {
        try {
            const std::int64_t current = db_.scalarInt("PRAGMA busy_timeout");
            if (current != ms && (!onlyShorter || current > ms)) {
                db_.exec("PRAGMA busy_timeout = " + std::to_string(ms));
                saved_ = current;
            }
        } catch (...) {
        }
    }
    ~BusyWait() {
        try {
            if (saved_ >= 0) db_.exec("PRAGMA busy_timeout = " + std::to_string(saved_));
        } catch (...) {
        }
    }
    BusyWait(const BusyWait&) = delete;
    BusyWait& operator=(const BusyWait&) = delete;

private:
    db::Database& db_;
    std::int64_t saved_ = -1;
};

}  // namespace vt::exchange
