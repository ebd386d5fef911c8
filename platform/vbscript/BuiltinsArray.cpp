// Arrays and type tests: Array, IsArray, LBound, UBound, IsDate, IsEmpty, IsNull, IsNumeric,
// IsObject, VarType, TypeName.

#include "Builtins.h"

namespace vt::vbscript {

namespace {
using namespace automation;

// An object with a default property stands for that value in the type tests; one without
// stays an object.
Variant tested(const Variant& v) {
    if (!v.isObject() || !v.object()) return v;
    try {
        return defaultValue(v);
    } catch (const Error& e) {
        if (e.number == err::NoSuchMember || e.number == err::WrongArgumentCount) return v;
        throw;
    }
}

const SafeArray& arrayArg(ArgSpan a) {
    const Variant& v = arg::raw(a, 0);
    if (!v.isArray()) raise(err::TypeMismatch);
    return v.arrayValue();
}

int dimension(ArgSpan a) {
    if (!arg::has(a, 1)) return 1;
    const Variant d = arg::value(a, 1);
    if (d.isNull()) raise(err::InvalidUseOfNull);
    return toInt32(d);
}

Variant arrayOf(Engine&, ArgSpan a) {
    std::vector<Variant> items;
    items.reserve(a.size());
    for (Variant* v : a) items.push_back(*v);
    return Variant::array(std::move(items));
}

Variant lbound(Engine&, ArgSpan a) { return Variant(arrayArg(a).lbound(dimension(a))); }
Variant ubound(Engine&, ArgSpan a) { return Variant(arrayArg(a).ubound(dimension(a))); }
Variant isArray(Engine&, ArgSpan a) { return Variant(arg::raw(a, 0).isArray()); }
Variant isDateOf(Engine&, ArgSpan a) {
    const Variant v = tested(arg::raw(a, 0));
    return Variant(!v.isObject() && isDate(v));   // an object without a default value is no date
}
Variant isEmptyOf(Engine&, ArgSpan a) { return Variant(tested(arg::raw(a, 0)).isEmpty()); }
Variant isNullOf(Engine&, ArgSpan a) { return Variant(tested(arg::raw(a, 0)).isNull()); }
Variant isNumericOf(Engine&, ArgSpan a) {
    const Variant v = tested(arg::raw(a, 0));
    return Variant(!v.isObject() && isNumeric(v));
}
Variant isObject(Engine&, ArgSpan a) { return Variant(arg::raw(a, 0).isObject()); }
Variant varTypeOf(Engine&, ArgSpan a) { return Variant(std::int16_t(tested(arg::raw(a, 0)).varType())); }
Variant typeNameOf(Engine&, ArgSpan a) { return Variant(typeName(arg::raw(a, 0))); }

}  // namespace

void addArrayBuiltins(BuiltinTable& t) {
    t.add("Array", 0, kAnyCount, arrayOf);
    t.add("IsArray", 1, 1, isArray);
    t.add("IsDate", 1, 1, isDateOf);
    t.add("IsEmpty", 1, 1, isEmptyOf);
    t.add("IsNull", 1, 1, isNullOf);
    t.add("IsNumeric", 1, 1, isNumericOf);
    t.add("IsObject", 1, 1, isObject);
    t.add("LBound", 1, 2, lbound);
    t.add("TypeName", 1, 1, typeNameOf);
    t.add("UBound", 1, 2, ubound);
    t.add("VarType", 1, 1, varTypeOf);
}

}  // namespace vt::vbscript
