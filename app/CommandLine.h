#pragma once

#include <QString>
#include <QStringList>

namespace vantoro {

// What the program was asked to do on its command line (Qt's own options already taken out):
// nothing, or play one playlist file as a file manager's "open with" asks.
struct CommandLineRequest
{
    enum class Kind { None, Play, Invalid };
    Kind kind = Kind::None;
    QString playlist; // Play: absolute path of the playlist
    QString error;    // Invalid: one line for stderr, "vantoro: <reason> (usage: ...)"
    QString reason;   // Invalid: the reason alone, a sentence for a message box
};

// `arguments` as QCoreApplication::arguments() gives them (the program's name first). A
// playlist is a file of a type Vantoro reads (see isPlaylistFileName) named by a path (relative
// to `currentFolder`) or a file:// URI; it need not exist here, Load reports a missing file as
// it does for a picked one.
CommandLineRequest parseCommandLine(const QStringList& arguments, const QString& currentFolder);

// The answer to --help (-h) or --version (-V) anywhere before a "--", for stdout; empty when the
// arguments ask for neither. Needs no QCoreApplication: main() answers these before any window
// system is touched, so that they work without a display.
QString informationRequested(const QStringList& arguments);

// Whether any of the standard input, output and error is a terminal. A program started from the
// desktop's menu or a file manager has none: what it prints there is seen by nobody.
bool startedFromTerminal();

} // namespace vantoro
