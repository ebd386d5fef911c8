#include "Sheets.h"

#include "CompoundFile.h"

#include "Report.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <cstring>
#include <map>
#include <unordered_map>

namespace vt::report::detail {

using automation::Variant;
using automation::VarType;
namespace adtype = automation::adtype;

int ExportTable::widthChars(size_t col) const {
    const ExportColumn& c = columns[col];
    if (c.object) return std::max(1, c.object->width / 120);
    if (c.dataColumn >= 0) {
        const int size = data->columns[size_t(c.dataColumn)].size;
        if (size > 0) return std::clamp(size, 8, 60);
    }
    return std::max<int>(8, int(c.caption.size()));
}

bool ExportTable::isDateColumn(size_t col) const {
    const int t = columns[col].type;
    return t == adtype::Date || t == adtype::DBDate || t == adtype::DBTime || t == adtype::DBTimeStamp;
}

std::string ExportTable::numberFormat(size_t col) const {
    const ExportColumn& c = columns[col];
    if (!c.object || c.object->format.empty()) return "";
    std::string f = c.object->format;
    if (!isDateColumn(col)) return f;
    // Date pictures: n is the minute, AMPM the twelve-hour marker.
    std::string out;
    for (size_t i = 0; i < f.size(); ++i) {
        if (f.compare(i, 4, "AMPM") == 0 || f.compare(i, 4, "ampm") == 0) {
            out += "AM/PM";
            i += 3;
        } else if (f[i] == 'n' || f[i] == 'N') {
            out += 'm';
        } else {
            out += f[i];
        }
    }
    return out;
}

namespace {

// The day number a spreadsheet reader takes for a date: day 1 is 1900-01-01 and day 60 the
// 29 February 1900 that never was (Lotus counted it; Excel kept it), so days before March 1900 are
// one less than the date's own count from 1899-12-30. A time alone (a date before 1899-12-31) stays
// a fraction of a day; days before 1900 have no number (null).
std::optional<double> spreadsheetSerial(double oleDate) {
    if (oleDate >= 61) return oleDate;
    if (oleDate >= 2) return oleDate - 1;
    if (oleDate >= 0 && oleDate < 1) return oleDate;
    return std::nullopt;
}

// The number a sheet's cell holds for a value: a date's day number, a number itself; none for a
// date without a day number or any other value, which go in as text.
std::optional<double> sheetNumber(const Variant& v) {
    if (v.type() == VarType::Date) return spreadsheetSerial(v.dateValue().value);
    if (v.hasNumericType()) return automation::toDouble(v);
    return std::nullopt;
}

enum class DateShape { Date, DateTime, Time };
DateShape dateShape(double oleDate) {
    const double seconds = std::round((oleDate - std::floor(oleDate)) * 86400);
    if (oleDate >= 0 && oleDate < 1) return DateShape::Time;
    return seconds == 0 || seconds == 86400 ? DateShape::Date : DateShape::DateTime;
}

void record(Bytes& out, unsigned type, const Bytes& data) {
    out.u16(type);
    out.u16(unsigned(data.b.size()));
    out.raw(data.b);
}

[[noreturn]] void tooBig(const char* what, size_t have, size_t limit, std::string_view format) {
    throw ReportError("The report has " + std::to_string(have) + " " + what + "; " + std::string(format) +
                      " holds at most " + std::to_string(limit) + "; no file was written");
}

// ---- BIFF ----

class Biff {
public:
    explicit Biff(bool v8) : v8_(v8) {}

    // A cell or format string: 8-bit in BIFF5; in BIFF8 compressed when every character fits a
    // byte of Latin-1, else UTF-16.
    void string(Bytes& d, std::string_view ansi, bool longLength) const {
        if (!v8_) {
            if (longLength) d.u16(unsigned(ansi.size()));
            else d.u8(unsigned(ansi.size()));
            d.raw(ansi);
            return;
        }
        std::u16string u;
        bool wide = false;
        for (unsigned char c : ansi) {
            const char32_t cp = text::ansiToUnicode(c);
            u += char16_t(cp);
            if (cp > 0xFF) wide = true;
        }
        if (longLength) d.u16(unsigned(u.size()));
        else d.u8(unsigned(u.size()));
        d.u8(wide ? 1 : 0);
        for (char16_t c : u) {
            if (wide) d.u16(c);
            else d.u8(c);
        }
    }

