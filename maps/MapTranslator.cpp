#include "maps/MapTranslator.h"

#include "core/Envelopes.h"
#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RecordLayout.h"
#include "core/RunError.h"
#include "core/Savepoint.h"
#include "core/UiSink.h"
#include "folders/InterchangeReader.h"
#include "folders/PreviewEdit.h"
#include "folders/Progress.h"
#include "folders/UniqueSelection.h"
#include "maps/RecordLayoutFile.h"
#include "maps/clsScript.h"
#include "platform/automation/Variant.h"
#include "platform/text/Text.h"
#include "platform/vbscript/ScriptControl.h"
#include "platform/vbscript/ScriptUiFor.h"

#include <cctype>
#include <functional>
#include <optional>
#include <vector>

namespace vt::maps {

using automation::Recordset;
using automation::Ref;
using automation::Variant;

namespace {

using text::split;

std::string_view segmentId(std::string_view piece, std::string_view separator) {
    const std::size_t at = separator.empty() ? std::string_view::npos : piece.find(separator);
    return at == std::string_view::npos ? piece : piece.substr(0, at);
}

// Whether the picture formats dates and times rather than numbers.
bool isDatePicture(std::string_view picture) {
    bool date = false;
    bool quoted = false;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        const char c = picture[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\\') {
            ++i;
            continue;
        }
        if (c == '0' || c == '#') return false;
        switch (std::tolower(static_cast<unsigned char>(c))) {
        case 'd': case 'm': case 'y': case 'h': case 'n': case 's': case 'w': case 'q': case 'a': date = true; break;
        default: break;
        }
    }
    return date;
}

std::string errorDescription(std::exception_ptr error) { return core::describeError(error).description; }

// Finds the map row of a data segment: one SegmentIndex forward for a new id (back to a loop's
// start after a row deeper than level 1), the same row for a repeated id.
class SegmentMatcher {
public:
    SegmentMatcher(const Map& map) : map_(map), mapCount_(std::int32_t(map.segments.size())) {}

    // The row, or null once the probes are spent.
    const SegmentRow* match(std::string_view id, const std::function<void(bool repeated)>& search) {
        for (;;) {
            const bool repeated = id == previous_;
            if (!repeated) {
                ++candidate_;
                if (lastNode_ > 1) {
                    candidate_ -= lastNode_;
                    lastNode_ = 1;
                }
            }
            if (search) search(repeated);
            if (const SegmentRow* row = find(id, candidate_)) {
                probes_ = 1;
                lastNode_ = row->node;
                previous_.assign(id);
                return row;
            }
            if (++probes_ > mapCount_ + 10) return nullptr;
        }
    }

private:
    const SegmentRow* find(std::string_view id, std::int64_t index) const {
        // Rows are in SegmentIndex order and, by the map's rules, numbered 1..N.
        if (index >= 1 && std::size_t(index) <= map_.segments.size()) {
            const SegmentRow& guess = map_.segments[std::size_t(index - 1)];
            if (guess.segmentIndex == index && text::equalsNoCase(guess.segment, id)) return &guess;
        }
        for (const SegmentRow& row : map_.segments)
            if (row.segmentIndex == index && text::equalsNoCase(row.segment, id)) return &row;
        return nullptr;
    }

    const Map& map_;
    std::int32_t mapCount_;
    std::int64_t candidate_ = 0;
    std::int64_t lastNode_ = 1;
    std::string previous_;
    std::int32_t probes_ = 0;
};

}  // namespace

std::string FormatElementValue(std::string_view value, std::string_view picture) {
    if (picture.empty()) return std::string(value);
    if (isDatePicture(picture)) {
        std::optional<double> date = automation::parseDate(value);
        if (!date) {
            const std::optional<double> number = automation::parseNumber(value);
            if (number && *number >= -657434.0 && *number < 2958466.0) date = number;
        }
        return date ? text::formatDate(*date, picture) : std::string(value);
    }
    const std::optional<double> number = automation::parseNumber(value);
    return number ? text::formatNumber(*number, picture) : std::string(value);
}

MapTranslator::MapTranslator() : control_(std::make_unique<vbscript::ScriptControl>()) {
    control_->setTimeout(kScriptTimeout);
    control_->setTimeoutHandler([this] { timedOut_ = true; });
    control_->setErrorHandler([this](const vbscript::ScriptError& e) { reportScriptError(e); });
}

MapTranslator::~MapTranslator() = default;

MapTranslator::Hold::Hold(MapTranslator& t, bool& flag, const core::Services& s)
    : t_(t), flag_(flag), outer_(std::exchange(t.services_, &s)) {
    flag_ = true;
}

MapTranslator::Hold::~Hold() {
    flag_ = false;
    t_.services_ = outer_;
}

std::string MapTranslator::refusal(const MapKey& key, std::string_view what) const {
    const std::string refused = key.text() + " " + std::string(what) + " Refused: ";
    if (running_ || inSet_) return refused + "a translation is already running";
    if (folders::IsReadingInterchange()) return refused + "an interchange file is being read";
    return {};
}

