#pragma once
// The scripting classes scripts create by name.

namespace vt::scripting {

// Registers "Scripting.Dictionary" and "Scripting.FileSystemObject" with the program's class
// registry. Calling it again changes nothing.
void registerScriptingClasses();

}  // namespace vt::scripting
