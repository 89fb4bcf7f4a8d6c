// Keyboard, wheel and mouse handling of THtmlTextView: scrolling, selection by dragging and by
// double-click, link hovering, middle-button scrolling and autoscrolling, and copying.

#include "htmlview/DocumentLayout.h"
#include "htmlview/THtmlTextView.h"
#include "htmlview/TImageObj.h"
#include "htmlview/TPaintPanel.h"
#include "htmlview/TSection.h"
#include "htmlview/TSectionList.h"
#include "htmlview/TUrlTarget.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace vantoro {

namespace {

// Middle-button scrolling cursors: 3 "up and down" while waiting, 4 and 5 while moving.
QCursor arrowCursor(bool up, bool down)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::black);
    if (up)
        painter.drawPolygon(QPolygon({QPoint(16, 2), QPoint(24, 12), QPoint(8, 12)}));
    if (down)
        painter.drawPolygon(QPolygon({QPoint(16, 30), QPoint(24, 20), QPoint(8, 20)}));
    painter.drawEllipse(QPoint(16, 16), 2, 2);
    painter.end();
    return QCursor(pixmap, 16, 16);
}

const QCursor& middleCursor(int slot)
{
    static const QCursor both = arrowCursor(true, true);
    static const QCursor upOnly = arrowCursor(true, false);
    static const QCursor downOnly = arrowCursor(false, true);
    return slot == 4 ? upOnly : slot == 5 ? downOnly : both;
}

// Characters that make up a word for double-click selection.
bool isWordChar(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
           c >= 192;
}

} // namespace

// ---- selection and copying ----

int THtmlTextView::selStart() const
{
    return m_document->selStart;
}

int THtmlTextView::selEnd() const
{
    return m_document->selEnd;
}

void THtmlTextView::setSelection(int start, int end)
{
    if (m_noSelect)
        return;
    m_document->selStart = std::min(start, end);
    m_document->selEnd = std::max(start, end);
    m_panel->update();
}

QString THtmlTextView::SelectedText()
{
    const int start = m_document->selStart;
    const int end = m_document->selEnd;
    if (start < 0 || end <= start)
        return {};
    return m_layout->copySelection(*m_document, start, end);
}

void THtmlTextView::CopySelection()
{
    QString text = SelectedText();
    if (text.isEmpty())
        return;
    // The desktop's clipboard carries plain line feeds.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QApplication::clipboard()->setText(text);
}

bool THtmlTextView::WordAt(int index, int& start, int& end)
{
    start = end = index;
    const TSection* s = m_layout->sectionHolding(*m_document, index);
    if (!s)
        return false;
    const int local = index - s->startCurs;
    const QString& text = s->text;
    if (local < 0 || local >= text.size() || !isWordChar(text[local].unicode()))
        return false;
    int a = local;
    int b = local + 1;
    while (a > 0 && isWordChar(text[a - 1].unicode()))
        --a;
    while (b < text.size() && isWordChar(text[b].unicode()))
        ++b;
    start = s->startCurs + a;
    end = s->startCurs + b;
    return true;
}

QPoint THtmlTextView::documentPoint(QPoint panelPoint) const
{
    return {panelPoint.x() - m_effMarginWidth + m_hPosition, panelPoint.y() + m_position};
}

QString THtmlTextView::LinkAt(QPoint panelPoint, QString* target)
{
    const QPoint d = documentPoint(panelPoint);
    const TUrlTarget* link = m_layout->linkAt(*m_document, d.x(), d.y());
    if (target)
        *target = link ? link->target : QString();
    return link ? link->url : QString();
}

const TImageObj* THtmlTextView::ImageAt(QPoint panelPoint)
{
    const QPoint d = documentPoint(panelPoint);
    return m_layout->imageAt(*m_document, d.x(), d.y());
}

// ---- keyboard and wheel ----

