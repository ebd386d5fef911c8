#pragma once
// Scripting.FileSystemObject: the part scripts use for files and folders. Existence tests, name
// functions on path texts, copy, move and delete of files and folders (wildcards in the last
// name of a source), folder creation, text streams, File and Folder objects, and the temporary
// folder. Paths may join names with "/" or "\"; paths it gives back use "/". File names
// compare as the file system does (case-sensitively).

#include "platform/automation/Object.h"

namespace vt::scripting {

class FileSystemObject final : public automation::Dispatch<FileSystemObject> {
public:
    FileSystemObject() = default;
    static const automation::Members<FileSystemObject>& members();
};

// A name for a temporary file, "rad" and five hexadecimal digits, ".tmp" ("radA3F01.tmp").
std::string tempName();

}  // namespace vt::scripting
