// Byte functions (LenB, LeftB, MidB, ...) and Escape / Unescape. Scripts see a text as its UTF-16
// code units, two bytes each, low byte first, and a byte array as its bytes; the bytes a byte
// function gives go back into text two at a time, and an odd last byte becomes a character of
// its own.

#include "Builtins.h"
#include "Errors.h"

#include "platform/text/Text.h"

#include <algorithm>

namespace vt::vbscript {

namespace {
using namespace automation;

[[noreturn]] void invalidCall() { raise(automation::err::InvalidCall); }

using arg::isNull;

std::string bytesOf(std::string_view s) {
    std::string b;
    b.reserve(s.size() * 2);
    for (char c : s) {
        const char32_t u = text::ansiToUnicode(static_cast<unsigned char>(c));
        b += char(u & 0xFF);
        b += char(u >> 8);
    }
    return b;
}

char charOf(char32_t u) {
    const int b = text::unicodeToAnsi(u);
    return b < 0 ? '?' : char(b);
}

std::string textOf(std::string_view b) {
    std::string s;
    s.reserve(b.size() / 2 + 1);
    std::size_t i = 0;
    for (; i + 1 < b.size(); i += 2)
        s += charOf(char32_t(static_cast<unsigned char>(b[i])) | char32_t(static_cast<unsigned char>(b[i + 1])) << 8);
    if (i < b.size()) s += charOf(static_cast<unsigned char>(b[i]));
    return s;
}

// A byte array, whose bytes a byte function takes as they stand; null for anything else.
const SafeArray* byteArray(const Variant& v) {
    return v.isArray() && v.arrayValue().elementType() == VarType::Byte ? &v.arrayValue() : nullptr;
}

std::string bytesIn(const SafeArray& array, std::size_t from, std::size_t count) {
    from = std::min(from, array.size());
    count = std::min(count, array.size() - from);
    if (array.holdsBytes()) {
        const auto b = array.bytes().subspan(from, count);
        return std::string(b.begin(), b.end());
    }
    std::string out;
    for (std::size_t i = from; i < from + count; ++i) out += char(toByte(array.item(i)));
    return out;
}

// The bytes of the text argument `i`, or of the byte array it holds, from byte `from` (0-based)
// for `count` bytes.
std::string bytesArg(ArgSpan a, std::size_t i, std::size_t from = 0, std::size_t count = std::string::npos) {
    const Variant v = arg::value(a, i);
    if (const SafeArray* array = byteArray(v)) return bytesIn(*array, from, count);
    const std::string b = bytesOf(toString(v));
    return from >= b.size() ? std::string() : b.substr(from, count);
}

std::int32_t length(ArgSpan a, std::size_t i) {
    if (isNull(a, i)) raise(automation::err::InvalidUseOfNull);
    const std::int32_t n = arg::int32(a, i);
    if (n < 0) invalidCall();
    return n;
}

Variant lenB(Engine&, ArgSpan a) {
    const Variant v = arg::value(a, 0);
    if (v.isNull()) return v;
    if (const SafeArray* array = byteArray(v)) return Variant(std::int32_t(array->size()));
    return Variant(std::int32_t(toText(v).size() * 2));
}

Variant leftB(Engine&, ArgSpan a) {
    const std::int32_t n = length(a, 1);
    if (isNull(a, 0)) return Variant::null();
    return Variant(textOf(bytesArg(a, 0, 0, std::size_t(n))));
}

Variant rightB(Engine&, ArgSpan a) {
    const std::int32_t n = length(a, 1);
    if (isNull(a, 0)) return Variant::null();
    const Variant v = arg::value(a, 0);
    if (const SafeArray* array = byteArray(v))
        return Variant(textOf(bytesIn(*array, array->size() - std::min(array->size(), std::size_t(n)), std::size_t(n))));
    const std::string b = bytesOf(toString(v));
    return Variant(textOf(std::size_t(n) >= b.size() ? b : b.substr(b.size() - std::size_t(n))));
}

Variant midB(Engine&, ArgSpan a) {
    if (isNull(a, 1)) raise(automation::err::InvalidUseOfNull);
    const std::int32_t start = arg::int32(a, 1);
    if (start < 1) invalidCall();
    const std::int32_t n = arg::has(a, 2) ? length(a, 2) : -1;
    if (isNull(a, 0)) return Variant::null();
    return Variant(textOf(bytesArg(a, 0, std::size_t(start - 1), n < 0 ? std::string::npos : std::size_t(n))));
}

Variant inStrB(Engine&, ArgSpan a) {
    arg::InStrArgs in = arg::inStrArgs(a);
    if (in.null) return Variant::null();
    const std::int64_t start = in.start;
    std::string &s = in.s, &what = in.what;
    if (in.mode != 0) {
        s = text::toLower(s);
        what = text::toLower(what);
    }
    const std::string hay = bytesOf(s), needle = bytesOf(what);
    if (hay.empty() || std::size_t(start) > hay.size()) return Variant(std::int32_t(0));
    if (needle.empty()) return Variant(std::int32_t(start));
    const std::size_t p = hay.find(needle, std::size_t(start - 1));
    return Variant(std::int32_t(p == std::string::npos ? 0 : p + 1));
}

Variant ascB(Engine&, ArgSpan a) {
    if (isNull(a, 0)) raise(automation::err::InvalidUseOfNull);
    const Variant v = arg::value(a, 0);
    if (const SafeArray* array = byteArray(v)) {
        if (array->size() == 0) invalidCall();
        return Variant(toByte(array->item(0)));
    }
    const std::string s = toString(v);
    if (s.empty()) invalidCall();
    return Variant(std::uint8_t(text::ansiToUnicode(static_cast<unsigned char>(s[0])) & 0xFF));
}

Variant chrB(Engine&, ArgSpan a) {
    if (isNull(a, 0)) raise(automation::err::InvalidUseOfNull);
    // A byte: anything else overflows, as a conversion to Byte does.
    const std::uint8_t n = toByte(arg::value(a, 0));
    return Variant(std::string(1, charOf(char32_t(n))));
}

// Characters Escape leaves as they are.
bool plain(char32_t u) {
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '@' || u == '*' ||
           u == '_' || u == '+' || u == '-' || u == '.' || u == '/';
}

Variant escape(Engine&, ArgSpan a) {
    const std::string s = arg::text(a, 0);   // Null is error 94
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        const char32_t u = text::ansiToUnicode(static_cast<unsigned char>(c));
        if (plain(u)) {
            out += c;
        } else if (u < 0x100) {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += "%u";
            for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(u >> shift) & 15];
        }
    }
    checkStringLength(out.size());
    return Variant(std::move(out));
}

