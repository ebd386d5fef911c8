#pragma once
// The plug-in class of a transaction set: chosen from a library file in the ActiveX folder, the
// class named by the set's selection key, created once as a test before its name is stored.

#include "core/Services.h"
#include "setup/PartnerTransactions.h"

#include <filesystem>
#include <string>

namespace vt {
class Settings;
namespace automation {
class ClassRegistry;
}
}  // namespace vt

namespace vt::setup {

inline constexpr const char* kPluginFilter = "ActiveX Files(*.so)|*.so";

// Setting "Folders"/"ActiveX", else the data root.
std::filesystem::path pluginFolder(const Settings& settings);
// The program's class registry, set to look for plug-in libraries in the ActiveX folder that
// `settings` names at the moment of each creation; `settings` must outlive its use.
automation::ClassRegistry& pluginRegistry(const Settings& settings);
// "<library>.<Partner>_<Transaction>_<Version>_<Direction>", library being the file's name
// without its extension.
std::string pluginClassName(const std::filesystem::path& library, const SetKey& key);

// Asks for a library file; on a choice creates the class once through `registry` and stores its
// name. Cancelling the dialog changes nothing. A class that cannot be created is reported and
// not stored. True when a name was stored.
bool ChooseTransactionActiveX(const core::Services& s, automation::ClassRegistry& registry, const SetKey& key);
// Asks, then stores the empty name: the set has no plug-in any more. True when cleared.
bool ClearTransactionActiveX(const core::Services& s, const SetKey& key, std::string_view current);
// Stores the class name of the set's row; throws when the set has no row.
void storeTransactionActiveX(db::Database& db, const SetKey& key, std::string_view className);

}  // namespace vt::setup
