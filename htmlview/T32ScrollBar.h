#pragma once

#include <QRect>
#include <QScrollBar>

namespace vantoro {

// The view's vertical scroll bar. A long document moves the handle by less than a pixel per
// line, so most one-line scrolls leave the bar looking exactly as it was drawn: the bar then
// skips its repaint, which would otherwise cost as much as the text strip the scroll uncovers.
// Whenever the handle's place, an end state or anything else the bar draws changes, it
// repaints as usual.
class T32ScrollBar final : public QScrollBar
{
    Q_OBJECT
public:
    explicit T32ScrollBar(Qt::Orientation orientation, QWidget* parent);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // What a new value changes in the drawing: the handle's rectangle and whether the value
    // stands at either end (styles draw the arrow at an end disabled).
    struct Look
    {
        QRect handle;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look&) const = default;
    };
    Look currentLook() const;

    Look m_painted;
    bool m_hasPainted = false;
};

} // namespace vantoro
