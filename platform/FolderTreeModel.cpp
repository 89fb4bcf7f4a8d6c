#include "platform/FolderTreeModel.h"

#include "platform/FolderPlaces.h"
#include "platform/Folders.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFont>
#include <QLocale>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {

struct FolderTreeModel::Node
{
    enum class Kind { Heading, Home, Place, Volume, Folder };

    Node* parent = nullptr;
    int row = 0;
    Kind kind = Kind::Folder;
    QString name;
    // Set on the top items only; below them a folder's path is its parent's path and its name,
    // so that a level of ten thousand folders holds ten thousand names, not paths.
    QString topPath;
    bool symlink = false;
    bool listed = false;
    bool loop = false;
    // The folder's identity once listed; a folder with the identity of an ancestor is a loop.
    dev_t device = 0;
    ino_t inode = 0;
    mutable signed char writable = -1; // not yet asked
    std::vector<std::unique_ptr<Node>> children;

    Node* add(Kind childKind, const QString& childName, const QString& childPath = {})
    {
        auto child = std::make_unique<Node>();
        child->parent = this;
        child->row = int(children.size());
        child->kind = childKind;
        child->name = childName;
        child->topPath = childPath;
        children.push_back(std::move(child));
        return children.back().get();
    }

    bool isFolder() const { return kind != Kind::Heading && parent; }

    // Empty for a heading and for the invisible root.
    QString path() const
    {
        if (!isFolder())
            return {};
        if (!topPath.isEmpty())
            return topPath;
        const QString above = parent->path();
        return above.endsWith(QLatin1Char('/')) ? QString(above + name)
                                                : QString(above + QLatin1Char('/') + name);
    }
};

