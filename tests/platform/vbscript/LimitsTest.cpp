// Deep nesting and deep recursion fail cleanly with "Out of stack space" (28), in the parser and
// at run time; the limits can be made tiny. Scripts that once brought the engine down stay here.

#include "ScriptHarness.h"

#include <chrono>

namespace vt::vbscript::test {

namespace {
std::string repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}
}  // namespace

TEST(Limits, DeepSourceNestingIsACompileError) {
    Harness h;
    for (const std::string& code : {
             "x = " + repeat("(", 100000) + "1" + repeat(")", 100000),
             "x = " + repeat("-", 100000) + "1",
             "x = " + repeat("Not ", 100000) + "1",
             "x = " + repeat("f(", 100000) + "1" + repeat(")", 100000),
             repeat("If True Then\n", 5000) + repeat("End If\n", 5000),
             repeat("Do\n", 5000) + repeat("Loop\n", 5000),
             "x = 1" + repeat(" + 1", 100000),
             "x = \"\"" + repeat(" & \"a\"", 100000),
         }) {
        SCOPED_TRACE(code.substr(0, 40));
        const Outcome o = h.run(code);
        EXPECT_EQ(o.error.number, 28);
        EXPECT_EQ(o.error.description, "Out of stack space");
        EXPECT_EQ(o.error.source, "VBScript compilation error");
    }
}

TEST(Limits, NestingBelowTheLimitsRuns) {
    Harness h;
    EXPECT_EQ(h.run("x = " + repeat("(", 40) + "1" + repeat(")", 40) + " : Print x").output, "1");
    EXPECT_EQ(h.run("x = 0" + repeat(" + 1", 3000) + " : Print x").output, "3000");
    EXPECT_EQ(h.run(repeat("If True Then\n", 60) + "Print \"deep\"\n" + repeat("End If\n", 60)).output, "deep");
}

TEST(Limits, DeepRecursionIsAnErrorNotACrash) {
    expectErrors({
        {"Function F(n)\n  F = F(n + 1)\nEnd Function\nx = F(1)", 28, 2, 2, "Out of stack space"},
        {"Sub S : S : End Sub\nS", 28, 1, 8},
        {"Class C\n Public Default Property Get V : V = Me.V : End Property\nEnd Class\nSet o = New C : x = o", 28, 2, 33},
    });
    expectOutputs({
        {"Function F(n)\n  F = F(n + 1)\nEnd Function\nOn Error Resume Next\nx = F(1) : Print Err.Number, Err.Description",
         "28 Out of stack space"},
        {"Function Depth(n) : If n = 0 Then Depth = 0 Else Depth = 1 + Depth(n - 1)\nEnd Function\nPrint Depth(500)",
         "500"},
    });
}

TEST(Limits, NativeStackIsGuardedWhateverTheCallDepthLimit) {
    Harness h;
    ScriptLimits limits;
    limits.maxCallDepth = 100000000;
    h.sc.setLimits(limits);
    const Outcome o = h.run("Function F(n) : F = F(n + 1) + 1 : End Function\nx = F(1)");
    EXPECT_EQ(o.error.number, 28);
}

TEST(Limits, TinyLimits) {
    Harness h;
    ScriptLimits limits;
    limits.maxCallDepth = 10;
    limits.maxNesting = 20;
    limits.maxOperators = 5;
    h.sc.setLimits(limits);
    const std::string rec = "Function D(n) : If n = 0 Then D = 0 Else D = 1 + D(n - 1)\nEnd Function\n";
    EXPECT_EQ(h.run(rec + "Print D(8)").output, "8");
    EXPECT_EQ(h.run(rec + "Print D(10)").error.number, 28);
    EXPECT_EQ(h.run("x = 1 + 1 + 1 + 1 + 1 + 1 : Print x").output, "6");
    EXPECT_EQ(h.run("x = 1 + 1 + 1 + 1 + 1 + 1 + 1").error.number, 28);
    EXPECT_EQ(h.run("x = (((((1)))))").error.number, 0);
    EXPECT_EQ(h.run("x = ((((((((((1))))))))))").error.number, 28);
}

TEST(Limits, LongChainsOfObjectsAreReleasedWithoutDeepRecursion) {
    expectOutputs({
        {"Dim gone\nClass Node : Public nxt : Sub Class_Terminate : gone = gone + 1 : End Sub : End Class\n"
         "Set head = Nothing\n"
         "For i = 1 To 200000 : Set n = New Node : Set n.nxt = head : Set head = n : Next\n"
         "Set n = Nothing : Set head = Nothing : Print gone",
         "200000"},
        {"Class Node : Public kids : End Class\nSet root = New Node : Set cur = root\n"
         "For i = 1 To 100000 : Set k = New Node : cur.kids = Array(k) : Set cur = k : Next\n"
         "Set k = Nothing : Set cur = Nothing : Set root = Nothing : Print \"gone\"",
         "gone"},
    });
}

