#include "integrator/IntegratorSettings.h"

#include "core/RunError.h"
#include "platform/db/Database.h"
#include "platform/odbc/Odbc.h"

#include <algorithm>
#include <cmath>

namespace vt::integrator {

namespace {

constexpr const char* kFields =
    "Partner, \"Transaction\", Version, Direction, \"Group\", Versionoverride, CheckTime, \"Time\", CheckInterval, "
    "\"Interval\", Mon, Tue, Wed, Thu, Fri, Sat, Sun, CustomActiveX, print, Ack, ExecuteSQL, ExportFormat, "
    "DataSourceName, UserId, Password, Database, Driver, Server, SQL, Plus, Minus, StartDate, EndDate";

core::RunError invalidValue() { return core::RunError(380, "Invalid property value"); }

int checkState(const db::Statement& q, int col) {
    if (q.isNull(col)) throw core::invalidNullError();
    const std::int64_t v = q.int64(col);
    if (v < 0 || v > 2) throw invalidValue();
    return int(v);
}

int listPosition(const db::Statement& q, int col, int count) {
    if (q.isNull(col)) throw core::invalidNullError();
    const std::int64_t v = q.int64(col);
    if (v < 0 || v >= count) throw invalidValue();
    return int(v);
}

std::string textOf(const db::Statement& q, int col) {
    if (q.isNull(col)) throw core::invalidNullError();
    return q.text(col);
}

bool isDayCount(std::string_view s) {
    const std::string t = text::trim(s);
    return t.size() <= 3 && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

RowSettings readRow(const db::Statement& q) {
    RowSettings r;
    r.key = {textOf(q, 0), textOf(q, 1), textOf(q, 2), textOf(q, 3)};
    r.group = textOf(q, 4);
    r.versionOverride = textOf(q, 5);
    // Copied in this order, so a row stored with both schedules keeps only the interval.
    r.setCheckTime(checkState(q, 6));
    if (q.isNull(7)) throw core::invalidNullError();
    if (q.value(7).index() != 1 && q.value(7).index() != 2) throw core::typeMismatchError();
    r.time = q.real(7);
    r.setCheckInterval(checkState(q, 8));
    r.interval = listPosition(q, 9, kIntervalCount);
    for (int d = 0; d < 7; ++d) r.days[size_t(d)] = checkState(q, 10 + d);
    r.customActiveX = checkState(q, 17);
    r.print = checkState(q, 18);
    r.ack = checkState(q, 19);
    r.executeSql = checkState(q, 20);
    r.exportFormat = listPosition(q, 21, 28);
    r.dataSourceName = textOf(q, 22);
    r.userId = textOf(q, 23);
    r.password = textOf(q, 24);
    r.database = textOf(q, 25);
    r.driver = textOf(q, 26);
    r.server = textOf(q, 27);
    r.sql = textOf(q, 28);
    r.plus = textOf(q, 29);
    r.minus = textOf(q, 30);
    if (!isDayCount(r.plus) || !isDayCount(r.minus)) throw core::typeMismatchError();
    r.startDate = checkState(q, 31);
    r.endDate = checkState(q, 32);
    return r;
}

int dayCount(std::string_view s) { return int(text::val(s)); }

text::DateTime midnightPlus(const text::DateTime& now, int days) {
    text::DateTime d{now.year, now.month, now.day};
    return text::fromOleDate(std::floor(text::toOleDate(d)) + days);
}

}  // namespace

std::string RowKey::text() const { return partner + "_" + transaction + "_" + version + "_" + direction; }

void RowSettings::setCheckTime(int state) {
    checkTime = state;
    if (state == 1) checkInterval = 0;
}

void RowSettings::setCheckInterval(int state) {
    checkInterval = state;
    if (state == 1) checkTime = 0;
}

int RowSettings::minusDays() const { return dayCount(minus); }
int RowSettings::plusDays() const { return dayCount(plus); }

std::string_view intervalText(int position) {
    static constexpr std::string_view texts[kIntervalCount] = {"Every 15 Minutes", "Every 30 Minutes",
                                                               "Every 45 Minutes", "Every 60 Minutes",
                                                               "Every 75 Minutes", "Every 90 Minutes"};
    return position >= 0 && position < kIntervalCount ? texts[position] : std::string_view();
}

void LoadTransactions(const core::Services& s, std::vector<RowSettings>& rows) {
    rows.clear();
    db::Statement q = s.db.prepare(std::string("SELECT ") + kFields +
                                   " FROM Transactions ORDER BY Transactions.Partner ASC, Id ASC");
    while (q.step()) rows.push_back(readRow(q));
}

RowSettings ReadTransaction(const core::Services& s, const RowKey& key) {
    db::Statement q = s.db.prepare(std::string("SELECT ") + kFields +
                                   " FROM Transactions WHERE Partner = ?1 AND \"Transaction\" = ?2 AND Version = ?3 "
                                   "AND Direction = ?4 ORDER BY Id LIMIT 1");
    q.bindAll(key.partner, key.transaction, key.version, key.direction);
    if (!q.step()) throw core::noCurrentRecordError();
    RowSettings r = readRow(q);
    r.key = key;
    return r;
}

void SaveTransaction(const core::Services& s, const RowSettings& r) {
    db::Statement find = s.db.prepare(
        "SELECT Id FROM Transactions WHERE Partner = ?1 AND \"Transaction\" = ?2 AND Version = ?3 AND Direction = ?4 "
        "ORDER BY Id LIMIT 1");
    find.bindAll(r.key.partner, r.key.transaction, r.key.version, r.key.direction);
    if (!find.step()) throw core::noCurrentRecordError();
    const std::int64_t id = find.int64(0);
    db::Statement q = s.db.prepare(
        "UPDATE Transactions SET CheckTime = ?1, \"Time\" = ?2, CheckInterval = ?3, \"Interval\" = ?4, Mon = ?5, "
        "Tue = ?6, Wed = ?7, Thu = ?8, Fri = ?9, Sat = ?10, Sun = ?11, CustomActiveX = ?12, print = ?13, Ack = ?14, "
        "ExecuteSQL = ?15, ExportFormat = ?16, DataSourceName = ?17, UserId = ?18, Password = ?19, Database = ?20, "
        "Driver = ?21, Server = ?22, Plus = ?23, Minus = ?24, StartDate = ?25, EndDate = ?26, SQL = ?27 WHERE Id = ?28");
    q.bindAll(r.checkTime, r.time, r.checkInterval, std::clamp(r.interval, 0, kIntervalCount - 1), r.days[0],
              r.days[1], r.days[2], r.days[3], r.days[4], r.days[5], r.days[6], r.customActiveX, r.print, r.ack,
              r.executeSql, std::clamp(r.exportFormat, 0, 27), r.dataSourceName, r.userId, r.password, r.database,
              r.driver, r.server, text::trim(r.plus), text::trim(r.minus), r.startDate, r.endDate, r.sql, id);
    q.run();
}

bool IsScheduled(const RowSettings& r) {
    return r.checkInterval == 1 || (r.checkTime == 1 && std::find(r.days.begin(), r.days.end(), 1) != r.days.end());
}

std::string ScheduleDescription(const RowSettings& r, std::string_view none) {
    static constexpr const char* names[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    if (!IsScheduled(r)) return std::string(none);
    if (r.checkInterval == 1) return std::string(intervalText(r.interval));
    std::string s = "At " + text::formatDate(r.time, "h:mm AM/PM") + " every ";
    for (int d = 0; d < 7; ++d)
        if (r.days[size_t(d)] == 1) {
            s += names[d];
            s += ", ";
        }
    return s + " of every week";
}

std::optional<std::string> TimeConflict(const std::vector<RowSettings>& rows) {
    auto shareADay = [](const RowSettings& a, const RowSettings& b) {
        for (std::size_t d = 0; d < 7; ++d)
            if (a.days[d] == 1 && b.days[d] == 1) return true;
        return false;
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].checkTime != 1) continue;
        const std::string si = text::formatDate(rows[i].time, "hh:mm AM/PM");
        for (size_t j = 0; j < rows.size(); ++j)
            if (j != i && rows[j].checkTime == 1 && shareADay(rows[i], rows[j]) &&
                text::formatDate(rows[j].time, "hh:mm AM/PM") == si)
                return text::formatDate(rows[i].time, "h:mm AM/PM");
    }
    return std::nullopt;
}

std::string ConnectionString(const RowSettings& r) {
    std::string s;
    if (!r.dataSourceName.empty()) {
        s += odbc::attribute("DSN", r.dataSourceName);
    } else {
        // A driver named in braces, as connection strings are usually written, goes in as it is.
        s += odbc::isBraced(r.driver) ? "Driver=" + r.driver + ";" : odbc::attribute("Driver", r.driver);
        s += odbc::attribute("Server", r.server);
    }
    s += odbc::attribute("UID", r.userId);
    s += odbc::attribute("PWD", r.password);
    if (!r.database.empty()) s += odbc::attribute("Database", r.database);
    return s;
}

DataSourceLists GetDSNsAndDrivers() {
    DataSourceLists lists;
    for (const odbc::DataSource& d : odbc::dataSources()) {
        lists.names.push_back(d.name);
        lists.drivers.push_back(d.description);
    }
    auto byText = [](const std::string& a, const std::string& b) { return text::toUpper(a) < text::toUpper(b); };
    std::sort(lists.names.begin(), lists.names.end(), byText);
    std::sort(lists.drivers.begin(), lists.drivers.end(), byText);
    lists.drivers.erase(std::unique(lists.drivers.begin(), lists.drivers.end()), lists.drivers.end());
    return lists;
}

text::DateTime startOfRange(const RowSettings& r, const text::DateTime& now) { return midnightPlus(now, -r.minusDays()); }
text::DateTime endOfRange(const RowSettings& r, const text::DateTime& now) { return midnightPlus(now, r.plusDays()); }

}  // namespace vt::integrator