void MapTranslator::beginRun(const core::Services& s, bool silent) {
    core::gSilent = silent;
    control_->setUi(vbscript::scriptUiFor(s.ui));
    control_->setClock(&s.clock);
    if (view_) {
        view_->clearImmediate();
        view_->setControlsEnabled(false);
    }
}

void MapTranslator::endRun(const core::Services& s) {
    control_->setUi(vbscript::ScriptUi{});
    control_->setClock(nullptr);
    s.ui.clearProgress();
    s.ui.status(3, "");
    if (view_) view_->setControlsEnabled(true);
}

Ref<clsScript> MapTranslator::newScript(const core::Services& s, const Ref<Recordset>& record,
                                        const Separators& separators) {
    control_->reset();
    auto script = automation::makeRef<clsScript>(s, [this](std::string_view text) {
        if (view_) view_->appendImmediate(text);
    });
    script->ElementDelimiter = separators.elementSeparator;
    script->SegmentTerminator = separators.segmentTerminator;
    script->SubElementSeparator = separators.subElementSeparator;
    control_->addObject("objScript", Variant(script));
    control_->addObject("Record", record ? Variant(record) : Variant::nothing());
    return script;
}

void MapTranslator::reportScriptError(const vbscript::ScriptError& e) {
    if (!services_) return;
    const core::Services& s = *services_;
    const std::string number = std::to_string(e.number);
    const std::string line = std::to_string(e.line);
    const std::string column = std::to_string(e.column);
    if (!core::gSilent && !s.ui.unattended()) {
        s.ui.messageBox("Description:   " + e.description + "\r\nScript Text:   " + e.lineText +
                            "\r\nError Number:  " + number + "\r\nLine Number:   " + line +
                            "\r\nColumn Number: " + column,
                        core::vbCritical | core::vbOKOnly, "Script Error");
        return;
    }
    core::LogHistory(s, "Error", "Description: " + e.description);
    core::LogHistory(s, "Error", "Script Text: " + e.lineText);
    core::LogHistory(s, "Error", "Error Number: " + number);
    core::LogHistory(s, "Error", "Line Number: " + line);
    core::LogHistory(s, "Error", "Column Number: " + column);
}

bool MapTranslator::MapInbound(const core::Services& s, const Ref<Recordset>& record, const Map& map,
                               std::string_view tset, const Separators& separators) {
    // Resetting the host under a set in progress would pull its objects and code away.
    if (inSet_) {
        core::LogHistory(s, "Error", "Translation Refused: a translation is already running");
        return false;
    }
    Hold inSet(*this, inSet_, s);

    const std::string& terminator = separators.segmentTerminator;
    const std::string& delimiter = separators.elementSeparator;
    const std::string& marker = separators.subElementSeparator;
    const bool silent = core::gSilent;
    std::vector<std::string_view> pieces;
    std::vector<std::string> elements;
    std::vector<std::string_view> parts;
    std::string id;
    std::size_t k = 0;
    std::optional<folders::ItemProgress> progress;
    auto endProgress = [&] {
        if (progress) progress->finish();
        else {
            s.ui.clearProgress();
            s.ui.status(3, "");
        }
    };
    try {
        vbscript::ScriptControl& host = *control_;
        const Ref<clsScript> script = newScript(s, record, separators);

        // A set split without its partner's separators would run as one unmatched piece.
        if (terminator.empty() || delimiter.empty()) throw core::invalidCallError();
        split(tset, terminator, pieces);
        const std::size_t bodyCount = pieces.size() >= 3 ? pieces.size() - 3 : 0;
        progress.emplace(s.ui, std::int64_t(bodyCount), folders::ItemProgress::Rounding::HalfAwayFromZero, 1);

        SegmentMatcher matcher(map);
        std::size_t searchAt = 0;
        const bool searching = view_ && !silent && !paneText_.empty();
        for (std::size_t i = 1; i <= bodyCount; ++i) {
            if (timedOut_) return false;
            k = 0;
            progress->show(std::int64_t(i));
            progress->tick();

            script->PreviousSegment.assign(segmentId(pieces[i - 1], delimiter));
            script->NextSegment.assign(segmentId(pieces[i + 1], delimiter));
            split(pieces[i], delimiter, parts);
            elements.assign(parts.begin(), parts.end());
            id = elements[0];

            const SegmentRow* row = matcher.match(id, [&](bool repeated) {
                if (!searching || id.empty()) return;
                if (auto hit = folders::FindWholeWord(paneText_, id, repeated ? searchAt + 1 : searchAt)) {
                    searchAt = hit->offset;
                    view_->selectTransaction(hit->offset, hit->length);
                }
            });
            if (!row) {
                core::LogHistory(s, "Error", id + " - Segment Sequence - Verify Mapping");
                endProgress();
                return false;
            }
            if (!row->segmentScript.empty()) host.addCode(row->segmentScript);

            const std::vector<ElementRow>& rows = row->elements;
            while (elements.size() - 1 < rows.size()) elements.push_back(marker);
            const std::size_t last = elements.size() - 1;
            for (k = 1; k <= last; ++k) {
                // A data element beyond the map's element rows has no row to pair with.
                if (k > rows.size()) throw core::noCurrentRecordError();
                const ElementRow& el = rows[k - 1];
                script->NextElement = elements[k < last ? k + 1 : k];
                script->PreviousElement = elements[k > 1 ? k - 1 : k];
                if (el.exclude) continue;
                script->CurrentElement =
                    el.format.empty() ? elements[k] : FormatElementValue(elements[k], el.format);
                if (!el.elementScript.empty()) host.addCode(el.elementScript);
            }
            k = last;
            s.ui.yield();
        }
        endProgress();
        return true;
    } catch (...) {
        const std::string description = errorDescription(std::current_exception());
        endProgress();
        core::LogHistory(s, "Error", "Error - " + description + " - Element = " + id +
                                         text::formatNumber(double(k), "00") + " Verify Mapping");
        return false;
    }
}

