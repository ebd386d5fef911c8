#include "RegExp.h"

#include "Errors.h"

#include "platform/automation/ClassRegistry.h"
#include "platform/text/Text.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cctype>
#include <cstdio>

namespace vt::vbscript {

using namespace automation;

namespace {

// Backtracking budget of one search: a few tenths of a second of JIT work at most.
constexpr std::uint32_t kMatchLimit = 5'000'000;
constexpr std::uint32_t kDepthLimit = 10'000;
constexpr std::size_t kJitStackMax = std::size_t(4) << 20;

[[noreturn]] void regExpError(std::int32_t number) {
    raise(number, kRuntimeSource, regExpErrorText(number));
}

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int hexDigit(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }
bool isOctal(char c) { return c >= '0' && c <= '7'; }

std::string byteEscape(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\x%02X", v & 0xFF);
    return buf;
}

// The other case of a letter above ASCII (PCRE2 folds A-Z itself); the byte itself otherwise.
unsigned otherCase(unsigned v) {
    if (v < 0x80) return v;
    const std::string one(1, char(v));
    const unsigned lower = static_cast<unsigned char>(text::toLower(one)[0]);
    return lower != v ? lower : static_cast<unsigned char>(text::toUpper(one)[0]);
}

// Capturing groups of a pattern: "(" not escaped, outside a class, not "(?".
int countGroups(std::string_view p) {
    int n = 0;
    bool inClass = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if (c == '\\') {
            ++i;
        } else if (inClass) {
            if (c == ']') inClass = false;
        } else if (c == '[') {
            inClass = true;
            if (i + 1 < p.size() && p[i + 1] == '^') ++i;
            if (i + 1 < p.size() && p[i + 1] == ']') ++i;   // "[]" and "[^]" close at once
            else continue;
            inClass = false;
        } else if (c == '(' && (i + 1 >= p.size() || p[i + 1] != '?')) {
            ++n;
        }
    }
    return n;
}

// The JScript pattern in PCRE2's syntax: escapes PCRE2 reads otherwise (\v, \s with the no-break
// space, \uXXXX in 1252, unknown letters as themselves, octal and too-high back-references), "."
// (which here excludes only a line feed) and "[" inside a class, which PCRE2 would take for a
// POSIX class. With `fold` (IgnoreCase) a letter above ASCII also matches its other case, which
// PCRE2's own caseless matching leaves to the letters A-Z.
std::string translate(std::string_view p, bool fold) {
    const int groups = countGroups(p);
    std::string out;
    out.reserve(p.size() + 8);
    bool inClass = false;
    // In a class: the other cases of its letters, added before the "]"; the last single
    // character (a possible range start) and whether a "-" follows it.
    std::string extras;
    int rangeFrom = -1;
    bool inRange = false;
    auto classLiteral = [&](unsigned v) {
        if (!fold) return;
        const unsigned from = inRange && rangeFrom >= 0 && unsigned(rangeFrom) <= v ? unsigned(rangeFrom) : v;
        for (unsigned b = from; b <= v; ++b)
            if (const unsigned o = otherCase(b); o != b) extras += byteEscape(o);
        rangeFrom = inRange ? -1 : int(v);
        inRange = false;
    };
    // A character given by its code: as itself, or with its other case.
    auto literal = [&](unsigned v) {
        if (inClass) {
            out += byteEscape(v);
            classLiteral(v);
        } else if (const unsigned o = fold ? otherCase(v) : v; o != v) {
            out += "[" + byteEscape(v) + byteEscape(o) + "]";
        } else {
            out += byteEscape(v);
        }
    };
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if (c == '[') {
            if (inClass) {
                out += "\\[";
                classLiteral('[');
                continue;
            }
            inClass = true;
            extras.clear();
            rangeFrom = -1;
            inRange = false;
            out += '[';
            if (i + 1 < p.size() && p[i + 1] == '^') out += p[++i];
            if (i + 1 < p.size() && p[i + 1] == ']') {
                out += p[++i];
                inClass = false;
            }
            continue;
        }
        if (c == ']' && inClass) {
            out += extras;
            inClass = false;
        }
        if (c == '.' && !inClass) {
            out += "[^\\n]";   // any character but a line feed, a carriage return included
            continue;
        }
        if (inClass && c == '-' && rangeFrom >= 0 && i + 1 < p.size() && p[i + 1] != ']') {
            inRange = true;
            out += c;
            continue;
        }
        if (c != '\\' || i + 1 >= p.size()) {
            if (fold && static_cast<unsigned char>(c) >= 0x80) {
                literal(static_cast<unsigned char>(c));
            } else {
                out += c;
                if (inClass && c != ']') classLiteral(static_cast<unsigned char>(c));
            }
            continue;
        }
        // An escape that is no single character ends a possible range.
        auto notLiteral = [&] {
            rangeFrom = -1;
            inRange = false;
        };
        const char e = p[++i];
        if (e >= '1' && e <= '9' && !inClass) {
            std::size_t j = i;
            int n = 0;
            while (j < p.size() && p[j] >= '0' && p[j] <= '9' && n <= 1000) n = n * 10 + (p[j++] - '0');
            if (n <= groups) {
                out += "(?:\\g{" + std::to_string(n) + "})";
                i = j - 1;
                continue;
            }
        }
        if (e >= '0' && e <= '7') {
            // An octal escape: up to three digits, at most 0377.
            unsigned v = 0;
            std::size_t j = i;
            while (j < p.size() && j < i + 3 && isOctal(p[j]) && v * 8 + unsigned(p[j] - '0') <= 0377)
                v = v * 8 + unsigned(p[j++] - '0');
            literal(v);
            i = j - 1;
            continue;
        }
        switch (e) {
        case 'd': case 'D': case 'w': case 'W': case 'B':
            notLiteral();
            out += '\\';
            out += e;
            break;
        case 'b':
            if (inClass) {
                literal(0x08);   // a backspace in a class
            } else {
                out += "\\b";
            }
            break;
        case 'f': literal(0x0C); break;
        case 'n': literal(0x0A); break;
        case 'r': literal(0x0D); break;
        case 't': literal(0x09); break;
        case 'v': literal(0x0B); break;
        case 's':
            notLiteral();
            out += inClass ? "\\s\\xA0" : "[\\s\\xA0]";
            break;
        case 'S':
            notLiteral();
            out += inClass ? "\\S" : "[^\\s\\xA0]";
            break;
        case 'c':
            if (i + 1 < p.size() && std::isalpha(static_cast<unsigned char>(p[i + 1]))) {
                literal(unsigned(p[++i]) % 32);
            } else {
                literal('\\');
                literal('c');
            }
            break;
        case 'x':
            if (i + 2 < p.size() && isHex(p[i + 1]) && isHex(p[i + 2])) {
                literal(unsigned(hexDigit(p[i + 1]) * 16 + hexDigit(p[i + 2])));
                i += 2;
            } else {
                literal('x');
            }
            break;
        case 'u':
            if (i + 4 < p.size() && isHex(p[i + 1]) && isHex(p[i + 2]) && isHex(p[i + 3]) && isHex(p[i + 4])) {
                unsigned v = 0;
                for (int k = 1; k <= 4; ++k) v = v * 16 + unsigned(hexDigit(p[i + std::size_t(k)]));
                i += 4;
                const int b = text::unicodeToAnsi(char32_t(v));
                // A character 1252 cannot hold is in no text: it matches nothing.
                if (b >= 0) {
                    literal(unsigned(b));
                } else {
                    notLiteral();
                    if (!inClass) out += "(?!)";
                }
            } else {
                literal('u');
            }
            break;
        default:
            // Any other escaped character (an unknown letter too) stands for itself.
            literal(static_cast<unsigned char>(e));
        }
    }
    return out;
}

