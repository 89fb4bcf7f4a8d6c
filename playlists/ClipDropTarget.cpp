#include "playlists/ClipDropTarget.h"

#include "platform/DroppedPaths.h"
#include "playlists/DroppedClips.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QTimer>

namespace vantoro {

ClipDropTarget::ClipDropTarget(QAbstractItemView* view, AddClips addClips, FindClips findClips)
    : QObject(view), m_view(view), m_viewport(view->viewport()), m_addClips(std::move(addClips)),
      m_findClips(std::move(findClips))
{
    view->setAcceptDrops(true);
    view->viewport()->setAcceptDrops(true);
    view->setDragDropMode(QAbstractItemView::DropOnly);
    view->viewport()->installEventFilter(this);
}

bool ClipDropTarget::takesDragsNow() const
{
    const QWidget* modal = QApplication::activeModalWidget();
    return m_addClips && (!modal || modal == m_view->window());
}

bool ClipDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    // Compared with the viewport kept at the start: while the view is being destroyed its
    // viewport still has events, and the view is no longer a scroll area to ask.
    if (watched != m_viewport)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        m_draggedPaths = takesDragsNow() ? localPathsOfDrag(enter->mimeData()) : QStringList();
        if (m_draggedPaths.isEmpty() || !acceptAsCopy(enter)) {
            m_draggedPaths.clear();
            enter->ignore();
        }
        return true;
    }
    case QEvent::DragMove: {
        auto* move = static_cast<QDragMoveEvent*>(event);
        if (m_draggedPaths.isEmpty() || !takesDragsNow() || !acceptAsCopy(move))
            move->ignore();
        return true;
    }
    case QEvent::DragLeave:
        m_draggedPaths.clear();
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        QStringList paths;
        if (takesDragsNow()) {
            paths = localPathsOfDrag(drop->mimeData());
            // As on the main window: over X11 the drop's own fetch of the list can come back
            // empty; the list read as the drag came in is the same drag's.
            if (paths.isEmpty() &&
                drop->mimeData()->data(QStringLiteral("text/uri-list")).isEmpty())
                paths = m_draggedPaths;
        }
        m_draggedPaths.clear();
        if (paths.isEmpty() || !acceptAsCopy(drop)) {
            drop->ignore();
            return true;
        }
        const int row = m_view->indexAt(drop->position().toPoint()).row();
        QTimer::singleShot(0, this, [this, paths, row] {
            const QStringList clips = m_findClips ? m_findClips(paths) : clipsOfDroppedPaths(paths);
            if (!clips.isEmpty() && takesDragsNow())
                m_addClips(clips, row);
        });
        return true;
    }
    default:
        return false;
    }
}

} // namespace vantoro
