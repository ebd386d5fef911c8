#include "platform/odbc/Odbc.h"

#include <sql.h>
#include <sqlext.h>

namespace vt::odbc {

void Canceller::attach(void* statement) {
    std::lock_guard lock(mutex_);
    statement_ = statement;
}

void Canceller::detach() {
    std::lock_guard lock(mutex_);   // waits for a cancel under way
    statement_ = nullptr;
}

void Canceller::enter() {
    if (cancelled_) raise();
    ++calls_;
}

// Whatever the driver answered to a cancelled call gives way to the cancel's own error.
void Canceller::leave() {
    ++calls_;
    if (cancelled_) raise();
}

void Canceller::cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (statement_) SQLCancel(static_cast<SQLHSTMT>(statement_));
}

bool Canceller::cancelled() const { return cancelled_; }

bool Canceller::timedOut() const { return timedOut_; }

bool Canceller::cancelIfOverdue(std::chrono::steady_clock::duration limit) {
    // The hot path only counts calls; the timer notes when it first saw each one running.
    const std::uint64_t call = calls_;
    const auto now = std::chrono::steady_clock::now();
    if (call % 2 == 0 || cancelled_) return false;
    if (call != seenCall_) {
        seenCall_ = call;
        seenSince_ = now;
        return false;
    }
    if (now - seenSince_ <= limit) return false;
    std::lock_guard lock(mutex_);
    if (!statement_) return false;
    timedOut_ = true;
    cancelled_ = true;
    SQLCancel(static_cast<SQLHSTMT>(statement_));
    return true;
}

void Canceller::raise() const {
    if (timedOut_) throw Error(0, "HYT00", "Query timeout expired");
    throw Error(0, "HY008", "Operation canceled");
}

}  // namespace vt::odbc
