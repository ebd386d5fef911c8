// Reference cycles among script objects are freed when the control is reset or destroyed; an
// object the host still holds stays whole. (The sanitizer pass also reports any cycle left.)

#include "ScriptHarness.h"

#include "platform/scripting/Dictionary.h"

namespace vt::vbscript::test {

using automation::Variant;

namespace {

// Each script ties "Probe" into a cycle.
constexpr const char* kCycles[] = {
    "Class C : Public a, p : End Class\nSet o = New C : Set o.a = o : Set o.p = Probe",
    "Set d = CreateObject(\"Scripting.Dictionary\") : d.Add \"me\", d : d.Add \"p\", Probe",
    "Class N : Public nxt, p : End Class\nSet a = New N : Set b = New N : Set c = New N\n"
    "Set a.nxt = b : Set b.nxt = c : Set c.nxt = a : Set c.p = Probe : a = Empty : b = Empty",
    "Class C : Public arr : End Class\nSet o = New C : Set d = CreateObject(\"Scripting.Dictionary\")\n"
    "o.arr = Array(1, Array(d)) : Set d(\"o\") = o : d.Add \"p\", Probe",
    // A cycle made inside a procedure and dropped by it, with a Terminate that never runs.
    "Class T : Public me2, p : Sub Class_Terminate : Probe.Print \"gone\" : End Sub : End Class\n"
    "Sub Make : Dim t : Set t = New T : Set t.me2 = t : Set t.p = Probe : End Sub\nMake",
};

}  // namespace

TEST(Cycles, ResetAndDestructionFreeThem) {
    const auto probe = automation::makeRef<Recorder>();
    const long base = probe->refCount();
    for (const char* code : kCycles) {
        SCOPED_TRACE(code);
        {
            ScriptControl sc;
            sc.addObject("Probe", Variant(probe), false);
            sc.addCode(code);
            sc.reset();
            EXPECT_EQ(probe->refCount(), base);
            sc.addObject("Probe", Variant(probe), false);
            sc.addCode(code);
            EXPECT_GT(probe->refCount(), base);
        }
        EXPECT_EQ(probe->refCount(), base);
    }
    EXPECT_TRUE(probe->lines.empty());
}

TEST(Cycles, WhatTheHostHoldsStaysWhole) {
    Variant held;
    {
        ScriptControl sc;
        sc.addCode("Class C : Public me2, n : End Class\n"
                   "Set d = CreateObject(\"Scripting.Dictionary\") : Set o = New C : o.n = 7\n"
                   "d.Add \"self\", d : d.Add \"o\", o");
        held = sc.eval("d");
        sc.reset();
        EXPECT_EQ(automation::toInt32(automation::getProperty(held, "Count")), 2);
        const Variant o = automation::getProperty(held, "Item", {Variant("o")});
        EXPECT_EQ(automation::toInt32(automation::getProperty(o, "n")), 7);
    }
    // The host breaks the cycle it kept.
    automation::call(held, "RemoveAll");
}

}  // namespace vt::vbscript::test
