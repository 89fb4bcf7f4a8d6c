#include "platform/FocusFrameStyle.h"

#include <QPainter>
#include <QPen>
#include <QPushButton>
#include <QStyleOptionButton>

namespace vantoro {

FocusFrameStyle::FocusFrameStyle() = default;

void FocusFrameStyle::drawControl(ControlElement element, const QStyleOption* option,
                                  QPainter* painter, const QWidget* widget) const
{
    if (element != CE_PushButton || !(option->state & State_HasFocus)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // Drawn without the focus state, so the base style adds no focus mark of its own.
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (!button) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    QStyleOptionButton plain = *button;
    plain.state &= ~State_HasFocus;
    QProxyStyle::drawControl(element, &plain, painter, widget);

    const QRect frame =
        subElementRect(SE_PushButtonFocusRect, button, widget).adjusted(1, 1, -1, -1);
    painter->save();
    QPen pen(button->palette.color(QPalette::ButtonText));
    pen.setStyle(Qt::DotLine);
    pen.setWidth(1);
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->drawRect(frame.adjusted(0, 0, -1, -1));
    painter->restore();
}

} // namespace vantoro
