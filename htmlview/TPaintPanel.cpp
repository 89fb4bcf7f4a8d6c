#include "htmlview/TPaintPanel.h"

#include <QMouseEvent>

namespace vantoro {

TPaintPanel::TPaintPanel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void TPaintPanel::paintEvent(QPaintEvent* event)
{
    if (onPaint)
        onPaint(event);
}

void TPaintPanel::mousePressEvent(QMouseEvent* event)
{
    if (onMouseDown)
        onMouseDown(event);
    else
        QWidget::mousePressEvent(event);
}

void TPaintPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (onMouseMove)
        onMouseMove(event);
    else
        QWidget::mouseMoveEvent(event);
}

void TPaintPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (onMouseUp)
        onMouseUp(event);
    else
        QWidget::mouseReleaseEvent(event);
}

void TPaintPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (onDoubleClick)
        onDoubleClick(event);
    else
        QWidget::mouseDoubleClickEvent(event);
}

} // namespace vantoro
