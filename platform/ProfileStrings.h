#pragma once

#include <QString>

namespace vantoro {

// INI-file access with the classic profile-string contract:
// - section and key names are compared ignoring case;
// - a value is trimmed of surrounding blanks and then of one pair of surrounding quotes
//   ("..." or '...');
// - lines are read ending in CR LF, LF or CR; written ending in CR LF;
// - the file is opened anew for every call, and read line by line: memory stays bounded by the
//   longest line, and a read stops at the key it looks for.
// A write creates the file if needed, appends a missing section at the end, replaces an
// existing key's line in place and keeps every other line byte for byte (comments included). It
// goes through AtomicFileWriter: a file the user made read-only is refused (EACCES) and left as
// it is, and a failed write leaves the old file as it was.

// The value of `key` in `section`, at most `maxChars` characters; `defaultValue` when the file,
// the section or the key is missing.
QString getPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultValue, const QString& fileName,
                                int maxChars = 1023);

// Answers 0, or the errno of the failure.
int writePrivateProfileString(const QString& section, const QString& key, const QString& value,
                              const QString& fileName);

} // namespace vantoro
