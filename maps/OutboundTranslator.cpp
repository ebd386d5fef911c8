// The outbound half of the translator: the Integrator's layout and data files become Record, the
// outbound map (or a partner plug-in's Map method) turns Record into transaction sets, and the
// sets go out as one new interchange that LoadBox files in the Outbox.

#include "maps/MapTranslator.h"

#include "core/Envelopes.h"
#include "core/ErrorReporter.h"
#include "core/RecordLayout.h"
#include "core/Globals.h"
#include "core/Registry.h"
#include "core/RunError.h"
#include "core/Savepoint.h"
#include "core/StoredNumber.h"
#include "core/UiSink.h"
#include "folders/InterchangeReader.h"
#include "folders/OutputFile.h"
#include "folders/PreviewEdit.h"
#include "folders/Selection.h"
#include "maps/RecordLayoutFile.h"
#include "maps/clsScript.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Variant.h"
#include "platform/settings/Settings.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"
#include "platform/vbscript/ScriptControl.h"

#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>

namespace vt::maps {

using automation::Recordset;
using automation::Ref;
using automation::Variant;

namespace {

// The map's Transactions row: its GS01 group and GS08 version override.
struct SetRow {
    std::string group, versionOverride;
};

std::optional<SetRow> setRow(db::Database& db, const MapKey& key) {
    auto q = db.prepare(
        "SELECT \"Group\", Versionoverride FROM Transactions WHERE Partner = ?1 AND \"Transaction\" = ?2 AND "
        "Version = ?3 AND Direction = ?4 ORDER BY Id LIMIT 1");
    q.bindAll(key.partner, key.transaction, key.version, key.direction);
    if (!q.step()) return std::nullopt;
    return SetRow{q.text(0), q.text(1)};
}

std::string readWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw core::RunError(53, "File not found");
    std::ostringstream text;
    text << in.rdbuf();
    return std::move(text).str();
}

std::vector<std::string_view> split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> out;
    text::split(text, separator, out);
    return out;
}

// The sets of a plug-in's text: its ST segments, so GE01 is right however the plug-in numbers
// its sets.
std::int32_t countSets(std::string_view sets, std::string_view terminator, std::string_view delimiter) {
    std::int32_t n = 0;
    for (std::string_view piece : split(sets, terminator)) {
        while (!piece.empty() && (piece.front() == '\r' || piece.front() == '\n')) piece.remove_prefix(1);
        if (piece.substr(0, 2) == "ST" && piece.substr(2, delimiter.size()) == delimiter) ++n;
    }
    return n;
}

std::string nineDigits(std::int64_t n) {
    std::string digits = std::to_string(n);
    return std::string(digits.size() < 9 ? 9 - digits.size() : 0, '0') + digits;
}

}  // namespace