struct CodeDeleter {
    void operator()(pcre2_code* c) const { pcre2_code_free(c); }
};

}  // namespace

std::string_view regExpErrorText(std::int32_t number) {
    switch (number) {
    case err::RegExpSyntax: return "Syntax error in regular expression";
    case err::RegExpQuantifier: return "Unexpected quantifier";
    case err::RegExpBracket: return "Expected ']' in regular expression";
    case err::RegExpParen: return "Expected ')' in regular expression";
    case err::RegExpRange: return "Invalid range in character set";
    default: return {};
    }
}

struct RegExp::Compiled {
    std::string pattern;
    bool ignoreCase = false;
    bool multiline = false;
    std::unique_ptr<pcre2_code, CodeDeleter> code;
    pcre2_match_data* data = nullptr;
    pcre2_match_context* context = nullptr;
    pcre2_jit_stack* stack = nullptr;
    std::uint32_t groups = 0;

    ~Compiled() {
        if (data) pcre2_match_data_free(data);
        if (context) pcre2_match_context_free(context);
        if (stack) pcre2_jit_stack_free(stack);
    }
};

RegExp::RegExp() = default;
RegExp::~RegExp() = default;

RegExp::Compiled& RegExp::compiled() {
    if (compiled_ && compiled_->pattern == pattern && compiled_->ignoreCase == ignoreCase &&
        compiled_->multiline == multiline)
        return *compiled_;
    compiled_.reset();
    auto c = std::make_unique<Compiled>();
    c->pattern = pattern;
    c->ignoreCase = ignoreCase;
    c->multiline = multiline;
    const std::string translated = translate(pattern, ignoreCase);
    pcre2_compile_context* cc = pcre2_compile_context_create(nullptr);
    // Lines end at a carriage return, a line feed or both: ^ and $ (Multiline) stop at each.
    pcre2_set_newline(cc, PCRE2_NEWLINE_ANYCRLF);
    std::uint32_t options = PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_UTF | PCRE2_NEVER_UCP |
                            PCRE2_NEVER_BACKSLASH_C;
    options |= multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
    if (ignoreCase) options |= PCRE2_CASELESS;
    int code = 0;
    PCRE2_SIZE offset = 0;
    c->code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()), translated.size(), options, &code,
                                &offset, cc));
    pcre2_compile_context_free(cc);
    if (!c->code) {
        switch (code) {
        case PCRE2_ERROR_MISSING_SQUARE_BRACKET: regExpError(err::RegExpBracket);
        case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS: regExpError(err::RegExpParen);
        case PCRE2_ERROR_QUANTIFIER_INVALID:
        case PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER:
        case PCRE2_ERROR_QUANTIFIER_TOO_BIG: regExpError(err::RegExpQuantifier);
        case PCRE2_ERROR_CLASS_RANGE_ORDER:
        case PCRE2_ERROR_CLASS_INVALID_RANGE: regExpError(err::RegExpRange);
        default: regExpError(err::RegExpSyntax);
        }
    }
    pcre2_pattern_info(c->code.get(), PCRE2_INFO_CAPTURECOUNT, &c->groups);
    c->context = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(c->context, kMatchLimit);
    pcre2_set_depth_limit(c->context, kDepthLimit);
    if (pcre2_jit_compile(c->code.get(), PCRE2_JIT_COMPLETE) == 0) {
        c->stack = pcre2_jit_stack_create(32 * 1024, kJitStackMax, nullptr);
        if (c->stack) pcre2_jit_stack_assign(c->context, nullptr, c->stack);
    }
    c->data = pcre2_match_data_create_from_pattern(c->code.get(), nullptr);
    if (!c->data) raise(automation::err::OutOfMemory);
    compiled_ = std::move(c);
    return *compiled_;
}

