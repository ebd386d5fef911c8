#include "Operators.h"

#include "Errors.h"

#include "platform/text/Text.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace vt::vbscript::ops {

using automation::Currency;
using automation::Decimal;
using automation::VarType;
namespace aerr = automation::err;

namespace {

[[noreturn]] void mismatch() { automation::raise(aerr::TypeMismatch); }
[[noreturn]] void overflow() { automation::raise(aerr::Overflow); }

// Objects stand for their default value.
Variant plain(const Variant& v) { return v.isObject() ? automation::defaultValue(v) : v; }

// Numeric ranks in the order arithmetic widens them.
enum class Kind : std::uint8_t { Byte, Integer, Long, Single, Double, Currency, Decimal, Date };

struct Num {
    Kind kind;
    std::int64_t i = 0;   // Byte, Integer, Long
    double d = 0;         // Single, Double, Date
    Currency c{};
    Decimal dec{};
    bool fromString = false;

    double asDouble() const {
        switch (kind) {
        case Kind::Byte: case Kind::Integer: case Kind::Long: return double(i);
        case Kind::Currency: return c.toDouble();
        case Kind::Decimal: return dec.toDouble();
        default: return d;
        }
    }
    Currency asCurrency() const {
        switch (kind) {
        case Kind::Byte: case Kind::Integer: case Kind::Long: return Currency{i * Currency::kScale};
        case Kind::Currency: return c;
        case Kind::Decimal: return dec.toCurrency();
        default: return Currency::fromDouble(d);
        }
    }
    Decimal asDecimal() const {
        switch (kind) {
        case Kind::Byte: case Kind::Integer: case Kind::Long: return Decimal::fromInt64(i);
        case Kind::Currency: return Decimal::fromCurrency(c);
        case Kind::Decimal: return dec;
        default: return Decimal::fromDouble(d);
        }
    }
};

Num toNum(const Variant& v) {
    Num n{Kind::Integer};
    switch (v.type()) {
    case VarType::Empty: n.kind = Kind::Integer; break;
    case VarType::Boolean: n.kind = Kind::Integer; n.i = v.boolValue() ? -1 : 0; break;
    case VarType::Byte: n.kind = Kind::Byte; n.i = v.byteValue(); break;
    case VarType::Integer: n.kind = Kind::Integer; n.i = v.integerValue(); break;
    case VarType::Long: n.kind = Kind::Long; n.i = v.longValue(); break;
    case VarType::Single: n.kind = Kind::Single; n.d = v.singleValue(); break;
    case VarType::Double: n.kind = Kind::Double; n.d = v.doubleValue(); break;
    case VarType::Currency: n.kind = Kind::Currency; n.c = v.currencyValue(); break;
    case VarType::Decimal: n.kind = Kind::Decimal; n.dec = v.decimalValue(); break;
    case VarType::Date: n.kind = Kind::Date; n.d = v.dateValue().value; break;
    case VarType::String: {
        const auto d = automation::parseNumber(v.stringValue());
        if (!d) mismatch();
        n.kind = Kind::Double;
        n.d = *d;
        n.fromString = true;
        break;
    }
    default: mismatch();
    }
    return n;
}

Variant integral(std::int64_t r, Kind k) {
    // Byte widens to Integer, Integer to Long, Long to Double.
    if (k == Kind::Byte && r >= 0 && r <= 255) return Variant(std::uint8_t(r));
    if (k <= Kind::Integer && r >= INT16_MIN && r <= INT16_MAX) return Variant(std::int16_t(r));
    if (r >= INT32_MIN && r <= INT32_MAX) return Variant(std::int32_t(r));
    return Variant(double(r));
}

Variant real(double r, Kind k) {
    if (!std::isfinite(r)) overflow();
    if (k == Kind::Single && std::fabs(r) <= FLT_MAX) return Variant(float(r));
    return Variant(r);
}

enum class Arith { Add, Sub, Mul };

Kind resultKind(const Num& a, const Num& b) {
    const Kind x = a.kind, y = b.kind;
    if (x == Kind::Decimal || y == Kind::Decimal) return Kind::Decimal;
    if (x == Kind::Currency || y == Kind::Currency) return Kind::Currency;
    if (x == Kind::Double || y == Kind::Double) return Kind::Double;
    if (x == Kind::Single || y == Kind::Single)
        return (x == Kind::Long || y == Kind::Long) ? Kind::Double : Kind::Single;
    return std::max(x, y);
}

Currency currencyOp(Arith op, Currency a, Currency b) {
    std::int64_t r = 0;
    switch (op) {
    case Arith::Add:
        if (__builtin_add_overflow(a.scaled, b.scaled, &r)) overflow();
        return Currency{r};
    case Arith::Sub:
        if (__builtin_sub_overflow(a.scaled, b.scaled, &r)) overflow();
        return Currency{r};
    case Arith::Mul: {
        const __int128 p = __int128(a.scaled) * b.scaled;
        __int128 q = p / Currency::kScale;
        const __int128 rem = p % Currency::kScale;
        const __int128 twice = (rem < 0 ? -rem : rem) * 2;
        if (twice > Currency::kScale || (twice == Currency::kScale && (q & 1))) q += p < 0 ? -1 : 1;
        if (q > INT64_MAX || q < INT64_MIN) overflow();
        return Currency{std::int64_t(q)};
    }
    }
    return {};
}

Variant arith(Arith op, const Variant& av, const Variant& bv) {
    // Fast paths for the common integer and double cases.
    const VarType ta = av.type(), tb = bv.type();
    if ((ta == VarType::Integer || ta == VarType::Long) && (tb == VarType::Integer || tb == VarType::Long)) {
        const std::int64_t x = ta == VarType::Integer ? av.integerValue() : av.longValue();
        const std::int64_t y = tb == VarType::Integer ? bv.integerValue() : bv.longValue();
        const std::int64_t r = op == Arith::Add ? x + y : op == Arith::Sub ? x - y : x * y;
        const Kind k = (ta == VarType::Long || tb == VarType::Long) ? Kind::Long : Kind::Integer;
        return integral(r, k);
    }
    if (ta == VarType::Double && tb == VarType::Double) {
        const double x = av.doubleValue(), y = bv.doubleValue();
        return real(op == Arith::Add ? x + y : op == Arith::Sub ? x - y : x * y, Kind::Double);
    }
    const Num a = toNum(av), b = toNum(bv);
    if (a.kind == Kind::Date || b.kind == Kind::Date) {
        const double x = a.asDouble(), y = b.asDouble();
        if (op == Arith::Mul) return real(x * y, Kind::Double);
        if (op == Arith::Sub && a.kind == Kind::Date && b.kind == Kind::Date) return real(x - y, Kind::Double);
        const double r = op == Arith::Add ? x + y : x - y;
        if (!std::isfinite(r)) overflow();
        return Variant(automation::Date{r});
    }
    const Kind k = resultKind(a, b);
    switch (k) {
    case Kind::Byte: case Kind::Integer: case Kind::Long: {
        const std::int64_t r = op == Arith::Add ? a.i + b.i : op == Arith::Sub ? a.i - b.i : a.i * b.i;
        return integral(r, k);
    }
    case Kind::Single: case Kind::Double: {
        const double x = a.asDouble(), y = b.asDouble();
        return real(op == Arith::Add ? x + y : op == Arith::Sub ? x - y : x * y, k);
    }
    case Kind::Currency:
        if (op == Arith::Mul && (a.kind == Kind::Double || a.kind == Kind::Single || b.kind == Kind::Double ||
                                 b.kind == Kind::Single))
            return Variant(Currency::fromDouble(a.asDouble() * b.asDouble()));
        return Variant(currencyOp(op, a.asCurrency(), b.asCurrency()));
    case Kind::Decimal: {
        const Decimal x = a.asDecimal(), y = b.asDecimal();
        return Variant(op == Arith::Add ? x + y : op == Arith::Sub ? x - y : x * y);
    }
    default:
        mismatch();
    }
}

bool isZero(const Num& n) {
    switch (n.kind) {
    case Kind::Byte: case Kind::Integer: case Kind::Long: return n.i == 0;
    case Kind::Currency: return n.c.scaled == 0;
    case Kind::Decimal: return n.dec.isZero();
    default: return n.d == 0;
    }
}

// The integer operand of \ and Mod: rounded half to even, within Long.
std::int64_t integerOperand(const Num& n) {
    switch (n.kind) {
    case Kind::Byte: case Kind::Integer: case Kind::Long: return n.i;
    default: {
        const double r = text::roundHalfEven(n.asDouble(), 0);
        if (!(r >= INT32_MIN && r <= INT32_MAX)) overflow();
        return std::int64_t(r);
    }
    }
}

Kind integerKind(const Num& a, const Num& b) {
    if (a.kind == Kind::Byte && b.kind == Kind::Byte) return Kind::Byte;
    if (a.kind <= Kind::Integer && b.kind <= Kind::Integer) return Kind::Integer;
    return Kind::Long;
}

Variant typedIntegral(std::int64_t r, Kind k) {
    switch (k) {
    case Kind::Byte: return Variant(std::uint8_t(r));
    case Kind::Integer:
        if (r < INT16_MIN || r > INT16_MAX) overflow();
        return Variant(std::int16_t(r));
    default:
        if (r < INT32_MIN || r > INT32_MAX) overflow();
        return Variant(std::int32_t(r));
    }
}

// ---- Logic ----

struct Bits {
    bool isBool = false;
    std::int64_t v = 0;
    int rank = 1;   // 0 Byte, 1 Integer, 2 Long
};

Bits toBits(const Variant& v) {
    Bits b;
    switch (v.type()) {
    case VarType::Empty: b.rank = 2; break;   // Empty makes the result a Long
    case VarType::Boolean: b.isBool = true; b.v = v.boolValue() ? -1 : 0; break;
    case VarType::Byte: b.rank = 0; b.v = v.byteValue(); break;
    case VarType::Integer: b.v = v.integerValue(); break;
    case VarType::Long: b.rank = 2; b.v = v.longValue(); break;
    case VarType::String: {
        const std::string t = text::trim(v.stringValue());
        if (text::equalsNoCase(t, "True") || text::equalsNoCase(t, "#TRUE#")) {
            b.isBool = true;
            b.v = -1;
        } else if (text::equalsNoCase(t, "False") || text::equalsNoCase(t, "#FALSE#")) {
            b.isBool = true;
        } else {
            b.rank = 2;
            b.v = automation::toInt32(v);
        }
        break;
    }
    case VarType::Single: case VarType::Double: case VarType::Currency: case VarType::Decimal: case VarType::Date:
        b.rank = 2;
        b.v = automation::toInt32(v);
        break;
    default: mismatch();
    }
    return b;
}

Variant fromBits(std::int64_t v, bool isBool, int rank) {
    if (isBool) return Variant(v != 0);
    if (rank == 0) return Variant(std::uint8_t(v & 0xFF));
    if (rank == 1) return Variant(std::int16_t(v));
    return Variant(std::int32_t(v));
}

std::int64_t applyLogic(BinaryOp op, std::int64_t x, std::int64_t y) {
    switch (op) {
    case BinaryOp::And: return x & y;
    case BinaryOp::Or: return x | y;
    case BinaryOp::Xor: return x ^ y;
    case BinaryOp::Eqv: return ~(x ^ y);
    default: return ~x | y;   // Imp
    }
}

// Null in And / Or / Imp decides nothing unless the other side settles the result alone. Null
// counts as an Integer: with a Byte the result is an Integer.
Variant nullLogic(BinaryOp op, const Variant& a, const Variant& b) {
    const bool an = a.isNull(), bn = b.isNull();
    if (an && bn) return Variant::null();
    Bits o = toBits(an ? b : a);
    if (o.rank == 0) o.rank = 1;
    const std::int64_t all = o.rank == 0 ? 0xFF : -1;
    const std::int64_t ov = o.rank == 0 ? (o.v & 0xFF) : o.v;
    switch (op) {
    case BinaryOp::And:
        if (ov == 0) return fromBits(0, o.isBool, o.rank);
        return Variant::null();
    case BinaryOp::Or:
        if (ov == all) return fromBits(o.v, o.isBool, o.rank);
        return Variant::null();
    case BinaryOp::Imp:
        if (an) {
            if (ov == all) return fromBits(o.v, o.isBool, o.rank);
        } else if (ov == 0) {
            return fromBits(-1, o.isBool, o.rank);
        }
        return Variant::null();
    default:
        return Variant::null();
    }
}

bool numberLike(VarType t) {
    switch (t) {
    case VarType::Byte: case VarType::Integer: case VarType::Long: case VarType::Single: case VarType::Double:
    case VarType::Currency: case VarType::Decimal: case VarType::Date: case VarType::Boolean:
        return true;
    default:
        return false;
    }
}

int singleOrder(float x, double y) {
    const float f = float(y);
    return x < f ? -1 : x > f ? 1 : 0;
}

}  // namespace

