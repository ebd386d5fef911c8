#pragma once
// Shared pieces of the Brackwen plug-in: the program's services as the library sees them, and the
// small value helpers its handlers use. Every class of the library takes the host it was created
// with; a null host (a class made outside the program) gets the defaults of each service.

#include "platform/automation/Plugin.h"
#include "platform/automation/Recordset.h"

#include <functional>
#include <string>
#include <string_view>

namespace vt::brackwen {

using automation::HostServices;
using automation::Recordset;
using automation::Ref;
using automation::Variant;

inline constexpr const char* kLibraryName = "Brackwen";

// The library's own folder (the default of every folder setting).
std::filesystem::path ownFolder();
// Folders/<key> of the program's settings, else the library's own folder.
std::filesystem::path folderSetting(HostServices* host, std::string_view key);
void yieldEvents(HostServices* host);
int messageBox(HostServices* host, std::string_view text, int style);
double today(HostServices* host);   // OLE date without the time of day

// The record set behind an argument; 424 "Object required" when it holds none.
Ref<Recordset> recordsetOf(const Variant& v);
// A value as text, Null and Empty as "".
std::string textOf(const Variant& v);
// Trim as the system's text routines do: blanks only.
std::string trimBlanks(std::string_view s);
// Upper case of 1252 text.
std::string upper1252(std::string_view s);

// Shows the location picker modally (set by the windows part of the library).
using ShowLocationWindow = std::function<void(HostServices*)>;
void setLocationWindow(ShowLocationWindow show);
const ShowLocationWindow& locationWindow();

}  // namespace vt::brackwen