void THtmlTextView::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    Q_EMIT OnKeyDown(&key, event->modifiers());
    if (!event->text().isEmpty())
        Q_EMIT OnKeyPress(event->text());
    if (key == 0)
        return;
    if (m_middleScroll) {
        endMiddleScroll();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        return;
    }
    switch (key) {
    case Qt::Key_PageUp:
        scrollByKeyboard(m_position - m_vBar->pageStep());
        break;
    case Qt::Key_PageDown:
        scrollByKeyboard(m_position + m_vBar->pageStep());
        break;
    case Qt::Key_Up:
        scrollByKeyboard(m_position - kVerticalSmallChange);
        break;
    case Qt::Key_Down:
        scrollByKeyboard(m_position + kVerticalSmallChange);
        break;
    case Qt::Key_Home:
        scrollByKeyboard(0);
        break;
    case Qt::Key_End:
        scrollByKeyboard(m_scrollRange);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int step = key == Qt::Key_Left ? -kHorizontalSmallChange : kHorizontalSmallChange;
        m_hPosition = std::clamp(m_hPosition + step, 0, m_hBar->maximum());
        const QSignalBlocker blocker(m_hBar);
        m_hBar->setValue(m_hPosition);
        m_panel->update();
        break;
    }
    default:
        QWidget::keyPressEvent(event);
        break;
    }
}

void THtmlTextView::keyReleaseEvent(QKeyEvent* event)
{
    int key = event->key();
    Q_EMIT OnKeyUp(&key, event->modifiers());
    QWidget::keyReleaseEvent(event);
}

void THtmlTextView::wheelEvent(QWheelEvent* event)
{
    // A notch (120) moves three lines of 16 pixels unless the desktop says otherwise; a
    // touch pad's pixel deltas are taken as they come.
    QPoint delta = event->pixelDelta();
    if (delta.isNull()) {
        const int lines = QApplication::wheelScrollLines();
        delta = event->angleDelta() * lines * kVerticalSmallChange / 120;
    }
    const int oldV = m_position;
    const int oldH = m_hPosition;
    if (delta.y() != 0)
        scrollByKeyboard(m_position - delta.y());
    if (delta.x() != 0 && !m_hBar->isHidden()) {
        m_hPosition = std::clamp(m_hPosition - delta.x(), 0, m_hBar->maximum());
        const QSignalBlocker blocker(m_hBar);
        m_hBar->setValue(m_hPosition);
        m_panel->update();
    }
    // At an end the wheel goes on to whatever holds the view.
    if (m_position == oldV && m_hPosition == oldH)
        event->ignore();
    else
        event->accept();
}

// ---- mouse ----

