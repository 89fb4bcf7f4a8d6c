#include "player/PlayerControlBar.h"

#include "player/TWMTPlayer.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
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
    button->setAccessibleName(tip);
    button->setAutoRaise(true);
    // Reached by Tab only: a click leaves the focus where it was, so that the window's keys
    // (Space, the arrows) keep working after a click on the bar.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

PlayerControlBar::PlayerControlBar(QWidget* parent)
    : QWidget(parent), m_playPause(makeButton(this, QStyle::SP_MediaPlay, QStringLiteral("Play"))),
      m_stop(makeButton(this, QStyle::SP_MediaStop, QStringLiteral("Stop"))),
      m_previous(makeButton(this, QStyle::SP_MediaSkipBackward, QStringLiteral("Previous"))),
      m_next(makeButton(this, QStyle::SP_MediaSkipForward, QStringLiteral("Next"))),
      m_volume(new QSlider(Qt::Horizontal, this)),
      m_mute(makeButton(this, QStyle::SP_MediaVolume, QStringLiteral("Mute"))),
      m_pictureTimeLabel(new QLabel(QStringLiteral("Picture time:"), this)),
      m_pictureTime(new QComboBox(this))
{
    m_mute->setCheckable(true);
    for (int seconds : TWMTPlayer::pictureSecondsChoices())
        m_pictureTime->addItem(QStringLiteral("%1 s").arg(seconds), seconds);
    m_pictureTime->setToolTip(QStringLiteral("How long each picture of a slideshow shows"));
    m_pictureTime->setAccessibleName(QStringLiteral("Picture time"));
    m_pictureTime->setFocusPolicy(Qt::TabFocus);
    m_pictureTime->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_pictureTimeLabel->setBuddy(m_pictureTime);

    m_volume->setRange(0, 100);
    m_volume->setValue(100);
    m_volume->setToolTip(QStringLiteral("Volume"));
    m_volume->setAccessibleName(QStringLiteral("Volume"));
    m_volume->setFocusPolicy(Qt::TabFocus);
    m_volume->setPageStep(10);
    m_volume->setMaximumWidth(100);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(2);
    layout->addWidget(m_playPause);
    layout->addWidget(m_stop);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addStretch(1);
    layout->addWidget(m_pictureTimeLabel);
    layout->addWidget(m_pictureTime);
    layout->addSpacing(8);
    layout->addWidget(m_mute);
    layout->addWidget(m_volume);

    connect(m_playPause, &QToolButton::clicked, this, &PlayerControlBar::playPauseClicked);
    connect(m_stop, &QToolButton::clicked, this, &PlayerControlBar::stopClicked);
    connect(m_previous, &QToolButton::clicked, this, &PlayerControlBar::previousClicked);
    connect(m_next, &QToolButton::clicked, this, &PlayerControlBar::nextClicked);
    connect(m_volume, &QSlider::valueChanged, this, &PlayerControlBar::volumeRequested);
    connect(m_mute, &QToolButton::toggled, this, &PlayerControlBar::muteRequested);
    connect(m_pictureTime, &QComboBox::activated, this, [this](int index) {
        Q_EMIT pictureSecondsRequested(m_pictureTime->itemData(index).toInt());
    });
}

void PlayerControlBar::setPlaying(bool playing)
{
    m_playPause->setIcon(
        style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    const QString action = playing ? QStringLiteral("Pause") : QStringLiteral("Play");
    m_playPause->setToolTip(action);
    m_playPause->setAccessibleName(action);
}

void PlayerControlBar::setMuted(bool muted)
{
    const QSignalBlocker block(m_mute);
    m_mute->setChecked(muted);
    m_mute->setIcon(
        style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
    const QString action = muted ? QStringLiteral("Unmute") : QStringLiteral("Mute");
    m_mute->setToolTip(action);
    m_mute->setAccessibleName(action);
}

void PlayerControlBar::setPictureSeconds(int seconds)
{
    const int index = m_pictureTime->findData(seconds);
    if (index >= 0)
        m_pictureTime->setCurrentIndex(index);
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
