#include "common/TestDrive.h"

#include "common/FileOpTestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <csignal>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vantoro::test {

namespace {

QString missingProgram(const QStringList& programs)
{
    for (const QString& program : programs) {
        if (QStandardPaths::findExecutable(program).isEmpty() &&
            QStandardPaths::findExecutable(program,
                                           {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
                .isEmpty())
            return program + QStringLiteral(" is not installed (scripts/install-deps)");
    }
    return {};
}

QString run(const QString& program, const QStringList& arguments)
{
    QByteArray output;
    if (runProgram(program, arguments, &output) == 0)
        return {};
    return program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(output).trimmed();
}

// Between ssh and sshd (ssh's ProxyCommand, on its standard input and output): passes every
// chunk on DELAY seconds after it came, in each direction, without holding back the chunks
// behind it, as a long line does.
const char kDelayingRelay[] = R"(import os, socket, sys, threading, time, queue
port, delay = int(sys.argv[1]), float(sys.argv[2])
peer = socket.create_connection(("127.0.0.1", port))
def pump(read, write):
    line = queue.Queue()
    def deliver():
        while True:
            due, data = line.get()
            time.sleep(max(0.0, due - time.monotonic()))
            if not data:
                os._exit(0)
            write(data)
    threading.Thread(target=deliver, daemon=True).start()
    while True:
        data = read()
        line.put((time.monotonic() + delay, data))
        if not data:
            return
def upWrite(data):
    peer.sendall(data)
def downWrite(data):
    view = memoryview(data)
    while view:
        view = view[os.write(1, view):]
threading.Thread(target=pump, args=(lambda: os.read(0, 65536), upWrite), daemon=True).start()
pump(lambda: peer.recv(65536), downWrite)
time.sleep(delay + 1)
)";

bool isMountPoint(const QByteArray& path)
{
    struct stat at;
    struct stat up;
    return ::stat(path.constData(), &at) == 0 &&
           ::stat(QByteArray(path + "/..").constData(), &up) == 0 && at.st_dev != up.st_dev;
}

} // namespace

QString TestDrive::nameOf(Kind kind)
{
    switch (kind) {
    case Kind::ExFat:
        return QStringLiteral("exFAT");
    case Kind::Fat32:
        return QStringLiteral("FAT32");
    case Kind::Ntfs:
        return QStringLiteral("NTFS");
    case Kind::Sshfs:
        return QStringLiteral("sshfs");
    }
    return {};
}

QString TestDrive::mount(Kind kind, const QByteArray& work, int roundTripMs)
{
    if (::geteuid() != 0)
        return QStringLiteral("FUSE drives are mounted as root only");
    if (::access("/dev/fuse", R_OK | W_OK) != 0)
        return QStringLiteral("/dev/fuse is missing");
    m_work = work;
    m_root = work + "/drive";
    QDir().mkpath(QFile::decodeName(m_root));
    QString problem = kind == Kind::Sshfs ? startSshServer(roundTripMs) : mountImage(kind);
    // A FUSE daemon answers once it has started serving; the mount appears just before.
    for (int i = 0; problem.isEmpty() && !isMountPoint(m_root); ++i) {
        if (i == 100)
            problem = nameOf(kind) + QStringLiteral(" drive did not appear");
        QThread::msleep(50);
    }
    if (!problem.isEmpty())
        unmount();
    return problem;
}

QString TestDrive::mountImage(Kind kind)
{
    const QString image = QFile::decodeName(m_work + "/drive.img");
    const QString root = QFile::decodeName(m_root);
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(64 * 1024 * 1024))
        return QStringLiteral("cannot make the drive image");
    file.close();
    switch (kind) {
    case Kind::ExFat: {
        if (QString missing = missingProgram({"mkfs.exfat", "mount.exfat-fuse", "losetup"});
            !missing.isEmpty())
            return missing;
        if (QString failed = run("mkfs.exfat", {image}); !failed.isEmpty())
            return failed;
        // exfat-fuse mounts a block device, as the desktop hands it a stick.
        QByteArray device;
        if (runProgram("losetup", {"-f", "--show", image}, &device) != 0)
            return QStringLiteral("no loop device: ") + QString::fromLocal8Bit(device);
        m_loopDevice = device.trimmed();
        return run("mount.exfat-fuse", {QFile::decodeName(m_loopDevice), root});
    }
    case Kind::Fat32:
        if (QString missing = missingProgram({"mkfs.vfat", "fusefat"}); !missing.isEmpty())
            return missing;
        if (QString failed = run("mkfs.vfat", {"-F", "32", image}); !failed.isEmpty())
            return failed;
        return run("fusefat", {"-o", "rw+", image, root});
    case Kind::Ntfs:
        if (QString missing = missingProgram({"mkfs.ntfs", "ntfs-3g"}); !missing.isEmpty())
            return missing;
        if (QString failed = run("mkfs.ntfs", {"-F", "-Q", image}); !failed.isEmpty())
            return failed;
        return run("ntfs-3g", {"-o", "windows_names", image, root});
    case Kind::Sshfs:
        break;
    }
    return QStringLiteral("not an image drive");
}