void THtmlTextView::panelMouseDown(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    m_lastMouse = p;
    Q_EMIT OnMouseDown(event->button(), event->modifiers(), p.x(), p.y());
    setFocus(Qt::MouseFocusReason);
    m_linkClick = false;
    if (m_middleScroll) {
        endMiddleScroll();
        return;
    }
    if (event->button() == Qt::MiddleButton) {
        m_middleScroll = true;
        m_middleAnchorY = p.y();
        m_panel->setCursor(middleCursor(3));
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_leftButtonDown = true;
    m_selecting = true;
    const QPoint d = documentPoint(p);
    m_selectionAnchor = m_layout->cursorAt(*m_document, d.x(), d.y()).index;
    if (m_selectionAnchor < 0)
        return;
    TSectionList& doc = *m_document;
    if (doc.selStart >= 0 && doc.selEnd > doc.selStart)
        m_panel->update();
    doc.selStart = doc.selEnd = m_selectionAnchor;
    m_caretIndex = m_selectionAnchor;
}

void THtmlTextView::panelMouseMove(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    m_lastMouse = p;
    if (m_middleScroll) {
        if (!m_autoScrolling && std::abs(p.y() - m_middleAnchorY) > kMiddleScrollDeadZone)
            startAutoScroll();
        Q_EMIT OnMouseMove(event->modifiers(), p.x(), p.y());
        return;
    }
    TSectionList& doc = *m_document;
    const QPoint d = documentPoint(p);
    const TFontObj* hoveredBefore = doc.activeLink;
    QCursor cursor(Qt::ArrowCursor);
    bool hand = false;
    QString url;
    QString target;
    if (const TUrlTarget* link = m_layout->linkAt(doc, d.x(), d.y())) {
        hand = true;
        cursor = QCursor(Qt::PointingHandCursor);
        url = link->url;
        target = link->target;
    }
    if (doc.hoverColoring && hoveredBefore != doc.activeLink)
        m_panel->update();
    const bool imagesWatched =
        isSignalConnected(QMetaMethod::fromSignal(&THtmlTextView::OnImageClick)) ||
        isSignalConnected(QMetaMethod::fromSignal(&THtmlTextView::OnImageOver));
    const TImageObj* image = imagesWatched ? m_layout->imageAt(doc, d.x(), d.y()) : nullptr;
    if (image) {
        Q_EMIT OnImageOver(image, event->modifiers(), p.x(), p.y());
    } else if (!hand && m_layout->cursorAt(doc, d.x(), d.y()).index >= 0 && !m_noSelect) {
        cursor = m_textCursor;
    }
    if (m_panel->cursor().shape() != cursor.shape())
        m_panel->setCursor(cursor);
    if (hand || doc.activeLink)
        m_hoverTimer->start();
    else
        m_hoverTimer->stop();
    if (url != m_hoverUrl || target != m_hoverTarget)
        setHover(url, target);

    if (m_leftButtonDown && !m_noSelect) {
        if ((p.y() <= 0 || p.y() >= m_panel->height()) && !m_autoScrolling)
            startAutoScroll();
        extendSelection(p);
    }
    Q_EMIT OnMouseMove(event->modifiers(), p.x(), p.y());
}

void THtmlTextView::setHover(const QString& url, const QString& target)
{
    m_hoverUrl = url;
    m_hoverTarget = target;
    Q_EMIT OnHotSpotCovered(url);
}

void THtmlTextView::extendSelection(QPoint panelPoint)
{
    if (!m_selecting || m_selectionAnchor < 0)
        return;
    const QPoint limited(panelPoint.x(), std::clamp(panelPoint.y(), 0, m_panel->height()));
    const QPoint d = documentPoint(limited);
    const int i = m_layout->cursorAt(*m_document, d.x(), d.y()).index;
    if (i < 0)
        return;
    if (!m_noSelect) {
        TSectionList& doc = *m_document;
        const int start = std::min(m_selectionAnchor, i);
        const int end = std::max(m_selectionAnchor, i);
        if (start != doc.selStart || end != doc.selEnd) {
            doc.selStart = start;
            doc.selEnd = end;
            m_panel->update();
        }
    }
    m_caretIndex = i;
}

void THtmlTextView::panelMouseUp(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    m_lastMouse = p;
    if (m_middleScroll) {
        // A middle click (released where it went down) leaves the mode on until the next
        // press or key; any other release ends it.
        if (event->button() == Qt::MiddleButton && p.y() == m_middleAnchorY)
            return;
        endMiddleScroll();
        return;
    }
    Q_EMIT OnMouseUp(event->button(), event->modifiers(), p.x(), p.y());
    TSectionList& doc = *m_document;
    const QPoint d = documentPoint(p);
    const bool rightClickWatched =
        isSignalConnected(QMetaMethod::fromSignal(&THtmlTextView::OnRightClick));
    if (rightClickWatched ||
        isSignalConnected(QMetaMethod::fromSignal(&THtmlTextView::OnImageClick))) {
        if (const TImageObj* image = m_layout->imageAt(doc, d.x(), d.y()))
            Q_EMIT OnImageClick(image, event->button(), event->modifiers(), p.x(), p.y());
    }
    if (event->button() == Qt::RightButton) {
        if (rightClickWatched) {
            TRightClickParameters parameters;
            parameters.image = m_layout->imageAt(doc, d.x(), d.y());
            if (parameters.image) {
                // The point inside the image: its box is where the painter last drew it.
                parameters.imageX = d.x();
                parameters.imageY = d.y();
            }
            parameters.url = LinkAt(p, &parameters.target);
            const CursorPosition at = m_layout->cursorAt(doc, d.x(), d.y());
            int start = 0;
            int end = 0;
            if (at.charIndex >= 0 && WordAt(at.charIndex, start, end)) {
                const TSection* s = m_layout->sectionHolding(doc, start);
                parameters.clickWord = s->text.mid(start - s->startCurs, end - start);
            }
            Q_EMIT OnRightClick(parameters);
        } else if (!m_noSelect) {
            // Where nothing can be selected, a menu whose only item is Copy offers nothing.
            showContextMenu(p);
        }
    }
    if (event->button() == Qt::LeftButton) {
        stopAutoScroll();
        extendSelection(p);
        m_selecting = false;
        if (m_leftButtonDown) {
            QString target;
            const QString url = LinkAt(p, &target);
            if (!url.isEmpty() && doc.selStart >= doc.selEnd) {
                if (url != m_hoverUrl || target != m_hoverTarget)
                    setHover(url, target);
                m_linkClick = true;
                bool handled = false;
                Q_EMIT OnHotSpotClick(url, &handled);
            }
        }
        m_leftButtonDown = false;
    }
}

void THtmlTextView::panelDoubleClick(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_processing || m_linkClick)
        return;
    const QPoint p = event->position().toPoint();
    m_lastMouse = p;
    // The toolkit delivers the second press as well: its release must not turn the word back
    // into the press's empty selection. A double click on a link is two link clicks.
    m_selecting = false;
    if (!LinkAt(p).isEmpty())
        return;
    if (!m_noSelect) {
        const QPoint d = documentPoint(p);
        const CursorPosition at = m_layout->cursorAt(*m_document, d.x(), d.y());
        int start = 0;
        int end = 0;
        if (at.charIndex >= 0 && WordAt(at.charIndex, start, end)) {
            setSelection(start, end);
            m_selectionAnchor = start;
            m_caretIndex = start;
        }
    }
    Q_EMIT OnMouseDouble(Qt::LeftButton, event->modifiers(), p.x(), p.y());
}

