#pragma once

#include <QString>

#include <functional>

namespace vantoro::test {

// Runs `body` in a child process to which file permission bits apply: when the tests run as
// root (who may write any file), the child becomes the user nobody, and `folder` is handed to
// that user first so the child can work in it. Answers the child's exit status: `body`'s answer,
// or -1 when the child died or could not drop its rights. `body` must not return through gtest
// assertions (they do not reach the parent): print what failed on stderr and answer non-zero.
int runUnprivileged(const QString& folder, const std::function<int()>& body);

// The user id runUnprivileged() runs as.
uid_t unprivilegedUid();

} // namespace vantoro::test
