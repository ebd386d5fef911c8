#include "setup/PartnerFields.h"

#include "core/UiSink.h"

#include <cstdio>
#include <cstdlib>

namespace vt::setup {

const std::array<PartnerTextField, 13> kPartnerTextFields = {{
    {"ISA01", "txtISA01", "Authorization Information Qualifier", 2, &PartnerRow::isa01},
    {"ISA02", "txtISA02", "Authorization Information", 10, &PartnerRow::isa02},
    {"ISA03", "txtISA03", "Security Information Qualifier", 2, &PartnerRow::isa03},
    {"ISA04", "txtISA04", "Security Information", 10, &PartnerRow::isa04},
    {"ISA05", "txtISA05", "Interchange ID Qualifier", 2, &PartnerRow::isa05},
    {"ISA06", "txtISA06", "Interchange Sender ID", 15, &PartnerRow::isa06},
    {"ISA07", "txtISA07", "Interchange ID Qualifier", 2, &PartnerRow::isa07},
    {"ISA08", "txtISA08", "Interchange Receiver ID", 15, &PartnerRow::isa08},
    {"ISA11", "txtISA11", "Interchange Standards Identifier", 1, &PartnerRow::isa11},
    {"ISA12", "txtISA12", "Interchange Version", 5, &PartnerRow::isa12},
    {"GS02", "txtGS02", "Applications Sender's Code", 15, &PartnerRow::gs02},
    {"GS03", "txtGS03", "Applications Receiver Code", 15, &PartnerRow::gs03},
    {"GS07", "txtGS07", "Responsible Agency Code", 1, &PartnerRow::gs07},
}};

const std::array<PartnerDisplayField, 6> kPartnerDisplayFields = {{
    {"txtISA09", "Interchange Date", 6},
    {"txtISA10", "Interchange Time", 4},
    {"txtGS01", "Functional Identifier Code", 2},
    {"txtGS04", "Group Date", 8},
    {"txtGS05", "Group Time", 8},
    {"txtGS08", "Version/Release", 12},
}};

namespace {

std::string textOf(const db::Statement& q, int col) {
    const db::Value v = q.value(col);
    if (auto* s = std::get_if<std::string>(&v)) return *s;
    if (auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (auto* d = std::get_if<double>(&v)) return text::formatNumber(*d, "");
    return "";
}

int numberOf(const db::Statement& q, int col, int low, int high) {
    const db::Value v = q.value(col);
    long long n = 0;
    if (auto* i = std::get_if<std::int64_t>(&v)) n = *i;
    else if (auto* d = std::get_if<double>(&v)) n = static_cast<long long>(*d);
    else if (auto* s = std::get_if<std::string>(&v)) {
        const std::string t = text::trim(*s);
        if (!isControlNumberText(t) || t.size() > 9) return 0;
        n = std::atoll(t.c_str());
    }
    return (n < low || n > high) ? 0 : static_cast<int>(n);
}

bool isLetterOrDigit(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

}  // namespace

std::optional<PartnerRow> readPartner(db::Database& db, std::int64_t id) {
    auto q = db.prepare(
        "SELECT Id, Partner, Segment, element, Sub, ISAVersion, ISAVersionIndex, ISA01, ISA02, ISA03, ISA04, ISA05, "
        "ISA06, ISA07, ISA08, ISA11, ISA12, ISA13, ISA14, ISA15, GS02, GS03, GS06, GS07 FROM Partner WHERE Id = ?1");
    q.bind(1, id);
    if (!q.step()) return std::nullopt;
    PartnerRow r;
    r.id = q.int64(0);
    r.partner = textOf(q, 1);
    r.segment = numberOf(q, 2, 0, 255);
    r.element = numberOf(q, 3, 0, 255);
    r.sub = numberOf(q, 4, 0, 255);
    r.isaVersion = textOf(q, 5);
    r.isaVersionIndex = numberOf(q, 6, 0, 1 << 30);
    std::string* fields[] = {&r.isa01, &r.isa02, &r.isa03, &r.isa04, &r.isa05, &r.isa06, &r.isa07, &r.isa08,
                             &r.isa11, &r.isa12, &r.isa13, &r.isa14, &r.isa15, &r.gs02, &r.gs03, &r.gs06, &r.gs07};
    int col = 7;
    for (std::string* f : fields) *f = textOf(q, col++);
    return r;
}

std::optional<Refusal> checkPartnerName(std::string_view name, NameUse use) {
    for (char c : name)
        if (!isLetterOrDigit(c) && !(use == NameUse::Save && (c == '/' || c == '\\')))
            return Refusal{"Invalid Trading Partner Name!", core::vbCritical | core::vbOKOnly};
    if (name.size() < 6)
        return Refusal{"Enter a longer Trading Partner Name! (Min 6)", core::vbExclamation | core::vbOKOnly};
    return std::nullopt;
}

Refusal duplicatePartnerRefusal(std::string_view name) {
    return {"Trading Partner " + std::string(name) + " already exists!", core::vbCritical | core::vbOKOnly};
}

std::vector<std::string> separatorItems(bool segmentTerminator) {
    std::vector<std::string> items;
    items.reserve(256);
    items.emplace_back(segmentTerminator ? "CR/LF" : "NULL");
    for (int k = 1; k <= 255; ++k) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%03d", k);
        items.push_back(std::string(digits) + " -- (" + std::string(1, static_cast<char>(k)) + ")");
    }
    return items;
}

int ackListIndex(std::string_view isa14) { return isa14 == "0" ? 0 : 1; }
std::string isa14FromListIndex(int index) { return index == 0 ? "0" : "1"; }
int testIndicatorListIndex(std::string_view isa15) { return isa15 == "P" ? 0 : 1; }
std::string isa15FromListIndex(int index) { return index == 0 ? "P" : "T"; }
std::string isa12FromVersion(std::string_view version) { return std::string(version.substr(0, 5)); }

bool isControlNumberText(std::string_view text) {
    const std::string t = vt::text::trim(text);
    if (t.empty()) return false;
    for (char c : t)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string nineDigitControl(std::string_view stored) {
    if (!isControlNumberText(stored)) return std::string(stored);
    std::string digits = vt::text::trim(stored);
    const auto first = digits.find_first_not_of('0');
    digits = first == std::string::npos ? "0" : digits.substr(first);
    return digits.size() < 9 ? std::string(9 - digits.size(), '0') + digits : digits;
}

ClockFields clockFields(const text::DateTime& now, std::string_view gs08) {
    ClockFields c;
    c.isa09 = text::formatDate(now, "yymmdd");
    c.isa10 = text::formatDate(now, "hhnn");
    if (!gs08.empty()) {
        const bool longForms = gs08.size() >= 3 && gs08[2] >= '4' && gs08[2] <= '9';
        c.gs04 = text::formatDate(now, longForms ? "yyyymmdd" : "yymmdd");
        c.gs05 = text::formatDate(now, longForms ? "hhnnss" : "hhnn");
    }
    return c;
}

}  // namespace vt::setup
