#pragma once
// A tab page left with the keyboard focus in it hands the focus on to the next control of the
// window, usually a button under the tabs, where the next Space or Enter would press it.

class QTabWidget;

namespace vt::widgets {

// After every change of page, a focus that is neither on the new page nor on the tab strip goes
// to the tab strip, where keys only switch pages.
void KeepFocusOnTabs(QTabWidget* tabs);

}  // namespace vt::widgets
