#pragma once

#include <QWidget>

class QSlider;
class QToolButton;

namespace vantoro {

// The transport buttons (play/pause, stop, previous, next) and the volume control. It only
// reports what the user pressed; the control decides what that means.
class PlayerControlBar : public QWidget
{
    Q_OBJECT
public:
    explicit PlayerControlBar(QWidget* parent = nullptr);

    // Shows the play or the pause symbol on the play/pause button.
    void setPlaying(bool playing);
    // Volume in percent, 0..100; does not emit volumeRequested.
    void setVolume(int percent);
    int volume() const;

    QToolButton* playPauseButton() const { return m_playPause; }
    QToolButton* stopButton() const { return m_stop; }
    QToolButton* previousButton() const { return m_previous; }
    QToolButton* nextButton() const { return m_next; }
    QSlider* volumeSlider() const { return m_volume; }

Q_SIGNALS:
    void playPauseClicked();
    void stopClicked();
    void previousClicked();
    void nextClicked();
    void volumeRequested(int percent);

private:
    QToolButton* m_playPause;
    QToolButton* m_stop;
    QToolButton* m_previous;
    QToolButton* m_next;
    QSlider* m_volume;
};

} // namespace vantoro
