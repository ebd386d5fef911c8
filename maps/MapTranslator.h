#pragma once
// The inbound translator and the map script host. TranslateAll walks the selected sets of a
// folder list through the partner's map: each set gets a freshly reset host, a new objScript
// (clsScript) and the shared Record; the map's segment and element scripts fill Record through
// objScript.LinesToRecord. Status of each row becomes "Opened"/"Exported" or "Error"; History gets
// the failures and a summary. One MapTranslator is the program's host (SharedTranslator()); the
// designer window, the main window's reports and plug-in runs and the Integrator all use it.

#include "core/Services.h"
#include "folders/Selection.h"
#include "folders/UniqueSelection.h"
#include "maps/MapModel.h"
#include "platform/automation/Recordset.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vt::automation {
class ClassRegistry;
}

namespace vt::vbscript {
class ScriptControl;
struct ScriptError;
}  // namespace vt::vbscript

namespace vt::maps {

class clsScript;

// The designer's panes and controls while a translation runs; every member does nothing unless
// overridden. The designer window (and, for the preview, the main window) implement it.
class TranslatorView {
public:
    virtual ~TranslatorView() = default;
    // The map list, segment tree, property panels and tab control; off for the whole run.
    virtual void setControlsEnabled(bool enabled) {}
    virtual void clearImmediate() {}
    // Appends "name = value" CR LF lines of the stored fields (not in silent runs).
    virtual void appendImmediate(std::string_view text) {}
    // The Transaction pane: the set one segment a line (not in silent runs), and the segment
    // being matched.
    virtual void showTransaction(std::string_view text) {}
    virtual void selectTransaction(std::size_t offset, std::size_t length) {}
    // The main window's preview of the set being translated, one segment a line.
    virtual void showPreview(std::string_view text) {}
};

struct Separators {
    std::string segmentTerminator, elementSeparator, subElementSeparator;
};

// The Format picture of a map element applied to an element's text: numbers by number pictures
// (0, #, ",", "."), dates and times by date pictures (y, m, d, h, n, s, AMPM); a value the picture
// cannot take is left as it is.
std::string FormatElementValue(std::string_view value, std::string_view picture);

class MapTranslator {
public:
    static constexpr long kScriptTimeout = 60000;   // milliseconds a script run may take

    MapTranslator();
    ~MapTranslator();
    MapTranslator(const MapTranslator&) = delete;
    MapTranslator& operator=(const MapTranslator&) = delete;

    void setView(TranslatorView* view) { view_ = view; }
    TranslatorView* view() const { return view_; }

    // Translates the selected rows of `list` (in list order, by row id) through the map of `key`.
    // Sets core::gSilent to `silent` (it stays so). Returns the filled record set, or nothing when
    // the run itself failed: layout file unreadable ("Error" History row, boxed unless silent),
    // a database failure (its description as an "Error" row), or a translation already running
    // on this host (refused with an "Error" row). Rows: "Exported" when `exportRun`, else
    // "Opened", "Error" for a failed set (History "Translation Failed"). Summary row:
    // "<key> Translated: n Errors: m"; the list is refreshed.
    automation::Ref<automation::Recordset> TranslateAll(const core::Services& s, const folders::FolderSelection& list,
                                                        const MapKey& key, bool exportRun, bool silent);

    // Translates one set (ST to SE, each segment followed by the terminator) into `record` with
    // `map`; true when the set ran to its end. Failures are logged here. Refused (false, with an
    // "Error" History row) while another set runs on this host.
    bool MapInbound(const core::Services& s, const automation::Ref<automation::Recordset>& record, const Map& map,
                    std::string_view tset, const Separators& separators);

    // The designer's test run of map `mapOfList` over the Inbox selection: refuses an empty
    // selection ("The Inbox is empty! ") or one of another map ("Selected Inbox Transaction does
    // not match currently selected Transaction"), else translates it (not silent).
    void ProcessInbound(const core::Services& s, const folders::FolderSelection& inbox, const MapKey& mapOfList);

