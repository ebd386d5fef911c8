// String functions. Text is 1252 bytes; text comparison (compare = 1) ignores case.

#include "Builtins.h"
#include "Errors.h"

#include "platform/text/Text.h"

namespace vt::vbscript {

namespace {
using namespace automation;

[[noreturn]] void invalidCall() { raise(automation::err::InvalidCall); }

using arg::isNull;

// Position (0-based) of `what` in `s` at or after `from`, or npos.
std::size_t findText(const std::string& s, const std::string& what, std::size_t from, int mode) {
    if (mode == 0) return s.find(what, from);
    return text::toLower(s).find(text::toLower(what), from);
}

Variant inStr(Engine&, ArgSpan a) {
    const arg::InStrArgs in = arg::inStrArgs(a);
    if (in.null) return Variant::null();
    const std::int64_t start = in.start;
    const std::string &s = in.s, &what = in.what;
    const int mode = in.mode;
    if (s.empty()) return Variant(std::int32_t(0));
    if (std::size_t(start) > s.size()) return Variant(std::int32_t(0));
    if (what.empty()) return Variant(std::int32_t(start));
    const std::size_t p = findText(s, what, std::size_t(start - 1), mode);
    return Variant(std::int32_t(p == std::string::npos ? 0 : p + 1));
}

Variant inStrRev(Engine&, ArgSpan a) {
    std::int64_t start = arg::has(a, 2) ? arg::int32(a, 2) : -1;
    if (start == 0 || start < -1) invalidCall();
    const int mode = arg::compareMode(a, 3);
    if (isNull(a, 1)) raise(automation::err::InvalidUseOfNull);
    // A Null text gives Null only without a start to measure against it.
    if (isNull(a, 0) && !arg::has(a, 2)) return Variant::null();
    const std::string s = arg::text(a, 0), what = arg::text(a, 1);
    if (start == -1) start = std::int64_t(s.size());
    if (s.empty() || std::size_t(start) > s.size()) return Variant(std::int32_t(0));
    if (what.empty()) return Variant(std::int32_t(start));
    const std::string head = s.substr(0, std::size_t(start));
    const std::size_t p = mode == 0 ? head.rfind(what) : text::toLower(head).rfind(text::toLower(what));
    return Variant(std::int32_t(p == std::string::npos ? 0 : p + 1));
}

std::int32_t length(ArgSpan a, std::size_t i) {
    if (isNull(a, i)) raise(automation::err::InvalidUseOfNull);
    const std::int32_t n = arg::int32(a, i);
    if (n < 0) invalidCall();
    return n;
}

Variant left(Engine&, ArgSpan a) {
    const std::int32_t n = length(a, 1);
    if (isNull(a, 0)) return Variant::null();
    return Variant(arg::text(a, 0).substr(0, std::size_t(n)));
}

Variant right(Engine&, ArgSpan a) {
    const std::int32_t n = length(a, 1);
    if (isNull(a, 0)) return Variant::null();
    const std::string s = arg::text(a, 0);
    return Variant(std::size_t(n) >= s.size() ? s : s.substr(s.size() - std::size_t(n)));
}

Variant mid(Engine&, ArgSpan a) {
    if (isNull(a, 1) || isNull(a, 2)) raise(automation::err::InvalidUseOfNull);
    const std::int32_t start = arg::int32(a, 1);
    if (start < 1) invalidCall();
    const std::int32_t n = arg::has(a, 2) ? length(a, 2) : -1;
    if (isNull(a, 0)) return Variant::null();
    const std::string s = arg::text(a, 0);
    if (std::size_t(start) > s.size()) return Variant(std::string());
    return Variant(n < 0 ? s.substr(std::size_t(start - 1)) : s.substr(std::size_t(start - 1), std::size_t(n)));
}

Variant len(Engine&, ArgSpan a) {
    const Variant v = arg::value(a, 0);
    if (v.isNull()) return v;
    return Variant(std::int32_t(toText(v).size()));
}

template <std::string (*F)(std::string_view)>
Variant mapText(Engine&, ArgSpan a) {
    const Variant v = arg::value(a, 0);
    if (v.isNull()) return v;
    return Variant(F(toString(v)));
}

Variant replace(Engine&, ArgSpan a) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (isNull(a, i)) raise(automation::err::InvalidUseOfNull);
    const std::string s = arg::text(a, 0), find = arg::text(a, 1), with = arg::text(a, 2);
    const std::int32_t start = arg::has(a, 3) ? arg::int32(a, 3) : 1;
    const std::int32_t count = arg::has(a, 4) ? arg::int32(a, 4) : -1;
    const int mode = arg::compareMode(a, 5);
    if (start < 1 || count < -1) invalidCall();
    if (std::size_t(start) > s.size()) return Variant(std::string());
    const std::string src = s.substr(std::size_t(start - 1));
    if (find.empty() || count == 0) return Variant(src);
    const std::string hay = mode == 0 ? src : text::toLower(src);
    const std::string needle = mode == 0 ? find : text::toLower(find);
    std::string out;
    std::size_t pos = 0;
    std::int32_t done = 0;
    while (count < 0 || done < count) {
        const std::size_t p = hay.find(needle, pos);
        if (p == std::string::npos) break;
        out.append(src, pos, p - pos);
        out += with;
        checkStringLength(out.size());
        pos = p + needle.size();
        ++done;
    }
    out.append(src, pos, std::string::npos);
    return Variant(std::move(out));
}

Variant space(Engine&, ArgSpan a) {
    const std::size_t n = std::size_t(length(a, 0));
    checkStringLength(n);
    return Variant(std::string(n, ' '));
}

Variant split(Engine&, ArgSpan a) {
    if (isNull(a, 0)) raise(automation::err::InvalidUseOfNull);
    const std::string s = arg::text(a, 0);
    const std::string delim = arg::has(a, 1) ? arg::text(a, 1) : std::string(" ");
    const std::int32_t count = arg::has(a, 2) ? arg::int32(a, 2) : -1;
    if (arg::has(a, 3) && arg::int32(a, 3) == 2) invalidCall();   // no database compare here
    const int mode = arg::compareMode(a, 3);
    if (count < -1) invalidCall();
    std::vector<Variant> parts;
    if (s.empty() || count == 0) return Variant::array({});
    if (delim.empty()) return Variant::array({Variant(s)});
    const std::string hay = mode == 0 ? s : text::toLower(s);
    const std::string needle = mode == 0 ? delim : text::toLower(delim);
    if (s.size() / needle.size() >= kMaxArrayElements && (count < 0 || std::size_t(count) > kMaxArrayElements)) {
        // Too many pieces for one array? Count them before building any.
        std::size_t n = 1;
        for (std::size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + needle.size())) ++n;
        checkArrayElements(n);
    }
    std::size_t pos = 0;
    for (;;) {
        if (count > 0 && std::int32_t(parts.size()) == count - 1) break;
        const std::size_t p = hay.find(needle, pos);
        if (p == std::string::npos) break;
        parts.emplace_back(s.substr(pos, p - pos));
        pos = p + needle.size();
    }
    parts.emplace_back(s.substr(pos));
    return Variant::array(std::move(parts));
}