Variant add(const Variant& a0, const Variant& b0) {
    const VarType ta = a0.type(), tb = b0.type();
    if (ta == VarType::Integer && tb == VarType::Integer) {
        const std::int32_t r = std::int32_t(a0.integerValue()) + b0.integerValue();
        return r >= INT16_MIN && r <= INT16_MAX ? Variant(std::int16_t(r)) : Variant(r);
    }
    if (ta == VarType::String && tb == VarType::String) return concat(a0, b0);
    if (ta == VarType::Null || tb == VarType::Null) return Variant::null();
    if (ta == VarType::Object || tb == VarType::Object) return add(plain(a0), plain(b0));
    if (ta == VarType::Empty && tb == VarType::Empty) return Variant(std::int16_t(0));
    if (ta == VarType::String && tb == VarType::Empty) return a0;
    if (ta == VarType::Empty && tb == VarType::String) return b0;
    return arith(Arith::Add, a0, b0);
}

Variant sub(const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull()) return Variant::null();
    if (a.isObject() || b.isObject()) return sub(plain(a), plain(b));
    return arith(Arith::Sub, a, b);
}

Variant mul(const Variant& a, const Variant& b) {
    if (a.isNull() || b.isNull()) return Variant::null();
    if (a.isObject() || b.isObject()) return mul(plain(a), plain(b));
    return arith(Arith::Mul, a, b);
}

