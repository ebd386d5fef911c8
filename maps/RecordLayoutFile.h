#pragma once
// The record layout file of a map (".ADO"): one line per field of the translated record set,
// "<occurrence><segment id><element index 00>" TAB ADO type TAB size (for numeric types the
// precision, then TAB and the scale), CR LF, and one empty line at the end. The reader is
// core::OpenRecordsetFromLayout.

#include "core/Services.h"
#include "maps/MapModel.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vt {
class Settings;
}

namespace vt::maps {

struct LayoutField {
    std::string name;        // "1BEG03"
    int adoType = 0;         // 200, 7, 134, 4 or 131; 0 for a type code outside the table
    std::int64_t size = 0;   // Maximum (the precision for 131)
    int scale = 0;           // the digit of N0..N9
    // The file's line without its CR LF (the name alone for an unknown type).
    std::string line() const;
};

// A folder of the settings section Folders ("ActiveX", "Import", "Outbound", "Reports"), else
// the data root.
std::filesystem::path FoldersSetting(const Settings& settings, const char* key);
// The folder of the layout files of maps: setting Folders/ActiveX, else the data root.
std::filesystem::path MapLayoutFolder(const Settings& settings);
// <folder>/<Partner>_<Transaction>_<Version>_<Direction>.ADO. RunError 5 when a part of the key
// would leave the folder ("/", NUL, "..").
std::filesystem::path RecordLayoutPath(const Settings& settings, const MapKey& key);

// The fields in file order: included segments in SegmentIndex order, each repeated Placeholders
// times, one running occurrence number over the whole map; excluded elements give nothing.
// RunError 6 when the occurrence number passes 32767.
std::vector<LayoutField> RecordLayoutFields(const Map& map);
// The whole file's text.
std::string RecordLayoutText(const std::vector<LayoutField>& fields);

// Writes the map's layout file from its stored rows. The file is written whole to a temporary
// file and renamed into place, so a failure keeps the previous layout. Errors go to ReportError;
// the result is then empty, else the fields written (for the script reference tree).
std::optional<std::vector<LayoutField>> WriteRecordLayout(const core::Services& s, const MapKey& key);

}  // namespace vt::maps
