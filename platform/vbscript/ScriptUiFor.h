#pragma once
// Binds the script hooks to a host's window port: any object with messageBox, inputBox and
// unattended() as the program's UiSink has them. The port must outlive the ScriptControl's use
// of the hooks.
//
//   sc.setUi(vt::vbscript::scriptUiFor(ui));

#include "ScriptControl.h"

namespace vt::vbscript {

template <class Port>
ScriptUi scriptUiFor(Port& port) {
    ScriptUi ui;
    ui.messageBox = [&port](std::string_view prompt, int buttons, std::string_view title) {
        return port.messageBox(prompt, buttons, title);
    };
    ui.inputBox = [&port](std::string_view prompt, std::string_view title, std::string_view defaultText) {
        return port.inputBox(prompt, title, defaultText);
    };
    ui.unattended = [&port] { return port.unattended(); };
    return ui;
}

}  // namespace vt::vbscript
