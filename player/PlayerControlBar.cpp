#include "player/PlayerControlBar.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

namespace vantoro {

namespace {

QToolButton* makeButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& tip)
{
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    // The control takes no keyboard focus: keys belong to the window around it.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

PlayerControlBar::PlayerControlBar(QWidget* parent)
    : QWidget(parent), m_playPause(makeButton(this, QStyle::SP_MediaPlay, QStringLiteral("Play"))),
      m_stop(makeButton(this, QStyle::SP_MediaStop, QStringLiteral("Stop"))),
      m_previous(makeButton(this, QStyle::SP_MediaSkipBackward, QStringLiteral("Previous"))),
      m_next(makeButton(this, QStyle::SP_MediaSkipForward, QStringLiteral("Next"))),
      m_volume(new QSlider(Qt::Horizontal, this))
{
    m_volume->setRange(0, 100);
    m_volume->setValue(100);
    m_volume->setToolTip(QStringLiteral("Volume"));
    m_volume->setFocusPolicy(Qt::NoFocus);
    m_volume->setMaximumWidth(100);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(2);
    layout->addWidget(m_playPause);
    layout->addWidget(m_stop);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addStretch(1);
    layout->addWidget(m_volume);

    connect(m_playPause, &QToolButton::clicked, this, &PlayerControlBar::playPauseClicked);
    connect(m_stop, &QToolButton::clicked, this, &PlayerControlBar::stopClicked);
    connect(m_previous, &QToolButton::clicked, this, &PlayerControlBar::previousClicked);
    connect(m_next, &QToolButton::clicked, this, &PlayerControlBar::nextClicked);
    connect(m_volume, &QSlider::valueChanged, this, &PlayerControlBar::volumeRequested);
}

void PlayerControlBar::setPlaying(bool playing)
{
    m_playPause->setIcon(
        style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_playPause->setToolTip(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

void PlayerControlBar::setVolume(int percent)
{
    const QSignalBlocker block(m_volume);
    m_volume->setValue(percent);
}

int PlayerControlBar::volume() const
{
    return m_volume->value();
}

} // namespace vantoro
