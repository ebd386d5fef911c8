#include "exchange/ReferenceTrees.h"

namespace vt::exchange {

const std::vector<std::string>& ScriptFunctions() {
    static const std::vector<std::string> list = {
        "Abs", "Array", "Asc", "Atn", "CBool", "CByte", "CCur", "CDate", "CDbl", "Chr", "CInt", "CLng", "Cos",
        "CreateObject", "CSng", "CStr", "Date", "DateAdd", "DateDiff", "DatePart", "DateSerial", "DateValue",
        "Day", "Eval", "Exp", "Filter", "Fix", "FormatCurrency", "FormatDateTime", "FormatNumber",
        "FormatPercent", "GetLocale", "GetObject", "GetRef", "Hex", "Hour", "InputBox", "InStr", "InStrRev",
        "Int", "IsArray", "IsDate", "IsEmpty", "IsNull", "IsNumeric", "IsObject", "Join", "LBound", "LCase",
        "Left", "Len", "LoadPicture", "Log", "LTrim", "Mid", "Minute", "Month", "MonthName", "MsgBox", "Now",
        "Oct", "Replace", "RGB", "Right", "Rnd", "Round", "RTrim", "ScriptEngine", "ScriptEngineBuildVersion",
        "ScriptEngineMajorVersion", "ScriptEngineMinorVersion", "Second", "SetLocale", "Sgn", "Sin", "Space",
        "Split", "Sqr", "StrComp", "String", "StrReverse", "Tan", "Time", "Timer", "TimeSerial", "TimeValue",
        "Trim", "UBound", "UCase", "VarType", "Weekday", "WeekdayName", "Year"};
    return list;
}

const std::vector<std::string>& ScriptStatements() {
    static const std::vector<std::string> list = {
        "Call", "Class ... End Class", "Const", "Dim", "Do ... Loop", "Erase", "Execute", "Exit", "For ... Next",
        "For Each ... Next", "Function", "If", "On Error", "Option Explicit", "Private", "Property Get",
        "Property Let", "Property Set", "Public", "Randomize", "ReDim", "Rem", "Select Case", "Set", "Sub",
        "While", "With ... End With"};
    return list;
}

const std::vector<std::string>& ScriptOperators() {
    static const std::vector<std::string> list = {"And", "Eqv", "Imp", "Is", "Mod", "Not", "Or",
                                                  "Xor", "=",   "<",   ">",  "<=",  ">=", "<>",
                                                  "+",   "&",   "-",   "/",  "\\",  "*",  "^"};
    return list;
}

namespace {

std::vector<ReferenceGroup> reference(const char* saveChunk) {
    return {
        {"Methods",
         {"Inet.Execute url, operation, data, requestHeaders", "Inet.Cancel", "Inet.GetChunk size, icString",
          "Inet.GetChunk size, icByteArray", "Inet.GetHeader", "Inet.OpenURL url", saveChunk, "GetOutboundPath",
          "GetInboundPath", "GetOutboundEDI", "WaitForResponse", "LogSession string", "Zip file", "Unzip file"}},
        {"Operations",
         {"cd", "cdup", "delete", "dir", "get", "mkdir", "put", "pwd", "quit", "recv", "rename", "rmdir", "size",
          "get", "head", "post"}},
        {"Properties",
         {"Exchange.URL", "Exchange.UserName", "Exchange.Password", "Exchange.RemoteFile", "Exchange.LocalFile"}},
        {"Functions", ScriptFunctions()},
        {"Statements", ScriptStatements()},
        {"Operators", ScriptOperators()},
    };
}

}  // namespace

std::vector<ReferenceGroup> SendReference() { return reference("SaveChunk url, filename"); }
std::vector<ReferenceGroup> ReceiveReference() { return reference("SaveChunk url, file"); }

}  // namespace vt::exchange
