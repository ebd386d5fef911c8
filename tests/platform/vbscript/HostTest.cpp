// The host API: named objects with and without their members, by-reference calls into host
// methods, the record set's default members, code kept across AddCode until Reset, the error
// event and record, Eval and Run, the time-out and the cancel flag, script objects seen from
// the host.

#include "ScriptHarness.h"

#include "platform/automation/Recordset.h"

#include <chrono>

namespace vt::vbscript::test {

using automation::Args;
using automation::Members;
using automation::Ref;
using automation::Variant;
using std::chrono::milliseconds;
using Clk = std::chrono::steady_clock;

namespace {

// A test clock for the time-out: each reading moves it on by `step`.
struct FakeTime {
    Clk::time_point t{};
    Clk::duration step = milliseconds(1);
    Clk::time_point operator()() {
        t += step;
        return t;
    }
};

// A stand-in for the script objects of the hosts: registers, a by-reference method, a method
// that spends host time, one that raises the cancel flag.
class Host final : public automation::Dispatch<Host> {
public:
    static const Members<Host>& members() {
        static const Members<Host> m = [] {
            Members<Host> t("Host");
            t.get("URL", [](Host& h, Args&) { return Variant(h.url); });
            t.let("URL", [](Host& h, Args&, const Variant& v) { h.url = automation::toString(v); });
            t.get("CurrentElement", [](Host& h, Args&) { return Variant(h.element); });
            t.let("CurrentElement", [](Host& h, Args&, const Variant& v) { h.element = automation::toString(v); });
            t.get("Segment", [](Host& h, Args&) { return Variant(h.segment); });
            t.get("Lines", [](Host&, Args&) { return Variant::array({Variant("l0"), Variant("l1")}); });
            t.method("ElementToSegment", {}, [](Host& h, Args&) {
                h.segment += h.element + "+";
                return Variant();
            });
            // Replaces line breaks and tabs in the caller's own variable.
            t.method("LogSession", {1, 1}, [](Host& h, Args& a) {
                Variant& text = a.ref(0);
                std::string s = automation::toString(text);
                for (char& c : s)
                    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
                text = Variant(s);
                h.log.push_back(s);
                return Variant();
            });
            t.method("Wait", {1, 1}, [](Host& h, Args& a) {
                if (h.time) h.time->t += milliseconds(a.int32(0));
                return Variant();
            });
            t.method("Cancel", {}, [](Host& h, Args&) {
                if (h.flag) h.flag->store(true);
                return Variant();
            });
            return t;
        }();
        return m;
    }
    std::string url, element, segment;
    std::vector<std::string> log;
    FakeTime* time = nullptr;
    std::atomic<bool>* flag = nullptr;
};

Ref<automation::Recordset> makeRecord() {
    auto rs = automation::Recordset::create();
    rs->appendField("Name", automation::adtype::VarChar, 20);
    rs->appendField("Qty", automation::adtype::Integer);
    rs->open();
    return rs;
}

std::string printed(Harness& h) { return h.joined(); }

}  // namespace

TEST(Host, ObjectsWithoutMembersAreReachedByQualifiedNamesOnly) {
    Harness h;
    auto host = automation::makeRef<Host>();
    h.sc.addObject("objScript", Variant(host));
    h.more("objScript.CurrentElement = \"A\" : objScript.ElementToSegment\n"
           "objScript.CurrentElement = \"B\" : objScript.ElementToSegment : Print objScript.Segment");
    EXPECT_EQ(printed(h), "A+B+");
    const Outcome o = h.more("ElementToSegment");
    EXPECT_EQ(o.error.number, 13);
    EXPECT_EQ(o.error.description, "Type mismatch: 'ElementToSegment'");
    // A property returning an array takes the index itself.
    EXPECT_EQ(h.more("Print objScript.Lines(1), UBound(objScript.Lines)").output, "l1 1");
    EXPECT_EQ(h.more("x = objScript.Segment(1)").error.number, 450);
}

TEST(Host, ObjectsWithMembersAreAlsoReachedByBareNames) {
    Harness h;
    auto host = automation::makeRef<Host>();
    h.sc.addObject("Form", Variant(host), true);
    const Outcome o = h.more(
        "URL = \"ftp://x\" : Print URL, Form.URL\n"
        "s = \"a\" & vbCrLf & \"b\" : LogSession s : Print s\n"
        "s = \"c\" & vbTab : LogSession (s) : Print Len(s)\n"
        "s = \"d\" & vbLf : Call LogSession(s) : Print s\n"
        "LogSession \"lit\" & vbCr\n"
        "Dim arr(0) : arr(0) = \"e\" & vbLf : Form.LogSession arr(0) : Print arr(0)");
    EXPECT_EQ(o.error.number, 0) << o.error.description;
    EXPECT_EQ(o.output, "ftp://x ftp://x|a  b|2|d |e ");
    EXPECT_EQ(host->url, "ftp://x");
    EXPECT_EQ(host->log, (std::vector<std::string>{"a  b", "c ", "d ", "lit ", "e "}));
}

TEST(Host, ScriptNamesComeBeforeObjectMembers) {
    Harness h;
    h.sc.addObject("Form", Variant(automation::makeRef<Host>()), true);
    const Outcome o = h.more("Function URL : URL = \"mine\" : End Function\nPrint URL, Form.URL = \"\"");
    EXPECT_EQ(o.output, "mine True");
}

TEST(Host, RecordSetDefaultMembers) {
    Harness h;
    auto rs = makeRecord();
    h.sc.addObject("Record", Variant(rs));
    // No current record yet: the record set's own error reaches the script.
    const Outcome none = h.more("x = Record(\"Name\")");
    EXPECT_EQ(none.error.number, 3021);
    const Outcome run = h.more(
        "Record.AddNew\n"
        "Record(\"Name\") = \"abc\"\n"
        "Record.Fields(\"Qty\") = \"12\"\n"
        "Print Record(\"Name\"), Record.Fields.Item(\"Qty\") + 1, Record(\"Name\").Value\n"
        "Print TypeName(Record(\"Name\")), TypeName(Record(1).Value), VarType(Record(\"Qty\"))\n"
        "x = Record(\"Name\") : Print TypeName(x), Len(Record(\"Name\")), Record(\"Name\") = \"abc\"\n"
        "Set f = Record(\"Qty\") : f.Value = 5 : Print Record(\"Qty\"), f.Name\n"
        "Record.Update : Record.AddNew : Print IsNull(Record(\"Name\")), Record.RecordCount\n"
        "For Each fld In Record.Fields : n = n & fld.Name & \";\" : Next : Print n\n"
        "Record.Fields.Item(\"Name\") = \"item\" : Print Record(\"Name\")");
    EXPECT_EQ(run.error.number, 0) << run.error.description;
    EXPECT_EQ(run.output, "abc 13 abc|Field Long 3|String 3 True|5 Qty|True 2|Name;Qty;|item");
    const Outcome bad = h.more("x = Record(\"Missing\")");
    EXPECT_EQ(bad.error.number, 3265);
    EXPECT_EQ(bad.error.line, 1);
}

// The translator's pattern: Reset, the two objects, then one AddCode per segment and element
// script; a helper declared by an early script serves the later ones.
TEST(Host, MapScriptsAsTheTranslatorRunsThem) {
    ScriptControl sc;
    auto script = automation::makeRef<Host>();
    auto record = makeRecord();
    record->addNew();
    record->setValue(0, Variant("  acme corp  "));
    record->setValue(1, Variant(std::int32_t(7)));
    sc.reset();
    sc.addObject("objScript", script);
    sc.addObject("Record", record);
    sc.addCode(
        "Option Explicit\n"
        "Function Pad(ByVal s, n)\n"
        "  s = Left(s & Space(n), n)\n"
        "  Pad = s\n"
        "End Function\n"
        "Function Digits(v, n) : Digits = Right(String(n, \"0\") & CStr(v), n) : End Function");
    const char* elements[] = {
        "objScript.CurrentElement = \"N1\" : objScript.ElementToSegment",
        "objScript.CurrentElement = Pad(UCase(Trim(Record(\"Name\"))), 12) : objScript.ElementToSegment",
        "Dim q : q = Record.Fields.Item(\"Qty\")\n"
        "Select Case q\n Case Is > 5 : objScript.CurrentElement = Digits(q * 2, 4)\n Case Else : "
        "objScript.CurrentElement = \"\"\nEnd Select\n"
        "If Len(objScript.CurrentElement) > 0 Then objScript.ElementToSegment",
        "On Error Resume Next\nobjScript.CurrentElement = Record(\"Missing\")\n"
        "If Err.Number <> 0 Then objScript.CurrentElement = \"ERR\" & Err.Number\n"
        "objScript.ElementToSegment",
    };
    for (const char* e : elements) EXPECT_NO_THROW(sc.addCode(e)) << e;
    EXPECT_EQ(script->segment, "N1+ACME CORP   +0014+ERR3265+");
    // Option Explicit holds for the piece of code that states it.
    EXPECT_NO_THROW(sc.addCode("undeclared = 1"));
    EXPECT_THROW(sc.addCode("Option Explicit\nundeclared2 = 1"), ScriptException);
}

TEST(Host, CodeAndGlobalsStayUntilReset) {
    Harness h;
    EXPECT_EQ(h.more("Dim total : total = 1\nFunction Twice(x) : Twice = 2 * x : End Function").error.number, 0);
    EXPECT_EQ(h.more("total = total + Twice(5) : Print total").output, "11");
    // Declaring a global or a procedure again in a later piece is allowed; a global keeps its value.
    EXPECT_EQ(h.more("Dim total : Print total\nFunction Twice(x) : Twice = 3 * x : End Function\nPrint Twice(1)").output,
              "11|3");
    EXPECT_EQ(h.more("Class K : Public v : End Class\nSet kept = New K : kept.v = 4").error.number, 0);
    EXPECT_EQ(h.more("Print kept.v, TypeName(kept)").output, "4 K");
    h.reset();
    const Outcome o = h.more("Print Twice(1)");
    EXPECT_EQ(o.error.number, 13);
    EXPECT_EQ(h.more("Print IsEmpty(total)").output, "True");
}

TEST(Host, FailingCodeKeepsWhatItDeclared) {
    Harness h;
    EXPECT_EQ(h.more("Sub Later : Print \"later\" : End Sub\nDim g : g = 2\nx = 1 / 0\ng = 3").error.number, 11);
    EXPECT_EQ(h.more("Later : Print g").output, "later|2");
    // A compile error declares nothing.
    EXPECT_EQ(h.more("Sub Never : End Sub\nx = (").error.number, 1023);
    EXPECT_EQ(h.more("Never").error.number, 13);
}

TEST(Host, ResetRunsTerminateOfLiveScriptObjects) {
    Harness h;
    auto host = automation::makeRef<Host>();
    h.sc.addObject("Form", Variant(host), true);
    h.more("Class C\n Sub Class_Terminate : LogSession \"bye\" & vbLf : End Sub\nEnd Class\nSet keep = New C");
    EXPECT_TRUE(host->log.empty());
    h.sc.reset();
    EXPECT_EQ(host->log, std::vector<std::string>{"bye "});
}

TEST(Host, ErrorEventThenException) {
    ScriptControl sc;
    std::vector<ScriptError> events;
    sc.setErrorHandler([&](const ScriptError& e) { events.push_back(e); });
    EXPECT_THROW(sc.addCode("x = 1\n  Set y = 5"), ScriptException);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].number, 424);
    EXPECT_EQ(events[0].description, "Object required: 'y'");
    EXPECT_EQ(events[0].line, 2);
    EXPECT_EQ(events[0].column, 2);
    EXPECT_EQ(events[0].lineText, "  Set y = 5");
    EXPECT_EQ(sc.error(), events[0]);
    try {
        sc.addCode("If");
        FAIL();
    } catch (const ScriptException& e) {
        EXPECT_EQ(e.number, 1023);
        EXPECT_EQ(e.error.source, "VBScript compilation error");
        EXPECT_EQ(e.description, "Expected expression");
    }
    sc.addCode("x = 2");
    EXPECT_EQ(sc.error().number, 0);
}

