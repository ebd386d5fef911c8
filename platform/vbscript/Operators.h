#pragma once
// The 21 operators on Variants with VBScript's rules: result subtypes that widen on overflow
// (Integer to Long to Double), Null propagation and three-valued logic, "+" joining strings,
// "\" and Mod rounding their operands half to even, no short-circuit evaluation.

#include "Ast.h"

#include <cstdint>
#include <optional>

namespace vt::vbscript::ops {

Variant add(const Variant& a, const Variant& b);
Variant sub(const Variant& a, const Variant& b);
Variant mul(const Variant& a, const Variant& b);
Variant div(const Variant& a, const Variant& b);
Variant intDiv(const Variant& a, const Variant& b);
Variant mod(const Variant& a, const Variant& b);
Variant pow(const Variant& a, const Variant& b);
Variant concat(const Variant& a, const Variant& b);
Variant neg(const Variant& a);
Variant logicalNot(const Variant& a);
// And, Or, Xor, Eqv, Imp.
Variant logic(BinaryOp op, const Variant& a, const Variant& b);
// =, <>, <, >, <=, >=. A literal compared with a value of the other kind (number or text) is
// first converted to that kind, as VBScript does for constants in the source.
Variant compare(BinaryOp op, const Variant& a, const Variant& b, bool aLiteral = false, bool bLiteral = false);
// -1, 0, 1, or nothing when either side is Null (the same rules as compare()).
std::optional<int> order(const Variant& a, const Variant& b, bool aLiteral = false, bool bLiteral = false);
Variant is(const Variant& a, const Variant& b);
Variant binary(BinaryOp op, const Variant& a, const Variant& b, bool aLiteral = false, bool bLiteral = false);

// The value of an Integer or Long operand; false for any other subtype.
inline bool wholeNumber(const Variant& v, std::int32_t& out) {
    switch (v.type()) {
    case automation::VarType::Integer: out = v.integerValue(); return true;
    case automation::VarType::Long: out = v.longValue(); return true;
    default: return false;
    }
}
// How the general rules type `r`, a sum or difference of two such operands: 1 an Integer (both
// are Integers and it fits), 2 a Long (it fits), 0 neither (left to the general rules).
inline int wholeKind(const Variant& a, const Variant& b, std::int64_t r) {
    if (r < INT32_MIN || r > INT32_MAX) return 0;
    return a.type() == automation::VarType::Integer && b.type() == automation::VarType::Integer && r >= INT16_MIN &&
                   r <= INT16_MAX
               ? 1
               : 2;
}
inline Variant wholeValue(int kind, std::int64_t r) {
    return kind == 1 ? Variant(std::int16_t(r)) : Variant(std::int32_t(r));
}

// The truth of a condition (If, While, Until): Null is False.
bool truth(const Variant& v);

}  // namespace vt::vbscript::ops
