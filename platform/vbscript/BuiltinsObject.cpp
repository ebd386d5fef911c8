// Err and CreateObject.

#include "Builtins.h"
#include "Engine.h"

#include "platform/automation/ClassRegistry.h"

namespace vt::vbscript {

namespace {
using namespace automation;

Variant errOf(Engine& e, ArgSpan) { return Variant(e.errObject()); }

Variant createObject(Engine& e, ArgSpan a) {
    const std::string progId = arg::text(a, 0);
    Engine::HostCall hc(e);
    return Variant(ClassRegistry::instance().create(progId));
}

}  // namespace

void addObjectBuiltins(BuiltinTable& t) {
    t.add("Err", 0, 0, errOf);
    t.add("CreateObject", 1, 2, createObject);
}

}  // namespace vt::vbscript
