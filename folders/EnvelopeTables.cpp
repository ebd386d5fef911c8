#include "EnvelopeTables.h"

#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "platform/db/Database.h"

#include <vector>

namespace vt::folders {

namespace {

std::vector<std::string_view> splitExact(std::string_view text, std::string_view sep) {
    std::vector<std::string_view> out;
    if (sep.empty()) {
        out.push_back(text);
        return out;
    }
    size_t start = 0;
    for (size_t at; (at = text.find(sep, start)) != std::string_view::npos; start = at + sep.size())
        out.push_back(text.substr(start, at - start));
    out.push_back(text.substr(start));
    return out;
}

std::string_view element(const std::vector<std::string_view>& e, size_t n) {
    if (n >= e.size()) throw core::subscriptError();
    return e[n];
}

// Binds `count` elements from 1 after the leading values and runs the insert.
template <typename... Lead>
bool writeRow(const core::Services& s, std::string_view sql, std::string_view text, std::string_view sep,
              size_t count, std::string_view trailing, const Lead&... lead) {
    try {
        auto e = splitExact(text, sep);
        auto& st = s.db.cached(sql);
        int i = 0;
        ((st.bind(++i, lead)), ...);
        for (size_t n = 1; n <= count; ++n) st.bind(++i, element(e, n));
        if (!trailing.empty()) st.bind(++i, trailing);
        st.run();
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

}  // namespace

bool WriteOutISA(const core::Services& s, std::string_view isaText, std::string_view elementSeparator,
                 std::string_view partner, std::string_view direction) {
    return writeRow(s,
                    "INSERT INTO ISA (Partner, ISA01, ISA02, ISA03, ISA04, ISA05, ISA06, ISA07, ISA08, ISA09, "
                    "ISA10, ISA11, ISA12, ISA13, ISA14, ISA15, ISA16, Direction) VALUES "
                    "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18)",
                    isaText, elementSeparator, 16, direction, partner);
}

bool WriteOutGS(const core::Services& s, std::string_view gsText, std::string_view groupControlNumber,
                std::string_view elementSeparator, std::string_view partner, std::string_view direction) {
    return writeRow(s,
                    "INSERT INTO GS (Partner, GCN, GS01, GS02, GS03, GS04, GS05, GS06, GS07, GS08, Direction) "
                    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)",
                    gsText, elementSeparator, 8, direction, partner, groupControlNumber);
}

bool WriteOutGE(const core::Services& s, std::string_view geText, std::string_view elementSeparator,
                std::string_view partner) {
    return writeRow(s, "INSERT INTO GE (Partner, GE01, GE02) VALUES (?1, ?2, ?3)", geText, elementSeparator, 2,
                    {}, partner);
}

bool WriteOutIEA(const core::Services& s, std::string_view ieaText, std::string_view elementSeparator,
                 std::string_view partner) {
    return writeRow(s, "INSERT INTO IEA (Partner, IEA01, IEA02) VALUES (?1, ?2, ?3)", ieaText, elementSeparator,
                    2, {}, partner);
}

}  // namespace vt::folders
