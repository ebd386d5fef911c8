#include "Criteria.h"

#include "platform/text/Text.h"

#include <optional>

namespace vt::automation::criteria {

namespace {

constexpr std::string_view kSource = "ADODB.Recordset";

[[noreturn]] void malformed() { raise(aderr::InvalidArgument, kSource); }

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }


bool isDateType(int t) {
    return t == adtype::Date || t == adtype::DBDate || t == adtype::DBTime || t == adtype::DBTimeStamp || t == adtype::FileTime;
}

// Wildcard match without regard to case: "*" and "%" stand for any run of characters.
bool like(std::string_view s, std::string_view p) {
    std::size_t si = 0, pi = 0, star = std::string_view::npos, mark = 0;
    while (si < s.size()) {
        if (pi < p.size() && (p[pi] == '*' || p[pi] == '%')) {
            star = pi++;
            mark = si;
        } else if (pi < p.size() && text::equalsNoCase(s.substr(si, 1), p.substr(pi, 1))) {
            ++si;
            ++pi;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && (p[pi] == '*' || p[pi] == '%')) ++pi;
    return pi == p.size();
}

bool plainNumber(const Variant& v, double& out) {
    switch (v.type()) {
    case VarType::Integer: out = v.integerValue(); return true;
    case VarType::Long: out = v.longValue(); return true;
    case VarType::Single: out = v.singleValue(); return true;
    case VarType::Double: out = v.doubleValue(); return true;
    case VarType::Date: out = v.dateValue().value; return true;
    case VarType::Byte: out = v.byteValue(); return true;
    case VarType::Boolean: out = v.boolValue() ? -1 : 0; return true;
    default: return false;
    }
}

// Two values of one field compared without the general rules' copies and conversions when
// both are plain numbers (or dates), both Decimal or both Currency; nullopt otherwise.
std::optional<int> quickCompare(const Variant& a, const Variant& b) {
    double x = 0, y = 0;
    if (plainNumber(a, x) && plainNumber(b, y)) return x < y ? -1 : x > y ? 1 : 0;
    if (a.type() == VarType::Decimal && b.type() == VarType::Decimal) {
        const auto c = a.decimalValue() <=> b.decimalValue();
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (a.type() == VarType::Currency && b.type() == VarType::Currency) {
        const auto c = a.currencyValue() <=> b.currencyValue();
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    return std::nullopt;
}

bool isDecimalType(int t) { return t == adtype::Numeric || t == adtype::Decimal || t == adtype::VarNumeric; }

enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Like };

struct Clause final : Filter {
    std::size_t field = 0;
    Op op = Op::Eq;
    bool isNullTest = false;
    bool text = false;
    Variant literal;

    bool matches(const std::vector<Variant>& values) const override {
        const Variant& v = values[field];
        if (isNullTest) return (op == Op::Eq) == v.isNull();
        if (v.isNull() || v.isEmpty()) return false;
        if (op == Op::Like) return v.isString() ? like(v.stringValue(), literal.stringValue()) : like(toText(v), literal.stringValue());
        int c = 0;
        try {
            if (text) {
                c = v.isString() ? compareStrings(v.stringValue(), literal.stringValue(), CompareMode::Text)
                                 : compareStrings(toText(v), literal.stringValue(), CompareMode::Text);
            } else if (const auto q = quickCompare(v, literal)) {
                c = *q;
            } else {
                const auto r = compare(v, literal);
                if (!r) return false;
                c = *r;
            }
        } catch (const Error&) {
            return false;
        }
        switch (op) {
        case Op::Eq: return c == 0;
        case Op::Ne: return c != 0;
        case Op::Lt: return c < 0;
        case Op::Gt: return c > 0;
        case Op::Le: return c <= 0;
        case Op::Ge: return c >= 0;
        default: return false;
        }
    }
};

struct Junction final : Filter {
    bool any = false;   // OR; else AND
    std::vector<std::unique_ptr<Filter>> parts;
    bool matches(const std::vector<Variant>& values) const override {
        for (const auto& p : parts)
            if (p->matches(values) == any) return any;
        return !any;
    }
};

class Parser {
public:
    Parser(std::string_view t, const std::vector<FieldDef>& f) : s_(t), fields_(f) {}

    std::unique_ptr<Filter> parse() {
        auto e = expression(0);
        skip();
        if (i_ != s_.size()) malformed();
        return e;
    }

private:
    void skip() {
        while (i_ < s_.size() && isSpace(s_[i_])) ++i_;
    }
    bool keyword(std::string_view k) {
        skip();
        if (i_ + k.size() > s_.size() || !text::equalsNoCase(s_.substr(i_, k.size()), k)) return false;
        const std::size_t end = i_ + k.size();
        if (end < s_.size() && !isSpace(s_[end]) && s_[end] != '(' && s_[end] != '\'' && s_[end] != '#') return false;
        i_ = end;
        return true;
    }

    std::unique_ptr<Filter> expression(int depth) {
        if (depth > 64) malformed();
        auto first = conjunction(depth);
        if (!keywordAhead("OR")) return first;
        auto j = std::make_unique<Junction>();
        j->any = true;
        j->parts.push_back(std::move(first));
        while (keyword("OR")) j->parts.push_back(conjunction(depth));
        return j;
    }
    std::unique_ptr<Filter> conjunction(int depth) {
        auto first = factor(depth);
        if (!keywordAhead("AND")) return first;
        auto j = std::make_unique<Junction>();
        j->parts.push_back(std::move(first));
        while (keyword("AND")) j->parts.push_back(factor(depth));
        return j;
    }
    bool keywordAhead(std::string_view k) {
        const std::size_t save = i_;
        const bool r = keyword(k);
        i_ = save;
        return r;
    }
    std::unique_ptr<Filter> factor(int depth) {
        skip();
        if (i_ < s_.size() && s_[i_] == '(') {
            ++i_;
            auto e = expression(depth + 1);
            skip();
            if (i_ >= s_.size() || s_[i_] != ')') malformed();
            ++i_;
            return e;
        }
        return clause();
    }

    std::string fieldName() {
        skip();
        if (i_ >= s_.size()) malformed();
        if (s_[i_] == '[') {
            const std::size_t end = s_.find(']', i_ + 1);
            if (end == std::string_view::npos) malformed();
            std::string n(s_.substr(i_ + 1, end - i_ - 1));
            i_ = end + 1;
            return n;
        }
        const std::size_t start = i_;
        while (i_ < s_.size() && !isSpace(s_[i_]) && std::string_view("=<>()'#").find(s_[i_]) == std::string_view::npos) ++i_;
        if (i_ == start) malformed();
        return std::string(s_.substr(start, i_ - start));
    }

    Op op() {
        skip();
        auto at = [&](std::string_view o) {
            if (s_.substr(i_, o.size()) == o) {
                i_ += o.size();
                return true;
            }
            return false;
        };
        if (at("<=")) return Op::Le;
        if (at(">=")) return Op::Ge;
        if (at("<>")) return Op::Ne;
        if (at("=")) return Op::Eq;
        if (at("<")) return Op::Lt;
        if (at(">")) return Op::Gt;
        if (keyword("LIKE")) return Op::Like;
        malformed();
    }

    std::unique_ptr<Filter> clause() {
        const std::string name = fieldName();
        const int f = fieldIndex(fields_, name);
        if (f < 0) raise(aderr::ItemNotFound, kSource);
        auto c = std::make_unique<Clause>();
        c->field = std::size_t(f);
        c->op = op();
        const FieldDef& def = fields_[std::size_t(f)];
        c->text = isTextType(def.type);
        skip();
        if (i_ >= s_.size()) malformed();
        if (s_[i_] == '\'') {
            std::string v;
            ++i_;
            for (;;) {
                if (i_ >= s_.size()) malformed();
                if (s_[i_] == '\'') {
                    if (i_ + 1 < s_.size() && s_[i_ + 1] == '\'') {
                        v += '\'';
                        i_ += 2;
                        continue;
                    }
                    ++i_;
                    break;
                }
                v += s_[i_++];
            }
            c->literal = Variant(std::move(v));
        } else if (s_[i_] == '#') {
            const std::size_t end = s_.find('#', i_ + 1);
            if (end == std::string_view::npos) malformed();
            const auto d = parseDate(s_.substr(i_ + 1, end - i_ - 1));
            if (!d) malformed();
            c->literal = Variant(Date{*d});
            i_ = end + 1;
        } else if (keyword("NULL")) {
            if (c->op != Op::Eq && c->op != Op::Ne) malformed();
            c->isNullTest = true;
            return c;
        } else {
            const std::size_t start = i_;
            while (i_ < s_.size() && !isSpace(s_[i_]) && s_[i_] != ')') ++i_;
            const std::string_view number = s_.substr(start, i_ - start);
            const auto n = parseNumber(number);
            if (!n) malformed();
            c->literal = Variant(*n);
            // Decimal and Currency fields take the digits as written, not their nearest double.
            if (isDecimalType(def.type) || def.type == adtype::Currency) c->literal = Variant(std::string(number));
        }
        if (c->op == Op::Like) {
            if (!c->text) malformed();
            c->literal = Variant(toText(c->literal));
            return c;
        }
        // The literal is taken in the field's type.
        try {
            if (c->text) c->literal = Variant(toText(c->literal));
            else if (isDateType(def.type)) c->literal = Variant(Date{toDate(c->literal)});
            else if (isDecimalType(def.type)) c->literal = Variant(toDecimal(c->literal));
            else if (def.type == adtype::Currency) c->literal = Variant(toCurrency(c->literal));
            else if (c->literal.isString() && def.type != adtype::Variant) c->literal = Variant(toDouble(c->literal));
        } catch (const Error&) {
            malformed();
        }
        return c;
    }

    std::string_view s_;
    const std::vector<FieldDef>& fields_;
    std::size_t i_ = 0;
};

}  // namespace

int fieldIndex(const std::vector<FieldDef>& fields, std::string_view name) noexcept {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (text::equalsNoCase(fields[i].name, name)) return int(i);
    return -1;
}

std::unique_ptr<Filter> parseFilter(std::string_view text, const std::vector<FieldDef>& fields) {
    if (text::trim(text).empty()) return nullptr;
    return Parser(text, fields).parse();
}

std::vector<SortKey> parseSort(std::string_view text, const std::vector<FieldDef>& fields) {
    std::vector<SortKey> keys;
    if (text::trim(text).empty()) return keys;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) comma = text.size();
        std::string item = text::trim(text.substr(start, comma - start));
        if (item.empty()) malformed();
        SortKey k;
        const std::string upper = text::toUpper(item);
        auto endsWith = [&](std::string_view suffix) {
            return upper.size() > suffix.size() && upper.compare(upper.size() - suffix.size(), suffix.size(), suffix) == 0 &&
                   isSpace(upper[upper.size() - suffix.size() - 1]);
        };
        if (endsWith("DESC")) {
            k.descending = true;
            item = text::trim(std::string_view(item).substr(0, item.size() - 4));
        } else if (endsWith("ASC")) {
            item = text::trim(std::string_view(item).substr(0, item.size() - 3));
        }
        if (item.size() >= 2 && item.front() == '[' && item.back() == ']') item = item.substr(1, item.size() - 2);
        const int f = fieldIndex(fields, item);
        if (f < 0) raise(aderr::ItemNotFound, kSource);
        k.field = std::size_t(f);
        keys.push_back(k);
        start = comma + 1;
    }
    return keys;
}

int orderValues(const Variant& a, const Variant& b) {
    const bool an = a.isNull() || a.isEmpty(), bn = b.isNull() || b.isEmpty();
    if (an || bn) return an == bn ? 0 : an ? -1 : 1;
    if (a.isString() && b.isString()) {
        const int c = compareStrings(a.stringValue(), b.stringValue(), CompareMode::Text);
        return c != 0 ? c : compareStrings(a.stringValue(), b.stringValue(), CompareMode::Binary);
    }
    if (const auto q = quickCompare(a, b)) return *q;
    try {
        const auto c = compare(a, b);
        return c ? *c : 0;
    } catch (const Error&) {
        return 0;
    }
}

}  // namespace vt::automation::criteria
