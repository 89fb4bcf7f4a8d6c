#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace vantoro {

// Reads the entries of an ASX playlist for the media control: one entry per ENTRY element, its
// first REF element's HREF attribute; a REF outside any ENTRY is an entry of its own. Element
// and attribute names match in any case, blanks may surround '=', values may be quoted with
// either quote. Attribute values are taken character for character, as the program's own
// writer stores paths (a bare '&' stays), except for the only two escapes that writer makes:
// "&#13;" and "&#10;" are a CR and an LF of the path. No other reference is decoded. An ENTRY
// without a REF is no entry; ENTRYREF (a link to another playlist) and everything else are
// ignored.
class MpvAsxReader
{
public:
    // Entries of the ASX text (UTF-8), in file order.
    static QStringList parse(QByteArrayView text);

    // Reads the file; on failure answers false and sets `errnoValue`.
    static bool readFile(const QString& path, QStringList& entries, int& errnoValue);
};

} // namespace vantoro
