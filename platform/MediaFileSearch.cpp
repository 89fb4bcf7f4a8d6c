#include "platform/MediaFileSearch.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vantoro {

namespace {

// Extensions as lower-case bytes, looked up without building a string per name.
class ExtensionSet
{
public:
    explicit ExtensionSet(const QStringList& extensions)
    {
        for (const QString& extension : extensions)
            m_extensions.push_back(extension.toLower().toStdString());
    }

    bool matches(const char* name, std::size_t length) const
    {
        const char* dot = static_cast<const char*>(::memrchr(name, '.', length));
        if (!dot)
            return false;
        const std::size_t extensionLength = length - static_cast<std::size_t>(dot + 1 - name);
        char lower[16];
        if (extensionLength == 0 || extensionLength > sizeof lower)
            return false;
        for (std::size_t i = 0; i < extensionLength; ++i) {
            const char c = dot[1 + i];
            lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return std::any_of(m_extensions.begin(), m_extensions.end(), [&](const std::string& e) {
            return e.size() == extensionLength &&
                   std::memcmp(e.data(), lower, extensionLength) == 0;
        });
    }

private:
    std::vector<std::string> m_extensions;
};

struct Walk
{
    const ExtensionSet& extensions;
    const std::function<bool()>& keepGoing;
    QStringList found;
    std::set<std::pair<dev_t, ino_t>> visited;
    bool stopped = false;

    void folder(int fd, std::string& path)
    {
        stopped = stopped || (keepGoing && !keepGoing());
        if (stopped) {
            ::close(fd);
            return;
        }
        struct stat st
        {
        };
        if (::fstat(fd, &st) != 0 || !visited.emplace(st.st_dev, st.st_ino).second) {
            ::close(fd);
            return;
        }
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            return;
        }
        const std::size_t base = path.size();
        const dirent* entry = nullptr;
        while (!stopped && (entry = ::readdir(dir)) != nullptr) {
            const char* name = entry->d_name;
            if (name[0] == '.')
                continue; // ".", ".." and hidden names
            unsigned char type = entry->d_type;
            if (type == DT_LNK || type == DT_UNKNOWN) {
                struct stat target
                {
                };
                if (::fstatat(::dirfd(dir), name, &target, 0) != 0)
                    continue; // a dangling link
                type = S_ISDIR(target.st_mode) ? DT_DIR : S_ISREG(target.st_mode) ? DT_REG : 0;
            }
            const std::size_t length = std::strlen(name);
            if (type == DT_DIR) {
                const int child = ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                if (child < 0)
                    continue;
                path.append(1, '/').append(name, length);
                this->folder(child, path);
                path.resize(base);
            } else if (type == DT_REG && extensions.matches(name, length)) {
                path.append(1, '/').append(name, length);
                found.append(QFile::decodeName(
                    QByteArray::fromRawData(path.data(), qsizetype(path.size()))));
                path.resize(base);
            }
        }
        ::closedir(dir);
    }
};

} // namespace

QStringList findFilesBelow(const QString& folder, const QStringList& extensions,
                           const std::function<bool()>& keepGoing)
{
    const ExtensionSet set(extensions);
    Walk walk{set, keepGoing, {}, {}};
    std::string path = QFile::encodeName(folder).toStdString();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {};
    if (path == "/")
        path.clear(); // children are "/name", not "//name"
    walk.folder(fd, path);
    return walk.found;
}

} // namespace vantoro
