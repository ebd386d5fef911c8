// MsgBox and InputBox through the host's hooks: answers and arguments handed over, refusal in
// unattended runs and without hooks (never blocking), time in a box not counted by the time-out,
// and the adapter that binds the hooks to a window port.

#include "ScriptHarness.h"

#include "platform/vbscript/ScriptUiFor.h"

#include <chrono>

namespace vt::vbscript::test {

namespace {

// Answers prompts from a script of answers and records what it was asked.
struct FakePort {
    int answer = 6;
    std::optional<std::string> text = std::string("joe!");
    bool quiet = false;
    std::vector<std::string> asked;

    int messageBox(std::string_view prompt, int buttons, std::string_view title) {
        asked.push_back(std::string(prompt) + "/" + std::to_string(buttons) + "/" + std::string(title));
        return answer;
    }
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title, std::string_view def) {
        asked.push_back(std::string(prompt) + "/" + std::string(title) + "/" + std::string(def));
        return text;
    }
    bool unattended() const { return quiet; }
};

}  // namespace

TEST(ScriptUi, BoxesGoThroughThePort) {
    FakePort port;
    Harness h;
    h.sc.setUi(scriptUiFor(port));
    expectOutputs(h, {
        {"x = MsgBox(\"Continue?\", vbYesNo + vbQuestion, \"Check\") : Print x, x = vbYes, TypeName(x)", "6 True Integer"},
        {"MsgBox \"Hi\"", ""},
        {"Print \"[\" & InputBox(\"Name?\", \"Ask\", \"joe\") & \"]\"", "[joe!]"},
        {"Print InputBox(123)", "joe!"},
    });
    EXPECT_EQ(port.asked, (std::vector<std::string>{"Continue?/36/Check", "Hi/0/", "Name?/Ask/joe", "123//"}));
    port.text.reset();
    expectOutputs(h, {{"s = InputBox(\"Name?\") : Print \"[\" & s & \"]\", TypeName(s)", "[] String"}});
    expectErrors(h, {
        {"x = MsgBox(Null)", 94, 1, 0},
        {"x = MsgBox()", 450, 1, 0},
    });
}

TEST(ScriptUi, RefusedWhenNobodyWatches) {
    FakePort port;
    port.quiet = true;
    Harness h;
    h.sc.setUi(scriptUiFor(port));
    expectErrors(h, {
        {"x = 1\nMsgBox \"Continue?\", vbYesNo", 70, 2, 0,
         "Permission denied: 'MsgBox' cannot wait for an answer in an unattended run"},
        {"s = InputBox(\"Name?\")", 70, 1, 0,
         "Permission denied: 'InputBox' cannot wait for an answer in an unattended run"},
    });
    expectOutputs(h, {{"On Error Resume Next\nMsgBox \"x\"\nPrint Err.Number", "70"}});
    EXPECT_TRUE(port.asked.empty());

    // The flag is read at each call.
    port.quiet = false;
    expectOutputs(h, {{"Print MsgBox(\"x\")", "6"}});

    Harness bare;   // no hooks at all
    expectErrors(bare, {
        {"MsgBox \"x\"", 70, 1, 0, "Permission denied: 'MsgBox' has no window to show in this host"},
        {"x = InputBox(\"x\")", 70, 1, 0},
    });
}

TEST(ScriptUi, TimeInABoxIsNotCounted) {
    using Clk = std::chrono::steady_clock;
    Clk::time_point t{};
    Harness h;
    h.sc.setTimeSource([&t] {
        t += std::chrono::milliseconds(1);
        return t;
    });
    h.sc.setTimeout(1000);
    ScriptLimits limits;
    limits.checkInterval = 1;
    h.sc.setLimits(limits);
    ScriptUi ui;
    ui.messageBox = [&t](std::string_view, int, std::string_view) {
        t += std::chrono::minutes(5);
        return 1;
    };
    h.sc.setUi(ui);
    expectOutputs(h, {{"x = MsgBox(\"wait\")\ny = MsgBox(\"again\")\nPrint x, y", "1 1"}});
    // The same clock does stop a script that spends the time itself.
    expectErrors(h, {{"Do : Loop", static_cast<std::int32_t>(0x80004004u), 0, 0, "Script timed out"}});
}

}  // namespace vt::vbscript::test