    // ---- Outbound ----
    // The outbound run of the map named by `key` (its Transactions row gives the GS01 group and
    // the GS08 version override; an empty override takes the map's Version): the Import folder's
    // "<key>.ADO" layout and "<key>.IMP" data become Record, the map (or the plug-in class that
    // the set's row names, created through `registry`, by default the program's one, looking in
    // the ActiveX folder) turns Record into sets, which go out as one interchange with fresh
    // envelopes: "<Outbound>/mmddyy-hhmmss AMPM.OC" ("-2", "-3", ... when taken), then LoadBox
    // into the Outbox. Returns "" when the file was written and loaded; otherwise the reason,
    // which is also logged as an "Error" History row (an empty data file is an "Info" row and
    // returns its text). Sets core::gSilent to `silent`. Refused while a run is in progress.
    std::string ProcessOutbound(const core::Services& s, const MapKey& key, bool silent,
                                automation::ClassRegistry* registry = nullptr);
    // The sets of `record` through the outbound map of `key`: one set per run of consecutive rows
    // with the same first field; heading once, detail per row, summary once (Record on the
    // group's last row). "" when anything failed (logged): a level's script or database error,
    // a set with nothing between ST and SE, a control number that cannot be taken.
    std::string MapOutbound(const core::Services& s, const automation::Ref<automation::Recordset>& record,
                            const MapKey& key, const Separators& separators);
    // Sets built by the last MapOutbound or plug-in run (GE01).
    std::int32_t setCount() const { return setCount_; }
    // The interchange file of the last successful ProcessOutbound.
    const std::filesystem::path& lastOutboundFile() const { return lastOutboundFile_; }

    // Set by a script time-out; every later set of the same run fails before its next segment.
    // Cleared at the start of each TranslateAll.
    bool scriptTimedOut() const { return timedOut_; }
    bool running() const { return running_; }

    // The script host, for hosts that tune it (time-out, limits, a test clock).
    vbscript::ScriptControl& scriptControl() { return *control_; }

private:
    // Holds `flag` (running_ or inSet_) and the host's services for a scope, giving back the
    // outer services at its end.
    class Hold {
    public:
        Hold(MapTranslator& t, bool& flag, const core::Services& s);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        MapTranslator& t_;
        bool& flag_;
        const core::Services* outer_;
    };
    // Why a run cannot start now ("" when it can): a run or set on this host, or an interchange
    // file being read. `what` names the run in the text ("Translation", "Process").
    std::string refusal(const MapKey& key, std::string_view what) const;
    // The run's script ports and silent switch; the view cleared and its controls off.
    void beginRun(const core::Services& s, bool silent);
    // The ports forgotten (they may not outlive the run), progress and panel 3 cleared, the
    // view's controls on again.
    void endRun(const core::Services& s);
    // A freshly reset host with a new objScript (separators set) and `record` as Record.
    automation::Ref<clsScript> newScript(const core::Services& s, const automation::Ref<automation::Recordset>& record,
                                         const Separators& separators);
    void reportScriptError(const vbscript::ScriptError& e);
    std::string runOutbound(const core::Services& s, const MapKey& key, automation::ClassRegistry* registry);
    std::optional<std::string> mapOutboundLevel(const core::Services& s, const Map& map, clsScript& script,
                                                std::string_view level, std::int32_t& segmentCount);

    std::unique_ptr<vbscript::ScriptControl> control_;
    TranslatorView* view_ = nullptr;
    const core::Services* services_ = nullptr;   // of the run in progress
    bool timedOut_ = false;
    bool running_ = false;
    bool inSet_ = false;
    std::string paneText_;   // what the Transaction pane shows
    std::int32_t setCount_ = 0;
    std::filesystem::path lastOutboundFile_;
};

// The map of a unique selection (UniqueSelection's kind).
inline MapKey MapKeyOf(const folders::SelectionKind& kind) {
    return MapKey{kind.partner, kind.transaction, kind.version, kind.direction};
}

// The Integrator's data file text into `record` (open, empty): one row a line (CR LF or LF), the
// values split at TAB in field order; a line with fewer values than fields gives its last value to
// the rest, surplus values are dropped. An empty value is the empty text, or Null in a field that
// holds no text. Progress goes to the progress bar and status panel 3.
void ReadOutboundData(const core::Services& s, automation::Recordset& record, std::string_view data);

// The program's one translator and script host (the map designer's).
MapTranslator& SharedTranslator();

// Shorthands over SharedTranslator().
automation::Ref<automation::Recordset> TranslateAll(const core::Services& s, const folders::FolderSelection& list,
                                                    const MapKey& key, bool exportRun, bool silent);

}  // namespace vt::maps
