#include "maps/MapModel.h"

#include "core/Savepoint.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace vt::maps {

namespace {

constexpr std::array<std::string_view, 3> kSegmentUsageCodes = {"M", "O", "F"};
constexpr std::array<std::string_view, 3> kSegmentLevelCodes = {"H", "D", "S"};
constexpr std::array<std::string_view, 4> kElementUsageCodes = {"M", "O", "C", "X"};
constexpr std::array<std::string_view, 15> kElementTypeCodes = {"ID", "AN", "DT", "TM", "R",  "N0", "N1", "N2",
                                                                "N3", "N4", "N5", "N6", "N7", "N8", "N9"};

template <std::size_t N>
std::optional<int> indexOf(const std::array<std::string_view, N>& codes, std::string_view code) {
    for (std::size_t i = 0; i < N; ++i)
        if (codes[i] == code) return int(i);
    return std::nullopt;
}
template <std::size_t N>
std::string codeAt(const std::array<std::string_view, N>& codes, int index) {
    return index >= 0 && std::size_t(index) < N ? std::string(codes[std::size_t(index)]) : std::string();
}

std::string twoDigits(std::int64_t n) { return text::formatNumber(double(n), "00"); }

void bindKey(db::Statement& q, const MapKey& key) {
    q.bindAll(key.partner, key.transaction, key.version, key.direction);
}

}  // namespace

std::string MapKey::text() const { return partner + "_" + transaction + "_" + version + "_" + direction; }

Map LoadMap(db::Database& db, const MapKey& key) {
    Map map;
    map.key = key;
    auto seg = db.prepare(
        "SELECT Id, Segment, SegmentIndex, SegmentName, SegmentUsage, Level, Node, Looping, MaxUsageLoop, "
        "Placeholders, Exclude, Expanded, SegmentScript FROM Segment WHERE Partner = ?1 AND \"Transaction\" = ?2 "
        "AND Version = ?3 AND Direction = ?4 ORDER BY SegmentIndex, Id");
    bindKey(seg, key);
    std::unordered_map<std::int64_t, std::vector<std::size_t>> byIndex;
    while (seg.step()) {
        SegmentRow r;
        r.id = seg.int64(0);
        r.segment = seg.text(1);
        r.segmentIndex = seg.int64(2);
        r.segmentName = seg.text(3);
        r.segmentUsage = seg.text(4);
        r.level = seg.text(5);
        r.node = seg.int64(6);
        r.looping = seg.int64(7) != 0;
        r.maxUsageLoop = seg.int64(8);
        r.placeholders = seg.int64(9);
        r.exclude = seg.int64(10) != 0;
        r.expanded = seg.int64(11) != 0;
        r.segmentScript = seg.text(12);
        byIndex[r.segmentIndex].push_back(map.segments.size());
        map.segments.push_back(std::move(r));
    }

    auto el = db.prepare(
        "SELECT Id, Segment, SegmentIndex, ElementIndex, ElementName, ElementUsage, Type, Minimum, Maximum, "
        "Reference, Format, Exclude, ElementScript FROM Element WHERE Partner = ?1 AND \"Transaction\" = ?2 "
        "AND Version = ?3 AND Direction = ?4 ORDER BY SegmentIndex, ElementIndex, Id");
    bindKey(el, key);
    while (el.step()) {
        auto at = byIndex.find(el.int64(2));
        if (at == byIndex.end()) continue;
        ElementRow r;
        r.id = el.int64(0);
        r.segment = el.text(1);
        r.segmentIndex = el.int64(2);
        r.elementIndex = el.int64(3);
        r.elementName = el.text(4);
        r.elementUsage = el.text(5);
        r.type = el.text(6);
        r.minimum = el.int64(7);
        r.maximum = el.int64(8);
        r.reference = el.int64(9);
        r.format = el.text(10);
        r.exclude = el.int64(11) != 0;
        r.elementScript = el.text(12);
        for (std::size_t i : at->second)
            if (text::equalsNoCase(map.segments[i].segment, r.segment)) {
                map.segments[i].elements.push_back(r);
                break;
            }
    }
    return map;
}

std::vector<MapKey> ListMaps(db::Database& db) {
    std::vector<MapKey> out;
    auto q = db.prepare(
        "SELECT Partner, \"Transaction\", Version, Direction FROM Transactions ORDER BY Partner ASC, Id ASC");
    while (q.step()) out.push_back(MapKey{q.text(0), q.text(1), q.text(2), q.text(3)});
    return out;
}