TEST(Host, EvalRunAndExecuteStatement) {
    ScriptControl sc;
    sc.addCode("Dim g : g = 5\nFunction Add(a, b) : Add = a + b : b = 0 : End Function");
    EXPECT_EQ(sc.eval("g * 2 + Add(1, 2)"), Variant(std::int16_t(13)));
    EXPECT_EQ(sc.eval("\"a\" & g"), Variant("a5"));
    std::vector<Variant> args{Variant(std::int16_t(1)), Variant(std::int16_t(2))};
    EXPECT_EQ(sc.run("Add", args), Variant(std::int16_t(3)));
    EXPECT_EQ(args[1], Variant(std::int16_t(0)));   // by reference
    sc.executeStatement("g = g + 1");
    EXPECT_EQ(sc.eval("g"), Variant(std::int16_t(6)));
    EXPECT_THROW(sc.run("Missing"), ScriptException);
    EXPECT_EQ(sc.error().number, 35);
    EXPECT_THROW(sc.eval("1 +"), ScriptException);
    EXPECT_EQ(sc.error().number, 1023);
    EXPECT_THROW(sc.eval("g / 0"), ScriptException);
    EXPECT_EQ(sc.error().number, 11);
    EXPECT_EQ(sc.error().column, 0);
}

TEST(Host, AddObjectRefusals) {
    ScriptControl sc;
    sc.addObject("A", Variant(automation::makeRef<Host>()));
    EXPECT_THROW(sc.addObject("a", Variant(automation::makeRef<Host>())), automation::Error);
    EXPECT_THROW(sc.addObject("B", Variant(5)), automation::Error);
    EXPECT_THROW(sc.addObject("C", Variant::nothing()), automation::Error);
}