void THtmlTextView::showContextMenu(QPoint panelPoint)
{
    if (!m_contextMenu) {
        m_contextMenu = new QMenu(this);
        QAction* copy = m_contextMenu->addAction(QStringLiteral("Copy"));
        copy->setObjectName(QStringLiteral("copyAction"));
        copy->setShortcut(QKeySequence::Copy);
        connect(copy, &QAction::triggered, this, [this] { CopySelection(); });
    }
    const int start = m_document->selStart;
    m_contextMenu->actions().front()->setEnabled(start >= 0 && m_document->selEnd > start);
    m_contextMenu->popup(m_panel->mapToGlobal(panelPoint));
}

// ---- autoscrolling, middle-button scrolling and hovering ----

void THtmlTextView::startAutoScroll()
{
    m_autoScrolling = true;
    if (!m_autoScrollTimer->isActive())
        m_autoScrollTimer->start();
}

void THtmlTextView::stopAutoScroll()
{
    m_autoScrolling = false;
    m_autoScrollTimer->stop();
}

void THtmlTextView::endMiddleScroll()
{
    m_middleScroll = false;
    stopAutoScroll();
    m_panel->setCursor(Qt::ArrowCursor);
}

void THtmlTextView::autoScrollStep()
{
    const QPoint p = m_lastMouse;
    const int height = m_panel->height();
    int step = 0;
    if (m_middleScroll) {
        const int d = p.y() - m_middleAnchorY;
        if (d < -60)
            step = -32;
        else if (d < -kMiddleScrollDeadZone)
            step = -8;
        else if (d > 60)
            step = 32;
        else if (d > kMiddleScrollDeadZone)
            step = 8;
        if (step == 0) {
            stopAutoScroll();
            m_panel->setCursor(middleCursor(3));
            return;
        }
        m_panel->setCursor(middleCursor(step < 0 ? 4 : 5));
    } else {
        if (!m_leftButtonDown || (p.y() > 0 && p.y() < height)) {
            stopAutoScroll();
            return;
        }
        if (p.y() < -15)
            step = -8 * kVerticalSmallChange;
        else if (p.y() <= 0)
            step = -kVerticalSmallChange;
        else if (p.y() > height + 15)
            step = 8 * kVerticalSmallChange;
        else
            step = kVerticalSmallChange;
    }
    scrollByKeyboard(m_position + step);
    if (!m_middleScroll)
        extendSelection(p);
}

void THtmlTextView::hoverTick()
{
    // The panel gets no move once the pointer has left it: look where the pointer is now.
    if (QApplication::widgetAt(QCursor::pos()) == m_panel)
        return;
    TSectionList& doc = *m_document;
    if (doc.activeLink) {
        if (doc.activeLink->hover) {
            doc.activeLink->hover = false;
            m_panel->update();
        }
        doc.activeLink = nullptr;
    }
    m_hoverTimer->stop();
    if (!m_hoverUrl.isEmpty() || !m_hoverTarget.isEmpty())
        setHover(QString(), QString());
}

} // namespace vantoro
