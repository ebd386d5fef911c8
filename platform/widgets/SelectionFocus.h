#pragma once
// Lists and trees show their selected rows in the highlight colour only while they hold the
// keyboard focus; elsewhere the selection is drawn in a quieter colour. With several panes in a
// window, the pane that keys act on is then always plain to see.

namespace vt::widgets {

// Installs the behaviour for every item view of the application; once is enough, more changes
// nothing. Needs a QApplication.
void ShowSelectionFocus();

}  // namespace vt::widgets
