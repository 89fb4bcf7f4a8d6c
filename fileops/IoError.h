#pragma once

#include <QString>

namespace vantoro {

// The I/O error texts the program shows for a failing file operation, from an errno value.
// Special value: kReadBeyondEnd for a read that ended before the data it needed.
inline constexpr int kReadBeyondEnd = -100;

QString ioErrorText(int errnoValue);

// The system's own description of an errno value ("Read-only file system"), for the boxes that
// name a file and the reason it failed.
QString systemErrorText(int errnoValue);

} // namespace vantoro
