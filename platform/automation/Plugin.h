#pragma once
// The plug-in ABI. A plug-in library is "<ActiveX folder>/<Library>.so", loaded by full path and
// created through ClassRegistry as "<Library>.<Class>". It links the same shared runtime
// (libvt_automation) as the program, so objects, Variants and Error exceptions cross the boundary
// as they are. It exports three C entry points:
//
//   extern "C" int vt_plugin_abi_version();                 // the kPluginAbiVersion it was built with
//   extern "C" const char* const* vt_plugin_class_names();  // class names, ending with nullptr
//   extern "C" vt::automation::Object* vt_plugin_create(const char* className,
//                                                       vt::automation::HostServices* host);
//
// vt_plugin_create returns a new object (reference count 0; the registry takes the first
// reference) or nullptr when the library has no such class; it may throw vt::automation::Error.
// `host` stays valid for as long as the program runs. A plug-in keeps no database key: it reaches
// the application database only through HostServices.
//
// Versions: 1 offers setting() and database(); 2 appends messageBox(), yield() and now(). The
// program loads plug-ins of any version from 1 to its own, since a plug-in calls only the
// members of the version it was built with.

#include "Object.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace vt::automation {

inline constexpr int kPluginAbiVersion = 2;
inline constexpr int kOldestPluginAbiVersion = 1;

// What the program offers its plug-ins. New members are only ever appended.
class HostServices {
public:
    virtual ~HostServices();
    // The per-user settings of the program (section, key; `def` when unset).
    virtual std::string setting(std::string_view section, std::string_view key, std::string_view def) const = 0;
    // The application database, or Nothing when none is open. Its members:
    //   Query(sql, values...)   -> a disconnected Recordset of the result rows (a field per
    //                              column, each of type Variant; integers as Long or Double, reals
    //                              as Double, text as String, NULL as Null)
    //   Execute(sql, values...) -> the number of rows changed, as a Long
    // The values are bound to ?1, ?2, ... in order (True as -1); they never enter the SQL text.
    virtual ObjectRef database() const = 0;

    // ---- Version 2 (a host that does not override them shows no box and answers vbOK, yields
    // nothing and gives the system clock) ----
    // A message box as the program shows it (vb* button and icon values); returns the answer.
    // Unattended runs do not block: they get the default answer.
    virtual int messageBox(std::string_view text, int style, std::string_view title);
    // Lets the program's pending window events run (throttled by the program).
    virtual void yield();
    // The program's clock: the local date and time as an OLE date.
    virtual double now() const;
};

// The folder of the library that holds `anyAddressInIt` (a plug-in's "own folder").
std::filesystem::path libraryFolder(const void* anyAddressInIt);

using PluginAbiVersionFn = int (*)();
using PluginClassNamesFn = const char* const* (*)();
using PluginCreateFn = Object* (*)(const char* className, HostServices* host);

}  // namespace vt::automation

// Marks the three entry points of a plug-in for export.
#define VT_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
