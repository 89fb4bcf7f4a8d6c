#pragma once

#include <QByteArray>
#include <QHash>

#include <unordered_map>

#include <sys/types.h>

namespace vantoro {

// Finds a file that a playlist names in another letter case than the disk holds
// (MEDIA/A.WAV for media/a.wav), as playlists written on Windows do. The name is followed
// component by component from a base taken as it stands: at each step a component that
// exists as written is taken, otherwise the one name of the folder that equals it ignoring
// case (Unicode case folding); when none or several do, nothing is found.
//
// Each folder is listed at most once in the object's life, however many names lead into it,
// and the folder found for each written folder is kept: one object serves one read of a
// playlist, whose entries all see each folder as it was when the read first looked at it.
class LetterCaseLookup
{
public:
    // `name`: an absolute name in UTF-8; its first `baseLength` bytes, which end with a '/',
    // are taken as they stand. Answers the name of the existing regular file found (a
    // symbolic link to one counts), or an empty array. With `inode`, the file's inode number is
    // stored there (as the folder's listing gives it: a name may be a mount point).
    QByteArray find(const QByteArray& name, qsizetype baseLength, ino_t* inode = nullptr);

    // The existing folder `written` (ending with '/') stands for, as written or ignoring case
    // below its first `baseLength` bytes, with a trailing '/'; empty when there is none.
    QByteArray folderFor(const QByteArray& written, qsizetype baseLength);

    // Whether `name`'s folder is already known not to exist as written in this read (so that
    // `name` cannot exist as written either, and need not be asked for).
    bool folderAbsentAsWritten(const QByteArray& name);

    // The key names are compared by: ASCII letters lowered, anything else case-folded.
    static QByteArray folded(QByteArrayView name);

private:
    struct Listed
    {
        QByteArray name;
        unsigned char type = 0; // dirent type (DT_*)
        ino_t inode = 0;
        bool several = false; // more than one name of the folder folds to this key
    };
    using Listing = QHash<QByteArray, Listed>; // by folded name
    struct Folder
    {
        QByteArray found;                 // with a trailing '/'; empty when there is none
        const Listing* listing = nullptr; // of `found`, once it has been needed
    };
    struct KeyHash
    {
        size_t operator()(const QByteArray& key) const { return qHash(key); }
    };

    // The folder known for `written` (ending with '/'), or null. The last one asked for is
    // kept aside, as a playlist's entries come by folder.
    const Folder* knownFolder(QByteArrayView written);
    // Looks up the folder that `written` (ending with '/') stands for and keeps the answer.
    void lookUpFolder(const QByteArray& written, qsizetype baseLength);
    // The name in the folder that `component` stands for; false when none or several.
    static bool match(const QByteArray& folder, const Listing& names, QByteArrayView component,
                      Listed& found);
    const Listing& listing(const QByteArray& folder);

    // Listings stay where they are as more are added: folders point at them.
    std::unordered_map<QByteArray, Listing, KeyHash> m_listings;
    QHash<QByteArray, Folder> m_folders; // by written folder
    QByteArray m_lastWritten;
    Folder m_last;
};

} // namespace vantoro