bool RegExp::find(const std::string& subject, std::size_t from, Found& out) {
    Compiled& c = compiled();
    const int rc = pcre2_match(c.code.get(), reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), from, 0,
                               c.data, c.context);
    if (rc == PCRE2_ERROR_NOMATCH) return false;
    if (rc < 0) {
        // Match or depth limit, JIT stack: a pattern that backtracks without end.
        if (rc == PCRE2_ERROR_NOMEMORY) raise(automation::err::OutOfMemory);
        raise(err::OutOfStackSpace, kRuntimeSource);
    }
    const PCRE2_SIZE* v = pcre2_get_ovector_pointer(c.data);
    out.spans.assign(std::size_t(c.groups + 1) * 2, std::string::npos);
    for (std::size_t i = 0; i < std::size_t(rc) * 2; ++i)
        out.spans[i] = v[i] == PCRE2_UNSET ? std::string::npos : std::size_t(v[i]);
    return true;
}

std::vector<RegExp::Found> RegExp::findAll(const std::string& subject) {
    std::vector<Found> all;
    std::size_t from = 0;
    Found m;
    while (from <= subject.size() && find(subject, from, m)) {
        const std::size_t start = m.spans[0], end = m.spans[1];
        all.push_back(m);
        if (!global) break;
        from = end > start ? end : end + 1;   // past an empty match
        checkArrayElements(all.size());
    }
    return all;
}

