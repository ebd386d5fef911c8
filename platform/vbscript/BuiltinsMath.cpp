// Numeric functions: Abs, Atn, Cos, Exp, Fix, Int, Log, Round, Sgn, Sin, Sqr, Tan, RGB, and the
// generator behind Randomize and Rnd.

#include "Builtins.h"
#include "Engine.h"

#include "platform/text/Text.h"

#include <cmath>
#include <cstring>

namespace vt::vbscript {

namespace {
using namespace automation;

[[noreturn]] void invalidCall() { raise(automation::err::InvalidCall); }

double number(ArgSpan a, std::size_t i) {
    const Variant v = arg::value(a, i);
    if (v.isNull()) raise(automation::err::InvalidUseOfNull);
    return toDouble(v);
}

Variant real(double r) {
    if (!std::isfinite(r)) raise(automation::err::Overflow);
    return Variant(r);
}

// Int, Fix and Round keep the subtype of their argument (text becomes Double).
template <class F>
Variant keepType(const Variant& v, F round) {
    switch (v.type()) {
    case VarType::Null: return v;
    case VarType::Empty: return Variant(std::int16_t(0));
    case VarType::Boolean: return Variant(std::int16_t(v.boolValue() ? -1 : 0));
    case VarType::Byte: case VarType::Integer: case VarType::Long: return v;
    case VarType::Single: return Variant(float(round(double(v.singleValue()))));
    case VarType::Double: return Variant(round(v.doubleValue()));
    case VarType::Currency: return Variant(Currency::fromDouble(round(v.currencyValue().toDouble())));
    case VarType::Decimal: return Variant(Decimal::fromDouble(round(v.decimalValue().toDouble())));
    case VarType::Date: return Variant(Date{round(v.dateValue().value)});
    case VarType::String: return Variant(round(toDouble(v)));
    default: raise(automation::err::TypeMismatch);
    }
}

Variant absOf(Engine&, ArgSpan a) {
    const Variant v = arg::value(a, 0);
    switch (v.type()) {
    case VarType::Null: return v;
    case VarType::Empty: return Variant(std::int16_t(0));
    case VarType::Boolean: return Variant(std::int16_t(v.boolValue() ? 1 : 0));
    case VarType::Byte: return v;
    case VarType::Integer:
        return v.integerValue() == INT16_MIN ? Variant(std::int32_t(32768)) : Variant(std::int16_t(std::abs(v.integerValue())));
    case VarType::Long:
        return v.longValue() == INT32_MIN ? Variant(2147483648.0) : Variant(std::int32_t(std::abs(v.longValue())));
    case VarType::Single: return Variant(std::fabs(v.singleValue()));
    case VarType::Double: return Variant(std::fabs(v.doubleValue()));
    case VarType::Currency: {
        const std::int64_t c = v.currencyValue().scaled;
        if (c == INT64_MIN) raise(automation::err::Overflow);
        return Variant(Currency{c < 0 ? -c : c});
    }
    case VarType::Decimal: {
        Decimal d = v.decimalValue();
        d.negative = false;
        return Variant(d);
    }
    case VarType::Date: return Variant(std::fabs(v.dateValue().value));
    case VarType::String: return Variant(std::fabs(toDouble(v)));
    default: raise(automation::err::TypeMismatch);
    }
}

Variant intOf(Engine&, ArgSpan a) {
    return keepType(arg::value(a, 0), [](double d) { return std::floor(d); });
}

Variant fixOf(Engine&, ArgSpan a) {
    return keepType(arg::value(a, 0), [](double d) { return std::trunc(d); });
}

Variant roundOf(Engine&, ArgSpan a) {
    int digits = 0;
    if (arg::has(a, 1)) {
        const Variant d = arg::value(a, 1);
        if (d.isNull()) raise(automation::err::InvalidUseOfNull);
        digits = toInt32(d);
        if (digits < 0) invalidCall();
    }
    const Variant v = arg::value(a, 0);
    if (v.type() == VarType::Boolean) return v;
    if (v.type() == VarType::Currency || v.type() == VarType::Decimal) {
        const Decimal r = toDecimal(v).rounded(digits);
        return v.type() == VarType::Currency ? Variant(r.toCurrency()) : Variant(r);
    }
    return keepType(v, [digits](double d) { return text::roundHalfEven(d, digits); });
}

Variant sgn(Engine&, ArgSpan a) {
    const double d = number(a, 0);
    return Variant(std::int16_t(d > 0 ? 1 : d < 0 ? -1 : 0));
}

Variant sqr(Engine&, ArgSpan a) {
    const double d = number(a, 0);
    if (d < 0) invalidCall();
    return Variant(std::sqrt(d));
}

Variant expOf(Engine&, ArgSpan a) { return real(std::exp(number(a, 0))); }

Variant logOf(Engine&, ArgSpan a) {
    const double d = number(a, 0);
    if (d <= 0) invalidCall();
    return Variant(std::log(d));
}

Variant atn(Engine&, ArgSpan a) { return Variant(std::atan(number(a, 0))); }
Variant sinOf(Engine&, ArgSpan a) { return Variant(std::sin(number(a, 0))); }
Variant cosOf(Engine&, ArgSpan a) { return Variant(std::cos(number(a, 0))); }
Variant tanOf(Engine&, ArgSpan a) { return real(std::tan(number(a, 0))); }

// VB's generator: a 24-bit linear congruence. Rnd with a negative number seeds it from that
// number's Single bits; Rnd(0) gives the value of the seed as it stands (the last number, or what
// Randomize made of it). Randomize mixes the upper bytes of the Double into the middle 16 bits of
// the seed and keeps its low byte, so the same argument repeats a sequence only after Rnd(-n).
constexpr std::uint32_t kMask = 0xFFFFFF;

Variant rnd(Engine& e, ArgSpan a) {
    float n = 1;
    if (arg::has(a, 0)) n = float(number(a, 0));
    if (n < 0) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &n, sizeof bits);
        e.rndSeed = (bits + (bits >> 24)) & kMask;
    }
    if (n != 0) e.rndSeed = (e.rndSeed * 0x43FD43FDu + 0xC39EC3u) & kMask;
    return Variant(float(e.rndSeed) / 16777216.0f);
}

