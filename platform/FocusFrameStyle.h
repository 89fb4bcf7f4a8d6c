#pragma once

#include <QProxyStyle>

namespace vantoro {

// The program's style: the platform's own, with a dotted focus frame inside every push button
// that has the keyboard focus, whether the focus came by the keyboard or not. The base style
// shows the focus only after a Tab, and marks the default button much as a focused one, so a
// person could not see which button Return or Space would press.
class FocusFrameStyle final : public QProxyStyle
{
public:
    FocusFrameStyle();

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

} // namespace vantoro