Ref<Recordset> MapTranslator::TranslateAll(const core::Services& s, const folders::FolderSelection& list,
                                           const MapKey& key, bool exportRun, bool silent) {
    if (const std::string refused = refusal(key, "Translation"); !refused.empty()) {
        core::LogHistory(s, "Error", refused);
        return {};
    }
    Hold running(*this, running_, s);
    // Folder commands started from window events meanwhile would share the run's savepoint.
    folders::FolderCommand command;
    timedOut_ = false;
    beginRun(s, silent);

    Ref<Recordset> record;
    try {
        record = core::readRecordLayout(RecordLayoutPath(s.settings, key));
    } catch (...) {
        const core::ErrorInfo error = core::describeError(std::current_exception());
        if (silent || s.ui.unattended())
            core::LogHistory(s, "Error", std::to_string(error.number) + " " + error.description);
        else
            core::ReportError(s, error);
        endRun(s);
        return {};
    }

    std::optional<core::Savepoint> batch;
    try {
        const std::string table(folders::itemTable(list.table));
        Separators separators{core::GetSegmentTerminator(s, key.partner), core::GetElementSeparator(s, key.partner),
                              core::GetSubElementSeparator(s, key.partner)};
        s.ui.yield();
        const Map map = LoadMap(s.db, key);

        batch.emplace(s.db, "translate_all");
        auto& read = s.db.cached("SELECT TSet FROM \"" + table + "\" WHERE Id = ?1");
        auto& write = s.db.cached("UPDATE OR FAIL \"" + table + "\" SET Status = ?1 WHERE Id = ?2");
        const std::string_view passed = exportRun ? "Exported" : "Opened";
        std::int64_t translated = 0, failed = 0;
        std::string tset;
        for (std::int64_t id : list.selectedIds()) {
            read.reset();
            read.bind(1, id);
            if (!read.step()) continue;   // removed since the list was filled
            tset = read.text(0);
            read.reset();
            if (view_) {
                const std::string pane = folders::PreviewText(tset, separators.segmentTerminator);
                view_->showPreview(pane);
                if (!silent) {
                    paneText_ = pane;
                    view_->showTransaction(pane);
                }
            }
            const bool ok = MapInbound(s, record, map, tset, separators);
            write.reset();
            write.bindAll(ok ? passed : std::string_view("Error"), id);
            write.run();
            if (!ok) core::LogHistory(s, "Error", "Translation Failed");
            ++translated;
            if (!ok) ++failed;
        }
        paneText_.clear();
        batch->release();
        batch.reset();
        s.ui.folderChanged(table);
        core::LogHistory(s, "Info", key.text() + " Translated: " + std::to_string(translated) +
                                        " Errors: " + std::to_string(failed));
        endRun(s);
        return record;
    } catch (...) {
        const std::string description = errorDescription(std::current_exception());
        paneText_.clear();
        // The Status written so far stays.
        if (batch) {
            try {
                batch->release();
            } catch (...) {
            }
        }
        batch.reset();
        endRun(s);
        core::LogHistory(s, "Error", description);
        return {};
    }
}

void MapTranslator::ProcessInbound(const core::Services& s, const folders::FolderSelection& inbox,
                                   const MapKey& mapOfList) {
    if (!inbox.anySelected()) {
        core::ShowNotice(s, "The Inbox is empty! ", core::vbExclamation | core::vbOKOnly);
        return;
    }
    const auto kind = folders::UniqueSelection(s, inbox);
    if (!kind) return;
    if (kind->partner != mapOfList.partner || kind->transaction != mapOfList.transaction ||
        kind->version != mapOfList.version || kind->direction != mapOfList.direction) {
        core::ShowNotice(s, "Selected Inbox Transaction does not match currently selected Transaction",
                         core::vbExclamation | core::vbOKOnly);
        return;
    }
    TranslateAll(s, inbox, mapOfList, false, false);
}

MapTranslator& SharedTranslator() {
    static MapTranslator translator;
    return translator;
}

Ref<Recordset> TranslateAll(const core::Services& s, const folders::FolderSelection& list, const MapKey& key,
                            bool exportRun, bool silent) {
    return SharedTranslator().TranslateAll(s, list, key, exportRun, silent);
}

}  // namespace vt::maps
