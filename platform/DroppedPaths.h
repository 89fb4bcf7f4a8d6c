#pragma once

#include <QStringList>

class QDropEvent;
class QMimeData;

namespace vantoro {

// The local files and folders a drag carries (its text/uri-list), as absolute paths with the
// %-escapes decoded, in the order given. Empty when the drag carries anything else as well: a web
// address, a file on another host, plain text; such a drag is refused as a whole.
QStringList localPathsOfDrag(const QMimeData* data);

// Accepts a drag or drop event as a copy or a link, never a move: a file manager that saw a move
// accepted would remove the user's files. False, and the event is left refused, when the source
// offers neither.
bool acceptAsCopy(QDropEvent* event);

} // namespace vantoro
