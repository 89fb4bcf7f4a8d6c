#pragma once

#include <QByteArray>
#include <QStringBuilder>

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace vantoro {

// A file descriptor closed with its owner.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }
    int release();
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

using SharedFd = std::shared_ptr<const UniqueFd>;

// The hidden temporaries of discarded copies whose removal failed: a network drive that lost
// its connection for a moment, a drive that did not answer. Removed again later, once the drive
// answers, rather than left until the next copy into their folder. Used on one thread.
class LeftoverTemporaries
{
public:
    void add(SharedFd folder, QByteArray name);
    // Tries each again; keeps those still refused. Answers how many are left.
    int removeReachable();
    bool isEmpty() const { return m_items.empty(); }
    // Takes over what `other` (filled on another thread, now done) could not remove.
    void takeFrom(LeftoverTemporaries& other);

private:
    std::vector<std::pair<SharedFd, QByteArray>> m_items;
};

// What a running copy looks at between blocks: a cancel request, and where to count the bytes;
// where to note a temporary it could not remove.
struct CopyControl
{
    const std::atomic<bool>* cancel = nullptr;
    std::atomic<qint64>* bytesDone = nullptr;
    LeftoverTemporaries* leftovers = nullptr;
    std::atomic<qint64>* ownBytes = nullptr; // counted here too, to be taken back on failure
};

// The copy of one file, written completely into its destination folder but not yet visible
// under its final name. It lives in an unnamed temporary file (O_TMPFILE) where the file system
// offers one, else under a hidden temporary name beside the final one. Until `commit` nothing
// exists under the final name; a staged file that is destroyed uncommitted leaves nothing
// behind (after a crash an unnamed one vanishes by itself, a named one stays hidden).
class StagedFile
{
public:
    StagedFile() = default;
    ~StagedFile() { discard(); }
    StagedFile(StagedFile&&) noexcept = default;
    StagedFile& operator=(StagedFile&&) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Copies the open `source` (described by `sourceStat`) into a new file in `folder`, with the
    // source's permission bits, modification time, user extended attributes and ACLs. Answers 0 or
    // an errno value; ECANCELED when the copy stopped for a cancel. On failure nothing is left in
    // the folder.
    int stage(int source, const struct stat& sourceStat, const SharedFd& folder,
              const CopyControl& control);

    // Flushes the data and the file's metadata to the disk.
    int sync() const;
    int fd() const { return m_file.get(); }
    bool isStaged() const { return m_file.isValid(); }
    bool isUnnamed() const { return m_tempName.isEmpty(); }
    dev_t device() const { return m_device; }
    const SharedFd& folder() const { return m_folder; }
    // Where a temporary that cannot be removed is noted from now on (a copy staged on another
    // thread noted them there).
    void noteLeftoversIn(LeftoverTemporaries* leftovers) { m_leftovers = leftovers; }

    // Gives the copy its final name in the folder. Without `replace` an existing file of that
    // name is never touched (EEXIST); with it the old file is swapped for the new one in one
    // rename, so that either the old or the new file is under the name at every moment.
    // The descriptor is closed after a successful commit.
    int commit(const QByteArray& finalName, bool replace);
    // Removes the copy when it was not committed.
    void discard();
    // Empties a copy that failed for `error` before it is discarded, where the drive was full.
    void giveBackRoom(int error);

private:
    int linkUnnamed(const QByteArray& name);

    UniqueFd m_file;
    SharedFd m_folder;
    QByteArray m_tempName; // empty for an unnamed (O_TMPFILE) copy
    dev_t m_device = 0;
    LeftoverTemporaries* m_leftovers = nullptr;
};

// Copies the contents from `in` to `out` from their current start: a reflink clone where the
// file system shares blocks, else the kernel's copy_file_range, else read and write; stops
// between blocks when `control.cancel` is set (ECANCELED). The holes of a sparse file stay
// holes. Answers 0 or an errno value.
int copyFileContents(int in, int out, const struct stat& inStat, const CopyControl& control);

// A name of the form "clip (2).avi" that does not exist in `folder` yet, for `name`.
QByteArray freeNameInFolder(int folder, const QByteArray& name);

// Whether something of that name (not following a final symbolic link) is in the folder.
bool existsInFolder(int folder, const QByteArray& name);

// The name under which the folder holds `name`: the name itself, or on a drive that ignores
// letter case the entry that differs from it only in case ("Clip.avi" for "clip.avi").
QByteArray nameHeldInFolder(int folder, const QByteArray& name);

// Copies the user's extended attributes ("user.*") and the POSIX ACLs of `in` to `out`, not
// the owner. Where the destination refuses one (a file system without them, a name it does not
// allow) the copy goes on without it: these are kept where possible, never a reason to fail.
void copyExtendedAttributes(int in, int out);

// Removes the hidden temporaries (".NAME.vantoro-XXXXXXXX.part") that a copy killed before its
// commit left in `folder`: only regular files of this user that no running copy holds locked.
// Answers how many were removed.
int removeStaleCopyTemporaries(int folder);

} // namespace vantoro