Variant randomize(Engine& e, ArgSpan a) {
    double n;
    if (arg::has(a, 0)) {
        n = number(a, 0);
    } else {
        const text::DateTime t = e.clock().now();
        n = float(t.hour * 3600 + t.minute * 60 + t.second + t.millisecond / 1000.0);
    }
    std::uint64_t bits = 0;
    std::memcpy(&bits, &n, sizeof bits);
    const std::uint32_t hi = std::uint32_t(bits >> 32);
    e.rndSeed = (((hi ^ (hi >> 16)) & 0xFFFF) << 8) | (e.rndSeed & 0xFF);
    return {};
}

// Red, green and blue of 0..255 (more counts as 255) as the Long &HBBGGRR.
Variant rgb(Engine&, ArgSpan a) {
    std::int32_t c = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const Variant v = arg::value(a, i);
        if (v.isNull()) raise(automation::err::InvalidUseOfNull);
        const std::int32_t n = toInt32(v);
        if (n < 0) invalidCall();
        c |= std::min<std::int32_t>(n, 255) << (8 * i);
    }
    return Variant(c);
}

}  // namespace

void addMathBuiltins(BuiltinTable& t) {
    t.add("Abs", 1, 1, absOf);
    t.add("Atn", 1, 1, atn);
    t.add("Cos", 1, 1, cosOf);
    t.add("Exp", 1, 1, expOf);
    t.add("Fix", 1, 1, fixOf);
    t.add("Int", 1, 1, intOf);
    t.add("Log", 1, 1, logOf);
    t.add("Randomize", 0, 1, randomize, Builtin::StatementOnly);
    t.add("RGB", 3, 3, rgb);
    t.add("Rnd", 0, 1, rnd);
    t.add("Round", 1, 2, roundOf);
    t.add("Sgn", 1, 1, sgn);
    t.add("Sin", 1, 1, sinOf);
    t.add("Sqr", 1, 1, sqr);
    t.add("Tan", 1, 1, tanOf);
}

}  // namespace vt::vbscript
