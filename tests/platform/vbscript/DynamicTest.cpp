// Code compiled while a script runs: Eval and Execute in the scope of the statement that calls
// them (a procedure's locals, a class's members), ExecuteGlobal in the global one, their errors,
// and procedure references from GetRef.

#include "ScriptHarness.h"

#include <chrono>

namespace vt::vbscript::test {

TEST(Dynamic, EvalAndExecuteScopes) {
    expectOutputs({
        // In Eval "=" compares; in Execute it assigns.
        {"x = 5 : Print Eval(\"x * 2\"), Eval(\"x = 5\"), Eval(\"x = 6\") : Execute \"x = 6\" : Print x",
         "10 True False|6"},
        // A procedure made by Execute is global and sees global names; Eval sees the local one.
        {"Dim X : X = \"Global\"\n"
         "Sub Proc1\n"
         "  Dim X : X = \"Local\"\n"
         "  Execute \"Sub Proc2 : Print X : End Sub\"\n"
         "  Print Eval(\"X\")\n"
         "  Proc2\n"
         "End Sub\n"
         "Proc1 : Proc2",
         "Local|Global|Global"},
        // Execute works on the procedure's own variables, arguments and result.
        {"Function F(a)\n  Execute \"a = a + 1 : F = a * 10\"\nEnd Function\nn = 1 : Print F(n), n", "20 2"},
        {"Sub P\n  Dim k : k = 1\n  Execute \"k = k + Eval(\"\"k\"\")\"\n  Print k\nEnd Sub\nP", "2"},
        {"Sub P\n  Dim k\n  Eval \"Execute(\"\"k = 5\"\")\"\n  Print k\nEnd Sub\nP", "5"},
        // Variables Execute declares or assigns in a procedure stay local to it, for later Execute
        // and Eval calls there.
        {"Sub P\n  Execute \"Dim q : q = 7\"\n  Print Eval(\"q\"), q\nEnd Sub\nP : Print IsEmpty(q)", "7 7|True"},
        {"Sub P\n  Execute \"Dim z : z = 3\"\n  Execute \"z = z + 1\"\n  Print Eval(\"z\")\nEnd Sub\nP : P : Print IsEmpty(z)",
         "4|4|True"},
        {"Sub P\n  Execute \"w = 5\"\n  Print Eval(\"w\")\nEnd Sub\nP : Print IsEmpty(w)", "5|True"},
        // A Dim that Execute runs in a procedure hides a global of that name for the rest of it.
        {"Dim x : x = \"global\"\nSub P\n  Execute \"Dim x : x = 1\"\n  Print x, Eval(\"x\")\n  x = x + 1 : x = x & \"!\"\n"
         "  Print Eval(\"x\")\nEnd Sub\nP : Print x",
         "1 1|2!|global"},
        // A procedure redefined while it runs finishes as it was; later calls get the new one.
        {"Function F(n)\n  ExecuteGlobal \"Function F(n) : F = n * 100 : End Function\"\n  F = n + 1\nEnd Function\n"
         "Print F(1), F(1)",
         "2 100"},
        // Under Option Explicit, a Dim that Execute runs declares the name for the rest of the procedure.
        {"Option Explicit\nSub P\n  Execute \"Dim x : x = 2\"\n  Print x, Eval(\"x + 1\")\n  x = 5\n  Execute \"Print x\"\n"
         "End Sub\nP : P",
         "2 3|5|2 3|5"},
        {"Sub P\n  Execute \"Dim a(2) : a(1) = 9\"\n  Print Eval(\"UBound(a) & a(1)\")\nEnd Sub\nP", "29"},
        // At the top level Execute is global, as ExecuteGlobal is everywhere.
        {"Execute \"Dim g : g = 1\" : Print g", "1"},
        {"Sub P\n  ExecuteGlobal \"gv = 42 : Function Twice(n) : Twice = n * 2 : End Function\"\nEnd Sub\n"
         "P : Print gv, Twice(4)",
         "42 8"},
        {"Sub P(v)\n  ExecuteGlobal \"v = 1\"\nEnd Sub\nv = 0 : P 5 : Print v", "1"},
        // Inside a class, Execute and Eval see its members.
        {"Class C\n"
         "  Private v\n"
         "  Public Sub SetIt(n) : Execute \"v = n\" : End Sub\n"
         "  Public Function GetIt : GetIt = Eval(\"v + 1\") : End Function\n"
         "End Class\n"
         "Set o = New C : o.SetIt 4 : Print o.GetIt",
         "5"},
        {"Execute \"For i = 1 To 3\" & vbCrLf & \"s = s & i\" & vbCrLf & \"Next\" : Print s", "123"},
        {"Const K = 3\nSub P\n  Const L = 4\n  Print Eval(\"K * L\")\nEnd Sub\nP", "12"},
        {"Print Eval(\"Eval(\"\"1 + 1\"\") * 3\"), TypeName(Eval(\"Array(1)\"))", "6 Variant()"},
        {"Execute \"Class D : Public n : End Class\" : Set o = New D : o.n = 2 : Print o.n", "2"},
    });
}

TEST(Dynamic, Errors) {
    expectOutputs({
        // Text that does not compile is a syntax error of the statement, so Resume Next goes on.
        {"On Error Resume Next\nExecute \"x = = 1\"\nPrint Err.Number, Err.Description, Err.Source",
         "1002 Syntax error VBScript compilation error"},
        {"On Error Resume Next\nx = Eval(\"&H100000000\") : Print Err.Number : Err.Clear\nExecuteGlobal \"Sub\" : Print Err.Number",
         "1002|1002"},
        {"On Error Resume Next\nx = Eval(5) : Print Err.Number, x : Err.Clear : Execute Empty : Print Err.Number", "0 5|13"},
        {"On Error Resume Next\nx = Eval(\"1 +\")\nPrint Err.Number > 1000, IsEmpty(x)", "True True"},
        {"On Error Resume Next\nExecute \"x = 1 / 0 : y = 2\"\nPrint Err.Number, IsEmpty(y)", "11 True"},
        {"On Error Resume Next\nExecuteGlobal \"If\"\nPrint Err.Number <> 0", "True"},
    });
    expectErrors({
        {"y = 1\nExecute \"x = = 1\"", 1002, 2, 0, "Syntax error: 'Execute'"},
        // A run-time error inside the text is reported there.
        {"y = 1\nExecute \"a = 1\" & vbCrLf & \"b = 1 / 0\"", 11, 2, 0, "Division by zero"},
        {"x = Eval(\"Nope(1)\")", 13, 1, 0},
        {"Option Explicit\nDim a : a = Eval(\"b\")", 500, 2, 8},
        {"Execute", 450, 1, 0},
    });
    Harness h;
    ScriptLimits limits;
    limits.maxCallDepth = 40;
    h.sc.setLimits(limits);
    expectErrors(h, {
        {"Sub R : Execute \"R\" : End Sub : R", 28, 1, 8},
    });
}

TEST(Dynamic, GetRef) {
    expectOutputs({
        {"Function Add(a, b) : Add = a + b : End Function\nSet f = GetRef(\"add\") : Print f(2, 3), TypeName(f), "
         "IsObject(f)",
         "5 Object True"},
        {"Sub Inc(n) : n = n + 1 : End Sub\nSet g = GetRef(\"Inc\") : k = 1 : g k : Call g(k) : Print k", "3"},
        {"Function Hello : Hello = \"hi\" : End Function\nSet h = GetRef(\"Hello\") : x = h : Print x, h()", "hi hi"},
        // The reference keeps the procedure it was made for.
        {"Function V : V = 1 : End Function\nSet r = GetRef(\"V\")\nExecuteGlobal \"Function V : V = 2 : End Function\"\n"
         "Print r(), V",
         "1 2"},
    });
    expectErrors({
        {"Set f = GetRef(\"Nope\")", 5, 1, 0},
        {"Set f = GetRef(\"Len\")", 5, 1, 0},
        {"Sub S(a) : End Sub\nSet f = GetRef(\"S\") : f", 450, 2, 22},
        {"Sub S : End Sub\nSet f = GetRef(\"S\") : f.Name", 438, 2, 22},
    });
    // A procedure called through a reference runs on the script's time, not the host's.
    std::chrono::steady_clock::time_point t{};
    Harness h;
    h.sc.setTimeSource([&t] { return t += std::chrono::milliseconds(1); });
    h.sc.setTimeout(1000);
    ScriptLimits limits;
    limits.checkInterval = 1;
    h.sc.setLimits(limits);
    expectErrors(h, {
        {"Sub Spin : For i = 1 To 5000 : Next : End Sub\nSet f = GetRef(\"Spin\") : f", static_cast<std::int32_t>(0x80004004u), 0, 0,
         "Script timed out"},
    });
}

}  // namespace vt::vbscript::test
