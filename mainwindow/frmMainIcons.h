#pragma once
// The main window's image lists, drawn at start-up: the folder tree's eight images, the folder
// lists' twelve (two sort arrows, then the status, log-type and acknowledgement images) and the
// toolbar's eight.

#include <QIcon>
#include <QPixmap>

#include <string_view>

namespace vt::mainwindow::icons {

// tvwIcons: image 1 to 8 ("X", "Root", "Inbox", "Outbox", "Sent", "Recycled", "History", "Exchange").
QIcon tree(int image);
QPixmap treePixmap(int image, int size);
// The image of a tree key, or a null icon.
QIcon treeByKey(std::string_view key);

// lvwIcons by key: "Closed", "Opened", "Validated", "Exported", "Info", "Warning", "Error", "Yes",
// "Void", "No"; a null icon for any other key.
QIcon list(std::string_view key);
// The two unkeyed images of lvwIcons: 0 the upward triangle, 1 the downward one.
QIcon sortArrow(int order);

// tbrIcons: image 1 to 8 (Open, Options, Partners, Properties, Delete, Viewer, Designer, Find).
QIcon toolbar(int image);

// The program's own icon (the tree's top image).
QIcon application();

}  // namespace vt::mainwindow::icons
