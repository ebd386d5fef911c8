#include "integrator/Integrator.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/Savepoint.h"
#include "folders/InterchangeReader.h"
#include "folders/Selection.h"
#include "platform/db/Database.h"
#include "platform/odbc/Odbc.h"
#include "platform/text/Clock.h"

#include <cmath>

namespace vt::integrator {

namespace {

int gRunning = 0;

// The main window holds a transaction or rows of its own while it reads a file or runs a
// folder command (both yield); a run must not write into the middle of that.
bool mainWindowBusy() { return folders::IsReadingInterchange() || folders::IsFolderCommandRunning(); }

constexpr const char* kFolderFields =
    "Partner, \"Transaction\", Version, Direction, \"Date\", \"Time\", Used, InterchangeControlNumber, "
    "GroupControlNumber, FunctionalGroup, SenderID, SenderDivision, ReceiverID, ReceiverDivision, Acknowledged, "
    "Status, TSet";

int dayNumber(const text::DateTime& t) { return int(std::floor(text::toOleDate(text::DateTime{t.year, t.month, t.day}))); }
int minuteOfDay(const text::DateTime& t) { return t.hour * 60 + t.minute; }

// Mon .. Sun index of a date (weekday() counts 1 = Sunday).
int dayIndex(const text::DateTime& t) { return (text::weekday(t) + 5) % 7; }

}  // namespace

bool IsIntegratorRunning() { return gRunning > 0; }

int UnattendedSink::messageBox(std::string_view text, int style, std::string_view title) {
    const int icon = style & 0x70;
    if (log_)
        core::LogHistory(*log_, icon == core::vbCritical ? "Error" : icon == core::vbExclamation ? "Warning" : "Info",
                         text);
    switch (style & 7) {
    case core::vbYesNo: return core::vbNo;
    case core::vbOKCancel: case core::vbYesNoCancel: case core::vbRetryCancel: return core::vbCancel;
    case core::vbAbortRetryIgnore: return core::vbAbort;
    default: return core::vbOK;
    }
}

void MoveInboxToRecycled(const core::Services& s, const std::vector<std::int64_t>& ids) {
    {
        core::Savepoint change(s.db, "integrator_recycle");
        db::Statement copy = s.db.prepare(std::string("INSERT INTO Recycled (") + kFolderFields + ") SELECT " +
                                          kFolderFields + " FROM Inbox WHERE Id = ?1");
        db::Statement remove = s.db.prepare("DELETE FROM Inbox WHERE Id = ?1");
        for (std::int64_t id : ids) {
            copy.bind(1, id);
            copy.run();
            remove.bind(1, id);
            remove.run();
        }
        change.release();
    }
    s.ui.folderChanged("Inbox");
    s.ui.folderChanged("Recycled");
}

// ---- Integrator ----

Integrator::Integrator(const core::Services& s, IntegratorSteps& steps)
    : s_(s), quietSink_(s.ui), quiet_{s.db, quietSink_, s.clock, s.settings}, steps_(steps) {
    quietSink_.setLog(&quiet_);
    startPicker = endPicker = s.clock.now();
}

Integrator::~Integrator() = default;

void Integrator::Load() {
    try {
        LoadTransactions(s_, rows_);
    } catch (...) {
        lastTimeRun_.assign(rows_.size(), -1);
        core::ReportError(s_);
        if (!rows_.empty()) selected_ = 0;
        changed();
        return;
    }
    lastTimeRun_.assign(rows_.size(), -1);
    if (!rows_.empty()) select(0);
    changed();
}

void Integrator::select(int index) {
    if (index < 0 || index >= int(rows_.size())) return;
    selected_ = index;
    ShowTransactionSettings();
}

void Integrator::ShowTransactionSettings() {
    const RowKey key = rows_.at(std::size_t(selected_)).key;
    caption_ = "Integrator -- " + key.text();
    try {
        RowSettings stored = ReadTransaction(s_, key);
        stored.group = rows_[std::size_t(selected_)].group;
        stored.versionOverride = rows_[std::size_t(selected_)].versionOverride;
        rows_[std::size_t(selected_)] = stored;
        description_ = ScheduleDescription(stored);
        const text::DateTime now = s_.clock.now();
        startPicker = startOfRange(stored, now);
        endPicker = endOfRange(stored, now);
    } catch (...) {
        core::ReportError(s_);
    }
    changed();
}

void Integrator::cmdModify_Click() {
    if (selected_ < 0) return;
    if (!editing_) {
        editing_ = true;
        changed();
        return;
    }
    try {
        if (auto clash = TimeConflict(rows_)) {
            s_.ui.messageBox("Only one event can be scheduled at " + *clash, core::vbExclamation | core::vbOKOnly,
                             core::kApplicationName);
            return;
        }
        if (s_.ui.messageBox("Save Scheduled Changes?", core::vbYesNo | core::vbQuestion, core::kApplicationName) ==
            core::vbYes)
            SaveTransaction(s_, rows_[std::size_t(selected_)]);
    } catch (...) {
        core::ReportError(s_);
        return;
    }
    editing_ = false;
    ShowTransactionSettings();
}

// ---- ODBC ----

bool Integrator::connected() const { return connection_ && connection_->isOpen(); }

bool Integrator::ConnectDataSource(int index, const core::Services& s) {
    if (extracting_) return false;   // the extraction under way still reads the connection
    const RowSettings& r = rows_.at(std::size_t(index));
    connection_ = std::make_unique<odbc::Connection>();
    connectedName_.clear();
    try {
        connection_->open(ConnectionString(r));
    } catch (const odbc::Error& e) {
        core::ReportError(s, core::ErrorInfo{-2147467259, e.what()});
        changed();
        return false;
    } catch (...) {
        core::ReportError(s);
        changed();
        return false;
    }
    connectedName_ = connection_->dataSourceName();
    if (connectedName_.empty()) connectedName_ = !r.dataSourceName.empty() ? r.dataSourceName : !r.server.empty() ? r.server : r.driver;
    core::LogHistory(s, "Info", "Logon ODBC - " + r.dataSourceName + " " + " server succeeded.");
    changed();
    return true;
}

void Integrator::Disconnect(const core::Services& s) {
    if (extracting_) return;
    core::LogHistory(s, "Info", "Disconnected from data source - " + connectedName_);
    connection_.reset();
    connectedName_.clear();
    changed();
}

void Integrator::closeConnection() {
    if (extracting_) return;
    connection_.reset();
    connectedName_.clear();
}

// ---- Extraction ----

bool Integrator::ExecuteQuery(int index, const core::Services& s, bool ownRange) {
    const RowSettings& r = rows_.at(std::size_t(index));
    std::optional<text::DateTime> start, end;
    const text::DateTime now = s.clock.now();
    if (r.startDate == 1) start = ownRange ? startOfRange(r, now) : startPicker;
    if (r.endDate == 1) end = ownRange ? endOfRange(r, now) : endPicker;
    if (!connected()) {
        core::ReportError(s, core::ErrorInfo{3704, "Operation is not allowed when the object is closed."});
        return false;
    }
    if (extracting_) return false;
    extracting_ = true;
    ++gRunning;
    control_ = ExtractionControl{queryTimeoutSeconds, false, onProgress};
    changed();
    if (onWait) onWait(true);
    const bool ok = ExtractToImport(s, *connection_, FillDateParameters(r.sql, start, end), r.key.text(), grid_,
                                    &control_);
    if (onWait) onWait(false);
    --gRunning;
    extracting_ = false;
    changed();
    return ok;
}

// ---- Runs ----

void Integrator::cmdProcess_Click() {
    if (selected_ < 0 || busy_ || extracting_ || folders::RefuseWhileBusy(s_)) return;
    runHoldingBusy(Pending{selected_, {}}, false);
}

void Integrator::runHoldingBusy(std::optional<Pending> first, bool scheduled) {
    busy_ = true;
    ++gRunning;
    changed();
    // A step that throws ends its own run only: the busy flag and the queue must not stay behind.
    auto run = [this](int index, const core::Services& s, bool scheduledRun) {
        try {
            RunTransaction(index, s, scheduledRun);
        } catch (...) {
            core::ReportError(s);
        }
    };
    if (first) {
        if (!first->announce.empty()) core::LogHistory(quiet_, "Info", first->announce);
        run(first->index, scheduled ? quiet_ : s_, scheduled);
    }
    // Scheduled rows that came due meanwhile run now, each once.
    while (!queue_.empty()) {
        const Pending next = queue_.front();
        queue_.pop_front();
        core::LogHistory(quiet_, "Info", next.announce);
        run(next.index, quiet_, true);
    }
    --gRunning;
    busy_ = false;
    changed();
}

void Integrator::RunTransaction(int index, const core::Services& s, bool scheduled) {
    if (index < 0 || index >= int(rows_.size())) return;
    if (rows_[std::size_t(index)].executeSql == 1) {
        // A scheduled run, or a run of a row that is not shown, has no pickers of its own.
        const bool ownRange = scheduled || minimized || index != selected_;
        bool extracted = false;
        if (ConnectDataSource(index, s)) {
            extracted = ExecuteQuery(index, s, ownRange);
            Disconnect(s);
        }
        // Whatever the Import folder still holds is from an earlier extraction: never send it.
        if (!extracted) {
            core::LogHistory(s, "Error", "Process Failed - " + rows_[std::size_t(index)].key.text());
            return;
        }
    }
    const RowSettings& r = rows_[std::size_t(index)];
    if (r.key.direction == "O")
        steps_.processOutbound(s, r.key, index + 1);
    else
        RunInboundTransaction(index, s);
}

void Integrator::RunInboundTransaction(int index, const core::Services& s) {
    const RowKey key = rows_.at(std::size_t(index)).key;
    const std::vector<std::int64_t> ids = steps_.selectInbox(s, key);
    if (ids.empty()) {
        core::LogHistory(s, "Warning", "There are no Transactions to process! " + key.text());
        return;
    }
    // Options are read as each step comes: the user may change them while a step yields.
    bool ok = true;
    if (rows_[std::size_t(index)].ack == 1) {
        core::LogHistory(s, "Info", "Selected [Tools] - [Generate Acknowledgement]");
        // A 997 is never acknowledged; that refusal does not stop the run.
        ok = steps_.acknowledge(s) || key.transaction == "997";
    }
    if (ok) {
        const RowSettings& r = rows_[std::size_t(index)];
        if (r.customActiveX == 1)
            ok = steps_.runPlugin(s, r.print == 1 ? 1 : 2);
        else if (r.print == 1)
            ok = steps_.printReport(s);
        else
            ok = steps_.exportReport(s);
    }
    if (!ok) {
        core::LogHistory(s, "Error", "Process Failed - " + key.text());
        return;
    }
    try {
        MoveInboxToRecycled(s, ids);
    } catch (...) {
        core::ReportError(s);
        return;
    }
    core::LogHistory(s, "Info", "Processed complete! " + key.text());
}

// ---- Scheduler ----

void Integrator::enqueue(int index, std::string announce) {
    for (const Pending& p : queue_)
        if (p.index == index) return;
    queue_.push_back(Pending{index, std::move(announce)});
}

void Integrator::Tick(const text::DateTime& now) {
    static constexpr int minutes[6] = {15, 30, 45, 60, 75, 90};
    for (int k = 0; k < 6; ++k)
        if (++counters_[std::size_t(k)] > minutes[k]) counters_[std::size_t(k)] = 1;

    // A time of day is due once when it lies in (last tick, now] of today.
    const int today = dayNumber(now);
    const int nowMinute = minuteOfDay(now);
    int lastMinute = nowMinute - 1;
    if (lastTick_) lastMinute = dayNumber(*lastTick_) == today ? minuteOfDay(*lastTick_) : -1;
    lastTick_ = now;

    const std::size_t count = rows_.size();
    lastTimeRun_.resize(count, -1);
    for (std::size_t i = 0; i < count; ++i) {
        const RowSettings& r = rows_[i];
        if (r.checkTime == 1 && r.days[std::size_t(dayIndex(now))] == 1) {
            const text::DateTime at = text::fromOleDate(r.time);
            const int m = minuteOfDay(at);
            // A clock set back passes the same minute again; a time changed later that day is new.
            const int due = today * 1440 + m;
            if (m > lastMinute && m <= nowMinute && lastTimeRun_[i] != due) {
                lastTimeRun_[i] = due;
                enqueue(int(i), "Ingtegrator Scheduled Task Started: " + r.key.text());
            }
        }
        if (r.checkInterval == 1 && r.interval >= 0 && r.interval < 6) {
            const int n = minutes[r.interval];
            if (counters_[std::size_t(r.interval)] == n)
                enqueue(int(i), "Ingtegrator Scheduled " + std::to_string(n) + " Minute Task Started: " + r.key.text());
        }
    }
    // Rows that come due while the main window is busy run at the first tick after it.
    if (!busy_ && !extracting_ && !queue_.empty() && !mainWindowBusy()) runHoldingBusy(std::nullopt, true);
}

}  // namespace vt::integrator
