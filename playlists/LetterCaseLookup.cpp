#include "playlists/LetterCaseLookup.h"

#include <QString>
#include <QVarLengthArray>

#include <dirent.h>
#include <sys/stat.h>

namespace vantoro {

namespace {

bool isDirectory(const QByteArray& name)
{
    struct stat info
    {
    };
    return ::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

QByteArray LetterCaseLookup::folded(QByteArrayView name)
{
    QByteArray out(name.size(), Qt::Uninitialized);
    char* o = out.data();
    for (const char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return QString::fromUtf8(name).toCaseFolded().toUtf8();
        *o++ = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    }
    return out;
}

const LetterCaseLookup::Listing& LetterCaseLookup::listing(const QByteArray& folder)
{
    const auto known = m_listings.find(folder);
    if (known != m_listings.end())
        return known->second;
    Listing names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* e = ::readdir(dir)) {
            const QByteArrayView name(e->d_name);
            // A name that is not UTF-8 cannot be the one an entry names in other letters.
            if (name == "." || name == ".." || !name.isValidUtf8())
                continue;
            Listed& listed = names[folded(name)];
            listed.several = !listed.name.isNull();
            listed.name = name.toByteArray();
            listed.type = e->d_type;
            listed.inode = e->d_ino;
        }
        ::closedir(dir);
    }
    return m_listings.emplace(folder, std::move(names)).first->second;
}

bool LetterCaseLookup::match(const QByteArray& folder, const Listing& names,
                             QByteArrayView component, Listed& found)
{
    const auto it = names.constFind(folded(component));
    if (it == names.cend())
        return false;
    if (!it->several) {
        found = *it;
        return true;
    }
    // Several names differ only in case: only the one written exactly will do.
    struct stat info
    {
    };
    const QByteArray exact = folder + component.toByteArray();
    if (::lstat(exact.constData(), &info) != 0)
        return false;
    found = Listed{component.toByteArray(), DT_UNKNOWN, 0, false};
    return true;
}

const LetterCaseLookup::Folder* LetterCaseLookup::knownFolder(QByteArrayView written)
{
    if (!m_lastWritten.isNull() && written == m_lastWritten)
        return &m_last;
    const QByteArray key = written.toByteArray();
    const auto known = m_folders.constFind(key);
    if (known == m_folders.cend())
        return nullptr;
    m_lastWritten = key;
    m_last = *known;
    return &m_last;
}

void LetterCaseLookup::lookUpFolder(const QByteArray& written, qsizetype baseLength)
{
    // Back to the longest folder already known or existing as written; the components after
    // it are then looked up one by one, and each folder on the way is kept.
    QVarLengthArray<qsizetype, 8> ends;
    QByteArray found;
    qsizetype end = written.size();
    for (;;) {
        if (end <= baseLength) {
            found = written.first(baseLength);
            if (end == written.size())
                m_folders.insert(written, Folder{found});
            break;
        }
        const QByteArray prefix = written.first(end);
        const auto known = m_folders.constFind(prefix);
        if (known != m_folders.cend()) {
            found = known->found;
            break;
        }
        if (isDirectory(prefix)) {
            found = prefix;
            m_folders.insert(prefix, Folder{found});
            break;
        }
        ends.append(end);
        end = written.lastIndexOf('/', end - 2) + 1;
    }
    while (!ends.isEmpty()) {
        const qsizetype next = ends.back();
        ends.removeLast();
        if (!found.isEmpty()) {
            const QByteArrayView component = QByteArrayView(written).sliced(end, next - end - 1);
            Listed listed;
            if (component.isEmpty() || component == ".")
                ; // a//b and a/./b name a/b
            else if (component == "..")
                found += "../";
            else if (match(found, listing(found), component, listed) && listed.type != DT_REG)
                found += listed.name + '/';
            else
                found.clear();
        }
        m_folders.insert(written.first(next), Folder{found});
        end = next;
    }
}

bool LetterCaseLookup::folderAbsentAsWritten(const QByteArray& name)
{
    if (m_folders.isEmpty())
        return false;
    const QByteArrayView written = QByteArrayView(name).first(name.lastIndexOf('/') + 1);
    const Folder* known = knownFolder(written);
    return known != nullptr && known->found != written;
}

QByteArray LetterCaseLookup::folderFor(const QByteArray& written, qsizetype baseLength)
{
    if (baseLength <= 0 || baseLength > written.size() || !written.endsWith('/'))
        return {};
    const Folder* where = knownFolder(written);
    if (where == nullptr) {
        lookUpFolder(written, baseLength);
        where = knownFolder(written);
    }
    return where != nullptr ? where->found : QByteArray();
}

QByteArray LetterCaseLookup::find(const QByteArray& name, qsizetype baseLength, ino_t* inode)
{
    const qsizetype slash = name.lastIndexOf('/');
    if (baseLength <= 0 || slash < baseLength - 1 || slash == name.size() - 1)
        return {};
    const QByteArrayView written = QByteArrayView(name).first(slash + 1);
    const Folder* where = knownFolder(written);
    if (where == nullptr) {
        lookUpFolder(written.toByteArray(), baseLength);
        where = knownFolder(written);
    }
    if (where == nullptr || where->found.isEmpty())
        return {};
    if (where->listing == nullptr) {
        const Listing* names = &listing(where->found);
        m_folders[written.toByteArray()].listing = names;
        m_last.listing = names; // `where` is the folder kept aside
    }
    Listed listed;
    if (!match(where->found, *where->listing, QByteArrayView(name).sliced(slash + 1), listed))
        return {};
    QByteArray path = where->found + listed.name;
    if (listed.type == DT_REG) {
        if (inode != nullptr)
            *inode = listed.inode;
        return path;
    }
    struct stat info
    {
    };
    if (listed.type == DT_DIR || ::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    if (inode != nullptr)
        *inode = info.st_ino;
    return path;
}

} // namespace vantoro