Variant div(const Variant& a0, const Variant& b0) {
    if (a0.isNull() || b0.isNull()) return Variant::null();
    if (a0.isObject() || b0.isObject()) return div(plain(a0), plain(b0));
    const Num a = toNum(a0), b = toNum(b0);
    if (isZero(b)) automation::raise(isZero(a) ? aerr::Overflow : aerr::DivisionByZero);
    if (a.kind == Kind::Decimal || b.kind == Kind::Decimal) return Variant(Decimal::fromDouble(a.asDouble() / b.asDouble()));
    const bool small = [](const Num& n) { return n.kind <= Kind::Integer || n.kind == Kind::Single; }(a) &&
                       [](const Num& n) { return n.kind <= Kind::Integer || n.kind == Kind::Single; }(b);
    const bool single = small && (a.kind == Kind::Single || b.kind == Kind::Single);
    return real(a.asDouble() / b.asDouble(), single ? Kind::Single : Kind::Double);
}

Variant intDiv(const Variant& a0, const Variant& b0) {
    if (a0.isNull() || b0.isNull()) return Variant::null();
    if (a0.isObject() || b0.isObject()) return intDiv(plain(a0), plain(b0));
    const Num a = toNum(a0), b = toNum(b0);
    const std::int64_t x = integerOperand(a), y = integerOperand(b);
    if (y == 0) automation::raise(aerr::DivisionByZero);
    return typedIntegral(x / y, integerKind(a, b));
}

