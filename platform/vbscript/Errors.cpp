#include "Errors.h"
#include "RegExp.h"

#include <unordered_map>

namespace vt::vbscript {

std::string errorText(std::int32_t number) {
    static const std::unordered_map<std::int32_t, std::string_view> compileTexts = {
        {1001, "Out of memory"},
        {1002, "Syntax error"},
        {1003, "Expected ':'"},
        {1005, "Expected '('"},
        {1006, "Expected ')'"},
        {1007, "Expected ']'"},
        {1010, "Expected identifier"},
        {1011, "Expected '='"},
        {1012, "Expected 'If'"},
        {1013, "Expected 'To'"},
        {1014, "Expected 'End'"},
        {1015, "Expected 'Function'"},
        {1016, "Expected 'Sub'"},
        {1017, "Expected 'Then'"},
        {1018, "Expected 'Wend'"},
        {1019, "Expected 'Loop'"},
        {1020, "Expected 'Next'"},
        {1021, "Expected 'Case'"},
        {1022, "Expected 'Select'"},
        {1023, "Expected expression"},
        {1024, "Expected statement"},
        {1025, "Expected end of statement"},
        {1026, "Expected integer constant"},
        {1027, "Expected 'While' or 'Until'"},
        {1028, "Expected 'While', 'Until' or end of statement"},
        {1029, "Expected 'With'"},
        {1030, "Identifier too long"},
        {1031, "Invalid number"},
        {1032, "Invalid character"},
        {1033, "Unterminated string constant"},
        {1034, "Unterminated comment"},
        {1037, "Invalid use of 'Me' keyword"},
        {1038, "'loop' without 'do'"},
        {1039, "Invalid 'exit' statement"},
        {1040, "Invalid 'for' loop control variable"},
        {1041, "Name redefined"},
        {1042, "Must be first statement on the line"},
        {1043, "Cannot assign to non-ByVal argument"},
        {1044, "Cannot use parentheses when calling a Sub"},
        {1045, "Expected literal constant"},
        {1046, "Expected 'In'"},
        {1047, "Expected 'Class'"},
        {1048, "Must be defined inside a Class"},
        {1049, "Expected Let or Set or Get in property declaration"},
        {1050, "Expected 'Property'"},
        {1051, "Number of arguments must be consistent across properties specification"},
        {1052, "Cannot have multiple default property/method in a Class"},
        {1053, "Class initialize or terminate do not have arguments"},
        {1054, "Property set or let must have at least one argument"},
        {1055, "Unexpected 'Next'"},
        {1056, "'Default' can be specified only on 'Property' or 'Function' or 'Sub'"},
        {1057, "'Default' specification must also specify 'Public'"},
        {1058, "'Default' specification can only be on Property Get"},
    };
    if (auto it = compileTexts.find(number); it != compileTexts.end()) return std::string(it->second);
    if (const std::string_view re = regExpErrorText(number); !re.empty()) return std::string(re);
    if (number == err::Aborted) return "Operation aborted";
    if (number == err::InvalidPicture) return "Invalid picture";
    if (number == 447) return "Object doesn't support current locale setting";
    const std::string_view text = automation::standardErrorText(number);
    return text.empty() ? std::string("Unknown runtime error") : std::string(text);
}

std::int32_t scriptErrorNumber(std::int32_t hresult) noexcept {
    const std::uint32_t h = std::uint32_t(hresult);
    if ((h & 0xFFFF0000u) == 0x800A0000u) return std::int32_t(h & 0xFFFF);
    switch (h) {
    case 0x8007000Eu: return automation::err::OutOfMemory;           // E_OUTOFMEMORY
    case 0x80070057u: return automation::err::InvalidCall;           // E_INVALIDARG
    case 0x80070005u: return err::PermissionDenied;                  // E_ACCESSDENIED
    case 0x80004001u: return 445;                                    // E_NOTIMPL
    case 0x80004002u: return 430;                                    // E_NOINTERFACE
    case 0x80020001u: return automation::err::NoSuchMember;          // DISP_E_UNKNOWNINTERFACE
    case 0x80020003u: return automation::err::NoSuchMember;          // DISP_E_MEMBERNOTFOUND
    case 0x80020004u: return 448;                                    // DISP_E_PARAMNOTFOUND
    case 0x80020005u: return automation::err::TypeMismatch;          // DISP_E_TYPEMISMATCH
    case 0x80020006u: return automation::err::NoSuchMember;          // DISP_E_UNKNOWNNAME
    case 0x80020007u: return 446;                                    // DISP_E_NONAMEDARGS
    case 0x80020008u: return err::BadVariableType;                   // DISP_E_BADVARTYPE
    case 0x8002000Au: return automation::err::Overflow;              // DISP_E_OVERFLOW
    case 0x8002000Bu: return automation::err::SubscriptOutOfRange;   // DISP_E_BADINDEX
    case 0x8002000Cu: return 447;                                    // DISP_E_UNKNOWNLCID
    case 0x8002000Du: return automation::err::ArrayLocked;           // DISP_E_ARRAYISLOCKED
    case 0x8002000Eu: return automation::err::WrongArgumentCount;    // DISP_E_BADPARAMCOUNT
    case 0x8002000Fu: return 449;                                    // DISP_E_PARAMNOTOPTIONAL
    case 0x80020011u: return automation::err::NotACollection;        // DISP_E_NOTACOLLECTION
    case 0x80020012u: return automation::err::DivisionByZero;        // DISP_E_DIVBYZERO
    case 0x8002802Fu: return 453;                                    // TYPE_E_DLLFUNCTIONNOTFOUND
    case 0x80028CA0u: return automation::err::TypeMismatch;          // TYPE_E_TYPEMISMATCH
    case 0x80028CA1u: return automation::err::SubscriptOutOfRange;   // TYPE_E_OUTOFBOUNDS
    case 0x80028CA2u: return 57;                                     // TYPE_E_IOERROR
    case 0x80028CA3u: return 322;                                    // TYPE_E_CANTCREATETMPFILE
    case 0x80029C4Au: return 48;                                     // TYPE_E_CANTLOADLIBRARY
    default: return hresult;
    }
}

std::string scriptErrorDescription(const automation::Error& e) {
    const std::int32_t n = scriptErrorNumber(e.number);
    if (!e.description.empty() || n == e.number) return e.description;
    return errorText(n);
}

RuntimeError::RuntimeError(std::int32_t number, std::string d)
    : automation::Error(number, std::string(kRuntimeSource), errorText(number)), detail(std::move(d)) {}

RuntimeError::RuntimeError(const automation::Error& e, std::string d) : automation::Error(e), detail(std::move(d)) {}

void raiseRuntime(std::int32_t number, std::string_view detail) { throw RuntimeError(number, std::string(detail)); }

const char* ScriptAbort::what() const noexcept {
    switch (reason) {
    case Timeout: return "Script timed out";
    case Cancelled: return "Script cancelled";
    default: return "Out of memory";
    }
}

}  // namespace vt::vbscript
