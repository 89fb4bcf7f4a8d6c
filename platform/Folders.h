#pragma once

#include "fileops/IoError.h"

#include <QString>

namespace vantoro {

// Small folder operations for dialogs that create or look for a folder.

// Whether `path` names an existing folder (a symbolic link to one counts).
bool folderExists(const QString& path);

// Makes the single folder `path`; its parent must exist (no parents are made). Answers 0 when
// the folder was made or a folder of that name exists already, otherwise the errno of the
// failure (EEXIST when a file of that name is in the way, EACCES, EROFS, ENOENT ...).
int makeFolder(const QString& path);

} // namespace vantoro