    void bof(Bytes& out, unsigned kind) const {
        Bytes d;
        if (v8_) {
            d.u16(0x0600);
            d.u16(kind);
            d.u16(0x0DBB);
            d.u16(0x07CC);
            d.u32(0);
            d.u32(0x06);
        } else {
            d.u16(0x0500);
            d.u16(kind);
            d.u16(0x096C);
            d.u16(0x07C9);
        }
        record(out, 0x0809, d);
    }

    void font(Bytes& out, bool bold) const {
        Bytes d;
        d.u16(200);
        d.u16(0);
        d.u16(0x7FFF);
        d.u16(bold ? 700 : 400);
        d.u16(0);
        d.u8(0);
        d.u8(2);   // swiss
        d.u8(0);
        d.u8(0);
        string(d, "Arial", false);
        record(out, 0x0031, d);
    }

    void xf(Bytes& out, unsigned font, unsigned fmt, bool style) const {
        Bytes d;
        d.u16(font);
        d.u16(fmt);
        d.u16(style ? 0xFFF5 : 0x0001);
        if (v8_) {
            d.u8(0x20);
            d.u8(0);
            d.u8(0);
            d.u8(style ? 0 : 0xFC);
            d.u32(0);
            d.u32(0);
            d.u16(0x20C0);
        } else {
            d.u8(0x20);
            d.u8(style ? 0 : 0xFC);
            d.u32(0x000020C0);
            d.u32(0);
        }
        record(out, 0x00E0, d);
    }