// The text of element `i` of the array in `list` (a caller's variable); false past its end. The
// default property of an element may run script code that changes the variable, so the array
// is looked up afresh for every element. `nullIsEmpty`: a Null element counts as "" (Filter);
// otherwise it is a type mismatch (Join).
bool elementText(const Variant& list, std::size_t i, std::string& out, bool nullIsEmpty) {
    if (!list.isArray() || i >= list.arrayValue().size()) return false;
    const SafeArray& a = list.arrayValue();
    if (!a.holdsBytes() && !a.elements()[i].isObject()) {
        const Variant& v = a.elements()[i];   // no script code runs: read where it lies
        if (v.isNull() && !nullIsEmpty) raise(automation::err::TypeMismatch);
        out = toText(v);
        return true;
    }
    const Variant v = a.item(i);   // a copy: a default property may change the array
    if (v.isNull() && !nullIsEmpty) raise(automation::err::TypeMismatch);
    out = toText(v);
    return true;
}

Variant join(Engine&, ArgSpan a) {
    const Variant& given = arg::raw(a, 0);
    // An object stands for its default value, which may be the array.
    Variant fromObject;
    if (given.isObject()) fromObject = defaultValue(given);
    const Variant& list = given.isObject() ? fromObject : given;   // the caller's array is not copied
    if (list.isNull()) raise(automation::err::InvalidUseOfNull);
    if (!list.isArray() || list.arrayValue().dimensions() > 1) raise(automation::err::TypeMismatch);
    if (isNull(a, 1)) raise(automation::err::InvalidUseOfNull);
    const std::string delim = arg::has(a, 1) ? arg::text(a, 1) : std::string(" ");
    std::string out, item;
    for (std::size_t i = 0; elementText(list, i, item, false); ++i) {
        if (i) out += delim;
        out += item;
        checkStringLength(out.size());
    }
    return Variant(std::move(out));
}

Variant strComp(Engine&, ArgSpan a) {
    const int mode = arg::compareMode(a, 2);
    if (isNull(a, 0) || isNull(a, 1)) return Variant::null();
    const int c = compareStrings(arg::text(a, 0), arg::text(a, 1), mode == 0 ? CompareMode::Binary : CompareMode::Text);
    return Variant(std::int16_t(c < 0 ? -1 : c > 0 ? 1 : 0));
}

