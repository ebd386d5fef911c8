#include "Text.h"

#include <array>

namespace vt::text {
namespace {

// 0x80..0x9F is the only range where 1252 differs from Latin-1. The five holes keep their C1
// value so that any byte survives a trip through Unicode.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

constexpr std::array<char32_t, 256> makeTable() {
    std::array<char32_t, 256> t{};
    for (int b = 0; b < 256; ++b)
        t[b] = (b >= 0x80 && b < 0xA0) ? char32_t(kHigh[b - 0x80]) : char32_t(b);
    return t;
}
constexpr std::array<char32_t, 256> kToUnicode = makeTable();

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; returns the code point and advances i. A malformed
// sequence (bad lead, short, overlong, surrogate, beyond U+10FFFF) yields -1 and skips one byte.
long decodeUtf8(std::string_view s, size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    int len;
    char32_t c;
    if (b0 < 0x80) { ++i; return b0; }
    if (b0 >= 0xC2 && b0 <= 0xDF) { len = 2; c = b0 & 0x1F; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { len = 3; c = b0 & 0x0F; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { len = 4; c = b0 & 0x07; }
    else { ++i; return -1; }
    if (i + len > s.size()) { ++i; return -1; }
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) { ++i; return -1; }
        c = (c << 6) | (b & 0x3F);
    }
    const bool overlong = (len == 3 && c < 0x800) || (len == 4 && c < 0x10000);
    if (overlong || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) { ++i; return -1; }
    i += len;
    return long(c);
}

unsigned char upperByte(unsigned char b) {
    if (b >= 'a' && b <= 'z') return b - 32;
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return b - 32;
    switch (b) {
    case 0x9A: return 0x8A;   // š
    case 0x9C: return 0x8C;   // œ
    case 0x9E: return 0x8E;   // ž
    case 0xFF: return 0x9F;   // ÿ
    default: return b;
    }
}

unsigned char lowerByte(unsigned char b) {
    if (b >= 'A' && b <= 'Z') return b + 32;
    if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return b + 32;
    switch (b) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return b;
    }
}

}  // namespace

char32_t ansiToUnicode(unsigned char byte) { return kToUnicode[byte]; }

int unicodeToAnsi(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return int(c);
    for (int k = 0; k < 32; ++k)
        if (kHigh[k] == c) return 0x80 + k;
    return -1;
}

std::string ansiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (char ch : ansi) appendUtf8(out, ansiToUnicode(static_cast<unsigned char>(ch)));
    return out;
}

std::string utf8ToAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const long c = decodeUtf8(utf8, i);
        const int b = c < 0 ? -1 : unicodeToAnsi(char32_t(c));
        out += b < 0 ? '?' : char(b);
    }
    return out;
}

std::string toUpper(std::string_view s) {
    std::string out(s);
    for (char& ch : out) ch = char(upperByte(static_cast<unsigned char>(ch)));
    return out;
}

std::string toLower(std::string_view s) {
    std::string out(s);
    for (char& ch : out) ch = char(lowerByte(static_cast<unsigned char>(ch)));
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (upperByte(static_cast<unsigned char>(a[i])) != upperByte(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string ltrim(std::string_view s) {
    const size_t p = s.find_first_not_of(' ');
    return p == std::string_view::npos ? std::string() : std::string(s.substr(p));
}

std::string rtrim(std::string_view s) {
    const size_t p = s.find_last_not_of(' ');
    return p == std::string_view::npos ? std::string() : std::string(s.substr(0, p + 1));
}

std::string trim(std::string_view s) { return rtrim(ltrim(s)); }

void split(std::string_view text, std::string_view separator, std::vector<std::string_view>& out) {
    out.clear();
    if (separator.empty()) {
        out.push_back(text);
        return;
    }
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string_view::npos; start = at + separator.size())
        out.push_back(text.substr(start, at - start));
    out.push_back(text.substr(start));
}

}  // namespace vt::text
