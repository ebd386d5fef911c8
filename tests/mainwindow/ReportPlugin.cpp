// The partner plug-in the runner tests load by name: "VtReportPlugin.Replace" answers True and
// replaces argument 0 with a record set of what it was given (Key, Rows of argument 0, Previous:
// rows of argument 1 or -1 for Nothing); "Decline" answers False; "Failing" raises 1001. Each
// call asks the host for setting "Test"/"Called", so a test can count the calls.

#include "platform/automation/Plugin.h"
#include "platform/automation/Recordset.h"

#include <cstring>

namespace {

using namespace vt::automation;

HostServices* gHost = nullptr;

void counted() {
    if (gHost) gHost->setting("Test", "Called", "");
}

std::int32_t rowsOf(const Variant& v) {
    auto* rs = v.objectAs<Recordset>();
    return rs ? rs->recordCount() : -1;
}

class Replace final : public Dispatch<Replace> {
public:
    static const Members<Replace>& members() {
        static const Members<Replace> m = [] {
            Members<Replace> t("Replace");
            t.method("ActiveX", {6, 6}, [](Replace&, Args& a) {
                counted();
                auto rs = Recordset::create();
                rs->appendField("Key", adtype::VarChar, 50);
                rs->appendField("Rows", adtype::Integer);
                rs->appendField("Previous", adtype::Integer);
                rs->open();
                rs->addNew();
                rs->setValue(0, Variant(a.string(2) + "_" + a.string(3) + "_" + a.string(4) + "_" + a.string(5)));
                rs->setValue(1, Variant(rowsOf(a.raw(0))));
                rs->setValue(2, Variant(a.raw(1).isNothing() ? std::int32_t(-1) : rowsOf(a.raw(1))));
                rs->update();
                a.ref(0) = Variant(rs);
                return Variant(true);
            });
            return t;
        }();
        return m;
    }
};

class Decline final : public Dispatch<Decline> {
public:
    static const Members<Decline>& members() {
        static const Members<Decline> m = [] {
            Members<Decline> t("Decline");
            t.method("ActiveX", {6, 6}, [](Decline&, Args&) {
                counted();
                return Variant(false);
            });
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
            t.method("ActiveX", {6, 6}, [](Failing&, Args&) -> Variant {
                counted();
                throw Error(1001, "", "ActiveX Failed");
            });
            return t;
        }();
        return m;
    }
};

const char* const kClasses[] = {"Replace", "Decline", "Failing", nullptr};

}  // namespace

VT_PLUGIN_EXPORT int vt_plugin_abi_version() { return kPluginAbiVersion; }
VT_PLUGIN_EXPORT const char* const* vt_plugin_class_names() { return kClasses; }
VT_PLUGIN_EXPORT vt::automation::Object* vt_plugin_create(const char* className, vt::automation::HostServices* host) {
    gHost = host;
    if (std::strcmp(className, "Replace") == 0) return new Replace();
    if (std::strcmp(className, "Decline") == 0) return new Decline();
    if (std::strcmp(className, "Failing") == 0) return new Failing();
    return nullptr;
}
