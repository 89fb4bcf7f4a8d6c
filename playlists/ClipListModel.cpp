#include "playlists/ClipListModel.h"

#include <QGuiApplication>
#include <QPalette>

#include <cstdlib>

namespace vantoro {

namespace {

// Above this many additions the views are reset once rather than told of each row.
constexpr qsizetype kRowByRowAdditions = 64;

} // namespace

ClipListModel::ClipListModel(QObject* parent) : QAbstractListModel(parent) {}

ClipListModel::EntryCounts ClipListModel::countEntries(const QStringList& paths)
{
    EntryCounts counts;
    counts.reserve(paths.size());
    for (const QString& path : paths)
        ++counts[path];
    return counts;
}

void ClipListModel::setItems(QStringList paths, QSet<QString> missing,
                             std::optional<EntryCounts> counts)
{
    beginResetModel();
    m_list.setItems(std::move(paths));
    m_missing = std::move(missing);
    m_counts = std::move(counts);
    endResetModel();
}

bool ClipListModel::contains(const QString& path) const
{
    if (!m_counts)
        m_counts = countEntries(m_list.items());
    return m_counts->contains(path);
}

void ClipListModel::count(const QStringList& paths, int delta)
{
    if (!m_counts)
        return;
    for (const QString& path : paths) {
        auto it = m_counts->find(path);
        if (it == m_counts->end())
            it = m_counts->insert(path, 0);
        *it += delta;
        if (*it <= 0)
            m_counts->erase(it);
    }
}

bool ClipListModel::isMissing(int row) const
{
    return !m_missing.isEmpty() && m_missing.contains(m_list.at(row));
}

int ClipListModel::missingCount() const
{
    if (m_missing.isEmpty())
        return 0;
    int count = 0;
    for (const QString& path : m_list.items())
        count += m_missing.contains(path) ? 1 : 0;
    return count;
}

QStringList ClipListModel::itemsFound() const
{
    if (m_missing.isEmpty())
        return m_list.items();
    QStringList found;
    found.reserve(m_list.count());
    for (const QString& path : m_list.items()) {
        if (!m_missing.contains(path))
            found.append(path);
    }
    return found;
}

QString ClipListModel::shownText(const QString& path, bool missing)
{
    return missing ? QStringLiteral("(missing) ") + path : path;
}

int ClipListModel::add(const QString& path)
{
    const int row = int(m_list.placeFor(path));
    beginInsertRows(QModelIndex(), row, row);
    m_list.add(path);
    count({path}, 1);
    endInsertRows();
    return row;
}

void ClipListModel::addAll(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    if (!m_list.sorted()) {
        const int first = int(m_list.count());
        beginInsertRows(QModelIndex(), first, first + int(paths.size()) - 1);
        m_list.addAll(paths);
        count(paths, 1);
        endInsertRows();
        return;
    }
    if (paths.size() <= kRowByRowAdditions) {
        for (const QString& path : paths)
            add(path);
        return;
    }
    beginResetModel();
    m_list.addAll(paths);
    count(paths, 1);
    endResetModel();
}

void ClipListModel::insertAt(int row, const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    if (m_list.sorted() || row < 0 || row >= int(m_list.count())) {
        addAll(paths);
        return;
    }
    beginInsertRows(QModelIndex(), row, row + int(paths.size()) - 1);
    m_list.insertAt(row, paths);
    count(paths, 1);
    endInsertRows();
}

void ClipListModel::removeAt(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    count({m_list.at(row)}, -1);
    m_list.removeAt(row);
    endRemoveRows();
}

void ClipListModel::move(int from, int to)
{
    if (from == to)
        return;
    if (std::abs(from - to) == 1) {
        // Two neighbours trade places: told as their texts changing, which a list view
        // repaints without laying out its rows again (a row move makes it lay out every row).
        // Persistent indexes (a view's selection and current row) trade places with them.
        m_list.move(from, to);
        QModelIndexList before;
        QModelIndexList after;
        for (const QModelIndex& index : persistentIndexList()) {
            if (index.row() == from || index.row() == to) {
                before.append(index);
                after.append(createIndex(index.row() == from ? to : from, 0));
            }
        }
        changePersistentIndexList(before, after);
        const QList<int> roles = {Qt::DisplayRole, Qt::EditRole, Qt::ForegroundRole,
                                  Qt::ToolTipRole};
        Q_EMIT dataChanged(index(from), index(from), roles);
        Q_EMIT dataChanged(index(to), index(to), roles);
        return;
    }
    // Qt names the row before which the moved row lands, counted before the move.
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    m_list.move(from, to);
    endMoveRows();
}

QModelIndex ClipListModel::index(int row, int column, const QModelIndex& parent) const
{
    // Asked for every row whenever a view lays out its rows: kept to the bare checks.
    if (row < 0 || row >= m_list.count() || column != 0 || parent.isValid())
        return {};
    return createIndex(row, column);
}

void ClipListModel::setSorted(bool on)
{
    if (on == m_list.sorted())
        return;
    if (!on) {
        m_list.setSorted(false);
        return;
    }
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<qsizetype> order;
    m_list.setSorted(true, &order);
    // order[new row] = old row; the views' persistent indexes move with their entries.
    std::vector<int> newRowOf(order.size());
    for (size_t row = 0; row < order.size(); ++row)
        newRowOf[size_t(order[row])] = int(row);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(index.isValid() && size_t(index.row()) < newRowOf.size()
                         ? createIndex(newRowOf[size_t(index.row())], 0)
                         : QModelIndex());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ClipListModel::setItemSize(QSize size)
{
    if (size == m_itemSize)
        return;
    m_itemSize = size;
    if (!m_list.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_list.count()) - 1), {Qt::SizeHintRole});
}

int ClipListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_list.count());
}

QVariant ClipListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.count())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return shownText(m_list.at(index.row()), isMissing(index.row()));
    case Qt::EditRole:
        return m_list.at(index.row());
    case Qt::ForegroundRole:
        if (isMissing(index.row()))
            return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::ToolTipRole:
        if (isMissing(index.row()))
            return QStringLiteral("This file could not be found when the playlist was read");
        return {};
    case Qt::SizeHintRole:
        return m_itemSize.isValid() ? QVariant(m_itemSize) : QVariant();
    default:
        return {};
    }
}

} // namespace vantoro
