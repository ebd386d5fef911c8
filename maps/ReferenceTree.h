#pragma once
// The script reference tree of the designer: what a map's scripts can use, each entry a piece of
// script text that a drag inserts. Roots in order: "Results" (outbound maps: the fields of the
// Integrator's extraction), "Record" (the map's own record layout), "Methods", "Properties",
// "Functions", "Statements", "Operators".
//
// Node keys carry their branch ("Functions/Date", "Results/Date"), so a result field named like
// a word or a member never takes another branch's node.

#include "core/Services.h"
#include "maps/MapModel.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vt {
class Settings;
}

namespace vt::maps {

extern const std::array<std::string_view, 93> kScriptFunctions;
extern const std::array<std::string_view, 27> kScriptStatements;
extern const std::array<std::string_view, 21> kScriptOperators;

struct ReferenceNode {
    std::string key;     // unique in the whole tree
    std::string text;    // what is shown and what a drag inserts
    std::string image;   // image key of the designer's image list
};

struct ReferenceBranch {
    ReferenceNode root;   // text and image = the branch name
    std::vector<ReferenceNode> children;
};

// Record.Fields.Item("<name>")
std::string RecordFieldText(std::string_view name);
std::string BranchKey(std::string_view branch, std::string_view key);

// The members of objScript offered for a map of the direction ("O" exactly is outbound).
std::vector<ReferenceNode> ReferenceMethods(bool outbound);
std::vector<ReferenceNode> ReferenceProperties(bool outbound);

// <Folders/Import, else the data root>/<Partner>_<Transaction>_<Version>_O.ADO. RunError 5 when a
// part of the key would leave the folder.
std::filesystem::path ResultsLayoutPath(const Settings& settings, const MapKey& key);

// The "Results" children from the outbound layout file, in file order, up to the first line the
// record layout reader would refuse. A missing file gives none silently; any other failure goes
// to ReportError and keeps the children before it.
std::vector<ReferenceNode> LoadResultsLayout(const core::Services& s, const MapKey& key);

// The whole tree for the map: rewrites the map's record layout file (its failures are reported by
// the writer and leave "Record" empty) and adds every branch.
std::vector<ReferenceBranch> BuildReferenceTree(const core::Services& s, const MapKey& key);

}  // namespace vt::maps
