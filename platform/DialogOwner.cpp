#include "platform/DialogOwner.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace vantoro {

QWidget* dialogOwner()
{
    // The modal window in front is the one asking; Qt knows it without the window system.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    // A Wayland compositor activates a window only once a seat gave it the keyboard, and
    // may never do so: then the visible window made last is taken.
    QWidget* owner = nullptr;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (!window->isVisible() || window->type() == Qt::Popup || window->type() == Qt::ToolTip)
            continue;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->windowHandle() == window)
                owner = widget;
        }
    }
    return owner;
}

} // namespace vantoro
