#include "Builtins.h"

#include "Compiler.h"

namespace vt::vbscript {

void BuiltinTable::add(std::string_view name, int minArgs, int maxArgs, BuiltinFn fn, Builtin::Use use) {
    functions_[lowerName(name)] = Builtin{std::string(name), minArgs, maxArgs, fn, use};
}

void BuiltinTable::addConstant(std::string_view name, Variant value) { constants_[lowerName(name)] = std::move(value); }

const Builtin* BuiltinTable::find(std::string_view lowerName) const {
    auto it = functions_.find(std::string(lowerName));
    return it == functions_.end() ? nullptr : &it->second;
}

const Variant* BuiltinTable::findConstant(std::string_view lowerName) const {
    auto it = constants_.find(std::string(lowerName));
    return it == constants_.end() ? nullptr : &it->second;
}

const BuiltinTable& builtins() {
    static const BuiltinTable table = [] {
        BuiltinTable t;
        addConversionBuiltins(t);
        addStringBuiltins(t);
        addByteBuiltins(t);
        addMathBuiltins(t);
        addArrayBuiltins(t);
        addObjectBuiltins(t);
        addDateBuiltins(t);
        addFormatBuiltins(t);
        addScriptBuiltins(t);
        addUiBuiltins(t);
        addConstants(t);
        return t;
    }();
    return table;
}

namespace arg {

bool has(ArgSpan a, std::size_t i) noexcept { return i < a.size() && !a[i]->isMissing(); }

const Variant& raw(ArgSpan a, std::size_t i) {
    static const Variant empty;
    return has(a, i) ? *a[i] : empty;
}

Variant value(ArgSpan a, std::size_t i) {
    const Variant& v = raw(a, i);
    return v.isObject() ? automation::defaultValue(v) : v;
}

std::string text(ArgSpan a, std::size_t i) { return automation::toString(value(a, i)); }

std::int32_t int32(ArgSpan a, std::size_t i) { return automation::toInt32(value(a, i)); }

double number(ArgSpan a, std::size_t i) { return automation::toDouble(value(a, i)); }

int compareMode(ArgSpan a, std::size_t i, int def) {
    if (!has(a, i)) return def;
    const std::int32_t m = int32(a, i);
    if (m < 0 || m > 2) automation::raise(automation::err::InvalidCall);
    return m == 0 ? 0 : 1;
}

bool isNull(ArgSpan a, std::size_t i) { return has(a, i) && value(a, i).isNull(); }

InStrArgs inStrArgs(ArgSpan a) {
    InStrArgs r;
    std::size_t i = 0;
    if (a.size() >= 3) {
        if (isNull(a, 0)) automation::raise(automation::err::InvalidUseOfNull);
        r.start = int32(a, 0);
        i = 1;
    }
    if (r.start < 1) automation::raise(automation::err::InvalidCall);
    r.mode = a.size() >= 4 ? compareMode(a, 3) : 0;
    if (isNull(a, i) || isNull(a, i + 1)) {
        r.null = true;
        return r;
    }
    r.s = text(a, i);
    r.what = text(a, i + 1);
    return r;
}

}  // namespace arg

}  // namespace vt::vbscript
