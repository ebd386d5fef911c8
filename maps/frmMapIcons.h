#pragma once
// The designer's pictures, drawn at start-up: the image list of both trees by key ("Segment",
// "Element", "Looping", "Results", "Record", "Methods", "Properties", "Functions", "Operators",
// "Statements") and the panel buttons' pictures.

#include <QIcon>

#include <string_view>

namespace vt::maps::icons {

// An image of tvwIcons by key; a null icon for any other key.
QIcon tree(std::string_view key);

// Pictures of the panel buttons: "Add", "Delete", "Save", "Duplicate", "Up", "Down", "In", "Out",
// "Process".
QIcon button(std::string_view name);

}  // namespace vt::maps::icons
