#pragma once

#include <QString>

namespace vantoro {

// The user guide "vthelp.html": beside the executable (a build tree or a portable copy), else in
// the installed data folder. Never looked up in the current folder, which the file dialogs move.
// Answers the first existing candidate, else the one beside the executable.
QString locateHelpPage(const QString& executableFolder);

} // namespace vantoro