TEST(Host, TimeoutStopsARunAndOnErrorCannotCatchIt) {
    FakeTime clock;
    ScriptControl sc;
    sc.setTimeSource(std::ref(clock));
    sc.setTimeout(50);
    ScriptLimits limits;
    limits.checkInterval = 1;
    sc.setLimits(limits);
    int timeouts = 0;
    int errors = 0;
    sc.setTimeoutHandler([&] { ++timeouts; });
    sc.setErrorHandler([&](const ScriptError&) { ++errors; });
    try {
        sc.addCode("On Error Resume Next\nDo\n x = x + 1\nLoop");
        FAIL();
    } catch (const ScriptException& e) {
        EXPECT_EQ(e.error.number, static_cast<std::int32_t>(0x80004004u));
        EXPECT_EQ(e.error.description, "Script timed out");
    }
    EXPECT_EQ(timeouts, 1);
    EXPECT_EQ(errors, 0);
    // The next run has its own budget.
    EXPECT_NO_THROW(sc.addCode("y = 1"));
}

TEST(Host, TimeSpentInHostCallsIsNotCounted) {
    FakeTime clock;
    ScriptControl sc;
    clock.step = {};
    auto host = automation::makeRef<Host>();
    host->time = &clock;
    sc.setTimeSource(std::ref(clock));
    sc.setTimeout(1000);
    ScriptLimits limits;
    limits.checkInterval = 1;
    sc.setLimits(limits);
    sc.addObject("Form", Variant(host), true);
    EXPECT_NO_THROW(sc.addCode("For i = 1 To 5 : Wait 10000 : Next"));
    // Time the script spends itself still counts.
    clock.step = milliseconds(300);
    EXPECT_THROW(sc.addCode("For i = 1 To 10 : Next"), ScriptException);
}

