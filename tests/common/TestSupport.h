#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace vantoro::test {

QByteArray readFileBytes(const QString& path);
void writeFileBytes(const QString& path, const QByteArray& bytes);

// Runs the event loop until `done` answers true or `timeoutMs` passes; answers `done()`.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

bool runningAsRoot();

// A tmpfs of the given size mounted on a fresh temporary folder for the life of the object;
// used to fill a disk. `path()` is empty when mounting is not possible (not root).
class SmallTmpfs
{
public:
    explicit SmallTmpfs(int kilobytes);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_path; }
    // Writes a file that takes up all the space that is left.
    void fill();

private:
    QString m_path;
    bool m_mounted = false;
};

} // namespace vantoro::test
