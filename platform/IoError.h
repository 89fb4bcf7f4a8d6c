#pragma once

#include <QString>

namespace vantoro {

// The I/O error texts the program shows for a failing file operation, from an errno value.
// Special value: kReadBeyondEnd for a read that ended before the data it needed.
inline constexpr int kReadBeyondEnd = -100;

QString ioErrorText(int errnoValue);

} // namespace vantoro
