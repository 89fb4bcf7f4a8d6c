#pragma once

#include "platform/FileDialogs.h"

namespace vantoro {

// The main window's three file dialogs, shared by the main window, the playlist editor and their
// tests. Each filter is the description the user sees followed by its patterns in parentheses;
// the dialogs show the descriptions only, so a description that names its patterns itself
// ("PlayList (*.asx)") is followed by them once more.

// OpenDialog1: the clips of a new playlist; several files, picture preview, first filter.
FileDialogSpec openDialog1Spec(const QString& clipFolder);

// The extensions (lower-case, without the dot) of OpenDialog1's media filters, every filter but
// "All file types": what a search for clips in a folder takes.
QStringList clipDialogMediaExtensions();

// OpenDialog2: a playlist to load or delete; typed names of files that do not exist are accepted
// (the caller reports them), "asx" is added to a name without extension.
FileDialogSpec openDialog2Spec(const QString& listFolder);

// SaveDialog1: the name under which a new playlist is saved; no overwrite warning.
FileDialogSpec saveDialog1Spec(const QString& programFolder);

} // namespace vantoro
