#include "exchange/Scheduler.h"

#include "core/ErrorReporter.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"

#include <cmath>

namespace vt::exchange {

void ExchangeScheduler::tmrScheduler_Timer(const std::vector<NetworkSettings>& networks, ScheduleRunner& runner) {
    std::array<bool, 6> due{};
    for (std::size_t k = 0; k < counters_.size(); ++k) {
        const int period = 15 * int(k + 1);
        counters_[k] = counters_[k] % period + 1;
        due[k] = counters_[k] == period;
    }
    for (const NetworkSettings& n : networks) {
        if (n.checkTime == 1 && runner.canStart()) {
            const text::DateTime now = s_.clock.now();
            if (text::formatDate(now, "hh:mm AM/PM") == text::formatDate(n.time, "hh:mm AM/PM")) {
                const long today = long(std::floor(text::toOleDate(now)));
                auto [at, fresh] = dailyRun_.try_emplace(text::toUpper(n.network), today);
                if (fresh || at->second != today) {
                    at->second = today;
                    runNetwork(n, runner);
                }
            }
        }
        if (n.checkInterval == 1 && runner.canStart() && n.interval >= 0 && n.interval < int(due.size()) &&
            due[std::size_t(n.interval)]) {
            core::LogHistory(s_, "Info",
                             "Exchange Scheduled " + std::to_string(15 * (n.interval + 1)) +
                                 " Minute Task Started: " + n.network);
            runNetwork(n, runner);
        }
    }
}

void ExchangeScheduler::runNetwork(const NetworkSettings& n, ScheduleRunner& runner) {
    // A send script may do more than send the Outbox: it runs whether or not the Outbox holds rows.
    if (n.sendReceive) {
        runner.runSend(n);
        runner.runReceive(n);
    } else if (n.receiveOnly) {
        runner.runReceive(n);
    } else if (n.sendOnly) {
        runner.runSend(n);
    }
}

}  // namespace vt::exchange