Variant mod(const Variant& a0, const Variant& b0) {
    if (a0.isNull() || b0.isNull()) return Variant::null();
    if (a0.isObject() || b0.isObject()) return mod(plain(a0), plain(b0));
    const Num a = toNum(a0), b = toNum(b0);
    const std::int64_t x = integerOperand(a), y = integerOperand(b);
    if (y == 0) automation::raise(aerr::DivisionByZero);
    return typedIntegral(x % y, integerKind(a, b));
}

Variant pow(const Variant& a0, const Variant& b0) {
    if (a0.isNull() || b0.isNull()) return Variant::null();
    if (a0.isObject() || b0.isObject()) return pow(plain(a0), plain(b0));
    const double x = toNum(a0).asDouble(), y = toNum(b0).asDouble();
    const double r = std::pow(x, y);
    if (std::isnan(r)) automation::raise(aerr::InvalidCall);
    if (std::isinf(r)) automation::raise(x == 0 ? aerr::DivisionByZero : aerr::Overflow);
    return Variant(r);
}

Variant concat(const Variant& a, const Variant& b) {
    if (a.isNull() && b.isNull()) return Variant::null();
    if (a.isArray() || b.isArray()) mismatch();
    if (a.isString() && b.isString()) {
        checkStringLength(a.stringValue().size() + b.stringValue().size());
        return Variant(a.stringValue() + b.stringValue());
    }
    std::string x = automation::toText(a);
    const std::string y = automation::toText(b);
    checkStringLength(x.size() + y.size());
    return Variant(x += y);
}