namespace {

void deleteRows(db::Database& db, const MapKey& key) {
    for (const char* sql : {"DELETE FROM Element WHERE Partner = ?1 AND \"Transaction\" = ?2 AND Version = ?3 "
                            "AND Direction = ?4",
                            "DELETE FROM Segment WHERE Partner = ?1 AND \"Transaction\" = ?2 AND Version = ?3 "
                            "AND Direction = ?4"}) {
        auto q = db.prepare(sql);
        bindKey(q, key);
        q.run();
    }
}

}  // namespace

void SaveMap(db::Database& db, Map& map) {
    core::Savepoint change(db, "save_map");
    deleteRows(db, map.key);
    auto seg = db.prepare(
        "INSERT INTO Segment (Partner, \"Transaction\", Version, Direction, Segment, SegmentIndex, SegmentName, "
        "SegmentUsage, Level, Node, Looping, MaxUsageLoop, Placeholders, Exclude, Expanded, SegmentScript) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16)");
    auto el = db.prepare(
        "INSERT INTO Element (Partner, \"Transaction\", Version, Direction, Segment, SegmentIndex, ElementIndex, "
        "ElementName, ElementUsage, Type, Minimum, Maximum, Reference, Format, Exclude, ElementScript) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16)");
    const MapKey& k = map.key;
    for (SegmentRow& s : map.segments) {
        seg.bindAll(k.partner, k.transaction, k.version, k.direction, s.segment, s.segmentIndex, s.segmentName,
                    s.segmentUsage, s.level, s.node, s.looping, s.maxUsageLoop, s.placeholders, s.exclude, s.expanded,
                    s.segmentScript);
        seg.run();
        s.id = db.lastInsertId();
        for (ElementRow& e : s.elements) {
            el.bindAll(k.partner, k.transaction, k.version, k.direction, e.segment, e.segmentIndex, e.elementIndex,
                       e.elementName, e.elementUsage, e.type, e.minimum, e.maximum, e.reference, e.format, e.exclude,
                       e.elementScript);
            el.run();
            e.id = db.lastInsertId();
        }
    }
    change.release();
}

void DeleteMap(db::Database& db, const MapKey& key) {
    core::Savepoint change(db, "delete_map");
    deleteRows(db, key);
    change.release();
}

std::string SegmentKey(std::int64_t node, std::int64_t segmentIndex) {
    return "Segment" + twoDigits(node) + twoDigits(segmentIndex);
}

std::string ElementKey(std::int64_t node, std::int64_t segmentIndex, std::int64_t elementIndex) {
    return "Element" + twoDigits(node) + twoDigits(segmentIndex) + twoDigits(elementIndex);
}

TreeKey ParseTreeKey(std::string_view key) {
    TreeKey out;
    const std::string lower = text::toLower(key);
    std::string_view word;
    if (lower.find("segment") != std::string::npos) {
        out.kind = TreeKey::Segment;
        word = "Segment";
    } else if (lower.find("element") != std::string::npos) {
        out.kind = TreeKey::Element;
        word = "Element";
    } else if (lower.find("root") != std::string::npos) {
        out.kind = TreeKey::Root;
        return out;
    } else {
        return out;
    }
    std::string rest(key);
    for (std::size_t at; (at = rest.find(word)) != std::string::npos;) rest.erase(at, word.size());
    auto field = [&](std::size_t from) -> std::int16_t {
        const std::string digits = from < rest.size() ? rest.substr(from, 2) : std::string();
        const double v = text::val(digits);
        return std::int16_t(std::clamp(v, -32768.0, 32767.0));
    };
    out.node = field(0);
    out.segmentIndex = field(2);
    if (out.kind == TreeKey::Element) out.elementIndex = field(4);
    return out;
}

std::optional<int> SegmentUsageIndex(std::string_view code) { return indexOf(kSegmentUsageCodes, code); }
std::optional<int> SegmentLevelIndex(std::string_view code) { return indexOf(kSegmentLevelCodes, code); }
std::optional<int> ElementUsageIndex(std::string_view code) { return indexOf(kElementUsageCodes, code); }
std::optional<int> ElementTypeIndex(std::string_view code) { return indexOf(kElementTypeCodes, code); }
std::string SegmentUsageCode(int index) { return codeAt(kSegmentUsageCodes, index); }
std::string SegmentLevelCode(int index) { return codeAt(kSegmentLevelCodes, index); }
std::string ElementUsageCode(int index) { return codeAt(kElementUsageCodes, index); }
std::string ElementTypeCode(int index) { return codeAt(kElementTypeCodes, index); }

}  // namespace vt::maps