namespace {

// A folder icon greyed out and marked with a small padlock: a folder the user cannot write to.
QIcon lockedIcon(const QIcon& folder)
{
    QIcon icon;
    for (const int size : {16, 22, 32, 48}) {
        QPixmap pixmap = folder.pixmap(QSize(size, size), QIcon::Disabled);
        if (pixmap.isNull())
            continue;
        const qreal ratio = pixmap.devicePixelRatio();
        const QSizeF logical = QSizeF(pixmap.size()) / ratio;
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal unit = logical.width() / 16.0;
        const QRectF body(logical.width() - 7 * unit, logical.height() - 5.5 * unit, 6.5 * unit,
                          5 * unit);
        QPen pen(QColor(60, 60, 60), 1.2 * unit);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(body.left() + 1.2 * unit, body.top() - 3.6 * unit,
                               body.width() - 2.4 * unit, 6 * unit),
                        0, 180 * 16);
        painter.setBrush(QColor(230, 180, 40));
        painter.drawRoundedRect(body, unit, unit);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

FolderTreeModel::FolderTreeModel(QObject* parent)
    : QAbstractItemModel(parent), m_root(std::make_unique<Node>())
{
    // Names as a file manager sorts them: ignoring case, numbers by value ("Disc 2" < "Disc 10").
    // Without a language of its own (the C locale) the collator would order by code point.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    m_collator.setLocale(locale);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(true);
    QFileIconProvider icons;
    m_folderIcon = icons.icon(QAbstractFileIconProvider::Folder);
    m_driveIcon = icons.icon(QAbstractFileIconProvider::Drive);
    m_homeIcon = QIcon::fromTheme(QStringLiteral("user-home"),
                                  QApplication::style()->standardIcon(QStyle::SP_DirHomeIcon));
    m_lockedFolderIcon = lockedIcon(m_folderIcon);
    setRootFolder(QString());
}

FolderTreeModel::~FolderTreeModel() = default;

void FolderTreeModel::setRootFolder(const QString& rootPath)
{
    beginResetModel();
    m_rootPath = folderExists(rootPath) ? rootPath : QString();
    m_root = std::make_unique<Node>();
    m_root->listed = true;
    if (!m_rootPath.isEmpty()) {
        const QString clean = QDir::cleanPath(m_rootPath);
        const QString name = clean == QLatin1String("/") ? clean : QDir(clean).dirName();
        m_root->add(Node::Kind::Folder, name, clean);
    } else {
        Node* places = m_root->add(Node::Kind::Heading, QStringLiteral("Places"), QString());
        places->listed = true;
        for (const FolderPlace& place : userPlaces())
            places->add(place.kind == FolderPlace::Kind::Home ? Node::Kind::Home
                                                              : Node::Kind::Place,
                        place.name, place.path);
        Node* devices = m_root->add(Node::Kind::Heading, QStringLiteral("Devices"), QString());
        devices->listed = true;
        for (const FolderPlace& volume : volumePlaces())
            devices->add(Node::Kind::Volume, volume.name, volume.path);
    }
    endResetModel();
}

void FolderTreeModel::setShowHidden(bool show)
{
    if (show == m_showHidden)
        return;
    m_showHidden = show;
    setRootFolder(m_rootPath);
}

FolderTreeModel::Node* FolderTreeModel::nodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : m_root.get();
}

QModelIndex FolderTreeModel::indexOf(const Node* node) const
{
    if (!node || node == m_root.get())
        return {};
    return createIndex(node->row, 0, const_cast<Node*>(node));
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const Node* node = nodeOf(parent);
    if (column != 0 || row < 0 || row >= int(node->children.size()))
        return {};
    return createIndex(row, 0, node->children[size_t(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    return indexOf(nodeOf(child)->parent);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    return int(nodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    const Node* node = nodeOf(parent);
    // Until it is listed, a folder is taken to have sub-folders: finding out would cost a
    // directory read for every folder shown.
    return node->listed ? !node->children.empty() : node->isFolder();
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const
{
    const Node* node = nodeOf(parent);
    return !node->listed && node->isFolder();
}

void FolderTreeModel::fetchMore(const QModelIndex& parent)
{
    list(nodeOf(parent));
}

void FolderTreeModel::list(Node* node)
{
    if (node->listed || !node->isFolder())
        return;
    node->listed = true;
    const QModelIndex nodeIndex = indexOf(node);
    const QByteArray folder = QFile::encodeName(node->path());

    struct stat st
    {
    };
    DIR* stream = ::stat(folder.constData(), &st) == 0 ? ::opendir(folder.constData()) : nullptr;
    if (!stream) {
        Q_EMIT dataChanged(nodeIndex, nodeIndex); // the expander goes
        return;
    }
    node->device = st.st_dev;
    node->inode = st.st_ino;
    for (const Node* above = node->parent; above; above = above->parent) {
        if (above->listed && above->isFolder() && above->device == node->device &&
            above->inode == node->inode) {
            node->loop = true;
            ::closedir(stream);
            Q_EMIT dataChanged(nodeIndex, nodeIndex);
            return;
        }
    }

    // The directory's own entry types decide most entries without a stat each; links (and file
    // systems that give no type) are looked up, following the link.
    struct Entry
    {
        QString name;
        QCollatorSortKey key;
        bool symlink;
    };
    std::vector<Entry> entries;
    const int dirFd = ::dirfd(stream);
    while (const dirent* entry = ::readdir(stream)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        if (name[0] == '.' && !m_showHidden)
            continue;
        bool symlink = false;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat target
            {
            };
            if (::fstatat(dirFd, name, &target, 0) != 0 || !S_ISDIR(target.st_mode))
                continue;
            symlink = entry->d_type == DT_LNK;
            if (entry->d_type == DT_UNKNOWN) {
                struct stat self
                {
                };
                symlink = ::fstatat(dirFd, name, &self, AT_SYMLINK_NOFOLLOW) == 0 &&
                          S_ISLNK(self.st_mode);
            }
        } else if (entry->d_type != DT_DIR) {
            continue;
        }
        QString decoded = QFile::decodeName(name);
        QCollatorSortKey key = m_collator.sortKey(decoded);
        entries.push_back({std::move(decoded), std::move(key), symlink});
    }
    ::closedir(stream);
    if (entries.empty()) {
        Q_EMIT dataChanged(nodeIndex, nodeIndex);
        return;
    }
    // Sort keys once per name: comparing ten thousand names through the collator directly
    // costs many times more.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int order = a.key.compare(b.key);
        return order != 0 ? order < 0 : a.name < b.name;
    });

    beginInsertRows(nodeIndex, 0, int(entries.size()) - 1);
    node->children.reserve(entries.size());
    for (Entry& entry : entries)
        node->add(Node::Kind::Folder, std::move(entry.name))->symlink = entry.symlink;
    endInsertRows();
}

bool FolderTreeModel::isWritable(const Node* node) const
{
    if (!node->isFolder())
        return false;
    // Asked when the item is first drawn, so that listing a large folder stays one read.
    if (node->writable < 0)
        node->writable = ::access(QFile::encodeName(node->path()).constData(), W_OK | X_OK) == 0;
    return node->writable > 0;
}

QIcon FolderTreeModel::iconOf(const Node* node) const
{
    switch (node->kind) {
    case Node::Kind::Heading:
        return {};
    case Node::Kind::Home:
        return m_homeIcon;
    case Node::Kind::Volume:
        return m_driveIcon;
    case Node::Kind::Place:
    case Node::Kind::Folder:
        break;
    }
    return isWritable(node) ? m_folderIcon : m_lockedFolderIcon;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Node* node = nodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return node->name;
    case Qt::DecorationRole:
        return iconOf(node);
    case Qt::ToolTipRole: {
        if (!node->isFolder())
            return {};
        const QString path = node->path();
        QString tip = path;
        if (node->symlink)
            tip += QStringLiteral("\nLink to ") + QFileInfo(path).symLinkTarget();
        if (!isWritable(node))
            tip += QStringLiteral("\nYou cannot make or change files in this folder.");
        return tip;
    }
    case Qt::FontRole:
        if (node->kind == Node::Kind::Heading) {
            QFont font;
            font.setBold(true);
            return font;
        }
        if (node->symlink) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case PathRole:
        return node->path();
    case WritableRole:
        return isWritable(node);
    case LoopRole:
        return node->loop;
    default:
        return {};
    }
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QString FolderTreeModel::pathOf(const QModelIndex& index) const
{
    return index.isValid() ? nodeOf(index)->path() : QString();
}

QModelIndex FolderTreeModel::startIndex() const
{
    const Node* top = m_root->children.empty() ? nullptr : m_root->children.front().get();
    if (top && top->kind == Node::Kind::Heading && !top->children.empty())
        top = top->children.front().get(); // home
    return indexOf(top);
}

QModelIndex FolderTreeModel::indexForPath(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return {};
    const QString wanted = QDir::cleanPath(path);

    // The top folder that holds `wanted` most closely: ~/Videos/x goes under Videos, not Home.
    auto holds = [&wanted](const QString& folder) {
        if (folder == QLatin1String("/") || wanted == folder)
            return true;
        return wanted.startsWith(folder) && wanted.at(folder.size()) == QLatin1Char('/');
    };
    Node* best = nullptr;
    auto consider = [&](Node* candidate) {
        if (!candidate->topPath.isEmpty() && holds(candidate->topPath) &&
            (!best || candidate->topPath.size() > best->topPath.size()))
            best = candidate;
    };
    for (const auto& top : m_root->children) {
        consider(top.get());
        if (top->kind == Node::Kind::Heading) {
            for (const auto& item : top->children)
                consider(item.get());
        }
    }
    if (!best)
        return {};

    Node* node = best;
    const QStringList names =
        wanted.mid(best->topPath.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        list(node);
        const auto found = std::find_if(node->children.begin(), node->children.end(),
                                        [&name](const auto& child) { return child->name == name; });
        if (found == node->children.end())
            return {};
        node = found->get();
    }
    return indexOf(node);
}

} // namespace vantoro
