#include "core/RecordLayout.h"

#include "core/ErrorReporter.h"

#include <fstream>
#include <istream>
#include <string>
#include <vector>

namespace vt::core {

using automation::Error;
using automation::Recordset;
using automation::Ref;
using automation::Variant;

namespace {

std::vector<std::string> splitLayoutLine(const std::string& line) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        pieces.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return pieces;
        start = tab + 1;
    }
}

const std::string& layoutPiece(const std::vector<std::string>& pieces, std::size_t i) {
    if (i >= pieces.size()) automation::raise(automation::err::SubscriptOutOfRange);
    return pieces[i];
}

bool readLayoutLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace

Ref<Recordset> readRecordLayout(const std::filesystem::path& layoutFile,
                                const std::function<void(const std::string&)>& onField) {
    std::ifstream in(layoutFile, std::ios::binary);
    if (!in) automation::raise(automation::err::FileNotFound);
    Ref<Recordset> rs = Recordset::create();
    std::string line;
    if (!readLayoutLine(in, line)) automation::raise(automation::err::InputPastEndOfFile);
    do {
        if (line.empty()) break;
        const std::vector<std::string> pieces = splitLayoutLine(line);
        const std::string& name = layoutPiece(pieces, 0);
        const std::int32_t type = automation::toInt32(Variant(layoutPiece(pieces, 1)));
        const std::int32_t size = automation::toInt32(Variant(layoutPiece(pieces, 2)));
        rs->appendField(name, type, size);
        if (type == automation::adtype::Numeric || type == automation::adtype::Decimal) {
            const std::size_t field = rs->fieldCount() - 1;
            rs->setNumericScale(field, automation::toByte(Variant(layoutPiece(pieces, 3))));
            rs->setPrecision(field, automation::toByte(Variant(layoutPiece(pieces, 2))));
        }
        if (onField) onField(name);
    } while (readLayoutLine(in, line));
    rs->cursorType = 1;   // keyset
    rs->lockType = 3;     // optimistic
    rs->open();
    return rs;
}

Ref<Recordset> OpenRecordsetFromLayout(const Services& s, const std::filesystem::path& layoutFile) {
    try {
        return readRecordLayout(layoutFile);
    } catch (const Error& e) {
        ReportError(s, ErrorInfo{e.number, e.description});
    } catch (...) {
        ReportError(s);
    }
    return {};
}

}  // namespace vt::core
