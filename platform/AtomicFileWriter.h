#pragma once

#include <QIODevice>
#include <QString>

#include <chrono>

namespace vantoro {

// Writes a file so that it is either the old file or the complete new one, never torn, and never
// replaces a file its owner made read-only.
//
// begin() refuses an existing target that this process may not write (EACCES, EROFS): renaming
// over it would need only the folder's permission, and a file the user write-protected must keep
// every byte. The data goes to an unnamed temporary file in the target's folder (O_TMPFILE), so a
// process killed while writing leaves nothing behind; on a file system without unnamed files it
// goes to a hidden, locked temporary file named by temporaryNameFor(). Every write is checked to
// its last byte (a short write on a full disk is an error, not a success). commit() flushes the
// data to disk, gives the unnamed file a temporary name and at once renames it over the target.
// Any failure, or destroying the writer without commit(), removes the temporary file and leaves
// the old file byte for byte. error() is the errno of the first failure, 0 while all is well.
class AtomicFileWriter final : public QIODevice
{
public:
    explicit AtomicFileWriter(QString targetPath);
    ~AtomicFileWriter() override;

    // Creates the temporary file; false (with error()) when that fails or the target may not be
    // written.
    bool begin();
    bool commit();
    int error() const { return m_error; }
    QString targetPath() const { return m_target; }
    // True while the data goes to an unnamed file (the usual case on local file systems).
    bool writesUnnamed() const { return m_unnamed; }

    // Convenience: the whole file at once.
    static int writeWhole(const QString& targetPath, const QByteArray& bytes);

    // The hidden name a temporary file for `fileName` gets in its folder:
    // ".<fileName>.vantoro-XXXXXX", the X's random letters and digits, `fileName` shortened so
    // that the whole stays a legal file name.
    static QByteArray temporaryNameFor(const QByteArray& fileName);
    // True for the names temporaryNameFor() makes, and for the ".<name>.XXXXXX" temporaries of
    // the program's own files (settings, temporary playlist, saved .asx playlists) that earlier
    // versions wrote.
    static bool isWriterTemporaryName(const QByteArray& name);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool openNamedTemporary();
    QByteArray targetFileName() const;
    bool nameUnnamedTemporary();
    void discard();
    void fail(int errnoValue);

    QString m_target;
    QByteArray m_resolvedTarget;
    QByteArray m_folder;
    QByteArray m_tempPath;
    int m_fd = -1;
    int m_error = 0;
    bool m_unnamed = false;
};

// Removes from `folder` the temporary files that writers killed mid-way left (names as
// AtomicFileWriter::isWriterTemporaryName() accepts): only regular files of this user, last
// changed at least `minimumAge` ago and not locked by a running writer. Answers how many were
// removed. Safe to run on any thread; a missing or unreadable folder removes nothing.
int removeStaleWriterTemporaries(const QString& folder,
                                 std::chrono::seconds minimumAge = std::chrono::minutes(10));

} // namespace vantoro
