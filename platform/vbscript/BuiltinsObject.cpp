// Err, CreateObject and GetObject.

#include "Builtins.h"
#include "Engine.h"

#include "platform/automation/ClassRegistry.h"
#include "platform/scripting/Dictionary.h"

namespace vt::vbscript {

namespace {
using namespace automation;

Variant errOf(Engine& e, ArgSpan) { return Variant(e.errObject()); }

Variant createObject(Engine& e, ArgSpan a) {
    const std::string progId = arg::text(a, 0);
    ObjectRef o;
    {
        Engine::HostCall hc(e);
        o = ClassRegistry::instance().create(progId);
    }
    if (auto* d = dynamic_cast<scripting::Dictionary*>(o.get())) e.cycles().add(*d);
    return Variant(std::move(o));
}

// No running objects or documents to attach to here.
Variant getObject(Engine&, ArgSpan) { raise(automation::err::CannotCreateObject); }

}  // namespace

void addObjectBuiltins(BuiltinTable& t) {
    t.add("Err", 0, 0, errOf);
    t.add("CreateObject", 1, 2, createObject);
    t.add("GetObject", 0, 2, getObject);
}

}  // namespace vt::vbscript