void ReadOutboundData(const core::Services& s, Recordset& record, std::string_view data) {
    const std::size_t length = data.size();
    std::size_t read = 0, at = 0;
    int shown = -1;
    const int max = int(std::min<std::size_t>(length + 2, 0x7fffffff));
    while (at < data.size()) {
        std::size_t end = data.find('\n', at);
        std::size_t next = end == std::string_view::npos ? data.size() : end + 1;
        std::string_view line = data.substr(at, (end == std::string_view::npos ? data.size() : end) - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        at = next;

        read += line.size() + 2;
        const int percent = int(std::lround(double(read) / double(length) * 100.0));
        if (percent != shown) {
            shown = percent;
            s.ui.progress(int(std::min<std::size_t>(read, std::size_t(max))), max);
            s.ui.status(3, text::formatNumber(percent, "###0") + " % Complete");
        }

        record.addNew();
        std::string_view rest = line;
        for (std::size_t f = 0; f < record.fieldCount(); ++f) {
            std::string_view value = rest;
            if (const std::size_t tab = rest.find('\t'); tab != std::string_view::npos) {
                value = rest.substr(0, tab);
                rest = rest.substr(tab + 1);
            }
            if (value.empty() && !automation::isTextType(record.fieldDef(f).type))
                record.setValue(f, Variant::null());
            else
                record.setValue(f, Variant(std::string(value)));
        }
        s.ui.yield();
        record.update();
        record.moveFirst();
    }
}

std::string MapTranslator::ProcessOutbound(const core::Services& s, const MapKey& key, bool silent,
                                           automation::ClassRegistry* registry) {
    if (std::string refused = refusal(key, "Process"); !refused.empty()) {
        core::LogHistory(s, "Error", refused);
        return refused;
    }
    Hold running(*this, running_, s);
    // Folder commands started from window events meanwhile would write inside the run's changes.
    folders::FolderCommand command;
    lastOutboundFile_.clear();
    beginRun(s, silent);

    std::string result;
    try {
        result = runOutbound(s, key, registry);
    } catch (...) {
        result = core::describeError(std::current_exception()).description;
        core::LogHistory(s, "Error", result);
    }
    endRun(s);
    return result;
}

std::string MapTranslator::runOutbound(const core::Services& s, const MapKey& key,
                                       automation::ClassRegistry* registry) {
    auto fail = [&](const std::string& why) {
        core::LogHistory(s, "Error", why);
        return why;
    };
    const std::optional<SetRow> row = setRow(s.db, key);
    if (!row) return fail("Map Not Found - " + key.text());
    for (const std::string* part : {&key.partner, &key.transaction, &key.version, &key.direction})
        if (!folders::IsPlainNamePart(*part)) throw core::invalidCallError();

    const std::filesystem::path import = FoldersSetting(s.settings, "Import");
    const std::string base = key.partner + "_" + key.transaction + "_" + key.version + "_";
    const std::filesystem::path layoutFile = import / (base + "O.ADO"), dataFile = import / (base + key.direction + ".IMP");
    // The extraction puts the layout in place after the data: a data file without one was never
    // finished, and no older layout may be read over it.
    std::error_code absent;
    if (!std::filesystem::exists(layoutFile, absent) && std::filesystem::exists(dataFile, absent))
        return fail("Record Layout Not Found - " + layoutFile.string() + ": extract the data again");
    Ref<Recordset> record = core::readRecordLayout(layoutFile);
    const std::string data = readWholeFile(dataFile);
    if (data.empty()) {
        const std::string info = "File length zero, No resutlts available for processing!";
        core::LogHistory(s, "Info", info);
        return info;
    }
    ReadOutboundData(s, *record, data);
    s.ui.clearProgress();
    s.ui.status(3, "");

    // A folder that is not there is known before any control number is taken.
    const std::filesystem::path outbound = FoldersSetting(s.settings, "Outbound");
    std::error_code missing;
    if (!std::filesystem::is_directory(outbound, missing)) throw core::RunError(76, "Path not found");

    const Separators separators{core::GetSegmentTerminator(s, key.partner), core::GetElementSeparator(s, key.partner),
                                core::GetSubElementSeparator(s, key.partner)};
    const std::string& t = separators.segmentTerminator;
    const std::string& e = separators.elementSeparator;
    const std::string isa = core::BuildISASegment(s, key.partner);
    const std::string gs = core::BuildGSSegment(s, key.partner, row->group,
                                                row->versionOverride.empty() ? key.version : row->versionOverride);
    const std::string failed = "Process Failed - " + key.text();
    if (t.empty() || e.empty() || isa.empty() || gs.empty()) return fail(failed);

    std::string sets;
    const std::string progId = core::GetTransactionActiveX(s, key.partner, key.transaction, key.version, "O", false);
    if (!progId.empty()) {
        automation::ClassRegistry& classes = registry ? *registry : automation::ClassRegistry::instance();
        if (!registry) classes.setPluginFolder(MapLayoutFolder(s.settings));
        automation::ObjectRef plugin = classes.create(progId);
        Variant args[4] = {Variant(record), Variant(t), Variant(e), Variant(separators.subElementSeparator)};
        Variant* slots[4] = {&args[0], &args[1], &args[2], &args[3]};
        sets = automation::toText(plugin->invoke("Map", automation::InvokeKind::Method, slots));
        setCount_ = countSets(sets, t, e);
        if (setCount_ == 0) sets.clear();   // text without a set is nothing to send
    } else {
        sets = MapOutbound(s, record, key, separators);
    }
    if (sets.empty()) return fail(failed);

    const std::vector<std::string_view> isaElements = split(isa, e), gsElements = split(gs, e);
    if (isaElements.size() < 14 || gsElements.size() < 7) throw core::subscriptError();
    const std::string isa13(isaElements[13]), gs06(gsElements[6]);
    std::string x12 = isa + gs + sets;
    x12 += "GE" + e + std::to_string(setCount_) + e + gs06 + t;
    x12 += "IEA" + e + "1" + e + isa13 + t;

    if (!core::gSilent && view_) view_->showTransaction(folders::PreviewText(sets, t));

    const std::filesystem::path file =
        folders::WriteNewFile(outbound, text::formatDate(s.clock.now(), "mmddyy-hhmmss AMPM"), ".OC", x12);
    const std::string refused = folders::LoadBox(s, file, "O");
    if (!refused.empty()) return fail(refused);
    lastOutboundFile_ = file;
    return {};
}

std::string MapTranslator::MapOutbound(const core::Services& s, const Ref<Recordset>& record, const MapKey& key,
                                       const Separators& separators) {
    // Resetting the host under a set in progress would pull its objects and code away; the
    // refused call leaves that run's set count alone.
    if (inSet_) {
        core::LogHistory(s, "Error", "Translation Refused: a translation is already running");
        return {};
    }
    Hold inSet(*this, inSet_, s);
    setCount_ = 0;
    const std::string& t = separators.segmentTerminator;
    const std::string& e = separators.elementSeparator;
    try {
        if (!record) throw core::invalidCallError();
        const Ref<clsScript> script = newScript(s, record, separators);

        // One commit for the run's control numbers instead of one per set; numbers taken by a
        // run that fails stay taken, so the savepoint is kept whatever happens.
        struct Batch {
            db::Database& db;
            std::optional<core::Savepoint> point;
            explicit Batch(db::Database& d) : db(d) { point.emplace(d, "map_outbound"); }
            ~Batch() {
                try {
                    point->release();
                } catch (...) {
                }
            }
        } batch(s.db);
        MapKey outbound = key;
        outbound.direction = "O";
        const Map map = LoadMap(s.db, outbound);

        Recordset& rs = *record;
        if (rs.recordCount() > 0) rs.moveFirst();
        // The sets built so far grow in place: a level leaves only its own segments in
        // objScript.Segments, so nothing of the earlier sets is copied again.
        std::string built;
        std::int32_t sets = 0;
        while (rs.recordCount() > 0 && !rs.eof()) {
            std::int32_t segmentCount = 2;
            const std::string number =
                core::NextTransactionControlNumber(s, key.partner, key.transaction, key.version, "O");
            if (number.empty()) return {};   // reported by the routine
            if (number.find_first_not_of("0123456789") != std::string::npos || number.size() > 9)
                throw core::typeMismatchError();
            const std::string control = nineDigits(std::stoll(number));
            built.append("ST").append(e).append(key.transaction).append(e).append(control).append(t);

            auto level = [&](std::string_view code) {
                const std::optional<std::string> segments = mapOutboundLevel(s, map, *script, code, segmentCount);
                if (segments) built += *segments;
                return segments.has_value();
            };
            if (!level("H")) return {};

            const Variant first = rs.value(std::size_t(0));
            if (first.isNull() || first.isEmpty()) throw core::invalidNullError();
            const std::string group = automation::toText(first);
            for (;;) {
                if (!level("D")) return {};
                rs.moveNext();
                if (rs.eof()) break;
                if (automation::toText(rs.value(std::size_t(0))) != group) break;
                s.ui.yield();
            }
            // The summary sees the group's own last row, not the next group's first.
            rs.movePrevious();
            if (!level("S")) return {};
            rs.moveNext();

            // A set with nothing between ST and SE is no document; it is never sent.
            if (segmentCount == 2) {
                core::LogHistory(s, "Error", "Empty Transaction Set - " + key.text());
                return {};
            }
            built.append("SE").append(e).append(std::to_string(segmentCount)).append(e).append(control).append(t);
            setCount_ = ++sets;
        }
        return built;
    } catch (...) {
        core::LogHistory(s, "Error", core::describeError(std::current_exception()).description);
        return {};
    }
}

std::optional<std::string> MapTranslator::mapOutboundLevel(const core::Services& s, const Map& map,
                                                           clsScript& script, std::string_view level,
                                                           std::int32_t& segmentCount) {
    script.Segments.clear();
    script.CurrentSegment.clear();
    const bool silent = core::gSilent;
    std::int32_t counted = 0;
    const SegmentRow* segment = nullptr;
    const ElementRow* element = nullptr;
    try {
        vbscript::ScriptControl& host = *control_;
        for (const SegmentRow& row : map.segments) {
            if (!text::equalsNoCase(row.level, level) || row.exclude) continue;
            segment = &row;
            script.CurrentSegment = row.segment;
            for (const ElementRow& el : row.elements) {
                element = &el;
                if (!el.exclude) {
                    if (!el.elementScript.empty()) host.addCode(el.elementScript);
                    if (!el.format.empty()) script.CurrentElement = FormatElementValue(script.CurrentElement, el.format);
                    script.CurrentSegment += script.ElementDelimiter + script.CurrentElement;
                    if (!silent && view_)
                        view_->appendImmediate(row.segment + text::formatNumber(double(el.elementIndex), "00") +
                                               " = " + script.CurrentElement + "\r\n");
                } else {
                    script.CurrentSegment += script.ElementDelimiter;
                }
                script.CurrentElement.clear();
            }
            element = nullptr;
            if (!row.segmentScript.empty()) host.addCode(row.segmentScript);
            if (!script.CurrentSegment.empty()) {
                script.CurrentSegment += script.SegmentTerminator;
                script.Segments += script.CurrentSegment;
                ++segmentCount;
                ++counted;
            }
            s.ui.yield();
        }
        return script.Segments;
    } catch (...) {
        segmentCount -= counted;
        const core::ErrorInfo error = core::describeError(std::current_exception());
        std::string text = error.description;
        if (error.number == 3265 && segment) {
            const std::string where = text::formatNumber(double(segment->segmentIndex), "00");
            text += element ? "-" + element->elementScript + "-Element = " + segment->segment + where
                            : "-" + segment->segmentScript + "-Segment = " + segment->segment + where;
        }
        core::LogHistory(s, "Error", text);
        return std::nullopt;
    }
}

}  // namespace vt::maps
