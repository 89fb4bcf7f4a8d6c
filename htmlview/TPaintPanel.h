#pragma once

#include <QWidget>

#include <functional>

namespace vantoro {

// The surface a THtmlTextView draws its document on. It never erases its background (the
// view paints every pixel of the request through the toolkit's back buffer) and hands its
// paint requests to the view; mouse input is forwarded the same way.
class TPaintPanel final : public QWidget
{
    Q_OBJECT
public:
    explicit TPaintPanel(QWidget* parent);

    std::function<void(QPaintEvent*)> onPaint;
    std::function<void(QMouseEvent*)> onMouseDown;
    std::function<void(QMouseEvent*)> onMouseMove;
    std::function<void(QMouseEvent*)> onMouseUp;
    std::function<void(QMouseEvent*)> onDoubleClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace vantoro
