#pragma once
// Error numbers and texts of the engine, and the exceptions that carry them inside it.
// Run-time numbers are VBScript's (5, 6, 9, 13, 424, 500, ...); compile errors use VBScript's
// own 1001-1058 range.

#include "platform/automation/Object.h"

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace vt::vbscript {

namespace err {
// Run-time errors the engine raises itself (the rest are in vt::automation::err).
inline constexpr std::int32_t OutOfStackSpace = 28;
inline constexpr std::int32_t PermissionDenied = 70;
inline constexpr std::int32_t InvalidPicture = 481;
inline constexpr std::int32_t ForLoopNotInitialized = 92;
inline constexpr std::int32_t VariableUndefined = 500;
inline constexpr std::int32_t IllegalAssignment = 501;
inline constexpr std::int32_t UnqualifiedReference = 505;
inline constexpr std::int32_t ClassNotDefined = 506;
inline constexpr std::int32_t BadVariableType = 458;

// Compile errors.
inline constexpr std::int32_t SyntaxError = 1002;
inline constexpr std::int32_t ExpectedColon = 1003;
inline constexpr std::int32_t ExpectedLParen = 1005;
inline constexpr std::int32_t ExpectedRParen = 1006;
inline constexpr std::int32_t ExpectedRBracket = 1007;
inline constexpr std::int32_t ExpectedIdentifier = 1010;
inline constexpr std::int32_t ExpectedAssign = 1011;
inline constexpr std::int32_t ExpectedIf = 1012;
inline constexpr std::int32_t ExpectedTo = 1013;
inline constexpr std::int32_t ExpectedEnd = 1014;
inline constexpr std::int32_t ExpectedFunction = 1015;
inline constexpr std::int32_t ExpectedSub = 1016;
inline constexpr std::int32_t ExpectedThen = 1017;
inline constexpr std::int32_t ExpectedWend = 1018;
inline constexpr std::int32_t ExpectedLoop = 1019;
inline constexpr std::int32_t ExpectedNext = 1020;
inline constexpr std::int32_t ExpectedCase = 1021;
inline constexpr std::int32_t ExpectedSelect = 1022;
inline constexpr std::int32_t ExpectedExpression = 1023;
inline constexpr std::int32_t ExpectedStatement = 1024;
inline constexpr std::int32_t ExpectedEndOfStatement = 1025;
inline constexpr std::int32_t ExpectedIntegerConstant = 1026;
inline constexpr std::int32_t ExpectedWhileUntil = 1027;
inline constexpr std::int32_t ExpectedWhileUntilEos = 1028;
inline constexpr std::int32_t ExpectedWith = 1029;
inline constexpr std::int32_t IdentifierTooLong = 1030;
inline constexpr std::int32_t InvalidNumber = 1031;
inline constexpr std::int32_t InvalidCharacter = 1032;
inline constexpr std::int32_t UnterminatedString = 1033;
inline constexpr std::int32_t InvalidMe = 1037;
inline constexpr std::int32_t LoopWithoutDo = 1038;
inline constexpr std::int32_t InvalidExit = 1039;
inline constexpr std::int32_t InvalidForVariable = 1040;
inline constexpr std::int32_t NameRedefined = 1041;
inline constexpr std::int32_t MustBeFirstStatement = 1042;
inline constexpr std::int32_t ParenthesesCallingSub = 1044;
inline constexpr std::int32_t ExpectedLiteralConstant = 1045;
inline constexpr std::int32_t ExpectedIn = 1046;
inline constexpr std::int32_t ExpectedClass = 1047;
inline constexpr std::int32_t MustBeInsideClass = 1048;
inline constexpr std::int32_t ExpectedLetSetGet = 1049;
inline constexpr std::int32_t ExpectedProperty = 1050;
inline constexpr std::int32_t InconsistentPropertyArgs = 1051;
inline constexpr std::int32_t MultipleDefault = 1052;
inline constexpr std::int32_t ClassInitNoArgs = 1053;
inline constexpr std::int32_t PropertyNeedsArgument = 1054;
inline constexpr std::int32_t UnexpectedNext = 1055;
inline constexpr std::int32_t DefaultOnlyOnProcedure = 1056;
inline constexpr std::int32_t DefaultMustBePublic = 1057;
inline constexpr std::int32_t DefaultOnlyOnPropertyGet = 1058;

inline constexpr std::int32_t OutOfStringSpace = 14;

// A stopped run (HRESULT E_ABORT): the time-out or the host's cancel flag.
inline constexpr std::int32_t Aborted = static_cast<std::int32_t>(0x80004004u);
}  // namespace err

// The English text of an error number: the engine's compile errors, then the run-time texts of
// the automation runtime; "Unknown runtime error" for any other number.
std::string errorText(std::int32_t number);

// The script error an HRESULT stands for: one of the VB facility (0x800A....) carries the number,
// the common automation ones (E_OUTOFMEMORY, DISP_E_..., TYPE_E_...) have their own; anything else
// stays.
std::int32_t scriptErrorNumber(std::int32_t hresult) noexcept;
// The text of an error as a script sees it: its own, else (for an HRESULT that stands for a
// script error) the text of that error.
std::string scriptErrorDescription(const automation::Error& e);

// Err.Source and the host's error record name the kind of failure with these.
inline constexpr std::string_view kCompileSource = "VBScript compilation error";
inline constexpr std::string_view kRuntimeSource = "VBScript runtime error";

// A compile error at a place in the source text (line 1-based, column 0-based).
class CompileError : public std::exception {
public:
    CompileError(std::int32_t number, int line, int column, bool atSymbol = false)
        : number(number), line(line), column(column), atSymbol(atSymbol) {}
    const char* what() const noexcept override { return "VBScript compilation error"; }
    std::int32_t number;
    int line;
    int column;
    // The parser stopped at an operator, a bracket, a line end or the end of the text, not at a
    // word or a literal.
    bool atSymbol;
};

// A run-time error raised by the engine itself. `detail` names what failed (a variable, a
// procedure, "obj.Member"); the host's report shows it after the text ("Type mismatch: 'x'"),
// Err.Description does not.
class RuntimeError : public automation::Error {
public:
    explicit RuntimeError(std::int32_t number, std::string detail = {});
    RuntimeError(const automation::Error& e, std::string detail);
    std::string detail;
};

[[noreturn]] void raiseRuntime(std::int32_t number, std::string_view detail = {});

// Longest text a script may build (256 MB); longer is error 14 "Out of string space".
inline constexpr std::size_t kMaxStringLength = std::size_t(1) << 28;
inline void checkStringLength(std::size_t n) {
    if (n > kMaxStringLength) raiseRuntime(err::OutOfStringSpace);
}

// Most elements one array may hold (16M); more is error 7 "Out of memory" before anything is
// allocated, so ReDim a(1E9) or a Split of a huge text cannot exhaust the machine.
inline constexpr std::size_t kMaxArrayElements = std::size_t(1) << 24;
inline void checkArrayElements(std::size_t n) {
    if (n > kMaxArrayElements) raiseRuntime(automation::err::OutOfMemory);
}
// The element count of an array with these upper bounds (each dimension from 0), checked.
template <class Bounds>
std::size_t checkedElementCount(const Bounds& upperBounds) {
    std::size_t n = 1;
    for (const auto ub : upperBounds) {
        const std::size_t count = ub < 0 ? 0 : std::size_t(ub) + 1;
        if (count == 0) return 0;
        if (count > kMaxArrayElements || n > kMaxArrayElements / count) raiseRuntime(automation::err::OutOfMemory);
        n *= count;
    }
    return n;
}

// The run was stopped by the time-out, the cancel flag or the memory limit. Not a run-time
// error: On Error does not catch it.
class ScriptAbort : public std::exception {
public:
    enum Reason { Timeout, Cancelled, OutOfMemory };
    explicit ScriptAbort(Reason r) : reason(r) {}
    const char* what() const noexcept override;
    Reason reason;
};

}  // namespace vt::vbscript