TEST(Limits, HugeArraysAreOutOfMemoryBeforeAnythingIsAllocated) {
    expectErrors({
        {"ReDim a(100000000)", 7, 1, 0, "Out of memory"},
        {"ReDim a(2147483647)", 7, 1, 0},
        {"x = 1\nReDim a(100000, 100000, 100000)", 7, 2, 0},
        {"Sub S : Dim q(50000000) : End Sub\nS", 7, 2, 0},
        {"x = Split(String(20000000, \",\"), \",\")", 7, 1, 0},
    });
    expectOutputs({{"ReDim a(100) : ReDim Preserve a(1000000) : Print UBound(a)", "1000000"}});
}

TEST(Limits, SlowStatementsAreCheckedSooner) {
    // Each reading of the clock is 20 ms later: the first statements already see the time-out,
    // long before the thousand statements between two checks of quick ones.
    std::chrono::steady_clock::time_point t{};
    ScriptControl sc;
    sc.setTimeSource([&t] { return t += std::chrono::milliseconds(20); });
    sc.setTimeout(100);
    int timeouts = 0;
    sc.setTimeoutHandler([&] { ++timeouts; });
    EXPECT_THROW(sc.addCode("For i = 1 To 500 : n = n + 1 : Next"), ScriptException);
    EXPECT_EQ(timeouts, 1);
    EXPECT_LT(automation::toInt32(sc.eval("n")), 50);
}

TEST(Limits, ARunThatKeepsAllocatingStops) {
    std::chrono::steady_clock::time_point t{};
    Harness h;
    h.sc.setTimeSource([&t] { return t += std::chrono::milliseconds(1); });
    ScriptLimits limits;
    limits.checkInterval = 1;
    limits.maxMemoryGrowth = 64 << 20;
    h.sc.setLimits(limits);
    int errors = 0;
    h.sc.setErrorHandler([&](const ScriptError&) { ++errors; });
    const Outcome o = h.run("On Error Resume Next\nReDim a(0)\n"
                            "Do : a(UBound(a)) = Space(1000000) : ReDim Preserve a(UBound(a) + 1) : Loop");
    EXPECT_EQ(o.error.number, 7);
    EXPECT_EQ(o.error.description, "Out of memory");
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(h.run("Print \"next run\"").output, "next run");
}

TEST(Limits, ATerminateThatKeepsMakingObjectsIsStoppedByTheTimeOut) {
    std::chrono::steady_clock::time_point t{};
    Harness h;
    h.sc.setTimeSource([&t] { return t += std::chrono::milliseconds(1); });
    h.sc.setTimeout(50);
    const Outcome o = h.run("Class C : Public Default Property Get V : V = 1 : End Property\n"
                            " Sub Class_Terminate : b = New C : End Sub : End Class\n"
                            "b = New C");
    EXPECT_EQ(o.error.number, static_cast<std::int32_t>(0x80004004u));
    EXPECT_EQ(o.error.description, "Script timed out");
    EXPECT_EQ(h.run("Print \"next run\"").output, "next run");
}

// Scripts that broke the engine once.
TEST(Limits, CrashedBefore) {
    Harness h;
    for (const char* code : {
             "",
             "\n\n",
             "_",
             "x = _",
             "Class",
             "Class C",
             "Sub",
             "Function F(",
             "If",
             "Select Case",
             "ReDim",
             "x = Array(1)(0)(0)",
             "Set x = New",
             "Dim a(1) : Sub S(v) : Erase a : End Sub : S a(0)",
             "Dim a : a = Array(1, 2) : For Each e In a : a = 0 : Next",
             "Class C : Sub Class_Terminate : Set g = Me : End Sub : End Class\nSet o = New C : Set o = Nothing : Set g = Nothing",
             "With New C : End With",
             ". : .",
             "x = 1 (2)",
             "Call",
             "Call 5",
             "On Error",
             "x = &H",
             "x = #1/1/2000",
             "Print Out",
             // Script code run while an array or a variable is being changed.
             "Class C : Public Default Property Get V : a = 0 : V = \"x\" : End Property : End Class\n"
             "a = Array(New C, New C, \"z\") : x = Join(a, \",\") : a = Array(New C, 1) : y = Filter(a, \"x\")",
             "Class C : Sub Class_Terminate : g = 1 : End Sub : End Class\nSet g = New C : g = 5",
             "Class C : Sub Class_Terminate : a = 0 : End Sub : End Class\na = Array(New C, 1) : a(0) = 5",
             "Class C : Sub Class_Terminate : a(0) = 1 : ReDim a(3) : End Sub : End Class\n"
             "ReDim a(1) : Set a(1) = New C : ReDim Preserve a(0)",
             "Class C : Sub Class_Terminate : Erase a : End Sub : End Class\nDim a(1) : Set a(0) = New C : Erase a",
             "Class C : Sub Class_Terminate : e = 0 : End Sub : End Class\nFor Each e In Array(New C) : Next",
             // ... and while the next run's reset drops the objects.
             "Class C : Sub Class_Terminate : Set g = New C : y = 1 : z = 2 : End Sub : End Class\nSet g = New C",
         }) {
        SCOPED_TRACE(code);
        h.run(code);
    }
}

}  // namespace vt::vbscript::test
