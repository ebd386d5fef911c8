#pragma once
// Access keys of menus: every entry of a menu has one of its own, so the keyboard reaches each
// command with one key once the menu is open.

#include <QChar>

class QMenu;
class QString;

namespace vt::widgets {

// The access key of a caption ("Print Set&up..." gives 'U'), upper case; a null QChar when the
// caption has none ("&&" is a plain ampersand).
QChar AccessKey(const QString& caption);

// Gives every entry of `menu` that has no access key one that no other entry of the menu uses:
// the first letter of one of its words, else any of its letters or digits. Entries that have a
// key keep it; an entry with no free character stays without one.
void GiveAccessKeys(QMenu* menu);

}  // namespace vt::widgets
