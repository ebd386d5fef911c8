// CBool, CByte, CCur, CDate, CDbl, CInt, CLng, CSng, CStr: VBScript's rounding (half to even),
// Overflow (6), Type mismatch (13) and Invalid use of Null (94). Hex and Oct. The numeric and date
// conversions give a value only: as a statement they are error 458.

#include "Builtins.h"

namespace vt::vbscript {

namespace {
using namespace automation;

const Variant& one(ArgSpan a) { return *a[0]; }

Variant cbyte(Engine&, ArgSpan a) { return Variant(toByteBits(arg::value(a, 0))); }

// Text that is no date but a number stands for that serial date ("1" is 12/31/1899).
Variant cdate(Engine&, ArgSpan a) {
    const Variant v = arg::value(a, 0);
    if (v.isString() && !parseDate(v.stringValue()))
        if (const auto n = parseNumber(v.stringValue())) return Variant(Date{toDate(Variant(*n))});
    return Variant(Date{toDate(v)});
}

// Hex and Oct: an Integer (or Boolean, Byte) shows a negative value in 16 bits ("FFFF"), any other
// number is rounded to a Long and shows one in 32 bits ("FFFFFFFF"). Null gives Null.
Variant radix(ArgSpan a, int bitsPerDigit) {
    const Variant v = arg::value(a, 0);
    std::uint32_t u = 0;
    switch (v.type()) {
    case VarType::Null: return v;
    case VarType::Empty: break;
    case VarType::Integer: u = std::uint16_t(v.integerValue()); break;
    case VarType::Boolean: u = v.boolValue() ? 0xFFFFu : 0u; break;
    case VarType::Byte: u = v.byteValue(); break;
    default: u = std::uint32_t(toInt32(v)); break;
    }
    const std::uint32_t mask = (1u << bitsPerDigit) - 1;
    std::string out;
    do {
        out.insert(out.begin(), "0123456789ABCDEF"[u & mask]);
        u >>= bitsPerDigit;
    } while (u != 0);
    return Variant(std::move(out));
}

}  // namespace

void addConversionBuiltins(BuiltinTable& t) {
    t.add("CBool", 1, 1, [](Engine&, ArgSpan a) { return Variant(toBool(one(a))); });
    t.add("CByte", 1, 1, cbyte, Builtin::ValueOnly);
    t.add("CCur", 1, 1, [](Engine&, ArgSpan a) { return Variant(toCurrency(one(a))); }, Builtin::ValueOnly);
    t.add("CDate", 1, 1, cdate, Builtin::ValueOnly);
    t.add("CDbl", 1, 1, [](Engine&, ArgSpan a) { return Variant(toDouble(one(a))); }, Builtin::ValueOnly);
    t.add("CInt", 1, 1, [](Engine&, ArgSpan a) { return Variant(toInt16(one(a))); }, Builtin::ValueOnly);
    t.add("CLng", 1, 1, [](Engine&, ArgSpan a) { return Variant(toInt32(one(a))); }, Builtin::ValueOnly);
    t.add("CSng", 1, 1, [](Engine&, ArgSpan a) { return Variant(toSingle(one(a))); }, Builtin::ValueOnly);
    t.add("CStr", 1, 1, [](Engine&, ArgSpan a) { return Variant(toString(one(a))); });
    t.add("Hex", 1, 1, [](Engine&, ArgSpan a) { return radix(a, 4); });
    t.add("Oct", 1, 1, [](Engine&, ArgSpan a) { return radix(a, 3); });
}

}  // namespace vt::vbscript
