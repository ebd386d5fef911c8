#pragma once
// Work that uses the connection across yields to window events (an Exchange session): while
// one runs, the main window does not close the database; it closes once the work has ended.

#include <atomic>

namespace vt::core {

inline std::atomic<int> gSessionsRunning{0};

class SessionGuard {
public:
    SessionGuard() { ++gSessionsRunning; }
    ~SessionGuard() { --gSessionsRunning; }
    SessionGuard(const SessionGuard&) = delete;
    SessionGuard& operator=(const SessionGuard&) = delete;
};

inline bool IsSessionRunning() { return gSessionsRunning.load() > 0; }

}  // namespace vt::core
