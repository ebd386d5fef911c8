#pragma once
// Where a window opens: over the window it belongs to, as a dialog does, never at the corner of
// the screen.

class QWidget;

namespace vt::widgets {

// Moves `window` (not yet shown, or shown) so that it stands centred over `owner`, inside the
// owner's screen. Without an owner: over its parent's window, else the active window, else the
// middle of the screen.
void CentreOverOwner(QWidget* window, const QWidget* owner = nullptr);

}  // namespace vt::widgets
