#pragma once

#include <QSlider>

namespace vantoro {

// The tracker: a seek bar over the length of the playing entry, in milliseconds. Position
// updates are ignored while the user drags the handle; a release or a click on the groove asks
// for a seek.
class PlayerTrackerBar : public QSlider
{
    Q_OBJECT
public:
    explicit PlayerTrackerBar(QWidget* parent = nullptr);

    // Length in seconds; 0 (unknown or a still image) disables seeking.
    void setLength(double seconds);
    void setPosition(double seconds);

Q_SIGNALS:
    void seekRequested(double seconds);
};

} // namespace vantoro
