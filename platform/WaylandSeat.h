#pragma once

namespace vantoro {

// Call before the QApplication exists. When Qt is going to run on a Wayland compositor that
// offers no seat (no keyboard, no pointer: a headless or kiosk compositor), turns Qt's input
// methods off for this process: Qt 6.4's Wayland text input then crashes as soon as a line
// edit shows its cursor. An input method chosen in QT_IM_MODULE is left alone. Answers whether
// it turned them off.
bool disableInputMethodsWithoutWaylandSeat();

// Whether the compositor that WAYLAND_DISPLAY names (or the default one) answers and offers a
// seat: 1 yes, 0 no seat, -1 no compositor answered.
int waylandSeatOffered();

} // namespace vantoro
