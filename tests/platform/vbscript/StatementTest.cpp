// Statements: If, loops, Select Case, With, procedures and their arguments, arrays, classes.

#include "ScriptHarness.h"

namespace vt::vbscript::test {

TEST(Statements, IfForms) {
    expectOutputs({
        {"If True Then Print 1 Else Print 2", "1"},
        {"If False Then Print 1 Else Print 2 : Print 3", "2|3"},
        {"If False Then Print 1 : Print 2", ""},
        {"If True Then Print 1 : Print 2", "1|2"},
        {"If 1 Then If 0 Then Print 1 Else Print 2", "2"},
        {"if false then x=1 else x=2 end if : Print x", "2"},
        {"x = 3\nIf x = 1 Then\n Print 1\nElseIf x = 3 Then\n Print 3\nElse\n Print 0\nEnd If", "3"},
        {"If False Then\n Print 1\nElse Print 2\nEnd If", "2"},
        {"If False Then\nElseIf True Then Print \"e\"\nEnd If", "e"},
        {"If \"0\" Then Print 1 Else Print 0", "0"},
        {"If \"-1\" Then Print 1", "1"},
        {"If \"TRUE\" Then Print 1", "1"},
        {"If 0.1 Then Print 1", "1"},
        {"If Empty Then Print 1 Else Print 0", "0"},
    });
}

TEST(Statements, Loops) {
    expectOutputs({
        {"Do While x < 3 : x = x + 1 : Loop : Print x", "3"},
        {"Do Until x = 3 : x = x + 1 : Loop : Print x", "3"},
        {"Do : x = x + 1 : Loop While x < 3 : Print x", "3"},
        {"Do : x = x + 1 : Loop Until x >= 3 : Print x", "3"},
        {"Do : x = x + 1 : If x = 5 Then Exit Do\nLoop : Print x", "5"},
        {"Do While False : Print 1 : Loop : Do : Print 2 : Loop While False", "2"},
        {"While x < 3 : x = x + 1 : Wend : Print x", "3"},
        {"Do : While True : Exit Do : Wend : Loop : Print \"out\"", "out"},
        {"For i = 1 To 3 : s = s & i : Next : Print s, i", "123 4"},
        {"For i = 3 To 1 Step -1 : s = s & i : Next : Print s", "321"},
        {"For i = 1 To 2 Step 0.5 : s = s & i & \",\" : Next : Print s", "1,1.5,2,"},
        {"For i = 5 To 4 : Print i : Next : Print \"none\"", "none"},
        {"For i = 5 To 8 : s = s & i : i = i + 1 : Next : Print s", "57"},
        {"z = 4 : For x = 5 To z Step 3 - 4 : s = s & x : z = 0 : Next : Print s", "54"},
        {"For x = 5 To 3 Step True : s = s & x : Next : Print s", "543"},
        {"For i = \"1\" To \"3\" : n = n + 1 : Next : Print n", "3"},
        {"For i = 1 To 10 : If i = 3 Then Exit For\nNext : Print i", "3"},
        {"For i = 1 To 2 : For j = 1 To 10 : If j = 2 Then Exit For\nNext : s = s & i & j : Next : Print s", "1222"},
        {"For Each e In Array(1, \"a\", 2.5) : s = s & e & \";\" : Next : Print s, IsEmpty(e)", "1;a;2.5; True"},
        {"For Each e In Split(\"a,b,c\", \",\") : If e = \"b\" Then Exit For\nNext : Print e", "b"},
        {"For Each e In Array() : Print 1 : Next : Print \"none\"", "none"},
        {"Dim a(1, 1) : a(0, 0) = 1 : a(1, 0) = 2 : a(0, 1) = 3 : a(1, 1) = 4\n"
         "For Each e In a : s = s & e : Next : Print s",
         "1234"},
        {"For i = 32766 To 32767 : Next : Print i, TypeName(i)", "32768 Long"},
    });
}

TEST(Statements, SelectCase) {
    expectOutputs({
        {"Select Case 3 : Case 1, 2 : Print \"a\" : Case 3, 4 : Print \"b\" : Case Else : Print \"c\" : End Select",
         "b"},
        {"Select Case 7 : Case 1 To 5 : Print \"low\" : Case 6 To 10 : Print \"high\" : End Select", "high"},
        {"Select Case 7 : Case Is < 5 : Print \"lt\" : Case Is >= 7 : Print \"ge\" : End Select", "ge"},
        {"Select Case \"b\" : Case \"a\" To \"c\" : Print \"in\" : End Select", "in"},
        {"Select Case 9 : Case 1 : Print 1 : Case Else : Print \"else\" : End Select", "else"},
        {"Select Case 9 : Case 1 : Print 1 : End Select : Print \"after\"", "after"},
        {"Select Case 2 : Case 1, 2 : Print \"first\" : Case 2 : Print \"second\" : End Select", "first"},
        {"y = \"3\" : Select Case y : Case 3 : Print \"n\" : End Select", "n"},
        {"y = \"10\" : Select Case y : Case 9 : Print 9 : Case Is > 9 : Print \"more\" : End Select", "more"},
        {"Select Case Null : Case Null : Print 1 : Case Else : Print 2 : End Select", "2"},
        {"Function T(x)\nSelect Case x\ncase 0: T = 100\ncase 1  T = 200\ncase else T = 500\nend select\nEnd Function\n"
         "Print T(0), T(1), T(2)",
         "100 200 500"},
        {"i = 0 : Select Case i : Case Inc() : Print \"x\" : End Select : Print i\n"
         "Function Inc() : i = i + 1 : Inc = 5 : End Function",
         "1"},
    });
}

TEST(Statements, With) {
    expectOutputs({
        {"Class P : Public x, Kid : End Class\n"
         "Set o = New P : Set o.Kid = New P\n"
         "With o : .x = 1 : With .Kid : .x = 2 : End With : Print .x, .Kid.x : End With",
         "1 2"},
        {"Class P : Public x : End Class\nWith New P : .x = 5 : Print .x : End With", "5"},
        {"With Nothing : End With : Print \"ok\"", "ok"},
    });
}

TEST(Statements, ProceduresAndArguments) {
    expectOutputs({
        // ByRef is the default; ByVal copies; parentheses around one argument pass a copy.
        {"Sub S(v) : v = v + 1 : End Sub\nx = 1 : S x : Print x", "2"},
        {"Sub S(ByVal v) : v = v + 1 : End Sub\nx = 1 : S x : Print x", "1"},
        {"Sub S(ByRef v) : v = v + 1 : End Sub\nx = 1 : S (x) : Print x", "1"},
        {"Sub S(v) : v = v + 1 : End Sub\nx = 1 : Call S(x) : Print x", "2"},
        {"Sub S(v) : v = v + 1 : End Sub\nx = 1 : Call S((x)) : Print x", "1"},
        {"Function F(v) : v = 9 : F = 1 : End Function\nx = 1 : y = F(x) : Print x, y", "9 1"},
        {"Function F(v) : v = 9 : F = 1 : End Function\nx = 1 : F x : Print x", "9"},
        {"Sub S(a, b) : a = a + b : End Sub\nx = 1 : S x, x + 1 : Print x", "3"},
        {"Sub S(v) : v = 2 : End Sub\nDim a(1) : S a(1) : Print a(1)", "2"},
        {"Sub S(v) : v = 2 : End Sub\nDim a(1) : S (a(1)) : Print IsEmpty(a(1))", "True"},
        {"Sub S(v) : v = \"changed\" : End Sub\nConst C = 5 : S C : Print C", "5"},
        {"Sub S(v) : v = 1 : End Sub\nS undeclared : Print undeclared", "1"},
        {"Sub S(x, y) : Print x, y : End Sub\nS 1 = 1, 2", "True 2"},
        {"Function F() : F = 5 : End Function\nPrint F, F(), F + 1", "5 5 6"},
        {"Function Fact(n) : If n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)\nEnd Function\nPrint Fact(10)",
         "3628800"},
        {"Function F(x) : F = 2 : Dim y : y = F : Print y : F = 1 : If Not x Then F True\nEnd Function\nPrint F(False)",
         "2|2|1"},
        {"Function F : F = 1 : Exit Function : F = 2 : End Function\nPrint F", "1"},
        {"Sub S : Print 1 : Exit Sub : Print 2 : End Sub\nS", "1"},
        {"Sub S : For i = 1 To 5 : Exit Sub : Next : End Sub\nS : Print \"ok\"", "ok"},
        {"Sub S : x = 5 : Dim x : End Sub\nx = 1 : S : Print x", "1"},
        {"Sub S : Print g : g = 2 : End Sub\nDim g : g = 1 : S : Print g", "1|2"},
        {"Const K = 10\nSub S(K) : Print K : End Sub\nS 42", "42"},
        {"Print F(2)\nFunction F(n) : F = n * 2 : End Function", "4"},
        {"If False Then\nSub Hoisted : Print \"h\" : End Sub\nEnd If\nHoisted", "h"},
        {"Function D : D = 1 : End Function\nSub D : End Sub\nFunction D : D = 2 : End Function\nPrint D()", "2"},
        {"Sub OneLine() x = 1 End Sub\nOneLine : Print \"ok\"", "ok"},
        {"Function F(a, b, c) : F = a & b & c : End Function\nPrint F(1, 2, 3)", "123"},
        {"Sub S(a) : a = 5 : End Sub\nDim arr : arr = Array(1) : S arr(0) : Print arr(0)", "5"},
        {"Sub S(a) : a(0) = 5 : End Sub\nx = Array(1) : S x : Print x(0)", "5"},
        {"Sub S(a) : a(0) = 5 : End Sub\nx = Array(1) : S (x) : Print x(0)", "1"},
        {"Sub S(ByVal a) : a(0) = 5 : End Sub\nx = Array(1) : S x : Print x(0)", "1"},
    });
}

TEST(Statements, Constants) {
    expectOutputs({
        {"Const A = 1, B = \"two\", C = -3 : Print A, B, C, TypeName(C)", "1 two -3 Integer"},
        {"Private Const P = 4 : Public Const Q = #1/1/2020# : Print P, Q", "4 1/1/2020"},
        {"Const N = Null, E = Empty, T = True : Print IsNull(N), IsEmpty(E), T", "True True True"},
        {"Print K : Const K = \"hoisted\"", "hoisted"},
        {"Sub S : Const L = 7 : Print L : End Sub\nS", "7"},
        {"Print vbCrLf = Chr(13) & Chr(10), vbTab = Chr(9), Len(vbNullChar), vbNullString = \"\"",
         "True True 1 True"},
        {"Print vbTextCompare, vbYes, vbObjectError, vbString, vbArray, vbWhite", "1 6 -2147221504 8 8192 16777215"},
    });
}

TEST(Statements, Arrays) {
    expectOutputs({
        {"Dim a(2) : a(0) = 1 : a(2) = 3 : Print UBound(a), LBound(a), a(0), IsEmpty(a(1)), a(2)", "2 0 1 True 3"},
        {"Dim m(2, 3) : m(2, 3) = \"x\" : Print UBound(m, 1), UBound(m, 2), m(2, 3)", "2 3 x"},
        {"Dim d() : ReDim d(4) : d(4) = 1 : ReDim Preserve d(6) : Print UBound(d), d(4)", "6 1"},
        {"ReDim x(2) : x(0) = \"k\" : ReDim x(3) : Print IsEmpty(x(0)), UBound(x)", "True 3"},
        {"ReDim x(1, 2) : x(1, 2) = 5 : ReDim Preserve x(1, 4) : Print x(1, 2), UBound(x, 2)", "5 4"},
        {"x = Array(1, 2) : ReDim x(-1) : Print UBound(x), LBound(x)", "-1 0"},
        {"a = Array(1, 2) : b = a : b(0) = 9 : Print a(0), b(0)", "1 9"},
        {"Dim f(1) : f(0) = 1 : g = f : g(0) = 2 : ReDim g(5) : Print f(0), UBound(g)", "1 5"},
        {"Function Mk() : Dim t(1) : t(1) = \"r\" : Mk = t : t(1) = \"changed\" : End Function\n"
         "x = Mk() : Print x(1)",
         "r"},
        {"x = Array(Array(1, 2), Array(3)) : Print x(0)(1), x(1)(0), UBound(x(0))", "2 3 1"},
        {"x = Array(Array(1)) : x(0)(0) = 7 : Print x(0)(0)", "7"},
        {"Dim e(2) : e(1) = 5 : Erase e : Print UBound(e), IsEmpty(e(1))", "2 True"},
        {"ReDim e(2) : Erase e : Print IsArray(e)", "True"},
        {"x = Array(Array(1, 2), 3) : Erase x(0) : Print IsArray(x(0)), x(1)", "True 3"},
        {"Print IsArray(Array()), UBound(Array()), TypeName(Array(1)), VarType(Array(1))", "True -1 Variant() 8204"},
        {"Dim a(3) : a(\"1\") = \"s\" : a(2.5) = \"r\" : Print a(1), a(2)", "s r"},
        {"Option Explicit\nredim undeclared(3) : undeclared(3) = 10 : Print undeclared(3)", "10"},
        {"Option Explicit\nSub S : ReDim local(1) : local(1) = 2 : Print local(1) : End Sub\nS", "2"},
        {"Sub T(v) : v = 3 : End Sub\nSub S : ReDim q(1) : T q(1) : Print q(1) : End Sub\nS : Print IsEmpty(q)", "3|True"},
        {"x = Array(Array(1, 2))\nSub S(v) : v = 9 : End Sub\nS x(0)(1) : Print x(0)(1)", "9"},
    });
    expectErrors({
        {"Dim a(2) : a(3) = 1", 9, 1, 11},
        {"Dim a(2) : x = a(-1)", 9, 1, 11},
        {"Dim a(2) : x = a(1, 1)", 9, 1, 11},
        {"Dim a(2) : ReDim a(3)", 10, 1, 11},
        {"Dim a(2) : ReDim Preserve a(5)", 10, 1, 11},
        {"ReDim x(1, 1) : ReDim Preserve x(2, 1)", 9, 1, 16},
        {"x = 5 : y = x(0)", 13, 1, 8},
        {"x = UBound(5)", 13, 1, 0},
        {"Dim d() : x = UBound(d)", 9, 1, 10},
        {"Dim a(1) : a = 5", 13, 1, 11},
        {"Sub S(v) : ReDim x(5) : End Sub\nDim x(1) : x = Array(1)", 13, 2, 11},
        {"Sub S(v) : ReDim arr(5) : End Sub\nReDim arr(2) : S arr(1)", 10, 1, 11},
        {"ReDim x(\"abc\")", 13, 1, 0},
        // The arrays around an element in use stay put at every level.
        {"x = Array(Array(1, 2))\nSub S(v) : x = 0 : v = 9 : End Sub\nS x(0)(1)", 10, 2, 11},
        {"Dim x(1) : x(0) = Array(1, 2)\nSub S(v) : Erase x : End Sub\nS x(0)(1)", 10, 2, 11},
        {"x = 5 : Erase x", 13, 1, 8},
        {"Erase y", 13, 1, 0},
        // Parentheses make a copy: there is no variable to erase.
        {"Class C : Public a : End Class\nSet o = New C : o.a = Array(1) : Erase (o.a)", 13, 2, 33},
        {"x = Array(1, 2) : Erase x(0)", 13, 1, 18},
        {"Dim a(1), b(1) : Erase a, b", 450, 1, 17, "Wrong number of arguments or invalid property assignment: 'Erase'"},
        {"Erase", 1010, 1, 5},
        {"x = Array(Array(1, 2))\nFunction F : x = 0 : F = 1 : End Function\nx(0)(F()) = 5", 10, 2, 13},
    });
}

TEST(Statements, Classes) {
    expectOutputs({
        {"Class C\n Public V\n Private Sub Class_Initialize : V = 7 : Print \"init\" : End Sub\n"
         " Private Sub Class_Terminate : Print \"term\" : End Sub\nEnd Class\n"
         "Set o = New C : Print o.V : Set o = Nothing : Print \"after\"",
         "init|7|term|after"},
        {"Class C\n Private p\n Public Property Get Name : Name = p : End Property\n"
         " Public Property Let Name(v) : p = UCase(v) : End Property\nEnd Class\n"
         "Set o = New C : o.Name = \"abc\" : Print o.Name",
         "ABC"},
        {"Class C\n Private k\n Public Property Set Kid(v) : Set k = v : End Property\n"
         " Public Property Get Kid : Set Kid = k : End Property\n Public Tag\nEnd Class\n"
         "Set a = New C : Set b = New C : b.Tag = \"b\" : Set a.Kid = b : Print a.Kid.Tag",
         "b"},
        {"Class C\n Public x\n Public Default Property Get Value : Value = x * 2 : End Property\nEnd Class\n"
         "Set o = New C : o.x = 4 : y = o : Print y, o, o + 1, TypeName(y), TypeName(o)",
         "8 8 9 Integer C"},
        {"Class C\n Public Default Function Item(i) : Item = i * 10 : End Function\nEnd Class\n"
         "Set o = New C : Print o(3), o.Item(4)",
         "30 40"},
        {"Class C\n Public Function Who : Who = TypeName(Me) : End Function\n"
         " Public Function Same(o) : Same = (o Is Me) : End Function\nEnd Class\n"
         "Set o = New C : Print o.Who, o.Same(o), o.Same(New C)",
         "C True False"},
        {"Class C\n Private Function Secret : Secret = 5 : End Function\n"
         " Public Function Open : Open = Secret() + Me.Secret : End Function\nEnd Class\n"
         "Set o = New C : Print o.Open",
         "10"},
        {"Class C\n Public list(2)\n Public Sub Fill : list(1) = \"one\" : End Sub\nEnd Class\n"
         "Set o = New C : o.Fill : Print UBound(o.list), o.list(1)",
         "2 one"},
        {"Class C\n Public n\n Public Function AddOne : n = n + 1 : Set AddOne = Me : End Function\nEnd Class\n"
         "Set o = New C : o.AddOne().AddOne.AddOne : Print o.n",
         "3"},
        {"Class C\n Public Property Get P(i, j) : P = i + j : End Property\n"
         " Public Property Let P(i, j, v) : Print i, j, v : End Property\nEnd Class\n"
         "Set o = New C : o.P(1, 2) = 3 : Print o.P(4, 5)",
         "1 2 3|9"},
        {"Class C : Public x : End Class\nSet a = New C : Set b = a : b.x = 1 : Print a.x", "1"},
        {"Class C : Public x\n Public Property Let Ten(a, b, c, d, e, f, g, h, i, j) : x = a & b & c & d & e & f & g & h & i & j"
         " : End Property\nEnd Class\nSet o = New C : o.Ten(1, 2, 3, 4, 5, 6, 7, 8, 9) = 0 : Print o.x",
         "1234567890"},
        {"Class C\n Sub Class_Terminate : Print \"t\" & Me.id : End Sub\n Public id\nEnd Class\n"
         "Sub Make : Dim o : Set o = New C : o.id = 1 : End Sub\nMake : Print \"back\"",
         "t1|back"},
        {"Print (New C).Hi\nClass C : Function Hi : Hi = \"hi\" : End Function : End Class", "hi"},
        {"Class Property\n Public Sub Property() : Print \"p\" : End Sub\nEnd Class\n"
         "Dim error, step : error = 1 : step = 2 : Print error + step",
         "3"},
        {"Class C\n Public Default Sub Run(a) : Print \"run\" & a : End Sub\nEnd Class\nSet o = New C : o(2)", "run2"},
    });
    expectErrors({
        {"Class C : Private x : End Class\nSet o = New C : o.x = 1", 438, 2, 16},
        {"Class C : Public x : End Class\nSet o = New C : o.Missing", 438, 2, 16,
         "Object doesn't support this property or method: 'o.Missing'"},
        {"Class C : End Class\nSet o = New C : x = o", 438, 2, 16},
        {"Set o = New Undefined", 506, 1, 0, "Class not defined: 'Undefined'"},
        {"Class C : Sub S(a) : End Sub : End Class\nSet o = New C : o.S", 450, 2, 16},
        {"Class C : End Class\nx = New C", 438, 2, 0},
    });
}

TEST(Statements, SeparatorsContinuationsAndComments) {
    expectOutputs({
        {"x = 1 + _\n    2 : Print x", "3"},
        {"x =_\n 3 : Print x", "3"},
        {"Print 1 ' comment\nPrint 2 : Rem another\nRem whole line\nPrint 3", "1|2|3"},
        {": : x = 1 :: Print x :", "1"},
        {"x = \"it's\" ' quote in a string\nPrint x", "it's"},
        {"Sub S : Print \"s\" End Sub\nS", "s"},
        {"Dim [my var] : [my var] = 5 : Print [my var]", "5"},
        {"Class P : Public x : End Class\nWith New P\n .x = 5 : Print .x\nEnd With", "5"},
        {"x = Array(4, 5)\nPrint _\n x(0) _\n , x(1)", "4 5"},
    });
    // A keyword after a dot names a member; Rem there is no comment.
    expectErrors({{"x = Out.rem", 438, 1, 0, "Object doesn't support this property or method: 'Out.rem'"}});
}

}  // namespace vt::vbscript::test
