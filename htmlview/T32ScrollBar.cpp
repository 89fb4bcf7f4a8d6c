#include "htmlview/T32ScrollBar.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace vantoro {

T32ScrollBar::T32ScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent)
{}

T32ScrollBar::Look T32ScrollBar::currentLook() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    Look look;
    look.handle =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    look.atMinimum = value() == minimum();
    look.atMaximum = value() == maximum();
    return look;
}

void T32ScrollBar::sliderChange(SliderChange change)
{
    // Only a value change can leave the drawing as it was; the range, step and orientation
    // changes always repaint. A style whose bars show themselves on each scroll is left to do
    // so.
    if (change == SliderValueChange && m_hasPainted && isVisible() && !isSliderDown() &&
        !style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this) &&
        currentLook() == m_painted)
        return;
    QScrollBar::sliderChange(change);
}

void T32ScrollBar::paintEvent(QPaintEvent* event)
{
    m_painted = currentLook();
    m_hasPainted = true;
    QScrollBar::paintEvent(event);
}

} // namespace vantoro
