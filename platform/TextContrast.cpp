#include "platform/TextContrast.h"

#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace vantoro::TextContrast {

namespace {

// The light partner of a fixed text colour: a button or panel face that keeps the look of a
// light desktop.
const QColor kLightFace(0xFF, 0xFF, 0xFF);

double channel(double value)
{
    const double c = value;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour)
{
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

QColor mixed(const QColor& from, const QColor& to, double share)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * share),
                            float(from.greenF() + (to.greenF() - from.greenF()) * share),
                            float(from.blueF() + (to.blueF() - from.blueF()) * share));
}

void setColours(QWidget& widget, QPalette::ColorRole textRole, const QColor& text,
                QPalette::ColorRole backgroundRole, const QColor& background)
{
    QPalette palette = widget.palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, textRole, text);
        palette.setColor(group, backgroundRole, background);
    }
    // Greyed text of a disabled control keeps the desktop's own colours.
    widget.setPalette(palette);
}

} // namespace

double ratio(const QColor& first, const QColor& second)
{
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor readableOn(const QColor& text, const QColor& background)
{
    if (ratio(text, background) >= kMinimum)
        return text;
    // Black has the most contrast with a light background, white with a dark one: one of the
    // two always reaches the minimum, so the search ends there at the latest.
    const QColor towards = ratio(Qt::black, background) >= ratio(Qt::white, background)
                               ? QColor(Qt::black)
                               : QColor(Qt::white);
    constexpr int kSteps = 50;
    for (int step = 1; step <= kSteps; ++step) {
        const QColor candidate = mixed(text, towards, double(step) / kSteps);
        if (ratio(candidate, background) >= kMinimum)
            return candidate;
    }
    return towards;
}

void fixButtonText(QWidget& widget, const QColor& text)
{
    setColours(widget, QPalette::ButtonText, readableOn(text, kLightFace), QPalette::Button,
               kLightFace);
}

void fixWindowText(QWidget& widget, const QColor& text)
{
    widget.setAutoFillBackground(true);
    setColours(widget, QPalette::WindowText, readableOn(text, kLightFace), QPalette::Window,
               kLightFace);
}

void fixBackground(QWidget& widget, QPalette::ColorRole role, const QColor& background)
{
    const QColor text =
        ratio(Qt::black, background) >= ratio(Qt::white, background) ? Qt::black : Qt::white;
    const QPalette::ColorRole textRole = role == QPalette::Base     ? QPalette::Text
                                         : role == QPalette::Button ? QPalette::ButtonText
                                                                    : QPalette::WindowText;
    if (role == QPalette::Window)
        widget.setAutoFillBackground(true);
    setColours(widget, textRole, text, role, background);
}

} // namespace vantoro::TextContrast
