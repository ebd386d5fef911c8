// One-line snippets whose results scripts written for the Windows engine rely on: conversions,
// comparisons of two literals, Null and argument checks, syntax it accepts, its error numbers
// (also for failures of the host's objects) and the sequence of Rnd.

#include "ScriptHarness.h"

#include <string>

namespace vt::vbscript::test {

namespace {

// A host object whose Fail method raises the error (an HRESULT or a script number) it is given,
// with a help file and context when they are passed too.
class Failing final : public automation::Dispatch<Failing> {
public:
    static const automation::Members<Failing>& members() {
        static const automation::Members<Failing> m = [] {
            automation::Members<Failing> t("Failing");
            t.method("Fail", {1, 3}, [](Failing&, automation::Args& a) -> automation::Variant {
                automation::Error e(a.int32(0), "Host");
                e.helpFile = a.string(1);
                e.helpContext = a.has(2) ? a.int32(2) : 0;
                throw e;
            });
            return t;
        }();
        return m;
    }
};

}  // namespace

TEST(WindowsResults, Conversions) {
    expectOutputs({
        {"Print CByte(True), TypeName(CByte(True)), CByte(False)", "255 Byte 0"},
        {"Print CDate(\"1\"), CDate(\"45000\"), TypeName(CDate(\"1\")), CDate(\"1/2/2020\")", "12/31/1899 3/15/2023 Date 1/2/2020"},
        // A Single meets a Double at the Single's precision.
        {"Print CSng(0.1) = 0.1, CSng(0.001 * 0.001) = 0.000001, 0.1 = CSng(0.1), CSng(0.1) < 0.1", "True True True False"},
        {"x = CSng(0.1) : y = 0.1 : Print x = y, x > y, CSng(0.1) = 0.2", "True False False"},
        {"Print TypeName(AscB(\"A\")), AscB(\"A\"), AscB(\"\x80\")", "Byte 65 172"},
        {"Print DateValue(\"3/7/2025\"), DateValue(#1/2/2000 1:00 PM#)", "3/7/2025 1/2/2000"},
    });
    expectErrors({
        {"x = DateValue(44000)", 13, 1, 0},
        {"x = CDate(\"1x\")", 13, 1, 0},
        {"x = CDate(\"1E10\")", 6, 1, 0},
    });
}

TEST(WindowsResults, ComparisonOfTwoLiterals) {
    expectOutputs({
        {"Print \"42\" = 42, \"1e2\" = 100, \"True\" = True, 42 = \"42\", \"5\" > 40", "True True True True False"},
        {"Const K = \"42\" : Print K = 42, K < 50", "True True"},
        // Text meeting a Boolean literal is still compared as text.
        {"Print \"true\" = True, \"\" = False", "False False"},
        // Only literals: a variable holding the text keeps the earlier rules.
        {"s = \"abc\" : Print s = 5, s > 5", "False True"},
        // A sign before a number, or a constant, makes no literal: nothing to convert.
        {"Const K = 5 : Print \"abc\" = -5, \"abc\" = K, -5 < \"abc\", \"abc\" = vbTab", "False False True False"},
        {"Const K = 5 : s = \"5\" : Print s = K, s = 5", "False True"},
        {"Const K = 5 : s = \"5\" : Select Case s : Case K : Print \"K\" : Case 5 : Print \"5\" : End Select", "5"},
        {"Print \"1/15/2024\" = #1/15/2024#, #1/15/2024# < \"1/16/2024\"", "True True"},
    });
    expectErrors({
        {"x = \"abc\" = 5", 13, 1, 0},
        {"x = \"abc\" = #1/15/2024#", 13, 1, 0},
        {"x = 5 < \"\"", 13, 1, 0},
        {"x = Array(1) = Null", 13, 1, 0},
        {"a = Array(1) : x = IsNull(Null <> a)", 13, 1, 15},
    });
}

TEST(WindowsResults, NullAndArgumentChecks) {
    expectOutputs({
        {"Print Eval(42), TypeName(Eval(42)), Eval(True), Eval(1.5) * 2", "42 Integer True 3"},
        {"Print TypeName(Eval(Null)), TypeName(Eval(Empty))", "Null Empty"},
        {"Set r = New RegExp : r.Pattern = \"a\" : r.Global = True : Print r.Replace(\"xaxa\", True), r.Replace(\"a\", False)",
         "x-1x-1 0"},
        {"Randomize(0) : Call Randomize(1) : Print \"ran\"", "ran"},
        {"Print IsNull(InStrRev(Null, \"a\")), Mid(\"abc\", 2, 1), Join(Split(\"a,b\", \",\", -1, 1), \"-\")", "True b a-b"},
        {"Class C : Public Default Property Get V : V = Array(1, 2) : End Property : End Class\n"
         "Set o = New C : Print Join(o, \"-\")",
         "1-2"},
    });
    expectErrors({
        {"x = InStrRev(\"abcd\", Null)", 94, 1, 0},
        // A Null text gives Null only without a start.
        {"x = InStrRev(Null, \"a\", 2, 0)", 94, 1, 0},
        {"x = Escape(Null)", 94, 1, 0},
        {"x = Unescape(Null)", 94, 1, 0},
        {"x = TimeValue(Null)", 94, 1, 0},
        {"x = Mid(\"abc\", 0, Null)", 94, 1, 0},
        {"x = Join(Array(1, Null))", 13, 1, 0},
        {"Class C : End Class\nSet o = New C : x = Join(o)", 438, 2, 16},
        {"x = Split(\"a,b\", \",\", -1, 2)", 5, 1, 0},
        {"Err.Raise &H10000&", 5, 1, 0},
        {"Err.Raise 0", 5, 1, 0},
        {"x = Randomize(0)", 13, 1, 0},
        {"x = 1 + Randomize", 13, 1, 0},
        {"x = ChrB(256)", 6, 1, 0},
        {"x = ChrB(-1)", 6, 1, 0},
        {"Set f = GetRef(123)", 13, 1, 0},
        {"Set f = GetRef(Null)", 13, 1, 0},
    });
}

TEST(WindowsResults, SyntaxWindowsAccepts) {
    expectOutputs({
        {"Function seta0(v) : seta0 = v * 2 : End Function\nx = 3 : y = (seta0)(x) : Print y, ((seta0))(1)", "6 2"},
        {"Sub seta0(v) : Print \"s\" & v : End Sub\nx = 3 : Call (((seta0))) (x)", "s3"},
        {"a = Array(7, 8) : Print (a)(1)", "8"},
        {"Set obj = New RegExp : Set ((obj)) = Nothing : Print obj Is Nothing", "True"},
        // A Sub and a Property Get of one name: the property takes it, whichever comes first.
        {"Class C\nSub P : Print \"sub\" : End Sub\nProperty Get P : P = \"prop\" : End Property\nEnd Class\n"
         "Set o = New C : Print o.P",
         "prop"},
        {"Class C\nProperty Get P : P = \"prop\" : End Property\nFunction P : P = \"fn\" : End Function\nEnd Class\n"
         "Set o = New C : Print o.P",
         "prop"},
        {"Dim erase : erase = 1 : Print erase + 1", "2"},
        {"Dim x(1) : x(0) = 5 : Call Erase(x) : Print IsEmpty(x(0)), UBound(x)", "True 1"},
        // New RegExp is the built-in object, even beside a class of that name.
        {"Class RegExp : Public Pattern : Function Test(s) : Test = \"mine\" : End Function : End Class\n"
         "Set r = New RegExp : Print TypeName(r), r.Test(\"x\"), TypeName(CreateObject(\"VBScript.RegExp\"))",
         "IRegExp2 True IRegExp2"},
        // A Property Let after a Sub of its name takes the name (before it, 1041 below): the Sub is gone.
        {"Class C\nPublic Sub l : Print \"sub\" : End Sub\n"
         "Public Property Let l(v) : Print \"let\" & v : End Property\nEnd Class\n"
         "Set o = New C : o.l = 5\nOn Error Resume Next : o.l : Print Err.Number",
         "let5|450"},
        {"Sub P : Dim x : x = 5 : Execute \"Dim x\" : Print x : End Sub\nP", "5"},
        // A global array is made when its Dim runs; before that the variable is Empty.
        {"Print IsEmpty(arr), IsArray(arr)\nDim arr(3)\nPrint IsArray(arr), UBound(arr)", "True False|True 3"},
        {"Sub Q : Print IsArray(arr) : End Sub\nQ\nPublic arr(2)\nQ", "False|True"},
        {"For i = 1 To 2 : Dim t(3) : t(i) = i : Next : Print t(1), t(2)", "1 2"},
        // Compiled, and refused when run.
        {"On Error Resume Next\nSet (1) = Nothing\nPrint Err.Number", "501"},
    });
    expectErrors({
        {"Class C\nFunction Value : Value = 1 : End Function\nSub T : Me = Value() : End Sub\nEnd Class\n"
         "Set o = New C : o.T",
         501, 3, 8},
        {"Class C\nSub T : Me = Nothing : End Sub\nEnd Class\nSet o = New C : o.T", 501, 2, 8},
        {"Set (1) = Nothing", 501, 1, 0},
        {"x = Array(1) : Call Erase(x, x)", 450, 1, 15},
        {"Call Erase()", 1010, 1, 10},
        {"Class C\nProperty Let P(v) : End Property\nSub P : End Sub\nEnd Class", 1041, 3, 0},
    });
}

TEST(WindowsResults, CompileErrorNumbersFromExecute) {
    struct Case {
        const char* code;
        const char* number;
    };
    Harness h;
    for (const Case& c : {
             Case{"Dim 5", "1010"},
             Case{"x = 1 2", "1025"},
             Case{"x = 1e309", "1031"},
             Case{"Dim if", "1010"},
             Case{"Dim class", "1010"},
             Case{"Sub end : End Sub", "1010"},
             Case{"Null = 1", "1024"},
             Case{"Wend = 1", "1024"},
             Case{"Dim x, x", "1041"},
             Case{"x = \"abc", "1033"},
             // Stopped by an operator or the end of the text: a plain syntax error.
             Case{"x = = 1", "1002"},
             Case{"If", "1002"},
             // A number after a member; a dot with no member after it.
             Case{"x = obj.Check.5", "1025"},
             Case{"obj.Check .", "1010"},
         }) {
        SCOPED_TRACE(c.code);
        std::string quoted;
        for (const char* p = c.code; *p; ++p) quoted += *p == '"' ? std::string("\"\"") : std::string(1, *p);
        const Outcome o = h.run("On Error Resume Next\nExecute \"" + quoted + "\"\nPrint Err.Number, Err.Source");
        EXPECT_EQ(o.error.number, 0);
        EXPECT_EQ(o.output, std::string(c.number) + " VBScript compilation error");
    }
    expectOutputs({
        {"On Error Resume Next\nx = Eval(\"1 2\") : Print Err.Number, Err.Description", "1025 Expected end of statement"},
        // An octal literal running into a 9; a reserved word where the value belongs.
        {"On Error Resume Next\nx = Eval(\"&19\") : Print Err.Number, Err.Source", "1002 VBScript compilation error"},
        {"On Error Resume Next\nx = Eval(\"Dim v\") : Print Err.Number", "1002"},
        {"On Error Resume Next\nx = Eval(\"obj.Check .\") : Print Err.Number", "1010"},
    });
    expectErrors({
        {"x = obj.Check.5", 1025, 1, 13},
        {"obj.Check .", 1010, 1, 11},
        {"x = &19", 1002, 1, 4},
    });
}

TEST(WindowsResults, RunTimeErrorNumbers) {
    expectOutputs({
        {"Class C : Public n : End Class\nSet o = New C : o.n = Array(1, 2) : Print o.n(1)", "2"},
        // A Property Get called with empty parentheses returns its array, a field so read is error 5.
        {"Class C : Property Get n : n = Array(1, 2) : End Property : End Class\n"
         "Set o = New C : Print o.n(1), UBound(o.n())",
         "2 1"},
        {"Dim z : z = 2 : ExecuteGlobal \"Dim z\" : Print z", "2"},
        {"On Error Resume Next\nDim arr(3) : ExecuteGlobal \"Dim arr(5)\" : Print Err.Number, UBound(arr)", "13 3"},
        {"On Error Resume Next\nConst K = 1 : ExecuteGlobal \"Const K = 2\" : Print Err.Number, K", "1041 1"},
        {"On Error Resume Next\nx = 1 : ExecuteGlobal \"Const x = 2\" : Print Err.Number, x", "1041 1"},
    });
    expectErrors({
        {"Class C : Public n : End Class\nSet o = New C : o.n = 5 : x = o.n(0)", 438, 2, 26},
        {"Class C : Public n : End Class\nSet o = New C : o.n = 5 : x = o.n()", 5, 2, 26},
        {"Class C : Public n : End Class\nSet o = New C : o.n = Array(1, 2) : x = o.n()", 5, 2, 36},
        {"Class C : Public n : End Class\nSet o = New C : o.n = 5 : o.n(0) = 5", 438, 2, 26},
        {"x = Array(Nothing) : x(0)(0) = 5", 13, 1, 21},
        {"Option Explicit\nDim o : Set o = New NoSuchClass", 500, 2, 8},
        {"Set o = New NoSuchClass", 506, 1, 0},
        // A name that stands for a variable is defined, and no class.
        {"Option Explicit\nDim v, o : Set o = New v", 506, 2, 11},
        {"Option Explicit\nSub P : Dim v, o : Set o = New v : End Sub\nP", 506, 2, 19},
        {"Option Explicit\nErase nosuch", 500, 2, 0},
        {"x = Array(1) : Erase(x)", 13, 1, 15},
        {"x = Array(1) : y = Erase(x)", 13, 1, 15},
        {"Erase 5", 13, 1, 0},
        // The bounds come before the fixed array's error 10.
        {"Dim a(2) : ReDim Preserve a(\"abc\")", 13, 1, 11},
        {"Dim a(2) : ReDim Preserve a(-5)", 5, 1, 11},
        // The numeric and date conversions give a value only.
        {"x = 1 : Call CInt(x)", 458, 1, 8},
        {"Call CByte(1)", 458, 1, 0},
        {"CCur 1", 458, 1, 0},
        {"Call CDate(1)", 458, 1, 0},
        {"CDbl(1)", 458, 1, 0},
        {"Call CLng(1)", 458, 1, 0},
        {"Call CSng(1)", 458, 1, 0},
        {"ExecuteGlobal \"Const K = 1\" : ExecuteGlobal \"Const K = 1\"", 1041, 1, 30},
        {"Const K = 1 : ExecuteGlobal \"Sub K : End Sub\"", 1041, 1, 14},
    });
}

// Failures of the host's objects arrive as the script's own numbers and texts, with the help
// file and context the object gave.
TEST(WindowsResults, HostErrors) {
    struct Case {
        std::uint32_t hresult;
        const char* seen;   // Err.Number and Err.Description
    };
    Harness h;
    for (const Case& c : {
             Case{0x80020004u, "448 Named argument not found"},
             Case{0x80020007u, "446 Object doesn't support named arguments"},
             Case{0x80020008u, "458 Variable uses an Automation type not supported in VBScript"},
             Case{0x8002000Fu, "449 Argument not optional"},
             Case{0x80020011u, "451 Object not a collection"},
             Case{0x8002000Du, "10 This array is fixed or temporarily locked"},
             Case{0x80020005u, "13 Type mismatch"},
             Case{0x8002802Fu, "453 Specified DLL function not found"},
             Case{0x80028CA0u, "13 Type mismatch"},
             Case{0x80028CA1u, "9 Subscript out of range"},
             Case{0x80028CA2u, "57 Device I/O error"},
             Case{0x800A0009u, "9 Subscript out of range"},
         }) {
        SCOPED_TRACE(c.seen);
        h.reset();
        h.sc.addObject("Obj", automation::Variant(automation::makeRef<Failing>()), false);
        const Outcome o =
            h.more("On Error Resume Next\nObj.Fail " + std::to_string(std::int32_t(c.hresult)) + "\nPrint Err.Number, Err.Description");
        EXPECT_EQ(o.error.number, 0);
        EXPECT_EQ(o.output, c.seen);
        const Outcome stopped = h.more("Obj.Fail " + std::to_string(std::int32_t(c.hresult)));
        EXPECT_EQ(std::to_string(stopped.error.number) + " " + stopped.error.description, c.seen);
    }
    h.reset();
    h.sc.addObject("Obj", automation::Variant(automation::makeRef<Failing>()), false);
    EXPECT_EQ(h.more("On Error Resume Next\nObj.Fail 1000, \"host.chm\", 17\n"
                     "Print Err.Number, Err.Source, Err.HelpFile, Err.HelpContext\n"
                     "Obj.Fail 5\nPrint Err.Number, Err.HelpFile = \"\", Err.HelpContext")
                  .output,
              "1000 Host host.chm 17|5 True 0");
}

// Rnd's 24-bit generator from its first seed, after Randomize and after Rnd with a negative number;
// a reset starts it afresh.
TEST(WindowsResults, RndSequence) {
    expectOutputs({
        {"Print Rnd, Rnd, Rnd, Rnd, Rnd", "0.7055475 0.533424 0.5795186 0.2895625 0.301948"},
        {"For i = 1 To 5 : x = Rnd : Next : Print Rnd, Rnd(1), Rnd(0)", "0.7747401 0.01401764 0.01401764"},
        {"Randomize 0 : Print Rnd, Rnd", "0.7641413 0.3576428"},
        {"Randomize 1 : Print Rnd, Rnd", "0.7648737 0.1054455"},
        {"Print Rnd(0), Rnd(-1), Rnd(0), Rnd(-1)", "0.01953125 0.224007 0.224007 0.224007"},
        // Randomize keeps the seed's low byte: the same number repeats a sequence only after Rnd(-n).
        {"x = Rnd(-1) : Randomize 5 : a = Rnd : b = Rnd : x = Rnd(-1) : Randomize 5 : Print a = Rnd, b = Rnd", "True True"},
        {"Randomize 5 : x = Rnd(0) : y = Rnd : Print x <> y, TypeName(x)", "True Single"},
    });
    Harness h;
    const std::string first = h.run("Print Rnd").output;
    EXPECT_EQ(h.run("Print Rnd").output, first);
}

}  // namespace vt::vbscript::test
