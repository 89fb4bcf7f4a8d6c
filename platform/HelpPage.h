#pragma once

#include <QString>
#include <QStringList>

namespace vantoro {

class MessageBoxes;
class ShellOpener;

// The folders an installed program's data may lie in, most personal first: $XDG_DATA_HOME
// (default ~/.local/share), then each of $XDG_DATA_DIRS (default /usr/local/share:/usr/share).
// Relative entries are ignored, as the XDG base directory rules say.
QStringList xdgDataFolders();

// The user guide "vthelp.html", looked up in this order: beside the executable (a build tree or
// a portable copy); in share/vantoro beside the executable's folder (an installed copy, whatever
// its prefix: /usr/bin/../share/vantoro); in the vantoro folder of each of `dataFolders`. Never
// in the current folder, which the file dialogs move. Answers the first page that exists, or
// an empty text when there is none.
QString locateHelpPage(const QString& executableFolder,
                       const QStringList& dataFolders = xdgDataFolders());

// Hands the user guide to the shell, or says in an error box that it is missing.
void openHelpPage(ShellOpener& shell, MessageBoxes& messages, const QString& executableFolder);

} // namespace vantoro