QString TestDrive::startSshServer(int roundTripMs)
{
    if (QString missing = missingProgram({"sshd", "ssh-keygen", "sshfs"}); !missing.isEmpty())
        return missing;
    const QByteArray keys = m_work + "/ssh";
    const QByteArray shared = m_work + "/nas";
    QDir().mkpath(QFile::decodeName(keys));
    QDir().mkpath(QFile::decodeName(shared));
    for (const char* key : {"/host", "/client"}) {
        if (QString failed = run("ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f",
                                                QFile::decodeName(keys + key)});
            !failed.isEmpty())
            return failed;
    }
    QFile::copy(QFile::decodeName(keys + "/client.pub"),
                QFile::decodeName(keys + "/authorized_keys"));
    ::mkdir("/run/sshd", 0755); // sshd's privilege separation wants it
    const QString sshd = QStandardPaths::findExecutable("sshd", {"/usr/sbin", "/sbin"});
    // A free port above 1024: sshd ends at once when its port is taken, then the next is tried.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int port = 20000 + int((::getpid() * 7 + attempt * 131) % 30000);
        QFile config(QFile::decodeName(keys + "/sshd_config"));
        if (!config.open(QIODevice::WriteOnly))
            return QStringLiteral("cannot write the sshd configuration");
        config.write("ListenAddress 127.0.0.1\nPort " + QByteArray::number(port) + "\nHostKey " +
                     keys + "/host\nAuthorizedKeysFile " + keys +
                     "/authorized_keys\nPidFile none\nStrictModes no\n"
                     "PermitRootLogin prohibit-password\nPasswordAuthentication no\n"
                     "KbdInteractiveAuthentication no\nUsePAM no\n"
                     "Subsystem sftp internal-sftp\n");
        config.close();
        const pid_t pid = ::fork();
        if (pid == 0) {
            const QByteArray program = QFile::encodeName(sshd);
            const QByteArray file = QFile::encodeName(config.fileName());
            ::execl(program.constData(), program.constData(), "-D", "-f", file.constData(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (pid < 0)
            return QStringLiteral("cannot start sshd");
        m_sshd = pid;
        QThread::msleep(300);
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            m_sshd = -1;
            continue;
        }
        QStringList options{"-p", QString::number(port), "-o",
                            "IdentityFile=" + QFile::decodeName(keys + "/client") +
                                ",StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,"
                                "BatchMode=yes"};
        if (roundTripMs > 0) {
            const QString relay = QFile::decodeName(keys + "/relay.py");
            QFile script(relay);
            if (!script.open(QIODevice::WriteOnly) || script.write(kDelayingRelay) < 0)
                return QStringLiteral("cannot write the relay");
            options << "-o"
                    << QStringLiteral("ProxyCommand=python3 %1 %2 %3")
                           .arg(relay)
                           .arg(port)
                           .arg(roundTripMs / 2000.0);
        }
        return run("sshfs", options + QStringList{"root@127.0.0.1:" + QFile::decodeName(shared),
                                                  QFile::decodeName(m_root)});
    }
    return QStringLiteral("sshd found no free port");
}

bool TestDrive::stall(bool stopped)
{
    if (m_sshd <= 0)
        return false;
    // The sshd serving the connection is a child of the listener, its sftp server a grandchild.
    QList<pid_t> family{m_sshd};
    bool grew = true;
    while (grew) {
        grew = false;
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            bool isPid = false;
            const pid_t pid = entry.toInt(&isPid);
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            if (!isPid || family.contains(pid) || !stat.open(QIODevice::ReadOnly))
                continue;
            // "pid (name) state ppid ...": the name may hold spaces, the last ')' ends it.
            const QByteArray line = stat.readAll();
            const pid_t parent = line.mid(line.lastIndexOf(')') + 2).split(' ').value(1).toInt();
            if (family.contains(parent)) {
                family.append(pid);
                grew = true;
            }
        }
    }
    for (const pid_t pid : family.mid(1))
        ::kill(pid, stopped ? SIGSTOP : SIGCONT);
    return family.size() > 1;
}

void TestDrive::unmount()
{
    stall(false);
    if (!m_root.isEmpty() && isMountPoint(m_root))
        ::umount2(m_root.constData(), MNT_DETACH);
    if (!m_loopDevice.isEmpty())
        runProgram(QStringLiteral("losetup"),
                   {QStringLiteral("-d"), QFile::decodeName(m_loopDevice)});
    m_loopDevice.clear();
    if (m_sshd > 0) {
        ::kill(m_sshd, SIGTERM);
        ::waitpid(m_sshd, nullptr, 0);
        m_sshd = -1;
    }
}

} // namespace vantoro::test