// A host may destroy its clock before the control: neither a reset nor the destructor reads it,
// and the destructor calls no host hook, though Terminate handlers still run in both.
TEST(Host, ResetAndDestructionNeverCallTheHost) {
    int reads = 0;
    int boxes = 0;
    {
        ScriptControl sc;
        sc.setTimeSource([&reads] { return Clk::time_point(milliseconds(++reads)); });
        ScriptUi ui;
        ui.messageBox = [&boxes](std::string_view, int, std::string_view) { return ++boxes; };
        sc.setUi(ui);
        const char* terminating = "Class C : Sub Class_Terminate : MsgBox 1 : End Sub : End Class\n"
                                  "Set a = New C : Set b = New C";
        sc.addCode(terminating);
        const int afterRun = reads;
        EXPECT_GT(afterRun, 0);
        sc.reset();
        EXPECT_EQ(boxes, 2) << "the reset ran both Terminate handlers";
        EXPECT_EQ(reads, afterRun) << "the reset read the host's time source";
        sc.addCode(terminating);
        reads = -1000;
    }
    EXPECT_EQ(reads, -1000) << "the destructor read the host's time source";
    EXPECT_EQ(boxes, 2) << "the destructor called the host's message box";
}

TEST(Host, CancelFlagStopsARun) {
    ScriptControl sc;
    std::atomic<bool> cancel{false};
    auto host = automation::makeRef<Host>();
    host->flag = &cancel;
    sc.setCancelFlag(&cancel);
    sc.setTimeout(ScriptControl::kNoTimeout);
    ScriptLimits limits;
    limits.checkInterval = 1;
    sc.setLimits(limits);
    sc.addObject("Form", Variant(host), true);
    try {
        sc.addCode("On Error Resume Next\nn = 0\nDo While True\n n = n + 1 : If n = 3 Then Cancel\nLoop");
        FAIL();
    } catch (const ScriptException& e) {
        EXPECT_EQ(e.error.description, "Script cancelled");
    }
    EXPECT_EQ(sc.eval("n"), Variant(std::int16_t(3)));
}

