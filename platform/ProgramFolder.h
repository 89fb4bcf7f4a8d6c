#pragma once

#include <QString>

namespace vantoro {

// The folder that holds the program's own files (settings, temporary playlist), with a
// trailing '/': the executable's folder when it is writable (portable use), otherwise the
// per-user folder $XDG_CONFIG_HOME/Vantoro/ (default ~/.config/Vantoro/), created on demand.
QString resolveProgramFolder(const QString& executableFolder);

// Appends a '/' unless the text already ends in one.
QString withTrailingSlash(const QString& folder);

} // namespace vantoro
