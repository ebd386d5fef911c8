#pragma once
// Makes a multi-step change all-or-nothing, also inside an open transaction (the interchange
// reader's), where BEGIN would fail: rolled back on destruction unless released.

#include "platform/db/Database.h"

#include <string>

namespace vt::core {

class Savepoint {
public:
    // `name` is a fixed identifier chosen by the caller, never data.
    Savepoint(db::Database& db, std::string name) : db_(db), name_(std::move(name)) {
        db_.exec("SAVEPOINT " + name_);
    }
    ~Savepoint() {
        if (!active_) return;
        try {
            db_.exec("ROLLBACK TO " + name_);
            db_.exec("RELEASE " + name_);
        } catch (...) {
            // The connection is gone or broken; nothing is left to undo through it.
        }
    }
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

    void release() {
        db_.exec("RELEASE " + name_);
        active_ = false;
    }

private:
    db::Database& db_;
    std::string name_;
    bool active_ = true;
};

}  // namespace vt::core
