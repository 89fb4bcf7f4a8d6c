#include "common/Unprivileged.h"

#include <QFile>

#include <cerrno>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vantoro::test {

namespace {

constexpr uid_t kNobody = 65534;

} // namespace

uid_t unprivilegedUid()
{
    return ::geteuid() == 0 ? kNobody : ::geteuid();
}

int runUnprivileged(const QString& folder, const std::function<int()>& body)
{
    const bool root = ::geteuid() == 0;
    if (root && ::chown(QFile::encodeName(folder).constData(), kNobody, kNobody) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                     ::setuid(kNobody) != 0 || ::setuid(0) == 0))
            ::_exit(125);
        ::_exit(body());
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace vantoro::test
