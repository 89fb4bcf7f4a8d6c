#pragma once

#include <QLabel>
#include <QTimer>

namespace vantoro {

// The status bar: the play state, then the position and the length of the playing entry. A
// message, while there is one, is shown in their place.
class PlayerStatusBar : public QLabel
{
    Q_OBJECT
public:
    enum class State { Ready, Opening, Playing, Paused, Stopped };

    // How long a timed message stays by default.
    static constexpr int kMessageMs = 4000;

    explicit PlayerStatusBar(QWidget* parent = nullptr);

    void setState(State state);
    void setPosition(double seconds);
    void setLength(double seconds);

    // Shows `text` instead of the state for `timeoutMs` milliseconds (the state changes on
    // underneath), or until clearMessage() when `timeoutMs` is 0. A new message replaces the
    // one shown.
    void showMessage(const QString& text, int timeoutMs);
    void clearMessage();
    QString message() const { return m_message; }
    // The time a timed message stays; tests shorten it.
    void setMessageTimeout(int ms) { m_messageMs = ms; }
    int messageTimeout() const { return m_messageMs; }

    // "1:05" below an hour, "1:02:05" from an hour on; negative or unknown values read 0:00.
    static QString formatTime(double seconds);

private:
    void refresh();

    State m_state = State::Ready;
    double m_position = 0;
    double m_length = 0;
    QString m_message;
    QTimer m_messageTimer;
    int m_messageMs = kMessageMs;
};

} // namespace vantoro
