#include "playlists/ClipListView.h"

namespace vantoro {

ClipListView::ClipListView(QWidget* parent) : QListView(parent)
{
    setUniformItemSizes(true);
}

void ClipListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles)
{
    // No roles named means any may have changed, the size hint among them.
    if (roles.isEmpty() || roles.contains(Qt::SizeHintRole) || !uniformItemSizes()) {
        QListView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

} // namespace vantoro