bool RegExp::test(const std::string& subject) {
    Found m;
    return find(subject, 0, m);
}

std::string RegExp::replace(const std::string& subject, const std::string& with) {
    const std::vector<Found> all = findAll(subject);
    if (all.empty()) return subject;
    const std::size_t groups = all.front().spans.size() / 2 - 1;
    std::string out;
    std::size_t last = 0;
    for (const Found& m : all) {
        const std::size_t start = m.spans[0], end = m.spans[1];
        out.append(subject, last, start - last);
        for (std::size_t i = 0; i < with.size(); ++i) {
            const char c = with[i];
            if (c != '$' || i + 1 >= with.size()) {
                out += c;
                continue;
            }
            const char n = with[i + 1];
            auto group = [&](std::size_t g) {
                if (m.spans[2 * g] != std::string::npos)
                    out.append(subject, m.spans[2 * g], m.spans[2 * g + 1] - m.spans[2 * g]);
            };
            if (n == '$') {
                out += '$';
                ++i;
            } else if (n == '&') {
                out.append(subject, start, end - start);
                ++i;
            } else if (n == '`') {
                out.append(subject, 0, start);
                ++i;
            } else if (n == '\'') {
                out.append(subject, end);
                ++i;
            } else if (n >= '0' && n <= '9') {
                const std::size_t one = std::size_t(n - '0');
                const bool hasTwo = i + 2 < with.size() && with[i + 2] >= '0' && with[i + 2] <= '9';
                const std::size_t two = hasTwo ? one * 10 + std::size_t(with[i + 2] - '0') : 0;
                if (hasTwo && two >= 1 && two <= groups) {
                    group(two);
                    i += 2;
                } else if (one >= 1 && one <= groups) {
                    group(one);
                    ++i;
                } else {
                    out += c;
                }
            } else {
                out += c;
            }
            checkStringLength(out.size());
        }
        last = end;
    }
    out.append(subject, last);
    checkStringLength(out.size());
    return out;
}

