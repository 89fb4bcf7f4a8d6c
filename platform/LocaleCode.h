#pragma once

#include <QString>

namespace vantoro {

// The user's language as a Windows locale code: four upper-case hex digits ("0407" for
// German in Germany). Caption lists of the program's components are keyed by these codes.

// The code for a POSIX locale name such as "de_DE.UTF-8" or "sv_SE@euro". A known language in
// an unknown territory gives the language's neutral code ("en_ZW" -> "0009"); "C", "POSIX" and
// unknown languages give an empty text.
QString localeCodeFor(const QString& posixLocale);

// The code of the process locale for messages: LC_ALL, else LC_MESSAGES, else LANG (the first
// that is set and not empty, as the C library chooses).
QString processLocaleCode();

} // namespace vantoro