Variant neg(const Variant& v) {
    switch (v.type()) {
    case VarType::Null: return v;
    case VarType::Empty: return Variant(std::int16_t(0));
    case VarType::Boolean: return Variant(std::int16_t(v.boolValue() ? 1 : 0));
    case VarType::Byte: return Variant(std::int16_t(-std::int16_t(v.byteValue())));
    case VarType::Integer:
        return v.integerValue() == INT16_MIN ? Variant(std::int32_t(32768)) : Variant(std::int16_t(-v.integerValue()));
    case VarType::Long:
        return v.longValue() == INT32_MIN ? Variant(2147483648.0) : Variant(std::int32_t(-v.longValue()));
    case VarType::Single: return Variant(-v.singleValue());
    case VarType::Double: return Variant(-v.doubleValue());
    case VarType::Currency:
        if (v.currencyValue().scaled == INT64_MIN) overflow();
        return Variant(Currency{-v.currencyValue().scaled});
    case VarType::Decimal: return Variant(-v.decimalValue());
    case VarType::Date: return Variant(automation::Date{-v.dateValue().value});
    case VarType::String: return Variant(-toNum(v).d);
    case VarType::Object: return neg(plain(v));
    default: mismatch();
    }
}

Variant logicalNot(const Variant& v) {
    switch (v.type()) {
    case VarType::Null: return v;
    case VarType::Boolean: return Variant(!v.boolValue());
    case VarType::Empty: return Variant(std::int32_t(-1));
    case VarType::Byte: return Variant(std::uint8_t(~v.byteValue()));
    case VarType::Integer: return Variant(std::int16_t(~v.integerValue()));
    case VarType::Long: return Variant(std::int32_t(~v.longValue()));
    case VarType::String: {
        // A number in text is complemented as a Long ("1" gives -2); "True" / "False" as a Boolean.
        const Bits b = toBits(v);
        return fromBits(~b.v, b.isBool, b.rank);
    }
    case VarType::Object: return logicalNot(plain(v));
    case VarType::Single: case VarType::Double: case VarType::Currency: case VarType::Decimal: case VarType::Date:
        return Variant(std::int32_t(~automation::toInt32(v)));
    default: mismatch();
    }
}

Variant logic(BinaryOp op, const Variant& a0, const Variant& b0) {
    if (a0.type() == VarType::Boolean && b0.type() == VarType::Boolean) {
        const bool x = a0.boolValue(), y = b0.boolValue();
        switch (op) {
        case BinaryOp::And: return Variant(x && y);
        case BinaryOp::Or: return Variant(x || y);
        case BinaryOp::Xor: return Variant(x != y);
        case BinaryOp::Eqv: return Variant(x == y);
        default: return Variant(!x || y);
        }
    }
    const Variant a = plain(a0), b = plain(b0);
    if (a.isNull() || b.isNull()) return nullLogic(op, a, b);
    const Bits x = toBits(a), y = toBits(b);
    const bool both = x.isBool && y.isBool;
    return fromBits(applyLogic(op, x.v, y.v), both, std::max(x.rank, y.rank));
}

