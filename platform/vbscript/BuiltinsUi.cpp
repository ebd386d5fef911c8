// MsgBox and InputBox through the host's hooks (ScriptUi), and LoadPicture. A run nobody watches
// never waits for an answer: the call fails with error 70 instead.

#include "Builtins.h"
#include "Engine.h"

namespace vt::vbscript {

namespace {
using namespace automation;

void requireUser(Engine& e, std::string_view what, bool hooked) {
    bool unattended = false;
    if (e.ui.unattended) {
        Engine::HostCall hc(e);
        unattended = e.ui.unattended();
    }
    if (unattended)
        throw Error(err::PermissionDenied, std::string(kRuntimeSource),
                    "Permission denied: '" + std::string(what) + "' cannot wait for an answer in an unattended run");
    if (!hooked)
        throw Error(err::PermissionDenied, std::string(kRuntimeSource),
                    "Permission denied: '" + std::string(what) + "' has no window to show in this host");
}

std::string optionalText(ArgSpan a, std::size_t i) { return arg::has(a, i) ? arg::text(a, i) : std::string(); }

// MsgBox(prompt[, buttons[, title[, helpfile, context]]]): the answer, vbOK (1) ... vbNo (7).
Variant msgBox(Engine& e, ArgSpan a) {
    const std::string prompt = arg::text(a, 0);
    const std::int32_t buttons = arg::has(a, 1) ? arg::int32(a, 1) : 0;
    const std::string title = optionalText(a, 2);
    requireUser(e, "MsgBox", bool(e.ui.messageBox));
    Engine::HostCall hc(e);
    return Variant(std::int16_t(e.ui.messageBox(prompt, buttons, title)));
}

// InputBox(prompt[, title[, default[, xpos, ypos[, helpfile, context]]]]): the text entered, ""
// when cancelled.
Variant inputBox(Engine& e, ArgSpan a) {
    const std::string prompt = arg::text(a, 0);
    const std::string title = optionalText(a, 1);
    const std::string def = optionalText(a, 2);
    requireUser(e, "InputBox", bool(e.ui.inputBox));
    Engine::HostCall hc(e);
    return Variant(e.ui.inputBox(prompt, title, def).value_or(std::string()));
}

Variant loadPicture(Engine&, ArgSpan) {
    throw Error(err::InvalidPicture, std::string(kRuntimeSource), "Invalid picture: scripts cannot load pictures here");
}

}  // namespace

void addUiBuiltins(BuiltinTable& t) {
    t.add("MsgBox", 1, 5, msgBox);
    t.add("InputBox", 1, 7, inputBox);
    t.add("LoadPicture", 0, 1, loadPicture);
}

}  // namespace vt::vbscript
