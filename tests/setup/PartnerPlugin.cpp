// A partner plug-in library for the plug-in choice tests: one class per set of the partner
// VENDOR01, named by the set's selection key, as a partner's library names its classes.

#include "platform/automation/Plugin.h"

#include <cstring>

namespace {

using namespace vt::automation;

class PartnerSet final : public Dispatch<PartnerSet> {
public:
    static const Members<PartnerSet>& members() {
        static const Members<PartnerSet> m = [] {
            Members<PartnerSet> t("PartnerSet");
            t.method("ActiveX", {6, 6}, [](PartnerSet&, Args&) { return Variant(true); });
            return t;
        }();
        return m;
    }
};

const char* const kClasses[] = {"VENDOR01_850_004010_I", "VENDOR01_850_004010_O", nullptr};

}  // namespace

VT_PLUGIN_EXPORT int vt_plugin_abi_version() { return kPluginAbiVersion; }

VT_PLUGIN_EXPORT const char* const* vt_plugin_class_names() { return kClasses; }

VT_PLUGIN_EXPORT vt::automation::Object* vt_plugin_create(const char* className, vt::automation::HostServices*) {
    for (const char* const* c = kClasses; *c; ++c)
        if (std::strcmp(className, *c) == 0) return new PartnerSet();
    return nullptr;
}
