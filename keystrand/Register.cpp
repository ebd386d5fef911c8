#include "Register.h"

#include "Encoder.h"
#include "clsKey.h"
#include "clsProviders.h"

#include "platform/automation/ClassRegistry.h"

namespace keystrand {

using namespace vt::automation;

void registerClasses() {
    ClassRegistry& registry = ClassRegistry::instance();
    registry.registerBuiltin("Keystrand.clsProviders", [] { return ObjectRef(makeRef<clsProviders>()); });
    registry.registerBuiltin("Keystrand.clsKey", [] { return ObjectRef(makeRef<clsKey>()); });
    registry.registerBuiltin("Keystrand.Encoder", [] { return ObjectRef(makeRef<Encoder>()); });
}

}  // namespace keystrand
