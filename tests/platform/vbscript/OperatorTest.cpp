// Operators: precedence, result subtypes, comparisons, Null, rounding, string "+", Is.

#include "ScriptHarness.h"

namespace vt::vbscript::test {

TEST(Operators, Precedence) {
    expectOutputs({
        {"Print 2 + 3 * 4, (2 + 3) * 4", "14 20"},
        {"Print 2 ^ 3 ^ 2, 2 * 3 ^ 2", "64 18"},
        {"Print -3 ^ 2, 2 ^ -1", "9 0.5"},
        {"Print 7 Mod 4 + 2, 2 + 3 \\ 4", "5 2"},
        {"Print 12 / 3 \\ 2, 10 \\ 3 * 2, 5 Mod 3 \\ 2", "2 1 0"},
        {"Print \"a\" & 1 + 2", "a3"},
        {"Print 1 = 1 < 0", "True"},
        {"Print Not 1 = 2, Not True And False", "True False"},
        {"Print True Or False And False, 1 Or 2 And 3", "True 3"},
        {"Print False Imp True Eqv False, 3 Xor 5 Or 1", "True 6"},
        {"Print 2 => 1, 1 =< 2, 2 >< 1", "True True True"},
        {"Print --1, +-+1", "1 -1"},
    });
}

TEST(Operators, ResultSubtypes) {
    expectOutputs({
        {"Print TypeName(1 + 1), TypeName(32767 + 1), TypeName(2147483647 + 1)", "Integer Long Double"},
        {"Print TypeName(-32767 - 2), TypeName(200 * 200), TypeName(65536 * 65536)", "Long Long Double"},
        {"Print TypeName(1 + 1.5), TypeName(\"1\" + 1), \"1\" + 1", "Double Double 2"},
        {"Print TypeName(CByte(2) + CByte(3)), TypeName(CByte(200) + CByte(100)), CByte(200) + CByte(100)",
         "Byte Integer 300"},
        {"Print TypeName(True + True), True + True, False + 6 + True", "Integer -2 5"},
        {"Print TypeName(CSng(1.5) + 1), TypeName(CSng(1.5) + CLng(1))", "Single Double"},
        {"Print TypeName(CCur(1.5) + 1), TypeName(CCur(1.5) * 2.5), CCur(1.5) * 2.5", "Currency Currency 3.75"},
        {"Print TypeName(Empty + Empty), 2 + Empty, 2 - Empty, TypeName(-Empty)", "Integer 2 2 Integer"},
        {"Print 3 / 2, TypeName(4 / 2), TypeName(CSng(3) / CSng(2))", "1.5 Double Single"},
        {"Print TypeName(2 ^ 2), TypeName(-True), -True", "Double Integer 1"},
        {"Print TypeName(-CInt(-32768)), -CInt(-32768)", "Long 32768"},
        {"Print #1/2/2020# + 1, TypeName(#1/2/2020# + 1)", "1/3/2020 Date"},
        {"Print #1/3/2020# - #1/1/2020#, TypeName(#1/3/2020# - #1/1/2020#)", "2 Double"},
        {"Print 0.1 + 0.2 = 0.3, 1E+16 + 1", "False 1E+16"},
    });
}

TEST(Operators, IntegerDivisionAndModRoundHalfToEven) {
    expectOutputs({
        {"Print 7 \\ 2, -7 \\ 2, 7 Mod -3, -7 Mod 3", "3 -3 1 -1"},
        {"Print 2.5 \\ 1, 3.5 \\ 1, -2.5 \\ 1, 4.6 \\ 1.49", "2 4 -2 5"},
        {"Print 2.5 Mod 10, 11.6 Mod 5.5, 5.5 Mod 2", "2 0 0"},
        {"Print TypeName(CByte(7) \\ CByte(2)), TypeName(7 \\ 2), TypeName(CLng(7) \\ 2), TypeName(7.5 \\ 2)",
         "Byte Integer Long Long"},
        {"Print \"7\" \\ \"2\", TypeName(\"7\" Mod 2)", "3 Long"},
    });
}

TEST(Operators, StringsJoinWithPlusAndAmpersand) {
    expectOutputs({
        {"Print \"a\" + \"b\", \"a\" + Empty, Empty + \"a\"", "ab a a"},
        {"Print \"3\" + 4, \"3\" & 4, 1 & 100000", "7 34 1100000"},
        {"Print \"x\" & Null, 1 & Null & 2, IsNull(Null & Null)", "x 12 True"},
        {"Print \"ab\" & True, 1.5 & \"\", \"\" & Empty & \"|\"", "abTrue 1.5 |"},
        {"x = \"xx\" : hi = \"y\" : Print \"x\" &hi, \"a\"&x", "xy axx"},
    });
}

// s = s & ... appends in place; what the parts do when read must not change.
TEST(Operators, AppendingToAText) {
    expectOutputs({
        {"s = \"a\" : s = s & 1 & Null & Empty & True & vbCrLf & 2.5 : Print Replace(s, vbCrLf, \"|\")", "a1True|2.5"},
        {"Const K = \"k\" : s = \"ab\" : s = s & s & K : Print s", "ababk"},
        {"s = Null : s = s & \"a\" : t = 5 : t = t & \"b\" : Print s, t", "a 5b"},
        {"Class C : Public Default Property Get V : s = \"changed\" : V = \"v\" : End Property : End Class\n"
         "Set o = New C : s = \"x\" : s = s & o : Print s",
         "xv"},
        {"Function F : s = \"z\" : F = \"f\" : End Function\ns = \"x\" : s = s & F : s = s & F() : Print s", "xff"},
        {"Sub P : t = \"\" : For i = 1 To 3 : t = t & i : Next : Print t : End Sub\nP : Print vbTab = Chr(9)", "123|True"},
        {"Option Explicit\nDim s, a(1) : s = \"x\" : a(0) = \"y\" : s = s & a(0) & vbTab : Print Len(s)", "3"},
        {"Class D : Private s : Sub Add(x) : s = s & x : End Sub : Function Text : Text = s : End Function : End Class\n"
         "Set obj = New D : obj.Add \"p\" : obj.Add \"q\" : Print obj.Text",
         "pq"},
    });
    expectErrors({
        {"s = \"a\" : s = s & Array(1)", 13, 1, 10},
        {"Const C = \"c\" : C = C & \"x\"", 501, 1, 16},
        {"vbCrLf = vbCrLf & \"x\"", 501, 1, 0},
        {"Sub P : vbTab = vbTab & \"x\" : End Sub\nP", 501, 1, 8},
        {"Option Explicit\nDim s : s = \"a\" : s = s & nope", 500, 2, 18},
    });
}

TEST(Operators, Comparisons) {
    expectOutputs({
        {"Print 1 = 1.0, 2 > 1, 2 >= 2, 1 <> 1, 1 < 2, 2 <= 1", "True True True False True False"},
        {"Print \"a\" < \"b\", \"a\" < \"B\", \"abc\" = \"ABC\", \"abc\" < \"abcd\"", "True False False True"},
        {"Print Empty = 0, Empty = \"\", Empty = Empty, Empty < 1", "True True True True"},
        {"Print True = -1, False = 0, False > True, 0 > True", "True True True True"},
        // A literal keeps its kind: a text literal compares the number as text, a numeric literal
        // compares a number in text as a number (other text is greater).
        {"Dim n : n = 5 : Print n = \"5\", n < \"10\", n = \"abc\", n > \"40\"", "True False False True"},
        {"Dim s : s = \"5\" : Print s = 5", "True"},
        {"s = \"10\" : Print s > 9, s = 10.0, s < 9.5, Mid(\"AB12\", 3) > 9", "True True False True"},
        {"s = \"\" : t = \"abc\" : Print s = 0, s > 0, t > 100, t < 100", "False True True False"},
        {"d = #1/2/2020# : b = True : Print d = \"1/2/2020\", b = \"True\"", "True True"},
        {"Dim a, b : a = 5 : b = \"5\" : Print a = b, a < b", "False True"},
        {"Print \"true\" <> True, \"\" <> False", "True True"},
        {"Print #1/1/2020# < #1/2/2020#, #1/1/2020# = 43831", "True True"},
    });
}

TEST(Operators, NullPropagates) {
    expectOutputs({
        {"Print IsNull(Null + 1), IsNull(1 - Null), IsNull(Null * 2), IsNull(Null / 2)", "True True True True"},
        {"Print IsNull(Null \\ 2), IsNull(Null Mod 2), IsNull(Null ^ 2), IsNull(-Null)", "True True True True"},
        {"Print IsNull(Null = Null), IsNull(1 <> Null), IsNull(Null < 1), IsNull(\"a\" = Null)", "True True True True"},
        {"Print Null And False, IsNull(Null And True), Null And 0", "False True 0"},
        {"Print Null Or True, IsNull(Null Or False), IsNull(Null Xor True), IsNull(Null Eqv True)",
         "True True True True"},
        {"Print Null Imp True, False Imp Null, IsNull(True Imp Null), IsNull(Null Imp False)", "True True True True"},
        {"Print IsNull(Not Null), IsNull(Len(Null)), IsNull(UCase(Null))", "True True True"},
        {"If Null Then Print \"yes\" Else Print \"no\"", "no"},
        {"x = 0 : While Null : x = 1 : Wend : Print x", "0"},
    });
}

TEST(Operators, LogicOnNumbersAndBooleans) {
    expectOutputs({
        {"Print 12 And 10, 12 Or 3, 12 Xor 10, Not 0, Not 5", "8 15 6 -1 -6"},
        {"Print TypeName(True And True), TypeName(True And 1), TypeName(CByte(1) Or CByte(2))",
         "Boolean Integer Byte"},
        {"Print (&h01or&h02), 5 Eqv 3, 0 Imp 0", "3 -7 -1"},
        {"Print TypeName(CLng(1) And 1), TypeName(1.5 Or 0), 1.5 Or 0", "Long Long 2"},
        {"Print Not \"False\", True And \"True\"", "True True"},
        // A number in text is complemented as a Long.
        {"Print Not \"1\", TypeName(Not \"1\"), Not \"0\", Not \" 2.5 \"", "-2 Long -1 -3"},
        // Empty makes a Long; Null with a Byte an Integer.
        {"Print TypeName(Empty And 1), TypeName(True Or Empty), TypeName(Not Empty), Not Empty, Empty Xor CByte(3), "
         "TypeName(Empty Eqv Empty), Empty Imp Empty",
         "Long Long Long -1 3 Long -1"},
        {"Print CByte(0) Imp Null, TypeName(CByte(0) Imp Null), TypeName(CByte(0) And Null), IsNull(CByte(255) Or Null), "
         "IsNull(Null Imp CByte(1)), TypeName(CByte(2) And CByte(3)), TypeName(Null And Empty)",
         "-1 Integer Integer True True Byte Long"},
    });
}

TEST(Operators, Literals) {
    expectOutputs({
        {"Print &hff, &HFFFF, &hffff&, &hFFFFFFFF&, &o17", "255 -1 65535 -1 15"},
        {"Print TypeName(&h10&), TypeName(&hffFF&), TypeName(&h10000)", "Integer Long Long"},
        {"Print &17, &17&, &O17&, &177777, TypeName(&200000), Eval(\"&17 + 1\"), 1 & 2", "15 15 15 -1 Long 16 12"},
        {"Print TypeName(vbRed), TypeName(vbBlack), TypeName(vbWhite), TypeName(vbMsgBoxHelpButton), TypeName(vbOKOnly)",
         "Long Long Long Long Integer"},
        {"Print 010, 10., .5, 34e5, 56.789e-2, 1e-94938484", "10 10 0.5 3400000 0.56789 0"},
        {"Print TypeName(1), TypeName(32768), TypeName(2147483648), TypeName(1e2)", "Integer Long Double Double"},
        {"Print \"say \"\"hi\"\"\", Len(\"\"\"\")", "say \"hi\" 1"},
        {"Print TypeName(#1/2/2003#), #1/2/2003 10:05:00 AM#", "Date 1/2/2003 10:05:00 AM"},
        {"Print TypeName(Empty), TypeName(Null), TypeName(Nothing), TypeName(True)", "Empty Null Nothing Boolean"},
    });
}

TEST(Operators, IsComparesObjects) {
    expectOutputs({
        {"Set a = Out : Set b = Out : Print a Is b, a Is Nothing, Nothing Is Nothing, Not a Is b",
         "True False True False"},
        {"Class C : End Class\nSet a = New C : Set b = New C : Print a Is b, a Is a", "False True"},
    });
    expectErrors({
        {"r = 42 Is 42", 424, 1, 0},
        {"r = \"x\" Is Nothing", 424, 1, 0},
        {"r = Empty Is Empty", 424, 1, 0},
    });
}

TEST(Operators, ArithmeticErrors) {
    expectErrors({
        {"x = 1 / 0", 11, 1, 0, "Division by zero"},
        {"x = 0 / 0", 6, 1, 0, "Overflow"},
        {"x = 1 \\ 0", 11, 1, 0},
        {"x = 1 Mod 0", 11, 1, 0},
        {"x = \"a\" + 1", 13, 1, 0, "Type mismatch"},
        {"x = \"a\" * 2", 13, 1, 0},
        {"x = 2147483647.6 \\ 1", 6, 1, 0},
        {"x = (-1) ^ 0.5", 5, 1, 0},
        {"x = CCur(900000000000000) * 100", 6, 1, 0},
        {"x = Array(1) + 1", 13, 1, 0},
        {"x = \"\" & Nothing", 91, 1, 0},
        {"x = Not Nothing", 91, 1, 0},
    });
}

}  // namespace vt::vbscript::test
