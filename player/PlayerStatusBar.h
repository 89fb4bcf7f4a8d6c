#pragma once

#include <QLabel>

namespace vantoro {

// The status bar: the play state, then the position and the length of the playing entry.
class PlayerStatusBar : public QLabel
{
    Q_OBJECT
public:
    enum class State { Ready, Opening, Playing, Paused, Stopped };

    explicit PlayerStatusBar(QWidget* parent = nullptr);

    void setState(State state);
    void setPosition(double seconds);
    void setLength(double seconds);

    // "1:05" below an hour, "1:02:05" from an hour on; negative or unknown values read 0:00.
    static QString formatTime(double seconds);

private:
    void refresh();

    State m_state = State::Ready;
    double m_position = 0;
    double m_length = 0;
};

} // namespace vantoro
