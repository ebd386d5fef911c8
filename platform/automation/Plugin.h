#pragma once
// The plug-in ABI. A plug-in library is "<ActiveX folder>/<Library>.so", loaded by full path and
// created through ClassRegistry as "<Library>.<Class>". It links the same shared runtime
// (libvt_automation) as the program, so objects, Variants and Error exceptions cross the boundary
// as they are. It exports three C entry points:
//
//   extern "C" int vt_plugin_abi_version();                 // must return vt::automation::kPluginAbiVersion
//   extern "C" const char* const* vt_plugin_class_names();  // class names, ending with nullptr
//   extern "C" vt::automation::Object* vt_plugin_create(const char* className,
//                                                       vt::automation::HostServices* host);
//
// vt_plugin_create returns a new object (reference count 0; the registry takes the first
// reference) or nullptr when the library has no such class; it may throw vt::automation::Error.
// `host` stays valid for as long as the program runs. A plug-in keeps no database key: it reaches
// the application database only through HostServices.

#include "Object.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace vt::automation {

inline constexpr int kPluginAbiVersion = 1;

// What the program offers its plug-ins. New members are only ever appended.
class HostServices {
public:
    virtual ~HostServices();
    // The per-user settings of the program (section, key; `def` when unset).
    virtual std::string setting(std::string_view section, std::string_view key, std::string_view def) const = 0;
    // The program's database access object (members fixed by the host), or Nothing when none.
    virtual ObjectRef database() const = 0;
};

// The folder of the library that holds `anyAddressInIt` (a plug-in's "own folder").
std::filesystem::path libraryFolder(const void* anyAddressInIt);

using PluginAbiVersionFn = int (*)();
using PluginClassNamesFn = const char* const* (*)();
using PluginCreateFn = Object* (*)(const char* className, HostServices* host);

}  // namespace vt::automation

// Marks the three entry points of a plug-in for export.
#define VT_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
