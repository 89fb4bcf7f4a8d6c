#pragma once

#include <QIcon>

namespace vantoro {

// Small pictures for the main window's buttons, drawn in code. The style's standard icons would
// load every image-format plugin before the window's first paint, which costs more than
// building the whole window.
namespace glyphs {

QIcon website(); // a globe
QIcon help();    // a question mark in a disc
QIcon close();   // a cross
QIcon mail();    // an envelope

} // namespace glyphs
} // namespace vantoro
