#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <sys/types.h>

namespace vantoro::test {

// The drives people copy their clips to, each mounted through FUSE for one test as the desktop
// mounts it: a USB stick formatted exFAT or FAT32 (letter case ignored, no links, Windows's
// name rules), an NTFS stick with Windows names, and a NAS reached by sshfs through a private
// sshd on 127.0.0.1 with keys made for the test. Needs root, /dev/fuse and the drive's
// packages; `mount` says what is missing otherwise, for the test to skip with.
class TestDrive
{
public:
    enum class Kind { ExFat, Fat32, Ntfs, Sshfs };
    static QList<Kind> allKinds() { return {Kind::ExFat, Kind::Fat32, Kind::Ntfs, Kind::Sshfs}; }
    static QString nameOf(Kind kind);

    TestDrive() = default;
    ~TestDrive() { unmount(); }
    TestDrive(const TestDrive&) = delete;
    TestDrive& operator=(const TestDrive&) = delete;

    // Makes and mounts a fresh drive of `kind` at `work`/drive, its image and keys in `work`.
    // Answers why it could not (for GTEST_SKIP), empty when the drive is mounted. An sshfs
    // drive with `roundTripMs` reaches its sshd through a relay that holds every chunk of data
    // half that long in each direction: a NAS at the far end of a slow link.
    QString mount(Kind kind, const QByteArray& work, int roundTripMs = 0);
    // The mounted drive's root folder.
    const QByteArray& root() const { return m_root; }
    // The sshfs drive's folder as the server holds it: files made there are new to the drive
    // (nothing of them is in sshfs's caches).
    QByteArray serverFolder() const { return m_work + "/nas"; }
    // Stops (true) or resumes the sshd serving the sshfs drive, as a network that stalls: every
    // look at a file the drive has not cached waits meanwhile. Answers false for other drives.
    bool stall(bool stopped);
    // Removes the mount, the loop device and the sshd. A drive that vanished mid-operation is
    // made by calling this while files are still open on it.
    void unmount();

private:
    QString mountImage(Kind kind);
    QString startSshServer(int roundTripMs);

    QByteArray m_work;
    QByteArray m_root;
    QByteArray m_loopDevice;
    pid_t m_sshd = -1;
};

} // namespace vantoro::test