Variant stringOf(Engine&, ArgSpan a) {
    const std::int32_t n = length(a, 0);
    checkStringLength(std::size_t(n));
    const Variant c = arg::value(a, 1);
    if (c.isNull()) return c;
    char ch;
    if (c.isString()) {
        if (c.stringValue().empty()) invalidCall();
        ch = c.stringValue()[0];
    } else {
        const std::int32_t code = toInt32(c);
        if (code < 0 || code > 255) invalidCall();
        ch = char(code);
    }
    return Variant(std::string(std::size_t(n), ch));
}

Variant strReverse(Engine&, ArgSpan a) {
    if (isNull(a, 0)) raise(automation::err::InvalidUseOfNull);
    std::string s = arg::text(a, 0);
    return Variant(std::string(s.rbegin(), s.rend()));
}

Variant asc(Engine&, ArgSpan a) {
    if (isNull(a, 0)) raise(automation::err::InvalidUseOfNull);
    const std::string s = arg::text(a, 0);
    if (s.empty()) invalidCall();
    return Variant(std::int16_t(static_cast<unsigned char>(s[0])));
}

Variant ascW(Engine&, ArgSpan a) {
    if (isNull(a, 0)) raise(automation::err::InvalidUseOfNull);
    const std::string s = arg::text(a, 0);
    if (s.empty()) invalidCall();
    return Variant(std::int16_t(text::ansiToUnicode(static_cast<unsigned char>(s[0]))));
}

Variant chr(Engine&, ArgSpan a) {
    if (isNull(a, 0)) raise(automation::err::InvalidUseOfNull);
    const std::int32_t n = arg::int32(a, 0);
    if (n < 0 || n > 255) invalidCall();
    return Variant(std::string(1, char(n)));
}

Variant chrW(Engine&, ArgSpan a) {
    if (isNull(a, 0)) raise(automation::err::InvalidUseOfNull);
    std::int32_t n = arg::int32(a, 0);
    if (n < -32768 || n > 65535) invalidCall();
    if (n < 0) n += 65536;
    const int b = text::unicodeToAnsi(char32_t(n));
    return Variant(std::string(1, b < 0 ? '?' : char(b)));
}

Variant filter(Engine&, ArgSpan a) {
    const Variant& list = arg::raw(a, 0);
    if (list.isNull()) raise(automation::err::InvalidUseOfNull);
    if (!list.isArray() || list.arrayValue().dimensions() != 1) raise(automation::err::TypeMismatch);
    if (isNull(a, 1)) raise(automation::err::InvalidUseOfNull);
    const std::string what = arg::text(a, 1);
    const bool include = arg::has(a, 2) ? toBool(arg::value(a, 2)) : true;
    const int mode = arg::compareMode(a, 3);
    std::vector<Variant> out;
    std::string s;
    for (std::size_t i = 0; elementText(list, i, s, true); ++i) {
        const bool found = findText(s, what, 0, mode) != std::string::npos;
        if (found == include) out.emplace_back(s);
    }
    return Variant::array(std::move(out));
}

std::string lower(std::string_view s) { return text::toLower(s); }
std::string upper(std::string_view s) { return text::toUpper(s); }
std::string ltrim(std::string_view s) { return text::ltrim(s); }
std::string rtrim(std::string_view s) { return text::rtrim(s); }
std::string trim(std::string_view s) { return text::trim(s); }

}  // namespace

void addStringBuiltins(BuiltinTable& t) {
    t.add("Asc", 1, 1, asc);
    t.add("AscW", 1, 1, ascW);
    t.add("Chr", 1, 1, chr);
    t.add("ChrW", 1, 1, chrW);
    t.add("Filter", 2, 4, filter);
    t.add("InStr", 2, 4, inStr);
    t.add("InStrRev", 2, 4, inStrRev);
    t.add("Join", 1, 2, join);
    t.add("LCase", 1, 1, mapText<lower>);
    t.add("Left", 2, 2, left);
    t.add("Len", 1, 1, len);
    t.add("LTrim", 1, 1, mapText<ltrim>);
    t.add("Mid", 2, 3, mid);
    t.add("Replace", 3, 6, replace);
    t.add("Right", 2, 2, right);
    t.add("RTrim", 1, 1, mapText<rtrim>);
    t.add("Space", 1, 1, space);
    t.add("Split", 1, 4, split);
    t.add("StrComp", 2, 3, strComp);
    t.add("String", 2, 2, stringOf);
    t.add("StrReverse", 1, 1, strReverse);
    t.add("Trim", 1, 1, mapText<trim>);
    t.add("UCase", 1, 1, mapText<upper>);
}

}  // namespace vt::vbscript
