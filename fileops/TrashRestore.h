#pragma once

#include "fileops/FileOperationJournal.h"

#include <QByteArray>

namespace vantoro {

// Puts an item back from the Trash as the desktop's Restore does: files/NAME goes back to
// `originalPath` (its folder made again if it is gone) and the record info/NAME.trashinfo is
// removed. Never replaces: a name taken at `originalPath` answers EEXIST and leaves the Trash as
// it was. Only the item the entry recorded is restored: another item now under its name answers
// ESTALE and stays. Answers 0 or the errno of the failure.
int restoreFromTrash(const TrashEntry& entry, const QByteArray& originalPath);

} // namespace vantoro
