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
    QString error;    // Invalid: one line for stderr
};

// `arguments` as QCoreApplication::arguments() gives them (the program's name first). A
// playlist is an ASX or M3U file named by a path (relative to `currentFolder`) or a file:// URI;
// it need not exist here, Load reports a missing file as it does for a picked one.
CommandLineRequest parseCommandLine(const QStringList& arguments, const QString& currentFolder);

} // namespace vantoro
