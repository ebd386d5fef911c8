#pragma once
// The 21 operators on Variants with VBScript's rules: result subtypes that widen on overflow
// (Integer to Long to Double), Null propagation and three-valued logic, "+" joining strings,
// "\" and Mod rounding their operands half to even, no short-circuit evaluation.

#include "Ast.h"

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

// The truth of a condition (If, While, Until): Null is False.
bool truth(const Variant& v);

}  // namespace vt::vbscript::ops
