#pragma once
// The Integrator's working copy of the Transactions rows: one RowSettings per row, read once when
// the window loads, re-read when a row is shown, written only by Save. Runs and the scheduler read
// these values, saved or not.

#include "core/Services.h"
#include "platform/text/Text.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt::integrator {

struct RowKey {
    std::string partner, transaction, version, direction;
    // Partner, Transaction, Version and Direction joined by "_": the selection key of file names.
    std::string text() const;
    bool operator==(const RowKey&) const = default;
};

enum Weekday { Mon, Tue, Wed, Thu, Fri, Sat, Sun };

struct RowSettings {
    RowKey key;
    std::string group, versionOverride;   // shown in the list only

    int checkTime = 0;
    double time = 0;   // OLE date; only hour and minute count
    int checkInterval = 0;
    int interval = 0;                       // 0..5: every 15 x (interval + 1) minutes
    std::array<int, 7> days{};              // Mon .. Sun
    int customActiveX = 0, print = 0, ack = 0, executeSql = 0;
    int exportFormat = 0;                   // 0..27
    std::string dataSourceName, userId, password, database, driver, server, sql;
    std::string plus = "0", minus = "0";    // day counts as typed (at most three digits)
    int startDate = 0, endDate = 0;

    // Ticking one kind of schedule unticks the other; unticking never ticks.
    void setCheckTime(int state);
    void setCheckInterval(int state);
    int intervalMinutes() const { return 15 * (interval + 1); }
    int minusDays() const;
    int plusDays() const;
};

inline constexpr int kIntervalCount = 6;
// "Every 15 Minutes" .. "Every 90 Minutes", by list position.
std::string_view intervalText(int position);

// Reads every Transactions row in list order (Partner, then stored order). A stored value the
// settings cannot hold (a check field outside 0-2, an interval or export format outside its list,
// a day count that is not a number) raises RunError 13 or 380; rows read before it are in `rows`.
void LoadTransactions(const core::Services& s, std::vector<RowSettings>& rows);
// The stored row of that key, as the list shows it again; RunError 3021 when it no longer exists.
RowSettings ReadTransaction(const core::Services& s, const RowKey& key);
// Writes the Integrator fields of the row with that key (the first, if several); RunError 3021
// when there is none. Interval and ExportFormat are always list positions, never -1.
void SaveTransaction(const core::Services& s, const RowSettings& row);

// "At 9:05 AM every Mon, Wed,  of every week", the interval's text, or `none` when nothing is
// scheduled.
// Whether the row runs by itself: on an interval, or at a time on at least one ticked day.
bool IsScheduled(const RowSettings& row);
std::string ScheduleDescription(const RowSettings& row, std::string_view none = "No Event Scheduled");

// The time text of the first pair of rows scheduled at the same hour and minute of a weekday
// both have ticked, which the scheduler would start in one minute; nothing when there is none.
std::optional<std::string> TimeConflict(const std::vector<RowSettings>& rows);

// The row's connection string: by data-source name when one is given, else by driver and server
// (never through a default data source); user and password always; the database when given. A
// driver already in braces is taken as it stands.
std::string ConnectionString(const RowSettings& row);

// Data-source names and driver descriptions, each sorted, drivers once each.
struct DataSourceLists {
    std::vector<std::string> names, drivers;
};
DataSourceLists GetDSNsAndDrivers();

// Today minus and plus the row's day counts (midnight).
text::DateTime startOfRange(const RowSettings& row, const text::DateTime& now);
text::DateTime endOfRange(const RowSettings& row, const text::DateTime& now);

}  // namespace vt::integrator
