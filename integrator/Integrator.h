#pragma once
// The Integrator's state and behaviour, headless: the rows' working settings, the selected row,
// edit mode, the window's own ODBC connection, the results grid, runs of a transaction set and
// the one-minute scheduler. frmIntegrator shows it; tests drive it directly.

#include "core/Services.h"
#include "core/UiSink.h"
#include "integrator/Extraction.h"
#include "integrator/IntegratorSettings.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vt::integrator {

// What a run asks of the rest of the program. Every step reports its own failure (ReportError or
// a History row) and returns false then; `s` is the services the run works with (unattended for
// scheduled runs).
class IntegratorSteps {
public:
    virtual ~IntegratorSteps() = default;
    // Selects exactly the Inbox rows of the key; their row ids in list order (none: nothing to do).
    virtual std::vector<std::int64_t> selectInbox(const core::Services& s, const RowKey& key) = 0;
    // A 997 for the selected Inbox rows.
    virtual bool acknowledge(const core::Services& s) = 0;
    // The partner plug-in over the selection; mode 1 prints, 2 exports its report.
    virtual bool runPlugin(const core::Services& s, int mode) = 0;
    virtual bool printReport(const core::Services& s) = 0;
    virtual bool exportReport(const core::Services& s) = 0;
    // Translates the row's Import files into an outbound interchange; `position` is the row's
    // 1-based place in the list (the key names it without depending on list order).
    virtual bool processOutbound(const core::Services& s, const RowKey& key, int position) = 0;
};

// Moves exactly these Inbox rows (all 17 fields, as they stand) to Recycled in one transaction and
// refreshes both lists. Rows no longer in the Inbox are skipped. Throws on failure.
void MoveInboxToRecycled(const core::Services& s, const std::vector<std::int64_t>& ids);

// True while an Integrator run or extraction is under way (the main window stays open until then).
bool IsIntegratorRunning();

// A UiSink for runs nobody watches: forwards everything, answers no box (a question gets its
// negative answer, and its text goes to History, typed by the box's icon).
class UnattendedSink final : public core::ForwardingSink {
public:
    explicit UnattendedSink(core::UiSink& inner, const core::Services* log = nullptr) : ForwardingSink(inner), log_(log) {}
    void setLog(const core::Services* log) { log_ = log; }
    int messageBox(std::string_view text, int style, std::string_view title) override;
    std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> chooseFolder(std::string_view, const std::filesystem::path&) override {
        return std::nullopt;
    }
    std::vector<std::filesystem::path> openFiles(std::string_view, std::string_view, const std::filesystem::path&,
                                                 bool) override {
        return {};
    }
    bool unattended() const override { return true; }

private:
    const core::Services* log_;
};

class Integrator {
public:
    Integrator(const core::Services& s, IntegratorSteps& steps);
    ~Integrator();
    Integrator(const Integrator&) = delete;
    Integrator& operator=(const Integrator&) = delete;

    // ---- Rows ----
    // Reads every Transactions row and shows the first. A failing row ends the load (reported);
    // the rows before it stay listed.
    void Load();
    const std::vector<RowSettings>& rows() const { return rows_; }
    // The working settings of a row, for the window's controls to change.
    RowSettings& row(int index) { return rows_.at(std::size_t(index)); }
    int selected() const { return selected_; }
    // Selects a row and re-reads it from the table (unsaved changes give way to stored values).
    void select(int index);
    std::string caption() const { return caption_; }
    std::string description() const { return description_; }
    // The pickers of the date range, set from the selected row's day counts when it is shown.
    text::DateTime startPicker, endPicker;
    // The window is minimized: runs of the selected row then use its own day counts.
    bool minimized = false;

    // ---- Modify / Save ----
    bool editing() const { return editing_; }
    void cmdModify_Click();

    // ---- ODBC ----
    bool connected() const;
    bool ConnectDataSource(int index, const core::Services& s);
    void Disconnect(const core::Services& s);
    void cmdConnect_Click() { if (selected_ >= 0) ConnectDataSource(selected_, s_); }
    void cmdDisconnect_Click() { Disconnect(s_); }
    // Closes the connection without a word (the Close command). While an extraction reads it,
    // connecting, disconnecting and closing are refused.
    void closeConnection();

    // ---- Extraction and grid ----
    // Runs the row's statement; `ownRange` takes the dates from the row's day counts, else from
    // the pickers.
    bool ExecuteQuery(int index, const core::Services& s, bool ownRange);
    void cmdExecute_Click() { if (selected_ >= 0) ExecuteQuery(selected_, s_, minimized); }
    ResultGrid& grid() { return grid_; }
    // An extraction is under way (it runs on another thread while this one yields to events).
    bool extracting() const { return extracting_; }
    // Stops the extraction under way; its files stay as they were.
    void cmdCancel_Click() { if (extracting_) control_.cancel = true; }
    bool cancelling() const { return extracting_ && control_.cancel; }
    // A driver call of an extraction that lasts longer is cancelled.
    int queryTimeoutSeconds = odbc::kQueryTimeoutSeconds;
    void cmdSave_Click() { SaveResultsToImportFile(s_, grid_); }

    // ---- Runs ----
    bool busy() const { return busy_; }
    void cmdProcess_Click();
    // One run of a row, as Process and the scheduler start it (no busy handling of its own).
    void RunTransaction(int index, const core::Services& s, bool scheduled);
    // The window may close: never during a run or an extraction.
    bool QueryUnload() const { return !busy_ && !extracting_; }

    // ---- Scheduler ----
    // One tick of the one-minute timer at `now`. Due rows met during a run or an extraction, or
    // while the main window reads a file or runs a folder command, wait in a queue (each row once).
    void Tick(const text::DateTime& now);
    // Minute counters of 15 .. 90 minutes.
    const std::array<int, 6>& counters() const { return counters_; }
    std::size_t queued() const { return queue_.size(); }

    // Called when buttons or the grid must be shown again.
    std::function<void()> onChanged;
    std::function<void(bool)> onWait;
    // The count of records an extraction under way has read, about every 50 ms.
    std::function<void(std::uint64_t)> onProgress;

private:
    struct Pending {
        int index;
        std::string announce;
    };
    void changed() { if (onChanged) onChanged(); }
    void ShowTransactionSettings();
    void RunInboundTransaction(int index, const core::Services& s);
    // Runs `first` then everything queued meanwhile, holding the busy flag.
    void runHoldingBusy(std::optional<Pending> first, bool scheduled);
    void enqueue(int index, std::string announce);

    core::Services s_;
    UnattendedSink quietSink_;
    core::Services quiet_;
    IntegratorSteps& steps_;
    std::vector<RowSettings> rows_;
    int selected_ = -1;
    std::string caption_ = "Integrator";
    std::string description_;
    bool editing_ = false;
    std::unique_ptr<odbc::Connection> connection_;
    std::string connectedName_;
    ResultGrid grid_;
    ExtractionControl control_;
    bool busy_ = false;
    bool extracting_ = false;   // an extraction yields; a second one must not refill its grid
    std::deque<Pending> queue_;
    std::array<int, 6> counters_{};
    std::optional<text::DateTime> lastTick_;
    std::vector<int> lastTimeRun_;   // per row: day (OLE) x 1440 + minute of its last time-of-day run
};

}  // namespace vt::integrator
