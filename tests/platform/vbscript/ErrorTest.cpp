// Compile and run-time errors with their numbers, lines and columns; On Error and Err.

#include "ScriptHarness.h"

namespace vt::vbscript::test {

TEST(Errors, CompileErrorsAtTheOffendingToken) {
    expectErrors({
        {"x = ", 1023, 1, 4, "Expected expression"},
        {"x = \"abc", 1033, 1, 4, "Unterminated string constant"},
        {"x = 1 $", 1032, 1, 6, "Invalid character"},
        {"x = 1 2", 1025, 1, 6, "Expected end of statement"},
        {"Dim x, x", 1041, 1, 7, "Name redefined"},
        {"Dim x\nConst x = 1", 1041, 2, 6},
        {"Sub S(a, a) : End Sub", 1041, 1, 0},
        {"Call f(1,2", 1006, 1, 10, "Expected ')'"},
        {"foo(1, 2)", 1044, 1, 3, "Cannot use parentheses when calling a Sub"},
        {"If x Then\nx = 1", 1014, 2, 5, "Expected 'End'"},
        {"If x\nEnd If", 1017, 1, 4, "Expected 'Then'"},
        {"If x Then\nEnd Sub", 1012, 2, 4, "Expected 'If'"},
        {"Do\nx = 1", 1019, 2, 5, "Expected 'Loop'"},
        {"For i = 1 To 2\nx = 1", 1020, 2, 5, "Expected 'Next'"},
        {"For i = 1 2\nNext", 1013, 1, 10, "Expected 'To'"},
        {"For Each x Of y\nNext", 1046, 1, 11, "Expected 'In'"},
        {"While x\nx = 1", 1018, 2, 5, "Expected 'Wend'"},
        {"Select x\nEnd Select", 1021, 1, 7, "Expected 'Case'"},
        {"Select Case x\nx = 1\nEnd Select", 1021, 2, 0},
        {"Loop", 1038, 1, 0, "'loop' without 'do'"},
        {"Next", 1055, 1, 0, "Unexpected 'Next'"},
        {"Exit For", 1039, 1, 5, "Invalid 'exit' statement"},
        {"Sub S : Exit Function : End Sub", 1039, 1, 13},
        {"Do : Loop Foo", 1028, 1, 10},
        {"Dim a(n)", 1026, 1, 6, "Expected integer constant"},
        {"Const c = x", 1045, 1, 10, "Expected literal constant"},
        {"Set x 5", 1011, 1, 6, "Expected '='"},
        {"Dim 5", 1010, 1, 4, "Expected identifier"},
        {"Sub\nEnd Sub", 1010, 1, 3},
        {"Function F\nEnd Sub", 1015, 2, 4, "Expected 'Function'"},
        {"Sub S\nEnd Function", 1016, 2, 4, "Expected 'Sub'"},
        {"Class C\nSub S\nEnd Sub\nEnd Sub", 1047, 4, 4, "Expected 'Class'"},
        {"Class C\nPublic Property Got X\nEnd Property\nEnd Class", 1049, 2, 16},
        {"Property Get X\nEnd Property", 1048, 1, 0, "Must be defined inside a Class"},
        {"Class C\nSub Class_Initialize(a)\nEnd Sub\nEnd Class", 1053, 2, 0},
        {"Class C\nProperty Let X()\nEnd Property\nEnd Class", 1054, 2, 0},
        {"Class C\nPrivate Default Function F\nEnd Function\nEnd Class", 1057, 2, 8},
        {"Class C\nPublic Default Function F\nEnd Function\nPublic Default Function G\nEnd Function\nEnd Class",
         1052, 4, 15},
        {"x = 1\n  y = (1 + \n", 1023, 2, 11},
        {"On Error Goto Label", 1002, 1, 14, "Syntax error"},
        {"x = #not a date#", 1002, 1, 4},
        {"x = &H1FFFFFFFF", 1002, 1, 4, "Syntax error"},
        {"x = &O40000000000", 1002, 1, 4},
        {"x = Eval(\"&H100000000\")", 1002, 1, 0},
        {"x = Eval(\"&777777777777&\")", 1002, 1, 0},
        {"x = 1e999", 1031, 1, 4},
        {"x = 1 _ 2", 1032, 1, 6},
        {"If x Then For i = 1 To 2 : Next", 1024, 1, 10, "Expected statement"},
        {"Sub S\nSub T\nEnd Sub\nEnd Sub", 1024, 2, 0},
        {"x = [unclosed", 1007, 1, 4},
        {"Option Explicit : Sub S : Option Explicit : End Sub", 1024, 1, 26},
    });
}

TEST(Errors, RuntimeErrorsAtTheStatement) {
    expectErrors({
        {"x = 1\n  y = 1 / 0", 11, 2, 2, "Division by zero"},
        {"Sub S\n    x = 1 / 0\nEnd Sub\nS", 11, 2, 4},
        {"Function F : F = CInt(\"x\") : End Function\nPrint 1 : y = F()", 13, 1, 13, "Type mismatch: 'CInt'"},
        {"x = undefinedFn(3)", 13, 1, 0, "Type mismatch: 'undefinedFn'"},
        {"undefinedSub 1", 13, 1, 0, "Type mismatch: 'undefinedSub'"},
        {"Option Explicit\nDim a : a = 1\nb = 2", 500, 3, 0, "Variable is undefined: 'b'"},
        {"Option Explicit\nSub S : q = 1 : End Sub\nS", 500, 2, 8},
        {"Option Explicit\nx = y + 1", 500, 2, 0, "Variable is undefined: 'y'"},
        {"Option Explicit\nundefinedSub", 500, 2, 0},
        {"Set o = Nothing : o.Foo", 424, 1, 18, "Object required: 'o'"},
        {"x = 5 : x.y = 1", 424, 1, 8},
        {"Set x = 5", 424, 1, 0, "Object required: 'x'"},
        {"x = Nothing", 91, 1, 0, "Object variable not set"},
        {"Const C = 1 : C = 2", 501, 1, 14, "Illegal assignment: 'C'"},
        {"vbCrLf = 1", 501, 1, 0},
        {"Sub S : End Sub\nS = 1", 501, 2, 0},
        {"Sub S(a) : End Sub\nS", 450, 2, 0, "Wrong number of arguments or invalid property assignment: 'S'"},
        {"Sub S(a) : End Sub\nS 1, 2", 450, 2, 0},
        {"Err.Raise 1000, \"Src\", \"Custom\"", 1000, 1, 0, "Custom"},
        {"Err.Raise 5", 5, 1, 0, "Invalid procedure call or argument"},
        {"Err.Raise vbObjectError + 1", -2147221503, 1, 0, "Unknown runtime error"},
        {"x = .prop", 505, 1, 0, "Invalid or unqualified reference: 'prop'"},
        {"For Each x In 5 : Next", 451, 1, 0, "Object not a collection"},
        {"With 42 : End With", 424, 1, 0},
        {"x = Array(1)(5)", 9, 1, 0},
    });
}

TEST(Errors, ErrorRecordCarriesSourceAndLineText) {
    Harness h;
    Outcome o = h.run("Dim a\n  a = 1 / 0 ' divide");
    EXPECT_EQ(o.error.number, 11);
    EXPECT_EQ(o.error.source, "VBScript runtime error");
    EXPECT_EQ(o.error.lineText, "  a = 1 / 0 ' divide");
    EXPECT_EQ(o.error, h.sc.error());
    o = h.run("x = (1");
    EXPECT_EQ(o.error.source, "VBScript compilation error");
    EXPECT_EQ(o.error.lineText, "x = (1");
    // A host object's own error keeps its number and source.
    o = h.run("Out.Nope");
    EXPECT_EQ(o.error.number, 438);
    EXPECT_EQ(o.error.description, "Object doesn't support this property or method: 'Out.Nope'");
}

TEST(Errors, OnErrorResumeNext) {
    expectOutputs({
        {"On Error Resume Next\nx = 1 / 0\nPrint Err.Number, Err.Description, Err.Source", "11 Division by zero VBScript runtime error"},
        {"On Error Resume Next\nx = 6\nx = CInt(\"a\") + Fail()\nPrint x, Err.Number", "6 13"},
        {"On Error Resume Next\nx = 1 / 0 : Print \"next\"\nPrint \"line\"", "next|line"},
        {"On Error Resume Next\nx = 1 / 0\nOn Error GoTo 0\nPrint Err.Number", "0"},
        {"On Error Resume Next\nx = 1 / 0\nErr.Clear\nPrint Err.Number, Err.Description = \"\"", "0 True"},
        {"On Error Resume Next\nErr.Raise 1000, \"me\", \"mine\"\nPrint Err.Number, Err.Source, Err.Description", "1000 me mine"},
        {"On Error Resume Next\nErr.Raise 6\nPrint Err.Number, Err.Description, Err", "6 Overflow 6"},
        // Raise keeps the help file and context; what it leaves out, Err still holds.
        {"On Error Resume Next\nErr.Raise 1000, \"me\", \"mine\", \"h.chm\", 42\n"
         "Print Err.HelpFile, Err.HelpContext : Err.Raise 2000 : Print Err.Number, Err.Source, Err.Description, Err.HelpFile, "
         "Err.HelpContext : Err.Clear : Err.Raise 2000 : Print Err.Source, Err.Description, Err.HelpContext",
         "h.chm 42|2000 me mine h.chm 42|VBScript runtime error Unknown runtime error 0"},
        {"On Error Resume Next\nx = 1 / 0 : Err.Raise 5 : Print Err.Number, Err.Description, Err.HelpFile = \"\"",
         "5 Division by zero True"},
        // An HRESULT that stands for a script error becomes it.
        {"On Error Resume Next\nErr.Raise &H8007000E : Print Err.Number, Err.Description : Err.Clear\n"
         "Err.Raise &H800A0009 : Print Err.Number, Err.Description : Err.Clear : Err.Raise &H80020005, \"s\", \"d\" : "
         "Print Err.Number, Err.Description",
         "7 Out of memory|9 Subscript out of range|13 d"},
        {"On Error Resume Next\nx = 1 / 0\nIf Err Then Print \"err\"", "err"},
        {"On Error Resume Next\nErr.Number = 7 : Err.Description = \"set\" : Print Err.Number, Err.Description", "7 set"},
        {"On Error Resume Next\nx = Nothing : Print Err.Number\nOn Error Resume Next\nPrint Err.Number", "91|0"},
        // A failing condition goes on with the statement after it: the Then branch or the body.
        {"On Error Resume Next\nIf 1 / 0 Then Print \"then\" Else Print \"else\"", "then"},
        {"On Error Resume Next\nIf False Then\nPrint 1\nElseIf 1 / 0 Then\nPrint \"elseif\"\nElse\nPrint 2\nEnd If",
         "elseif"},
        {"On Error Resume Next\nDo While 1 / 0 : Print \"body\" : Exit Do : Loop : Print Err.Number", "body|11"},
        {"On Error Resume Next\nDo : x = x + 1 : Loop While 1 / 0 : Print x", "1"},
        {"On Error Resume Next\nDo : x = x + 1 : Loop Until 1 / 0 : Print x", "1"},
        {"On Error Resume Next\nx = 6 : y = 0\nFor x = 1 / 0 To 10 : y = y + 1 : Next\nPrint x, y, Err.Number", "6 1 92"},
        {"On Error Resume Next\nx = 2 : y = 0\nFor Each x In 1 / 0 : y = y + 1 : Next\nPrint x, y, Err.Number", "2 1 451"},
        {"On Error Resume Next\nFor Each x In Empty : y = 1 : Next : Print y, Err.Number", "1 451"},
        {"On Error Resume Next\nSelect Case 1 / 0 : Case Else : Print \"no\" : End Select : Print Err.Number", "11"},
        {"On Error Resume Next\nSelect Case 3 : Case 1 : Print 1 : Case 1 / 0 : Print \"hit\" : Case 3 : Print 3 : End Select",
         "hit"},
        {"On Error Resume Next\nWith 1 / 0 : Print \"body\" : .x = 1 : Print Err.Number : End With", "body|424"},
    });
}

TEST(Errors, OnErrorAcrossProcedures) {
    expectOutputs({
        // An error in a procedure without a handler leaves it at once and is handled by the caller.
        {"Sub Inner : Print \"a\" : x = 1 / 0 : Print \"b\" : End Sub\n"
         "On Error Resume Next\nInner\nPrint \"after\", Err.Number",
         "a|after 11"},
        // The handler of a procedure is its own; the caller's Resume Next does not reach into it.
        {"Sub Inner : On Error Resume Next : x = 1 / 0 : Print \"inner\", Err.Number : End Sub\n"
         "Inner\nPrint \"outer\", Err.Number",
         "inner 11|outer 11"},
        {"Sub Inner : x = 1 / 0 : End Sub\nSub Middle : Inner : Print \"not here\" : End Sub\n"
         "On Error Resume Next\nMiddle : Print \"top\", Err.Number",
         "top 11"},
        {"Function F : On Error Resume Next : F = 1 / 0 : F = 5 : End Function\nPrint F(), Err.Number", "5 11"},
        {"Sub S : On Error Resume Next : x = 1 / 0 : Exit Sub : End Sub\nS : Print Err.Number", "0"},
        {"Sub T(resume)\n If resume Then On Error Resume Next\n x = 1\n Err.Raise 9\n x = 2\nEnd Sub\n"
         "On Error Resume Next\nx = 0 : T True : Print x, Err.Number\nx = 0 : T False : Print x, Err.Number",
         "2 9|1 9"},
        {"Class C\n Public Function Boom : Boom = 1 / 0 : End Function\nEnd Class\n"
         "On Error Resume Next\nSet o = New C : v = o.Boom : Print IsEmpty(v), Err.Number",
         "True 11"},
    });
    expectErrors({
        {"Sub Inner\n  x = 1 / 0\nEnd Sub\nSub Outer\n  Inner\nEnd Sub\nOuter", 11, 2, 2},
        {"On Error Resume Next\nOn Error GoTo 0\nx = 1 / 0", 11, 3, 0},
    });
}

}  // namespace vt::vbscript::test
