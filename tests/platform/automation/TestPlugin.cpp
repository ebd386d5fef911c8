// A plug-in library for the registry tests: "VtTestPlugin.Echo" and "VtTestPlugin.Failing".

#include "platform/automation/Plugin.h"
#include "platform/automation/Recordset.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

using namespace vt::automation;

HostServices* gHost = nullptr;

// Its ActiveX handler replaces argument 0 with a record set of its own holding what it was given.
class Echo final : public Dispatch<Echo> {
public:
    static const Members<Echo>& members() {
        static const Members<Echo> m = [] {
            Members<Echo> t("Echo");
            t.method("ActiveX", {6, 6}, [](Echo&, Args& a) {
                auto rs = Recordset::create();
                rs->appendField("Key", adtype::VarChar, 50);
                rs->appendField("Rows", adtype::Integer);
                rs->appendField("Import", adtype::VarChar, 255);
                rs->open();
                rs->addNew();
                rs->setValue(0, Variant(a.string(2) + "_" + a.string(3) + "_" + a.string(4) + "_" + a.string(5)));
                auto* in = a.raw(0).objectAs<Recordset>();
                rs->setValue(1, Variant(in ? in->recordCount() : -1));
                if (gHost) rs->setValue(2, Variant(gHost->setting("Folders", "Import", "(none)")));
                rs->update();
                a.ref(0) = Variant(rs);
                return Variant(true);
            })
                .get("Folder", [](Echo& e, Args&) { return Variant(libraryFolder(reinterpret_cast<const void*>(&gHost)).string()); });
            return t;
        }();
        return m;
    }
};

class Failing final : public Dispatch<Failing> {
public:
    static const Members<Failing>& members() {
        static const Members<Failing> m = [] {
            Members<Failing> t("Failing");
            t.method("ActiveX", {0, kAnyCount}, [](Failing&, Args&) -> Variant { throw Error(1001, "", "ActiveX Failed"); });
            return t;
        }();
        return m;
    }
};

const char* const kClasses[] = {"Echo", "Failing", nullptr};

}  // namespace

// Broken builds of the same library for the registry's refusals: CMake defines one of
// VT_BROKEN_WRONG_ABI, VT_BROKEN_NO_CREATE, VT_BROKEN_UNRESOLVED, VT_BROKEN_THROWING. VT_OLDEST_ABI
// builds one that says it was made for the oldest interface the program still loads.
#ifdef VT_BROKEN_UNRESOLVED
extern "C" int vt_test_symbol_nobody_defines();
#endif

VT_PLUGIN_EXPORT int vt_plugin_abi_version() {
#if defined(VT_BROKEN_WRONG_ABI)
    return kPluginAbiVersion + 1;
#elif defined(VT_OLDEST_ABI)
    return kOldestPluginAbiVersion;
#elif defined(VT_BROKEN_UNRESOLVED)
    return vt_test_symbol_nobody_defines();
#else
    return kPluginAbiVersion;
#endif
}

VT_PLUGIN_EXPORT const char* const* vt_plugin_class_names() { return kClasses; }

#ifndef VT_BROKEN_NO_CREATE
VT_PLUGIN_EXPORT vt::automation::Object* vt_plugin_create(const char* className, vt::automation::HostServices* host) {
#ifdef VT_BROKEN_THROWING
    throw std::runtime_error(std::string("no resources for ") + className);
#endif
    gHost = host;
    if (std::strcmp(className, "Echo") == 0) return new Echo();
    if (std::strcmp(className, "Failing") == 0) return new Failing();
    return nullptr;
}
#endif
