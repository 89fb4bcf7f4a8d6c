#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vantoro::test {

// Faults of a shown window that a user sees at once, found from the geometry the window has
// after it was laid out and from the style and fonts it is drawn with. Each fault is one line
// naming the widget ("Class 'objectName' \"caption\"") and what is wrong:
// - a caption wider (or taller) than the part of its control that shows text: push and tool
//   buttons (icon included), check boxes, radio buttons, group box titles, one-line labels;
// - a visible child that sticks out of the area its parent shows children in: the parent's
//   rectangle, inside the frame of a frame, below the title and inside the border of a group
//   box;
// - two visible siblings that overlap, unless one lies wholly inside a bare QFrame sibling
//   (a bevel drawn around other controls).
// Widgets that draw their own insides (scroll areas, spin boxes, combo boxes) are checked
// themselves, but not their children.
QStringList layoutFaults(const QWidget& window);

// Saves a grab of `window` as NAME.png in the screenshot folder (VANTORO_BUILD_DIR/screenshots
// when that is set, else the temporary folder) and answers its path.
QString saveScreenshot(QWidget& window, const QString& name);

// For tests: shows `window` if it is not shown yet, lets it lay out, saves its screenshot as
// `name` and adds a test failure for every fault that layoutFaults() finds.
void expectCleanLayout(QWidget& window, const QString& name);

} // namespace vantoro::test
