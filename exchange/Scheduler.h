#pragma once
// The Exchange window's one-minute scheduler: daily runs at a time of day and runs every 15 to
// 90 minutes, counted in ticks since the window object was made. A daily network runs at most
// once a day.

#include "core/Services.h"
#include "exchange/Networks.h"

#include <array>
#include <map>
#include <string>
#include <vector>

namespace vt::exchange {

// What a tick asks of the window.
class ScheduleRunner {
public:
    virtual ~ScheduleRunner() = default;
    // False while a session runs or another operation holds the database.
    virtual bool canStart() = 0;
    virtual void runSend(const NetworkSettings& network) = 0;
    virtual void runReceive(const NetworkSettings& network) = 0;
};

class ExchangeScheduler {
public:
    explicit ExchangeScheduler(const core::Services& services) : s_(services) {}

    // One tick: advances the six counters, then runs what is due, network by network in list
    // order. `networks` are the window's settings as they stand (edits included).
    void tmrScheduler_Timer(const std::vector<NetworkSettings>& networks, ScheduleRunner& runner);

    const std::array<int, 6>& counters() const { return counters_; }

private:
    void runNetwork(const NetworkSettings& n, ScheduleRunner& runner);

    const core::Services& s_;
    std::array<int, 6> counters_{};
    // Day (as an OLE day number) of each network's last daily run, by upper-case name.
    std::map<std::string, long> dailyRun_;
};

}  // namespace vt::exchange