    bool v8() const { return v8_; }

private:
    bool v8_;
};

// The shared-string table: strings never split across records (none is longer than one), a
// CONTINUE record taking over when the next string does not fit.
void writeSst(Bytes& out, const Biff& biff, const std::vector<const std::string*>& strings, std::uint32_t refs) {
    constexpr size_t kMax = 8224;
    Bytes d;
    d.u32(refs);
    d.u32(std::uint32_t(strings.size()));
    unsigned type = 0x00FC;
    for (const std::string* str : strings) {
        Bytes one;
        biff.string(one, *str, true);
        if (d.b.size() + one.b.size() > kMax) {
            record(out, type, d);
            type = 0x003C;
            d.b.clear();
        }
        d.raw(one.b);
    }
    record(out, type, d);
}

}  // namespace

std::string writeXls(const ExportTable& t, bool v8, bool extended) {
    const std::string_view formatName = v8 ? "Excel 8.0 (XLS)" : "Excel 5.0 (XLS)";
    const size_t maxRows = v8 ? 65536 : 16384;
    if (t.order.size() + 1 > maxRows) tooBig("records", t.order.size(), maxRows - 1, formatName);
    if (t.columns.size() > 256) tooBig("columns", t.columns.size(), 256, formatName);
    const size_t maxText = v8 ? 4000 : 255;
    const Biff biff(v8);

    // Cell formats: 15 the default, 16 dates, 17 the bold header, 18 dates with a time, 19 times,
    // then one per custom format.
    constexpr unsigned kXfDefault = 15, kXfDate = 16, kXfHeader = 17, kXfDateTime = 18, kXfTime = 19, kXfCustom = 20;
    std::map<std::string, unsigned> customFormats;   // format text -> format index
    const unsigned dateTimeFormat = customFormats.try_emplace("m/d/yy h:mm:ss", 164).first->second;
    std::vector<unsigned> columnXf(t.columns.size(), kXfDefault);
    std::vector<std::pair<unsigned, unsigned>> extraXf;   // (format index) per extra XF
    for (size_t c = 0; c < t.columns.size(); ++c) {
        if (t.isDateColumn(c)) columnXf[c] = kXfDate;
        if (!extended) continue;
        const std::string f = t.numberFormat(c);
        if (f.empty()) continue;
        auto [it, added] = customFormats.try_emplace(f, unsigned(164 + customFormats.size()));
        const unsigned xfIndex = kXfCustom + unsigned(extraXf.size());
        extraXf.push_back({it->second, xfIndex});
        columnXf[c] = xfIndex;
    }

    Bytes s;
    std::unordered_map<std::string, std::uint32_t> sstIndex;
    std::vector<const std::string*> sstOrder;
    std::uint32_t sstRefs = 0;
    biff.bof(s, 0x0010);
    {
        Bytes d;
        const size_t rows = t.order.size() + 1;
        if (v8) {
            d.u32(0);
            d.u32(std::uint32_t(rows));
        } else {
            d.u16(0);
            d.u16(unsigned(rows));
        }
        d.u16(0);
        d.u16(unsigned(t.columns.size()));
        d.u16(0);
        record(s, 0x0200, d);
    }
    if (extended)
        for (size_t c = 0; c < t.columns.size(); ++c) {
            Bytes d;
            d.u16(unsigned(c));
            d.u16(unsigned(c));
            d.u16(unsigned(std::min(255, t.widthChars(c) + 1) * 256));
            d.u16(kXfDefault);
            d.u16(0);
            d.u16(0);
            record(s, 0x007D, d);
        }
    {
        Bytes d;
        d.u16(0x06B6);
        d.u16(0);
        d.u16(0);
        d.u32(0x40);
        if (v8) {
            d.u16(0);
            d.u16(0);
            d.u32(0);
        }
        record(s, 0x023E, d);
    }
    auto label = [&](size_t row, size_t col, unsigned xf, std::string_view text) {
        Bytes d;
        d.u16(unsigned(row));
        d.u16(unsigned(col));
        d.u16(xf);
        if (v8) {
            // Shared strings, as Excel 97 and later write them.
            auto [it, added] = sstIndex.try_emplace(std::string(text.substr(0, maxText)), std::uint32_t(sstIndex.size()));
            if (added) sstOrder.push_back(&it->first);
            ++sstRefs;
            d.u32(it->second);
            record(s, 0x00FD, d);
        } else {
            biff.string(d, text.substr(0, maxText), true);
            record(s, 0x0204, d);
        }
    };
    for (size_t c = 0; c < t.columns.size(); ++c) label(0, c, kXfHeader, t.columns[c].caption);
    s.b.reserve(s.b.size() + t.order.size() * t.columns.size() * 24);
    for (size_t r = 0; r < t.order.size(); ++r) {
        for (size_t c = 0; c < t.columns.size(); ++c) {
            const Variant v = t.value(c, r);
            switch (v.type()) {
            case VarType::Empty:
            case VarType::Null: break;
            case VarType::String: label(r + 1, c, columnXf[c] == kXfDate ? kXfDefault : columnXf[c], v.stringValue()); break;
            case VarType::Boolean: {
                Bytes d;
                d.u16(unsigned(r + 1));
                d.u16(unsigned(c));
                d.u16(kXfDefault);
                d.u8(v.boolValue() ? 1 : 0);
                d.u8(0);
                record(s, 0x0205, d);
                break;
            }
            case VarType::Date:
            default:
                if (const auto number = sheetNumber(v)) {
                    Bytes d;
                    d.u16(unsigned(r + 1));
                    d.u16(unsigned(c));
                    unsigned xf = columnXf[c];
                    if (v.type() == VarType::Date && xf < kXfCustom) {
                        const DateShape shape = dateShape(v.dateValue().value);
                        xf = shape == DateShape::Time ? kXfTime : shape == DateShape::DateTime ? kXfDateTime : kXfDate;
                    }
                    if (v.type() != VarType::Date && xf == kXfDate) xf = kXfDefault;
                    d.u16(xf);
                    d.f64(*number);
                    record(s, 0x0203, d);
                } else {
                    label(r + 1, c, kXfDefault, t.text(c, r));
                }
            }
        }
    }
    record(s, 0x000A, Bytes{});

    Bytes globals;
    biff.bof(globals, 0x0005);
    {
        Bytes d;
        d.u16(v8 ? 1200 : 1252);
        record(globals, 0x0042, d);
    }
    {
        Bytes d;
        for (unsigned v : {0u, 0u, 0x3000u, 0x2000u, 0x38u, 0u, 0u, 1u, 0x258u}) d.u16(v);
        record(globals, 0x003D, d);
    }
    for (int i = 0; i < 4; ++i) biff.font(globals, false);
    biff.font(globals, true);   // index 5: Excel has no font 4
    for (auto& [text, index] : customFormats) {
        Bytes d;
        d.u16(index);
        biff.string(d, text, v8);
        record(globals, 0x041E, d);
    }
    for (int i = 0; i < 15; ++i) biff.xf(globals, 0, 0, true);
    biff.xf(globals, 0, 0, false);
    biff.xf(globals, 0, 14, false);
    biff.xf(globals, extended ? 5 : 0, 0, false);
    biff.xf(globals, 0, dateTimeFormat, false);
    biff.xf(globals, 0, 21, false);   // h:mm:ss
    for (auto& [fmt, xfIndex] : extraXf) biff.xf(globals, 0, fmt, false);
    {
        Bytes d;
        d.u16(0x8000);
        d.u8(0);
        d.u8(0xFF);
        record(globals, 0x0293, d);
    }
    const size_t boundSheetPos = globals.b.size() + 4;   // where its offset field lands
    {
        Bytes d;
        d.u32(0);
        d.u8(0);
        d.u8(0);
        biff.string(d, "Report", false);
        record(globals, 0x0085, d);
    }
    if (v8) writeSst(globals, biff, sstOrder, sstRefs);
    record(globals, 0x000A, Bytes{});
    const std::uint32_t sheetPos = std::uint32_t(globals.b.size());
    std::memcpy(globals.b.data() + boundSheetPos, &sheetPos, 4);   // little-endian host

    globals.raw(s.b);
    return compoundFile({{v8 ? u"Workbook" : u"Book", std::move(globals.b)}});
}

// ---- Lotus 1-2-3 ----

namespace {

// Lotus readers take the labels of these sheets as code page 850.
constexpr unsigned char kAnsiTo850[128] = {
    0x3F, 0x3F, 0x3F, 0x9F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F,
    0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F,
    0xFF, 0xAD, 0xBD, 0x9C, 0xCF, 0xBE, 0xDD, 0xF5, 0xF9, 0xB8, 0xA6, 0xAE, 0xAA, 0xF0, 0xA9, 0xEE,
    0xF8, 0xF1, 0xFD, 0xFC, 0xEF, 0xE6, 0xF4, 0xFA, 0xF7, 0xFB, 0xA7, 0xAF, 0xAC, 0xAB, 0xF3, 0xA8,
    0xB7, 0xB5, 0xB6, 0xC7, 0x8E, 0x8F, 0x92, 0x80, 0xD4, 0x90, 0xD2, 0xD3, 0xDE, 0xD6, 0xD7, 0xD8,
    0xD1, 0xA5, 0xE3, 0xE0, 0xE2, 0xE5, 0x99, 0x9E, 0x9D, 0xEB, 0xE9, 0xEA, 0x9A, 0xED, 0xE8, 0xE1,
    0x85, 0xA0, 0x83, 0xC6, 0x84, 0x86, 0x91, 0x87, 0x8A, 0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B,
    0xD0, 0xA4, 0x95, 0xA2, 0x93, 0xE4, 0x94, 0xF6, 0x9B, 0x97, 0xA3, 0x96, 0x81, 0xEC, 0xE7, 0x98,
};

std::string toCp850(std::string_view ansi) {
    std::string out(ansi);
    for (char& c : out)
        if (static_cast<unsigned char>(c) >= 0x80) c = char(kAnsiTo850[static_cast<unsigned char>(c) - 0x80]);
        else if (c == '\0') c = ' ';
    return out;
}

}  // namespace

std::string writeLotus(const ExportTable& t, bool wk1) {
    const std::string_view formatName = wk1 ? "Lotus 1-2-3 (WK1)" : "Lotus 1-2-3 (WKS)";
    const size_t maxRows = wk1 ? 8192 : 2048;
    if (t.order.size() + 1 > maxRows) tooBig("records", t.order.size(), maxRows - 1, formatName);
    if (t.columns.size() > 256) tooBig("columns", t.columns.size(), 256, formatName);
    // Unprotected, special: general, day-month-year, hour:minute:second. A date with a time shows
    // its date: these sheets have no format for both.
    constexpr unsigned kGeneral = 0x71, kDate = 0x72, kTime = 0x77;
    Bytes out;
    {
        Bytes d;
        d.u16(wk1 ? 0x0406 : 0x0404);
        record(out, 0x0000, d);
    }
    {
        Bytes d;
        d.u16(0);
        d.u16(0);
        d.u16(unsigned(t.columns.empty() ? 0 : t.columns.size() - 1));
        d.u16(unsigned(t.order.size()));
        record(out, 0x0006, d);
    }
    for (size_t c = 0; c < t.columns.size(); ++c) {
        Bytes d;
        d.u16(unsigned(c));
        d.u8(unsigned(std::clamp(t.widthChars(c) + 1, 1, 240)));
        record(out, 0x0008, d);
    }
    auto label = [&](size_t row, size_t col, std::string_view text) {
        Bytes d;
        d.u8(kGeneral);
        d.u16(unsigned(col));
        d.u16(unsigned(row));
        const std::string s = "'" + toCp850(text.substr(0, 239));
        d.raw(s);
        d.u8(0);
        record(out, 0x000F, d);
    };
    for (size_t c = 0; c < t.columns.size(); ++c) label(0, c, t.columns[c].caption);
    for (size_t r = 0; r < t.order.size(); ++r)
        for (size_t c = 0; c < t.columns.size(); ++c) {
            const Variant v = t.value(c, r);
            if (v.isNull() || v.isEmpty()) continue;
            const bool date = v.type() == VarType::Date;
            if (const auto number = sheetNumber(v)) {
                Bytes d;
                d.u8(!date ? kGeneral : dateShape(v.dateValue().value) == DateShape::Time ? kTime : kDate);
                d.u16(unsigned(c));
                d.u16(unsigned(r + 1));
                d.f64(*number);
                record(out, 0x000E, d);
            } else {
                label(r + 1, c, t.text(c, r));
            }
        }
    record(out, 0x0001, Bytes{});
    return std::move(out.b);
}

namespace {

// The 80-bit extended real of Release 3 sheets: sign, 15-bit exponent, 64-bit mantissa with its
// leading one written out.
void extendedReal(Bytes& d, double v) {
    std::uint64_t mantissa = 0;
    unsigned signExponent = 0;
    if (v != 0 && std::isfinite(v)) {
        int exponent = 0;
        const double m = std::frexp(std::fabs(v), &exponent);   // 0.5 <= m < 1
        mantissa = std::uint64_t(std::ldexp(m, 64));
        signExponent = unsigned(exponent - 1 + 16383) | (v < 0 ? 0x8000u : 0u);
    }
    for (int i = 0; i < 8; ++i) d.u8(unsigned(mantissa >> (8 * i)) & 0xFF);
    d.u16(signExponent);
}

}  // namespace

std::string writeWk3(const ExportTable& t) {
    constexpr std::string_view formatName = "Lotus 1-2-3 (WK3)";
    constexpr size_t maxRows = 8192;
    if (t.order.size() + 1 > maxRows) tooBig("records", t.order.size(), maxRows - 1, formatName);
    if (t.columns.size() > 256) tooBig("columns", t.columns.size(), 256, formatName);
    constexpr unsigned kGeneral = 0x71, kDate = 0x72, kTime = 0x77;
    Bytes out;
    {
        Bytes d;
        d.u16(0x1000);   // Release 3
        d.b.append(14, '\0');
        d.u8(1);         // labels in code page 850 (character group 1)
        d.b.append(9, '\0');
        record(out, 0x0000, d);
    }
    auto cellHead = [](Bytes& d, size_t row, size_t col) {
        d.u16(unsigned(row));
        d.u8(0);   // sheet A
        d.u8(unsigned(col));
    };
    auto label = [&](size_t row, size_t col, std::string_view text) {
        Bytes d;
        cellHead(d, row, col);
        d.u8('\'');
        // Bytes below 0x20 switch character groups in these labels, except the tab and the line
        // breaks, which stand for themselves; other control characters are group 0x0F, the
        // character plus 0x20.
        std::string s;
        for (char c : toCp850(text.substr(0, 511))) {
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
                s += c;
            } else {
                s += '\x0F';
                s += char(c + 0x20);
            }
        }
        d.raw(s);
        d.u8(0);
        record(out, 0x0016, d);
    };
    for (size_t c = 0; c < t.columns.size(); ++c) label(0, c, t.columns[c].caption);
    for (size_t r = 0; r < t.order.size(); ++r) {
        Bytes formats;
        formats.u8(0);
        formats.u8(0);
        formats.u16(unsigned(r + 1));
        bool anyDate = false;
        for (size_t c = 0; c < t.columns.size(); ++c) {
            const Variant v = t.value(c, r);
            unsigned format = kGeneral;
            const bool date = v.type() == VarType::Date;
            if (v.isNull() || v.isEmpty()) {
            } else if (const auto number = sheetNumber(v)) {
                Bytes d;
                cellHead(d, r + 1, c);
                extendedReal(d, *number);
                record(out, 0x0017, d);
                if (date) {
                    format = dateShape(v.dateValue().value) == DateShape::Time ? kTime : kDate;
                    anyDate = true;
                }
            } else {
                label(r + 1, c, t.text(c, r));
            }
            formats.u32(format);
        }
        if (anyDate) record(out, 0x0013, formats);
    }
    record(out, 0x0001, Bytes{});
    return std::move(out.b);
}

}  // namespace vt::report::detail
