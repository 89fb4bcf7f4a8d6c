#pragma once

#include <QByteArray>
#include <QHash>

namespace vantoro {

// Finds a file that a playlist names in another letter case than the disk holds
// (MEDIA/A.WAV for media/a.wav), as playlists written on Windows do. The name is followed
// component by component from a base taken as it stands: at each step a component that
// exists as written is taken, otherwise the one name of the folder that equals it ignoring
// case (Unicode case folding); when none or several do, nothing is found.
//
// Each folder is listed at most once in the object's life, however many names lead into it,
// and the folders found for each written folder are kept: one object serves one read of a
// playlist, so that its entries see the disk as it was when the read began.
class LetterCaseLookup
{
public:
    // `name`: an absolute name in UTF-8; its first `baseLength` bytes, which end with a '/',
    // are taken as they stand. Answers the name of the existing regular file found (a
    // symbolic link to one counts), or an empty array.
    QByteArray find(const QByteArray& name, qsizetype baseLength);

    // Whether `name`'s folder is already known not to exist as written in this read (so that
    // `name` cannot exist as written either, and need not be asked for).
    bool folderAbsentAsWritten(const QByteArray& name) const;

    // The key names are compared by: ASCII letters lowered, anything else case-folded.
    static QByteArray folded(QByteArrayView name);

private:
    struct Listed
    {
        QByteArray name;
        unsigned char type = 0; // dirent type (DT_*)
        bool several = false;   // more than one name of the folder folds to this key
    };
    using Listing = QHash<QByteArray, Listed>;

    // The folder (with a trailing '/') that `written` (ending with '/') stands for, or empty.
    QByteArray folder(const QByteArray& written, qsizetype baseLength);
    // The name in `folder` that `component` stands for; false when none or several.
    bool match(const QByteArray& folder, QByteArrayView component, Listed& found);
    const Listing& listing(const QByteArray& folder);

    QHash<QByteArray, Listing> m_listings;
    QHash<QByteArray, QByteArray> m_folders; // written folder -> folder found, or empty
};

} // namespace vantoro
