// Every word the script reference trees offer: the 93 functions are all built in, and each of the
// 27 statements and 21 operators works in a snippet.

#include "ScriptHarness.h"

#include "platform/vbscript/Builtins.h"
#include "platform/vbscript/Compiler.h"

namespace vt::vbscript::test {

TEST(ReferenceTree, EveryFunctionIsBuiltIn) {
    const char* const functions[] = {
        "Abs", "Array", "Asc", "Atn", "CBool", "CByte", "CCur", "CDate", "CDbl", "Chr", "CInt", "CLng", "Cos",
        "CreateObject", "CSng", "CStr", "Date", "DateAdd", "DateDiff", "DatePart", "DateSerial", "DateValue", "Day",
        "Eval", "Exp", "Filter", "Fix", "FormatCurrency", "FormatDateTime", "FormatNumber", "FormatPercent",
        "GetLocale", "GetObject", "GetRef", "Hex", "Hour", "InputBox", "InStr", "InStrRev", "Int", "IsArray",
        "IsDate", "IsEmpty", "IsNull", "IsNumeric", "IsObject", "Join", "LBound", "LCase", "Left", "Len",
        "LoadPicture", "Log", "LTrim", "Mid", "Minute", "Month", "MonthName", "MsgBox", "Now", "Oct", "Replace",
        "RGB", "Right", "Rnd", "Round", "RTrim", "ScriptEngine", "ScriptEngineBuildVersion",
        "ScriptEngineMajorVersion", "ScriptEngineMinorVersion", "Second", "SetLocale", "Sgn", "Sin", "Space",
        "Split", "Sqr", "StrComp", "String", "StrReverse", "Tan", "Time", "Timer", "TimeSerial", "TimeValue",
        "Trim", "UBound", "UCase", "VarType", "Weekday", "WeekdayName", "Year",
    };
    EXPECT_EQ(std::size(functions), 93u);
    for (const char* f : functions) EXPECT_NE(builtins().find(lowerName(f)), nullptr) << f;
    // The statements that are built-in procedures.
    for (const char* s : {"Execute", "ExecuteGlobal", "Randomize"}) EXPECT_NE(builtins().find(lowerName(s)), nullptr) << s;
}

TEST(ReferenceTree, EveryStatementWorks) {
    expectOutputs({
        {"Sub S(x) : Print x : End Sub\nCall S(1)", "1"},
        {"Class C : Public v : End Class\nSet o = New C : o.v = 2 : Print o.v", "2"},
        {"Const K = 3 : Print K", "3"},
        {"Dim a, b(1) : a = 4 : Print a, UBound(b)", "4 1"},
        {"Do While i < 5 : i = i + 1 : Loop : Print i", "5"},
        {"Dim e(1) : e(0) = 1 : Erase e : Print IsEmpty(e(0))", "True"},
        {"Execute \"Print 6\"", "6"},
        {"For i = 1 To 9 : If i = 7 Then Exit For\nNext : Print i", "7"},
        {"For i = 1 To 8 Step 7 : s = s & i : Next : Print s", "18"},
        {"For Each v In Array(9, 10) : s = s & v : Next : Print s", "910"},
        {"Function F : F = 11 : End Function\nPrint F", "11"},
        {"If 1 > 2 Then Print 0 Else Print 12", "12"},
        {"On Error Resume Next : x = 1 / 0 : Print Err.Number", "11"},
        {"Option Explicit\nDim v : v = 14 : Print v", "14"},
        {"Private p : p = 15 : Print p", "15"},
        {"Class C\n Private n\n Property Get N2 : N2 = n * 2 : End Property\n Property Let N2(v) : n = v : End Property\n"
         "End Class\nSet o = New C : o.N2 = 8 : Print o.N2",
         "16"},
        {"Class C\n Private r\n Property Set R2(v) : Set r = v : End Property\n Property Get R2 : Set R2 = r : End Property\n"
         "End Class\nSet o = New C : Set o.R2 = o : Print TypeName(o.R2)",
         "C"},
        {"Public q : q = 19 : Print q", "19"},
        {"Randomize 20 : Randomize : Print Rnd < 1", "True"},
        {"ReDim a(2) : a(2) = 21 : ReDim Preserve a(3) : Print a(2), UBound(a)", "21 3"},
        {"Rem nothing\nPrint 22 ' nor here", "22"},
        {"Select Case 23 : Case 1, 2 : Print 0 : Case Is > 20 : Print 23 : End Select", "23"},
        {"Set o = Nothing : Print o Is Nothing", "True"},
        {"Sub S : Print 25 : End Sub\nS", "25"},
        {"While i < 26 : i = i + 1 : Wend : Print i", "26"},
        {"Class C : Public v : End Class\nSet o = New C\nWith o : .v = 27 : Print .v : End With", "27"},
    });
}

TEST(ReferenceTree, EveryOperatorWorks) {
    expectOutputs({
        {"Print True And False, True Eqv True, False Imp False, Nothing Is Nothing, 7 Mod 3, Not 0, 1 Or 2, 3 Xor 1",
         "False True True True 1 -1 3 2"},
        {"Print 1 = 1, 1 < 2, 2 > 1, 1 <= 1, 2 >= 3, 1 <> 1, 1 + 2, \"a\" & 1, 5 - 7, 7 / 2, 7 \\ 2, 3 * 4, 2 ^ 10",
         "True True True True False False 3 a1 -2 3.5 3 12 1024"},
    });
}

}  // namespace vt::vbscript::test
