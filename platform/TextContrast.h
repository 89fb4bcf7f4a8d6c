#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace vantoro {

// Text colours that stay readable whatever the desktop's palette: where a text or a background
// colour is fixed, its partner is fixed too, and a fixed text colour too weak for its
// background is darkened (or lightened) just enough.
namespace TextContrast {

// The least contrast of text against its background, as the accessibility guidelines ask of
// body text.
inline constexpr double kMinimum = 4.5;

// The contrast ratio of two colours, from 1 (equal) to 21 (black on white).
double ratio(const QColor& first, const QColor& second);
// `text` when it has kMinimum against `background`; otherwise the nearest colour of the same
// hue, towards black on a light background and towards white on a dark one, that has.
QColor readableOn(const QColor& text, const QColor& background);

// A fixed text colour on a widget drawn on the palette's Button (a push button) or Window (a
// label, a group box title) colour: that background is fixed as well, to a light colour, and
// the text made readable on it.
void fixButtonText(QWidget& widget, const QColor& text);
void fixWindowText(QWidget& widget, const QColor& text);
// A fixed background (`role` Window, Base or Button: a group box on yellow, a read-only text box
// on aqua) and filled with it: its text colour is fixed as well, black or white, whichever reads
// better.
void fixBackground(QWidget& widget, QPalette::ColorRole role, const QColor& background);

} // namespace TextContrast

} // namespace vantoro
