#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <vector>

struct stat;

namespace vantoro {

// Who a file is: enough to tell, later, whether the file at a path is still the one an
// operation wrote or moved there, unchanged.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0; // modification time, nanoseconds since the epoch
    bool isValid() const { return size >= 0; }
    bool operator==(const FileIdentity&) const = default;

    // The identity of the file at `path` (a link itself, not what it points to); invalid when
    // there is nothing there.
    static FileIdentity of(const QByteArray& path);
    static FileIdentity of(const struct stat& st);
};

// Where an item went in a Trash: `folder` holds files/ and info/; the item is files/`name` and
// its record info/`name`.trashinfo. `item` is who the item was when it went there: once the
// entry is emptied, the Trash may give its name to another item, which is not ours to restore.
struct TrashEntry
{
    QByteArray folder;
    QByteArray name;
    FileIdentity item;
    bool isValid() const { return !folder.isEmpty() && !name.isEmpty(); }
    // The entry `name` of the Trash `folder`, with the identity of the item it holds now.
    static TrashEntry at(const QByteArray& folder, const QByteArray& name);
    // Whether files/`name` still holds the item that went there (an entry recorded without an
    // identity is taken by its name alone).
    bool stillHoldsItem() const;
    QByteArray filePath() const { return folder + "/files/" + name; }
    QByteArray infoPath() const { return folder + "/info/" + name + ".trashinfo"; }
};

// What one file of an operation came to.
struct JournalEntry
{
    enum class Kind {
        Trashed, // `source` went to the Trash as `trash`
        Deleted, // `source` was deleted for good (its volume has no Trash; the user agreed)
        Copied,  // `source` was copied to `destination`
        Moved,   // `source` was moved to `destination`
    };
    Kind kind = Kind::Copied;
    QByteArray source;      // full path before the operation
    QByteArray destination; // full final path of a copy or move
    TrashEntry trash;       // the Trash entry of a trashed file
    TrashEntry replaced;    // the Trash entry of the file a copy or move replaced, if any
    FileIdentity written;   // the identity of what the copy or move left at `destination`
};

// What an operation did, file by file, in the order it was done: a plain value the engine fills
// and an undo reads.
class FileOperationJournal
{
public:
    std::vector<JournalEntry> entries;

    bool isEmpty() const { return entries.empty(); }
    int count(JournalEntry::Kind kind) const;

    // Records a file just sent to the Trash as `entry`, the entry the Trash gave it; without
    // one it is looked up (see findTrashEntry), so call right after the file went.
    void recordTrashed(const QByteArray& source, const TrashEntry& entry = {});
    void recordDeleted(const QByteArray& source);
    // Records a finished copy or move; the identity of `destination` is taken now.
    void recordTransfer(JournalEntry::Kind kind, const QByteArray& source,
                        const QByteArray& destination, const TrashEntry& replaced = {});

    // Sends the file a copy or move is about to replace to the Trash, so that an undo can bring
    // it back; answers its entry, invalid when the Trash refused it (the file is then still
    // there, and `refusal` says why).
    TrashEntry trashBeforeReplace(const QByteArray& path, QString* refusal = nullptr) const;

    // The Trash entry of `originalPath`, trashed a moment ago: of the records in the Trash that
    // takes files of that path (the home Trash, or the volume's .Trash/$uid or .Trash-$uid),
    // the newest whose Path= names it and that is not listed in `taken`. Invalid when none.
    static TrashEntry findTrashEntry(const QByteArray& originalPath,
                                     const std::vector<TrashEntry>& taken = {});

private:
    std::vector<TrashEntry> trashEntries() const;
};

} // namespace vantoro
