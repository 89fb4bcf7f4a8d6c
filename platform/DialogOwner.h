#pragma once

class QWidget;

namespace vantoro {

// The window that a dialog shown now belongs to: the modal window in front, else the active
// window, else the visible top-level window made last; null when none is visible. A dialog made
// its child stays over it (its transient parent) and is placed over it by the window system,
// on Wayland too, where no window may be active.
QWidget* dialogOwner();

} // namespace vantoro
