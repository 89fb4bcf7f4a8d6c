#pragma once

#include <QStringView>

namespace vantoro {

// The HTML sources of the two guide panels, as their hidden text fields hold them: one line of
// source per line, lines joined with CR LF.

// The main window's guide (13 lines; the first opens a <b> that is never closed).
extern const QStringView kMainGuideHtml;
// The player window's instructions (15 lines).
extern const QStringView kPlayerGuideHtml;

} // namespace vantoro
