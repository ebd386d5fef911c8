#pragma once
// The language's built-in functions and constants, one file per area (BuiltinsConversion.cpp,
// BuiltinsString.cpp, ...). An area registers its entries in one add...() function; builtins()
// calls each once. A new area adds its file and one line to Builtins.cpp.

#include "platform/automation/Object.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vt::vbscript {

class Engine;
using automation::ArgSpan;
using automation::Variant;

// Arguments arrive by reference (the caller's slots); an omitted one holds Variant::missing().
using BuiltinFn = Variant (*)(Engine& engine, ArgSpan args);

struct Builtin {
    enum Use : std::uint8_t {
        Anywhere,
        StatementOnly,   // gives no value: in an expression it is a type mismatch
        ValueOnly,       // as a statement it is error 458
    };
    std::string name;   // spelling for error reports
    int minArgs = 0;
    int maxArgs = 0;
    BuiltinFn fn = nullptr;
    Use use = Anywhere;
};

class BuiltinTable {
public:
    void add(std::string_view name, int minArgs, int maxArgs, BuiltinFn fn, Builtin::Use use = Builtin::Anywhere);
    void addConstant(std::string_view name, Variant value);
    const Builtin* find(std::string_view lowerName) const;
    const Variant* findConstant(std::string_view lowerName) const;

private:
    std::unordered_map<std::string, Builtin> functions_;
    std::unordered_map<std::string, Variant> constants_;
};

const BuiltinTable& builtins();

void addConversionBuiltins(BuiltinTable& t);
void addStringBuiltins(BuiltinTable& t);
void addMathBuiltins(BuiltinTable& t);
void addArrayBuiltins(BuiltinTable& t);
void addObjectBuiltins(BuiltinTable& t);
void addDateBuiltins(BuiltinTable& t);
void addFormatBuiltins(BuiltinTable& t);
void addScriptBuiltins(BuiltinTable& t);
void addUiBuiltins(BuiltinTable& t);
void addByteBuiltins(BuiltinTable& t);
void addConstants(BuiltinTable& t);

// Helpers for the areas.
namespace arg {
// Present and not omitted.
bool has(ArgSpan a, std::size_t i) noexcept;
const Variant& raw(ArgSpan a, std::size_t i);
// The value with an object reduced to its default value.
Variant value(ArgSpan a, std::size_t i);
// Conversions that refuse Null with error 94.
std::string text(ArgSpan a, std::size_t i);
std::int32_t int32(ArgSpan a, std::size_t i);
double number(ArgSpan a, std::size_t i);
// A compare argument (0 binary, 1 text); `def` when omitted.
int compareMode(ArgSpan a, std::size_t i, int def = 0);
// Present and Null.
bool isNull(ArgSpan a, std::size_t i);

// The arguments of InStr and InStrB: ([start,] string, what [, compare]).
struct InStrArgs {
    std::int64_t start = 1;
    std::string s, what;
    int mode = 0;
    bool null = false;   // string or what is Null: the result is Null
};
InStrArgs inStrArgs(ArgSpan a);
}  // namespace arg

}  // namespace vt::vbscript