std::optional<int> order(const Variant& a0, const Variant& b0, bool aLiteral, bool bLiteral) {
    const VarType ta = a0.type(), tb = b0.type();
    // Fast paths: two integers, two doubles, two strings.
    if ((ta == VarType::Integer || ta == VarType::Long) && (tb == VarType::Integer || tb == VarType::Long)) {
        const std::int32_t x = ta == VarType::Integer ? a0.integerValue() : a0.longValue();
        const std::int32_t y = tb == VarType::Integer ? b0.integerValue() : b0.longValue();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (ta == VarType::Double && tb == VarType::Double) {
        const double x = a0.doubleValue(), y = b0.doubleValue();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (ta == VarType::String && tb == VarType::String)
        return automation::compareStrings(a0.stringValue(), b0.stringValue());
    const Variant a = plain(a0), b = plain(b0);
    if (a.isArray() || b.isArray()) mismatch();
    if (a.isNull() || b.isNull()) return std::nullopt;
    if ((aLiteral || bLiteral) && a.isString() != b.isString()) {
        // Text against a number: a literal keeps its own kind and the value it meets is
        // compared that way, as VBScript does (without literals the number is the smaller).
        const bool textLeft = a.isString();
        const Variant& text = textLeft ? a : b;
        const Variant& number = textLeft ? b : a;
        const bool textLiteral = textLeft ? aLiteral : bLiteral;
        const bool numberLiteral = textLeft ? bLiteral : aLiteral;
        if (numberLike(number.type())) {
            int c;   // the text against the number
            const bool asText = !numberLiteral || number.type() == VarType::Boolean;
            if (textLiteral && asText) {
                // A number meeting a text literal, or two literals of which the other is a
                // Boolean: compared as text ("True" = True).
                c = automation::compareStrings(text.stringValue(), automation::toString(number));
                c = c < 0 ? -1 : c > 0 ? 1 : 0;
            } else if (textLiteral && number.type() == VarType::Date) {
                // Two literals, the other a date: the text must be a date (or a day number) too.
                auto d = automation::parseDate(text.stringValue());
                if (!d) d = automation::parseNumber(text.stringValue());
                if (!d) mismatch();
                c = *automation::compare(Variant(automation::Date{*d}), number);
            } else if (textLiteral) {
                // Two literals, the other a number: the text must be one too ("42" = 42).
                const auto d = automation::parseNumber(text.stringValue());
                if (!d) mismatch();
                c = *automation::compare(Variant(*d), number);
            } else {
                const auto d = automation::parseNumber(text.stringValue());
                if (!d) c = 1;                                       // text that is no number is greater
                else c = *automation::compare(Variant(*d), number);  // a number in text meets a numeric literal
            }
            return textLeft ? c : -c;
        }
    }
    // A Single meets a Double at the Single's precision (CSng(0.1) = 0.1).
    if (a.type() == VarType::Single && b.type() == VarType::Double) return singleOrder(a.singleValue(), b.doubleValue());
    if (a.type() == VarType::Double && b.type() == VarType::Single) return -singleOrder(b.singleValue(), a.doubleValue());
    return automation::compare(a, b);
}

Variant compare(BinaryOp op, const Variant& a, const Variant& b, bool aLiteral, bool bLiteral) {
    const std::optional<int> c = order(a, b, aLiteral, bLiteral);
    if (!c) return Variant::null();
    switch (op) {
    case BinaryOp::Eq: return Variant(*c == 0);
    case BinaryOp::Ne: return Variant(*c != 0);
    case BinaryOp::Lt: return Variant(*c < 0);
    case BinaryOp::Gt: return Variant(*c > 0);
    case BinaryOp::Le: return Variant(*c <= 0);
    default: return Variant(*c >= 0);
    }
}

Variant is(const Variant& a, const Variant& b) {
    if (!a.isObject() || !b.isObject()) automation::raise(aerr::ObjectRequired);
    return Variant(a.object() == b.object());
}

Variant binary(BinaryOp op, const Variant& a, const Variant& b, bool aLiteral, bool bLiteral) {
    switch (op) {
    case BinaryOp::Pow: return pow(a, b);
    case BinaryOp::Mul: return mul(a, b);
    case BinaryOp::Div: return div(a, b);
    case BinaryOp::IntDiv: return intDiv(a, b);
    case BinaryOp::Mod: return mod(a, b);
    case BinaryOp::Add: return add(a, b);
    case BinaryOp::Sub: return sub(a, b);
    case BinaryOp::Concat: return concat(a, b);
    case BinaryOp::Eq: case BinaryOp::Ne: case BinaryOp::Lt: case BinaryOp::Gt: case BinaryOp::Le: case BinaryOp::Ge:
        return compare(op, a, b, aLiteral, bLiteral);
    case BinaryOp::Is: return is(a, b);
    default: return logic(op, a, b);
    }
}

bool truth(const Variant& v) {
    switch (v.type()) {
    case VarType::Boolean: return v.boolValue();
    case VarType::Null: return false;
    case VarType::Integer: return v.integerValue() != 0;
    case VarType::Long: return v.longValue() != 0;
    default: return automation::toBool(v);
    }
}

}  // namespace vt::vbscript::ops
