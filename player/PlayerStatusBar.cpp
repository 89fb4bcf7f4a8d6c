#include "player/PlayerStatusBar.h"

#include <cmath>

namespace vantoro {

PlayerStatusBar::PlayerStatusBar(QWidget* parent) : QLabel(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setMargin(2);
    m_messageTimer.setSingleShot(true);
    connect(&m_messageTimer, &QTimer::timeout, this, &PlayerStatusBar::clearMessage);
    refresh();
}

void PlayerStatusBar::showMessage(const QString& text, int timeoutMs)
{
    m_message = text;
    if (timeoutMs > 0)
        m_messageTimer.start(timeoutMs);
    else
        m_messageTimer.stop();
    refresh();
}

void PlayerStatusBar::clearMessage()
{
    m_messageTimer.stop();
    m_message.clear();
    refresh();
}

void PlayerStatusBar::setState(State state)
{
    m_state = state;
    if (state == State::Stopped || state == State::Opening)
        m_position = 0;
    refresh();
}

void PlayerStatusBar::setPosition(double seconds)
{
    m_position = seconds;
    refresh();
}

void PlayerStatusBar::setLength(double seconds)
{
    m_length = seconds;
    refresh();
}

QString PlayerStatusBar::formatTime(double seconds)
{
    const qint64 total =
        std::isfinite(seconds) && seconds > 0 ? static_cast<qint64>(std::floor(seconds)) : 0;
    const qint64 hours = total / 3600;
    const qint64 minutes = total / 60 % 60;
    const qint64 secs = total % 60;
    const QString mmss = QStringLiteral("%1:%2")
                             .arg(hours > 0 ? QStringLiteral("%1").arg(minutes, 2, 10, QChar(u'0'))
                                            : QString::number(minutes))
                             .arg(secs, 2, 10, QChar(u'0'));
    return hours > 0 ? QString::number(hours) + u':' + mmss : mmss;
}

void PlayerStatusBar::refresh()
{
    if (!m_message.isEmpty()) {
        setText(m_message);
        return;
    }
    QString state;
    switch (m_state) {
    case State::Ready:
        state = QStringLiteral("Ready");
        break;
    case State::Opening:
        state = QStringLiteral("Opening");
        break;
    case State::Playing:
        state = QStringLiteral("Playing");
        break;
    case State::Paused:
        state = QStringLiteral("Paused");
        break;
    case State::Stopped:
        state = QStringLiteral("Stopped");
        break;
    }
    setText(state + QStringLiteral("    ") + formatTime(m_position) + QStringLiteral(" / ") +
            formatTime(m_length));
}

} // namespace vantoro
