#include "Register.h"

#include "Dictionary.h"
#include "FileSystem.h"
#include "platform/automation/ClassRegistry.h"

namespace vt::scripting {

using namespace vt::automation;

void registerScriptingClasses() {
    ClassRegistry& registry = ClassRegistry::instance();
    registry.registerBuiltin("Scripting.Dictionary", [] { return ObjectRef(makeRef<Dictionary>()); });
    registry.registerBuiltin("Scripting.FileSystemObject", [] { return ObjectRef(makeRef<FileSystemObject>()); });
}

}  // namespace vt::scripting
