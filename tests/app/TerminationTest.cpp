#include "common/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

#if defined(__SANITIZE_ADDRESS__)
// The sanitizers' own work at exit (the leak check) comes on top.
constexpr int kEndWithinMs = 4000;
#else
constexpr int kEndWithinMs = 1000;
#endif

// True once the process has installed its own handler for `signal`: from then on a signal is
// a request to the program, not the default death.
bool catchesSignal(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

// The built program, copied into a temporary folder that then is its program folder.
TEST(TerminationRequest, EndsAtOnceAndReportsOnStderrWhenTheSettingsCannotBeWritten)
{
    const QString built = qEnvironmentVariable("VANTORO_BUILD_DIR") + QStringLiteral("/vantoro");
    if (!QFile::exists(built))
        GTEST_SKIP() << "the program is not built";
    QTemporaryDir dir;
    const QString exe = dir.filePath(QStringLiteral("vantoro"));
    ASSERT_TRUE(QFile::copy(built, exe));
    const QString runtime = dir.filePath(QStringLiteral("run"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // A folder where the settings file should be: every write of the settings fails, for root
    // too.
    const QString ini = dir.filePath(QStringLiteral("Vantoro.INI"));
    ASSERT_TRUE(QDir().mkpath(ini));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    program.setProcessEnvironment(env);
    program.start(exe, {});
    ASSERT_TRUE(program.waitForStarted(5000));
    ASSERT_TRUE(vantoro::test::waitUntil(
        [&] { return catchesSignal(program.processId(), SIGTERM); }, 30000))
        << "the program never got ready for termination requests";
    // Let start-up finish (the window shows, the background engine check ends).
    program.waitForFinished(1000);
    ASSERT_EQ(program.state(), QProcess::Running);

    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(program.processId()), SIGTERM);
    const bool ended = program.waitForFinished(kEndWithinMs);
    const qint64 took = clock.elapsed();
    if (!ended) {
        program.kill();
        program.waitForFinished(5000);
    }
    EXPECT_TRUE(ended) << "still running " << kEndWithinMs << " ms after SIGTERM";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    const QByteArray report = program.readAllStandardError();
    EXPECT_TRUE(report.contains(QFile::encodeName("Unable to write to " + ini)))
        << report.constData();
    std::printf("SIGTERM to exit: %lld ms\n", static_cast<long long>(took));
}

} // namespace