namespace {

class SubMatches final : public Dispatch<SubMatches> {
public:
    explicit SubMatches(std::vector<Variant> items) : items_(std::move(items)) {}
    static const Members<SubMatches>& members() {
        static const Members<SubMatches> m = [] {
            Members<SubMatches> t("ISubMatches");
            t.get("Item", {1, 1}, [](SubMatches& s, Args& a) { return s.at(a.int32(0)); });
            t.get("Count", [](SubMatches& s, Args&) { return Variant(std::int32_t(s.items_.size())); });
            t.defaultMember("Item");
            return t;
        }();
        return m;
    }
    std::unique_ptr<Enumerator> enumerate() override { return std::make_unique<VectorEnumerator>(items_); }
    Variant at(std::int32_t i) const {
        if (i < 0 || std::size_t(i) >= items_.size()) raise(automation::err::InvalidCall);
        return items_[std::size_t(i)];
    }

private:
    std::vector<Variant> items_;
};

class Match final : public Dispatch<Match> {
public:
    static const Members<Match>& members() {
        static const Members<Match> m = [] {
            Members<Match> t("IMatch2");
            t.get("Value", [](Match& s, Args&) { return Variant(s.value); });
            t.get("FirstIndex", [](Match& s, Args&) { return Variant(s.firstIndex); });
            t.get("Length", [](Match& s, Args&) { return Variant(std::int32_t(s.value.size())); });
            t.get("SubMatches", [](Match& s, Args&) { return Variant(s.subMatches); });
            t.defaultMember("Value");
            return t;
        }();
        return m;
    }
    std::string value;
    std::int32_t firstIndex = 0;
    ObjectRef subMatches;
};

class Matches final : public Dispatch<Matches> {
public:
    explicit Matches(std::vector<Variant> items) : items_(std::move(items)) {}
    static const Members<Matches>& members() {
        static const Members<Matches> m = [] {
            Members<Matches> t("IMatchCollection2");
            t.get("Item", {1, 1}, [](Matches& s, Args& a) {
                const std::int32_t i = a.int32(0);
                if (i < 0 || std::size_t(i) >= s.items_.size()) raise(automation::err::InvalidCall);
                return s.items_[std::size_t(i)];
            });
            t.get("Count", [](Matches& s, Args&) { return Variant(std::int32_t(s.items_.size())); });
            t.defaultMember("Item");
            return t;
        }();
        return m;
    }
    std::unique_ptr<Enumerator> enumerate() override { return std::make_unique<VectorEnumerator>(items_); }

private:
    std::vector<Variant> items_;
};

}  // namespace

Variant RegExp::execute(const std::string& subject) {
    std::vector<Variant> items;
    for (const Found& f : findAll(subject)) {
        auto m = makeRef<Match>();
        m->firstIndex = std::int32_t(f.spans[0]);
        m->value = subject.substr(f.spans[0], f.spans[1] - f.spans[0]);
        std::vector<Variant> subs;
        for (std::size_t g = 1; g < f.spans.size() / 2; ++g) {
            if (f.spans[2 * g] == std::string::npos) subs.emplace_back();
            else subs.emplace_back(subject.substr(f.spans[2 * g], f.spans[2 * g + 1] - f.spans[2 * g]));
        }
        m->subMatches = ObjectRef(makeRef<SubMatches>(std::move(subs)));
        items.emplace_back(m);
    }
    return Variant(makeRef<Matches>(std::move(items)));
}

const Members<RegExp>& RegExp::members() {
    static const Members<RegExp> m = [] {
        Members<RegExp> t("IRegExp2");
        t.get("Pattern", [](RegExp& r, Args&) { return Variant(r.pattern); });
        t.let("Pattern", [](RegExp& r, Args&, const Variant& v) { r.pattern = toString(v); });
        t.get("IgnoreCase", [](RegExp& r, Args&) { return Variant(r.ignoreCase); });
        t.let("IgnoreCase", [](RegExp& r, Args&, const Variant& v) { r.ignoreCase = toBool(v); });
        t.get("Global", [](RegExp& r, Args&) { return Variant(r.global); });
        t.let("Global", [](RegExp& r, Args&, const Variant& v) { r.global = toBool(v); });
        t.get("Multiline", [](RegExp& r, Args&) { return Variant(r.multiline); });
        t.let("Multiline", [](RegExp& r, Args&, const Variant& v) { r.multiline = toBool(v); });
        t.method("Test", {1, 1}, [](RegExp& r, Args& a) { return Variant(r.test(a.string(0))); });
        t.method("Replace", {2, 2}, [](RegExp& r, Args& a) {
            // A Boolean replacement is written as its number ("-1" for True).
            const Variant with = a.value(1);
            const std::string text = with.type() == VarType::Boolean ? (with.boolValue() ? "-1" : "0") : a.string(1);
            return Variant(r.replace(a.string(0), text));
        });
        t.method("Execute", {1, 1}, [](RegExp& r, Args& a) { return r.execute(a.string(0)); });
        return t;
    }();
    return m;
}

void registerRegExpClass() {
    ClassRegistry::instance().registerBuiltin("VBScript.RegExp", [] { return ObjectRef(makeRef<RegExp>()); });
}

}  // namespace vt::vbscript
