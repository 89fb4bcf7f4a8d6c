#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QAbstractItemView;
class QWidget;

namespace vantoro {

// Makes a list view take files and folders dragged from a file manager: local files only (a web
// address or text is refused by the cursor, without a box), as a copy, never a move. A drop hands
// the clips the items stand for (clipsOfDroppedPaths) to `addClips` together with the row dropped
// on (-1 below the last row), once the drop has returned to the file manager. Drags are refused
// while a modal window other than the view's own is open. Owned by the view. `findClips` turns
// the dropped items into clips; by default clipsOfDroppedPaths on the GUI thread, which a window
// replaces with a search off it, so that a folder on a slow drive freezes nothing.
class ClipDropTarget final : public QObject
{
public:
    using AddClips = std::function<void(const QStringList& clips, int row)>;
    using FindClips = std::function<QStringList(const QStringList& paths)>;

    ClipDropTarget(QAbstractItemView* view, AddClips addClips, FindClips findClips = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool takesDragsNow() const;

    QAbstractItemView* m_view;
    QWidget* m_viewport; // the view's, for the life of the view
    AddClips m_addClips;
    FindClips m_findClips;
    QStringList m_draggedPaths; // of the drag over the list, read as it came in
};

} // namespace vantoro
