#pragma once

#include <QListView>

namespace vantoro {

// The editor's list: a QListView of rows that all have one size (uniform item sizes, a fixed
// size hint from ClipListModel). QListView lays out every row again whenever a row's data
// changes, in case its size did; here a change that does not touch the size hint is only
// repainted, so that two neighbours trading places (ClipListModel::move) costs the same on a
// list of any length.
class ClipListView final : public QListView
{
    Q_OBJECT

public:
    explicit ClipListView(QWidget* parent = nullptr);

protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
};

} // namespace vantoro
