// A partner plug-in with an outbound Map method, for the outbound translator's plug-in road:
// "VtMapPlugin.ACME_850_004010_O" writes one 850 per record row, numbering its sets 7, 9, ...
// (so GE01 must come from the sets, not from the last SE02); "VtMapPlugin.Broken" raises;
// "VtMapPlugin.NoSets" gives a segment but no set.

#include "platform/automation/Plugin.h"
#include "platform/automation/Recordset.h"

#include <cstring>
#include <string>

namespace {

using namespace vt::automation;

class Outbound final : public Dispatch<Outbound> {
public:
    static const Members<Outbound>& members() {
        static const Members<Outbound> m = [] {
            Members<Outbound> t("ACME_850_004010_O");
            t.method("Map", {4, 4}, [](Outbound&, Args& a) {
                auto* record = a.raw(0).objectAs<Recordset>();
                const std::string term = a.string(1), e = a.string(2);
                std::string sets;
                int control = 7;
                if (record && record->recordCount() > 0) {
                    for (record->moveFirst(); !record->eof(); record->moveNext(), control += 2) {
                        const std::string n = std::to_string(control);
                        sets += "ST" + e + "850" + e + n + term;
                        sets += "BEG" + e + "00" + e + "SA" + e + toText(record->value(std::size_t(0))) + e + e +
                                "20240305" + term;
                        sets += "SE" + e + "3" + e + n + term;
                    }
                }
                return Variant(sets);
            });
            return t;
        }();
        return m;
    }
};

class Broken final : public Dispatch<Broken> {
public:
    static const Members<Broken>& members() {
        static const Members<Broken> m = [] {
            Members<Broken> t("Broken");
            t.method("Map", {0, kAnyCount}, [](Broken&, Args&) -> Variant { throw Error(1001, "", "Map Failed"); });
            return t;
        }();
        return m;
    }
};

// Text, but no transaction set in it.
class NoSets final : public Dispatch<NoSets> {
public:
    static const Members<NoSets>& members() {
        static const Members<NoSets> m = [] {
            Members<NoSets> t("NoSets");
            t.method("Map", {4, 4}, [](NoSets&, Args& a) { return Variant("BEG" + a.string(2) + "00" + a.string(1)); });
            return t;
        }();
        return m;
    }
};

const char* const kClasses[] = {"ACME_850_004010_O", "Broken", "NoSets", nullptr};

}  // namespace

VT_PLUGIN_EXPORT int vt_plugin_abi_version() { return kPluginAbiVersion; }
VT_PLUGIN_EXPORT const char* const* vt_plugin_class_names() { return kClasses; }
VT_PLUGIN_EXPORT vt::automation::Object* vt_plugin_create(const char* className, vt::automation::HostServices*) {
    if (std::strcmp(className, "ACME_850_004010_O") == 0) return new Outbound();
    if (std::strcmp(className, "Broken") == 0) return new Broken();
    if (std::strcmp(className, "NoSets") == 0) return new NoSets();
    return nullptr;
}
