#include "app/TXJustOne.h"

#include "platform/SingleInstance.h"

#include <QApplication>
#include <QWidget>

namespace vantoro {

TXJustOne::TXJustOne(QObject* owner) : QObject(owner) {}

TXJustOne::~TXJustOne() = default;

bool TXJustOne::Loaded(const QString& name)
{
    if (m_loaded)
        return m_lock && m_lock->isHeld();
    m_loaded = true;
    const QString title = name.left(255);
    m_lock = std::make_unique<NamedInstanceLock>(title);
    if (m_lock->tryAcquire()) {
        m_channel = new InstanceChannel(title, this);
        connect(m_channel, &InstanceChannel::foregroundRequested, this, &TXJustOne::bringForward);
        connect(m_channel, &InstanceChannel::playRequested, this, [this](const QString& playlist) {
            bringForward();
            Q_EMIT playRequested(playlist);
        });
        m_channel->listen();
        return true;
    }
    if (AlreadyExist)
        AlreadyExist(this);
    if (!PlaylistToHandOver.isEmpty())
        InstanceChannel(title).requestPlay(PlaylistToHandOver);
    else if (SwitchToPrevious)
        InstanceChannel(title).requestForeground();
    return false;
}

void TXJustOne::bringForward()
{
    // The modal window in front, if one is open (a dialog or the player), else the owner window.
    QWidget* window = QApplication::activeModalWidget();
    if (!window)
        window = qobject_cast<QWidget*>(parent());
    if (!window)
        return;
    window = window->window();
    if (window->isMinimized())
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    // The owner of a modal window may itself be hidden (the main window while the player plays).
    window->show();
    window->raise();
    window->activateWindow();
    Q_EMIT broughtForward(window);
}

} // namespace vantoro
