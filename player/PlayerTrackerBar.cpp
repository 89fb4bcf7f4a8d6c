#include "player/PlayerTrackerBar.h"

#include <QSignalBlocker>

#include <algorithm>

#include <cmath>

namespace vantoro {

PlayerTrackerBar::PlayerTrackerBar(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    // Reached by Tab; the arrows then seek by a step, Page Up and Down by a tenth.
    setFocusPolicy(Qt::TabFocus);
    setRange(0, 0);
    setToolTip(QStringLiteral("Seek"));
    setAccessibleName(QStringLiteral("Position"));
    connect(this, &QSlider::sliderReleased, this,
            [this] { Q_EMIT seekRequested(value() / 1000.0); });
    // A click on the groove moves by a page; outside a drag that is a seek too.
    connect(this, &QSlider::actionTriggered, this, [this](int action) {
        if (action != SliderMove && !isSliderDown())
            Q_EMIT seekRequested(sliderPosition() / 1000.0);
    });
}

void PlayerTrackerBar::setLength(double seconds)
{
    const int milliseconds =
        std::isfinite(seconds) && seconds > 0 ? static_cast<int>(seconds * 1000.0) : 0;
    const QSignalBlocker block(this);
    setRange(0, milliseconds);
    setPageStep(std::max(1, milliseconds / 10));
    setSingleStep(std::clamp(milliseconds / 100, 1, 5000));
    setEnabled(milliseconds > 0);
}

void PlayerTrackerBar::setPosition(double seconds)
{
    if (isSliderDown() || !std::isfinite(seconds))
        return;
    const QSignalBlocker block(this);
    setValue(static_cast<int>(seconds * 1000.0));
}

} // namespace vantoro
