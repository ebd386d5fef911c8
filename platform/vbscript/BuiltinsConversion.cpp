// CBool, CByte, CCur, CDate, CDbl, CInt, CLng, CSng, CStr: VBScript's rounding (half to even),
// Overflow (6), Type mismatch (13) and Invalid use of Null (94).

#include "Builtins.h"

namespace vt::vbscript {

namespace {
using namespace automation;

const Variant& one(ArgSpan a) { return *a[0]; }

}  // namespace

void addConversionBuiltins(BuiltinTable& t) {
    t.add("CBool", 1, 1, [](Engine&, ArgSpan a) { return Variant(toBool(one(a))); });
    t.add("CByte", 1, 1, [](Engine&, ArgSpan a) { return Variant(toByte(one(a))); });
    t.add("CCur", 1, 1, [](Engine&, ArgSpan a) { return Variant(toCurrency(one(a))); });
    t.add("CDate", 1, 1, [](Engine&, ArgSpan a) { return Variant(Date{toDate(one(a))}); });
    t.add("CDbl", 1, 1, [](Engine&, ArgSpan a) { return Variant(toDouble(one(a))); });
    t.add("CInt", 1, 1, [](Engine&, ArgSpan a) { return Variant(toInt16(one(a))); });
    t.add("CLng", 1, 1, [](Engine&, ArgSpan a) { return Variant(toInt32(one(a))); });
    t.add("CSng", 1, 1, [](Engine&, ArgSpan a) { return Variant(toSingle(one(a))); });
    t.add("CStr", 1, 1, [](Engine&, ArgSpan a) { return Variant(toString(one(a))); });
}

}  // namespace vt::vbscript
