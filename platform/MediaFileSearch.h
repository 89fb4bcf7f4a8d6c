#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace vantoro {

// Every file below `folder`, its sub-folders included, whose extension (the text after the last
// '.' of the name, compared ignoring ASCII case) is one of `extensions` (lower-case, without the
// dot). Files and folders whose names start with '.' are hidden from the user and skipped (a
// picture viewer's thumbnail cache is no clip). Symbolic links are followed, and a folder reached
// a second time (a link back up the tree) is not searched again. Folders that cannot be read are
// passed over. The paths come in the order the file system lists them. `keepGoing`, if given,
// is asked before each folder is read; false stops the search with what was found so far.
QStringList findFilesBelow(const QString& folder, const QStringList& extensions,
                           const std::function<bool()>& keepGoing = {});

} // namespace vantoro
