// The script engine itself: Eval, Execute, ExecuteGlobal, GetRef, ScriptEngine and its version
// functions, GetLocale and SetLocale (en-US, 1033, is the only locale).

#include "Builtins.h"
#include "Engine.h"

#include "platform/text/Text.h"

namespace vt::vbscript {

namespace {
using namespace automation;

constexpr std::int32_t kLocale = 1033;

// The code of Execute and ExecuteGlobal, the name GetRef takes: text only, anything else is a type
// mismatch.
std::string codeOf(ArgSpan a) {
    const Variant v = arg::value(a, 0);
    if (!v.isString()) raise(automation::err::TypeMismatch);
    return v.stringValue();
}

// Eval also takes a number, Boolean or date, read as its text (Eval(42) is 42); Null and Empty
// are their own values.
Variant evalOf(Engine& e, ArgSpan a) {
    const Variant v = arg::value(a, 0);
    if (v.isNull() || v.isEmpty()) return v;
    const bool plainValue = !v.isArray() && !v.isObject();
    const std::string code = plainValue ? toString(v) : codeOf(a);
    return e.evalIn(code, e.callerFrame());
}

Variant execute(Engine& e, ArgSpan a) {
    const std::string code = codeOf(a);
    e.executeIn(code, e.callerFrame());
    return {};
}

Variant executeGlobal(Engine& e, ArgSpan a) {
    const std::string code = codeOf(a);
    e.executeGlobal(code);
    return {};
}

Variant getRef(Engine& e, ArgSpan a) { return e.procRef(codeOf(a)); }

Variant getLocale(Engine&, ArgSpan) { return Variant(kLocale); }

// Returns the locale before the call. Only en-US can be chosen: 0 (the system's), 1033 or
// "en-us"; any other is error 5, so a script never formats for a locale it did not get.
Variant setLocale(Engine&, ArgSpan a) {
    const Variant v = arg::value(a, 0);
    if (v.isNull()) raise(automation::err::InvalidUseOfNull);
    bool ok;
    if (v.isString()) {
        const std::string s = text::toLower(text::trim(v.stringValue()));
        ok = s == "en-us" || s == "1033" || s == "0";
    } else {
        const std::int32_t n = toInt32(v);
        ok = n == 0 || n == kLocale;
    }
    if (!ok) raise(automation::err::InvalidCall);
    return Variant(kLocale);
}

}  // namespace

void addScriptBuiltins(BuiltinTable& t) {
    t.add("Eval", 1, 1, evalOf);
    t.add("Execute", 1, 1, execute);
    t.add("ExecuteGlobal", 1, 1, executeGlobal);
    t.add("GetRef", 1, 1, getRef);
    t.add("ScriptEngine", 0, 0, [](Engine&, ArgSpan) { return Variant(std::string("VBScript")); });
    t.add("ScriptEngineMajorVersion", 0, 0, [](Engine&, ArgSpan) { return Variant(std::int32_t(5)); });
    t.add("ScriptEngineMinorVersion", 0, 0, [](Engine&, ArgSpan) { return Variant(std::int32_t(8)); });
    t.add("ScriptEngineBuildVersion", 0, 0, [](Engine&, ArgSpan) { return Variant(std::int32_t(16384)); });
    t.add("GetLocale", 0, 0, getLocale);
    t.add("SetLocale", 1, 1, setLocale);
}

}  // namespace vt::vbscript
