#pragma once

#include "platform/ShellOpener.h"

#include <QUrl>

namespace vantoro {

// Opens web addresses, mail texts and local files with the desktop's handlers (xdg-open).
//
// The program hands every target over as it stands, the mail text too: no recipient, its blanks
// and other characters not percent-encoded. The encoding happens here, on the way out: the
// target is read as a URL (tolerantly, so that blanks are accepted) and handed to xdg-open in
// its encoded form, with blanks as %20 and the subject's and body's separators kept, which is
// what mail programs need to fill in a new message. Both statements hold: the program's text is
// unchanged, the command line of xdg-open is encoded.
class QtShellOpener final : public ShellOpener
{
public:
    void open(const QString& target) override;

    // The URL a target is opened as: a local path (starting with '/') as a file, anything with
    // a scheme (http:, mailto:) as it stands.
    static QUrl urlFor(const QString& target);
};

} // namespace vantoro