int hexAt(const std::string& s, std::size_t i, int digits) {
    if (i + std::size_t(digits) > s.size()) return -1;
    int v = 0;
    for (int k = 0; k < digits; ++k) {
        const char c = s[i + std::size_t(k)];
        const int d = c >= '0' && c <= '9' ? c - '0' : (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10 : -1;
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

Variant unescape(Engine&, ArgSpan a) {
    const std::string s = arg::text(a, 0);   // Null is error 94, as for Escape
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%') {
            if (i + 1 < s.size() && s[i + 1] == 'u') {
                if (const int u = hexAt(s, i + 2, 4); u >= 0) {
                    out += charOf(char32_t(u));
                    i += 5;
                    continue;
                }
            } else if (const int b = hexAt(s, i + 1, 2); b >= 0) {
                out += charOf(char32_t(b));
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return Variant(std::move(out));
}

}  // namespace

void addByteBuiltins(BuiltinTable& t) {
    t.add("AscB", 1, 1, ascB);
    t.add("ChrB", 1, 1, chrB);
    t.add("Escape", 1, 1, escape);
    t.add("InStrB", 2, 4, inStrB);
    t.add("LeftB", 2, 2, leftB);
    t.add("LenB", 1, 1, lenB);
    t.add("MidB", 2, 3, midB);
    t.add("RightB", 2, 2, rightB);
    t.add("Unescape", 1, 1, unescape);
}

}  // namespace vt::vbscript