TEST(Host, ScriptObjectsAreLateBoundObjects) {
    ScriptControl sc;
    auto host = automation::makeRef<Host>();
    sc.addObject("Form", Variant(host), true);
    sc.addCode(
        "Class Counter\n"
        " Public Count\n"
        " Private secret\n"
        " Public Sub Bump(by) : Count = Count + by : by = 0 : End Sub\n"
        " Public Default Property Get Value : Value = \"n=\" & Count : End Property\n"
        " Sub Class_Terminate : LogSession \"gone\" : End Sub\n"
        "End Class\n"
        "Set c = New Counter");
    Variant c = sc.eval("c");
    ASSERT_TRUE(c.isObject());
    EXPECT_EQ(automation::typeName(c), "Counter");
    Variant by(std::int16_t(3));
    std::vector<Variant*> args{&by};
    c.object()->invoke("bump", automation::InvokeKind::Method, args);
    EXPECT_EQ(by, Variant(std::int16_t(0)));
    automation::letProperty(c, "Count", Variant(std::int16_t(10)));
    EXPECT_EQ(automation::getProperty(c, "COUNT"), Variant(std::int16_t(10)));
    EXPECT_EQ(automation::defaultValue(c), Variant("n=10"));
    EXPECT_TRUE(c.object()->hasMember("bump"));
    EXPECT_FALSE(c.object()->hasMember("secret"));
    EXPECT_THROW(automation::getProperty(c, "secret"), automation::Error);
    sc.addCode("Set c = Nothing");
    EXPECT_TRUE(host->log.empty());   // the host still holds it
    c.clear();
    EXPECT_EQ(host->log, std::vector<std::string>{"gone"});
}

}  // namespace vt::vbscript::test
