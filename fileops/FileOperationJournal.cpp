#include "fileops/FileOperationJournal.h"

#include "fileops/FileOperationSupport.h"
#include "fileops/Trash.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

namespace vantoro {

namespace {

// The original path a trashinfo record names, decoded; empty when it is not a record.
QByteArray recordedPath(const QByteArray& infoFile)
{
    QFile file(QFile::decodeName(infoFile));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.read(64 * 1024);
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith("Path="))
            return QByteArray::fromPercentEncoding(line.mid(5).trimmed());
    }
    return {};
}

qint64 nanoseconds(const struct stat& st)
{
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

} // namespace

FileIdentity FileIdentity::of(const QByteArray& path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return {};
    return of(st);
}

FileIdentity FileIdentity::of(const struct stat& st)
{
    FileIdentity identity;
    identity.device = st.st_dev;
    identity.inode = st.st_ino;
    identity.size = st.st_size;
    identity.modifiedNs = nanoseconds(st);
    return identity;
}

TrashEntry TrashEntry::at(const QByteArray& folder, const QByteArray& name)
{
    TrashEntry entry;
    entry.folder = folder;
    entry.name = name;
    entry.item = FileIdentity::of(entry.filePath());
    return entry;
}

bool TrashEntry::stillHoldsItem() const
{
    const FileIdentity now = FileIdentity::of(filePath());
    return now.isValid() && (!item.isValid() || now == item);
}

int FileOperationJournal::count(JournalEntry::Kind kind) const
{
    int n = 0;
    for (const JournalEntry& entry : entries)
        n += entry.kind == kind ? 1 : 0;
    return n;
}

std::vector<TrashEntry> FileOperationJournal::trashEntries() const
{
    std::vector<TrashEntry> taken;
    for (const JournalEntry& entry : entries) {
        if (entry.trash.isValid())
            taken.push_back(entry.trash);
        if (entry.replaced.isValid())
            taken.push_back(entry.replaced);
    }
    return taken;
}

void FileOperationJournal::recordTrashed(const QByteArray& source, const TrashEntry& trashed)
{
    JournalEntry entry;
    entry.kind = JournalEntry::Kind::Trashed;
    entry.source = source;
    entry.trash = trashed.isValid() ? trashed : findTrashEntry(source, trashEntries());
    entries.push_back(std::move(entry));
}

void FileOperationJournal::recordDeleted(const QByteArray& source)
{
    JournalEntry entry;
    entry.kind = JournalEntry::Kind::Deleted;
    entry.source = source;
    entries.push_back(std::move(entry));
}

void FileOperationJournal::recordTransfer(JournalEntry::Kind kind, const QByteArray& source,
                                          const QByteArray& destination, const TrashEntry& replaced)
{
    JournalEntry entry;
    entry.kind = kind;
    entry.source = source;
    entry.destination = destination;
    entry.replaced = replaced;
    entry.written = FileIdentity::of(destination);
    entries.push_back(std::move(entry));
}

TrashEntry FileOperationJournal::trashBeforeReplace(const QByteArray& path, QString* refusal) const
{
    const TrashOutcome outcome = moveToTrash(path);
    if (outcome.status != TrashOutcome::Status::Trashed) {
        if (refusal)
            *refusal = outcome.reason;
        return {};
    }
    // The Trash tells the entry it found for the item by its identity.
    if (!outcome.trashFolder.isEmpty() && !outcome.entryName.isEmpty())
        return TrashEntry::at(outcome.trashFolder, outcome.entryName);
    return findTrashEntry(path, trashEntries());
}

TrashEntry FileOperationJournal::findTrashEntry(const QByteArray& originalPath,
                                                const std::vector<TrashEntry>& taken)
{
    const QByteArray top = volumeTopOf(originalPath);
    const QByteArray name = baseName(originalPath);
    // The volume's Trash records the path relative to its top, links resolved.
    const QByteArray resolved = resolvedFolderOf(originalPath) + '/' + name;
    TrashEntry best;
    qint64 bestTime = 0;
    auto isTaken = [&](const QByteArray& folder, const QByteArray& entryName) {
        for (const TrashEntry& t : taken) {
            if (t.folder == folder && t.name == entryName)
                return true;
        }
        return false;
    };
    for (const QByteArray& folder : trashFoldersFor(originalPath)) {
        // The home Trash records absolute paths, a volume's Trash paths relative to its top.
        QByteArray relative;
        if (!top.isEmpty() && top != "/" && resolved.startsWith(QByteArray(top + '/')))
            relative = resolved.mid(top.size() + 1);
        else if (top == "/")
            relative = resolved.mid(1);
        auto consider = [&](const QByteArray& entryName) {
            const QByteArray info = folder + "/info/" + entryName + ".trashinfo";
            struct stat st;
            if (::stat(info.constData(), &st) != 0)
                return false;
            if (isTaken(folder, entryName))
                return true;
            const QByteArray recorded = recordedPath(info);
            if (recorded != originalPath && (relative.isEmpty() || recorded != relative))
                return true;
            if (!best.isValid() || nanoseconds(st) > bestTime) {
                best = TrashEntry::at(folder, entryName);
                bestTime = nanoseconds(st);
            }
            return true;
        };
        // The Trash names an entry after the file, with ".2", ".3", ... put in at its first dot
        // ("clip.2.avi") while a name is taken: those few are looked at first, the whole folder
        // only when none of them fits.
        const int dot = name.indexOf('.');
        auto numbered = [&](int n) {
            const QByteArray number = '.' + QByteArray::number(n);
            return dot < 0 ? QByteArray(name + number)
                           : QByteArray(name.left(dot) + number + name.mid(dot));
        };
        if (consider(name)) {
            for (int n = 2; n < 100000 && consider(numbered(n)); ++n) {
            }
        }
        if (best.isValid())
            continue;
        if (DIR* dir = ::opendir(QByteArray(folder + "/info").constData())) {
            while (const dirent* e = ::readdir(dir)) {
                const QByteArray file(e->d_name);
                if (file.endsWith(".trashinfo"))
                    consider(file.chopped(10));
            }
            ::closedir(dir);
        }
    }
    return best;
}

} // namespace vantoro
