#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QSlider;
class QToolButton;

namespace vantoro {

// The transport buttons (play/pause, stop, previous, next), the picture time of a slideshow,
// mute and the volume control. It only reports what the user chose; the control decides what
// that means. Every part has an accessible name for screen readers.
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
    // Neither of these emits a request.
    void setMuted(bool muted);
    void setPictureSeconds(int seconds);

    QToolButton* playPauseButton() const { return m_playPause; }
    QToolButton* stopButton() const { return m_stop; }
    QToolButton* previousButton() const { return m_previous; }
    QToolButton* nextButton() const { return m_next; }
    QSlider* volumeSlider() const { return m_volume; }
    QToolButton* muteButton() const { return m_mute; }
    QComboBox* pictureTimeBox() const { return m_pictureTime; }

Q_SIGNALS:
    void playPauseClicked();
    void stopClicked();
    void previousClicked();
    void nextClicked();
    void volumeRequested(int percent);
    void muteRequested(bool muted);
    void pictureSecondsRequested(int seconds);

private:
    QToolButton* m_playPause;
    QToolButton* m_stop;
    QToolButton* m_previous;
    QToolButton* m_next;
    QSlider* m_volume;
    QToolButton* m_mute;
    QLabel* m_pictureTimeLabel;
    QComboBox* m_pictureTime;
};

} // namespace vantoro
