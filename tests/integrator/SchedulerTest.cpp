#include "IntegratorFixture.h"

#include <gtest/gtest.h>

namespace vt::integrator {
namespace {

using test::IntegratorDb;
using test::Item;
using test::TRow;
using text::DateTime;

// 2024-03-04 is a Monday.
DateTime monday(int h, int m, int s = 0) { return DateTime{2024, 3, 4, h, m, s}; }

struct Scheduler : ::testing::Test {
    IntegratorDb t;
    test::FakeSteps steps;
    std::unique_ptr<Integrator> integ;
    void load() {
        integ = std::make_unique<Integrator>(t.services, steps);
        integ->Load();
    }
    // Scheduled announcements and steps, in order.
    std::vector<std::string> log() {
        std::vector<std::string> out;
        for (const auto& h : t.ui.history)
            if (h.description.rfind("Ingtegrator", 0) == 0) out.push_back(h.description);
        return out;
    }
};

TEST_F(Scheduler, IntervalRowsRunAtTheirCounterInListOrder) {
    t.addRow({"B", "810", "004010", "O", "CheckInterval = 1, \"Interval\" = 0"});
    t.addRow({"A", "850", "004010", "O", "CheckInterval = 1, \"Interval\" = 1"});
    t.addRow({"C", "850", "004010", "O", "CheckInterval = 0, \"Interval\" = 0"});
    load();
    for (int tick = 1; tick <= 30; ++tick) integ->Tick(monday(10, tick));
    EXPECT_EQ(log(), (std::vector<std::string>{"Ingtegrator Scheduled 15 Minute Task Started: B_810_004010_O",
                                               "Ingtegrator Scheduled 30 Minute Task Started: A_850_004010_O",
                                               "Ingtegrator Scheduled 15 Minute Task Started: B_810_004010_O"}));
    EXPECT_EQ(steps.calls, (std::vector<std::string>{"outbound B_810_004010_O 2", "outbound A_850_004010_O 1",
                                                     "outbound B_810_004010_O 2"}));
    EXPECT_EQ(integ->counters(), (std::array<int, 6>{15, 30, 30, 30, 30, 30}));
}

TEST_F(Scheduler, ATimeOfDayRunsOnceInItsMinuteOnTickedDaysEvenAfterADelayedTick) {
    // 9:05:59 PM on an earlier date matches 9:05 PM today.
    t.addRow({"A", "850", "004010", "O", "CheckTime = 1, Mon = 1, \"Time\" = 40000 + (21 * 3600 + 5 * 60 + 59) / 86400.0"});
    t.addRow({"B", "850", "004010", "O", "CheckTime = 0, Mon = 1, Tue = 1, \"Time\" = 40000 + (21 * 3600 + 5 * 60) / 86400.0"});
    load();
    struct Case { DateTime now; bool runs; };
    for (const Case& c : {Case{monday(21, 4, 30), false}, Case{monday(21, 5, 1), true}, Case{monday(21, 5, 59), false},
                          Case{monday(21, 6, 30), false}, Case{DateTime{2024, 3, 5, 21, 5}, false}}) {
        const size_t before = steps.calls.size();
        integ->Tick(c.now);
        EXPECT_EQ(steps.calls.size() - before, c.runs ? 1u : 0u) << c.now.day << " " << c.now.hour << ":" << c.now.minute;
    }
    // A tick that comes late still starts the run whose minute it passed, once that day.
    IntegratorDb late;
    late.addRow({"A", "850", "004010", "O", "CheckTime = 1, Mon = 1, \"Time\" = (21 * 3600 + 5 * 60) / 86400.0"});
    test::FakeSteps lateSteps;
    Integrator i(late.services, lateSteps);
    i.Load();
    i.Tick(monday(21, 3));
    i.Tick(monday(21, 7));
    i.Tick(monday(21, 8));
    EXPECT_EQ(lateSteps.calls.size(), 1u);
    EXPECT_EQ(late.ui.history.at(0).description, "Ingtegrator Scheduled Task Started: A_850_004010_O");
}

TEST_F(Scheduler, ATimeMovedLaterTheSameDayRunsAgainAtItsNewTime) {
    t.addRow({"A", "850", "004010", "O", "CheckTime = 1, Mon = 1, \"Time\" = 9 / 24.0"});
    load();
    integ->Tick(monday(9, 0));
    integ->row(0).time = 14 / 24.0;   // unsaved, as the window holds it
    integ->Tick(monday(13, 59));
    integ->Tick(monday(14, 0));
    integ->Tick(monday(14, 1));
    EXPECT_EQ(steps.calls, (std::vector<std::string>{"outbound A_850_004010_O 1", "outbound A_850_004010_O 1"}));
}

TEST_F(Scheduler, RowsDueDuringARunAreQueuedOnceAndRunAfterItSilently) {
    t.addRow({"A", "850", "004010", "I", "CheckInterval = 1, \"Interval\" = 0"});
    t.addRow({"B", "810", "004010", "O", "CheckTime = 1, Mon = 1, \"Time\" = (9 * 3600 + 15 * 60) / 86400.0"});
    load();
    steps.inbox = {t.add("Inbox", Item{})};
    for (int tick = 1; tick < 15; ++tick) integ->Tick(monday(9, tick));
    EXPECT_TRUE(steps.calls.empty());
    // A Process run of row A is under way when the 15th tick comes, and again the 30th.
    int nested = 0;
    steps.during = [&] {
        if (nested++ == 0) {
            integ->Tick(monday(9, 15));
            for (int tick = 16; tick <= 30; ++tick) integ->Tick(monday(9, tick));
            EXPECT_EQ(integ->queued(), 2u);
        }
    };
    integ->cmdProcess_Click();
    steps.during = nullptr;
    EXPECT_EQ(steps.calls, (std::vector<std::string>{"select A_850_004010_I", "export", "select A_850_004010_I",
                                                     "export unattended", "outbound B_810_004010_O 2"}));
    EXPECT_EQ(log(), (std::vector<std::string>{"Ingtegrator Scheduled 15 Minute Task Started: A_850_004010_I",
                                               "Ingtegrator Scheduled Task Started: B_810_004010_O"}));
    EXPECT_FALSE(integ->busy());
    EXPECT_EQ(integ->queued(), 0u);
}

TEST_F(Scheduler, ScheduledRunsShowNoBoxes) {
    t.addRow({"B", "810", "004010", "I",
              "CheckInterval = 1, \"Interval\" = 0, ExecuteSQL = 1, Driver = 'NoSuchDriver', Ack = 1"});
    load();
    steps.inbox = {t.add("Inbox", Item{})};
    steps.results["acknowledge"] = false;
    for (int tick = 1; tick <= 15; ++tick) integ->Tick(monday(9, tick));
    EXPECT_TRUE(t.ui.eventsStartingWith("box").empty());
    EXPECT_NE(t.history().find("Error:-2147467259 "), std::string::npos);
    EXPECT_NE(t.history().find("Error:Process Failed - B_810_004010_I"), std::string::npos);
    EXPECT_EQ(t.count("Inbox"), 1);
}

}  // namespace
}  // namespace vt::integrator

namespace vt::integrator {
namespace {

TEST_F(Scheduler, RowsDueWhileTheMainWindowIsBusyWaitForTheNextTick) {
    t.addRow({"A", "850", "004010", "O", "CheckInterval = 1, \"Interval\" = 0"});
    load();
    for (int tick = 1; tick < 15; ++tick) integ->Tick(monday(9, tick));
    {
        folders::FolderCommand command;   // a folder command yields
        integ->Tick(monday(9, 15));
        EXPECT_TRUE(steps.calls.empty());
        EXPECT_EQ(integ->queued(), 1u);
        integ->cmdProcess_Click();   // refused, with a word to the user
        EXPECT_TRUE(steps.calls.empty());
        EXPECT_EQ(t.ui.eventsStartingWith("box 48").size(), 1u);
    }
    integ->Tick(monday(9, 16));
    EXPECT_EQ(steps.calls, (std::vector<std::string>{"outbound A_850_004010_O 1"}));
}

}  // namespace
}  // namespace vt::integrator
