// The one-minute scheduler under a fixed clock: periods counted in ticks, daily runs once a day,
// busy ticks start nothing, empty Outboxes are not sent.
#include "exchange/Scheduler.h"
#include "platform/db/Database.h"
#include "tests/support/ScratchDatabase.h"

#include <gtest/gtest.h>

namespace vt::test {
namespace {

using exchange::NetworkSettings;

struct Runner : exchange::ScheduleRunner {
    std::vector<std::string> runs;
    bool busy = false;
    bool canStart() override { return !busy; }
    void runSend(const NetworkSettings& n) override { runs.push_back("send " + n.network); }
    void runReceive(const NetworkSettings& n) override { runs.push_back("receive " + n.network); }
};

class Scheduler : public ::testing::Test {
protected:
    ScratchDatabase scratch;
    exchange::ExchangeScheduler scheduler{scratch.services};
    Runner runner;

    void SetUp() override { scratch.db.exec("INSERT INTO Outbox (Partner) VALUES ('P')"); }
    static NetworkSettings every(const std::string& name, int interval) {
        NetworkSettings n;
        n.network = name;
        n.checkInterval = 1;
        n.interval = interval;
        n.sendReceive = true;
        return n;
    }
    static NetworkSettings dailyAt(const std::string& name, int hour, int minute) {
        NetworkSettings n;
        n.network = name;
        n.checkTime = 1;
        n.time = text::toOleDate({2001, 1, 1, hour, minute, 0});   // the date is not looked at
        n.receiveOnly = true;
        return n;
    }
    std::vector<std::string> history() {
        std::vector<std::string> out;
        for (const auto& h : scratch.ui.history) out.push_back(h.type + ":" + h.description);
        return out;
    }
};

TEST_F(Scheduler, PeriodsAreDueEveryNthTickInListOrder) {
    const std::vector<NetworkSettings> networks = {every("Alpha1", 0), every("Bravo2", 1), every("Charl3", 0)};
    for (int tick = 1; tick <= 29; ++tick) scheduler.tmrScheduler_Timer(networks, runner);
    EXPECT_EQ(runner.runs, (std::vector<std::string>{"send Alpha1", "receive Alpha1", "send Charl3", "receive Charl3"}));
    EXPECT_EQ(history(), (std::vector<std::string>{"Info:Exchange Scheduled 15 Minute Task Started: Alpha1",
                                                   "Info:Exchange Scheduled 15 Minute Task Started: Charl3"}));
    runner.runs.clear();
    scheduler.tmrScheduler_Timer(networks, runner);   // tick 30: both periods
    EXPECT_EQ(runner.runs, (std::vector<std::string>{"send Alpha1", "receive Alpha1", "send Bravo2", "receive Bravo2",
                                                     "send Charl3", "receive Charl3"}));
    EXPECT_EQ(scheduler.counters(), (std::array<int, 6>{15, 30, 30, 30, 30, 30}));
}

TEST_F(Scheduler, CountersRunWithoutNetworksAndBusyTicksAreNotMadeUp) {
    for (int tick = 1; tick <= 14; ++tick) scheduler.tmrScheduler_Timer({}, runner);
    EXPECT_EQ(scheduler.counters(), (std::array<int, 6>{14, 14, 14, 14, 14, 14}));
    runner.busy = true;
    scheduler.tmrScheduler_Timer({every("Alpha1", 0)}, runner);
    runner.busy = false;
    for (int tick = 16; tick <= 29; ++tick) scheduler.tmrScheduler_Timer({every("Alpha1", 0)}, runner);
    EXPECT_TRUE(runner.runs.empty());
    EXPECT_TRUE(history().empty());
    scheduler.tmrScheduler_Timer({every("Alpha1", 0)}, runner);
    EXPECT_EQ(runner.runs.size(), 2u);
}

TEST_F(Scheduler, DailyRunsInItsMinuteOncePerDay) {
    const std::vector<NetworkSettings> networks = {dailyAt("Alpha1", 14, 5)};
    const std::pair<text::DateTime, bool> ticks[] = {
        {{2024, 3, 5, 14, 4, 59}, false}, {{2024, 3, 5, 14, 5, 0}, true}, {{2024, 3, 5, 14, 5, 30}, false},
        {{2024, 3, 5, 2, 5, 10}, false},  {{2024, 3, 6, 14, 5, 59}, true}, {{2024, 3, 6, 14, 6, 0}, false},
    };
    for (const auto& [now, runs] : ticks) {
        scratch.clock.set(now);
        runner.runs.clear();
        scheduler.tmrScheduler_Timer(networks, runner);
        EXPECT_EQ(runner.runs, runs ? std::vector<std::string>{"receive Alpha1"} : std::vector<std::string>{})
            << text::formatDate(now, "yyyy-mm-dd hh:nn:ss");
    }
    EXPECT_TRUE(history().empty());   // daily runs write no History row
}

TEST_F(Scheduler, WhatARunDoesByItsOption) {
    struct Case {
        const char* name;
        bool sendReceive, receiveOnly, sendOnly, outbox;
        std::vector<std::string> runs;
        std::vector<std::string> history;
    };
    const std::string started = "Info:Exchange Scheduled 90 Minute Task Started: Alpha1";
    const Case cases[] = {
        {"send and receive", true, false, false, true, {"send Alpha1", "receive Alpha1"}, {started}},
        {"receive only", false, true, false, true, {"receive Alpha1"}, {started}},
        {"send only", false, false, true, true, {"send Alpha1"}, {started}},
        {"no option", false, false, false, true, {}, {started}},
        // A send script may do more than send the Outbox: it runs, and History hears nothing more.
        {"empty Outbox", true, false, false, false, {"send Alpha1", "receive Alpha1"}, {started}},
        {"empty Outbox, send only", false, false, true, false, {"send Alpha1"}, {started}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scratch.db.exec("DELETE FROM Outbox");
        if (c.outbox) scratch.db.exec("INSERT INTO Outbox (Partner) VALUES ('P')");
        NetworkSettings n = every("Alpha1", 5);
        n.sendReceive = c.sendReceive;
        n.receiveOnly = c.receiveOnly;
        n.sendOnly = c.sendOnly;
        exchange::ExchangeScheduler fresh(scratch.services);
        runner.runs.clear();
        scratch.ui.history.clear();
        for (int tick = 1; tick <= 90; ++tick) fresh.tmrScheduler_Timer({n}, runner);
        EXPECT_EQ(runner.runs, c.runs);
        EXPECT_EQ(history(), c.history);
    }
}

}  // namespace
}  // namespace vt::test
