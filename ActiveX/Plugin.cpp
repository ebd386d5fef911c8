// The entry points of Brackwen.so: the partner's two handlers and General, created by name.

#include "ActiveX/General.h"
#include "ActiveX/Handlers.h"
#include "ActiveX/frmLocation.h"

#include <cstring>

namespace {

const char* const kClasses[] = {vt::brackwen::kPlanningClass, vt::brackwen::kShippingClass, "General", nullptr};

}  // namespace

VT_PLUGIN_EXPORT int vt_plugin_abi_version() { return vt::automation::kPluginAbiVersion; }

VT_PLUGIN_EXPORT const char* const* vt_plugin_class_names() { return kClasses; }

VT_PLUGIN_EXPORT vt::automation::Object* vt_plugin_create(const char* className, vt::automation::HostServices* host) {
    using namespace vt::brackwen;
    if (!locationWindow()) setLocationWindow(&showLocationWindow);
    if (std::strcmp(className, kPlanningClass) == 0) return new PlanningSchedule(host);
    if (std::strcmp(className, kShippingClass) == 0) return new ShippingSchedule(host);
    if (std::strcmp(className, "General") == 0) return new General(host);
    return nullptr;
}
